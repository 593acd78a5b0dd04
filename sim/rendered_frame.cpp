#include "sim/rendered_frame.h"

#include <cstdlib>

#include "sim/host.h"

namespace qxv::sim {
namespace {

constexpr int kKinds[] = {kDepthBuffer, kObjectIndexBuffer, kMatch1Buffer, kMatch2Buffer,
                          kAlternateBuffer};

}  // namespace

void PassImages::Resize(std::uint32_t w, std::uint32_t h) {
  width = w;
  height = h;
  const std::size_t n = static_cast<std::size_t>(w) * h;
  for (std::vector<std::uint32_t>* a : {&colour, &index, &match1, &match2, &depth, &alternate}) {
    a->assign(n, 0);
  }
}

RenderedFrame::RenderedFrame(std::uint32_t w, std::uint32_t h, std::uint32_t tileWidth,
                             std::uint32_t tileHeight, std::uint32_t pixelDepth)
    : RenderedFrame(BufferSpec{w, h, tileWidth, tileHeight, pixelDepth, 0, 0},
                    BufferSpec{w, h, tileWidth, tileHeight, 32, 0, 0}) {
  Clear(0x202020);
}

RenderedFrame::RenderedFrame(const BufferSpec& imageSpec, const BufferSpec& bufferSpec)
    : width(imageSpec.width), height(imageSpec.height) {
  image = NewTiledImage(imageSpec);
  for (int kind : kKinds) {
    *Field(kind) = NewTileBuffer(bufferSpec);
    set[kind] = AsUnknown(*Field(kind));
  }
}

RenderedFrame::~RenderedFrame() {
  // The host's own clean-up: neither counted nor failed.
  SetHostSideWork(true);
  ReleaseInterface(image);
  for (int kind : kKinds) ReleaseInterface(*Field(kind));
  SetHostSideWork(false);
}

TileBuffer** RenderedFrame::Field(int kind) {
  switch (kind) {
    case kDepthBuffer: return &depth;
    case kObjectIndexBuffer: return &objectIndex;
    case kMatch1Buffer: return &match1;
    case kMatch2Buffer: return &match2;
    case kAlternateBuffer: return &alternate;
    default: std::abort();
  }
}

TileBuffer* RenderedFrame::Buffer(int kind) {
  for (int made : kKinds) {
    if (made == kind) return *Field(kind);
  }
  return nullptr;
}

void RenderedFrame::Clear(std::uint32_t colour) {
  // A buffer at a time: an element at a time looks every object up again
  // per pixel, which costs a whole frame's blur on a large frame.
  FillWith(image, colour);
  for (TileBuffer* b : {objectIndex, match1, match2, alternate}) FillWith(b, 0);
  FillWith(depth, 0xFFFFFFFFu);
}

void RenderedFrame::DrawRect(std::int32_t left, std::int32_t top, std::int32_t w,
                             std::int32_t h, std::uint32_t index, std::uint32_t colour,
                             std::uint32_t z, std::uint32_t alt) {
  for (std::int32_t y = top; y < top + h; ++y) {
    for (std::int32_t x = left; x < left + w; ++x) {
      if (x < 0 || y < 0 || static_cast<std::uint32_t>(x) >= width ||
          static_cast<std::uint32_t>(y) >= height) {
        continue;
      }
      WriteElement(image, x, y, colour);
      WriteElement(objectIndex, x, y, index);
      WriteElement(match1, x, y, static_cast<std::uint32_t>(x - left) << 16);
      WriteElement(match2, x, y, static_cast<std::uint32_t>(y - top) << 16);
      WriteElement(depth, x, y, z);
      WriteElement(alternate, x, y, alt);
    }
  }
}

void RenderedFrame::Load(const PassImages& p) {
  Fill(image, p.colour);
  Fill(objectIndex, p.index);
  Fill(match1, p.match1);
  Fill(match2, p.match2);
  for (const auto& [buffer, values] : {std::pair{depth, &p.depth}, std::pair{alternate, &p.alternate}}) {
    if (values->empty()) {
      FillWith(buffer, 0);
    } else {
      Fill(buffer, *values);
    }
  }
}

std::uint32_t RenderedFrame::Pixel(std::uint32_t x, std::uint32_t y) const {
  return ReadElement(image, x, y);
}

std::vector<std::uint32_t> RenderedFrame::Colour() const { return Snapshot(image); }

void RenderedFrame::Retile(int kind, std::uint32_t tileWidth, std::uint32_t tileHeight,
                           bool cutEdgeTiles) {
  TileBuffer** field = Field(kind);
  BufferSpec spec;
  spec.width = width;
  spec.height = height;
  spec.tileWidth = tileWidth;
  spec.tileHeight = tileHeight;
  spec.cutEdgeTiles = cutEdgeTiles;
  TileBuffer* retiled = NewTileBuffer(spec);
  Fill(retiled, Snapshot(*field));
  SetHostSideWork(true);
  ReleaseInterface(*field);
  SetHostSideWork(false);
  *field = retiled;
  set[kind] = AsUnknown(retiled);
}

void RenderedFrame::Offer(std::uint32_t neededMask) {
  set.fill(nullptr);
  for (int kind : kKinds) {
    if (neededMask & BufferBit(kind)) set[kind] = AsUnknown(*Field(kind));
  }
}

}  // namespace qxv::sim
