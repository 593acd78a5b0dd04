// Match values from motion vectors. Each frame's pixels take where their
// points lay in the previous frame, in that frame's pixel coordinates, and
// the previous frame is handed to the module again with each pixel's own
// coordinates as its values (ModuleBlur), so the module's previous-frame
// search finds the previous frame's pixel of the same object nearest that
// place: no UV pass is needed, UV seams do not matter, and surfaces that
// were hidden in the previous frame match its nearest visible part. Nothing
// carries further than one frame, so a range of frames needs only the frame
// before it.
#pragma once
#include <cstdint>
#include <vector>

namespace qxv::apply {

struct Motion {
  // Per pixel, row-major: where the pixel's point was in the previous
  // frame, relative to the pixel, x to the right and y down.
  std::vector<double> dx, dy;
};

// Each pixel's position plus its motion, as values in 24.8 fixed point,
// wrapping as the module compares them. Vectors that are NaN or infinite
// count as no motion; huge ones are held far past any frame.
void PreviousPositions(std::uint32_t width, std::uint32_t height, const Motion& motion,
                       std::vector<std::uint32_t>* match1, std::vector<std::uint32_t>* match2);

// The values of a frame handed to the module again as the reference for the
// next: each pixel's own coordinates.
void OwnPositions(std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t>* match1,
                  std::vector<std::uint32_t>* match2);

}  // namespace qxv::apply
