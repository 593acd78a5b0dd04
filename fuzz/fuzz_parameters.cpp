// The 52-byte parameter block as raw bytes (any float, any flag byte, any
// mode) over a small moving scene of three frames.
#include <cstring>

#include "fuzz/harness.h"
#include "sim/host.h"

using namespace qxv;
using namespace qxv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(ParameterBlock)) return 0;
  InitModule();
  sim::ResetHost();
  const Baseline baseline = TakeBaseline();
  PostRenderer* pblur = MakePostRenderer();
  ParameterBlock& parameters = sim::ParametersOf(pblur);
  sim::BufferSpec spec;
  spec.width = 14;
  spec.height = 9;
  spec.tileWidth = 6;
  spec.tileHeight = 5;
  for (int n = 0; n < 3; ++n) {
    // The user interface may rewrite the block between frames.
    std::memcpy(&parameters, data, sizeof(ParameterBlock));
    sim::RenderedFrame frame(spec, spec);
    frame.DrawRect(1 + 2 * n, 1, 4, 3, 1, 0xE08040, 50, 0);
    frame.DrawRect(10 - 2 * n, 4 + n, 3, 4, 2, 0x40A0F0, 30, 1);
    Render(pblur, nullptr, frame);
  }
  pblur->ops->Release(pblur);
  CheckBaseline(baseline);
  return 0;
}
