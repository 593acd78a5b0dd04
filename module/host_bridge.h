// The module's hold on the host's shell, and the guarded wrappers that the
// rest of the module uses for memory and failures.
#pragma once
#include <cstdint>

#include "host/failure_frame.h"
#include "host/host_shell.h"

namespace qxv {

// Keeps the shell (null changes nothing): registers ClearShell with the
// runtime's exit handlers, asks the shell for its five interfaces and fetches
// FrameSetJump. Every hand-over repeats all of it.
void StoreShell(HostShell* shell);
// Forgets the kept shell; runs at unload through the exit-handler list.
void ClearShell();

HostShell* KeptShell();
// The shell handed over by DllInitRDCom, used directly by the pass. Never cleared.
HostShell* InitShell();
void SetInitShell(HostShell* shell);
FrameSetJumpFn KeptFrameSetJump();
// The interface pointers StoreShell obtained, in query order (kept, never released).
void* ShellInterface(int index);

// The largest block the module asks the host for at once. A 32-bit host's
// free address space comes in pieces, its largest usually far smaller than
// the total free, so anything larger is built of blocks no larger than this.
constexpr std::uint32_t kLargestHostBlock = 16u << 20;

// Guarded wrappers: with no shell kept, allocate and the failure chain give
// null, free and raise do nothing.
void* Allocate(std::uint32_t bytes);
void Free(void* block);
void Raise(std::int32_t error, std::int32_t detail);
FailureFrame** FailureChain();

}  // namespace qxv
