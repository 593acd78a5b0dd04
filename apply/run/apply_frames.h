// What apply reads: which frames, checked before anything is written,
// and each frame's passes turned into the module's values.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "apply/run/apply_settings.h"
#include "apply/colour/colour_frame.h"
#include "apply/input/image_file.h"
#include "apply/passes/pass_values.h"
#include "apply/run/run_plan.h"
#include "sim/rendered_frame.h"

namespace qxv::apply {

// --first and --last, defaulting to the first and last colour frames
// present, and the lead-in before them. Throws an input error naming the
// file when any pass misses a frame the run reads, and a usage error when an
// output file would be one of the input files.
RunPlan PlanFrames(const ApplySettings& options);

// One frame as read: the module's passes (colour as codes), the colour as
// stored and its codes, and how the output stores it.
struct FrameInput {
  int number = 0;
  sim::PassImages passes;
  ChannelImage colour;
  ColourCodes codes;  // colour left empty: it is passes.colour
  int outputBits = 8;
  // The renderer's object index that each object number stands for (from
  // 1), for the scene's per-object settings.
  std::vector<double> objectIndexes;
  // Match values from motion vectors: where each point lay in the previous
  // frame, so the module is given the frame again with its own coordinates
  // before the next one.
  bool tracked = false;
};

class PassConverter;

class FrameReader {
 public:
  explicit FrameReader(const ApplySettings& options);
  ~FrameReader();
  FrameReader(const FrameReader&) = delete;
  FrameReader& operator=(const FrameReader&) = delete;

  // Reads every pass of frame `f`, each file opened and decoded once
  // however many passes it holds; the first frame read sets the size and
  // whether the colour has alpha, which every later frame must share.
  void Read(int f, FrameInput* frame);

 private:
  void CheckSize(const std::string& path, const ChannelImage& image) const;

  const ApplySettings& o_;
  std::string sizeSource_;  // the first colour frame, for messages
  std::uint32_t width_ = 0, height_ = 0;
  bool alpha_ = false;
  std::unique_ptr<PassConverter> converter_;
};

}  // namespace qxv::apply
