#include "sim/module_exports.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
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
