#include "tools/option_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "blur/parameter_block.h"
#include "tools/frame_pattern.h"
#include "tools/tool_error.h"

namespace pblur {
namespace {

float Number(const std::string& flag, const std::string& value) {
  char* end = nullptr;
  errno = 0;
  float v = std::strtof(value.c_str(), &end);
  if (value.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v) || v < 0.0f) {
    UsageError(flag + ": expected a number of 0 or more, got '" + value + "'");
  }
  return v;
}

int Whole(const std::string& flag, const std::string& value, int low, int high) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || errno == ERANGE || v < low || v > high) {
    UsageError(flag + ": expected a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", got '" + value + "'");
  }
  return static_cast<int>(v);
}

Size Dimensions(const std::string& flag, const std::string& value, int low, int high) {
  std::string::size_type x = value.find('x');
  if (x == std::string::npos) UsageError(flag + ": expected WIDTHxHEIGHT, got '" + value + "'");
  Size s;
  s.width = static_cast<std::uint32_t>(Whole(flag, value.substr(0, x), low, high));
  s.height = static_cast<std::uint32_t>(Whole(flag, value.substr(x + 1), low, high));
  return s;
}

std::uint32_t ModeCommand(const std::string& flag, const std::string& value) {
  if (value == "all") return qxv::kCommandAll;
  if (value == "opt-in") return qxv::kCommandOptIn;
  if (value == "opt-out") return qxv::kCommandOptOut;
  if (value == "none") return qxv::kCommandNone;
  UsageError(flag + ": expected all, opt-in, opt-out or none, got '" + value + "'");
}

std::string Pattern(const std::string& flag, const std::string& value) {
  CheckPattern(flag, value);
  return value;
}

}  // namespace

const OptionSpec kOptions[] = {
    {"--streak-length", "X", kBoth, "streak length in tenths of each pixel's motion (5; demo 10)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.streakLength = Number(f, v);
     }},
    {"--strength", "X", kBoth, "how strongly the streaks cover the image (5; demo 6)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.mainStrength = Number(f, v);
     }},
    {"--alt-length", "X", kBoth, "streak length of the alternate set (5; demo 20)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.altLength = Number(f, v);
     }},
    {"--alt-strength", "X", kBoth, "strength of the alternate set (5)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.altStrength = Number(f, v);
     }},
    {"--echoes", "N", kBoth, "echoes per streak; below 1 counts as 1, fractions are dropped (1)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.echoCount = Number(f, v);
     }},
    {"--jitter", nullptr, kBoth, "random step lengths along the streaks (off)",
     [](Options& o, const std::string&, const std::string&) { o.edits.jitter = true; }},
    {"--depth-test", nullptr, kBoth, "nearer objects hide the streaks behind them (off; demo on)",
     [](Options& o, const std::string&, const std::string&) { o.edits.depthTest = true; }},
    {"--no-depth-test", nullptr, kBoth, "switch the depth test off",
     [](Options& o, const std::string&, const std::string&) { o.edits.depthTest = false; }},
    {"--no-secondary", nullptr, kBoth,
     "no secondary layer: no alternate set, no soft edge glow (on)",
     [](Options& o, const std::string&, const std::string&) { o.edits.secondaryLayer = false; }},
    {"--reverse-length", "X", kBoth, "length in tenths of the short streak ahead of objects (1)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.reverseLength = Number(f, v);
     }},
    {"--trails", "N", kBoth, "keep the streaks and fade them over N frames; 0 is off (0)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.trailFrames = static_cast<float>(Whole(f, v, 0, 255));
     }},
    {"--mode", "M", kBoth, "blurred objects: all, opt-in, opt-out, none (all; demo opt-out)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.edits.modeCommand = ModeCommand(f, v);
     }},
    {"--tile", "WxH", kBoth, "tile size of the simulated host's image (64x64)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.tile = Dimensions(f, v, 8, 512);
     }},
    {"--module", "FILE", kBoth, "the module to load (libQXVpblur.so next to or above pblur)",
     [](Options& o, const std::string&, const std::string& v) { o.modulePath = v; }},
    {"--quiet", nullptr, kBoth, "no progress bar and no summary",
     [](Options& o, const std::string&, const std::string&) { o.quiet = true; }},
    {"--frames", "N", kDemo, "frames to write, after one lead-in frame (8)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.frames = Whole(f, v, 1, 1000);
     }},
    {"--size", "WxH", kDemo, "frame size in pixels (320x180)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.size = Dimensions(f, v, 32, 4096);
     }},
    {"--out", "DIR", kDemo, "folder for the pictures, made if missing (out/demo)",
     [](Options& o, const std::string&, const std::string& v) { o.outDir = v; }},
    {"--passes", nullptr, kDemo, "also write the render passes, ready for pblur apply",
     [](Options& o, const std::string&, const std::string&) { o.writePasses = true; }},
    {"--colour", "PAT", kApply, "colour frames, 8-bit RGB or RGBA (required)",
     [](Options& o, const std::string& f, const std::string& v) { o.colour = Pattern(f, v); }},
    {"--index", "PAT", kApply, "object index frames, 16-bit grayscale, 0 = background (required)",
     [](Options& o, const std::string& f, const std::string& v) { o.index = Pattern(f, v); }},
    {"--match1", "PAT", kApply, "first match value frames, 16-bit grayscale (required)",
     [](Options& o, const std::string& f, const std::string& v) { o.match1 = Pattern(f, v); }},
    {"--match2", "PAT", kApply, "second match value frames, 16-bit grayscale (required)",
     [](Options& o, const std::string& f, const std::string& v) { o.match2 = Pattern(f, v); }},
    {"--depth", "PAT", kApply, "depth frames, 16-bit grayscale, larger is farther",
     [](Options& o, const std::string& f, const std::string& v) { o.depth = Pattern(f, v); }},
    {"--alternate", "PAT", kApply,
     "alternate-set masks, 8- or 16-bit grayscale, non-zero = alternate",
     [](Options& o, const std::string& f, const std::string& v) { o.alternate = Pattern(f, v); }},
    {"--output", "PAT", kApply, "where the blurred frames go (required)",
     [](Options& o, const std::string& f, const std::string& v) { o.output = Pattern(f, v); }},
    {"--first", "N", kApply, "first frame number (0)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.first = Whole(f, v, 0, 9999999);
     }},
    {"--last", "N", kApply, "last frame number (the last colour frame that exists)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.last = Whole(f, v, 0, 9999999);
     }},
};

const std::size_t kOptionCount = std::size(kOptions);

}  // namespace pblur
