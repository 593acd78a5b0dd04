// HostShell: the host's services object, handed over by DllInitRDCom and by
// every Weight's InitExtension.
#pragma once
#include <cstdint>

#include "host/callconv.h"
#include "host/failure_frame.h"
#include "host/guid.h"
#include "host/result.h"
#include "host/slot.h"
#include "host/unknown.h"

namespace qxv {

struct HostShell;

struct HostShellOps {
  // 0: writes an interface pointer (or null); the result is not examined.
  Result(QXV_CALL* QueryInterface)(HostShell* self, const Guid* iid, void** out);
  std::uint32_t(QXV_CALL* AddRef)(HostShell* self);
  std::uint32_t(QXV_CALL* Release)(HostShell* self);
  // 3: lets the host breathe inside long loops; always given 100.
  std::int32_t(QXV_CALL* Poll)(HostShell* self, std::int32_t value);
  UnusedSlot unused4to11[8];
  // 12: resumes in the innermost frame's FrameSetJump after making its
  // `enclosing` the chain head and storing error and detail in it.
  void(QXV_CALL* RaiseFailure)(HostShell* self, std::int32_t error, std::int32_t detail);
  // 13: address of the chain head (pointer to the innermost frame pointer).
  // Asked anew at every read and write of the head.
  FailureFrame**(QXV_CALL* GetFailureChain)(HostShell* self);
  // 14: the host's FrameSetJump; asked once per hand-over.
  FrameSetJumpFn(QXV_CALL* GetFrameSetJump)(HostShell* self);
  // 15: a block valid until FreeBlock, or null.
  void*(QXV_CALL* AllocateBlock)(HostShell* self, std::uint32_t bytes);
  UnusedSlot unused16to17[2];
  // 18: accepts any block from AllocateBlock.
  void(QXV_CALL* FreeBlock)(HostShell* self, void* block);
  // 19: creates a host object and writes one new reference of iid to *out.
  Result(QXV_CALL* CreateHostObject)(HostShell* self, const Guid* clsid, Unknown* outer,
                                     std::uint32_t context, const Guid* iid, void** out);
};
QXV_SLOT(HostShellOps, QueryInterface, 0);
QXV_SLOT(HostShellOps, Poll, 3);
QXV_SLOT(HostShellOps, RaiseFailure, 12);
QXV_SLOT(HostShellOps, GetFailureChain, 13);
QXV_SLOT(HostShellOps, GetFrameSetJump, 14);
QXV_SLOT(HostShellOps, AllocateBlock, 15);
QXV_SLOT(HostShellOps, FreeBlock, 18);
QXV_SLOT(HostShellOps, CreateHostObject, 19);

struct HostShell {
  const HostShellOps* ops;
};

}  // namespace qxv
