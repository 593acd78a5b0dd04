#include "module/protected_block.h"

#include "module/frame_entry.h"
#include "module/host_bridge.h"

namespace qxv {
bool RunProtected(BlockStep body, BlockStep cleanup, void* state) {
  FailureFrame frame;
  frame.error = 0;
  frame.detail = 0;
  FailureFrame** chain = FailureChain();
  frame.enclosing = chain ? *chain : nullptr;
  const FrameSetJumpFn setJump = KeptFrameSetJump();
  if (!chain || !frame.enclosing || !setJump) {
    // No frame of the host's to pass a failure on to: run unprotected.
    body(state);
    if (chain) WriteChainHead(frame.enclosing);
    return true;
  }
  // The host may move its chain head between two calls: the address is
  // asked for anew to install the frame, as for every read and write.
  WriteChainHead(&frame);
  if (EnterFailureFrame(setJump, &frame, body, state) == 0) return true;
  // The host already made frame.enclosing the head.
  cleanup(state);
  Raise(frame.error, frame.detail);
  return false;
}

}  // namespace qxv
