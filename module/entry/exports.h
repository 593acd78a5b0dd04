// The module's entry points, with C linkage and the host's calling convention.
#pragma once
#include "host/callconv.h"
#include "host/guid.h"
#include "host/host_shell.h"
#include "host/result.h"
#include "module/entry/export.h"

extern "C" {
QXV_EXPORT qxv::Result QXV_CALL DllGetClassObject(const qxv::Guid* clsid, const qxv::Guid* iid,
                                                  void** out);
QXV_EXPORT qxv::Result QXV_CALL DllCanUnloadNow();
QXV_EXPORT qxv::Result QXV_CALL DllInitRDCom(qxv::HostShell* shell);
}
