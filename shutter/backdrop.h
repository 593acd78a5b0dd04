// What a moving pixel's surface uncovers behind it: nothing in the frame
// shows it, so the nearest background beside the silhouette, on the side
// the surface moved away from, stands in for it.
#pragma once
#include <cstdint>

#include "shutter/surface.h"

namespace qxv::shutter {

class Backdrop {
 public:
  Backdrop(const Surface& s, std::uint32_t x, std::uint32_t y) : s_(s), x_(x), y_(y) {}

  // The background uncovered where the pixel's surface moved by (dx, dy):
  // found looking back from the pixel, against that motion. Each side is
  // looked for once.
  const float* Behind(float dx, float dy);

 private:
  const float* Search(float dx, float dy) const;

  const Surface& s_;
  std::uint32_t x_, y_;
  const float* found_[2] = {nullptr, nullptr};  // moving with and against the path's b
};

}  // namespace qxv::shutter
