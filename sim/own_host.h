// The simulated host is one per process. A thread that drives a module copy
// of its own beside the process's (the tool blurring alpha beside colour)
// takes a host of its own while an OwnHost lives on it: its own failure
// chain, counts and injections, objects and memory ledger, so that the two
// modules' calls never meet. Objects made under it are used and released
// on that thread while it lives.
#pragma once

namespace qxv::sim {

class OwnHost {
 public:
  OwnHost();
  ~OwnHost();
  OwnHost(const OwnHost&) = delete;
  OwnHost& operator=(const OwnHost&) = delete;
};

// Whether this thread is on a host of its own; the host's parts keep their
// state per thread while it is.
bool OnOwnHost();

}  // namespace qxv::sim
