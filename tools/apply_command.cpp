#include "tools/apply_command.h"

#include <optional>

#include "apply/run/apply_run.h"
#include "apply/input/frame_pattern.h"
#include "tools/progress_bar.h"

namespace qxv::tool {

int RunApply(const Options& o, const sim::ModuleExports& module, std::ostream& out, std::ostream& err) {
  std::optional<ProgressBar> bar;
  // A message never shares the bar's line: the bar's line is ended first.
  const auto endBar = [&] {
    if (bar) bar->Finish();
  };
  apply::RunPlan plan;
  try {
    plan = apply::RunApply(
        o, module,
        [&](int done, int total) {
          if (!bar) bar.emplace(err, total, o.quiet);
          bar->Update(done);
        },
        [&](const std::string& line) {
          endBar();
          err << "pblur: warning: " << line << "\n";
        });
  } catch (...) {
    endBar();
    throw;
  }
  endBar();
  const apply::FrameRange range = plan.written;
  if (!o.quiet) {
    out << "pblur apply: frames " << range.first << " to " << range.last << " written to "
        << apply::FrameName(o.output, range.first) << (range.last > range.first ? " ..." : "");
    if (plan.LeadIn() > 0) {
      out << " (after " << plan.LeadIn() << " lead-in frame" << (plan.LeadIn() > 1 ? "s" : "")
          << " from " << plan.blurFrom << ")";
    }
    out << "\n";
  }
  return 0;
}

}  // namespace qxv::tool
