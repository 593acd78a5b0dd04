// Every message about an input names the flag it came in by first, then
// the file: "--index: shot_0005.exr: 13 channels (...), expected 1".
#pragma once
#include <string>

#include "apply/apply_error.h"

namespace qxv::apply {

// Runs `work`; an ApplyError from it goes on with `flag` before its message.
template <typename Work>
auto ForFlag(const std::string& flag, Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const ApplyError& e) {
    const std::string message = e.what();
    if (message.rfind(flag + ": ", 0) == 0) throw;
    throw e.Within(flag + ": ");
  }
}

}  // namespace qxv::apply
