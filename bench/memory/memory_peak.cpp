// Peak memory of the pass, per pixel, as the module asks it of the host:
// loads the module file (QXVpblur.dll under wine, libQXVpblur.so natively),
// drives it through the simulated host over three frames of a scene whose
// objects cover the chosen share of the image, and reports from the host's
// ledger the highest total of the module's blocks and made objects during
// each frame, what it still holds after it, and the host's own image and
// buffers beside them; and, since a 32-bit host's free address space comes
// in pieces, the largest single block it gave the module and the largest
// tile of the objects the module made.
//
//   qxv_memory_peak [--module FILE] [--cover PERCENT] [--plain] [--cap MB]
//                   [--largest-block MB] [WxH ...]
//
// --plain keeps the module's defaults (no depth test, no trails); otherwise
// the depth test and trails of 3 frames are on, the most the pass holds.
// --cap lets the module have at most that much of the host, as a host with
// little address space left would; a refused frame is checked to be left
// as rendered. --largest-block refuses every block above that many MiB, as
// a host whose free address space has no larger range would.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim/driver.h"
#include "sim/host.h"
#include "sim/memory_ledger.h"
#include "sim/module_exports.h"
#include "sim/rendered_frame.h"

namespace {

using namespace qxv;

constexpr std::uint32_t kTile = 64;
constexpr std::int32_t kObjectSide = 240;

struct Size {
  std::uint32_t width, height;
};

// Objects on a grid, each moving right and down by a few pixels a frame;
// `cover` percent of each grid cell's area is object, the rest background.
void DrawScene(sim::RenderedFrame& f, int frame, int cover) {
  f.Clear(0x202020);
  const std::int32_t side =
      static_cast<std::int32_t>(kObjectSide * std::sqrt(cover / 100.0) + 0.5);
  std::uint32_t index = 1;
  for (std::int32_t top = 0; top < static_cast<std::int32_t>(f.height); top += kObjectSide) {
    for (std::int32_t left = 0; left < static_cast<std::int32_t>(f.width); left += kObjectSide) {
      const std::int32_t shift = frame * (2 + static_cast<std::int32_t>(index % 5));
      const std::uint32_t colour = 0x406080u + index * 0x0A1B2Cu;
      f.DrawRect(left + shift, top + shift / 2, side, side,
                 index, colour & 0xFFFFFF, 100 + index % 7, index % 3 == 0);
      ++index;
    }
  }
}

double PerPixel(std::int64_t bytes, const Size& s) {
  return static_cast<double>(bytes) / (static_cast<double>(s.width) * s.height);
}

const char* Outcome(const sim::FrameOutcome& o) {
  if (!o.completed) return o.error == E_OUTOFMEMORY ? "raised E_OUTOFMEMORY" : "raised";
  if (o.result == S_OK) return "S_OK";
  if (o.result == E_OUTOFMEMORY) return "E_OUTOFMEMORY";
  return "other result";
}

struct Options {
  int cover = 100;
  bool plain = false;
  std::int64_t capBytes = 0;
  std::uint32_t largestBlockCap = 0;
};

void Measure(const sim::ModuleExports& module, const Size& s, const Options& options) {
  const int cover = options.cover;
  const bool plain = options.plain;
  PostRenderer* renderer = sim::CreatePostRenderer(module);
  if (!renderer) {
    std::printf("%ux%u: no Pblur\n", s.width, s.height);
    return;
  }
  ParameterBlock& p = sim::ParametersOf(renderer);
  if (!plain) {
    p.depthTest = 1;
    p.trails = 1;
    p.trailFrames = 3.0f;
  }
  sim::RenderedFrame frame(s.width, s.height, kTile, kTile);
  frame.Offer(sim::NeededBuffersOf(renderer));
  for (int n = 0; n < 3; ++n) {
    DrawScene(frame, n, cover);
    const std::vector<std::uint32_t> rendered =
        options.capBytes ? sim::Snapshot(frame.image) : std::vector<std::uint32_t>();
    sim::ResetMemoryPeak();
    const sim::ModuleMemory before = sim::ModuleMemoryNow();
    sim::SetModuleMemoryCap(options.capBytes);
    sim::SetLargestBlockCap(options.largestBlockCap);
    const sim::FrameOutcome o = sim::RenderFrame(renderer, nullptr, frame, nullptr);
    sim::SetModuleMemoryCap(0);
    sim::SetLargestBlockCap(0);
    if (options.capBytes && (!o.completed || o.result != S_OK)) {
      std::printf("  refused frame %d left the image %s\n", n,
                  sim::Snapshot(frame.image) == rendered ? "as rendered" : "CHANGED");
    }
    const sim::ModuleMemory peak = sim::ModuleMemoryPeak();
    const sim::ModuleMemory after = sim::ModuleMemoryNow();
    std::printf(
        "%5ux%-5u %3d%% %-5s frame %d %-20s peak %6.2f B/px (objects %6.2f, blocks %6.2f) "
        "held before %6.2f after %6.2f  host's own %6.2f B/px  peak %7.1f MB  "
        "largest block %6.1f MiB, object tile %6.1f MiB\n",
        s.width, s.height, cover, plain ? "plain" : "full", n, Outcome(o),
        PerPixel(peak.Total(), s), PerPixel(peak.objectBytes, s), PerPixel(peak.blockBytes, s),
        PerPixel(before.Total(), s), PerPixel(after.Total(), s),
        PerPixel(sim::HostOwnObjectBytes(), s), static_cast<double>(peak.Total()) / 1e6,
        static_cast<double>(sim::LargestBlockGiven()) / 1048576.0,
        static_cast<double>(sim::LargestModuleTile()) / 1048576.0);
    std::fflush(stdout);
  }
  renderer->ops->Release(renderer);
  std::printf("  after Release: module holds %lld bytes, %d blocks live\n",
              static_cast<long long>(sim::ModuleMemoryNow().Total()), sim::LiveBlocks());
}

std::string DefaultModule(const char* argv0) {
  std::string dir = argv0;
  const std::size_t slash = dir.find_last_of("/\\");
  dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
#if defined(_WIN32)
  return dir + "/../../QXVpblur.dll";
#else
  return dir + "/../../libQXVpblur.so";
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = DefaultModule(argv[0]);
  Options options;
  std::vector<Size> sizes;
  for (int i = 1; i < argc; ++i) {
    Size s = {};
    if (!std::strcmp(argv[i], "--module") && i + 1 < argc) {
      path = argv[++i];
    } else if (!std::strcmp(argv[i], "--cover") && i + 1 < argc) {
      options.cover = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--plain")) {
      options.plain = true;
    } else if (!std::strcmp(argv[i], "--cap") && i + 1 < argc) {
      options.capBytes = std::atoll(argv[++i]) * 1000000;
    } else if (!std::strcmp(argv[i], "--largest-block") && i + 1 < argc) {
      options.largestBlockCap = static_cast<std::uint32_t>(std::atof(argv[++i]) * 1048576.0);
    } else if (std::sscanf(argv[i], "%ux%u", &s.width, &s.height) == 2) {
      sizes.push_back(s);
    } else {
      std::fprintf(stderr,
                   "usage: %s [--module FILE] [--cover PERCENT] [--plain] [--cap MB] "
                   "[--largest-block MB] [WxH ...]\n",
                   argv[0]);
      return 2;
    }
  }
  if (options.cover < 1 || options.cover > 100) options.cover = 100;
  if (sizes.empty()) sizes = {{1920, 1080}, {3840, 2160}, {7680, 4320}};
  sim::ModuleExports module;
  std::string why;
  if (!sim::LoadModuleFile(path, &module, &why)) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
    return 1;
  }
  sim::HandOverShell(module);
  for (const Size& s : sizes) Measure(module, s, options);
  sim::UnloadModuleFile(&module);
  return 0;
}
