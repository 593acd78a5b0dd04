#include "tests/tool/support.h"

#include <unistd.h>

#include <atomic>
#include <sstream>

#include "sim/linked_module.h"
#include "tools/pblur.h"

namespace qxv::tool::test {

ToolRun RunTool(const std::vector<std::string>& args, apply::WriteFault* writeFault) {
  const sim::ModuleExports module = sim::LinkedModule();
  std::ostringstream out, err;
  const int status = RunPblur(args, &module, "pblur", out, err, writeFault);
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

apply::ChannelImage ReadAll(const std::string& path) { return apply::ReadChannels(path, apply::ChannelNames(path)); }

std::vector<std::uint16_t> Samples(const std::string& path) {
  const apply::ChannelImage image = ReadAll(path);
  std::vector<std::uint16_t> samples;
  for (std::size_t i = 0; i < image.Pixels() * image.names.size(); ++i) {
    samples.push_back(static_cast<std::uint16_t>(image.At(i / image.names.size(), i % image.names.size())));
  }
  return samples;
}

void WriteFloatChannels(const std::string& path, std::uint32_t width, std::uint32_t height,
                        const std::vector<std::pair<std::string, std::vector<float>>>& channels) {
  apply::OutputImage image;
  image.width = width;
  image.height = height;
  image.bits = 32;
  for (const auto& channel : channels) image.names.push_back(channel.first);
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  image.samples.resize(pixels * channels.size());
  for (std::size_t i = 0; i < pixels; ++i) {
    for (std::size_t c = 0; c < channels.size(); ++c) {
      image.samples[i * channels.size() + c] = channels[c].second[i];
    }
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  apply::WriteImage(path, image);
}

}  // namespace qxv::tool::test
