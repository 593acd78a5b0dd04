#include "apply/input/frame_pattern.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "apply/apply_error.h"

namespace qxv::apply {
namespace {

// Formatting by hand rather than through snprintf keeps a user's pattern
// from ever being read as a format string.
struct Conversion {
  std::string::size_type start = 0, end = 0;  // [start, end) covers "%05d"
  int width = 0;
  bool zeroPad = false;
};

// Counts conversions (a run of '#' is one, as wide as the run); fills
// `found` with the last one. -1 on a stray '%'.
int ScanPattern(const std::string& p, Conversion* found) {
  int count = 0;
  for (std::string::size_type i = 0; i < p.size(); ++i) {
    if (p[i] == '#') {
      Conversion c;
      c.start = i;
      while (i + 1 < p.size() && p[i + 1] == '#') ++i;
      c.end = i + 1;
      c.width = static_cast<int>(c.end - c.start);
      c.zeroPad = true;
      *found = c;
      ++count;
      continue;
    }
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

bool HasFrameNumber(const std::string& pattern) {
  Conversion c;
  return ScanPattern(pattern, &c) == 1;
}

void CheckPattern(const std::string& flag, const std::string& pattern) {
  Conversion c;
  if (ScanPattern(pattern, &c) != 1) {
    UsageError(
        flag + ": '" + pattern +
        "' needs exactly one frame number like %d, %04d or #### (write %% for a percent sign)");
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

}  // namespace qxv::apply

namespace qxv::apply {

std::vector<int> FramesPresent(const std::string& pattern) {
  Conversion c;
  ScanPattern(pattern, &c);
  const std::string head = Unescape(pattern.substr(0, c.start));
  const std::string tail = Unescape(pattern.substr(c.end));
  // The frame number is looked for in the file name; the folder is fixed.
  const std::filesystem::path probe(head + "x");
  const std::filesystem::path folder = probe.parent_path();
  std::string stem = probe.filename().string();
  stem.pop_back();
  std::vector<int> frames;
  std::error_code error;
  std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= stem.size() + tail.size() || name.compare(0, stem.size(), stem) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0) {
      continue;
    }
    const std::string digits = name.substr(stem.size(), name.size() - stem.size() - tail.size());
    if (digits.size() > 7 ||
        !std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '9'; })) {
      continue;
    }
    const int frame = std::atoi(digits.c_str());
    // Only names the pattern itself would give: "7" is not frame 7 of %04d.
    if (std::filesystem::path(FrameName(pattern, frame)).filename() == name) {
      frames.push_back(frame);
    }
  }
  std::sort(frames.begin(), frames.end());
  return frames;
}

}  // namespace qxv::apply
