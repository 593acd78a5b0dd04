#include "apply/run/apply_run.h"

#include <exception>
#include <new>
#include <optional>
#include <thread>

#include "apply/apply_error.h"
#include "apply/output/folders.h"
#include "apply/input/frame_pattern.h"
#include "apply/flag_errors.h"
#include "apply/run/handoff.h"
#include "apply/run/stage.h"
#include "apply/input/header_scan.h"
#include "apply/output/image_output.h"
#include "apply/blur/module_blur.h"
#include "apply/input/frame_reader.h"
#include "apply/passes/pass_converter.h"
#include "apply/blur/shutter_frame.h"

namespace qxv::apply {
namespace {

// What writing a blurred frame needs; the module's passes are gone.
struct BlurredFrame {
  int number = 0;
  ChannelImage stored;  // the colour as read
  ColourCodes given;    // the codes the module was given, to tell which pixels it left alone
  ColourCodes blurred;
  int outputBits = 8;
  std::optional<OutputImage> picture;  // the shutter look's, made as it blurs
};

BlurredFrame Blurred(ConvertedFrame&& in, ColourCodes&& blurred) {
  BlurredFrame frame;
  frame.number = in.number;
  frame.stored = std::move(in.colour);
  frame.given = std::move(in.codes);
  frame.given.colour = std::move(in.passes.colour);
  frame.blurred = std::move(blurred);
  frame.outputBits = in.outputBits;
  return frame;
}

void Write(const ApplySettings& o, const BlurredFrame& frame) {
  const std::string target = FrameName(o.output, frame.number);
  EnsureFolder(FolderOf(target), "--output");
  ForFlag("--output", [&] {
    try {
      WriteImage(target,
                 frame.picture ? *frame.picture
                               : ColourPicture(frame.stored, frame.given, frame.blurred,
                                               frame.outputBits),
                 o.writeFault);
    } catch (const ApplyError& e) {
      throw e.Within("frame " + std::to_string(frame.number) + ": ");
    }
  });
}

// A frame's share of the peak, in bytes per pixel: the passes as decoded and
// as the module's values, the simulated host's image and buffers, the
// module's own whole-image buffers, and the picture going out (a 1080p run
// with alpha, libraries and both module copies included, peaked at 0.9 GB
// resident).
constexpr double kBytesPerPixel = 80.0;
constexpr int kFramesUnderWay = 4;  // one read, one converted, one blurred, one written

// Memory running out is the frame's size, said so, not a stray bad_alloc.
[[noreturn]] void NoMemory(int frame, const FrameShape& size) {
  const double pixels = static_cast<double>(size.Width()) * size.Height();
  const long long megabytes =
      static_cast<long long>(pixels * kBytesPerPixel * kFramesUnderWay / 1.0e6) + 1;
  MemoryError("frame " + std::to_string(frame) + ": not enough memory: " +
             std::to_string(size.Width()) + "x" + std::to_string(size.Height()) +
             " frames need about " + std::to_string(megabytes) + " MB");
}

// Runs one stage's work on frame `frame`, memory running out said as above.
template <typename Work>
void NamingMemory(int frame, const FrameShape& size, Work&& work) {
  try {
    work();
  } catch (const std::bad_alloc&) {
    NoMemory(frame, size);
  }
}

// A frame as read: its passes.
struct ReadFrame {
  int number = 0;
  FrameInputs passes;
};

}  // namespace

// Four stages, one frame each at a time, each on a thread of its own but
// the module's: frame n+2 is read while frame n+1 is converted into the
// module's values, the module blurs frame n on this thread, the host's,
// and frame n-1 is written. Frames are written in order. A failure in any
// stage still lets every frame before it be written; a failing write stops
// the others at once.
RunPlan RunApply(const ApplySettings& o, const sim::ModuleExports& module,
                 const FrameProgress& progress, const Warning& warn) {
  CheckWritable("--output", FrameName(o.output, 0));
  const RunPlan plan = PlanFrames(o);
  const FrameRange range = plan.written;
  const FrameShape scanned = ScanHeaders(o, plan, warn);
  const int total = range.last - range.first + 1;
  // The module blurs the streak look; the shutter look needs none of it.
  std::optional<ModuleBlur> blur;
  if (o.look == Look::Streak) blur.emplace(module, o);
  if (progress) progress(0, total);

  Handoff<ReadFrame> toConvert;
  Handoff<ConvertedFrame> toBlur;
  Handoff<BlurredFrame> toWrite;
  std::exception_ptr readFailure, convertFailure, blurFailure, writeFailure;
  std::thread reader([&] {
    try {
      FrameReader files(o);
      for (int f = plan.blurFrom; f <= range.last; ++f) {
        ReadFrame read;
        read.number = f;
        NamingMemory(f, scanned, [&] { read.passes = files.Read(f); });
        if (!toConvert.Give(std::move(read))) break;
      }
    } catch (...) {
      readFailure = std::current_exception();
    }
    toConvert.Finish();
  });
  std::thread converter([&] {
    PassConverter passes(o);
    RunStage(toConvert, toBlur, [&](ReadFrame& read) {
      std::optional<ConvertedFrame> converted;
      NamingMemory(read.number, scanned, [&] {
        const int bits = OutputBits(FrameName(o.output, read.number), read.passes.colour);
        if (o.look == Look::Shutter) {
          // The shutter look takes the passes as they are, frame by frame.
          ConvertedFrame& frame = converted.emplace();
          frame.number = read.number;
          frame.outputBits = bits;
          frame.passesRead = std::move(read.passes);
          return;
        }
        passes.Convert(std::move(read.passes), read.number, bits, &converted.emplace());
      });
      return converted;
    }, &convertFailure);
  });
  std::thread writer([&] {
    try {
      BlurredFrame frame;
      while (toWrite.Take(&frame)) {
        NamingMemory(frame.number, scanned, [&] { Write(o, frame); });
        if (progress) progress(frame.number - range.first + 1, total);
      }
    } catch (...) {
      writeFailure = std::current_exception();
    }
    toWrite.Stop();
  });
  RunStage(toBlur, toWrite, [&](ConvertedFrame& in) {
    std::optional<BlurredFrame> frame;
    NamingMemory(in.number, scanned, [&] {
      if (in.passesRead) {
        frame.emplace();
        frame->number = in.number;
        frame->picture = ShutterPicture(o, *in.passesRead, in.outputBits);
        return;
      }
      ColourCodes blurred = blur->Blur(in);
      // The lead-in only brings the module's state up to date.
      if (in.number >= range.first) frame = Blurred(std::move(in), std::move(blurred));
    });
    return frame;
  }, &blurFailure);
  writer.join();
  converter.join();
  reader.join();
  // The earliest frame's failure: the writer's is the oldest frame.
  for (const std::exception_ptr& failure : {writeFailure, blurFailure, convertFailure, readFailure}) {
    if (failure) std::rethrow_exception(failure);
  }
  return plan;
}

}  // namespace qxv::apply
