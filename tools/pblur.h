// The whole tool as one function, so that main() stays a line and the test
// suite can run the tool in-process.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "apply/blur/module_loader.h"
#include "apply/output/checked_file.h"

namespace qxv::tool {

// args: the arguments after the program name. The module is the file given
// by --module, else `linked` when not null, else the file found next to the
// program. Returns the exit status: 0, 1 for bad input, 2 for bad usage;
// every error is one line on `err`. Tests give a `writeFault` where no
// failing file system can be mounted.
int RunPblur(const std::vector<std::string>& args, const sim::ModuleExports* linked, const char* argv0,
             std::ostream& out, std::ostream& err, apply::WriteFault* writeFault = nullptr);

}  // namespace qxv::tool
