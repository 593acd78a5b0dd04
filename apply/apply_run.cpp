#include "apply/apply_run.h"

#include <exception>
#include <thread>

#include "apply/apply_error.h"
#include "apply/folders.h"
#include "apply/frame_pattern.h"
#include "apply/handoff.h"
#include "apply/image_file.h"
#include "apply/module_blur.h"

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
  WriteImage(target, ColourPicture(in.colour, in.codes, frame.blurred, in.outputBits));
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
FrameRange RunApply(const ApplySettings& o, const sim::ModuleExports& module,
                    const FrameProgress& progress) {
  CheckWritable("--output", FrameName(o.output, 0));
  const FrameRange range = PlanFrames(o);
  const int total = range.last - range.first + 1;
  ModuleBlur blur(module, o);
  if (progress) progress(0, total);

  Handoff<FrameInput> toBlur;
  Handoff<BlurredFrame> toWrite;
  Failure readFailure, blurFailure, writeFailure;
  std::thread reader([&] {
    try {
      FrameReader frames(o);
      for (int f = range.first; f <= range.last; ++f) {
        FrameInput in;
        frames.Read(f, &in);
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
        Write(o, frame);
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
      frame.blurred = blur.Blur(in);
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
  return range;
}

}  // namespace qxv::apply
