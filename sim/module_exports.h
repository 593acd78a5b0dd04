// The module's three exports as a host holds them: found in a loaded module
// file, or a copy linked into the program (tests, fuzz targets, benchmarks).
#pragma once
#include <string>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/host_shell.h"
#include "host/result.h"

namespace qxv::sim {

struct ModuleExports {
  Result(QXV_CALL* initRDCom)(HostShell* shell) = nullptr;
  Result(QXV_CALL* getClassObject)(const Guid* clsid, const Guid* iid, void** out) = nullptr;
  Result(QXV_CALL* canUnloadNow)() = nullptr;
  void* handle = nullptr;  // the loaded file; null for a linked-in copy
};

// Loads the module file and finds its exports by their undecorated names.
// False, with the reason in *why, when it cannot be loaded or lacks one.
bool LoadModuleFile(const std::string& path, ModuleExports* module, std::string* why);
// Loads a second copy of a module loaded from a file, with every module-wide
// variable of its own: loading the same file again gives the same copy, so
// this loads a copy of the file under another name. False, with the reason
// in *why, for a copy linked into the program or where no copy can be made.
bool LoadModuleCopy(const ModuleExports& loaded, ModuleExports* copy, std::string* why);
// Unloads a loaded module once it says it may be unloaded; a linked-in copy
// stays. The exports are forgotten either way.
void UnloadModuleFile(ModuleExports* module);

}  // namespace qxv::sim
