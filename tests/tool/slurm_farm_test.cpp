// A real scheduler: a one-node Slurm cluster started on this machine
// (tests/tool/slurm_cluster.sh, loopback only) runs a shot split into four
// ranges as one job array submitted by scripts/farm/submit-shot.sh, and the
// frames its tasks write are one whole run's, bit for bit. Skipped, saying
// why, only where the daemons cannot start (not root, Slurm not installed).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "apply/input/frame_pattern.h"
#include "tests/tool/support.h"

namespace qxv::tool::test {
namespace {

constexpr int kLastFrame = 10;  // the demo writes frames 0 to 10
const std::string kSource = QXV_SOURCE_DIR;

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The exit status of a shell command line.
int Shell(const std::string& line) {
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SlurmFarmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string log = scratch_ / "cluster.log";
    const int status = Shell("bash " + kSource + "/tests/tool/slurm_cluster.sh start " +
                             cluster_ + " " + std::to_string(getpid()) + " >" + log + " 2>&1");
    started_ = true;
    if (status == 77) GTEST_SKIP() << Contents(log);
    ASSERT_EQ(status, 0) << Contents(log);
  }
  // Always, however the test ends: the daemons must not outlive it.
  void TearDown() override {
    if (started_) Shell("bash " + kSource + "/tests/tool/slurm_cluster.sh stop " + cluster_);
  }

  ScratchFolder scratch_;
  const std::string cluster_ = scratch_ / "cluster";
  bool started_ = false;
};

TEST_F(SlurmFarmTest, AJobArrayOfFourRangesWritesTheWholeRunsFramesBitForBit) {
  const std::string in = scratch_ / "in";
  ToolRun made = RunTool({"demo", "--out", in, "--size", "96x54", "--frames",
                          std::to_string(kLastFrame), "--passes", "--quiet", "--mode", "all"});
  ASSERT_EQ(made.status, 0) << made.err;
  std::string apply = " apply --module " + std::string(QXV_MODULE_FILE) + " --colour " + in +
                      "/rendered_%03d.png --index " + in + "/index_%03d.png --match1 " + in +
                      "/match1_%03d.png --match2 " + in + "/match2_%03d.png --depth " + in +
                      "/depth_%03d.png --depth-test --streak-length 10 --echoes 2";
  const std::string whole = scratch_ / "whole", farm = scratch_ / "farm";
  ASSERT_EQ(Shell(std::string(QXV_PBLUR_PROGRAM) + apply + " --quiet --output " + whole +
                  "/b_%03d.png 2>" + (scratch_ / "whole.log")),
            0)
      << Contents(scratch_ / "whole.log");

  // sbatch --wait returns once every task has ended; the timeout keeps a
  // stuck cluster from holding the suite.
  const std::string submitLog = scratch_ / "submit.log";
  const int submitted = Shell(
      "SLURM_CONF=" + cluster_ + "/slurm.conf timeout 120 bash " + kSource +
      "/scripts/farm/submit-shot.sh --ranges 4 --frames 0-" + std::to_string(kLastFrame) +
      " --pblur " + QXV_PBLUR_PROGRAM + " --sbatch --wait --sbatch --output=" + farm +
      "_task_%a.log --" + apply.substr(std::string(" apply").size()) + " --output " + farm +
      "/b_%03d.png >" + submitLog + " 2>&1");
  std::string logs = Contents(submitLog);
  for (int task = 0; task < 4; ++task) logs += Contents(farm + "_task_" + std::to_string(task) + ".log");
  ASSERT_EQ(submitted, 0) << logs << Contents(cluster_ + "/slurmctld.log");

  for (int f = 0; f <= kLastFrame; ++f) {
    const std::string name = apply::FrameName("/b_%03d.png", f);
    const std::string expected = Contents(whole + name);
    EXPECT_FALSE(expected.empty()) << "frame " << f;
    EXPECT_TRUE(expected == Contents(farm + name)) << "frame " << f << "\n" << logs;
  }
}

}  // namespace
}  // namespace qxv::tool::test
