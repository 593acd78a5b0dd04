#include "bench/stopwatch_view.h"

#include <cstdio>
#include <cstdlib>

namespace qxv::bench {
namespace {

Result QXV_CALL QueryInterface(RenderView*, const Guid*, void** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}
std::uint32_t QXV_CALL AddRef(RenderView*) { return 1; }
std::uint32_t QXV_CALL Release(RenderView*) { return 1; }

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

}  // namespace

StopwatchView::StopwatchView() {
  static const RenderViewOps ops = {QueryInterface, AddRef, Release, {}, &StopwatchView::ShowRegion};
  face_.view.ops = &ops;
  face_.owner = this;
  shown_.reserve(1u << 16);
}

void StopwatchView::Start() {
  shown_.clear();
  start_ = Clock::now();
}

StageTimes StopwatchView::Stop(std::uint32_t tiles) const {
  const Clock::time_point end = Clock::now();
  if (shown_.size() != 4u * tiles) {
    std::fprintf(stderr, "bench: %zu regions shown for %u tiles: not a full pass\n",
                 shown_.size(), tiles);
    std::abort();
  }
  const Clock::time_point streakStart = shown_[0], streakEnd = shown_[2 * tiles - 1];
  const Clock::time_point compositeStart = shown_[2 * tiles], compositeEnd = shown_.back();
  return StageTimes{Seconds(start_, streakStart), Seconds(streakStart, streakEnd),
                    Seconds(streakEnd, compositeStart), Seconds(compositeStart, compositeEnd),
                    Seconds(compositeEnd, end)};
}

Result QXV_CALL StopwatchView::ShowRegion(RenderView* self, TiledImage*, const Rect16*,
                                          const Rect32*) {
  reinterpret_cast<Face*>(self)->owner->shown_.push_back(Clock::now());
  return S_OK;
}

}  // namespace qxv::bench
