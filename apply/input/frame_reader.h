// A frame's passes read from their files: each file opened and decoded
// once however many passes it holds, every pass checked against the first
// colour frame's size and alpha.
#pragma once
#include "apply/input/channel_image.h"
#include "apply/input/frame_inputs.h"
#include "apply/input/frame_shape.h"
#include "apply/run/apply_settings.h"

namespace qxv::apply {

class FrameReader {
 public:
  // Reads the files the settings name; they must outlive the reader.
  explicit FrameReader(const ApplySettings& settings) : o_(settings) {}

  // Every pass of frame `f`; the first frame read sets the size and whether
  // the colour has alpha. Input errors name the flag, then the file.
  FrameInputs Read(int f);

 private:
  const ApplySettings& o_;
  FrameShape shape_;
};

}  // namespace qxv::apply
