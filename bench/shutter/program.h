// What the shutter benchmark's programs share: a frame's source from a
// pattern, and main's catch of a failure into one line and status 1.
#pragma once
#include <cstdio>
#include <exception>
#include <string>

#include "apply/input/frame_pattern.h"

namespace qxv::bench {

// PAT with #### for the frame number and an optional :LAYER or :R,G,B after
// it, as pblur apply names channels, for frame f.
inline std::string FrameSource(const std::string& pattern, int f) {
  const std::string::size_type colon = pattern.rfind(':');
  if (colon != std::string::npos && pattern.find('#', colon) == std::string::npos &&
      pattern.find('/', colon) == std::string::npos) {
    return apply::FrameName(pattern.substr(0, colon), f) + pattern.substr(colon);
  }
  return apply::FrameName(pattern, f);
}

// Runs `run`; a failure is printed as "PROGRAM: reason" and gives status 1.
inline int Guarded(const char* program, int (*run)(int, char**), int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", program, e.what());
    return 1;
  }
}

}  // namespace qxv::bench
