// A render view that only notes when the pass shows something. The pass
// shows the progress icon before every tile and the tile after it, in the
// streak phase and again in the composite phase, so the notes split one
// pass into its stages without any help from the module.
#pragma once
#include <chrono>
#include <cstdint>
#include <vector>

#include "host/render_view.h"

namespace qxv::bench {

using Clock = std::chrono::steady_clock;

struct StageTimes {
  double prepare;    // copies, tags, icon, layers: up to the first tile shown
  double streak;     // the streak phase
  double smooth;     // between the phases: smoothing, the second glyph
  double composite;  // the composite phase
  double finish;     // the new reference, releases
  double Total() const { return prepare + streak + smooth + composite + finish; }
};

class StopwatchView {
 public:
  StopwatchView();
  RenderView* View() { return &face_.view; }
  // Forgets the notes of the last pass.
  void Start();
  // Stage durations in seconds of the pass run since Start; `tiles` is the
  // number of image tiles.
  StageTimes Stop(std::uint32_t tiles) const;

 private:
  static Result QXV_CALL ShowRegion(RenderView* self, TiledImage* image, const Rect16* source,
                                    const Rect32* destination);
  struct Face {
    RenderView view;  // first, so that the interface pointer is the face
    StopwatchView* owner;
  };
  Face face_;
  Clock::time_point start_;
  std::vector<Clock::time_point> shown_;
};

}  // namespace qxv::bench
