// Simulated host buffers as tests, the command-line tool and the benchmarks
// make and inspect them. The accessors here are the test's own and are not
// counted as host calls.
#pragma once
#include <cstdint>
#include <vector>

#include "host/tile_buffer.h"
#include "host/tiled_image.h"
#include "host/unknown.h"

namespace qxv::sim {

struct BufferSpec {
  std::uint32_t width = 0, height = 0;
  // 0 means one tile covering the buffer in that direction. Tiles at the
  // right and bottom edges are full-size and reach past the buffer, unless
  // cutEdgeTiles (below) is set.
  std::uint32_t tileWidth = 0, tileHeight = 0;
  // Reported as bitsPerPixel by GetInfo and pixelDepth by GetTileGeometry;
  // elements are 32 bits whatever it says.
  std::uint32_t pixelDepth = 32;
  std::uint32_t formatTag = 0, optionTag = 0;
  // Tiles at the right and bottom edges are cut to the buffer, as some hosts
  // give them: a 10 x 10 buffer in 8 x 8 tiles has right-hand tiles 2 wide,
  // whose memory has rows of 2 elements.
  bool cutEdgeTiles = false;
};

// One reference, owned by the caller. Tiles reaching past 32767 abort.
TileBuffer* NewTileBuffer(const BufferSpec& spec);
TiledImage* NewTiledImage(const BufferSpec& spec);

// An object answering only IUnknown (one reference): a BufferSet entry that is
// not a TileBuffer.
Unknown* NewOpaqueObject();

// GetInfo reports this size from now on while the pixels stay as stored
// (0: the stored size); meant for sizes past what the module accepts.
void ClaimSize(TiledImage* b, std::uint32_t width, std::uint32_t height);

// Outside the buffer: reads give 0, writes are ignored.
std::uint32_t ReadElement(TileBuffer* b, std::uint32_t x, std::uint32_t y);
void WriteElement(TileBuffer* b, std::uint32_t x, std::uint32_t y, std::uint32_t v);
std::uint32_t ReadElement(TiledImage* b, std::uint32_t x, std::uint32_t y);
void WriteElement(TiledImage* b, std::uint32_t x, std::uint32_t y, std::uint32_t v);

// width * height elements, row-major.
std::vector<std::uint32_t> Snapshot(TileBuffer* b);
std::vector<std::uint32_t> Snapshot(TiledImage* b);
// Writes as many elements as both the buffer and rowMajor hold.
void Fill(TileBuffer* b, const std::vector<std::uint32_t>& rowMajor);
// Every element `value`.
void FillWith(TileBuffer* b, std::uint32_t value);
void FillWith(TiledImage* b, std::uint32_t value);
void Fill(TiledImage* b, const std::vector<std::uint32_t>& rowMajor);

}  // namespace qxv::sim
