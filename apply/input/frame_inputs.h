// One frame's passes as read from files or handed over from memory, before
// they become the module's values: colour and object index, one source of
// match values, and the optional depth and alternate set.
#pragma once
#include <optional>

#include "apply/input/channel_image.h"

namespace qxv::apply {

struct FrameInputs {
  ChannelImage colour;  // R, G, B and an optional A
  ChannelImage index;   // one channel
  // One of: uv (two channels), vector (two channels, x right and y up, in
  // pixels towards the previous frame), or match1 and match2 (one each).
  std::optional<ChannelImage> uv, vector, match1, match2;
  std::optional<ChannelImage> depth, alternate;  // one channel each
};

}  // namespace qxv::apply
