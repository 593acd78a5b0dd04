// The scene the module walks when the renders come without one: a node per
// object number, carrying a Weight where the user gave the object settings,
// and a parent node per occlusion group whose Weight binds its children,
// as a host scene holds a model of several parts.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/scene.h"
#include "sim/scene.h"
#include "apply/blur/host_session.h"
#include "apply/blur/object_settings.h"

namespace qxv::apply {

class ObjectScene {
 public:
  // `optIn`: the mode blurs no object without a Weight, which is what an
  // object whose blur is unset gets.
  ObjectScene(const ObjectTable& objects, bool optIn);
  ~ObjectScene();
  ObjectScene(const ObjectScene&) = delete;
  ObjectScene& operator=(const ObjectScene&) = delete;

  // Adds the nodes of the object numbers handed out so far, given the
  // renderer's index of each number (from 1); Weights come from the
  // session's module.
  void Cover(const std::vector<double>& objectIndexes, const Session& session);
  SceneObjectList* List() const { return sim::ObjectList(scene_); }

 private:
  std::int32_t GroupNode(const std::string& name, const Session& session);

  sim::Scene* scene_;
  const ObjectTable objects_;
  const bool optIn_;
  std::uint32_t count_ = 0;
  std::map<std::string, std::int32_t> groups_;
};

// The Weight that stands for an object's settings: primary weight 5 to be
// blurred and 0 not to be, secondary 5 for the reverse streak and 0 for
// none; never a group root itself.
WeightValues ObjectWeight(const ObjectSettings& settings, bool optIn);

}  // namespace qxv::apply
