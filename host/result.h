// 32-bit result codes exchanged with the host.
#pragma once
#include <cstdint>

namespace qxv {

using Result = std::int32_t;

constexpr Result S_OK = 0;
constexpr Result S_FALSE = 1;
constexpr Result E_NOTIMPL = static_cast<Result>(0x80004001u);
constexpr Result E_NOINTERFACE = static_cast<Result>(0x80004002u);
constexpr Result E_POINTER = static_cast<Result>(0x80004003u);
constexpr Result E_FAIL = static_cast<Result>(0x80004005u);
constexpr Result E_OUTOFMEMORY = static_cast<Result>(0x8007000Eu);
constexpr Result E_INVALIDARG = static_cast<Result>(0x80070057u);

inline bool Failed(Result r) { return r < 0; }

}  // namespace qxv
