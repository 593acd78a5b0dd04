#include "tests/support/animation.h"

#include "sim/linked_module.h"

namespace qxv::test {
namespace {

GenericData* MakeWeight(float primary, float secondary, bool group) {
  GenericData* w = sim::CreateWeight(sim::LinkedModule());
  WeightData& data = sim::WeightDataOf(w);
  data.primaryWeight = primary;
  data.secondaryWeight = secondary;
  data.groupChildren = group ? 1 : 0;
  return w;
}

}  // namespace

Animation::Animation() : scene_(sim::NewScene()) {
  const std::int32_t root = sim::AddNode(scene_, -1);
  const std::int32_t group = sim::AddNode(scene_, root);
  weights_.push_back(MakeWeight(5.0f, 5.0f, true));
  sim::Attach(scene_, group, AsUnknown(weights_.back()));
  // 1 and 2 share the group; 3 is excluded; 4 is its own.
  sim::AddRenderedObject(scene_, sim::AddNode(scene_, group));
  sim::AddRenderedObject(scene_, sim::AddNode(scene_, group));
  const std::int32_t excluded = sim::AddNode(scene_, root);
  weights_.push_back(MakeWeight(2.0f, 5.0f, false));
  sim::Attach(scene_, excluded, AsUnknown(weights_.back()));
  sim::AddRenderedObject(scene_, excluded);
  const std::int32_t plain = sim::AddNode(scene_, root);
  Unknown* component = sim::NewPlainComponent();
  sim::Attach(scene_, plain, component);
  ReleaseInterface(component);
  sim::AddRenderedObject(scene_, plain);
}

Animation::~Animation() {
  sim::DestroyScene(scene_);
  for (GenericData* w : weights_) w->ops->Release(w);
}

SceneObjectList* Animation::Objects() const { return sim::ObjectList(scene_); }

void Animation::Draw(int n, Frame& frame) const {
  frame.Clear(0x101820);
  frame.DrawRect(1 + n, 1, 3, 3, 1, 0xE04020, 40);           // right
  frame.DrawRect(8 - n, 2, 3, 3, 2, 0x20E040, 30);           // left, in front of 1
  frame.DrawRect(2 + n / 2, 6, 2, 2, 3, 0xF0F0F0, 20);       // excluded
  frame.DrawRect(9 - n / 2, 5 - n / 2, 2, 2, 4, 0x4060F0, 10, 1);  // diagonal, alternate set
}

void Animation::Configure(ParameterBlock& p) {
  p.commandCode = kCommandOptOut;
  p.depthTest = 1;
  p.secondaryLayer = 1;
  p.trails = 1;
  p.trailFrames = 3.0f;
  p.echoCount = 2.0f;
  p.jitter = 1;
  p.streakLength = 10.0f;
  p.altLength = 8.0f;
  p.reverseLength = 5.0f;
}

}  // namespace qxv::test
