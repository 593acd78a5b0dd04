// A frame larger than the memory there is stops the run with a line saying
// how much its size needs, not a bare std::bad_alloc.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/tool/support.h"

namespace qxv::tool::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressLimitWorks = false;  // the sanitizer reserves terabytes up front
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressLimitWorks = false;
#else
constexpr bool kAddressLimitWorks = true;
#endif
#else
constexpr bool kAddressLimitWorks = true;
#endif

// The process's address space now, in bytes.
long long AddressSpace() {
  long long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * sysconf(_SC_PAGESIZE);
}

[[noreturn]] void ApplyWithLittleMemory(const std::string& in, const std::string& out) {
  const rlim_t room = static_cast<rlim_t>(AddressSpace() + (64ll << 20));
  const rlimit limit{room, room};
  setrlimit(RLIMIT_AS, &limit);
  const ToolRun r = RunTool({"apply", "--quiet", "--colour", in + "/rendered_%03d.png", "--index",
                             in + "/index_%03d.png", "--match1", in + "/match1_%03d.png",
                             "--match2", in + "/match2_%03d.png", "--output", out});
  std::fputs(r.err.c_str(), stderr);
  std::exit(r.status);
}

TEST(ToolMemoryTest, AFrameTooLargeForMemorySaysWhatItNeeds) {
  if (!kAddressLimitWorks) GTEST_SKIP() << "address-space limits do not work under the sanitizer";
  ScratchFolder scratch;
  const std::string in = scratch / "in";
  ToolRun made = RunTool({"demo", "--out", in, "--size", "1280x720", "--frames", "1", "--passes",
                          "--quiet", "--mode", "all"});
  ASSERT_EQ(made.status, 0) << made.err;
  // In a child process of its own, started afresh (the reading threads of
  // this one would not survive a bare fork), with room for the threads but
  // not for the frames.
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ApplyWithLittleMemory(in, scratch / "out/b_%03d.png"), ::testing::ExitedWithCode(1),
              "pblur: frame 0: not enough memory: 1280x720 frames need about 295 MB\n");
  GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace
}  // namespace qxv::tool::test
