// pblur demo: renders the built-in scene through the simulated host, runs
// the module over every frame and writes the pictures.
#pragma once
#include <ostream>

#include "apply/blur/module_loader.h"
#include "tools/options.h"

namespace qxv::tool {

// The parameter edits the demo starts from; the user's own win.
ParameterEdits DemoEdits(const ParameterEdits& user);

// Returns the exit status; throws ApplyError on bad input.
int RunDemo(const Options& options, const sim::ModuleExports& module, std::ostream& out,
            std::ostream& err);

}  // namespace qxv::tool
