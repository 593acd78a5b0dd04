#include "apply/input/png_check.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace qxv::apply {

std::string PngDamage(const std::string& path) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::ifstream file(path, std::ios::binary);
  unsigned char head[8];
  if (!file.read(reinterpret_cast<char*>(head), 8) || std::memcmp(head, kSignature, 8) != 0) {
    return "";
  }
  file.seekg(0, std::ios::end);
  const std::uint64_t size = static_cast<std::uint64_t>(file.tellg());
  std::uint64_t at = 8;
  while (true) {
    unsigned char chunk[8];  // length, then type
    file.seekg(static_cast<std::streamoff>(at));
    if (!file.read(reinterpret_cast<char*>(chunk), 8)) return "cut short: no IEND chunk";
    const std::uint64_t length = std::uint64_t{chunk[0]} << 24 | std::uint64_t{chunk[1]} << 16 |
                                 std::uint64_t{chunk[2]} << 8 | chunk[3];
    at += 12 + length;  // with the type and the CRC
    if (at > size) return "cut short inside a chunk";
    if (std::memcmp(chunk + 4, "IEND", 4) == 0) return "";
  }
}

}  // namespace qxv::apply
