#include "bench/shutter/ssim.h"

#include <cmath>

namespace qxv::bench {
namespace {

constexpr int kRadius = 5;

// Separable Gaussian mean of `v` around each pixel, renormalised where the
// window leaves the picture.
std::vector<double> Mean(const std::vector<double>& v, std::uint32_t w, std::uint32_t h) {
  double weights[2 * kRadius + 1];
  for (int k = -kRadius; k <= kRadius; ++k) weights[k + kRadius] = std::exp(-k * k / (2.0 * 1.5 * 1.5));
  std::vector<double> across(v.size()), out(v.size());
  const auto pass = [&](const std::vector<double>& in, std::vector<double>& result, bool rows) {
    for (long y = 0; y < static_cast<long>(h); ++y) {
      for (long x = 0; x < static_cast<long>(w); ++x) {
        double sum = 0.0, total = 0.0;
        for (int k = -kRadius; k <= kRadius; ++k) {
          const long sx = rows ? x + k : x, sy = rows ? y : y + k;
          if (sx < 0 || sy < 0 || sx >= static_cast<long>(w) || sy >= static_cast<long>(h)) continue;
          sum += weights[k + kRadius] * in[static_cast<std::size_t>(sy * w + sx)];
          total += weights[k + kRadius];
        }
        result[static_cast<std::size_t>(y * w + x)] = sum / total;
      }
    }
  };
  pass(v, across, true);
  pass(across, out, false);
  return out;
}

}  // namespace

std::vector<float> SsimMap(const std::vector<float>& a, const std::vector<float>& b,
                           std::uint32_t width, std::uint32_t height) {
  const std::size_t n = a.size();
  std::vector<double> x(n), y(n), xx(n), yy(n), xy(n);
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = a[i], y[i] = b[i];
    xx[i] = x[i] * x[i], yy[i] = y[i] * y[i], xy[i] = x[i] * y[i];
  }
  const std::vector<double> mx = Mean(x, width, height), my = Mean(y, width, height);
  const std::vector<double> mxx = Mean(xx, width, height), myy = Mean(yy, width, height);
  const std::vector<double> mxy = Mean(xy, width, height);
  const double c1 = 0.01 * 0.01, c2 = 0.03 * 0.03;
  std::vector<float> map(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double vx = mxx[i] - mx[i] * mx[i], vy = myy[i] - my[i] * my[i];
    const double cov = mxy[i] - mx[i] * my[i];
    map[i] = static_cast<float>((2.0 * mx[i] * my[i] + c1) * (2.0 * cov + c2) /
                                ((mx[i] * mx[i] + my[i] * my[i] + c1) * (vx + vy + c2)));
  }
  return map;
}

}  // namespace qxv::bench
