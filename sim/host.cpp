#include "sim/host.h"

#include <cstdio>
#include <cstdlib>

#include "sim/frame_jump.h"
#include "sim/memory_ledger.h"
#include "sim/objects.h"
#include "sim/own_host.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __asan_handle_no_return();
#define QXV_ASAN_NO_RETURN() __asan_handle_no_return()
#else
#define QXV_ASAN_NO_RETURN() ((void)0)
#endif

namespace qxv::sim {
namespace {

struct HostState {
  // The chain head lives in one of two slots, and every GetFailureChain moves
  // it to the other: a module that writes through an address it asked for
  // earlier writes into a slot the host no longer reads.
  FailureFrame* chainSlots[2] = {nullptr, nullptr};
  int chainSlot = 0;
  std::int64_t chainRequests = 0;
  std::int64_t opCalls[static_cast<int>(HostOp::kCount)] = {};
  std::int64_t hostCalls = 0;
  std::int64_t polls = 0;
  std::int64_t allocations = 0;
  std::int32_t liveBlocks = 0;
  std::int64_t raises = 0;
  std::int64_t failCall = 0;
  std::int32_t failError = 0;
  std::int32_t failDetail = 0;
  std::int64_t failAllocation = 0;
  bool failAllocationPersistent = false;
  bool hostSide = false;
  void (*pollHook)(void* context) = nullptr;
  void* pollContext = nullptr;
  std::vector<Guid> queries;
  std::vector<HostOp>* opLog = nullptr;
};

HostState& State() {
  static HostState shared;
  if (!OnOwnHost()) return shared;
  // Made only on a thread with a host of its own: a thread-local object
  // with a destructor, made on every thread that calls the host, broke the
  // failure chain seen by a protected block in the 32-bit Windows build.
  thread_local HostState own;
  return own;
}

FailureFrame*& Head() {
  HostState& s = State();
  return s.chainSlots[s.chainSlot];
}

Result QXV_CALL ShellQueryInterface(HostShell*, const Guid* iid, void** out) {
  State().queries.push_back(*iid);
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}
std::uint32_t QXV_CALL ShellAddRef(HostShell*) { return 1; }
std::uint32_t QXV_CALL ShellRelease(HostShell*) { return 1; }

std::int32_t QXV_CALL ShellPoll(HostShell*, std::int32_t) {
  EnterHostCall(HostOp::kPoll);
  HostState& s = State();
  ++s.polls;
  if (s.pollHook) s.pollHook(s.pollContext);
  return 0;
}

void QXV_CALL ShellRaiseFailure(HostShell*, std::int32_t error, std::int32_t detail) {
  RaiseFailure(error, detail);
}

// A host may raise here too: the module must cope at every host call.
FailureFrame** QXV_CALL ShellGetFailureChain(HostShell*) {
  EnterHostCall(HostOp::kGetFailureChain);
  HostState& s = State();
  ++s.chainRequests;
  const int next = 1 - s.chainSlot;
  s.chainSlots[next] = s.chainSlots[s.chainSlot];
  s.chainSlots[s.chainSlot] = nullptr;
  s.chainSlot = next;
  return &s.chainSlots[next];
}

FrameSetJumpFn QXV_CALL ShellGetFrameSetJump(HostShell*) { return FrameSetJumpRoutine(); }

void* QXV_CALL ShellAllocateBlock(HostShell*, std::uint32_t bytes) {
  EnterHostCall(HostOp::kAllocateBlock);
  HostState& s = State();
  ++s.allocations;
  if (s.failAllocation != 0 &&
      (s.allocations == s.failAllocation ||
       (s.failAllocationPersistent && s.allocations > s.failAllocation))) {
    return nullptr;
  }
  if (!BlockWithinCap(bytes)) return nullptr;
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (!block) return nullptr;
  ++s.liveBlocks;
  NoteBlock(block, bytes);
  return block;
}

void QXV_CALL ShellFreeBlock(HostShell*, void* block) {
  EnterHostCall(HostOp::kFreeBlock);
  if (!block) return;
  ForgetBlock(block);
  std::free(block);
  --State().liveBlocks;
}

Result QXV_CALL ShellCreateHostObject(HostShell*, const Guid* clsid, Unknown*, std::uint32_t,
                                      const Guid* iid, void** out) {
  EnterHostCall(HostOp::kCreateHostObject);
  const Result r = CreateHostObject(*clsid, *iid, out);
  // Its storage counts as the module's until the object is gone.
  if (out && *out) NoteModuleObject(*out);
  return r;
}

const HostShellOps kShellOps = {
    ShellQueryInterface, ShellAddRef,  ShellRelease, ShellPoll, {},
    ShellRaiseFailure,   ShellGetFailureChain, ShellGetFrameSetJump, ShellAllocateBlock,
    {},                  ShellFreeBlock, ShellCreateHostObject,
};

HostShell gShell = {&kShellOps};

}  // namespace

HostShell* Shell() { return &gShell; }

void ResetHost() {
  HostState& s = State();
  const std::int32_t blocks = s.liveBlocks;
  s = HostState();
  s.liveBlocks = blocks;
  SetModuleMemoryCap(0);
  SetLargestBlockCap(0);
  ResetMemoryPeak();
}

void SetHostSideWork(bool on) { State().hostSide = on; }

void SetPollHook(void (*hook)(void* context), void* context) {
  State().pollHook = hook;
  State().pollContext = context;
}

void EnterHostCall(HostOp op) {
  HostState& s = State();
  if (s.hostSide) return;
  ++s.hostCalls;
  ++s.opCalls[static_cast<int>(op)];
  if (s.opLog) s.opLog->push_back(op);
  if (s.failCall != 0 && s.hostCalls == s.failCall) RaiseFailure(s.failError, s.failDetail);
}

void FailAtHostCall(std::int64_t k, std::int32_t error, std::int32_t detail) {
  HostState& s = State();
  s.failCall = k == 0 ? 0 : s.hostCalls + k;
  s.failError = error;
  s.failDetail = detail;
}

void FailAllocation(std::int64_t k, bool persistent) {
  HostState& s = State();
  s.failAllocation = k == 0 ? 0 : s.allocations + k;
  s.failAllocationPersistent = persistent;
}

void RecordHostOps(std::vector<HostOp>* log) { State().opLog = log; }

std::int64_t HostCallCount() { return State().hostCalls; }
std::int64_t HostOpCount(HostOp op) { return State().opCalls[static_cast<int>(op)]; }

const char* HostOpName(HostOp op) {
  static const char* const kNames[] = {
      "QueryInterface", "AddRef",         "Release",         "Poll",
      "GetFailureChain", "AllocateBlock", "FreeBlock",       "CreateHostObject",
      "Initialize",     "InitializeImage", "GetInfo",        "GetTileGeometry",
      "NewTileIterator", "NextTile",      "LockTile",        "UnlockTile",
      "GetTileData",    "GetTileRect",    "SeekPixel",       "NextPixel",
      "ReadPixel",      "WritePixel",     "PixelAtCursor",   "ShowRegion",
      "GetParent",      "GetComponentCount", "GetComponentAt", "GetObjectCount",
      "GetObjectAt"};
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<int>(HostOp::kCount),
                "a name for every operation");
  return kNames[static_cast<int>(op)];
}
std::int64_t PollCount() { return State().polls; }
std::int64_t AllocationCount() { return State().allocations; }
std::int32_t LiveBlocks() { return State().liveBlocks; }
FailureFrame* ChainHead() { return Head(); }
std::int64_t FailureChainRequests() { return State().chainRequests; }
const std::vector<Guid>& ShellQueries() { return State().queries; }
std::int64_t RaiseCount() { return State().raises; }

void RaiseFailure(std::int32_t error, std::int32_t detail) {
  HostState& s = State();
  FailureFrame* frame = Head();
  if (!frame) {
    std::fprintf(stderr, "simulated host: failure %d/%d raised with no frame installed\n",
                 static_cast<int>(error), static_cast<int>(detail));
    std::abort();
  }
  ++s.raises;
  Head() = frame->enclosing;
  frame->error = error;
  frame->detail = detail;
  QXV_ASAN_NO_RETURN();
  SimFrameLongJump(frame, 1);
}

// The frame lives in this function's stack frame; SimFrameSetJump is called
// directly (not through a pointer), so the compiler knows it returns twice.
bool RunInHostFrame(void (*body)(void* context), void* context, std::int32_t* error,
                    std::int32_t* detail) {
  FailureFrame frame;
  frame.error = 0;
  frame.detail = 0;
  frame.enclosing = Head();
  Head() = &frame;
  if (SimFrameSetJump(&frame) == 0) {
    body(context);
    Head() = frame.enclosing;
    return true;
  }
  // The raise already made frame.enclosing the head.
  if (error) *error = frame.error;
  if (detail) *detail = frame.detail;
  return false;
}

}  // namespace qxv::sim
