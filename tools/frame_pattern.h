// printf-style file-name patterns with one frame number, like
// "render/colour_%04d.png".
#pragma once
#include <string>

namespace pblur {

// Throws a usage error naming the flag unless the pattern holds exactly one
// %d, %i or %u conversion (with an optional zero-padded width) and no other
// conversion but %%.
void CheckPattern(const std::string& flag, const std::string& pattern);

// The pattern with the frame number (0 or more) put in; the pattern must
// have passed CheckPattern.
std::string FrameName(const std::string& pattern, int frame);

}  // namespace pblur
