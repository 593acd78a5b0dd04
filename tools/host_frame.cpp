#include "tools/host_frame.h"

#include "host/unknown.h"
#include "sim/buffers.h"

namespace pblur {

void PassImages::Resize(std::uint32_t w, std::uint32_t h) {
  width = w;
  height = h;
  const std::size_t n = static_cast<std::size_t>(w) * h;
  for (std::vector<std::uint32_t>* a : {&colour, &index, &match1, &match2, &depth, &alternate}) {
    a->assign(n, 0);
  }
}

HostFrame::HostFrame(Size size, Size tile) {
  qxv::sim::BufferSpec spec;
  spec.width = size.width;
  spec.height = size.height;
  // The pass walks the image and the match buffers tile by tile in step, so
  // the host tiles them alike.
  spec.tileWidth = tile.width;
  spec.tileHeight = tile.height;
  image_ = qxv::sim::NewTiledImage(spec);
  for (int kind : kKinds) buffers_[kind] = qxv::sim::NewTileBuffer(spec);
}

HostFrame::~HostFrame() {
  qxv::ReleaseInterface(image_);
  for (int kind : kKinds) qxv::ReleaseInterface(buffers_[kind]);
}

void HostFrame::Load(const PassImages& p) {
  const std::vector<std::uint32_t> zeros(static_cast<std::size_t>(p.width) * p.height, 0);
  qxv::sim::Fill(image_, p.colour);
  qxv::sim::Fill(buffers_[qxv::kObjectIndexBuffer], p.index);
  qxv::sim::Fill(buffers_[qxv::kMatch1Buffer], p.match1);
  qxv::sim::Fill(buffers_[qxv::kMatch2Buffer], p.match2);
  qxv::sim::Fill(buffers_[qxv::kDepthBuffer], p.depth.empty() ? zeros : p.depth);
  qxv::sim::Fill(buffers_[qxv::kAlternateBuffer], p.alternate.empty() ? zeros : p.alternate);
}

std::vector<std::uint32_t> HostFrame::Colour() const { return qxv::sim::Snapshot(image_); }

void HostFrame::Offer(std::uint32_t neededMask) {
  set_.fill(nullptr);
  for (int kind : kKinds) {
    if (neededMask & qxv::BufferBit(kind)) set_[kind] = qxv::AsUnknown(buffers_[kind]);
  }
}

}  // namespace pblur
