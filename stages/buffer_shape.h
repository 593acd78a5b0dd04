// What a host buffer or image says of itself: its tile geometry and its
// size, asked in that order.
#pragma once
#include <cstdint>

namespace qxv {

struct BufferShape {
  std::uint32_t tileWidth;
  std::uint32_t tileHeight;
  std::uint32_t reserved;
  std::uint32_t pixelDepth;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t bitsPerPixel;
  std::uint32_t formatTag;
  std::uint32_t optionTag;

  // One tile covers the whole buffer.
  bool SingleTile() const { return width == tileWidth && height == tileHeight; }
};

template <typename Tiled>
void ReadShape(Tiled* buffer, BufferShape* s) {
  buffer->ops->GetTileGeometry(buffer, &s->tileWidth, &s->tileHeight, &s->reserved,
                               &s->pixelDepth);
  buffer->ops->GetInfo(buffer, &s->width, &s->height, &s->bitsPerPixel, &s->formatTag,
                       &s->optionTag);
}

}  // namespace qxv
