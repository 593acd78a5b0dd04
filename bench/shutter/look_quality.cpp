// How close blurred frames come to the renderer's own motion blur: PSNR and
// SSIM of the display luma over the motion region, the pixels where the
// ground truth differs from the unblurred render.
//
//   look_quality --truth PAT --sharp PAT --frames FIRST-LAST [--threshold T]
//                NAME=PAT ...
// PAT: a file name with #### for the frame number, and :LAYER or :R,G,B as
// pblur apply takes them. Prints one markdown row per NAME, in order.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "apply/apply_error.h"
#include "bench/shutter/look_image.h"
#include "bench/shutter/program.h"
#include "bench/shutter/ssim.h"

namespace {

using qxv::bench::DisplayLuma;
using qxv::bench::ReadRgb;

struct Score {
  double squared = 0.0, ssim = 0.0;
  std::size_t pixels = 0;
};

int Run(int argc, char** argv) {
  std::string truth, sharp;
  int first = 1, last = 1;
  double threshold = 0.01;
  std::vector<std::pair<std::string, std::string>> candidates;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    const auto value = [&]() -> std::string {
      if (k + 1 >= argc) throw std::runtime_error(a + ": needs a value");
      return argv[++k];
    };
    if (a == "--truth") {
      truth = value();
    } else if (a == "--sharp") {
      sharp = value();
    } else if (a == "--frames") {
      const std::string v = value();
      first = std::stoi(v.substr(0, v.find('-')));
      last = std::stoi(v.substr(v.find('-') + 1));
    } else if (a == "--threshold") {
      threshold = std::stod(value());
    } else if (a.find('=') != std::string::npos) {
      candidates.emplace_back(a.substr(0, a.find('=')), a.substr(a.find('=') + 1));
    } else {
      throw std::runtime_error(a + ": unknown argument");
    }
  }
  if (truth.empty() || sharp.empty()) throw std::runtime_error("--truth and --sharp are needed");
  std::vector<Score> scores(candidates.size());
  std::size_t region = 0, pixels = 0;
  for (int f = first; f <= last; ++f) {
    const qxv::bench::Rgb truthImage = ReadRgb(qxv::bench::FrameSource(truth, f));
    const std::vector<float> truthLuma = DisplayLuma(truthImage);
    const std::vector<float> sharpLuma = DisplayLuma(ReadRgb(qxv::bench::FrameSource(sharp, f)));
    std::vector<std::uint8_t> moving(truthLuma.size());
    for (std::size_t i = 0; i < moving.size(); ++i) {
      moving[i] = std::fabs(truthLuma[i] - sharpLuma[i]) > threshold;
      region += moving[i];
    }
    pixels += moving.size();
    for (std::size_t c = 0; c < candidates.size(); ++c) {
      const std::vector<float> luma = DisplayLuma(ReadRgb(qxv::bench::FrameSource(candidates[c].second, f)));
      if (luma.size() != truthLuma.size()) {
        throw std::runtime_error(candidates[c].first + ": frame " + std::to_string(f) +
                                 " is not the ground truth's size");
      }
      const std::vector<float> ssim =
          qxv::bench::SsimMap(truthLuma, luma, truthImage.width, truthImage.height);
      for (std::size_t i = 0; i < luma.size(); ++i) {
        if (!moving[i]) continue;
        const double d = static_cast<double>(luma[i]) - truthLuma[i];
        scores[c].squared += d * d;
        scores[c].ssim += ssim[i];
        ++scores[c].pixels;
      }
    }
  }
  std::printf("motion region: %zu of %zu pixels (%.1f%%), luma differing by more than %g\n\n",
              region, pixels, 100.0 * static_cast<double>(region) / static_cast<double>(pixels),
              threshold);
  std::printf("| | PSNR motion | SSIM motion |\n|---|---|---|\n");
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    const Score& s = scores[c];
    const double mse = s.squared / static_cast<double>(s.pixels);
    std::printf("| %s | %.1f dB | %.3f |\n", candidates[c].first.c_str(),
                10.0 * std::log10(1.0 / mse), s.ssim / static_cast<double>(s.pixels));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return qxv::bench::Guarded("look_quality", Run, argc, argv); }
