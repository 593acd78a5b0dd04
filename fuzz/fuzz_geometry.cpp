// Frame geometry and buffer contents: sizes around the module's limits, any
// tile size, any bits in the object, match, depth and alternate buffers,
// entries missing from the BufferSet, tilings that differ between buffers.
#include <vector>

#include "fuzz/harness.h"
#include "sim/host.h"

using namespace qxv;
using namespace qxv::fuzz;

namespace {

constexpr std::uint32_t kMaxElements = 1u << 12;
constexpr std::uint32_t kSimLimit = 32767;

// Sides at the module's limit are rare: a 32000-pixel frame costs as much
// as a hundred ordinary ones, and one in sixteen frames still has one.
std::uint32_t Side(Input& in) {
  switch (in.Byte() % 32) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 32000 + in.Below(2);  // the module's limit
    default: return 1 + in.Below(40);
  }
}

// What the host reports beyond what it stores: mostly nothing, else a side
// past the module's limit, around and far past the 16-bit range.
std::uint32_t Claimed(Input& in) {
  switch (in.Byte() % 16) {
    case 0: return 65535 + in.Below(3);
    case 1: return 32001 + in.Below(0xFFFFFFFFu - 32001);
    case 2: return 0xFFFFFFFFu - in.Below(2);
    default: return 0;
  }
}

// A tile size the simulated host can lay out for a side of `n` pixels.
std::uint32_t Tile(Input& in, std::uint32_t n) {
  std::uint32_t t = in.Byte() % 4 == 0 ? 0 : 1 + in.Below(40);
  if (t != 0 && n > 0 && ((n + t - 1) / t) * t > kSimLimit) t = 0;
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  InitModule();
  sim::ResetHost();
  const Baseline baseline = TakeBaseline();
  PostRenderer* pblur = MakePostRenderer();
  ParameterBlock& parameters = sim::ParametersOf(pblur);
  parameters.depthTest = in.Byte() & 1;
  parameters.secondaryLayer = in.Byte() & 1;
  parameters.trails = in.Byte() & 1;
  parameters.trailFrames = static_cast<float>(in.Below(6));
  parameters.echoCount = static_cast<float>(in.Below(4));
  for (int n = 0; n < 2 && !in.Empty(); ++n) {
    sim::BufferSpec image;
    image.width = Side(in);
    image.height = Side(in);
    if (std::uint64_t(image.width) * image.height > kMaxElements) image.height = 1;
    image.tileWidth = Tile(in, image.width);
    image.tileHeight = Tile(in, image.height);
    image.pixelDepth = in.Byte() % 8 == 0 ? 24 : 32;
    sim::BufferSpec buffers = image;
    buffers.pixelDepth = 32;
    if (in.Byte() % 4 == 0) {  // buffers tiled unlike the image
      buffers.tileWidth = Tile(in, image.width);
      buffers.tileHeight = Tile(in, image.height);
    }
    sim::RenderedFrame frame(image, buffers);
    // Read apart: the order of a call's arguments is unspecified.
    const std::uint32_t claimedWidth = Claimed(in);
    sim::ClaimSize(frame.image, claimedWidth, Claimed(in));
    const std::uint32_t writes = in.Below(64);
    for (std::uint32_t i = 0; i < writes && image.width && image.height; ++i) {
      const std::uint32_t x = in.Below(image.width), y = in.Below(image.height);
      const int kind = in.Byte() % kBufferKindCount;
      if (frame.Buffer(kind)) sim::WriteElement(frame.Buffer(kind), x, y, in.U32());
    }
    for (int kind = 0; kind < kBufferKindCount; ++kind) {
      if (frame.set[kind] && in.Byte() % 16 == 0) frame.set[kind] = nullptr;
    }
    const std::vector<std::uint32_t> rendered = sim::Snapshot(frame.image);
    const Result result = Render(pblur, nullptr, frame);
    if (result == E_INVALIDARG && sim::Snapshot(frame.image) != rendered) {
      Finding("a refused frame changed the image");
    }
  }
  pblur->ops->Release(pblur);
  CheckBaseline(baseline);
  return 0;
}
