#include "shutter/gather.h"

#include <algorithm>
#include <cmath>

#include "shutter/backdrop.h"

namespace qxv::shutter {
namespace {

// Sample spacing along the longest path: a point moves at most about this
// many pixels from one time sample to the next, so that the pixel-wide
// footprints of consecutive samples overlap into a smooth streak.
constexpr float kStep = 1.0f;
constexpr int kMostSamples = 12;
// The paths looked along: the pixel's own, the nearest moving pixel's and
// its tile's fastest.
constexpr int kMostPaths = 3;
constexpr int kMostFragments = 1 + 4 * kMostPaths;
// Surfaces covering this much of a pixel cover it all.
constexpr float kWhole = 0.999f;

struct Fragment {
  const Texel* texel;
  float weight, depth;
};

float Tent(float d) {
  d = std::fabs(d);
  return d < 1.0f ? 1.0f - d : 0.0f;
}

// A fixed value in [0, 1) per pixel, so that samples start at another
// moment in each pixel and their steps do not line up into bands.
float Jitter(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

// The chord of the path while the shutter is open, in pixels.
float Travel(const Texel& t, float half) {
  const float dx = t.Dx(half) - t.Dx(-half), dy = t.Dy(half) - t.Dy(-half);
  return std::sqrt(dx * dx + dy * dy);
}

class PixelGather {
 public:
  PixelGather(const Surface& s, const Neighbourhood& near, std::uint32_t x, std::uint32_t y)
      : s_(s), x_(x), y_(y), q_(std::size_t{y} * s.width + x), self_(s.texels[q_]),
        backdrop_(s, x, y) {
    nearest_ = near.nearest[q_];
    // The pixel's own tile's fastest path.
    const std::int64_t fastest = near.FastestAt(x / kTile, y / kTile);
    if (fastest >= 0) reach_ = s.reach[static_cast<std::size_t>(fastest)];
    // A pixel nothing reaches looks along no path.
    if (!Reachable()) return;
    if (!self_.Still()) paths_[paths_count_++] = &self_;
    if (nearest_.x >= 0) AddPath(static_cast<std::int64_t>(nearest_.y) * s.width + nearest_.x);
    AddPath(fastest);
  }

  // Whether any moving pixel could bring its colour here: none that can
  // reaches further than the fastest paths around, and none lies nearer
  // than the nearest moving pixel.
  bool Reachable() const {
    if (!self_.Still()) return true;
    if (nearest_.x < 0) return false;
    const float dx = static_cast<float>(nearest_.x) - static_cast<float>(x_);
    const float dy = static_cast<float>(nearest_.y) - static_cast<float>(y_);
    // Largest of x and y is at least the distance over the square root of
    // two; a pixel of slack for the sweeps' approximation.
    const float most = (reach_ + 1.0f) * 1.4143f;
    return dx * dx + dy * dy <= most * most;
  }

  bool Run(float* out) {
    if (!Reachable()) {
      std::copy(self_.rgba, self_.rgba + 4, out);
      return true;
    }
    float longest = 0.0f;
    for (int p = 0; p < paths_count_; ++p) longest = std::max(longest, Travel(*paths_[p], s_.half));
    const int samples = std::clamp(static_cast<int>(std::ceil(longest / kStep)), 2, kMostSamples);
    const float jitter = Jitter(x_, y_);
    double sum[4] = {0.0, 0.0, 0.0, 0.0}, weight = 0.0;
    bool foreign = false;
    for (int k = 0; k < samples; ++k) {
      const float t = s_.half * (2.0f * (static_cast<float>(k) + jitter) / static_cast<float>(samples) - 1.0f);
      foreign |= Sample(t, sum, &weight);
    }
    if (!foreign) {
      std::copy(self_.rgba, self_.rgba + 4, out);
      return true;
    }
    for (int c = 0; c < 4; ++c) out[c] = static_cast<float>(sum[c] / weight);
    return false;
  }

 private:
  // A path to look along, unless one already taken runs close to it all
  // the while the shutter is open: within half a pixel, or within a
  // quarter of its length, as the paths of one turning or growing surface
  // do (following the one leads to the other's pixels too).
  void AddPath(std::int64_t index) {
    if (index < 0 || static_cast<std::size_t>(index) == q_) return;
    const Texel* t = &s_.texels[static_cast<std::size_t>(index)];
    // A surface behind a still pixel never shows over it.
    if (still_ && Farther(t->depth, self_.depth)) return;
    for (int p = 0; p < paths_count_; ++p) {
      const Texel& o = *paths_[p];
      const float near = std::max(0.5f, 0.25f * Travel(o, s_.half));
      bool close = true;
      for (float at : {-s_.half, s_.half}) {
        close = close && std::fabs(o.Dx(at) - t->Dx(at)) < near && std::fabs(o.Dy(at) - t->Dy(at)) < near;
      }
      if (close) return;
    }
    paths_[paths_count_++] = t;
  }

  // A surface over the pixel at this moment, covering `weight` of it. Over
  // a still pixel, which covers itself all the while, only nearer ones can
  // show.
  void Add(const Texel* texel, float weight) {
    const float depth = texel->depth;
    if (weight <= 0.0f || (texel != &self_ && still_ && !(depth < self_.depth))) return;
    for (int f = 0; f < count_; ++f) {
      if (fragments_[f].texel == texel) return;
    }
    // Kept in order of depth as they come (a handful at most).
    int at = count_++;
    for (; at > 0 && fragments_[at - 1].depth > depth; --at) fragments_[at] = fragments_[at - 1];
    fragments_[at] = {texel, weight, depth};
  }

  // The pixels around where the point over this pixel at time t starts,
  // following `path` and then the path of the pixel it leads to. Returns
  // whether a nearer surface hides where it starts.
  bool Follow(const Texel& path, float t) {
    float fx = static_cast<float>(x_) - path.Dx(t), fy = static_cast<float>(y_) - path.Dy(t);
    const long nx = Nearest(fx), ny = Nearest(fy);
    if (Inside(nx, ny)) {
      const Texel& n = s_.At(static_cast<std::uint32_t>(nx), static_cast<std::uint32_t>(ny));
      if (!n.Still()) {
        fx = static_cast<float>(x_) - n.Dx(t);
        fy = static_cast<float>(y_) - n.Dy(t);
      } else if (still_ && s_.calm[static_cast<std::size_t>(ny) * s_.width + static_cast<std::size_t>(nx)]) {
        // Nothing moves in the four pixels there.
        return false;
      }
    }
    const bool own = &path == &self_;
    const long x0 = static_cast<long>(std::floor(fx)), y0 = static_cast<long>(std::floor(fy));
    // Another path led to the same four pixels: they are in already.
    for (int b = 0; b < bases_; ++b) {
      if (base_[b][0] == x0 && base_[b][1] == y0) return hidden_[b];
    }
    bool hidden = false;
    for (long py = y0; py <= y0 + 1; ++py) {
      for (long px = x0; px <= x0 + 1; ++px) {
        if (!Inside(px, py)) continue;
        const Texel& c = s_.texels[static_cast<std::size_t>(py) * s_.width + static_cast<std::size_t>(px)];
        if (own && Nearer(c.depth, self_.depth)) hidden = true;
        // A still pixel's colour lands on itself alone.
        if (c.Still() && &c != &self_) continue;
        const float ex = static_cast<float>(px) + c.Dx(t) - static_cast<float>(x_);
        const float ey = static_cast<float>(py) + c.Dy(t) - static_cast<float>(y_);
        Add(&c, Tent(ex) * Tent(ey));
      }
    }
    base_[bases_][0] = x0, base_[bases_][1] = y0, hidden_[bases_] = hidden;
    ++bases_;
    return hidden;
  }

  bool Inside(long x, long y) const {
    return x >= 0 && y >= 0 && x < static_cast<long>(s_.width) && y < static_cast<long>(s_.height);
  }

  // One moment: adds the colour over the pixel to `sum`; returns whether
  // anything but the pixel's own colour, fully, was there.
  bool Sample(float t, double* sum, double* weight) {
    count_ = 0;
    bases_ = 0;
    Add(&self_, still_ ? 1.0f : Tent(self_.Dx(t)) * Tent(self_.Dy(t)));
    bool hidden = false;
    float own = 0.0f;  // how much the surfaces found so far cover
    for (int p = 0; p < paths_count_; ++p) {
      // Where the pixel's own surface covers it all, only a nearer one can
      // show.
      if (own >= kWhole && !Nearer(paths_[p]->depth, self_.depth)) continue;
      const bool h = Follow(*paths_[p], t);
      if (paths_[p] == &self_) {
        hidden = h;
        for (int f = 0; f < count_; ++f) own += fragments_[f].weight;
      }
    }
    float covered = 0.0f;
    bool foreign = false;
    for (int f = 0; f < count_ && covered < 1.0f; ++f) {
      const float take = std::min(fragments_[f].weight, 1.0f - covered);
      const float* c = fragments_[f].texel->rgba;
      for (int k = 0; k < 4; ++k) sum[k] += static_cast<double>(take) * c[k];
      covered += take;
      foreign |= fragments_[f].texel != &self_ || take < 1.0f;
    }
    *weight += covered;
    // Four neighbours' shares of one surface add up to 1 but for rounding:
    // what little is left then is no uncovered background.
    if (covered < kWhole) {
      // Where the pixel's own surface ran on behind a nearer one, it is
      // taken to go on as it is here; elsewhere what it uncovered is the
      // background beside it, on the side it moved away from.
      const float* c = hidden ? self_.rgba : backdrop_.Behind(self_.Dx(t), self_.Dy(t));
      for (int k = 0; k < 4; ++k) sum[k] += static_cast<double>(1.0f - covered) * c[k];
      *weight += 1.0f - covered;
      foreign = true;
    }
    return foreign;
  }

  const Surface& s_;
  std::uint32_t x_, y_;
  std::size_t q_;
  const Texel& self_;
  const bool still_ = self_.Still();
  Backdrop backdrop_;
  const Texel* paths_[kMostPaths];
  int paths_count_ = 0;
  Fragment fragments_[kMostFragments];
  int count_ = 0;
  long base_[kMostPaths][2];  // the four pixels' corner, per path followed
  bool hidden_[kMostPaths];
  int bases_ = 0;
  Neighbourhood::Place nearest_;
  float reach_ = 0.0f;
};

}  // namespace

bool GatherPixel(const Surface& surface, const Neighbourhood& near, std::uint32_t x,
                 std::uint32_t y, float* rgba) {
  return PixelGather(surface, near, x, y).Run(rgba);
}

}  // namespace qxv::shutter
