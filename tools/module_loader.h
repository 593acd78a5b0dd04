// The module's three exports, found by loading the module file as a host
// does, or taken from a copy linked into the program (the test suite).
#pragma once
#include <string>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/host_shell.h"
#include "host/result.h"

namespace pblur {

struct ModuleEntry {
  qxv::Result(QXV_CALL* getClassObject)(const qxv::Guid* clsid, const qxv::Guid* iid,
                                        void** out) = nullptr;
  qxv::Result(QXV_CALL* canUnloadNow)() = nullptr;
  qxv::Result(QXV_CALL* initRDCom)(qxv::HostShell* shell) = nullptr;
  void* handle = nullptr;  // null for a linked-in copy
};

// Throws an input error naming the file when it cannot be loaded or lacks
// an export.
ModuleEntry LoadModuleFile(const std::string& path);
// Unloads a loaded module once it says it may be unloaded; a linked-in copy
// stays.
void UnloadModule(ModuleEntry& module);

// Where the module is looked for when --module is not given: next to the
// running program, then one folder up (the build tree's layout).
std::string DefaultModulePath(const char* argv0);

}  // namespace pblur
