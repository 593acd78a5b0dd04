#include "apply/input/header_scan.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <vector>

#include "apply/apply_error.h"
#include "apply/flag_errors.h"
#include "apply/input/frame_pattern.h"
#include "apply/input/image_file.h"
#include "apply/input/pass_source.h"
#include "host/parameter_block.h"

namespace qxv::apply {
namespace {

struct Pass {
  const char* flag;
  const PassSource* source;
  PassShape shape;
};

std::vector<Pass> PassesOf(const ApplySettings& o) {
  const Pass all[] = {{"--colour", &o.colour, PassShape::Colour},
                      {"--index", &o.index, PassShape::Value},
                      {"--match1", &o.match1, PassShape::Value},
                      {"--match2", &o.match2, PassShape::Value},
                      {"--uv", &o.uv, PassShape::Pair},
                      {"--vector", &o.vector, PassShape::Pair},
                      {"--depth", &o.depth, PassShape::Value},
                      {"--alternate", &o.alternate, PassShape::Value}};
  std::vector<Pass> passes;
  for (const Pass& p : all) {
    if (!p.source->pattern.empty()) passes.push_back(p);
  }
  return passes;
}

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

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

ScannedFrames ScanHeaders(const ApplySettings& o, const RunPlan& plan, const Warning& warn) {
  ScannedFrames scanned;
  std::string sizeSource;
  std::vector<std::string> vectorChannels;
  const std::vector<Pass> passes = PassesOf(o);
  for (int f = plan.blurFrom; f <= plan.written.last; ++f) {
    // A multilayer file holding several passes is opened once.
    std::map<std::string, std::unique_ptr<InputFile>> files;
    for (const Pass& pass : passes) {
      const std::string path = FrameName(pass.source->pattern, f);
      ForFlag(pass.flag, [&] {
        std::unique_ptr<InputFile>& file = files[path];
        if (!file) file = std::make_unique<InputFile>(path);
        const std::vector<std::string> chosen =
            ChooseChannels(path, file->Names(), pass.source->channels, pass.shape);
        if (sizeSource.empty()) {
          sizeSource = path;
          scanned.width = file->Width();
          scanned.height = file->Height();
          scanned.alpha = pass.shape == PassShape::Colour && chosen.size() == 4;
        }
        if (file->Width() != scanned.width || file->Height() != scanned.height) {
          InputError(path + ": " + std::to_string(file->Width()) + "x" +
                     std::to_string(file->Height()) + ", but " + sizeSource + " is " +
                     std::to_string(scanned.width) + "x" + std::to_string(scanned.height));
        }
        if (pass.shape == PassShape::Colour && (chosen.size() == 4) != scanned.alpha) {
          InputError(path + (scanned.alpha ? ": has no alpha, but " : ": has alpha, but ") +
                     sizeSource + (scanned.alpha ? " has" : " has none"));
        }
        if (pass.source == &o.vector && vectorChannels.empty()) vectorChannels = chosen;
      });
    }
  }
  if (!warn) return scanned;
  const bool anyOptedIn = std::any_of(o.objects.begin(), o.objects.end(), [](const auto& entry) {
    return entry.second.blur == std::optional<bool>(true);
  });
  if (o.edits.modeCommand == kCommandOptIn && !anyOptedIn) {
    warn("--mode opt-in: no object is opted in (--objects gives none \"blur\": true), so "
         "nothing is blurred; the frames are written as rendered");
  }
  if (scanned.alpha) {
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
  return scanned;
}

}  // namespace qxv::apply
