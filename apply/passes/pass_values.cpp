#include "apply/passes/pass_values.h"

#include <cmath>
#include <cstring>

#include "apply/passes/silhouette_motion.h"

namespace qxv::apply {
namespace {

std::uint32_t Saturate(double v, double high) {
  if (!(v > 0.0)) return 0;  // NaN too
  return v >= high ? static_cast<std::uint32_t>(high) : static_cast<std::uint32_t>(v);
}

std::uint32_t FractionBits(double v) {
  if (!std::isfinite(v)) return 0;
  const double scaled = (v - std::floor(v)) * 4294967296.0;
  return scaled >= 4294967296.0 ? 0u : static_cast<std::uint32_t>(scaled);
}

}  // namespace

std::vector<std::uint32_t> ObjectNumbers::Number(const ChannelImage& pass) {
  std::vector<std::uint32_t> out(pass.Pixels(), 0);
  // Neighbouring pixels mostly show the same object: its number is kept
  // from the last look-up.
  double lastKey = 0.0;
  std::uint32_t lastNumber = 0;
  for (std::size_t i = 0; i < pass.Pixels(); ++i) {
    const double key = std::round(pass.At(i, 0));
    if (!(key > 0.0) || std::isinf(key)) continue;
    if (key != lastKey || lastNumber == 0) {
      lastKey = key;
      lastNumber = numbers_.emplace(key, static_cast<std::uint32_t>(numbers_.size() + 1)).first->second;
    }
    out[i] = lastNumber;
  }
  return out;
}

std::vector<std::uint32_t> MatchValues(const ChannelImage& pass) {
  std::vector<std::uint32_t> out(pass.Pixels());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = Saturate(pass.At(i, 0), 4294967295.0);
  return out;
}

std::vector<std::uint32_t> DepthValues(const ChannelImage& pass) {
  constexpr std::uint32_t kFarthest = 0x7F800000;  // the bits of +infinity
  std::vector<std::uint32_t> out(pass.Pixels());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double v = pass.At(i, 0);
    if (pass.integral[0]) {
      out[i] = Saturate(v, 2147483647.0);
    } else if (std::isnan(v) || v >= 3.4e38) {
      out[i] = kFarthest;
    } else {
      // The bits of a non-negative float order as the values do, so the
      // whole float range keeps its order within 31 bits.
      const float f = v > 0.0 ? static_cast<float>(v) : 0.0f;
      std::memcpy(&out[i], &f, sizeof f);
    }
  }
  return out;
}

std::vector<std::uint32_t> AlternateValues(const ChannelImage& pass) {
  std::vector<std::uint32_t> out(pass.Pixels());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double v = pass.At(i, 0);
    out[i] = (v != 0.0 && !std::isnan(v)) ? 1u : 0u;
  }
  return out;
}

void UvMatchValues(const ChannelImage& pass, const std::vector<std::uint32_t>& objects,
                   std::vector<std::uint32_t>* match1, std::vector<std::uint32_t>* match2) {
  const long w = pass.width, h = pass.height;
  auto at = [w](long x, long y) { return static_cast<std::size_t>(y * w + x); };
  const std::vector<bool> edge = SilhouettePixels(pass.width, pass.height, objects);
  match1->resize(pass.Pixels());
  match2->resize(pass.Pixels());
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) {
      std::size_t from = at(x, y);
      for (int k = 0; k < 9 && edge[at(x, y)] && objects[at(x, y)] != 0; ++k) {
        const long nx = x + k % 3 - 1, ny = y + k / 3 - 1;
        if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
        if (!edge[at(nx, ny)] && objects[at(nx, ny)] == objects[at(x, y)]) {
          from = at(nx, ny);
          break;
        }
      }
      (*match1)[at(x, y)] = FractionBits(pass.At(from, 0) / pass.unit[0]);
      (*match2)[at(x, y)] = FractionBits(pass.At(from, 1) / pass.unit[1]);
    }
  }
}

}  // namespace qxv::apply
