#include "sim/tile_memory.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace qxv::sim {
namespace {

// Only blocks a fresh allocation would map anew are worth keeping; a
// module's pass holds about half a dozen whole-frame buffers, two modules'
// passes a thread of their own each.
constexpr std::size_t kSmallestKept = std::size_t{1} << 16;
constexpr std::size_t kBlocksKept = 8;

struct KeptBlock {
  std::size_t elements;
  std::unique_ptr<std::uint32_t[]> memory;
};

#if defined(_WIN32)
// MinGW's thread-local objects with destructors are not dependable: with
// them the 32-bit suite crashed under wine. The Windows build of the
// simulated host serves only the suite there, which needs no reuse.
std::vector<KeptBlock>* Kept() { return nullptr; }
#else
// Buffers may still go after the thread's own objects have (statics at
// exit): from then on their memory is simply freed.
thread_local bool keptGone = false;

struct KeptBlocks {
  KeptBlocks() { blocks.reserve(kBlocksKept); }
  std::vector<KeptBlock> blocks;
  ~KeptBlocks() { keptGone = true; }
};

std::vector<KeptBlock>* Kept() {
  if (keptGone) return nullptr;
  thread_local KeptBlocks kept;
  return &kept.blocks;
}

#endif

}  // namespace

std::unique_ptr<std::uint32_t[]> ZeroedTileMemory(std::size_t elements) {
  if (std::vector<KeptBlock>* kept = Kept()) {
    // The latest given back first: the likeliest still in the cache.
    for (std::size_t i = kept->size(); i-- > 0;) {
      if ((*kept)[i].elements != elements) continue;
      std::unique_ptr<std::uint32_t[]> memory = std::move((*kept)[i].memory);
      kept->erase(kept->begin() + static_cast<std::ptrdiff_t>(i));
      std::fill(memory.get(), memory.get() + elements, 0u);
      return memory;
    }
  }
  return std::unique_ptr<std::uint32_t[]>(new std::uint32_t[elements]());
}

void GiveBackTileMemory(std::unique_ptr<std::uint32_t[]> memory, std::size_t elements) {
  if (!memory || elements < kSmallestKept) return;
  std::vector<KeptBlock>* kept = Kept();
  if (!kept) return;
  if (kept->size() == kBlocksKept) kept->erase(kept->begin());
  // Within the room reserved: giving back, called from destructors, never
  // allocates.
  kept->push_back(KeptBlock{elements, std::move(memory)});
}

}  // namespace qxv::sim
