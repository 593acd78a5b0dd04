// The command line: which command, the parameter-block edits the user asked
// for, and the run settings of each command.
#pragma once
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/pass_source.h"

namespace qxv::tool {

enum class Command { Help, Version, Demo, Apply };

// Only what the user set; everything else keeps the module's own default
// (or the demo's, where the demo needs another).
struct ParameterEdits {
  std::optional<float> streakLength, mainStrength, altLength, altStrength, echoCount, reverseLength,
      trailFrames;
  std::optional<bool> jitter, depthTest, secondaryLayer;
  std::optional<std::uint32_t> modeCommand;  // four-character code
};

struct Size {
  std::uint32_t width = 0, height = 0;
};

struct Options {
  Command command = Command::Help;
  // With Command::Help: Demo or Apply for one command's help, else all.
  Command helpTopic = Command::Help;
  ParameterEdits edits;
  bool quiet = false;
  std::string modulePath;  // empty: next to the program
  Size tile{64, 64};

  // demo
  int frames = 8;
  Size size{320, 180};
  std::string outDir = "out/demo";
  bool writePasses = false;

  // apply: patterns taking the frame number, with the channels to read
  PassSource colour, index, match1, match2, depth, alternate, uv, vector;
  std::string output;
  std::optional<int> first, last;  // unset: the first and last colour frames present
  double vectorScaleX = 1.0, vectorScaleY = 1.0;
};

// Throws a usage error naming the flag and the reason.
Options ParseCommandLine(const std::vector<std::string>& args);
// The help of one command (Demo, Apply) or of both (anything else).
void PrintHelp(std::ostream& out, Command topic = Command::Help);

}  // namespace qxv::tool
