// One frame as the host hands it to a post-renderer: the rendered image and
// the per-pixel buffers, in the simulated host's tiled objects.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "host/buffer_set.h"
#include "host/tile_buffer.h"
#include "host/tiled_image.h"
#include "host/unknown.h"
#include "sim/buffers.h"

namespace qxv::sim {

// A frame's render passes as plain row-major arrays. Colour is 0x00RRGGBB;
// an empty depth or alternate array stands for all zeros.
struct PassImages {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint32_t> colour, index, match1, match2, depth, alternate;

  void Resize(std::uint32_t w, std::uint32_t h);  // all six arrays, zeroed
};

class RenderedFrame {
 public:
  // The image and the buffers tiled alike (0: one tile that way).
  RenderedFrame(std::uint32_t w, std::uint32_t h, std::uint32_t tileWidth = 0,
                std::uint32_t tileHeight = 0, std::uint32_t pixelDepth = 32);
  // The image and the five buffers each as specified.
  RenderedFrame(const BufferSpec& imageSpec, const BufferSpec& bufferSpec);
  ~RenderedFrame();
  RenderedFrame(const RenderedFrame&) = delete;
  RenderedFrame& operator=(const RenderedFrame&) = delete;

  // Background colour everywhere, index 0, depth farthest.
  void Clear(std::uint32_t colour);
  // A rectangle of one object; match values are the pixel's place on the
  // object's surface, so the same surface point keeps them between frames.
  void DrawRect(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h,
                std::uint32_t index, std::uint32_t colour, std::uint32_t depth = 100,
                std::uint32_t alternate = 0);
  // The passes must have the frame's size.
  void Load(const PassImages& passes);
  std::uint32_t Pixel(std::uint32_t x, std::uint32_t y) const;
  std::vector<std::uint32_t> Colour() const;

  // Hands over the buffer of one kind tiled otherwise, with the same values.
  void Retile(int kind, std::uint32_t tileWidth, std::uint32_t tileHeight,
              bool cutEdgeTiles = false);
  // The BufferSet holds exactly the entries the mask asks for.
  void Offer(std::uint32_t neededMask);
  // The buffer of that kind, or null for a kind the host does not render.
  TileBuffer* Buffer(int kind);

  std::uint32_t width = 0, height = 0;
  TiledImage* image = nullptr;
  TileBuffer* objectIndex = nullptr;
  TileBuffer* match1 = nullptr;
  TileBuffer* match2 = nullptr;
  TileBuffer* depth = nullptr;
  TileBuffer* alternate = nullptr;
  // What PostRender is given; tests may take entries out or put others in.
  std::array<Unknown*, kBufferKindCount> set{};

 private:
  TileBuffer** Field(int kind);
};

}  // namespace qxv::sim
