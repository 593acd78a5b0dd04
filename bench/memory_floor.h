// The memory floor of one pass: a plain streaming loop that reads every
// buffer the pass reads and writes every buffer it writes, once each, with
// the demo's settings (depth test and secondary layer on, trails off).
//   read:    image, object index, both match values, alternate set, depth,
//            reference tags, both reference match values, reference depth
//   written: image, tags, depth copy, both streak layers, the four
//            reference buffers
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qxv::bench {

class MemoryFloor {
 public:
  explicit MemoryFloor(std::size_t pixels);
  // The fastest of `runs` sweeps, in seconds.
  double Seconds(int runs);

 private:
  std::size_t pixels_;
  std::vector<std::uint32_t> arrays_[14];
};

}  // namespace qxv::bench
