#include "apply/apply_frames.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "apply/frame_pattern.h"
#include "apply/apply_error.h"
#include "apply/flag_errors.h"
#include "apply/silhouette_motion.h"

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

Motion MotionOf(const ChannelImage& v, const ApplySettings& o) {
  Motion motion;
  motion.dx.resize(v.Pixels());
  motion.dy.resize(v.Pixels());
  // The option's convention has y up; the module's rows run down.
  for (std::size_t i = 0; i < v.Pixels(); ++i) {
    motion.dx[i] = v.At(i, 0) * o.vectorScaleX;
    motion.dy[i] = -v.At(i, 1) * o.vectorScaleY;
  }
  return motion;
}

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
  for (int f = plan.trackFrom; f <= range.last; ++f) {
    for (const auto& [flag, source] : inputs) {
      const std::string path = FrameName(source->pattern, f);
      std::error_code ignored;
      if (!std::filesystem::exists(path, ignored)) {
        InputError(std::string(flag) + ": " + path + ": No such file (frame " + std::to_string(f) + ")");
      }
    }
  }
  std::map<std::string, std::string> inputFiles;  // where, to which flag
  for (int f = plan.trackFrom; f <= range.last; ++f) {
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

void FrameReader::Matches(int f, std::vector<ChannelImage>& read, sim::PassImages* p) {
  if (!o_.uv.pattern.empty()) {
    UvMatchValues(read[kUv], p->index, &p->match1, &p->match2);
  } else if (!o_.vector.pattern.empty()) {
    Motion motion = MotionOf(read[kVector], o_);
    SteadySilhouetteMotion(width_, height_, p->index, &motion);
    tracker_.Next(width_, height_, p->index, motion, &p->match1, &p->match2);
  } else {
    p->match1 = MatchValues(read[kMatch1]);
    p->match2 = MatchValues(read[kMatch2]);
  }
}

void FrameReader::Track(int f) {
  // Only --vector carries values from frame to frame outside the module.
  const std::string indexPath = FrameName(o_.index.pattern, f);
  const std::string vectorPath = FrameName(o_.vector.pattern, f);
  InputFile file(indexPath);
  std::vector<std::vector<std::string>> sets = {
      ChooseChannels(indexPath, file.Names(), o_.index.channels, PassShape::Value)};
  if (vectorPath == indexPath) {
    sets.push_back(ChooseChannels(vectorPath, file.Names(), o_.vector.channels, PassShape::Pair));
  }
  std::vector<ChannelImage> read = file.Read(sets);
  if (vectorPath != indexPath) {
    InputFile vectors(vectorPath);
    read.push_back(std::move(vectors.Read({ChooseChannels(vectorPath, vectors.Names(),
                                                         o_.vector.channels, PassShape::Pair)})
                                 .front()));
  }
  std::vector<std::uint32_t> match1, match2;
  const std::vector<std::uint32_t> index = objects_.Number(read[0]);
  Motion motion = MotionOf(read[1], o_);
  SteadySilhouetteMotion(read[1].width, read[1].height, index, &motion);
  tracker_.Next(read[1].width, read[1].height, index, motion, &match1, &match2);
}

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
  sim::PassImages* p = &frame->passes;
  frame->number = f;
  p->width = width_;
  p->height = height_;
  frame->outputBits = OutputBits(FrameName(o_.output, f), colour);
  frame->codes = CodesOf(colour, RangeFor(frame->outputBits));
  p->colour = std::move(frame->codes.colour);
  frame->codes.colour.clear();
  p->index = objects_.Number(read[kIndex]);
  Matches(f, read, p);
  p->depth.clear();
  p->alternate.clear();
  if (!o_.depth.pattern.empty()) p->depth = DepthValues(read[kDepth]);
  if (!o_.alternate.pattern.empty()) p->alternate = AlternateValues(read[kAlternate]);
  frame->colour = std::move(colour);
}

}  // namespace qxv::apply
