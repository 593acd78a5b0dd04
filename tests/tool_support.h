// Running pblur in-process over the linked copy of the module, in a
// scratch folder of its own.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/module_loader.h"
#include "tools/png_io.h"

namespace pblur::test {

ModuleEntry LinkedModule();

struct ToolRun {
  int status;
  std::string out, err;
};
ToolRun RunTool(const std::vector<std::string>& args);

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The decoded samples of a PNG file.
std::vector<std::uint16_t> Samples(const std::string& path);

}  // namespace pblur::test
