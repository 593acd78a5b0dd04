// Pieces of the one-line messages apply reports.
#pragma once
#include <string>
#include <vector>

namespace qxv::apply {

// "a, b, c"; empty for no items.
std::string Joined(const std::vector<std::string>& items, const std::string& separator = ", ");

// The first line of a library's message, which may span several; "unknown
// error" for an empty one.
std::string FirstLine(std::string message);

}  // namespace qxv::apply
