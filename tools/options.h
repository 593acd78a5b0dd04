// What the command line asks for: which command, the parameter-block edits,
// and the run settings of each command.
#pragma once
#include <optional>
#include <string>

#include "apply/run/apply_settings.h"

namespace qxv::tool {

enum class Command { Help, Version, Demo, Apply };

using apply::ParameterEdits;
using apply::Size;

// The settings of apply (shared with the demo: the edits and the tiling)
// and the command line's own.
struct Options : apply::ApplySettings {
  Command command = Command::Help;
  // With Command::Help: Demo or Apply for one command's help, else all.
  Command helpTopic = Command::Help;
  bool quiet = false;
  std::string modulePath;  // empty: next to the program

  // demo
  int frames = 8;
  Size size{320, 180};
  std::string outDir = "out/demo";
  bool writePasses = false;
};

// Throws a usage error naming the first setting given that the chosen look
// does not take (--shutter with the streak look; the module's parameters,
// the streak look's passes, --objects or --lead-in with the shutter look).
void CheckLookSettings(const apply::ApplySettings& settings);

}  // namespace qxv::tool
