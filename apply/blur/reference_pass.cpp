#include "apply/blur/reference_pass.h"

#include "apply/passes/previous_positions.h"
#include "sim/buffers.h"

namespace qxv::apply {

void ReferencePass::Run(Session& session, const ObjectScene& scene, sim::RenderedFrame& frame,
                        const ConvertedFrame& in) {
  if (!in.tracked) return;
  const sim::PassImages& passes = in.passes;
  if (own1_.size() != static_cast<std::size_t>(passes.width) * passes.height) {
    OwnPositions(passes.width, passes.height, &own1_, &own2_);
  }
  frame.Load(passes);
  sim::Fill(frame.match1, own1_);
  sim::Fill(frame.match2, own2_);
  session.RenderReference(scene.List(), frame, in.number);
}

}  // namespace qxv::apply
