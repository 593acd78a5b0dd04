#include "sim/buffers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "host/identifiers.h"
#include "sim/objects.h"
#include "sim/tile_objects.h"

namespace qxv::sim {
namespace {

// Test helpers are handed pointers by hand; a stray one should stop the run
// at once rather than scribble somewhere.
TileStore& CheckedStore(const void* face) {
  ObjectHeader* header = FindObject(face);
  if (!header || !header->tiles) {
    std::fprintf(stderr, "simulated host: %p is not a live simulated buffer\n", face);
    std::abort();
  }
  return *header->tiles;
}

void CheckedReset(TileStore& store, const BufferSpec& spec) {
  if (!store.Reset(spec.width, spec.height, spec.tileWidth, spec.tileHeight, spec.pixelDepth,
                   spec.formatTag, spec.optionTag, spec.cutEdgeTiles)) {
    std::fprintf(stderr, "simulated host: tiles reaching past %u\n",
                 static_cast<unsigned>(TileStore::kMaxExtent));
    std::abort();
  }
}

std::uint32_t Read(const void* face, std::uint32_t x, std::uint32_t y) {
  const std::uint32_t* element = CheckedStore(face).Element(x, y);
  return element ? *element : 0;
}

void Write(const void* face, std::uint32_t x, std::uint32_t y, std::uint32_t v) {
  if (std::uint32_t* element = CheckedStore(face).Element(x, y)) *element = v;
}

// Row-major copies go a tile row's run at a time.
template <typename Copy>
void ForEachRun(TileStore& store, Copy copy) {
  const std::uint32_t width = store.width(), tile = store.tileWidth();
  for (std::uint32_t y = 0; y < store.height(); ++y) {
    for (std::uint32_t x = 0; x < width;) {
      const std::uint32_t run = std::min(tile - x % tile, width - x);
      copy(store.Element(x, y), static_cast<std::size_t>(y) * width + x, run);
      x += run;
    }
  }
}

std::vector<std::uint32_t> Take(const void* face) {
  TileStore& store = CheckedStore(face);
  std::vector<std::uint32_t> out(static_cast<std::size_t>(store.width()) * store.height());
  ForEachRun(store, [&out](const std::uint32_t* element, std::size_t at, std::uint32_t run) {
    std::copy(element, element + run, out.begin() + static_cast<std::ptrdiff_t>(at));
  });
  return out;
}

void Put(const void* face, const std::vector<std::uint32_t>& rowMajor) {
  TileStore& store = CheckedStore(face);
  ForEachRun(store, [&rowMajor](std::uint32_t* element, std::size_t at, std::uint32_t run) {
    if (at >= rowMajor.size()) return;
    const std::size_t n = std::min<std::size_t>(run, rowMajor.size() - at);
    std::copy(rowMajor.begin() + static_cast<std::ptrdiff_t>(at),
              rowMajor.begin() + static_cast<std::ptrdiff_t>(at + n), element);
  });
}

void PutValue(const void* face, std::uint32_t value) {
  ForEachRun(CheckedStore(face), [value](std::uint32_t* element, std::size_t, std::uint32_t run) {
    std::fill(element, element + run, value);
  });
}

}  // namespace

Result CreateHostObject(const Guid& clsid, const Guid& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (SameGuid(clsid, kCLSID_TileBuffer)) {
    if (!SameGuid(iid, kIID_TileBuffer)) return E_NOINTERFACE;
    *out = MakeTileBufferObject();
    return S_OK;
  }
  if (SameGuid(clsid, kCLSID_TiledImage)) {
    if (!SameGuid(iid, kIID_TiledImage)) return E_NOINTERFACE;
    *out = MakeTiledImageObject();
    return S_OK;
  }
  return E_FAIL;
}

TileBuffer* NewTileBuffer(const BufferSpec& spec) {
  TileBuffer* buffer = MakeTileBufferObject();
  CheckedReset(StoreOf(buffer), spec);
  return buffer;
}

TiledImage* NewTiledImage(const BufferSpec& spec) {
  TiledImage* image = MakeTiledImageObject();
  CheckedReset(StoreOf(image), spec);
  return image;
}

std::uint32_t ReadElement(TileBuffer* b, std::uint32_t x, std::uint32_t y) { return Read(b, x, y); }
std::uint32_t ReadElement(TiledImage* b, std::uint32_t x, std::uint32_t y) { return Read(b, x, y); }
void WriteElement(TileBuffer* b, std::uint32_t x, std::uint32_t y, std::uint32_t v) {
  Write(b, x, y, v);
}
void WriteElement(TiledImage* b, std::uint32_t x, std::uint32_t y, std::uint32_t v) {
  Write(b, x, y, v);
}
std::vector<std::uint32_t> Snapshot(TileBuffer* b) { return Take(b); }
std::vector<std::uint32_t> Snapshot(TiledImage* b) { return Take(b); }
void Fill(TileBuffer* b, const std::vector<std::uint32_t>& rowMajor) { Put(b, rowMajor); }
void Fill(TiledImage* b, const std::vector<std::uint32_t>& rowMajor) { Put(b, rowMajor); }
void FillWith(TileBuffer* b, std::uint32_t value) { PutValue(b, value); }
void FillWith(TiledImage* b, std::uint32_t value) { PutValue(b, value); }

void ClaimSize(TiledImage* b, std::uint32_t width, std::uint32_t height) {
  CheckedStore(b).Claim(width, height);
}

}  // namespace qxv::sim
