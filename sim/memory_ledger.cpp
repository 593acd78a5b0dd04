#include "sim/memory_ledger.h"

#include <unordered_map>
#include <unordered_set>

#include "sim/object_registry.h"
#include "sim/own_host.h"
#include "sim/tile_store.h"

namespace qxv::sim {
namespace {

struct Ledger {
  std::unordered_map<const void*, std::uint32_t> blocks;
  std::unordered_set<const void*> moduleObjects;
  ModuleMemory now;
  ModuleMemory peak;
  std::int64_t cap = 0;
  std::uint32_t blockCap = 0;
  std::uint32_t largestBlock = 0;
  std::int64_t largestTile = 0;
  StorageRefusal refusal = StorageRefusal::kRaise;
};

Ledger& TheLedger() {
  static Ledger shared;
  if (!OnOwnHost()) return shared;
  // Made only on a thread with a host of its own: a thread-local object
  // with a destructor, made on every thread that calls the host, broke the
  // failure chain seen by a protected block in the 32-bit Windows build.
  thread_local Ledger own;
  return own;
}

// Storage as the tiles hold it: edge tiles count with whatever size the
// store gave them. *largestTile grows to the store's largest tile.
std::int64_t StorageBytes(const TileStore& store, std::int64_t* largestTile = nullptr) {
  std::int64_t elements = 0;
  for (std::uint32_t i = 0; i < store.TileCount(); ++i) {
    const Rect32 r = store.TileRect(i);
    const std::int64_t tile = static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top);
    elements += tile;
    if (largestTile && tile * 4 > *largestTile) *largestTile = tile * 4;
  }
  return elements * 4;
}

std::int64_t ModuleObjectBytes() {
  std::int64_t bytes = 0;
  for (const void* face : TheLedger().moduleObjects) {
    const ObjectHeader* header = FindObject(face);
    if (header && header->tiles) bytes += StorageBytes(*header->tiles, &TheLedger().largestTile);
  }
  return bytes;
}

// False, with the peak left alone, when the module is past the cap.
bool Recount() {
  Ledger& l = TheLedger();
  l.now.objectBytes = ModuleObjectBytes();
  if (l.cap != 0 && l.now.Total() > l.cap) return false;
  if (l.now.Total() > l.peak.Total()) l.peak = l.now;
  return true;
}

}  // namespace

ModuleMemory ModuleMemoryNow() {
  Recount();
  return TheLedger().now;
}

ModuleMemory ModuleMemoryPeak() {
  Recount();
  return TheLedger().peak;
}

void ResetMemoryPeak() {
  Ledger& l = TheLedger();
  l.largestBlock = 0;
  l.largestTile = 0;
  for (const auto& block : l.blocks) {
    if (block.second > l.largestBlock) l.largestBlock = block.second;
  }
  Recount();
  l.peak = l.now;
}

std::uint32_t LargestBlockGiven() { return TheLedger().largestBlock; }

std::int64_t LargestModuleTile() {
  Recount();
  return TheLedger().largestTile;
}

void SetLargestBlockCap(std::uint32_t bytes) { TheLedger().blockCap = bytes; }

std::int64_t HostOwnObjectBytes() {
  std::int64_t bytes = 0;
  ForEachObject(
      [](const void* face, const ObjectHeader& header, void* context) {
        if (header.tiles && !TheLedger().moduleObjects.count(face)) {
          *static_cast<std::int64_t*>(context) += StorageBytes(*header.tiles);
        }
      },
      &bytes);
  return bytes;
}

void SetModuleMemoryCap(std::int64_t bytes, StorageRefusal refusal) {
  TheLedger().cap = bytes;
  TheLedger().refusal = refusal;
}

StorageRefusal CurrentStorageRefusal() { return TheLedger().refusal; }

bool BlockWithinCap(std::uint32_t bytes) {
  Ledger& l = TheLedger();
  if (l.blockCap != 0 && bytes > l.blockCap) return false;
  if (l.cap == 0) return true;
  l.now.objectBytes = ModuleObjectBytes();
  return l.now.Total() + bytes <= l.cap;
}

void NoteBlock(const void* block, std::uint32_t bytes) {
  Ledger& l = TheLedger();
  l.blocks[block] = bytes;
  l.now.blockBytes += bytes;
  if (bytes > l.largestBlock) l.largestBlock = bytes;
  Recount();
}

void ForgetBlock(const void* block) {
  Ledger& l = TheLedger();
  auto it = l.blocks.find(block);
  if (it == l.blocks.end()) return;
  l.now.blockBytes -= it->second;
  l.blocks.erase(it);
}

void NoteModuleObject(const void* face) { TheLedger().moduleObjects.insert(face); }
void ForgetModuleObject(const void* face) { TheLedger().moduleObjects.erase(face); }

bool StorageWithinCap(const void* face) {
  if (!TheLedger().moduleObjects.count(face)) return true;
  return Recount();
}

}  // namespace qxv::sim
