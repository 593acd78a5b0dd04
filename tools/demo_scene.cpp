#include "tools/demo_scene.h"

#include <algorithm>

#include "sim/scene.h"

namespace qxv::tool {
namespace {

// Scene layout in a 320 x 180 design space, scaled to the frame size.
constexpr float kDesignWidth = 320.0f, kDesignHeight = 180.0f;
constexpr float kHalfTurn = 3.1415927f;

enum class Parent { Root, Group, OwnWeight };

struct Motion {
  float x0, y0, angle0, x1, y1, angle1;
};

struct ObjectSpec {
  const char* name;
  Shape shape;
  float halfWidth, halfHeight;
  std::uint32_t colour, accent;
  std::uint32_t depth;
  bool alternate;
  Parent parent;
  Motion motion;
};

// Depths: the car (in front) < the pillar < the box passing behind it.
// Excluded by its own Weight: the white box and the static pillar.
// clang-format off
const ObjectSpec kObjects[] = {
    // name, shape, half width, half height, colour, accent, depth, alternate, parent,
    // motion {x0, y0, angle0, x1, y1, angle1}
    {"rotating", Shape::Cross, 26, 5, 0xF08A24, 0xFFD9A0, 4000, false, Parent::Root,
     {56, 52, 0, 56, 52, kHalfTurn}},
    {"diagonal", Shape::Disc, 11, 11, 0xF2D230, 0xA07810, 4000, false, Parent::Root,
     {18, 168, 0, 88, 124, 0}},
    {"behind-pillar", Shape::Box, 18, 10, 0xE0463C, 0xFFB0A0, 5000, false, Parent::Root,
     {112, 30, 0, 232, 30, 0}},
    {"pillar", Shape::Box, 7, 76, 0x8C8C96, 0xA8A8B4, 3000, false, Parent::OwnWeight,
     {190, 90, 0, 190, 90, 0}},
    {"car-body", Shape::Box, 22, 8, 0x28B4A0, 0x9CEBDC, 1000, false, Parent::Group,
     {132, 128, 0, 252, 128, 0}},
    // A window on the body, nearer than it.
    {"car-cabin", Shape::Box, 10, 5, 0xF0F0F0, 0x50C8F0, 900, false, Parent::Group,
     {128, 128, 0, 248, 128, 0}},
    {"left", Shape::Disc, 12, 12, 0x3C78F0, 0xB4D2FF, 4000, false, Parent::Root,
     {300, 72, 0, 222, 72, 0}},
    {"up", Shape::Box, 9, 13, 0x46C84B, 0xC8F5B4, 4000, false, Parent::Root,
     {292, 168, 0, 292, 104, 0}},
    {"alternate", Shape::Disc, 10, 10, 0xD246D2, 0xFFC8FF, 4000, true, Parent::Root,
     {150, 92, 0, 92, 92, 0}},
    {"excluded", Shape::Box, 12, 7, 0xDCDCDC, 0x787878, 4000, false, Parent::OwnWeight,
     {262, 160, 0, 142, 160, 0}},
};
// clang-format on

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

}  // namespace

DemoScene::DemoScene(const apply::Session& session, apply::Size size) : size_(size) {
  scene_ = sim::NewScene();
  const std::int32_t root = sim::AddNode(scene_, -1);
  const std::int32_t group = sim::AddNode(scene_, root);
  auto attach = [&](std::int32_t node, const apply::WeightValues& values) {
    Unknown* weight = session.NewWeight(values);
    sim::Attach(scene_, node, weight);
    ReleaseInterface(weight);
  };
  // The car's two parts are one occlusion group: the body's streak runs over
  // its own nearer cabin instead of being hidden by it.
  attach(group, apply::WeightValues{5.0f, 5.0f, true});
  for (const ObjectSpec& spec : kObjects) {
    const std::int32_t node =
        sim::AddNode(scene_, spec.parent == Parent::Group ? group : root);
    if (spec.parent == Parent::OwnWeight) attach(node, apply::WeightValues{1.0f, 5.0f, false});
    indices_.push_back(static_cast<std::uint32_t>(sim::AddRenderedObject(scene_, node)));
  }
}

DemoScene::~DemoScene() { sim::DestroyScene(scene_); }

SceneObjectList* DemoScene::List() const { return sim::ObjectList(scene_); }

std::vector<PlacedObject> DemoScene::Place(int frame, int frames) const {
  const float t = static_cast<float>(frame) / static_cast<float>(std::max(frames, 1));
  const float sx = static_cast<float>(size_.width) / kDesignWidth;
  const float sy = static_cast<float>(size_.height) / kDesignHeight;
  std::vector<PlacedObject> placed;
  for (std::size_t i = 0; i < std::size(kObjects); ++i) {
    const ObjectSpec& o = kObjects[i];
    const Motion& m = o.motion;
    ShapeInstance s;
    s.shape = o.shape;
    s.centreX = Lerp(m.x0, m.x1, t) * sx;
    s.centreY = Lerp(m.y0, m.y1, t) * sy;
    s.angle = Lerp(m.angle0, m.angle1, t);
    s.halfWidth = o.halfWidth;
    s.halfHeight = o.halfHeight;
    s.scale = std::min(sx, sy);
    s.colour = o.colour;
    s.accent = o.accent;
    s.index = indices_[i];
    s.depth = o.depth;
    s.alternate = o.alternate ? 1 : 0;
    const bool moving = m.x0 != m.x1 || m.y0 != m.y1 || m.angle0 != m.angle1;
    placed.push_back(PlacedObject{o.name, moving, o.parent == Parent::OwnWeight, s});
  }
  return placed;
}

void DemoScene::Render(int frame, int frames, sim::PassImages* passes) const {
  DrawBackground(*passes, size_.width, size_.height);
  for (const PlacedObject& object : Place(frame, frames)) DrawShape(object.shape, *passes);
}

}  // namespace qxv::tool
