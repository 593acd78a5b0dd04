#include <iostream>
#include <string>
#include <vector>

#include "tools/pblur.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return qxv::tool::RunPblur(args, nullptr, argv[0], std::cout, std::cerr);
}
