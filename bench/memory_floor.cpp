#include "bench/memory_floor.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace qxv::bench {
namespace {

enum : int {
  kImage, kIndex, kMatch1, kMatch2, kAlternate, kDepth,  // the frame
  kRefTags, kRefMatch1, kRefMatch2, kRefDepth,           // read, then rewritten
  kTags, kDepthCopy, kMainLayer, kSecondaryLayer,        // written only
};

void Sweep(std::vector<std::uint32_t>* a, std::size_t n) {
  std::uint32_t* image = a[kImage].data();
  const std::uint32_t* index = a[kIndex].data();
  const std::uint32_t* m1 = a[kMatch1].data();
  const std::uint32_t* m2 = a[kMatch2].data();
  const std::uint32_t* alternate = a[kAlternate].data();
  const std::uint32_t* depth = a[kDepth].data();
  std::uint32_t* rt = a[kRefTags].data();
  std::uint32_t* r1 = a[kRefMatch1].data();
  std::uint32_t* r2 = a[kRefMatch2].data();
  std::uint32_t* rd = a[kRefDepth].data();
  std::uint32_t* tags = a[kTags].data();
  std::uint32_t* depthCopy = a[kDepthCopy].data();
  std::uint32_t* mainLayer = a[kMainLayer].data();
  std::uint32_t* secondary = a[kSecondaryLayer].data();
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t v = image[i] ^ index[i] ^ m1[i] ^ m2[i] ^ alternate[i] ^ depth[i] ^
                            rt[i] ^ r1[i] ^ r2[i] ^ rd[i];
    image[i] = v;
    tags[i] = v + 1u;
    depthCopy[i] = v + 2u;
    mainLayer[i] = v + 3u;
    secondary[i] = v + 4u;
    rt[i] = v + 5u;
    r1[i] = v + 6u;
    r2[i] = v + 7u;
    rd[i] = v + 8u;
  }
  benchmark::ClobberMemory();
}

}  // namespace

MemoryFloor::MemoryFloor(std::size_t pixels) : pixels_(pixels) {
  std::uint32_t seed = 1u;
  for (std::vector<std::uint32_t>& a : arrays_) {
    a.resize(pixels);
    for (std::uint32_t& v : a) v = seed = seed * 1664525u + 1013904223u;
  }
}

double MemoryFloor::Seconds(int runs) {
  double best = 1e30;
  Sweep(arrays_, pixels_);  // pages in, caches warm like the pass's
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    Sweep(arrays_, pixels_);
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (s < best) best = s;
  }
  return best;
}

}  // namespace qxv::bench
