#include "apply/run/apply_run.h"

#include <exception>
#include <new>
#include <thread>

#include "apply/apply_error.h"
#include "apply/output/folders.h"
#include "apply/input/frame_pattern.h"
#include "apply/flag_errors.h"
#include "apply/run/handoff.h"
#include "apply/input/header_scan.h"
#include "apply/input/image_file.h"
#include "apply/blur/module_blur.h"

namespace qxv::apply {
namespace {

struct BlurredFrame {
  FrameInput input;
  ColourCodes blurred;
};

void Write(const ApplySettings& o, BlurredFrame& frame) {
  FrameInput& in = frame.input;
  const std::string target = FrameName(o.output, in.number);
  EnsureFolder(FolderOf(target), "--output");
  // The codes the module was given, to tell which pixels it left alone.
  in.codes.colour = std::move(in.passes.colour);
  ForFlag("--output", [&] {
    try {
      WriteImage(target, ColourPicture(in.colour, in.codes, frame.blurred, in.outputBits));
    } catch (const ApplyError& e) {
      throw ApplyError(e.status, "frame " + std::to_string(in.number) + ": " + e.what());
    }
  });
}

// A frame's share of the peak, in bytes per pixel: the passes as decoded and
// as the module's values, the simulated host's image and buffers, the
// module's own whole-image buffers, and the picture going out (a 1080p run
// peaked at 487 MB).
constexpr double kBytesPerPixel = 80.0;
constexpr int kFramesUnderWay = 3;  // one read, one blurred, one written

// Memory running out is the frame's size, said so, not a stray bad_alloc.
[[noreturn]] void NoMemory(int frame, const ScannedFrames& size) {
  const double pixels = static_cast<double>(size.width) * size.height;
  const long long megabytes =
      static_cast<long long>(pixels * kBytesPerPixel * kFramesUnderWay / 1.0e6) + 1;
  InputError("frame " + std::to_string(frame) + ": not enough memory: " +
             std::to_string(size.width) + "x" + std::to_string(size.height) +
             " frames need about " + std::to_string(megabytes) + " MB");
}

// Runs one stage's work on frame `frame`, memory running out said as above.
template <typename Work>
void NamingMemory(int frame, const ScannedFrames& size, Work&& work) {
  try {
    work();
  } catch (const std::bad_alloc&) {
    NoMemory(frame, size);
  }
}

// A stage's failure, kept for the host's thread to raise once every stage
// has stopped.
struct Failure {
  std::exception_ptr error;
  void Keep() { error = std::current_exception(); }
};

}  // namespace

// Three stages, one frame each at a time: frame n+1 is read and frame n-1
// written while the module blurs frame n on this thread, the host's. Frames
// are written in order. A failing read or blur still lets every frame
// before it be written; a failing write stops the others at once.
RunPlan RunApply(const ApplySettings& o, const sim::ModuleExports& module,
                 const FrameProgress& progress, const Warning& warn) {
  CheckWritable("--output", FrameName(o.output, 0));
  const RunPlan plan = PlanFrames(o);
  const FrameRange range = plan.written;
  const ScannedFrames scanned = ScanHeaders(o, plan, warn);
  const int total = range.last - range.first + 1;
  ModuleBlur blur(module, o);
  if (progress) progress(0, total);

  Handoff<FrameInput> toBlur;
  Handoff<BlurredFrame> toWrite;
  Failure readFailure, blurFailure, writeFailure;
  std::thread reader([&] {
    try {
      FrameReader frames(o);
      for (int f = plan.blurFrom; f <= range.last; ++f) {
        FrameInput in;
        NamingMemory(f, scanned, [&] { frames.Read(f, &in); });
        if (!toBlur.Give(std::move(in))) break;
      }
    } catch (...) {
      readFailure.Keep();
    }
    toBlur.Finish();
  });
  std::thread writer([&] {
    try {
      BlurredFrame frame;
      while (toWrite.Take(&frame)) {
        NamingMemory(frame.input.number, scanned, [&] { Write(o, frame); });
        if (progress) progress(frame.input.number - range.first + 1, total);
      }
    } catch (...) {
      writeFailure.Keep();
      toWrite.Stop();
    }
  });
  try {
    FrameInput in;
    while (toBlur.Take(&in)) {
      BlurredFrame frame;
      NamingMemory(in.number, scanned, [&] { frame.blurred = blur.Blur(in); });
      // The lead-in only brings the module's state up to date.
      if (in.number < range.first) continue;
      frame.input = std::move(in);
      if (!toWrite.Give(std::move(frame))) break;
    }
  } catch (...) {
    blurFailure.Keep();
  }
  toWrite.Finish();
  toBlur.Stop();
  writer.join();
  reader.join();
  // The earliest frame's failure: the writer's is the oldest frame.
  for (const Failure* f : {&writeFailure, &blurFailure, &readFailure}) {
    if (f->error) std::rethrow_exception(f->error);
  }
  return plan;
}

}  // namespace qxv::apply
