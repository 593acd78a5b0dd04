// Pblur's parameters as a new object has them, and the command the host's
// user interface leaves pending in them.
#pragma once
#include "host/parameter_block.h"

namespace qxv {

// The block of a new object. reservedFlag is not written at construction;
// it starts as the zero of the fresh allocation's initialisation.
ParameterBlock DefaultParameters();

// Turns a pending command into the blur mode and sets commandCode back to
// "DEFO" (unless it already was).
void ApplyCommand(ParameterBlock& p);

}  // namespace qxv
