// What the module asks of the simulated host in memory: the blocks it
// allocates and the pixel storage of the host objects it makes, kept apart
// from the storage of the host's own image and buffers. An optional cap
// stands for a host whose address space is nearly full.
#pragma once
#include <cstdint>

namespace qxv::sim {

struct ModuleMemory {
  std::int64_t blockBytes = 0;   // live blocks from AllocateBlock
  std::int64_t objectBytes = 0;  // tile storage of the objects the module made
  std::int64_t Total() const { return blockBytes + objectBytes; }
};

// Now, and at the highest total since ResetMemoryPeak (with its two parts
// as they stood at that moment).
ModuleMemory ModuleMemoryNow();
ModuleMemory ModuleMemoryPeak();
void ResetMemoryPeak();

// Tile storage of the live objects the host made for itself (images and
// BufferSet entries), which the module only borrows.
std::int64_t HostOwnObjectBytes();

// Each of these takes one free range of the host's address space, which in
// a 32-bit host comes in pieces: the largest block the host gave the module,
// and the largest tile of the objects the module made, since ResetMemoryPeak.
std::uint32_t LargestBlockGiven();
std::int64_t LargestModuleTile();

// From now on the host refuses any block larger than `bytes` (0: no cap), as
// a host whose free address space has no larger range left would, however
// much it has in all.
void SetLargestBlockCap(std::uint32_t bytes);

// How a host that cannot give an object its storage says so.
enum class StorageRefusal {
  kRaise,  // it raises E_OUTOFMEMORY from Initialize
  kEmpty,  // Initialize returns E_OUTOFMEMORY and leaves the object 0 x 0
};

// From now on the host refuses whatever would take the module past `bytes`
// (0: no cap): a block comes back null, and an object's storage is not made
// and refused as `refusal` says. The simulated host refuses the same way
// when its own memory runs out.
void SetModuleMemoryCap(std::int64_t bytes, StorageRefusal refusal = StorageRefusal::kRaise);
StorageRefusal CurrentStorageRefusal();

// Bookkeeping calls of the simulated host itself.
// False when the block would take the module past either cap.
bool BlockWithinCap(std::uint32_t bytes);
void NoteBlock(const void* block, std::uint32_t bytes);
void ForgetBlock(const void* block);
void NoteModuleObject(const void* face);
void ForgetModuleObject(const void* face);
// After an object was sized: false when it is one the module made and its
// storage takes the module past the cap.
bool StorageWithinCap(const void* face);

}  // namespace qxv::sim
