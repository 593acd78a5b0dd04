#include "apply/apply_frames.h"

#include <filesystem>
#include <map>

#include "apply/frame_pattern.h"
#include "apply/apply_error.h"

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

std::string SamePlace(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::weakly_canonical(path, ignored).string();
}

}  // namespace

FrameRange PlanFrames(const ApplySettings& o) {
  FrameRange range;
  if (!o.first || !o.last) {
    const std::vector<int> present = FramesPresent(o.colour.pattern);
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
  // Every file first: a range given by mistake stops at its first gap
  // rather than listing millions of names.
  const auto inputs = Inputs(o);
  for (int f = range.first; f <= range.last; ++f) {
    for (const auto& [flag, source] : inputs) {
      const std::string path = FrameName(source->pattern, f);
      std::error_code ignored;
      if (!std::filesystem::exists(path, ignored)) {
        InputError(path + ": No such file (frame " + std::to_string(f) + " of " + flag + ")");
      }
    }
  }
  std::map<std::string, std::string> inputFiles;  // where, to which flag
  for (int f = range.first; f <= range.last; ++f) {
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
  return range;
}

void FrameReader::CheckSize(const std::string& path, const ChannelImage& image) const {
  if (image.width == width_ && image.height == height_) return;
  InputError(path + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
             ", but " + sizeSource_ + " is " + std::to_string(width_) + "x" +
             std::to_string(height_));
}

ChannelImage FrameReader::ReadSized(const PassSource& source, int f, PassShape shape) const {
  ChannelImage image = ReadPass(source, f, shape);
  CheckSize(FrameName(source.pattern, f), image);
  return image;
}

FrameInputs FrameReader::Read(int f) {
  const std::string colourPath = FrameName(o_.colour.pattern, f);
  FrameInputs in;
  in.colour = ReadPass(o_.colour, f, PassShape::Colour);
  const bool hasAlpha = in.colour.names.size() == 4;
  if (sizeSource_.empty()) {
    sizeSource_ = colourPath;
    width_ = in.colour.width;
    height_ = in.colour.height;
    alpha_ = hasAlpha;
  }
  CheckSize(colourPath, in.colour);
  if (hasAlpha != alpha_) {
    InputError(colourPath + ": " + (hasAlpha ? "has alpha, but " : "has no alpha, but ") +
               sizeSource_ + (alpha_ ? " has" : " has none"));
  }
  in.index = ReadSized(o_.index, f, PassShape::Value);
  if (!o_.uv.pattern.empty()) {
    in.uv = ReadSized(o_.uv, f, PassShape::Pair);
  } else if (!o_.vector.pattern.empty()) {
    in.vector = ReadSized(o_.vector, f, PassShape::Pair);
  } else {
    in.match1 = ReadSized(o_.match1, f, PassShape::Value);
    in.match2 = ReadSized(o_.match2, f, PassShape::Value);
  }
  if (!o_.depth.pattern.empty()) in.depth = ReadSized(o_.depth, f, PassShape::Value);
  if (!o_.alternate.pattern.empty()) in.alternate = ReadSized(o_.alternate, f, PassShape::Value);
  return in;
}

}  // namespace qxv::apply
