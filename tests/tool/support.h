// Running pblur in-process over the linked copy of the module, in a
// scratch folder of its own.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "apply/input/image_input.h"
#include "apply/output/checked_file.h"
#include "apply/output/image_output.h"
#include "apply/blur/module_loader.h"

namespace qxv::tool::test {


struct ToolRun {
  int status;
  std::string out, err;
};
// Writes fail as `writeFault` says when it is not null.
ToolRun RunTool(const std::vector<std::string>& args, apply::WriteFault* writeFault = nullptr);

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

// Every channel of an image file, samples as stored.
apply::ChannelImage ReadAll(const std::string& path);
// The samples of an integer image file (PNG), as stored.
std::vector<std::uint16_t> Samples(const std::string& path);

// Writes float channels, named as given, to one file (a multilayer EXR
// when the names have layers). Each vector holds one channel, row-major.
void WriteFloatChannels(const std::string& path, std::uint32_t width, std::uint32_t height,
                        const std::vector<std::pair<std::string, std::vector<float>>>& channels);

}  // namespace qxv::tool::test
