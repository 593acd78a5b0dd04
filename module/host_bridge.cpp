#include "module/host_bridge.h"

#include <cstdlib>

#include "host/identifiers.h"

namespace qxv {
namespace {

HostShell* keptShell = nullptr;
HostShell* initShell = nullptr;
void* shellInterfaces[5] = {};
FrameSetJumpFn frameSetJump = nullptr;

extern "C" void ClearShellAtExit() { ClearShell(); }

}  // namespace

void StoreShell(HostShell* shell) {
  if (!shell) return;
  std::atexit(ClearShellAtExit);
  keptShell = shell;
  for (int i = 0; i < 5; ++i) {
    shell->ops->QueryInterface(shell, &kShellQueries[i], &shellInterfaces[i]);
  }
  frameSetJump = shell->ops->GetFrameSetJump(shell);
}

void ClearShell() { keptShell = nullptr; }

HostShell* KeptShell() { return keptShell; }
HostShell* InitShell() { return initShell; }
void SetInitShell(HostShell* shell) { initShell = shell; }
FrameSetJumpFn KeptFrameSetJump() { return frameSetJump; }
void* ShellInterface(int index) { return shellInterfaces[index]; }

void* Allocate(std::uint32_t bytes) {
  if (!keptShell) return nullptr;
  return keptShell->ops->AllocateBlock(keptShell, bytes);
}

void Free(void* block) {
  if (keptShell && block) keptShell->ops->FreeBlock(keptShell, block);
}

void Raise(std::int32_t error, std::int32_t detail) {
  if (keptShell) keptShell->ops->RaiseFailure(keptShell, error, detail);
}

FailureFrame** FailureChain() {
  if (!keptShell) return nullptr;
  return keptShell->ops->GetFailureChain(keptShell);
}

}  // namespace qxv
