// Match values from motion vectors: values that stay on the same surface
// point from frame to frame, so the module's previous-frame search finds
// where each pixel's point lay, with no UV pass, across UV seams, and on
// surfaces that were hidden in the previous frame.
#pragma once
#include <cstdint>
#include <vector>

namespace qxv::apply {

struct Motion {
  // Per pixel, row-major: where the pixel's point was in the previous
  // frame, relative to the pixel, x to the right and y down.
  std::vector<double> dx, dy;
};

// The match values of a frame that starts tracking: each pixel's own
// coordinates.
void OwnPositions(std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t>* match1,
                  std::vector<std::uint32_t>* match2);

class SurfaceTracker {
 public:
  // The first frame, and any frame after a size change, takes each pixel's
  // own coordinates; each later pixel takes the values at the place its
  // vector points to in the previous frame, among that frame's pixels of the
  // same object (extrapolated from the nearest of them where the point was
  // hidden). Values are pixel positions in 24.8 fixed point, wrapping.
  // Vectors that are NaN or infinite count as no motion.
  void Next(std::uint32_t width, std::uint32_t height, const std::vector<std::uint32_t>& objects,
            const Motion& motion, std::vector<std::uint32_t>* match1,
            std::vector<std::uint32_t>* match2);
  // Tracking starts again at the last frame given: its pixels take their
  // own coordinates, as a first frame's do, so the next frame's values are
  // where its points lay in that frame. A run that restarts at every frame
  // carries nothing further than one frame, so a range of frames needs only
  // the frame before it.
  void Restart();

 private:
  struct Point {
    double x = 0.0, y = 0.0;
  };
  // The previous frame's value of `object`'s point at q, or false when the
  // object has no pixel near q there.
  bool Sample(std::uint32_t object, Point q, int reach, Point* value) const;
  // How far the object's values lie from its pixels' positions on average.
  bool MeanOffset(std::uint32_t object, Point* offset) const;

  std::uint32_t width_ = 0, height_ = 0;
  std::vector<std::uint32_t> objects_;
  std::vector<Point> values_;
  std::vector<Point> offsetSums_;
  std::vector<std::uint32_t> offsetCounts_;
};

}  // namespace qxv::apply
