#include "apply/passes/surface_tracker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qxv::apply {
namespace {

// Far enough past any frame the module takes; keeps every later conversion
// in range whatever the vectors say.
constexpr double kFarthest = 1.0e6;
// How far around a hidden point the nearest visible pixel of its object is
// looked for before the object's average offset stands in.
constexpr int kReach = 4;

double Component(double v) {
  if (!std::isfinite(v)) return 0.0;
  return v < -kFarthest ? -kFarthest : (v > kFarthest ? kFarthest : v);
}

std::uint32_t Fixed(double v) {
  // Wrapping, as the module compares match values.
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::llround(v * 256.0)));
}

}  // namespace

void OwnPositions(std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t>* match1,
                  std::vector<std::uint32_t>* match2) {
  match1->resize(static_cast<std::size_t>(width) * height);
  match2->resize(match1->size());
  for (std::size_t i = 0; i < match1->size(); ++i) {
    (*match1)[i] = Fixed(static_cast<double>(i % width));
    (*match2)[i] = Fixed(static_cast<double>(i / width));
  }
}

void SurfaceTracker::Restart() {
  for (std::size_t i = 0; i < values_.size(); ++i) {
    values_[i] = Point{static_cast<double>(i % width_), static_cast<double>(i / width_)};
  }
  std::fill(offsetSums_.begin(), offsetSums_.end(), Point{});
}

bool SurfaceTracker::Sample(std::uint32_t object, Point q, int reach, Point* value) const {
  const double x0 = std::floor(q.x), y0 = std::floor(q.y);
  const double fx = q.x - x0, fy = q.y - y0;
  // Bilinear over the corners of the object's own pixels; each corner's
  // value is carried to q by its distance, so that a partial set of corners
  // still gives the point's value where the surface moved without turning.
  double weight = 0.0, sx = 0.0, sy = 0.0;
  for (int k = 0; k < 4; ++k) {
    const double cx = x0 + (k & 1), cy = y0 + (k >> 1);
    if (cx < 0 || cy < 0 || cx >= width_ || cy >= height_) continue;
    const std::size_t at = static_cast<std::size_t>(cy) * width_ + static_cast<std::size_t>(cx);
    if (objects_[at] != object) continue;
    const double w = ((k & 1) ? fx : 1.0 - fx) * ((k >> 1) ? fy : 1.0 - fy) + 1e-9;
    weight += w;
    sx += w * (values_[at].x + (q.x - cx));
    sy += w * (values_[at].y + (q.y - cy));
  }
  if (weight > 0.0) {
    *value = Point{sx / weight, sy / weight};
    return true;
  }
  // Nearest by rings, so the closest visible part of the surface answers.
  const long cx = std::lround(q.x), cy = std::lround(q.y);
  for (int r = 1; r <= reach; ++r) {
    for (long y = cy - r; y <= cy + r; ++y) {
      for (long x = cx - r; x <= cx + r; ++x) {
        if (std::labs(x - cx) != r && std::labs(y - cy) != r) continue;
        if (x < 0 || y < 0 || x >= static_cast<long>(width_) || y >= static_cast<long>(height_)) {
          continue;
        }
        const std::size_t at = static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x);
        if (objects_[at] != object) continue;
        *value = Point{values_[at].x + (q.x - x), values_[at].y + (q.y - y)};
        return true;
      }
    }
  }
  return false;
}

bool SurfaceTracker::MeanOffset(std::uint32_t object, Point* offset) const {
  if (object >= offsetCounts_.size() || offsetCounts_[object] == 0) return false;
  const double n = offsetCounts_[object];
  *offset = Point{offsetSums_[object].x / n, offsetSums_[object].y / n};
  return true;
}

void SurfaceTracker::Next(std::uint32_t width, std::uint32_t height,
                          const std::vector<std::uint32_t>& objects, const Motion& motion,
                          std::vector<std::uint32_t>* match1, std::vector<std::uint32_t>* match2) {
  const bool fresh = width != width_ || height != height_;
  std::vector<Point> values(static_cast<std::size_t>(width) * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      values[i] = Point{static_cast<double>(x), static_cast<double>(y)};
      if (fresh || objects[i] == 0) continue;
      const Point q{x + Component(motion.dx[i]), y + Component(motion.dy[i])};
      Point offset;
      if (Sample(objects[i], q, kReach, &values[i])) continue;
      if (MeanOffset(objects[i], &offset)) values[i] = Point{q.x + offset.x, q.y + offset.y};
    }
  }
  width_ = width;
  height_ = height;
  objects_ = objects;
  values_ = std::move(values);
  match1->resize(values_.size());
  match2->resize(values_.size());
  offsetSums_.clear();
  offsetCounts_.clear();
  for (std::size_t i = 0; i < values_.size(); ++i) {
    (*match1)[i] = Fixed(values_[i].x);
    (*match2)[i] = Fixed(values_[i].y);
    const std::uint32_t o = objects_[i];
    if (o >= offsetCounts_.size()) {
      offsetCounts_.resize(o + 1, 0);
      offsetSums_.resize(o + 1);
    }
    offsetSums_[o].x += values_[i].x - static_cast<double>(i % width);
    offsetSums_[o].y += values_[i].y - static_cast<double>(i / width);
    ++offsetCounts_[o];
  }
}

}  // namespace qxv::apply
