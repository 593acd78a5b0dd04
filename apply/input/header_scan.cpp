#include "apply/input/header_scan.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <vector>

#include "apply/apply_error.h"
#include "apply/flag_errors.h"
#include "apply/message_text.h"
#include "apply/input/frame_pattern.h"
#include "apply/input/frame_shape.h"
#include "apply/input/image_input.h"
#include "apply/input/pass_table.h"
#include "host/parameter_block.h"

namespace qxv::apply {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Channels named as texture coordinates: a U or V channel, or a layer
// called UV, as renderers name their UV pass.
bool NamedAsUv(const std::vector<std::string>& channels) {
  for (const std::string& name : channels) {
    const std::string::size_type dot = name.rfind('.');
    const std::string last = Upper(dot == std::string::npos ? name : name.substr(dot + 1));
    const std::string layer = Upper(dot == std::string::npos ? "" : name.substr(0, dot));
    const std::string::size_type inner = layer.rfind('.');
    const std::string leaf = inner == std::string::npos ? layer : layer.substr(inner + 1);
    if (last == "U" || last == "V" || leaf == "UV" || leaf == "UVMAP") return true;
  }
  return false;
}

}  // namespace

FrameShape ScanHeaders(const ApplySettings& o, const RunPlan& plan, const Warning& warn) {
  FrameShape shape;
  std::vector<std::string> vectorChannels;
  const std::vector<const PassRow*> passes = PassesGiven(o);
  for (int f = plan.blurFrom; f <= plan.written.last; ++f) {
    // A multilayer file holding several passes is opened once.
    std::map<std::string, std::unique_ptr<InputFile>> files;
    for (const PassRow* pass : passes) {
      const std::string path = FrameName((o.*pass->source).pattern, f);
      ForFlag(pass->flag, [&] {
        std::unique_ptr<InputFile>& file = files[path];
        if (!file) file = std::make_unique<InputFile>(path);
        const std::vector<std::string> chosen =
            ChooseChannels(path, file->Names(), (o.*pass->source).channels, ShapeOf(*pass, o));
        const bool colour = pass->shape == PassShape::Colour;
        if (!shape.Known()) {
          shape = FrameShape(path, file->Width(), file->Height(), colour && chosen.size() == 4);
        }
        shape.CheckSize(path, file->Width(), file->Height());
        if (colour) shape.CheckAlpha(path, chosen.size() == 4);
        if (pass->source == &ApplySettings::vector && vectorChannels.empty()) {
          vectorChannels = chosen;
        }
      });
    }
  }
  if (!warn) return shape;
  const bool anyOptedIn = std::any_of(o.objects.begin(), o.objects.end(), [](const auto& entry) {
    return entry.second.blur == std::optional<bool>(true);
  });
  if (o.edits.modeCommand == kCommandOptIn && !anyOptedIn) {
    warn("--mode opt-in: no object is opted in (--objects gives none \"blur\": true), so "
         "nothing is blurred; the frames are written as rendered");
  }
  if (shape.Alpha()) {
    const std::string target = FrameName(o.output, plan.written.first);
    const auto output = OIIO::ImageOutput::create(target);
    if (output && !output->supports("alpha")) {
      warn("--output: " + target + ": its format keeps no alpha; the colour's alpha is dropped "
           "(write .png, .tif or .exr to keep it)");
    }
  }
  if (NamedAsUv(vectorChannels)) {
    warn("--vector: " + FrameName(o.vector.pattern, plan.blurFrom) + " gives " +
         Joined(vectorChannels) + ", named as texture coordinates, not motion vectors; give them "
         "as --uv, or name the vector pass as PATTERN:CHANNELS");
  }
  return shape;
}

}  // namespace qxv::apply
