// The module as the tool finds it: a file loaded as a host loads it, or a
// copy linked into the program (the test suite).
#pragma once
#include <string>
#include <vector>

#include "sim/module_exports.h"

namespace qxv::apply {

// Throws a module error naming the file when it cannot be loaded or lacks
// an export.
sim::ModuleExports LoadModule(const std::string& path);

// Where the module is looked for when --module is not given: the running
// program's folder, then the one above it (the build tree's layout), then
// where `cmake --install` puts it beside an installed program
// (PREFIX/lib/qxvpblur for PREFIX/bin/pblur).
std::vector<std::string> ModuleFolders(const char* argv0);

// The module file in the first of the folders that has one. Throws a module
// error naming every folder looked in, and --module, when none has it.
std::string FindModule(const std::vector<std::string>& folders);

}  // namespace qxv::apply
