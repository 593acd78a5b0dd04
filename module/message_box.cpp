#include "module/message_box.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qxv {
namespace {

#if !defined(_WIN32)
void IgnoreMessageBox(void*, const char*, const char*, std::uint32_t) {}
#endif

MessageBoxHandler handler = nullptr;

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler h) { handler = h; }

void ShowMessageBox(const char* text, const char* caption, std::uint32_t style) {
#if defined(_WIN32)
  if (!handler) {
    MessageBoxA(GetFocus(), text, caption, style);
    return;
  }
  handler(static_cast<void*>(GetFocus()), text, caption, style);
#else
  (handler ? handler : IgnoreMessageBox)(nullptr, text, caption, style);
#endif
}

}  // namespace qxv
