// How apply reports a problem the user can fix: the message names the flag
// or file and the reason, and the status tells scripts which kind it is.
#pragma once
#include <stdexcept>
#include <string>

namespace qxv::apply {

constexpr int kExitInput = 1;  // a file, folder or the module was not usable
constexpr int kExitUsage = 2;  // the command line itself was wrong

struct ApplyError : std::runtime_error {
  int status;
  ApplyError(int exitStatus, const std::string& message)
      : std::runtime_error(message), status(exitStatus) {}
};

[[noreturn]] inline void UsageError(const std::string& message) {
  throw ApplyError(kExitUsage, message);
}
[[noreturn]] inline void InputError(const std::string& message) {
  throw ApplyError(kExitInput, message);
}

}  // namespace qxv::apply
