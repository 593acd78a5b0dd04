// Alpha is blurred by a Pblur of its own with the colour's settings, over
// the same passes with the alpha as a gray picture, so that a streak's
// coverage follows its colour's. Where the module came from a file it runs
// beside the colour's blur: a copy of the module on a thread of its own,
// with a host of its own (sim/own_host.h) and its own scene, as a second
// host would run it. A module linked into the program has one copy, and the
// jitter generator is one per thread and shared with the colour's Pblur on
// the one thread; then alpha is blurred after colour on the caller's
// thread, as before.
#pragma once
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "apply/blur/object_scene.h"
#include "apply/passes/converted_frame.h"
#include "apply/run/apply_settings.h"
#include "apply/run/handoff.h"
#include "sim/module_exports.h"

namespace qxv::apply {

class AlphaPass;

class AlphaBlur {
 public:
  AlphaBlur(const sim::ModuleExports& module, const ApplySettings& settings);
  ~AlphaBlur();
  AlphaBlur(const AlphaBlur&) = delete;
  AlphaBlur& operator=(const AlphaBlur&) = delete;

  // Blurs the frame's alpha (codes.alpha), which must stay as it is until
  // Finish; `colourScene` is the scene of the colour's blur, used when
  // alpha is blurred on the caller's thread.
  void Start(const ConvertedFrame& frame, const ObjectScene& colourScene);
  // The blurred alpha, 0..255; throws what the alpha's blur threw.
  std::vector<std::uint32_t> Finish();
  // Ends a started blur whose result is not wanted (the colour's failed).
  void Abandon();

 private:
  struct Result {
    std::vector<std::uint32_t> alpha;
    std::exception_ptr error;
  };
  void Work();

  const ApplySettings& o_;
  // On the caller's thread.
  std::unique_ptr<AlphaPass> here_;
  const ConvertedFrame* frame_ = nullptr;
  const ObjectScene* scene_ = nullptr;
  // On a thread of its own.
  sim::ModuleExports copy_{};
  Handoff<const ConvertedFrame*> jobs_;
  Handoff<Result> results_;
  std::thread thread_;
};

}  // namespace qxv::apply
