// Renderers filter the motion-vector pass like colour, over a pixel filter
// wider than one pixel, while the object index names one object per pixel.
// A pixel near a silhouette then carries part of the motion of whatever
// lies beside or behind it: Blender gives a still pillar's edge pixel 6 of
// 16 samples of a ball passing behind it, 14 px of motion, and the pillar
// would be streaked across itself, which no depth test can hide.
#pragma once
#include <cstdint>
#include <vector>

#include "apply/passes/previous_positions.h"

namespace qxv::apply {

// Per pixel, row-major: whether a 4-neighbour shows another object.
std::vector<bool> SilhouettePixels(std::uint32_t width, std::uint32_t height,
                                   const std::vector<std::uint32_t>& objects);

// Each object pixel within two pixels (rows and columns) of a silhouette
// pixel (one whose 4-neighbour has another object) takes, per component,
// the median of the vectors of its own object's non-silhouette pixels in
// its 5 x 5 neighbourhood, or of all its object's pixels there when none is
// off the silhouette. Other pixels keep their vectors. NaN and infinite
// components count as no motion.
void SteadySilhouetteMotion(std::uint32_t width, std::uint32_t height,
                            const std::vector<std::uint32_t>& objects, Motion* motion);

}  // namespace qxv::apply
