// The module as the tool finds it: a file loaded as a host loads it, or a
// copy linked into the program (the test suite).
#pragma once
#include <string>

#include "sim/module_exports.h"

namespace qxv::apply {

// Throws an input error naming the file when it cannot be loaded or lacks
// an export.
sim::ModuleExports LoadModule(const std::string& path);

// Where the module is looked for when --module is not given: next to the
// running program, then one folder up (the build tree's layout).
std::string DefaultModulePath(const char* argv0);

}  // namespace qxv::apply
