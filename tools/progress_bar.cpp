#include "tools/progress_bar.h"

#include <cstdio>

namespace qxv::tool {
namespace {

constexpr int kBarWidth = 24;
// Quicker runs finish before a bar would help.
constexpr double kShowAfterSeconds = 0.25;

}  // namespace

std::string ProgressLine(int done, int total, double seconds) {
  const int filled = total > 0 ? done * kBarWidth / total : kBarWidth;
  std::string bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";
  char tail[64];
  std::snprintf(tail, sizeof tail, " frame %d of %d, %.1f s", done, total, seconds);
  return bar + tail;
}

ProgressBar::ProgressBar(std::ostream& err, int total, bool quiet)
    : err_(err), total_(total), quiet_(quiet), start_(std::chrono::steady_clock::now()) {}

void ProgressBar::Update(int done) {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  if (quiet_ || (!drawn_ && seconds < kShowAfterSeconds)) return;
  err_ << '\r' << ProgressLine(done, total_, seconds) << std::flush;
  drawn_ = true;
}

double ProgressBar::Finish() {
  if (drawn_) err_ << '\n';
  drawn_ = false;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

}  // namespace qxv::tool
