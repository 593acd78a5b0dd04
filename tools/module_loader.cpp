#include "tools/module_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <climits>
#include <fstream>

#include "tools/tool_error.h"

namespace pblur {
namespace {

#if defined(_WIN32)
constexpr const char* kModuleFile = "QXVpblur.dll";
void* OpenLibrary(const std::string& path, std::string* why) {
  HMODULE handle = LoadLibraryA(path.c_str());
  if (!handle) *why = "cannot load (error " + std::to_string(GetLastError()) + ")";
  return reinterpret_cast<void*>(handle);
}
void* FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
std::string ProgramPath(const char* argv0) { return argv0 ? argv0 : ""; }
#else
constexpr const char* kModuleFile = "libQXVpblur.so";
void* OpenLibrary(const std::string& path, std::string* why) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) *why = dlerror();
  return handle;
}
void* FindSymbol(void* handle, const char* name) { return dlsym(handle, name); }
void CloseLibrary(void* handle) { dlclose(handle); }
std::string ProgramPath(const char* argv0) {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
  return argv0 ? argv0 : "";
}
#endif

template <typename Function>
void Bind(void* handle, const char* name, const std::string& path, Function* out) {
  void* symbol = FindSymbol(handle, name);
  if (!symbol) {
    CloseLibrary(handle);
    InputError("module " + path + ": no export " + name);
  }
  *out = reinterpret_cast<Function>(symbol);
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace

ModuleEntry LoadModuleFile(const std::string& path) {
  std::string why;
  void* handle = OpenLibrary(path, &why);
  if (!handle) InputError("module " + path + ": " + why);
  ModuleEntry module;
  module.handle = handle;
  Bind(handle, "DllGetClassObject", path, &module.getClassObject);
  Bind(handle, "DllCanUnloadNow", path, &module.canUnloadNow);
  Bind(handle, "DllInitRDCom", path, &module.initRDCom);
  return module;
}

void UnloadModule(ModuleEntry& module) {
  if (module.handle && module.canUnloadNow() == qxv::S_OK) CloseLibrary(module.handle);
  module = ModuleEntry{};
}

std::string DefaultModulePath(const char* argv0) {
  std::string program = ProgramPath(argv0);
  std::string::size_type slash = program.find_last_of("/\\");
  std::string folder = slash == std::string::npos ? "." : program.substr(0, slash);
  for (const std::string& candidate : {folder + "/" + kModuleFile, folder + "/../" + kModuleFile}) {
    if (Exists(candidate)) return candidate;
  }
  return folder + "/../" + kModuleFile;
}

}  // namespace pblur
