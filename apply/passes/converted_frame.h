// One frame turned into what the module takes, with what writing it back
// needs: the module's passes (colour as codes), the colour as stored, its
// codes, and how the output stores it.
#pragma once
#include <optional>
#include <vector>

#include "apply/colour/colour_frame.h"
#include "apply/input/channel_image.h"
#include "apply/input/frame_inputs.h"
#include "sim/rendered_frame.h"

namespace qxv::apply {

struct ConvertedFrame {
  int number = 0;
  sim::PassImages passes;
  ChannelImage colour;
  ColourCodes codes;  // colour left empty: it is passes.colour
  int outputBits = 8;
  // The renderer's object index that each object number stands for (from
  // 1), for the scene's per-object settings.
  std::vector<double> objectIndexes;
  // Match values from motion vectors: where each point lay in the previous
  // frame, so the module is given the frame again with its own coordinates
  // before the next one.
  bool tracked = false;
  // --look shutter: the passes as read, and nothing above.
  std::optional<FrameInputs> passesRead;
};

}  // namespace qxv::apply
