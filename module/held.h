// Releasing what a state record holds: the field is nulled right after the
// release returns, so that a failure the host raises inside the release
// (before it took effect) leaves the field set for the failure path.
#pragma once
#include "host/unknown.h"
#include "module/host_bridge.h"

namespace qxv {

template <typename Interface>
inline void ReleaseField(Interface** field) {
  if (*field) {
    ReleaseInterface(*field);
    *field = nullptr;
  }
}

template <typename Block>
inline void FreeField(Block** field) {
  if (*field) {
    Free(*field);
    *field = nullptr;
  }
}

}  // namespace qxv
