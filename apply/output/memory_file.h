// A file in memory for OpenImageIO's writers, read back as well as written
// (the TIFF writer reads its own directories), so that a picture is encoded
// whole before a byte of it reaches the file system.
#pragma once
#include <OpenImageIO/filesystem.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace qxv::apply {

class MemoryFile : public OIIO::Filesystem::IOProxy {
 public:
  explicit MemoryFile(std::vector<unsigned char>& bytes) : IOProxy("", Write), bytes_(bytes) {}
  const char* proxytype() const override { return "qxvmemory"; }
  std::size_t read(void* buf, std::size_t size) override {
    const std::size_t got = pread(buf, size, m_pos);
    m_pos += static_cast<std::int64_t>(got);
    return got;
  }
  std::size_t write(const void* buf, std::size_t size) override {
    const std::size_t put = pwrite(buf, size, m_pos);
    m_pos += static_cast<std::int64_t>(put);
    return put;
  }
  std::size_t pread(void* buf, std::size_t size, std::int64_t offset) override {
    if (offset < 0 || static_cast<std::size_t>(offset) >= bytes_.size()) return 0;
    const std::size_t got = std::min(size, bytes_.size() - static_cast<std::size_t>(offset));
    std::memcpy(buf, bytes_.data() + offset, got);
    return got;
  }
  std::size_t pwrite(const void* buf, std::size_t size, std::int64_t offset) override {
    if (offset < 0) return 0;
    const std::size_t end = static_cast<std::size_t>(offset) + size;
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + offset, buf, size);
    return size;
  }
  std::size_t size() const override { return bytes_.size(); }

 private:
  std::vector<unsigned char>& bytes_;
};

}  // namespace qxv::apply
