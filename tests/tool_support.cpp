#include "tests/tool_support.h"

#include <unistd.h>

#include <atomic>
#include <sstream>

#include "module/exports.h"
#include "tools/pblur.h"

namespace pblur::test {

ModuleEntry LinkedModule() {
  ModuleEntry m;
  m.getClassObject = &DllGetClassObject;
  m.canUnloadNow = &DllCanUnloadNow;
  m.initRDCom = &DllInitRDCom;
  return m;
}

ToolRun RunTool(const std::vector<std::string>& args) {
  const ModuleEntry module = LinkedModule();
  std::ostringstream out, err;
  const int status = RunPblur(args, &module, "pblur", out, err);
  return ToolRun{status, out.str(), err.str()};
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("pblur_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::uint16_t> Samples(const std::string& path) { return ReadPng(path).samples; }

}  // namespace pblur::test
