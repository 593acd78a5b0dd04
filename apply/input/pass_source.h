// Where a pass comes from: a frame pattern and, for files with more
// channels than the pass needs, which of them ("render_%04d.exr:ViewLayer.UV"
// names a layer, "depth_%04d.tif:Z" a channel, "c_%d.exr:R,G,B" a list).
#pragma once
#include <string>
#include <vector>

namespace qxv::apply {

// How many channels a pass takes, and which names it looks for first.
enum class PassShape {
  Colour,  // R, G, B and an optional A
  Value,   // one channel
  Pair,    // U, V or X, Y
  Motion,  // X, Y and an optional Z, W (Blender's vectors to the next frame)
};

struct PassSource {
  std::string pattern;
  std::string channels;  // empty: chosen by the pass's shape
};

// Splits "PATTERN:CHANNELS" at the last ':' that has the frame number
// before it and none after it; throws a usage error naming the flag when
// the pattern has no single frame number.
PassSource ParsePassSource(const std::string& flag, const std::string& value);

// The channels of a file with `available` channels that the pass reads, in
// the pass's order. Throws an input error naming the file, the reason and
// the channels that are there when the request does not fit.
std::vector<std::string> ChooseChannels(const std::string& path,
                                        const std::vector<std::string>& available,
                                        const std::string& request, PassShape shape);

}  // namespace qxv::apply
