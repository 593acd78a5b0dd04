// How far one sequence of pictures lies from another: the largest and the
// mean difference of their samples, in 0-255, over frames FIRST to LAST.
//   frame_difference PATTERN_A PATTERN_B FIRST LAST
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "apply/input/frame_pattern.h"
#include "apply/input/image_input.h"

int main(int argc, char** argv) {
  using namespace qxv::apply;
  if (argc != 5) {
    std::fprintf(stderr, "usage: frame_difference PATTERN_A PATTERN_B FIRST LAST\n");
    return 2;
  }
  double most = 0.0, sum = 0.0, changed = 0.0, samples = 0.0;
  for (int f = std::atoi(argv[3]); f <= std::atoi(argv[4]); ++f) {
    const std::string pathA = FrameName(argv[1], f), pathB = FrameName(argv[2], f);
    const ChannelImage a = ReadChannels(pathA, ChannelNames(pathA));
    const ChannelImage b = ReadChannels(pathB, ChannelNames(pathB));
    if (a.samples.size() != b.samples.size()) {
      std::fprintf(stderr, "frame %d: the pictures differ in size\n", f);
      return 1;
    }
    for (std::size_t i = 0; i < a.samples.size(); ++i) {
      const double d = std::fabs(a.samples[i] - b.samples[i]) * 255.0 / a.unit[i % a.names.size()];
      most = std::max(most, d);
      sum += d;
      changed += d > 0.0;
    }
    samples += static_cast<double>(a.samples.size());
  }
  std::printf("largest %.0f, mean %.3f, samples changed %.2f%%\n", most, sum / samples,
              100.0 * changed / samples);
  return 0;
}
