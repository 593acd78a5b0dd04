#include "tools/apply_command.h"

#include <algorithm>
#include <fstream>
#include <memory>

#include "sim/scene.h"
#include "tools/folders.h"
#include "tools/frame_pattern.h"
#include "tools/host_frame.h"
#include "tools/host_session.h"
#include "tools/pass_png.h"
#include "tools/progress_bar.h"

namespace pblur {
namespace {

// The user's renders come without a scene: one top-level node per object
// index, none with a Weight, so every object counts as having none.
class FlatScene {
 public:
  FlatScene() : scene_(qxv::sim::NewScene()) {}
  ~FlatScene() { qxv::sim::DestroyScene(scene_); }
  FlatScene(const FlatScene&) = delete;
  FlatScene& operator=(const FlatScene&) = delete;

  void Cover(std::uint32_t largestIndex) {
    while (count_ < largestIndex) {
      qxv::sim::AddRenderedObject(scene_, qxv::sim::AddNode(scene_, -1));
      ++count_;
    }
  }
  qxv::SceneObjectList* List() const { return qxv::sim::ObjectList(scene_); }

 private:
  qxv::sim::Scene* scene_;
  std::uint32_t count_ = 0;
};

int LastFrame(const Options& o) {
  if (o.last) return *o.last;
  int last = o.first;
  while (std::ifstream(FrameName(o.colour, last + 1)).good()) ++last;
  return last;
}

struct Geometry {
  std::uint32_t width = 0, height = 0;
  std::string source;  // the file that set it, for messages
};

// Reads every pass of one frame; the first colour frame sets the size.
void ReadFrame(const Options& o, int f, Geometry& g, PassImages& p, PngImage& colourImage) {
  const std::string colourPath = FrameName(o.colour, f);
  p.colour = ReadColour(colourPath, &colourImage);
  if (g.source.empty()) g = Geometry{colourImage.width, colourImage.height, colourPath};
  CheckSize(colourPath, colourImage, g.width, g.height, g.source);
  p.width = g.width;
  p.height = g.height;
  const std::string& s = g.source;
  p.index = ReadValues(FrameName(o.index, f), false, g.width, g.height, s);
  p.match1 = ReadValues(FrameName(o.match1, f), false, g.width, g.height, s);
  p.match2 = ReadValues(FrameName(o.match2, f), false, g.width, g.height, s);
  p.depth.clear();
  p.alternate.clear();
  if (!o.depth.empty()) p.depth = ReadValues(FrameName(o.depth, f), false, g.width, g.height, s);
  if (!o.alternate.empty()) {
    p.alternate = ReadValues(FrameName(o.alternate, f), true, g.width, g.height, s);
  }
}

// The blurred colour, keeping the input's alpha when it had one.
PngImage OutputImage(const std::vector<std::uint32_t>& colour, const PngImage& input) {
  PngImage out = ColourPng(colour, input.width, input.height);
  if (input.layout != PngLayout::Rgba) return out;
  std::vector<std::uint16_t> rgba;
  rgba.reserve(colour.size() * 4);
  for (std::size_t i = 0; i < colour.size(); ++i) {
    rgba.insert(rgba.end(), out.samples.begin() + 3 * i, out.samples.begin() + 3 * i + 3);
    rgba.push_back(input.samples[4 * i + 3]);
  }
  out.layout = PngLayout::Rgba;
  out.samples = std::move(rgba);
  return out;
}

}  // namespace

int RunApply(const Options& o, const ModuleEntry& module, std::ostream& out, std::ostream& err) {
  const int last = LastFrame(o);
  Session session(module);
  session.Edit(o.edits);
  FlatScene scene;
  Geometry geometry;
  PassImages passes;
  PngImage colourImage;
  std::unique_ptr<HostFrame> frame;
  ProgressBar bar(err, last - o.first + 1, o.quiet);
  for (int f = o.first; f <= last; ++f) {
    ReadFrame(o, f, geometry, passes, colourImage);
    if (!frame) frame = std::make_unique<HostFrame>(Size{geometry.width, geometry.height}, o.tile);
    frame->Load(passes);
    scene.Cover(*std::max_element(passes.index.begin(), passes.index.end()));
    session.Render(scene.List(), *frame, f);
    const std::string target = FrameName(o.output, f);
    EnsureFolder(FolderOf(target), "--output");
    WritePng(target, OutputImage(frame->Colour(), colourImage));
    bar.Update(f - o.first + 1);
  }
  bar.Finish();
  if (!o.quiet) {
    out << "pblur apply: frames " << o.first << " to " << last << " written to "
        << FrameName(o.output, o.first) << (last > o.first ? " ..." : "") << "\n";
  }
  return 0;
}

}  // namespace pblur
