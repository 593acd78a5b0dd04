// One frame as the host hands it to a post-renderer: the rendered image and
// the per-pixel buffers, in the simulated host's tiled objects.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "host/buffer_set.h"
#include "host/tile_buffer.h"
#include "host/tiled_image.h"
#include "tools/options.h"

namespace pblur {

// A frame's render passes as plain row-major arrays. Colour is 0x00RRGGBB;
// an empty depth or alternate array stands for all zeros.
struct PassImages {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint32_t> colour, index, match1, match2, depth, alternate;

  void Resize(std::uint32_t w, std::uint32_t h);  // all six arrays, zeroed
};

class HostFrame {
 public:
  HostFrame(Size size, Size tile);
  ~HostFrame();
  HostFrame(const HostFrame&) = delete;
  HostFrame& operator=(const HostFrame&) = delete;

  // The passes must have the frame's size.
  void Load(const PassImages& passes);
  std::vector<std::uint32_t> Colour() const;

  // Fills the BufferSet with exactly the entries the mask asks for.
  void Offer(std::uint32_t neededMask);
  qxv::TiledImage* Image() { return image_; }
  qxv::BufferSet Set() const { return set_.data(); }

 private:
  static constexpr int kKinds[] = {qxv::kDepthBuffer, qxv::kObjectIndexBuffer, qxv::kMatch1Buffer,
                                   qxv::kMatch2Buffer, qxv::kAlternateBuffer};
  qxv::TiledImage* image_ = nullptr;
  std::array<qxv::TileBuffer*, qxv::kBufferKindCount> buffers_{};
  std::array<qxv::Unknown*, qxv::kBufferKindCount> set_{};
};

}  // namespace pblur
