// The kept shell is forgotten when the module goes away: StoreShell puts
// ClearShell on the runtime's exit-handler list. Exit handlers run last
// registered first, so a checker registered before the hand-over runs after
// ClearShell and sees what it left. Each case runs in a child process, which
// ends from inside the checker with a status that says what it saw.
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/exports.h"
#include "module/host_bridge.h"
#include "sim/host.h"

namespace qxv {
namespace {

constexpr int kCleared = 0;
constexpr int kStillKept = 3;
constexpr int kInitShellLost = 4;

// Ends at once: the handlers registered before this one must not run.
[[noreturn]] void ExitWith(int status) { std::_Exit(status); }

extern "C" void CheckShellCleared() {
  if (KeptShell() != nullptr) ExitWith(kStillKept);
  if (InitShell() != sim::Shell()) ExitWith(kInitShellLost);
  ExitWith(kCleared);
}

void HandOverThenExit(bool throughExport) {
  ClearShell();
  SetInitShell(sim::Shell());
  std::atexit(CheckShellCleared);
  if (throughExport) {
    DllInitRDCom(sim::Shell());
  } else {
    StoreShell(sim::Shell());
  }
  if (KeptShell() != sim::Shell()) ExitWith(5);
  std::exit(kStillKept);  // only the checker decides the status
}

TEST(ShellExitHandlerDeathTest, StoreShellRegistersTheClearing) {
  EXPECT_EXIT(HandOverThenExit(false), ::testing::ExitedWithCode(kCleared), "");
}

TEST(ShellExitHandlerDeathTest, DllInitRDComShellClearedAtExitInitShellKept) {
  EXPECT_EXIT(HandOverThenExit(true), ::testing::ExitedWithCode(kCleared), "");
}

}  // namespace
}  // namespace qxv
