#include "apply/output/folders.h"

#include <filesystem>
#include <system_error>

#include "apply/apply_error.h"

namespace qxv::apply {

void EnsureFolder(const std::string& folder, const std::string& what) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) OutputError(what + ": cannot make folder " + folder + ": " + error.message());
  if (!std::filesystem::is_directory(folder, error)) {
    OutputError(what + ": " + folder + " is not a folder");
  }
}

std::string FolderOf(const std::string& path) {
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? "." : parent.string();
}

}  // namespace qxv::apply
