#include "apply/apply_run.h"

#include "apply/apply_frames.h"
#include "apply/folders.h"
#include "apply/frame_blur.h"
#include "apply/frame_pattern.h"
#include "apply/image_file.h"

namespace qxv::apply {

FrameRange RunApply(const ApplySettings& o, const sim::ModuleExports& module,
                    const FrameProgress& progress) {
  CheckWritable("--output", FrameName(o.output, 0));
  const FrameRange range = PlanFrames(o);
  FrameBlur blur(module, o);
  FrameReader reader(o);
  if (progress) progress(0, range.last - range.first + 1);
  for (int f = range.first; f <= range.last; ++f) {
    const FrameInputs inputs = reader.Read(f);
    const std::string target = FrameName(o.output, f);
    const OutputImage image = blur.Frame(inputs, f, StoresFloat(target));
    EnsureFolder(FolderOf(target), "--output");
    WriteImage(target, image);
    if (progress) progress(f - range.first + 1, range.last - range.first + 1);
  }
  return range;
}

}  // namespace qxv::apply
