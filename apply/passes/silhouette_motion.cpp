#include "apply/passes/silhouette_motion.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>

namespace qxv::apply {
namespace {

constexpr long kReach = 2;  // the filter's spill, in pixels

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

// The lower median: the vectors of one surface around a pixel are nearly
// alike, and the samples spilt from a neighbour are a minority.
double Median(std::vector<double>* values) {
  auto middle = values->begin() + static_cast<std::ptrdiff_t>((values->size() - 1) / 2);
  std::nth_element(values->begin(), middle, values->end());
  return *middle;
}

}  // namespace

std::vector<bool> SilhouettePixels(std::uint32_t width, std::uint32_t height,
                                   const std::vector<std::uint32_t>& objects) {
  const long w = width, h = height;
  auto at = [w](long x, long y) { return static_cast<std::size_t>(y * w + x); };
  std::vector<bool> silhouette(objects.size(), false);
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) {
      const std::uint32_t o = objects[at(x, y)];
      silhouette[at(x, y)] =
          (x > 0 && objects[at(x - 1, y)] != o) || (x + 1 < w && objects[at(x + 1, y)] != o) ||
          (y > 0 && objects[at(x, y - 1)] != o) || (y + 1 < h && objects[at(x, y + 1)] != o);
    }
  }
  return silhouette;
}

void SteadySilhouetteMotion(std::uint32_t width, std::uint32_t height,
                            const std::vector<std::uint32_t>& objects, Motion* motion) {
  const long w = width, h = height;
  auto at = [w](long x, long y) { return static_cast<std::size_t>(y * w + x); };
  const std::vector<bool> silhouette = SilhouettePixels(width, height, objects);
  std::vector<bool> near(objects.size(), false);
  // Silhouettes are a small share of a frame: mark around them only.
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) {
      if (!silhouette[at(x, y)]) continue;
      for (long ny = std::max(0L, y - kReach); ny <= std::min(h - 1, y + kReach); ++ny) {
        for (long nx = std::max(0L, x - kReach); nx <= std::min(w - 1, x + kReach); ++nx) {
          near[at(nx, ny)] = true;
        }
      }
    }
  }
  // Worked out from the vectors as given, written once all are known.
  struct Steady {
    std::size_t at;
    double dx, dy;
  };
  std::vector<Steady> steady;
  std::vector<double> xs, ys;
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) {
      const std::uint32_t o = objects[at(x, y)];
      if (o == 0 || !near[at(x, y)]) continue;
      // Off the silhouette first; a part too thin to have such pixels
      // takes what its own pixels say.
      for (const bool anyPixel : {false, true}) {
        xs.clear();
        ys.clear();
        for (long ny = std::max(0L, y - kReach); ny <= std::min(h - 1, y + kReach); ++ny) {
          for (long nx = std::max(0L, x - kReach); nx <= std::min(w - 1, x + kReach); ++nx) {
            const std::size_t n = at(nx, ny);
            if (objects[n] != o || (!anyPixel && silhouette[n])) continue;
            xs.push_back(Finite(motion->dx[n]));
            ys.push_back(Finite(motion->dy[n]));
          }
        }
        if (!xs.empty()) break;
      }
      steady.push_back(Steady{at(x, y), Median(&xs), Median(&ys)});
    }
  }
  for (const Steady& s : steady) {
    motion->dx[s.at] = s.dx;
    motion->dy[s.at] = s.dy;
  }
}

}  // namespace qxv::apply
