// The whole pass on the demo scene, stage by stage, against the memory
// floor measured in the same run; and the streak phase alone in pixels per
// second (the figure later work is compared with).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/demo_frames.h"
#include "bench/memory_floor.h"
#include "bench/stopwatch_view.h"
#include "kernel/match_search.h"
#include "sim/host.h"

namespace qxv::bench {
namespace {

MatchSearch SearchOf(std::int64_t arg) {
  return arg != 0 ? MatchSearch::kLiteral : MatchSearch::kIndexed;
}

struct Scene {
  DemoFrames frames;
  Pblur* pblur;
  StopwatchView watch;
  int next = 1;
  Scene(std::uint32_t w, std::uint32_t h) : frames(w, h), pblur(frames.NewPblur()) {
    frames.Render(pblur, 0, watch.View());  // store-only: the first reference
  }
  ~Scene() { pblur->ops->Release(pblur); }
  // One full pass, the other frame being the reference.
  StageTimes Pass() {
    frames.Load(next);
    watch.Start();
    const Result r = frames.RenderLoaded(pblur, watch.View());
    const StageTimes t = watch.Stop(frames.Tiles());
    if (r != S_OK) std::abort();
    next ^= 1;
    return t;
  }
};

void BM_Pass(benchmark::State& state) {
  const std::uint32_t w = static_cast<std::uint32_t>(state.range(0));
  const std::uint32_t h = static_cast<std::uint32_t>(state.range(1));
  SetMatchSearch(SearchOf(state.range(2)));
  StageTimes sum = {};
  std::int64_t hostCalls = 0;
  std::int64_t opCalls[static_cast<int>(sim::HostOp::kCount)] = {};
  {
    Scene scene(w, h);
    scene.Pass();  // warm: both frames have been a reference once
    for (auto _ : state) {
      const std::int64_t before = sim::HostCallCount();
      std::int64_t opsBefore[static_cast<int>(sim::HostOp::kCount)];
      for (int op = 0; op < static_cast<int>(sim::HostOp::kCount); ++op) {
        opsBefore[op] = sim::HostOpCount(static_cast<sim::HostOp>(op));
      }
      const StageTimes t = scene.Pass();
      hostCalls += sim::HostCallCount() - before;
      for (int op = 0; op < static_cast<int>(sim::HostOp::kCount); ++op) {
        opCalls[op] += sim::HostOpCount(static_cast<sim::HostOp>(op)) - opsBefore[op];
      }
      state.SetIterationTime(t.Total());
      sum.prepare += t.prepare;
      sum.streak += t.streak;
      sum.smooth += t.smooth;
      sum.composite += t.composite;
      sum.finish += t.finish;
    }
  }
  SetMatchSearch(MatchSearch::kIndexed);
  const double floor = MemoryFloor(static_cast<std::size_t>(w) * h).Seconds(5);
  const double n = static_cast<double>(state.iterations());
  auto ms = [](double seconds) { return benchmark::Counter(seconds * 1e3); };
  state.counters["prepare_ms"] = ms(sum.prepare / n);
  state.counters["streak_ms"] = ms(sum.streak / n);
  state.counters["smooth_ms"] = ms(sum.smooth / n);
  state.counters["composite_ms"] = ms(sum.composite / n);
  state.counters["finish_ms"] = ms(sum.finish / n);
  state.counters["floor_ms"] = ms(floor);
  state.counters["pass/floor"] = sum.Total() / n / floor;
  // The host calls the pass makes (nearly all prescribed per pixel): a cost
  // of the host's that no module can go below.
  const double pixels = static_cast<double>(w) * h;
  state.counters["host_calls/px"] = static_cast<double>(hostCalls) / n / pixels;
  // By operation, those that come to a hundredth of a call per pixel or more.
  for (int op = 0; op < static_cast<int>(sim::HostOp::kCount); ++op) {
    const double perPixel = static_cast<double>(opCalls[op]) / n / pixels;
    if (perPixel >= 0.01) {
      state.counters[std::string(sim::HostOpName(static_cast<sim::HostOp>(op))) + "/px"] = perPixel;
    }
  }
}

void BM_StreakPhase(benchmark::State& state) {
  const std::uint32_t w = static_cast<std::uint32_t>(state.range(0));
  const std::uint32_t h = static_cast<std::uint32_t>(state.range(1));
  SetMatchSearch(SearchOf(state.range(2)));
  double objectPixels = 0.0, seconds = 0.0;
  {
    Scene scene(w, h);
    scene.Pass();
    for (auto _ : state) {
      objectPixels += static_cast<double>(scene.frames.ObjectPixels(scene.next));
      const double t = scene.Pass().streak;
      state.SetIterationTime(t);
      seconds += t;
    }
  }
  SetMatchSearch(MatchSearch::kIndexed);
  // Rates over the phase's own time (the manual time), not the process's.
  state.counters["px/s"] = static_cast<double>(state.iterations()) * w * h / seconds;
  state.counters["object_px/s"] = objectPixels / seconds;
}

// Arguments: width, height, literal (1) or indexed (0) search.
BENCHMARK(BM_Pass)
    ->ArgNames({"w", "h", "literal"})
    ->Args({640, 360, 0})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({640, 360, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_StreakPhase)
    ->ArgNames({"w", "h", "literal"})
    ->Args({640, 360, 0})
    ->Args({640, 360, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qxv::bench
