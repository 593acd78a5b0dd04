// One installed frame of the host's failure chain.
//
// The frame lives in the stack frame of the operation that installs it. The
// host's FrameSetJump records the execution state in jumpState (64 bytes on
// every target: six callee-saved registers plus stack and return address on
// 32-bit x86, eight on x86-64); when the host raises a failure it stores error
// and detail, makes `enclosing` the new chain head and resumes in FrameSetJump
// with a non-zero result.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qxv {

struct FailureFrame {
  unsigned char jumpState[64];
  std::int32_t error;
  std::int32_t detail;
  FailureFrame* enclosing;
};

static_assert(offsetof(FailureFrame, jumpState) == 0, "jumpState at 0");
static_assert(offsetof(FailureFrame, error) == 64, "error at 64");
static_assert(offsetof(FailureFrame, detail) == 68, "detail at 68");
static_assert(offsetof(FailureFrame, enclosing) == 72, "enclosing at 72");
static_assert(sizeof(void*) != 4 || sizeof(FailureFrame) == 76, "76 bytes on 32-bit");
static_assert(sizeof(void*) != 8 || sizeof(FailureFrame) == 80, "80 bytes on 64-bit");

// The host's set-jump routine: a plain C function (not an interface
// operation), returning 0 when it has recorded the state and non-zero when a
// raise resumes there. It returns twice.
extern "C" typedef std::int32_t (*FrameSetJumpFn)(FailureFrame* frame);

}  // namespace qxv
