// The simulated host: one HostShell with a real failure chain, a counting
// allocator and failure injection. Everything a test, the command-line tool
// or a benchmark needs to stand in for the host application.
#pragma once
#include <cstdint>
#include <vector>

#include "host/failure_frame.h"
#include "host/guid.h"
#include "host/host_shell.h"

namespace qxv::sim {

// The one shell of this process.
HostShell* Shell();

// Forgets every counter and injection (the module's memory caps included)
// and empties the failure chain. Host objects already made stay alive and
// counted.
void ResetHost();

// The host operations the module calls, counted one by one.
enum class HostOp : int {
  kQueryInterface,
  kAddRef,
  kRelease,
  kPoll,
  kGetFailureChain,
  kAllocateBlock,
  kFreeBlock,
  kCreateHostObject,
  kInitialize,
  kInitializeImage,
  kGetInfo,
  kGetTileGeometry,
  kNewTileIterator,
  kNextTile,
  kLockTile,
  kUnlockTile,
  kGetTileData,
  kGetTileRect,
  kSeekPixel,
  kNextPixel,
  kReadPixel,
  kWritePixel,
  kPixelAtCursor,
  kShowRegion,
  kGetParent,
  kGetComponentCount,
  kGetComponentAt,
  kGetObjectCount,
  kGetObjectAt,
  kCount,
};
const char* HostOpName(HostOp op);

// Called first by every host operation the module may call: counts the call
// and raises the injected failure when its turn has come. Holds nothing that
// needs destroying, since the raise leaves by longjmp.
void EnterHostCall(HostOp op);
// Calls of one operation since the host was last reset.
std::int64_t HostOpCount(HostOp op);
// Appends every counted host call from now on to *log, in order; null
// stops. The log belongs to the caller.
void RecordHostOps(std::vector<HostOp>* log);

// While the host itself works on its objects (a test releasing its frames,
// say), its calls are neither counted nor failed.
void SetHostSideWork(bool on);

// Runs hook(context) inside every Poll, as a host's user interface would
// run while the plug-in polls it; null turns it off.
void SetPollHook(void (*hook)(void* context), void* context);

// Raise a failure at host call number `k` (1-based, counted from now); 0
// turns it off. Only that one call raises.
void FailAtHostCall(std::int64_t k, std::int32_t error, std::int32_t detail);
// Allocation number `k` (1-based, counted from now) returns null; with
// `persistent`, every later one too, until the next call of this function.
void FailAllocation(std::int64_t k, bool persistent);

std::int64_t HostCallCount();
std::int64_t PollCount();
std::int64_t AllocationCount();
std::int32_t LiveBlocks();
// The failure chain's head, as the host sees it.
FailureFrame* ChainHead();
// How often the module asked for the chain head's address; every answer is
// a new address, good for one read or one write.
std::int64_t FailureChainRequests();
// Interface identifiers the shell was asked for, in order.
const std::vector<Guid>& ShellQueries();
std::int64_t RaiseCount();

// Runs body(context) below a frame of the host's own, as the host does
// around every call into a plug-in. Returns false when a failure reached this
// frame, with its error and detail.
bool RunInHostFrame(void (*body)(void* context), void* context, std::int32_t* error,
                    std::int32_t* detail);

// The host's RaiseFailure: unwinds to the innermost frame. Without any frame
// the simulated host aborts, as a real one would crash.
[[noreturn]] void RaiseFailure(std::int32_t error, std::int32_t detail);

}  // namespace qxv::sim
