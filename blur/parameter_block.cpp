#include "blur/parameter_block.h"

namespace qxv {

ParameterBlock DefaultParameters() {
  ParameterBlock p{};
  p.commandCode = kCommandDefault;
  p.secondaryLayer = 1;
  p.resetPending = 1;
  p.streakLength = 5.0f;
  p.mainStrength = 5.0f;
  p.altLength = 5.0f;
  p.altStrength = 5.0f;
  p.echoCount = 1.0f;
  p.jitter = 0;
  p.depthTest = 0;
  p.reverseLength = 1.0f;
  p.trails = 0;
  p.trailFrames = 0.0f;
  p.activeTrailFrames = 0.0f;
  p.mode = ModeAll;
  return p;
}

void ApplyCommand(ParameterBlock& p) {
  switch (p.commandCode) {
    case kCommandDefault:
      return;
    case kCommandNone:
      p.mode = ModeNone;
      break;
    case kCommandAll:
      p.mode = ModeAll;
      break;
    case kCommandOptIn:
      p.mode = ModeOptIn;
      break;
    case kCommandOptOut:
      p.mode = ModeOptOut;
      break;
    default:
      break;
  }
  p.commandCode = kCommandDefault;
}

}  // namespace qxv
