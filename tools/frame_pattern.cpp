#include "tools/frame_pattern.h"

#include <cctype>
#include <cstdlib>

#include "tools/tool_error.h"

namespace pblur {
namespace {

// Formatting by hand rather than through snprintf keeps a user's pattern
// from ever being read as a format string.
struct Conversion {
  std::string::size_type start = 0, end = 0;  // [start, end) covers "%05d"
  int width = 0;
  bool zeroPad = false;
};

// Counts conversions; fills `found` with the last one. -1 on a stray '%'.
int ScanPattern(const std::string& p, Conversion* found) {
  int count = 0;
  for (std::string::size_type i = 0; i < p.size(); ++i) {
    if (p[i] != '%') continue;
    if (i + 1 < p.size() && p[i + 1] == '%') {
      ++i;
      continue;
    }
    Conversion c;
    c.start = i++;
    if (i < p.size() && p[i] == '0') c.zeroPad = true;
    std::string::size_type digits = i;
    while (i < p.size() && std::isdigit(static_cast<unsigned char>(p[i]))) ++i;
    if (i - digits > 2) return -1;
    if (i > digits) c.width = std::atoi(p.substr(digits, i - digits).c_str());
    if (i >= p.size() || (p[i] != 'd' && p[i] != 'i' && p[i] != 'u')) return -1;
    c.end = i + 1;
    *found = c;
    ++count;
  }
  return count;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::string::size_type i = 0; i < s.size(); ++i) {
    out += s[i];
    if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%') ++i;
  }
  return out;
}

}  // namespace

void CheckPattern(const std::string& flag, const std::string& pattern) {
  Conversion c;
  if (ScanPattern(pattern, &c) != 1) {
    UsageError(flag + ": '" + pattern +
               "' needs exactly one frame number like %d or %04d (write %% for a percent sign)");
  }
}

std::string FrameName(const std::string& pattern, int frame) {
  Conversion c;
  ScanPattern(pattern, &c);
  std::string digits = std::to_string(frame);
  if (digits.size() < static_cast<std::string::size_type>(c.width)) {
    digits.insert(0, static_cast<std::string::size_type>(c.width) - digits.size(),
                  c.zeroPad ? '0' : ' ');
  }
  return Unescape(pattern.substr(0, c.start)) + digits + Unescape(pattern.substr(c.end));
}

}  // namespace pblur
