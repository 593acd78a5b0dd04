// One stage of a pipeline joined by hand-offs: it takes each item from the
// stage before, hands on what its work makes of it (if anything) to the
// stage after, and keeps its own failure for the caller to raise once every
// stage has stopped.
#pragma once
#include <exception>
#include <optional>
#include <utility>

#include "apply/run/handoff.h"

namespace qxv::apply {

// Items go from `from` through `work` (which returns an optional: nothing
// for an item that goes no further) to `to` until `from` is done or `to`
// is stopped. However it ends, a failure too, the stage after finishes the
// items it has and the stage before is stopped at once.
template <typename In, typename Out, typename Work>
void RunStage(Handoff<In>& from, Handoff<Out>& to, Work&& work, std::exception_ptr* failure) {
  try {
    In item;
    while (from.Take(&item)) {
      std::optional<Out> made = work(item);
      if (made && !to.Give(std::move(*made))) break;
    }
  } catch (...) {
    *failure = std::current_exception();
  }
  to.Finish();
  from.Stop();
}

}  // namespace qxv::apply
