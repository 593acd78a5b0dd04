#include "fuzz/harness.h"

#include <cstdio>
#include <cstdlib>

#include "module/counters.h"
#include "sim/host.h"
#include "sim/linked_module.h"
#include "sim/objects.h"

namespace qxv::fuzz {
void Finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

void InitModule() {
  static bool done = false;
  if (done) return;
  done = true;
  sim::HandOverShell(sim::LinkedModule());
}

PostRenderer* MakePostRenderer() {
  PostRenderer* renderer = sim::CreatePostRenderer(sim::LinkedModule());
  if (!renderer) Finding("no Pblur");
  return renderer;
}

Result Render(PostRenderer* renderer, SceneObjectList* scene, sim::RenderedFrame& frame) {
  const sim::FrameOutcome outcome = sim::RenderFrame(renderer, scene, frame, nullptr);
  if (!outcome.completed) Finding("a failure reached the host");
  if (sim::ChainHead() != nullptr) Finding("chain head not restored");
  if (outcome.result != S_OK && outcome.result != E_INVALIDARG &&
      outcome.result != E_OUTOFMEMORY) {
    Finding("unexpected result code");
  }
  return outcome.result;
}

Baseline TakeBaseline() { return {sim::LiveHostObjects(), sim::LiveBlocks(), liveObjects}; }

void CheckBaseline(const Baseline& b) {
  if (sim::LiveHostObjects() != b.objects) Finding("host objects leaked");
  if (sim::LiveBlocks() != b.blocks) Finding("blocks leaked");
  if (liveObjects != b.moduleObjects) Finding("module objects leaked");
  if (sim::LockedTiles() != 0) Finding("tiles left locked");
}

}  // namespace qxv::fuzz
