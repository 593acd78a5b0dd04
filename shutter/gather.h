// One output pixel of the shutter look: the time the shutter is open is cut
// into samples; at each, the surfaces whose paths put them over the pixel
// are found, the nearest covers it as far as it reaches, those behind fill
// the rest, and where nothing known covers it (the background a moving
// silhouette uncovers) the background beside the silhouette stands in.
#pragma once
#include <cstdint>

#include "shutter/neighbourhood.h"
#include "shutter/surface.h"

namespace qxv::shutter {

// Writes the pixel's four values; returns whether they are the input's own
// (nothing else covered the pixel at any moment).
bool GatherPixel(const Surface& surface, const Neighbourhood& near, std::uint32_t x,
                 std::uint32_t y, float* rgba);

}  // namespace qxv::shutter
