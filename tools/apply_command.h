// pblur apply: the same pass over the user's own PNG sequences.
#pragma once
#include <ostream>

#include "apply/blur/module_loader.h"
#include "tools/options.h"

namespace qxv::tool {

// Returns the exit status; throws ApplyError on bad input. Frames written
// before a failing frame stay; the failing frame leaves no file.
int RunApply(const Options& options, const sim::ModuleExports& module, std::ostream& out,
             std::ostream& err);

}  // namespace qxv::tool
