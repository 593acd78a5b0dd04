#include "module/frame_entry.h"

#include "module/host_bridge.h"

#if defined(__clang__)
#define QXV_FRAME_ENTRY_ATTRIBUTES __attribute__((noinline, disable_tail_calls))
#else
#define QXV_FRAME_ENTRY_ATTRIBUTES \
  __attribute__((noinline, noclone, optimize("no-optimize-sibling-calls")))
#endif

namespace qxv {

void WriteChainHead(FailureFrame* head) {
  // The host may move its chain head: its address is asked anew every time.
  FailureFrame** chain = FailureChain();
  if (chain) *chain = head;
}

QXV_FRAME_ENTRY_ATTRIBUTES std::int32_t EnterFailureFrame(FrameSetJumpFn setJump,
                                                          FailureFrame* frame, BlockStep body,
                                                          void* state) {
  const std::int32_t resumed = setJump(frame);
  if (resumed == 0) {
    body(state);
    // Asking for the chain's address is a host call that may raise too; it
    // must happen while this frame can still be resumed.
    WriteChainHead(frame->enclosing);
  }
  // Keeps the body call from being the function's last act.
  __asm__ __volatile__("" ::: "memory");
  return resumed;
}

}  // namespace qxv
