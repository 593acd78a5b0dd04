// Protected blocks: how every operation that calls the host in a loop or a
// walk takes part in the host's failure chain.
//
// The body and the clean-up share one state record owned by the caller.
// The body keeps every reference and block it holds in that record, in
// fields that start null and are set back to null right after release, so
// that the clean-up releases exactly what is still held when a failure
// passes through. A failure leaves the body by longjmp: no object with a
// non-trivial destructor may be alive in any frame between the raise and the
// block, so bodies are written in plain C-style code.
#pragma once

namespace qxv {

using BlockStep = void (*)(void* state);

// Runs body(state) with a failure frame installed (unprotected when the
// host's chain is empty or no shell is kept). Every exit of the body restores
// the chain head it found. When a failure is raised inside, runs
// cleanup(state) and raises the failure again with the same error and
// detail; should that raise come back, returns false (the caller then
// returns its fallback result). Returns true when the body ran to its end.
bool RunProtected(BlockStep body, BlockStep cleanup, void* state);

// Typed form: Protected<State, &Body, &Cleanup>(state).
template <typename State, void (*Body)(State*), void (*Cleanup)(State*)>
inline bool Protected(State* state) {
  return RunProtected([](void* s) { Body(static_cast<State*>(s)); },
                      [](void* s) { Cleanup(static_cast<State*>(s)); }, state);
}

}  // namespace qxv
