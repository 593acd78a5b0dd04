#include "apply/module_loader.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <climits>
#include <fstream>

#include "apply/apply_error.h"

namespace qxv::apply {
namespace {

#if defined(_WIN32)
constexpr const char* kModuleFile = "QXVpblur.dll";
std::string ProgramPath(const char* argv0) { return argv0 ? argv0 : ""; }
#else
constexpr const char* kModuleFile = "libQXVpblur.so";
std::string ProgramPath(const char* argv0) {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
  return argv0 ? argv0 : "";
}
#endif

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace

sim::ModuleExports LoadModule(const std::string& path) {
  sim::ModuleExports module;
  std::string why;
  if (!sim::LoadModuleFile(path, &module, &why)) InputError("module " + path + ": " + why);
  return module;
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

}  // namespace qxv::apply
