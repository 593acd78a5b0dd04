// Motion vectors for the demo's shot, for the farm benchmark's --vector
// runs: the demo draws its passes but no vector pass, so this works each
// pixel's vector out from the objects' placements in its frame and the
// frame before (where the surface point under the pixel lay then), as a
// renderer's Vector pass gives it: in pixels, x right and y up.
//   demo_vectors DIR LAST WIDTHxHEIGHT   writes DIR/vector_000.exr to LAST
// (the demo's `--frames LAST --passes` shot, frame 0 its lead-in).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "apply/blur/host_session.h"
#include "apply/input/frame_pattern.h"
#include "apply/output/output_images.h"
#include "sim/linked_module.h"
#include "tools/demo_scene.h"

namespace {

using qxv::tool::PlacedObject;
using qxv::tool::ShapeInstance;

const ShapeInstance* Find(const std::vector<PlacedObject>& placed, std::uint32_t index) {
  for (const PlacedObject& p : placed) {
    if (p.shape.index == index) return &p.shape;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qxv;
  if (argc != 4) {
    std::fprintf(stderr, "usage: demo_vectors DIR LAST WIDTHxHEIGHT\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int last = std::atoi(argv[2]);
  apply::Size size;
  if (std::sscanf(argv[3], "%ux%u", &size.width, &size.height) != 2) return 2;
  const sim::ModuleExports module = sim::LinkedModule();
  apply::Session session(module);
  tool::DemoScene scene(session, size);
  sim::PassImages passes;
  for (int f = 0; f <= last; ++f) {
    scene.Render(f, last, &passes);
    const auto now = scene.Place(f, last), before = scene.Place(f > 0 ? f - 1 : 0, last);
    apply::OutputImage image;
    image.width = size.width;
    image.height = size.height;
    image.bits = 32;
    image.names = {"Vector.X", "Vector.Y"};
    image.samples.assign(std::size_t{size.width} * size.height * 2, 0.0f);
    for (std::uint32_t y = 0; y < size.height; ++y) {
      for (std::uint32_t x = 0; x < size.width; ++x) {
        const std::size_t i = std::size_t{y} * size.width + x;
        const ShapeInstance* s = Find(now, passes.index[i]);
        const ShapeInstance* p = Find(before, passes.index[i]);
        if (!s || !p) continue;
        // The surface point under the pixel centre, as the rasteriser finds
        // it, then placed as the object was in the frame before.
        const float dx = (x + 0.5f - s->centreX) / s->scale, dy = (y + 0.5f - s->centreY) / s->scale;
        const float c = std::cos(s->angle), sn = std::sin(s->angle);
        const float u = c * dx + sn * dy, v = -sn * dx + c * dy;
        const float pc = std::cos(p->angle), ps = std::sin(p->angle);
        const float px = p->centreX + p->scale * (pc * u - ps * v) - 0.5f;
        const float py = p->centreY + p->scale * (ps * u + pc * v) - 0.5f;
        image.samples[i * 2] = px - static_cast<float>(x);
        image.samples[i * 2 + 1] = static_cast<float>(y) - py;  // y up
      }
    }
    apply::WriteImage(apply::FrameName(dir + "/vector_%03d.exr", f), image);
  }
  return 0;
}
