// The name a mistyped one was probably meant to be.
#pragma once
#include <string>
#include <vector>

namespace qxv::tool {

// The candidate fewest single-character edits away from `typed`, when it is
// near enough to be a slip of the keyboard (a letter or two, more in a long
// name); else empty. The first of equally near candidates wins.
std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates);

}  // namespace qxv::tool
