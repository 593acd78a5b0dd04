// Comparing and printing object boxes in test expectations.
#pragma once
#include <ostream>

#include "kernel/match_scan.h"

namespace qxv {

// Found by argument-dependent lookup from inside GoogleTest.
inline bool operator==(const ObjectBox& a, const ObjectBox& b) {
  return a.rowMin == b.rowMin && a.rowMax == b.rowMax && a.colMin == b.colMin &&
         a.colMax == b.colMax;
}
inline std::ostream& operator<<(std::ostream& os, const ObjectBox& b) {
  return os << "{rows " << b.rowMin << ".." << b.rowMax << ", cols " << b.colMin << ".." << b.colMax
            << "}";
}

}  // namespace qxv
