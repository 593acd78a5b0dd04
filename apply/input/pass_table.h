// The passes apply reads, one row each: the name the command line, the
// messages and the Python package know it by, how many channels it takes,
// where the settings keep its files and where a frame's inputs hold it.
// Reading, checking and the command line go through this table, so a new
// pass is a row here (and its conversion in passes/).
#pragma once
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>

#include "apply/input/frame_inputs.h"
#include "apply/input/pass_source.h"
#include "apply/run/apply_settings.h"

namespace qxv::apply {

// The part a pass plays in giving the module its match values.
enum class MatchRole {
  None,
  Whole,  // both values from the one pass (uv, vector)
  Half,   // one value; every Half pass together make one source (match1, match2)
};

struct PassRow {
  const char* flag;  // "--colour"
  PassShape shape;
  MatchRole match;
  PassSource ApplySettings::*source;
  // Where a frame's inputs hold it: always for the passes every frame
  // needs, given for the others.
  ChannelImage FrameInputs::*always;
  std::optional<ChannelImage> FrameInputs::*given;
  const char* help;  // one line of --help

  // "colour": how messages about frames from memory and the Python
  // package name the pass.
  const char* Name() const { return flag + 2; }
  bool Required() const { return always != nullptr; }
  // The pass in `in`: null when it was not given.
  const ChannelImage* In(const FrameInputs& in) const;
  // Room for the pass in `in`.
  ChannelImage& Make(FrameInputs& in) const;
};

// In the order passes that share a file are read, which names a failing
// file by its first pass.
inline constexpr PassRow kPasses[] = {
    {"--colour", PassShape::Colour, MatchRole::None, &ApplySettings::colour,
     &FrameInputs::colour, nullptr, "colour frames, RGB or RGBA (required)"},
    {"--index", PassShape::Value, MatchRole::None, &ApplySettings::index,
     &FrameInputs::index, nullptr, "object index frames, 0 = background (required; --look shutter: unused)"},
    {"--uv", PassShape::Pair, MatchRole::Whole, &ApplySettings::uv, nullptr,
     &FrameInputs::uv, "UV frames, two channels: both match values"},
    {"--vector", PassShape::Pair, MatchRole::Whole, &ApplySettings::vector, nullptr,
     &FrameInputs::vector, "motion vector frames, two channels: match values derived"},
    {"--match1", PassShape::Value, MatchRole::Half, &ApplySettings::match1, nullptr,
     &FrameInputs::match1, "first match value frames, with --match2"},
    {"--match2", PassShape::Value, MatchRole::Half, &ApplySettings::match2, nullptr,
     &FrameInputs::match2, "second match value frames, with --match1"},
    {"--depth", PassShape::Value, MatchRole::None, &ApplySettings::depth, nullptr,
     &FrameInputs::depth, "depth frames, larger is farther (needed by --depth-test)"},
    {"--alternate", PassShape::Value, MatchRole::None, &ApplySettings::alternate, nullptr,
     &FrameInputs::alternate, "alternate-set masks, non-zero = alternate"},
};
inline constexpr std::size_t kPassCount = std::size(kPasses);

// The channels a pass takes under these settings: the shutter look reads
// the vector pass's vectors to the next frame too.
inline PassShape ShapeOf(const PassRow& row, const ApplySettings& settings) {
  return row.source == &ApplySettings::vector ? VectorShape(settings) : row.shape;
}

// The rows whose files the settings name.
std::vector<const PassRow*> PassesGiven(const ApplySettings& settings);

// How many sources of match values `given` says are there: each Whole
// pass, and all the Half passes together.
template <typename Given>
int MatchSources(Given&& given) {
  int whole = 0, halves = 0, allHalves = 0;
  for (const PassRow& row : kPasses) {
    if (row.match == MatchRole::Whole) whole += given(row) ? 1 : 0;
    if (row.match == MatchRole::Half) {
      ++allHalves;
      halves += given(row) ? 1 : 0;
    }
  }
  return whole + (halves == allHalves ? 1 : 0);
}

// Throws a usage error unless `sources` is 1: "missing source of match
// values: give <choices>" or "more than one source ...".
void CheckOneMatchSource(int sources, const std::string& choices);

}  // namespace qxv::apply
