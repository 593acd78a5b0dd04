// Windows: the set-jump pair is msvcrt.dll's _setjmp and longjmp.
#if defined(_WIN32)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "sim/frame_jump.h"

namespace {

using CrtLongJump = void(__cdecl*)(void* jumpBuffer, int value);

struct CrtJump {
  qxv::FrameSetJumpFn setJump;
  CrtLongJump longJump;
};

CrtJump Resolve() {
  HMODULE crt = LoadLibraryA("msvcrt.dll");
  CrtJump jump = {};
  if (crt) {
    jump.setJump = reinterpret_cast<qxv::FrameSetJumpFn>(
        reinterpret_cast<void*>(GetProcAddress(crt, "_setjmp")));
    jump.longJump =
        reinterpret_cast<CrtLongJump>(reinterpret_cast<void*>(GetProcAddress(crt, "longjmp")));
  }
  if (!jump.setJump || !jump.longJump) {
    std::fprintf(stderr, "simulated host: msvcrt.dll has no _setjmp/longjmp\n");
    std::abort();
  }
  return jump;
}

const CrtJump& Crt() {
  static const CrtJump jump = Resolve();
  return jump;
}

}  // namespace

extern "C" {

// Read by the trampoline below; null until first needed.
qxv::FrameSetJumpFn qxvSimCrtSetJump = nullptr;

qxv::FrameSetJumpFn qxvSimResolveCrtSetJump() {
  qxvSimCrtSetJump = Crt().setJump;
  return qxvSimCrtSetJump;
}

void SimFrameLongJump(qxv::FailureFrame* frame, std::int32_t value) {
  Crt().longJump(frame->jumpState, value == 0 ? 1 : value);
  std::abort();
}

}  // extern "C"

// _setjmp must see its caller's stack and return address, so SimFrameSetJump
// is a bare jump into it rather than a C function that calls it. The resolve
// call leaves the stack as it found it.
__asm__(
    ".text\n"
    ".globl _SimFrameSetJump\n"
    "_SimFrameSetJump:\n"
    "  movl _qxvSimCrtSetJump, %eax\n"
    "  testl %eax, %eax\n"
    "  jnz 1f\n"
    "  call _qxvSimResolveCrtSetJump\n"
    "1:\n"
    "  jmp *%eax\n");

namespace qxv::sim {
FrameSetJumpFn FrameSetJumpRoutine() { return Crt().setJump; }
}  // namespace qxv::sim

#else
#include "sim/frame_jump.h"

namespace qxv::sim {
FrameSetJumpFn FrameSetJumpRoutine() { return &SimFrameSetJump; }
}  // namespace qxv::sim
#endif
