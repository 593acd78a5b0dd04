#include "apply/blur/object_scene.h"

#include <algorithm>

namespace qxv::apply {

WeightValues ObjectWeight(const ObjectSettings& s, bool optIn) {
  WeightValues v;
  v.primary = s.blur.value_or(!optIn) ? 5.0f : 0.0f;
  v.secondary = s.reverse ? 5.0f : 0.0f;
  v.groupChildren = false;
  return v;
}

ObjectScene::ObjectScene(const ObjectTable& objects, bool optIn)
    : scene_(sim::NewScene()), objects_(objects), optIn_(optIn) {}

ObjectScene::~ObjectScene() { sim::DestroyScene(scene_); }

std::int32_t ObjectScene::GroupNode(const std::string& name, const Session& session) {
  const auto found = groups_.find(name);
  if (found != groups_.end()) return found->second;
  const std::int32_t node = sim::AddNode(scene_, -1);
  // Its members carry Weights of their own, so only the flag that binds
  // them counts here.
  Unknown* weight = session.NewWeight(WeightValues{5.0f, 5.0f, true});
  sim::Attach(scene_, node, weight);
  ReleaseInterface(weight);
  groups_.emplace(name, node);
  return node;
}

void ObjectScene::Cover(const std::vector<double>& indexOf, const Session& session) {
  const auto count = static_cast<std::uint32_t>(indexOf.empty() ? 0 : indexOf.size() - 1);
  for (std::uint32_t n = count_ + 1; n <= count; ++n) {
    // Indexes beyond the table's keys (floats up to 3.4e38) have no settings.
    const auto settings = indexOf[n] < 9.0e18 ? objects_.find(static_cast<long long>(indexOf[n]))
                                              : objects_.end();
    std::int32_t parent = -1;
    if (settings != objects_.end() && !settings->second.group.empty()) {
      parent = GroupNode(settings->second.group, session);
    }
    const std::int32_t node = sim::AddNode(scene_, parent);
    if (settings != objects_.end()) {
      Unknown* weight = session.NewWeight(ObjectWeight(settings->second, optIn_));
      sim::Attach(scene_, node, weight);
      ReleaseInterface(weight);
    }
    sim::AddRenderedObject(scene_, node);
  }
  count_ = std::max(count_, count);
}

}  // namespace qxv::apply
