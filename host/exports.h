// The module's three entry points, with C linkage and the host's calling
// convention (__stdcall on 32-bit Windows), exported by these names only.
#pragma once
#include "host/callconv.h"
#include "host/export.h"
#include "host/guid.h"
#include "host/host_shell.h"
#include "host/result.h"

extern "C" {
// A fresh class factory for Pblur or Weight with one reference, written to
// *out. E_FAIL for a class the module does not serve and E_NOINTERFACE for
// an identifier other than IUnknown and IClassFactory (*out untouched);
// E_OUTOFMEMORY (*out null) when the host gives no memory; E_POINTER for a
// null argument. The caller releases the factory.
QXV_EXPORT qxv::Result QXV_CALL DllGetClassObject(const qxv::Guid* clsid, const qxv::Guid* iid,
                                                  void** out);
// S_OK when no object of the module is alive and no server lock is held,
// S_FALSE otherwise.
QXV_EXPORT qxv::Result QXV_CALL DllCanUnloadNow();
// Hands over the host's shell, which the module borrows for its lifetime
// (never released). Always S_OK, a null shell included.
QXV_EXPORT qxv::Result QXV_CALL DllInitRDCom(qxv::HostShell* shell);
}
