#include "tools/option_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "host/parameter_block.h"
#include "apply/input/frame_pattern.h"
#include "apply/blur/object_settings.h"
#include "apply/input/pass_source.h"
#include "apply/input/pass_table.h"
#include "apply/run/run_plan.h"
#include "apply/apply_error.h"
#include "tools/nearest_name.h"

namespace qxv::tool {
namespace {

float Number(const std::string& flag, const std::string& value) {
  char* end = nullptr;
  errno = 0;
  float v = std::strtof(value.c_str(), &end);
  if (value.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v) || v < 0.0f) {
    apply::UsageError(flag + ": expected a number of 0 or more, got '" + value + "'");
  }
  return v;
}

int Whole(const std::string& flag, const std::string& value, int low, int high) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || errno == ERANGE || v < low || v > high) {
    apply::UsageError(flag + ": expected a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", got '" + value + "'");
  }
  return static_cast<int>(v);
}

Size Dimensions(const std::string& flag, const std::string& value, int low, int high) {
  std::string::size_type x = value.find('x');
  if (x == std::string::npos) apply::UsageError(flag + ": expected WIDTHxHEIGHT, got '" + value + "'");
  Size s;
  s.width = static_cast<std::uint32_t>(Whole(flag, value.substr(0, x), low, high));
  s.height = static_cast<std::uint32_t>(Whole(flag, value.substr(x + 1), low, high));
  return s;
}

double Signed(const std::string& flag, const std::string& value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(value.c_str(), &end);
  if (value.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v)) {
    apply::UsageError(flag + ": expected a number or two separated by a comma, got '" + value + "'");
  }
  return v;
}

std::uint32_t ModeCommand(const std::string& flag, const std::string& value) {
  if (value == "all") return kCommandAll;
  if (value == "opt-in") return kCommandOptIn;
  if (value == "opt-out") return kCommandOptOut;
  if (value == "none") return kCommandNone;
  apply::UsageError(flag + ": expected all, opt-in, opt-out or none, got '" + value + "'");
}

apply::Look LookNamed(const std::string& flag, const std::string& value) {
  if (value == "streak") return apply::Look::Streak;
  if (value == "shutter") return apply::Look::Shutter;
  apply::UsageError(flag + ": expected streak or shutter, got '" + value + "'");
}

// Above 0 and at most 1: the vectors reach only to the frames before and
// after, so a longer shutter would guess where points go beyond them.
double ShutterFraction(const std::string& flag, const std::string& value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(value.c_str(), &end);
  if (value.empty() || *end != '\0' || errno == ERANGE || !(v > 0.0 && v <= 1.0)) {
    apply::UsageError(flag + ": expected a fraction of the frame interval above 0 and at most 1 "
                      "(the vectors reach only to the frames before and after), got '" + value + "'");
  }
  return v;
}

std::string Pattern(const std::string& flag, const std::string& value) {
  apply::CheckPattern(flag, value);
  return value;
}


// Every option but the passes', which come from the pass table.
const OptionSpec kSettings[] = {
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
    {"--module", "FILE", kBoth, "the module to load (libQXVpblur.so beside pblur, above it, or in ../lib/qxvpblur)",
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
    {"--look", "L", kApply,
     "streak, the module's streaks, or shutter, a camera shutter's blur (streak)",
     [](Options& o, const std::string& f, const std::string& v) { o.look = LookNamed(f, v); }},
    {"--shutter", "F", kApply,
     "--look shutter: the fraction of the frame interval it is open, centred (0.5)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.shutter = ShutterFraction(f, v);
     }},
    {"--vector-scale", "S[,SY]", kApply, "multiplies the vectors' x and y first (1,1)",
     [](Options& o, const std::string& f, const std::string& v) {
       const std::string::size_type comma = v.find(',');
       o.vectorScaleX = Signed(f, v.substr(0, comma));
       o.vectorScaleY =
           comma == std::string::npos ? o.vectorScaleX : Signed(f, v.substr(comma + 1));
     }},
    {"--objects", "FILE", kApply,
     "per-object settings, JSON keyed by object index: blur, reverse, group (none)",
     [](Options& o, const std::string&, const std::string& v) {
       o.objects = apply::ReadObjectTable(v);
     }},
    {"--output", "PAT", kApply, "where the blurred frames go; the extension sets the format",
     [](Options& o, const std::string& f, const std::string& v) { o.output = Pattern(f, v); }},
    {"--first", "N", kApply, "first frame number (the first colour frame present)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.first = Whole(f, v, 0, 9999999);
     }},
    {"--lead-in", "N|shot", kApply,
     "frames run unwritten before --first, or shot: all (see Frames)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.leadIn = v == "shot" ? apply::kEveryEarlierFrame : Whole(f, v, 0, 9999999);
     }},
    {"--last", "N", kApply, "last frame number (the last colour frame present)",
     [](Options& o, const std::string& f, const std::string& v) {
       o.last = Whole(f, v, 0, 9999999);
     }},
};

// A pass's files, as the pass table names the pass.
void SetPass(Options& o, const std::string& flag, const std::string& value) {
  for (const apply::PassRow& row : apply::kPasses) {
    if (flag == row.flag) o.*row.source = apply::ParsePassSource(flag, value);
  }
}

}  // namespace

const std::vector<OptionSpec>& AllOptions() {
  static const std::vector<OptionSpec> all = [] {
    std::vector<OptionSpec> options;
    for (const OptionSpec& s : kSettings) {
      if (s.commands != kApply) options.push_back(s);
    }
    for (const apply::PassRow& row : apply::kPasses) {
      options.push_back(OptionSpec{row.flag, "PAT", kApply, row.help, &SetPass});
    }
    for (const OptionSpec& s : kSettings) {
      if (s.commands == kApply) options.push_back(s);
    }
    return options;
  }();
  return all;
}

const OptionSpec* FindOption(const std::string& flag) {
  for (const OptionSpec& s : AllOptions()) {
    if (flag == s.name) return &s;
  }
  return nullptr;
}

std::string NearestOption(const std::string& flag, unsigned commands) {
  std::vector<std::string> names;
  for (const OptionSpec& s : AllOptions()) {
    if (s.commands & commands) names.push_back(s.name);
  }
  return NearestName(flag, names);
}

const char kApplyNotes[] =
    "How pblur apply reads the passes (one channel each unless said; any\n"
    "format and bit depth; NaN and infinite samples as below, never an error):\n"
    "  colour   integer samples are taken as sRGB-encoded; float samples (EXR,\n"
    "           float TIFF) as linear light. Blurred premultiplied by alpha in\n"
    "           the module's 8 bits per channel: sRGB codes of 0..1 for integer\n"
    "           outputs; for float outputs (.exr) codes that reach past 1 (to\n"
    "           about 28). Below 0 and NaN count as 0. A pixel the blur leaves\n"
    "           keeps its stored values; alpha, a fourth channel, is blurred too\n"
    "  index    integer or float; 0, negative, NaN and infinite are background,\n"
    "           floats are rounded to whole numbers\n"
    "  uv       two channels (U, V): the fraction of each, over the full 32-bit\n"
    "           range, is a match value, so a seam at 0/1 wraps; NaN/inf give 0\n"
    "  vector   two channels (X, Y): in pixels, from each pixel to where its\n"
    "           point was in the previous frame, x to the right and y up (as\n"
    "           Blender's Vector pass); --vector-scale -1 for vectors to the\n"
    "           next frame, 1,-1 for y down. NaN/inf count as no motion\n"
    "  match1/2 integers as stored; floats truncated, NaN 0, saturating\n"
    "  depth    larger is farther; negative is 0, NaN and infinity farthest\n"
    "--look shutter blurs each frame alone from its colour (in linear light,\n"
    "premultiplied, as floats), --vector and --depth where given (else faster\n"
    "surfaces count as nearer); it takes none of the streak settings. Where the\n"
    "vector pass has Z and W channels they are the motion to the next frame, as\n"
    "Blender's Vector pass holds it: from where the point is then to the pixel;\n"
    "without them the point moves on as it came.\n"
    "  alternate non-zero selects the alternate set (NaN counts as 0)\n"
    "Frames: the first frame of the shot gives the second its previous frame and\n"
    "is written as it was. A range that starts later (--first) first runs the\n"
    "frames before it unwritten: one frame, or N + 2 with --trails N (trails of 1\n"
    "never fade: every frame from the shot's first). It then writes the whole\n"
    "run's files bit for bit; with --trails or --jitter, whose state carries from\n"
    "the shot's first frame, frames statistically the same, not the same bits.\n"
    "--lead-in shot runs every frame from the shot's first: the same bits for\n"
    "every setting; --lead-in N runs N. A frame missing in the range\n"
    "is an error; --output may not name an input file. No scene means no\n"
    "Weights: modes all and opt-out blur every object, opt-in none, unless\n"
    "--objects gives objects settings, as in\n"
    "  {\"3\": {\"blur\": false}, \"4\": {\"reverse\": true, \"group\": \"car\"},\n"
    "   \"5\": {\"blur\": true, \"group\": \"car\"}}\n"
    "blur: true or false, or null to leave it to the mode (opt-in: not blurred);\n"
    "reverse: the short reverse streak ahead of the object (false for a listed\n"
    "object; an object not listed gets it unless the mode is opt-in); objects\n"
    "with one group name are one occlusion group (mode all ignores all three).\n";

}  // namespace qxv::tool
