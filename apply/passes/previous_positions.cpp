#include "apply/passes/previous_positions.h"

#include <cmath>

namespace qxv::apply {
namespace {

// Far enough past any frame the module takes; keeps every later conversion
// in range whatever the vectors say.
constexpr double kFarthest = 1.0e6;

double Component(double v) {
  if (!std::isfinite(v)) return 0.0;
  return v < -kFarthest ? -kFarthest : (v > kFarthest ? kFarthest : v);
}

// The nearest 256th, halves away from zero (as std::llround, without a call
// per value: two per pixel of every frame). Values are held within 64 bits
// by kFarthest, where the truncation and the fraction left are exact.
std::uint32_t Fixed(double v) {
  const double scaled = v * 256.0;
  std::int64_t n = static_cast<std::int64_t>(scaled);
  const double fraction = scaled - static_cast<double>(n);
  if (fraction >= 0.5) {
    ++n;
  } else if (fraction <= -0.5) {
    --n;
  }
  // Wrapping, as the module compares match values.
  return static_cast<std::uint32_t>(n);
}

}  // namespace

void PreviousPositions(std::uint32_t width, std::uint32_t height, const Motion& motion,
                       std::vector<std::uint32_t>* match1, std::vector<std::uint32_t>* match2) {
  match1->resize(static_cast<std::size_t>(width) * height);
  match2->resize(match1->size());
  for (std::size_t i = 0; i < match1->size(); ++i) {
    (*match1)[i] = Fixed(static_cast<double>(i % width) + Component(motion.dx[i]));
    (*match2)[i] = Fixed(static_cast<double>(i / width) + Component(motion.dy[i]));
  }
}

void OwnPositions(std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t>* match1,
                  std::vector<std::uint32_t>* match2) {
  PreviousPositions(width, height,
                    Motion{std::vector<double>(static_cast<std::size_t>(width) * height, 0.0),
                           std::vector<double>(static_cast<std::size_t>(width) * height, 0.0)},
                    match1, match2);
}

}  // namespace qxv::apply
