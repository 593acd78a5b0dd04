// The built-in animated scene: objects moving right, left, up and
// diagonally, one rotating, a two-part object passing in front of a pillar
// while another passes behind it, one excluded by its Weight and one in the
// alternate set. The pillar carries an excluding Weight too: a static object
// that is blurred paints its own colour where a mover uncovers it, over the
// mover's streak. The same motion is spread over however many frames are
// asked for.
#pragma once
#include <vector>

#include "host/scene.h"
#include "sim/rendered_frame.h"
#include "apply/blur/host_session.h"
#include "tools/rasterise.h"

namespace qxv::sim {
struct Scene;
}

namespace qxv::tool {

struct PlacedObject {
  const char* name;
  bool moving;
  bool excluded;  // its Weight forbids the blur
  ShapeInstance shape;
};

class DemoScene {
 public:
  // Builds the node tree with Weights made by the session's module.
  DemoScene(const apply::Session& session, apply::Size size);
  ~DemoScene();
  DemoScene(const DemoScene&) = delete;
  DemoScene& operator=(const DemoScene&) = delete;

  SceneObjectList* List() const;

  // Frame 0 is the lead-in; frames 1..frames are the ones written.
  std::vector<PlacedObject> Place(int frame, int frames) const;
  void Render(int frame, int frames, sim::PassImages* passes) const;

 private:
  apply::Size size_;
  sim::Scene* scene_ = nullptr;
  std::vector<std::uint32_t> indices_;  // rendered object index per table row
};

}  // namespace qxv::tool
