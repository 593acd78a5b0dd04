// The streak phase lets the host breathe once per row of every image tile,
// always with 100. A frame whose object has not moved needs no scan of the
// previous frame, so every poll of the pass is a row's.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "module/host_bridge.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

// The simulated shell with Poll noted before it is passed on.
struct PollRecorder {
  HostShell base;
  HostShellOps ops;
};
std::vector<std::int32_t>* pollValues = nullptr;

std::int32_t QXV_CALL RecordPoll(HostShell*, std::int32_t value) {
  pollValues->push_back(value);
  HostShell* shell = sim::Shell();
  return shell->ops->Poll(shell, value);
}

class PassPolls : public ModuleTest {
 protected:
  // Polls of the second of two identical frames.
  std::vector<std::int32_t> PollsOfStillFrame(std::uint32_t tileWidth, std::uint32_t tileHeight) {
    Pblur* pblur = NewPblurFromFactory();
    Frame first(20, 6, tileWidth, tileHeight), second(20, 6, tileWidth, tileHeight);
    first.DrawRect(2, 1, 10, 4, 1, 0xC08040);
    second.DrawRect(2, 1, 10, 4, 1, 0xC08040);
    EXPECT_EQ(RunPass(pblur, nullptr, first, view_).result, S_OK);

    std::vector<std::int32_t> values;
    PollRecorder recorder;
    recorder.ops = *sim::Shell()->ops;
    recorder.ops.Poll = RecordPoll;
    recorder.base.ops = &recorder.ops;
    pollValues = &values;
    HostShell* kept = InitShell();
    SetInitShell(&recorder.base);
    const std::int64_t before = sim::PollCount();
    EXPECT_EQ(RunPass(pblur, nullptr, second, view_).result, S_OK);
    SetInitShell(kept);
    pollValues = nullptr;
    EXPECT_EQ(sim::PollCount() - before, static_cast<std::int64_t>(values.size()))
        << "polls through another shell than the one DllInitRDCom handed over";
    pblur->ops->Release(pblur);
    return values;
  }
};

TEST_F(PassPolls, OncePerRowOfEachTileWithinTheImage) {
  struct Case {
    const char* name;
    std::uint32_t tileWidth, tileHeight;
    std::size_t polls;
  };
  const Case cases[] = {
      {"one tile", 0, 0, 6},
      // Three tiles across; bands of rows 0-3 and 4-5: 3 * 4 + 3 * 2.
      {"8 x 4 tiles", 8, 4, 18},
      // Four tiles across, the last reaching past the image; bands 0-4 and 5:
      // 4 * 5 + 4 * 1.
      {"6 x 5 tiles", 6, 5, 24},
      // One tile per row: 20 columns wide, 6 tiles down.
      {"20 x 1 tiles", 20, 1, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::int32_t> values = PollsOfStillFrame(c.tileWidth, c.tileHeight);
    EXPECT_EQ(values, std::vector<std::int32_t>(c.polls, 100));
  }
}

}  // namespace
}  // namespace qxv::test
