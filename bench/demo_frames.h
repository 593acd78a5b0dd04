// Two consecutive frames of the pblur tool's demo scene at any size, loaded
// into the simulated host, and Pblur objects set up as the demo sets them,
// made by the module copy linked into the benchmarks.
#pragma once
#include <cstdint>
#include <memory>

#include "blur/pblur.h"
#include "host/render_view.h"

namespace qxv::bench {

class DemoFrames {
 public:
  DemoFrames(std::uint32_t width, std::uint32_t height);
  ~DemoFrames();
  DemoFrames(const DemoFrames&) = delete;
  DemoFrames& operator=(const DemoFrames&) = delete;

  std::uint32_t Width() const;
  std::uint32_t Height() const;
  std::uint32_t Tiles() const;  // image tiles of 64 x 64
  // Pixels of blurred objects in frame `which` (0 or 1).
  std::uint64_t ObjectPixels(int which) const;

  // One reference; the demo's parameters, no reset pending.
  Pblur* NewPblur() const;
  // Loads frame `which` (0 or 1) as rendered and runs PostRender on it below
  // a host frame. Alternating frames makes every pass after the first a full
  // pass of the same work.
  Result Render(Pblur* pblur, int which, RenderView* view);
  // Loads frame `which` without running anything (the untimed part).
  void Load(int which);
  Result RenderLoaded(Pblur* pblur, RenderView* view);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace qxv::bench
