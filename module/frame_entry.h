// The one place that calls the host's FrameSetJump.
#pragma once
#include <cstdint>

#include "host/failure_frame.h"
#include "module/protected_block.h"

namespace qxv {

// Makes `head` the host's chain head.
void WriteChainHead(FailureFrame* head);

// Calls setJump(frame) and, when it returns 0, body(state) and then gives
// the chain head back to frame->enclosing. Returns what
// setJump returned the last time: 0 after the body ran to its end, non-zero
// when a raise resumed there. The routine returns twice, and a compiler
// cannot know that of a call through a pointer; this function therefore
// keeps nothing that changes between the two returns: its arguments are
// only read, the body's effects live in the caller's state record, and on
// the second return it only hands back the result. It is never inlined nor
// turned into a tail call, so its stack frame (where the saved state points)
// stays live while the body runs.
std::int32_t EnterFailureFrame(FrameSetJumpFn setJump, FailureFrame* frame, BlockStep body,
                               void* state);

}  // namespace qxv
