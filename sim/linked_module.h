// The exports of a module copy linked into the program, for tests, fuzz
// targets and benchmarks that drive it without loading a file.
#pragma once
#include "host/exports.h"
#include "sim/module_exports.h"

namespace qxv::sim {

inline ModuleExports LinkedModule() {
  ModuleExports module;
  module.initRDCom = DllInitRDCom;
  module.getClassObject = DllGetClassObject;
  module.canUnloadNow = DllCanUnloadNow;
  return module;
}

}  // namespace qxv::sim
