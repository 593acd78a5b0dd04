#include "blur/search_host.h"

#include "module/host_bridge.h"

namespace qxv {
namespace {

void PollInitShell(void*) {
  HostShell* shell = InitShell();
  shell->ops->Poll(shell, 100);
}

void* AllocateFromInitShell(void*, std::uint32_t bytes) {
  HostShell* shell = InitShell();
  return shell->ops->AllocateBlock(shell, bytes);
}

void FreeToInitShell(void*, void* block) {
  HostShell* shell = InitShell();
  shell->ops->FreeBlock(shell, block);
}

constexpr SearchHost kInitShellSearchHost = {PollInitShell, AllocateFromInitShell,
                                             FreeToInitShell, nullptr, kLargestHostBlock};

}  // namespace

const SearchHost& InitShellSearchHost() { return kInitShellSearchHost; }

}  // namespace qxv
