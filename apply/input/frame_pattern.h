// File-name patterns with one frame number, printf-style or as renderers
// write them: "render/colour_%04d.png", "render/colour_####.exr".
#pragma once
#include <string>
#include <vector>

namespace qxv::apply {

// Whether the text holds exactly one frame number.
bool HasFrameNumber(const std::string& pattern);

// Throws a usage error naming the flag unless the pattern holds exactly one
// %d, %i or %u conversion (with an optional zero-padded width) or one run
// of '#' (zero-padded to its length), and no other conversion but %%.
void CheckPattern(const std::string& flag, const std::string& pattern);

// The pattern with the frame number (0 or more) put in; the pattern must
// have passed CheckPattern.
std::string FrameName(const std::string& pattern, int frame);

// The frame numbers, in order, of the files that exist under the pattern.
std::vector<int> FramesPresent(const std::string& pattern);

}  // namespace qxv::apply
