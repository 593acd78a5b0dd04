// A small animation with every feature of the blur at work: an occlusion
// group, an object excluded by its Weight, an alternate-set object, depths
// that make objects pass in front of each other, a tiled image.
#pragma once
#include <cstdint>
#include <vector>

#include "tests/support/module_fixture.h"

namespace qxv::test {

class Animation {
 public:
  static constexpr std::uint32_t kWidth = 12;
  static constexpr std::uint32_t kHeight = 9;
  static constexpr std::uint32_t kTile = 5;

  Animation();
  ~Animation();
  Animation(const Animation&) = delete;
  Animation& operator=(const Animation&) = delete;

  SceneObjectList* Objects() const;
  // Draws frame n (from 0) into a fresh frame of the animation's size.
  void Draw(int n, Frame& frame) const;
  // Every feature on: opt-out mode, depth test, secondary layer, trails,
  // echoes, jitter.
  static void Configure(ParameterBlock& p);

 private:
  sim::Scene* scene_ = nullptr;
  std::vector<GenericData*> weights_;
};

}  // namespace qxv::test
