// The command line read through the option table, and the help it gives.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "tools/options.h"

namespace qxv::tool {

// Throws a usage error naming the flag and the reason.
Options ParseCommandLine(const std::vector<std::string>& args);
// The help of one command (Demo, Apply) or of both (anything else).
void PrintHelp(std::ostream& out, Command topic = Command::Help);

}  // namespace qxv::tool
