// What a moving pixel's surface uncovers behind it: nothing in the frame
// shows it, so the background beside the silhouette, on the side the
// surface moved away from, stands in for it: the mean of a run of it.
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
  void Search(float dx, float dy, float* rgba) const;

  const Surface& s_;
  std::uint32_t x_, y_;
  // Moving with and against the path's b.
  bool found_[2] = {false, false};
  float colour_[2][4];
};

}  // namespace qxv::shutter
