#include "tools/demo_command.h"

#include <cstdio>

#include "tools/contact_sheet.h"
#include "tools/demo_scene.h"
#include "apply/apply_error.h"
#include "apply/output/folders.h"
#include "apply/input/frame_pattern.h"
#include "sim/rendered_frame.h"
#include "apply/blur/host_session.h"
#include "apply/output/output_images.h"
#include "tools/progress_bar.h"

namespace qxv::tool {
namespace {

template <typename T>
void Default(std::optional<T>& field, T value) {
  if (!field) field = value;
}

std::string FramePath(const std::string& folder, const char* stem, int frame) {
  return folder + "/" + apply::FrameName(std::string(stem) + "_%03d.png", frame);
}

void WritePasses(const std::string& folder, int frame, const sim::PassImages& p,
                 apply::WriteFault* fault) {
  const std::pair<const char*, const std::vector<std::uint32_t>*> passes[] = {
      {"index", &p.index}, {"match1", &p.match1}, {"match2", &p.match2},
      {"depth", &p.depth}, {"alternate", &p.alternate}};
  for (const auto& [stem, values] : passes) {
    apply::WriteImage(FramePath(folder, stem, frame), apply::ValueImage(*values, p.width, p.height),
                      fault);
  }
}

}  // namespace

ParameterEdits DemoEdits(const ParameterEdits& user) {
  ParameterEdits e = user;
  // The Weights only count outside mode "all"; opt-out shows the excluded
  // object. The depth test lets the pillar hide the streak behind it.
  Default(e.modeCommand, kCommandOptOut);
  Default(e.depthTest, true);
  Default(e.streakLength, 10.0f);
  Default(e.mainStrength, 6.0f);
  Default(e.altLength, 20.0f);
  return e;
}

int RunDemo(const Options& o, const sim::ModuleExports& module, std::ostream& out, std::ostream& err) {
  apply::EnsureFolder(o.outDir, "--out");
  apply::Session session(module);
  session.Edit(DemoEdits(o.edits));
  DemoScene scene(session, o.size);
  sim::RenderedFrame frame(o.size.width, o.size.height, o.tile.width, o.tile.height);
  sim::PassImages passes;
  ContactSheet sheet(o.frames, o.size.width, o.size.height);
  ProgressBar bar(err, o.frames, o.quiet);
  const std::string sheetPath = o.outDir + "/contact_sheet.png";
  int f = 0;
  try {
    for (; f <= o.frames; ++f) {
      scene.Render(f, o.frames, &passes);
      frame.Load(passes);
      if (o.writePasses) WritePasses(o.outDir, f, passes, o.writeFault);
      if (f > 0 || o.writePasses) {
        apply::WriteImage(FramePath(o.outDir, "rendered", f),
                          apply::ColourImage(passes.colour, {}, o.size.width, o.size.height, false),
                          o.writeFault);
      }
      session.Render(scene.List(), frame, f);
      if (f == 0) continue;  // the lead-in only gives frame 1 its previous frame
      const ColourFrame blurred = frame.Colour();
      sheet.Add(f, passes.colour, blurred);
      apply::WriteImage(FramePath(o.outDir, "blurred", f),
                        apply::ColourImage(blurred, {}, o.size.width, o.size.height, false),
                        o.writeFault);
      bar.Update(f);
    }
    apply::WriteImage(sheetPath, sheet.Picture(), o.writeFault);
  } catch (const apply::ApplyError& e) {
    // The message starts a line of its own and says which picture failed.
    bar.Finish();
    const std::string what = f > o.frames ? "contact sheet" : "frame " + std::to_string(f);
    throw e.Within("--out: " + what + ": ");
  }
  const double seconds = bar.Finish();
  if (!o.quiet) {
    char timing[64];
    std::snprintf(timing, sizeof timing, "%.1f s", seconds);
    out << "pblur demo: " << o.frames << " frames in " << timing << "\n"
        << "  frames: " << o.outDir << "/rendered_NNN.png and blurred_NNN.png\n"
        << "  contact sheet (rendered above, blurred below): " << sheetPath << "\n";
  }
  return 0;
}

}  // namespace qxv::tool
