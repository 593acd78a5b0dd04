// A simulated render output that remembers everything shown in it.
#pragma once
#include <vector>

#include "host/rect.h"
#include "host/render_view.h"

namespace qxv::sim {

// One reference, owned by the caller.
RenderView* NewRenderView();

struct ShownRegion {
  void* image;
  Rect16 source;
  Rect32 destination;
};

// Every ShowRegion call since the view was made or last cleared, in order.
const std::vector<ShownRegion>& ShownRegions(RenderView* view);
void ClearShownRegions(RenderView* view);

}  // namespace qxv::sim
