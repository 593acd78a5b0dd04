#include "apply/blur/module_loader.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <climits>
#include <filesystem>
#include <fstream>

#include "apply/apply_error.h"
#include "apply/message_text.h"

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

// The folder above, written plainly ("/a" for "/a/tools", ".." for ".").
std::string Parent(const std::string& folder) {
  std::string parent = (std::filesystem::path(folder) / "..").lexically_normal().string();
  if (parent.size() > 1 && (parent.back() == '/' || parent.back() == '\\')) parent.pop_back();
  return parent;
}

// A folder as the message writes it: with one closing slash.
std::string WithSlash(const std::string& folder) {
  const bool closed = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
  return closed ? folder : folder + "/";
}

}  // namespace

sim::ModuleExports LoadModule(const std::string& path) {
  sim::ModuleExports module;
  std::string why;
  if (!sim::LoadModuleFile(path, &module, &why)) ModuleError("module " + path + ": " + why);
  return module;
}

std::vector<std::string> ModuleFolders(const char* argv0) {
  const std::string program = ProgramPath(argv0);
  const std::string::size_type slash = program.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "." : program.substr(0, slash);
  std::vector<std::string> folders = {folder, Parent(folder)};
#if defined(QXV_INSTALLED_MODULE_FOLDER)
  folders.push_back(
      (std::filesystem::path(folder) / QXV_INSTALLED_MODULE_FOLDER).lexically_normal().string());
#endif
  return folders;
}

std::string FindModule(const std::vector<std::string>& folders) {
  std::vector<std::string> lookedIn;
  for (const std::string& folder : folders) {
    const std::string candidate = WithSlash(folder) + kModuleFile;
    if (Exists(candidate)) return candidate;
    lookedIn.push_back(WithSlash(folder));
  }
  ModuleError(std::string("module ") + kModuleFile + " not found in " + Joined(lookedIn) +
             "; give its path with --module FILE");
}

}  // namespace qxv::apply
