// A disk that fills up or a folder that cannot be written stops the run
// with one line naming the frame and the reason, status 1, and no file under
// a final name that is not whole, nor a temporary left behind.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "apply/output/checked_file.h"
#include "tests/tool/support.h"

namespace qxv::tool::test {
namespace {

// A small file system of its own where the test may mount one (as root);
// elsewhere the same failure handed to the run, which writes through it.
class FailingFolder {
 public:
  FailingFolder(const std::string& path, bool readOnly) : path_(path) {
    std::filesystem::create_directories(path);
    const unsigned long flags = readOnly ? MS_RDONLY : 0;
    mounted_ = mount("tmpfs", path.c_str(), "tmpfs", flags, "size=40k") == 0;
    fault_ = apply::WriteFault{readOnly ? EROFS : ENOSPC, readOnly ? 0u : 16u * 1024u};
  }
  ~FailingFolder() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  FailingFolder(const FailingFolder&) = delete;
  FailingFolder& operator=(const FailingFolder&) = delete;

  // What the run writes through: nothing where the folder itself fails.
  apply::WriteFault* Fault() { return mounted_ ? nullptr : &fault_; }

 private:
  std::string path_;
  bool mounted_ = false;
  apply::WriteFault fault_;
};

struct WriteCase {
  const char* what;
  bool readOnly;
  bool demo;
  const char* reason;
};

TEST(ToolWriteFailuresTest, AFailedWriteStopsTheRunAndLeavesOnlyWholeFiles) {
  ScratchFolder scratch;
  const std::string in = scratch / "in";
  ToolRun made = RunTool({"demo", "--out", in, "--size", "96x54", "--frames", "12", "--passes",
                          "--quiet", "--mode", "all"});
  ASSERT_EQ(made.status, 0) << made.err;
  const WriteCase cases[] = {
      {"apply, disk full", false, false, "No space left on device"},
      {"apply, read-only", true, false, "Read-only file system"},
      {"demo, disk full", false, true, "No space left on device"},
      {"demo, read-only", true, true, "Read-only file system"},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = scratch / (std::string("out_") + (c.demo ? "d" : "a") + (c.readOnly ? "r" : "f"));
    ToolRun r;
    {
      FailingFolder failing(out, c.readOnly);
      r = c.demo ? RunTool({"demo", "--out", out, "--size", "96x54", "--frames", "12", "--quiet"},
                           failing.Fault())
                 : RunTool({"apply", "--quiet", "--colour", in + "/rendered_%03d.png", "--index",
                            in + "/index_%03d.png", "--match1", in + "/match1_%03d.png",
                            "--match2", in + "/match2_%03d.png", "--output", out + "/b_%03d.png"},
                           failing.Fault());
      EXPECT_EQ(r.status, 1);
      EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.demo ? "pblur: --out: frame " : "pblur: --output: frame "),
                std::string::npos)
          << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      for (const auto& entry : std::filesystem::directory_iterator(out)) {
        const std::string name = entry.path().string();
        EXPECT_EQ(name.find(".part"), std::string::npos) << name;
        EXPECT_FALSE(ReadAll(name).samples.empty()) << name;
      }
    }
  }
}

}  // namespace
}  // namespace qxv::tool::test
