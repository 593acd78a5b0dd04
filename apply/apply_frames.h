// What pblur apply reads: which frames, checked before anything is written,
// and each frame's passes turned into the module's values.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "apply/apply_settings.h"
#include "apply/frame_inputs.h"

namespace qxv::apply {

struct FrameRange {
  int first = 0, last = 0;
};

// --first and --last, defaulting to the first and last colour frames
// present. Throws an input error naming the file when any pass misses a
// frame of the range, and a usage error when an output file would be one of
// the input files.
FrameRange PlanFrames(const ApplySettings& options);

class FrameReader {
 public:
  explicit FrameReader(const ApplySettings& options) : o_(options) {}

  // Reads every pass of frame `f`; the first frame read sets the size and
  // whether the colour has alpha, which every later frame must share.
  FrameInputs Read(int f);

 private:
  void CheckSize(const std::string& path, const ChannelImage& image) const;
  ChannelImage ReadSized(const PassSource& source, int f, PassShape shape) const;

  const ApplySettings& o_;
  std::string sizeSource_;  // the first colour frame, for messages
  std::uint32_t width_ = 0, height_ = 0;
  bool alpha_ = false;
};

}  // namespace qxv::apply
