// Match values from motion vectors say where each pixel's point lay in the
// previous frame, in that frame's pixel coordinates. So after blurring such
// a frame, the module is handed it once more with each pixel's own
// coordinates as its match values, as the reference the next frame is
// searched against. The pass paints nothing (Session::RenderReference).
#pragma once
#include <cstdint>
#include <vector>

#include "apply/blur/host_session.h"
#include "apply/blur/object_scene.h"
#include "apply/passes/converted_frame.h"
#include "sim/rendered_frame.h"

namespace qxv::apply {

class ReferencePass {
 public:
  // Does nothing for a frame whose match values did not come from vectors.
  // Reads `in` only, so the colour's and the alpha's Pblurs may run it on
  // one frame at once.
  void Run(Session& session, const ObjectScene& scene, sim::RenderedFrame& frame,
           const ConvertedFrame& in);

 private:
  // Each pixel's own coordinates, kept for frames of one size.
  std::vector<std::uint32_t> own1_, own2_;
};

}  // namespace qxv::apply
