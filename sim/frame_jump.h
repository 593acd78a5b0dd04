// The simulated host's set-jump pair over the 64-byte jumpState of a
// FailureFrame: a true returns-twice routine, and the jump back into it.
#pragma once
#include <cstdint>

#include "host/failure_frame.h"

extern "C" {
// Records the callee-saved registers, stack pointer and return address in
// frame->jumpState; returns 0 then, and `value` (never 0) when
// SimFrameLongJump resumes there.
__attribute__((returns_twice)) std::int32_t SimFrameSetJump(qxv::FailureFrame* frame);
[[noreturn]] void SimFrameLongJump(qxv::FailureFrame* frame, std::int32_t value);
}
