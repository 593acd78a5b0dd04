#include "host/exports.h"

#include "host/identifiers.h"
#include "module/counters.h"
#include "module/entry/class_factory.h"
#include "module/host_bridge.h"

using namespace qxv;

extern "C" {

QXV_EXPORT Result QXV_CALL DllInitRDCom(HostShell* shell) {
  StoreShell(shell);
  SetInitShell(shell);
  return S_OK;
}

QXV_EXPORT Result QXV_CALL DllGetClassObject(const Guid* clsid, const Guid* iid, void** out) {
  if (!clsid || !iid) return E_POINTER;
  const ClassFactoryOps* ops = FactoryOpsFor(*clsid);
  if (!ops) return E_FAIL;
  if (!SameGuid(*iid, kIID_IUnknown) && !SameGuid(*iid, kIID_IClassFactory)) {
    return E_NOINTERFACE;
  }
  // A null out pointer would make the host crash on the write below.
  if (!out) return E_POINTER;
  ClassFactory* factory = NewClassFactory(ops);
  *out = factory;
  if (!factory) return E_OUTOFMEMORY;
  factory->ops->AddRef(factory);
  return S_OK;
}

QXV_EXPORT Result QXV_CALL DllCanUnloadNow() {
  return (liveObjects == 0 && serverLocks == 0) ? S_OK : S_FALSE;
}

}  // extern "C"
