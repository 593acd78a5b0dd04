// Every command-line option: its name, value, commands, one line of help,
// and how its value lands in the options.
#pragma once
#include <cstddef>
#include <string>

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

extern const OptionSpec kOptions[];
extern const std::size_t kOptionCount;
// How apply turns each pass into the module's values, for --help.
extern const char kApplyNotes[];

}  // namespace qxv::tool
