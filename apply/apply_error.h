// How apply reports a problem: the message names the flag or file and the
// reason, and the kind says what went wrong, so that a front end can tell
// a bad command line from a bad file, a failed write, a failing module and
// memory running out.
#pragma once
#include <stdexcept>
#include <string>

namespace qxv::apply {

enum class ErrorKind {
  Usage,   // the command line (or the call) itself was wrong
  Input,   // a file or folder given was not usable
  Output,  // a frame or folder could not be written
  Module,  // the module could not be loaded, or failed a frame
  Memory,  // not enough memory for the frames
};

// The tool's exit statuses: scripts tell a wrong command line from
// everything else.
constexpr int kExitInput = 1;
constexpr int kExitUsage = 2;

struct ApplyError : std::runtime_error {
  ErrorKind kind;
  ApplyError(ErrorKind errorKind, const std::string& message)
      : std::runtime_error(message), kind(errorKind) {}
  // The same error with `context` ("frame 4: ") before its message.
  ApplyError Within(const std::string& context) const { return ApplyError(kind, context + what()); }
  int ExitStatus() const { return kind == ErrorKind::Usage ? kExitUsage : kExitInput; }
};

[[noreturn]] inline void UsageError(const std::string& message) {
  throw ApplyError(ErrorKind::Usage, message);
}
[[noreturn]] inline void InputError(const std::string& message) {
  throw ApplyError(ErrorKind::Input, message);
}
[[noreturn]] inline void OutputError(const std::string& message) {
  throw ApplyError(ErrorKind::Output, message);
}
[[noreturn]] inline void ModuleError(const std::string& message) {
  throw ApplyError(ErrorKind::Module, message);
}
[[noreturn]] inline void MemoryError(const std::string& message) {
  throw ApplyError(ErrorKind::Memory, message);
}

}  // namespace qxv::apply
