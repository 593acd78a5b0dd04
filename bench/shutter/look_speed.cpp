// Seconds per frame of the shutter look alone, on frames already in
// memory: the passes of each file read once, then the blur timed, the
// quickest of several runs per frame, on every core; and the processor
// time it took, all cores together, which other programs on the machine
// change less. File reading and writing are left out: look_quality.sh
// times them with the rest.
//
//   look_speed FILE:LAYER ... [--runs N]
// Each FILE:LAYER names a multilayer render holding LAYER.Combined,
// LAYER.Vector (four channels) and LAYER.Depth.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "apply/blur/shutter_frame.h"
#include "apply/input/image_input.h"
#include "apply/output/image_output.h"
#include "apply/input/pass_source.h"
#include "bench/shutter/program.h"

namespace {

double ProcessorSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

qxv::apply::FrameInputs Passes(const std::string& source) {
  const std::string::size_type colon = source.rfind(':');
  if (colon == std::string::npos) throw std::runtime_error(source + ": expected FILE:LAYER");
  const std::string path = source.substr(0, colon), layer = source.substr(colon + 1);
  qxv::apply::InputFile file(path);
  const auto choose = [&](const std::string& pass, qxv::apply::PassShape shape) {
    return qxv::apply::ChooseChannels(path, file.Names(), layer + "." + pass, shape);
  };
  std::vector<qxv::apply::ChannelImage> read =
      file.Read({choose("Combined", qxv::apply::PassShape::Colour),
                 choose("Vector", qxv::apply::PassShape::Motion),
                 choose("Depth", qxv::apply::PassShape::Value)});
  qxv::apply::FrameInputs in;
  in.colour = std::move(read[0]);
  in.vector = std::move(read[1]);
  in.depth = std::move(read[2]);
  return in;
}

int Run(int argc, char** argv) {
#if defined(__GLIBC__)
  // As pblur does: a frame's blocks are reused, not faulted in afresh.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  int runs = 5;
  std::vector<std::string> sources;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    if (a == "--runs" && k + 1 < argc) {
      runs = std::stoi(argv[++k]);
    } else {
      sources.push_back(a);
    }
  }
  if (sources.empty()) throw std::runtime_error("no frames given");
  qxv::apply::ApplySettings settings;
  settings.look = qxv::apply::Look::Shutter;
  double total = 0.0, processor = 0.0;
  for (const std::string& source : sources) {
    const qxv::apply::FrameInputs in = Passes(source);
    double best = 1e30, leastProcessor = 1e30;
    for (int r = 0; r < runs; ++r) {
      const auto start = std::chrono::steady_clock::now();
      const double startProcessor = ProcessorSeconds();
      const qxv::apply::OutputImage out = qxv::apply::ShutterPicture(settings, in, 32);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      best = std::min(best, took.count());
      leastProcessor = std::min(leastProcessor, ProcessorSeconds() - startProcessor);
    }
    total += best;
    processor += leastProcessor;
  }
  const double frames = static_cast<double>(sources.size());
  std::printf("shutter look alone: %zu frames, %.3f s per frame, %.3f s of processor time\n",
              sources.size(), total / frames, processor / frames);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return qxv::bench::Guarded("look_speed", Run, argc, argv); }
