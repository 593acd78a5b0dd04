// Progress on stderr for runs longer than a moment: frame n of N and the
// time so far, redrawn in place.
#pragma once
#include <chrono>
#include <ostream>
#include <string>

namespace qxv::tool {

// "[#####.....] frame 3 of 8, 1.2 s"
std::string ProgressLine(int done, int total, double seconds);

class ProgressBar {
 public:
  ProgressBar(std::ostream& err, int total, bool quiet);
  // After `done` frames.
  void Update(int done);
  // Ends the line if a bar was drawn; returns the seconds since the start.
  double Finish();

 private:
  std::ostream& err_;
  int total_;
  bool quiet_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace qxv::tool
