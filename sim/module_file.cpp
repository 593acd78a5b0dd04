#include "sim/module_exports.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#endif

namespace qxv::sim {
namespace {

#if defined(_WIN32)
void* OpenLibrary(const std::string& path, std::string* why) {
  HMODULE handle = LoadLibraryA(path.c_str());
  if (!handle) *why = "cannot load (error " + std::to_string(GetLastError()) + ")";
  return reinterpret_cast<void*>(handle);
}
void* FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
#else
void* OpenLibrary(const std::string& path, std::string* why) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) *why = dlerror();
  return handle;
}
void* FindSymbol(void* handle, const char* name) { return dlsym(handle, name); }
void CloseLibrary(void* handle) { dlclose(handle); }
#endif

template <typename Function>
bool Bind(void* handle, const char* name, Function* out, std::string* why) {
  void* symbol = FindSymbol(handle, name);
  if (!symbol) {
    *why = std::string("no export ") + name;
    return false;
  }
  *out = reinterpret_cast<Function>(symbol);
  return true;
}

}  // namespace

#if defined(_WIN32)
bool LoadModuleCopy(const ModuleExports&, ModuleExports* copy, std::string* why) {
  *copy = ModuleExports{};
  *why = "no second copy on Windows";
  return false;
}
#else
bool LoadModuleCopy(const ModuleExports& loaded, ModuleExports* copy, std::string* why) {
  *copy = ModuleExports{};
  Dl_info info{};
  if (!loaded.handle || !dladdr(reinterpret_cast<void*>(loaded.initRDCom), &info) ||
      !info.dli_fname) {
    *why = "not loaded from a file";
    return false;
  }
  const char* folder = std::getenv("TMPDIR");
  std::string name = std::string(folder && *folder ? folder : "/tmp") + "/qxvpblur-XXXXXX.so";
  const int fd = mkstemps(name.data(), 3);
  if (fd < 0) {
    *why = "cannot make a temporary copy";
    return false;
  }
  ::close(fd);
  {
    std::ifstream from(info.dli_fname, std::ios::binary);
    std::ofstream to(name, std::ios::binary | std::ios::trunc);
    to << from.rdbuf();
    if (!from || !to.flush()) {
      std::remove(name.c_str());
      *why = "cannot make a temporary copy";
      return false;
    }
  }
  // Once loaded the copy needs no name: nothing is left behind.
  const bool loadedCopy = LoadModuleFile(name, copy, why);
  std::remove(name.c_str());
  return loadedCopy;
}
#endif

bool LoadModuleFile(const std::string& path, ModuleExports* module, std::string* why) {
  *module = ModuleExports{};
  void* handle = OpenLibrary(path, why);
  if (!handle) return false;
  ModuleExports found;
  found.handle = handle;
  if (!Bind(handle, "DllInitRDCom", &found.initRDCom, why) ||
      !Bind(handle, "DllGetClassObject", &found.getClassObject, why) ||
      !Bind(handle, "DllCanUnloadNow", &found.canUnloadNow, why)) {
    CloseLibrary(handle);
    return false;
  }
  *module = found;
  return true;
}

void UnloadModuleFile(ModuleExports* module) {
  if (module->handle && module->canUnloadNow() == S_OK) CloseLibrary(module->handle);
  *module = ModuleExports{};
}

}  // namespace qxv::sim
