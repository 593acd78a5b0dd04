// The one message the module shows: Pblur's HandleEvent box.
#pragma once
#include <cstdint>

namespace qxv {

constexpr std::uint32_t kMessageBoxSystemModal = 0x1000;  // MB_SYSTEMMODAL | MB_OK

// On Windows: MessageBoxA(GetFocus(), text, caption, style). Elsewhere the
// replaceable handler below, which by default records and never blocks.
void ShowMessageBox(const char* text, const char* caption, std::uint32_t style);

using MessageBoxHandler = void (*)(void* owner, const char* text, const char* caption,
                                   std::uint32_t style);
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace qxv
