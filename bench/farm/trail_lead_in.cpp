// How close a range with trails comes to the whole run after a lead-in of
// L frames, for trails of 2 to 10 frames: the demo's shot blurred whole,
// then ranges started every few frames after lead-ins of 1, N, N + 2 and
// 2N + 6 frames, each compared with the whole run over the frames that
// follow its start. Prints, per trail length and lead-in, the largest
// difference (0-255, any channel, pixel and compared frame), the mean one,
// and the share of samples more than 1 apart. (Trails of 1 never fade: the
// module fades a layer only for counts above 1.)
//   trail_lead_in [FRAMES [WIDTHxHEIGHT]]   (60 and 320x180 by default)
// Takes some minutes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "apply/blur/host_session.h"
#include "apply/blur/module_blur.h"
#include "sim/linked_module.h"
#include "tools/demo_command.h"
#include "tools/demo_scene.h"

namespace qxv::bench {
namespace {

using Codes = std::vector<std::uint32_t>;

struct Variant {
  const char* what;
  float echoes;
};

// Frames compared after each range's first one, beyond the trail's length:
// a difference that a lead-in leaves can surface a few frames later.
constexpr int kComparedPast = 8;
constexpr int kStartEvery = 8;

class Shot {
 public:
  Shot(int frames, apply::Size size)
      : module_(sim::LinkedModule()), session_(module_), scene_(session_, size), frames_(frames) {
    passes_.resize(static_cast<std::size_t>(frames));
    for (int f = 0; f < frames; ++f) scene_.Render(f, frames - 1, &passes_[f]);
  }

  // The blurred colour codes of frames `from` to `to`, run from `from`.
  std::vector<Codes> Run(const apply::ApplySettings& settings, int from, int to) const {
    apply::ModuleBlur blur(module_, settings);
    std::vector<Codes> out;
    for (int f = from; f <= to; ++f) {
      apply::ConvertedFrame in;
      in.number = f;
      in.passes = passes_[f];
      for (std::uint32_t v : in.passes.index) {
        if (v >= in.objectIndexes.size()) in.objectIndexes.resize(v + 1);
      }
      for (std::size_t k = 0; k < in.objectIndexes.size(); ++k) in.objectIndexes[k] = double(k);
      out.push_back(blur.Blur(in).colour);
    }
    return out;
  }
  int Frames() const { return frames_; }

 private:
  sim::ModuleExports module_;
  apply::Session session_;
  tool::DemoScene scene_;
  int frames_;
  std::vector<sim::PassImages> passes_;
};

struct Apart {
  int largest = 0;
  double sum = 0.0, overOne = 0.0, samples = 0.0;
  void Add(const Codes& a, const Codes& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
        largest = std::max(largest, d);
        sum += d;
        overOne += d > 1;
      }
    }
    samples += 3.0 * double(a.size());
  }
};

}  // namespace
}  // namespace qxv::bench

int main(int argc, char** argv) {
  using namespace qxv;
  const int frames = argc > 1 ? std::atoi(argv[1]) : 60;
  apply::Size size{320, 180};
  if (argc > 2) std::sscanf(argv[2], "%ux%u", &size.width, &size.height);
  const bench::Shot shot(frames, size);
  const bench::Variant variants[] = {{"demo settings", 1.0f}, {"3 echoes", 3.0f}};
  std::printf("trails lead-in  largest  mean     samples > 1 apart\n");
  for (int trails = 2; trails <= 10; ++trails) {
    const int leadIns[] = {1, trails, trails + 2, 2 * trails + 6};
    bench::Apart apart[4];
    for (const bench::Variant& v : variants) {
      apply::ApplySettings s;
      s.edits = tool::DemoEdits(s.edits);
      s.edits.trailFrames = float(trails);
      s.edits.echoCount = v.echoes;
      const auto whole = shot.Run(s, 0, frames - 1);
      for (int start = leadIns[3]; start < frames; start += bench::kStartEvery) {
        const int to = std::min(frames - 1, start + trails + bench::kComparedPast);
        for (int k = 0; k < 4; ++k) {
          const auto range = shot.Run(s, start - leadIns[k], to);
          for (int f = start; f <= to; ++f) apart[k].Add(range[f - (start - leadIns[k])], whole[f]);
        }
      }
    }
    for (int k = 0; k < 4; ++k) {
      std::printf("%6d %7d  %7d  %.4f   %.3f%%\n", trails, leadIns[k], apart[k].largest,
                  apart[k].sum / apart[k].samples, 100.0 * apart[k].overOne / apart[k].samples);
    }
    std::fflush(stdout);
  }
  return 0;
}
