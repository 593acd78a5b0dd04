// Every command-line option: its name, value, commands, one line of help,
// and how its value lands in the options.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "tools/options.h"

namespace qxv::tool {

enum : unsigned { kDemo = 1, kApply = 2, kBoth = 3 };

struct OptionSpec {
  const char* name;
  const char* argument;  // null for a switch
  unsigned commands;
  const char* help;
  void (*apply)(Options& o, const std::string& flag, const std::string& value);
};

// Every option, in the order --help lists them; each pass of the pass
// table is an option of pblur apply.
const std::vector<OptionSpec>& AllOptions();
// The option called `flag`, or null.
const OptionSpec* FindOption(const std::string& flag);
// The option of the commands (a mask of kDemo and kApply) whose name is
// nearest `flag`, when it is near enough to be a slip of the keyboard
// ("--colour" for "--color"); else empty.
std::string NearestOption(const std::string& flag, unsigned commands);
// How apply turns each pass into the module's values, for --help.
extern const char kApplyNotes[];

}  // namespace qxv::tool
