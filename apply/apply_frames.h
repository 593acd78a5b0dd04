// What pblur apply reads: which frames, checked before anything is written,
// and each frame's passes turned into the module's values.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/rendered_frame.h"
#include "apply/apply_settings.h"
#include "apply/pass_values.h"
#include "apply/run_plan.h"
#include "apply/surface_tracker.h"

namespace qxv::apply {

// --first and --last, defaulting to the first and last colour frames
// present, and the lead-in before them. Throws an input error naming the
// file when any pass misses a frame the run reads, and a usage error when an
// output file would be one of the input files.
RunPlan PlanFrames(const ApplySettings& options);

class FrameReader {
 public:
  explicit FrameReader(const ApplySettings& options) : o_(options) {}

  // Reads every pass of frame `f`; the first frame read sets the size and
  // whether the colour has alpha, which every later frame must share.
  // `alpha` is left empty without.
  void Read(int f, sim::PassImages* passes, std::vector<std::uint32_t>* alpha);
  // Frame `f` before the module's lead-in: only what carries on to later
  // frames, the object numbers and the tracked match values.
  void Track(int f);

 private:
  void CheckSize(const std::string& path, const ChannelImage& image) const;
  ChannelImage ReadSized(const PassSource& source, int f, PassShape shape) const;
  void ReadMatches(int f, sim::PassImages* passes);

  const ApplySettings& o_;
  std::string sizeSource_;  // the first colour frame, for messages
  std::uint32_t width_ = 0, height_ = 0;
  bool alpha_ = false;
  ObjectNumbers objects_;
  SurfaceTracker tracker_;
};

}  // namespace qxv::apply
