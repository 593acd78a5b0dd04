// Frames for the shutter look's tests: boxes moving at constant velocity
// over a background, drawn at frame time with their vectors and depth as a
// renderer would give them (a pixel belongs to a box when its centre lies
// inside).
#pragma once
#include <cstdint>
#include <vector>

#include "shutter/shutter_blur.h"

namespace qxv::shutter::test {

struct Box {
  float left, top, width, height;  // at frame time, in pixels
  float vx, vy;                    // pixels per frame, y down
  float rgba[4];                   // premultiplied
  float depth;
};

struct BoxScene {
  std::uint32_t width, height;
  std::vector<float> rgba, previous, depth;

  // Later boxes are drawn over earlier ones where they are nearer. The
  // background's colour is `background(x, y)`, its depth 100.
  template <typename Background>
  BoxScene(std::uint32_t w, std::uint32_t h, const std::vector<Box>& boxes, Background background)
      : width(w), height(h), rgba(std::size_t{w} * h * 4), previous(std::size_t{w} * h * 2, 0.0f),
        depth(std::size_t{w} * h, 100.0f) {
    for (std::uint32_t y = 0; y < h; ++y) {
      for (std::uint32_t x = 0; x < w; ++x) {
        const std::size_t i = std::size_t{y} * w + x;
        background(x, y, &rgba[i * 4]);
        for (const Box& b : boxes) {
          const float cx = static_cast<float>(x) + 0.5f, cy = static_cast<float>(y) + 0.5f;
          if (cx < b.left || cx >= b.left + b.width || cy < b.top || cy >= b.top + b.height ||
              b.depth >= depth[i]) {
            continue;
          }
          for (int c = 0; c < 4; ++c) rgba[i * 4 + c] = b.rgba[c];
          previous[i * 2] = -b.vx;
          previous[i * 2 + 1] = -b.vy;
          depth[i] = b.depth;
        }
      }
    }
  }

  Frame AsFrame() const {
    Frame f;
    f.width = width;
    f.height = height;
    f.rgba = rgba.data();
    f.previous = previous.data();
    f.depth = depth.data();
    return f;
  }
  const float* At(const std::vector<float>& image, std::uint32_t x, std::uint32_t y) const {
    return &image[(std::size_t{y} * width + x) * 4];
  }
};

// A plain background of one colour.
inline auto Plain(float r, float g, float b, float a = 1.0f) {
  return [=](std::uint32_t, std::uint32_t, float* out) {
    out[0] = r, out[1] = g, out[2] = b, out[3] = a;
  };
}

}  // namespace qxv::shutter::test
