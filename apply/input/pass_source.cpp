#include "apply/input/pass_source.h"

#include <algorithm>
#include <map>

#include "apply/input/frame_pattern.h"
#include "apply/apply_error.h"
#include "apply/message_text.h"

namespace qxv::apply {
namespace {

std::string Listed(const std::vector<std::string>& names) {
  return names.empty() ? "none" : Joined(names);
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  while (true) {
    const std::string::size_type comma = list.find(',', start);
    parts.push_back(list.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

std::string Count(std::size_t n) { return std::to_string(n) + (n == 1 ? " channel" : " channels"); }

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Layers (name prefixes up to the last '.') that hold every suffix; each
// layer's channels in the order of `suffixes`.
std::map<std::string, std::vector<std::string>> LayersWith(
    const std::vector<std::string>& candidates, const std::vector<std::string>& suffixes) {
  std::map<std::string, std::vector<std::string>> layers;
  for (const std::string& name : candidates) {
    const std::string::size_type dot = name.rfind('.');
    const std::string prefix = dot == std::string::npos ? "" : name.substr(0, dot + 1);
    if (name.substr(prefix.size()) != suffixes.front()) continue;
    std::vector<std::string> found;
    for (const std::string& s : suffixes) {
      if (Contains(candidates, prefix + s)) found.push_back(prefix + s);
    }
    if (found.size() == suffixes.size()) layers[prefix] = found;
  }
  return layers;
}

bool CountFits(PassShape shape, std::size_t n) {
  switch (shape) {
    case PassShape::Colour: return n == 3 || n == 4;
    case PassShape::Pair: return n == 2;
    case PassShape::Motion: return n == 2 || n == 4;
    default: return n == 1;
  }
}

std::string Expected(PassShape shape) {
  switch (shape) {
    case PassShape::Colour: return "3 or 4 (R, G, B and an optional A)";
    case PassShape::Pair: return "2";
    case PassShape::Motion: return "2 or 4 (X, Y and an optional Z, W)";
    default: return "1";
  }
}

}  // namespace

PassSource ParsePassSource(const std::string& flag, const std::string& value) {
  const std::string::size_type colon = value.rfind(':');
  if (colon != std::string::npos) {
    const std::string before = value.substr(0, colon), after = value.substr(colon + 1);
    if (HasFrameNumber(before) && !HasFrameNumber(after) && after.find('/') == std::string::npos) {
      CheckPattern(flag, before);
      if (after.empty()) UsageError(flag + ": '" + value + "' names no channel after ':'");
      return PassSource{before, after};
    }
  }
  CheckPattern(flag, value);
  return PassSource{value, ""};
}

std::vector<std::string> ChooseChannels(const std::string& path,
                                        const std::vector<std::string>& available,
                                        const std::string& request, PassShape shape) {
  const std::string where = path + (request.empty() ? "" : ":" + request);
  const std::string listing = "; its channels: " + Listed(available);
  std::vector<std::string> candidates;
  if (request.find(',') != std::string::npos || Contains(available, request)) {
    candidates = Split(request);
    for (const std::string& name : candidates) {
      if (!Contains(available, name)) InputError(path + ": no channel '" + name + "'" + listing);
    }
    if (!CountFits(shape, candidates.size())) {
      InputError(where + ": " + Count(candidates.size()) + ", expected " + Expected(shape));
    }
    return candidates;
  }
  for (const std::string& name : available) {
    if (request.empty() || name.rfind(request + ".", 0) == 0) candidates.push_back(name);
  }
  if (candidates.empty()) {
    InputError(path + ": no channel or layer '" + request + "'" + listing);
  }
  std::vector<std::vector<std::string>> suffixSets;
  if (shape == PassShape::Colour) suffixSets = {{"R", "G", "B"}};
  if (shape == PassShape::Pair) suffixSets = {{"U", "V"}, {"X", "Y"}};
  if (shape == PassShape::Motion) suffixSets = {{"X", "Y"}};
  // Every layer that fits any of the pass's name sets: one is the answer,
  // more than one is for the user to choose from.
  std::map<std::string, std::vector<std::string>> fitting;
  for (const auto& suffixes : suffixSets) {
    for (auto& layer : LayersWith(candidates, suffixes)) fitting.insert(layer);
  }
  if (fitting.size() > 1) {
    std::vector<std::string> names;
    for (const auto& layer : fitting) names.push_back(layer.first + "*");
    InputError(where + ": more than one layer fits (" + Listed(names) +
               "); name one as PATTERN:LAYER");
  }
  if (fitting.size() == 1) {
    std::vector<std::string> chosen = fitting.begin()->second;
    const std::string layer = fitting.begin()->first;
    if (shape == PassShape::Colour && Contains(candidates, layer + "A")) chosen.push_back(layer + "A");
    if (shape == PassShape::Motion && Contains(candidates, layer + "Z") &&
        Contains(candidates, layer + "W")) {
      chosen.insert(chosen.end(), {layer + "Z", layer + "W"});
    }
    return chosen;
  }
  if (!CountFits(shape, candidates.size())) {
    InputError(where + ": " + Count(candidates.size()) + " (" + Listed(candidates) +
               "), expected " + Expected(shape) + "; name them as PATTERN:CHANNELS");
  }
  return candidates;
}

}  // namespace qxv::apply
