// The previous-frame search alone, literal against indexed, for a square
// object of 100, 200 and 400 pixels a side moved by a fraction of a pixel:
// no pixel matches exactly, so every search runs in full.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/search_scene.h"
#include "kernel/match_search.h"

namespace qxv::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The literal scan visits the whole object for every search; its time for
// the whole object is estimated from the first search and a sample of the
// next ones (BM_SearchLiteralInFull checks the estimate at 100).
double EstimateLiteral(SearchScene& scene, int samples) {
  SetMatchSearch(MatchSearch::kLiteral);
  scene.Begin();
  Clock::time_point start = Clock::now();
  scene.Search(0);
  const double first = Since(start);
  start = Clock::now();
  for (int i = 1; i <= samples; ++i) scene.Search(i);
  const double each = Since(start) / samples;
  scene.End();
  SetMatchSearch(MatchSearch::kIndexed);
  return first + each * (scene.Pixels() - 1);
}

double SearchAll(SearchScene& scene) {
  scene.Begin();
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < scene.Pixels(); ++i) scene.Search(i);
  const double seconds = Since(start);
  scene.End();
  return seconds;
}

void BM_Search(benchmark::State& state) {
  SearchScene scene(static_cast<int>(state.range(0)));
  const double literal = EstimateLiteral(scene, 16);
  double total = 0.0;
  for (auto _ : state) {
    const double t = SearchAll(scene);
    state.SetIterationTime(t);
    total += t;
  }
  const double indexed = total / static_cast<double>(state.iterations());
  state.counters["ns/search"] = indexed * 1e9 / scene.Pixels();
  state.counters["literal_ms(est)"] = literal * 1e3;
  state.counters["literal/indexed"] = literal / indexed;
}

void BM_SearchLiteralInFull(benchmark::State& state) {
  SearchScene scene(static_cast<int>(state.range(0)));
  const double estimate = EstimateLiteral(scene, 16);
  SetMatchSearch(MatchSearch::kLiteral);
  double total = 0.0;
  for (auto _ : state) {
    const double t = SearchAll(scene);
    state.SetIterationTime(t);
    total += t;
  }
  SetMatchSearch(MatchSearch::kIndexed);
  state.counters["estimate/measured"] = estimate / (total / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_Search)->ArgName("side")->Arg(100)->Arg(200)->Arg(400)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_SearchLiteralInFull)
    ->ArgName("side")
    ->Arg(100)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qxv::bench
