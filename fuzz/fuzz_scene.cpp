// The scene: trees of any depth, components that are and are not Weights,
// Weight values of any bit pattern, objects that are not nodes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/harness.h"
#include "sim/host.h"
#include "sim/scene.h"
#include "sim/linked_module.h"

using namespace qxv;
using namespace qxv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  InitModule();
  sim::ResetHost();
  const Baseline baseline = TakeBaseline();
  sim::Scene* scene = sim::NewScene();
  std::vector<std::int32_t> nodes;
  const std::uint32_t nodeCount = 1 + in.Below(200);
  for (std::uint32_t i = 0; i < nodeCount; ++i) {
    // Mostly chains, so trees get deep enough for one block per level.
    const std::int32_t parent =
        nodes.empty() || in.Byte() % 8 == 0 ? -1
                                             : nodes[nodes.size() - 1 - in.Below(std::min<std::uint32_t>(3, nodes.size()))];
    nodes.push_back(sim::AddNode(scene, parent));
    const std::uint32_t components = in.Below(4);
    for (std::uint32_t c = 0; c < components; ++c) {
      Unknown* component = nullptr;
      if (in.Byte() & 1) {
        GenericData* w = sim::CreateWeight(sim::LinkedModule());
        if (!w) Finding("no Weight");
        in.Bytes(&sim::WeightDataOf(w), sizeof(WeightData));
        component = AsUnknown(w);
      } else {
        component = sim::NewPlainComponent();
      }
      sim::Attach(scene, nodes.back(), component);
      ReleaseInterface(component);
    }
    if (in.Byte() % 16 == 0) sim::SetAnswersSceneNode(scene, nodes.back(), false);
  }
  const std::uint32_t objects = 1 + in.Below(6);
  for (std::uint32_t i = 0; i < objects; ++i) {
    sim::AddRenderedObject(scene, nodes[in.Below(static_cast<std::uint32_t>(nodes.size()))]);
  }
  PostRenderer* pblur = MakePostRenderer();
  ParameterBlock& parameters = sim::ParametersOf(pblur);
  parameters.mode = static_cast<std::int16_t>(2 + in.Below(3));
  parameters.depthTest = 1;
  sim::BufferSpec spec;
  spec.width = 14;
  spec.height = 8;
  for (int n = 0; n < 2; ++n) {
    sim::RenderedFrame frame(spec, spec);
    for (std::uint32_t i = 1; i <= objects + 1; ++i) {  // one index beyond the list
      frame.DrawRect(static_cast<std::int32_t>(i * 3 + n * 2) % 12, static_cast<std::int32_t>(i * 2) % 6,
                 3, 2, i, 0x808080 + i * 0x102030, 10 * i, i & 1);
    }
    Render(pblur, sim::ObjectList(scene), frame);
  }
  pblur->ops->Release(pblur);
  if (sim::OutstandingSceneReferences(scene) != 0) {
    std::fprintf(stderr, "finding: scene references not released\n");
    std::abort();
  }
  sim::DestroyScene(scene);
  CheckBaseline(baseline);
  return 0;
}
