// The command line: which command, the parameter-block edits the user asked
// for, and the run settings of each command.
#pragma once
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "apply/apply_settings.h"

namespace qxv::tool {

enum class Command { Help, Demo, Apply };

using apply::ParameterEdits;
using apply::Size;

// The settings of apply (shared with the demo: the edits and the tiling)
// and the command line's own.
struct Options : apply::ApplySettings {
  Command command = Command::Help;
  bool quiet = false;
  std::string modulePath;  // empty: next to the program

  // demo
  int frames = 8;
  Size size{320, 180};
  std::string outDir = "out/demo";
  bool writePasses = false;
};

// Throws a usage error naming the flag and the reason.
Options ParseCommandLine(const std::vector<std::string>& args);
void PrintHelp(std::ostream& out);

}  // namespace qxv::tool
