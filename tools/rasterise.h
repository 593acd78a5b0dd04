// A small rasteriser for the demo: flat shapes with surface patterns,
// drawn with a depth buffer into every pass the module reads.
#pragma once
#include <cstdint>

#include "sim/rendered_frame.h"

namespace qxv::tool {

enum class Shape { Box, Disc, Cross };

struct ShapeInstance {
  Shape shape = Shape::Box;
  float centreX = 0, centreY = 0;       // pixels
  float angle = 0;                      // radians, clockwise on screen
  float halfWidth = 0, halfHeight = 0;  // surface units (a disc uses halfWidth)
  float scale = 1;                      // pixels per surface unit
  std::uint32_t colour = 0, accent = 0;
  std::uint32_t index = 0, depth = 0, alternate = 0;
};

// Depth of the background: farther than any object.
constexpr std::uint32_t kBackgroundDepth = 0xFFFF;

// Resizes the passes and fills the background (index 0).
void DrawBackground(sim::PassImages& passes, std::uint32_t width, std::uint32_t height);

// Draws the pixels whose centres the shape covers and that are nearer than
// what is there. Match values are the surface coordinates in 24.8 fixed
// point, offset so they stay positive and within 16 bits: the same surface
// point keeps the same values whatever the shape's position and angle.
void DrawShape(const ShapeInstance& s, sim::PassImages& passes);

}  // namespace qxv::tool
