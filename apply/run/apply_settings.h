// What a run of apply is asked to do: where each pass comes from, where
// the frames go, which frames, and the parameter-block edits. The command
// line and any other front end fill the same settings.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "apply/blur/object_settings.h"
#include "apply/input/pass_source.h"
#include "apply/output/checked_file.h"

namespace qxv::apply {

// Only what the user set; everything else keeps the module's own default
// (or the demo's, where the demo needs another).
struct ParameterEdits {
  std::optional<float> streakLength, mainStrength, altLength, altStrength, echoCount, reverseLength,
      trailFrames;
  std::optional<bool> jitter, depthTest, secondaryLayer;
  std::optional<std::uint32_t> modeCommand;  // four-character code
};

// How the frames are blurred: the module's streaks, or the picture a camera
// with an open shutter would record (the shutter library).
enum class Look { Streak, Shutter };

struct Size {
  std::uint32_t width = 0, height = 0;
};

struct ApplySettings {
  Look look = Look::Streak;
  // --look shutter: the fraction of the frame interval the shutter is
  // open, centred on the frame; unset: 0.5.
  std::optional<double> shutter;
  ParameterEdits edits;
  Size tile{64, 64};  // how the simulated host tiles its image and buffers

  // Patterns taking the frame number, with the channels to read.
  PassSource colour, index, match1, match2, depth, alternate, uv, vector;
  std::string output;
  std::optional<int> first, last;  // unset: the first and last colour frames present
  // Frames run unwritten before the first; unset: as many as the settings
  // need for the pixels of a run over the whole shot.
  std::optional<int> leadIn;
  double vectorScaleX = 1.0, vectorScaleY = 1.0;
  ObjectTable objects;  // by the renderer's object index
  WriteFault* writeFault = nullptr;  // tests: the frames' files fail as it says
};

// The shutter look reads the vectors to the next frame too, where the
// vector pass has them.
inline PassShape VectorShape(const ApplySettings& o) {
  return o.look == Look::Shutter ? PassShape::Motion : PassShape::Pair;
}

}  // namespace qxv::apply
