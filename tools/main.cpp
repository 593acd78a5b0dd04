#include <iostream>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "tools/pblur.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // apply frees and takes again blocks of tens of megabytes every frame.
  // Kept in the heap, one for all threads, they are reused as they are,
  // rather than mapped afresh and faulted in page by page each time.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  return qxv::tool::RunPblur(args, nullptr, argv[0], std::cout, std::cerr);
}
