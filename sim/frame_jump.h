// The simulated host's set-jump pair over the 64-byte jumpState of a
// FailureFrame: a true returns-twice routine, and the jump back into it.
//
// On Windows the pair is the C runtime's own _setjmp and longjmp from
// msvcrt.dll, as a real host's would be: their jump buffer on 32-bit x86 is
// exactly the 64 bytes of jumpState. Elsewhere it is a small assembly pair.
#pragma once
#include <cstdint>

#include "host/failure_frame.h"

extern "C" {
// Records the execution state in frame->jumpState; returns 0 then, and
// `value` (never 0) when SimFrameLongJump resumes there. Called directly by
// the simulated host, so the compiler knows it returns twice.
__attribute__((returns_twice)) std::int32_t SimFrameSetJump(qxv::FailureFrame* frame);
[[noreturn]] void SimFrameLongJump(qxv::FailureFrame* frame, std::int32_t value);
}

namespace qxv::sim {
// What the shell's GetFrameSetJump hands the module: the C runtime's
// _setjmp itself on Windows, SimFrameSetJump elsewhere.
FrameSetJumpFn FrameSetJumpRoutine();
}  // namespace qxv::sim
