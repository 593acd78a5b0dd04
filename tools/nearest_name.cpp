#include "tools/nearest_name.h"

#include <algorithm>

namespace qxv::tool {
namespace {

// The edits that turn one text into the other, one character at a time.
std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates) {
  const std::string* nearest = nullptr;
  std::size_t best = 0;
  for (const std::string& candidate : candidates) {
    const std::size_t d = Distance(typed, candidate);
    if (!nearest || d < best) {
      nearest = &candidate;
      best = d;
    }
  }
  const std::size_t slip = std::max<std::size_t>(1, typed.size() / 3);
  return nearest && best <= slip ? *nearest : "";
}

}  // namespace qxv::tool
