#include "apply/run/apply_frames.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <map>

#include "apply/input/frame_pattern.h"
#include "apply/apply_error.h"
#include "apply/flag_errors.h"
#include "apply/passes/pass_converter.h"

namespace qxv::apply {
namespace {

std::vector<std::pair<const char*, const PassSource*>> Inputs(const ApplySettings& o) {
  std::vector<std::pair<const char*, const PassSource*>> inputs;
  const std::pair<const char*, const PassSource*> all[] = {
      {"--colour", &o.colour}, {"--index", &o.index},
      {"--match1", &o.match1}, {"--match2", &o.match2},
      {"--uv", &o.uv},         {"--vector", &o.vector},
      {"--depth", &o.depth},   {"--alternate", &o.alternate}};
  for (const auto& input : all) {
    if (!input.second->pattern.empty()) inputs.push_back(input);
  }
  return inputs;
}

// The passes of a frame, in the order their files are opened.
enum Slot : std::size_t { kColour, kIndex, kMatch1, kMatch2, kUv, kVector, kDepth, kAlternate, kSlots };

std::string SamePlace(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::weakly_canonical(path, ignored).string();
}

}  // namespace

RunPlan PlanFrames(const ApplySettings& o) {
  FrameRange range;
  const std::vector<int> present = FramesPresent(o.colour.pattern);
  if (!o.first || !o.last) {
    if (present.empty()) {
      InputError("--colour: no file matches " + o.colour.pattern + " (" +
                 FrameName(o.colour.pattern, o.first.value_or(1)) + " and the like)");
    }
    range.first = o.first.value_or(present.front());
    range.last = o.last.value_or(present.back());
  } else {
    range = FrameRange{*o.first, *o.last};
  }
  if (range.last < range.first) {
    InputError("--colour: no frame from " + std::to_string(range.first) + " on (the last is " +
               std::to_string(range.last) + ")");
  }
  const RunPlan plan = PlanRun(o, range, present);
  // Every file first: a range given by mistake stops at its first gap
  // rather than listing millions of names.
  const auto inputs = Inputs(o);
  for (int f = plan.blurFrom; f <= range.last; ++f) {
    for (const auto& [flag, source] : inputs) {
      const std::string path = FrameName(source->pattern, f);
      std::error_code ignored;
      if (!std::filesystem::exists(path, ignored)) {
        InputError(std::string(flag) + ": " + path + ": No such file (frame " + std::to_string(f) + ")");
      }
    }
  }
  std::map<std::string, std::string> inputFiles;  // where, to which flag
  for (int f = plan.blurFrom; f <= range.last; ++f) {
    for (const auto& [flag, source] : inputs) {
      inputFiles.emplace(SamePlace(FrameName(source->pattern, f)), flag);
    }
  }
  for (int f = range.first; f <= range.last; ++f) {
    const std::string target = FrameName(o.output, f);
    const auto hit = inputFiles.find(SamePlace(target));
    if (hit != inputFiles.end()) {
      UsageError("--output: " + target + " would overwrite a file of " + hit->second);
    }
  }
  return plan;
}

void FrameReader::CheckSize(const std::string& path, const ChannelImage& image) const {
  if (image.width == width_ && image.height == height_) return;
  InputError(path + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
             ", but " + sizeSource_ + " is " + std::to_string(width_) + "x" +
             std::to_string(height_));
}

FrameReader::FrameReader(const ApplySettings& options)
    : o_(options), converter_(std::make_unique<PassConverter>(options)) {}

FrameReader::~FrameReader() = default;

void FrameReader::Read(int f, FrameInput* frame) {
  const PassSource* sources[kSlots] = {&o_.colour, &o_.index, &o_.match1, &o_.match2,
                                       &o_.uv,     &o_.vector, &o_.depth, &o_.alternate};
  const PassShape shapes[kSlots] = {PassShape::Colour, PassShape::Value, PassShape::Value,
                                    PassShape::Value,  PassShape::Pair,  PassShape::Pair,
                                    PassShape::Value,  PassShape::Value};
  // Each file once, in the order its first pass comes, with every channel
  // any of its passes wants.
  std::vector<std::pair<std::string, std::vector<std::size_t>>> files;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    if (sources[slot]->pattern.empty()) continue;
    const std::string path = FrameName(sources[slot]->pattern, f);
    auto same = std::find_if(files.begin(), files.end(),
                             [&path](const auto& file) { return file.first == path; });
    if (same == files.end()) same = files.insert(files.end(), {path, {}});
    same->second.push_back(slot);
  }
  std::vector<ChannelImage> read(kSlots);
  static const char* const kFlags[kSlots] = {"--colour", "--index", "--match1", "--match2",
                                             "--uv",     "--vector", "--depth", "--alternate"};
  for (const auto& [path, slots] : files) {
    // A file that fails mid-run is named by the first pass it holds.
    ForFlag(kFlags[slots.front()], [&, &path = path, &slots = slots] {
      InputFile file(path);
      std::vector<std::vector<std::string>> sets;
      for (std::size_t slot : slots) {
        sets.push_back(ChooseChannels(path, file.Names(), sources[slot]->channels, shapes[slot]));
      }
      std::vector<ChannelImage> images = file.Read(sets);
      for (std::size_t k = 0; k < slots.size(); ++k) read[slots[k]] = std::move(images[k]);
    });
  }

  const std::string colourPath = FrameName(o_.colour.pattern, f);
  ChannelImage& colour = read[kColour];
  const bool hasAlpha = colour.names.size() == 4;
  if (sizeSource_.empty()) {
    sizeSource_ = colourPath;
    width_ = colour.width;
    height_ = colour.height;
    alpha_ = hasAlpha;
  }
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    if (!sources[slot]->pattern.empty()) CheckSize(FrameName(sources[slot]->pattern, f), read[slot]);
  }
  if (hasAlpha != alpha_) {
    InputError(colourPath + ": " + (hasAlpha ? "has alpha, but " : "has no alpha, but ") +
               sizeSource_ + (alpha_ ? " has" : " has none"));
  }
  FrameInputs in;
  in.colour = std::move(colour);
  in.index = std::move(read[kIndex]);
  std::optional<ChannelImage>* optional[kSlots] = {nullptr,   nullptr,    &in.match1, &in.match2,
                                                   &in.uv,    &in.vector, &in.depth,  &in.alternate};
  for (std::size_t slot = kMatch1; slot < kSlots; ++slot) {
    if (!sources[slot]->pattern.empty()) *optional[slot] = std::move(read[slot]);
  }
  const int outputBits = OutputBits(FrameName(o_.output, f), in.colour);
  converter_->Convert(std::move(in), f, outputBits, frame);
}

}  // namespace qxv::apply
