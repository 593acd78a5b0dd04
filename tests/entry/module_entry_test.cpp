// The exports and the two class factories as the host's loader sees them.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/identifiers.h"
#include "module/entry/class_factory.h"
#include "module/counters.h"
#include "module/host_bridge.h"
#include "tests/support/module_fixture.h"
#include "weight/weight.h"

namespace qxv::test {
namespace {

// A value no call may leave behind unless it writes the out pointer.
void* const kUntouched = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x5A5A5A50));

class ModuleEntry : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    // Unloading questions are easier without the fixture's own object alive.
    pblur_->ops->Release(pblur_);
    pblur_ = nullptr;
  }
  void TearDown() override {
    serverLocks = 0;
    ModuleTest::TearDown();
  }
  ClassFactory* Factory(const Guid& clsid) {
    void* out = nullptr;
    EXPECT_EQ(DllGetClassObject(&clsid, &kIID_IClassFactory, &out), S_OK);
    return static_cast<ClassFactory*>(out);
  }
};

const Guid kUnknownClass = {0x7C3E1A42, 0x5B2D, 0x4F6E,
                            {0x9A, 0x81, 0x2D, 0x4C, 0x6B, 0x8E, 0x0F, 0x11}};
// Differs from the Weight class only in its last byte: identifiers compare whole.
const Guid kNearWeight = {0x7C3E1A41, 0x5B2D, 0x4F6E,
                          {0x9A, 0x81, 0x2D, 0x4C, 0x6B, 0x8E, 0x0F, 0x10}};

TEST_F(ModuleEntry, GetClassObjectResultCodes) {
  struct Case {
    const char* name;
    const Guid* clsid;
    const Guid* iid;
    bool nullOut;
    Result expected;
  };
  const Case cases[] = {
      {"Pblur, IClassFactory", &kCLSID_Pblur, &kIID_IClassFactory, false, S_OK},
      {"Pblur, IUnknown", &kCLSID_Pblur, &kIID_IUnknown, false, S_OK},
      {"Weight, IClassFactory", &kCLSID_Weight, &kIID_IClassFactory, false, S_OK},
      {"Weight, IUnknown", &kCLSID_Weight, &kIID_IUnknown, false, S_OK},
      {"unknown class", &kUnknownClass, &kIID_IClassFactory, false, E_FAIL},
      {"near-Weight class", &kNearWeight, &kIID_IClassFactory, false, E_FAIL},
      {"interface id as class", &kIID_IClassFactory, &kIID_IClassFactory, false, E_FAIL},
      {"unknown class, wrong iid", &kUnknownClass, &kIID_I3DExtension, false, E_FAIL},
      {"Pblur, post-renderer iid", &kCLSID_Pblur, &kIID_I3DExPostRenderer, false, E_NOINTERFACE},
      {"Weight, own class as iid", &kCLSID_Weight, &kCLSID_Weight, false, E_NOINTERFACE},
      {"Pblur, null out", &kCLSID_Pblur, &kIID_IClassFactory, true, E_POINTER},
      {"Weight, null out", &kCLSID_Weight, &kIID_IUnknown, true, E_POINTER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::int64_t allocations = sim::AllocationCount();
    void* out = kUntouched;
    const Result result = DllGetClassObject(c.clsid, c.iid, c.nullOut ? nullptr : &out);
    EXPECT_EQ(result, c.expected);
    if (result != S_OK) {
      EXPECT_EQ(out, kUntouched);
      EXPECT_EQ(sim::AllocationCount(), allocations) << "allocated for a refused call";
      continue;
    }
    ClassFactory* factory = static_cast<ClassFactory*>(out);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(liveObjects, 0) << "factories do not count as objects";
    // Handed out with one reference: the first Release destroys it.
    EXPECT_EQ(factory->ops->Release(factory), 0u);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ModuleEntry, FactoryAllocationFailureWritesNull) {
  for (const Guid* clsid : {&kCLSID_Pblur, &kCLSID_Weight}) {
    SCOPED_TRACE(clsid == &kCLSID_Pblur ? "Pblur" : "Weight");
    void* out = kUntouched;
    sim::FailAllocation(1, false);
    EXPECT_EQ(DllGetClassObject(clsid, &kIID_IClassFactory, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);

    // No shell kept: the same, and the host is not asked.
    ClearShell();
    out = kUntouched;
    const std::int64_t allocations = sim::AllocationCount();
    EXPECT_EQ(DllGetClassObject(clsid, &kIID_IUnknown, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(sim::AllocationCount(), allocations);
    DllInitRDCom(sim::Shell());
  }
}

TEST_F(ModuleEntry, EveryCallMakesAFreshFactoryCountingAfterTheChange) {
  const std::int32_t blocks = sim::LiveBlocks();
  ClassFactory* first = Factory(kCLSID_Weight);
  ClassFactory* second = Factory(kCLSID_Weight);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(sim::LiveBlocks(), blocks + 2);

  EXPECT_EQ(first->ops->AddRef(first), 2u);
  void* same = kUntouched;
  EXPECT_EQ(first->ops->QueryInterface(first, &kIID_IClassFactory, &same), S_OK);
  EXPECT_EQ(same, first);
  EXPECT_EQ(first->ops->QueryInterface(first, &kIID_IUnknown, &same), S_OK);
  EXPECT_EQ(same, first);
  same = kUntouched;
  EXPECT_EQ(first->ops->QueryInterface(first, &kIID_I3DExtension, &same), E_NOINTERFACE);
  EXPECT_EQ(same, nullptr);
  EXPECT_EQ(first->ops->Release(first), 3u);
  EXPECT_EQ(first->ops->Release(first), 2u);
  EXPECT_EQ(first->ops->Release(first), 1u);
  EXPECT_EQ(sim::LiveBlocks(), blocks + 2);
  EXPECT_EQ(first->ops->Release(first), 0u);
  EXPECT_EQ(sim::LiveBlocks(), blocks + 1);
  EXPECT_EQ(second->ops->Release(second), 0u);
  EXPECT_EQ(sim::LiveBlocks(), blocks);
}

TEST_F(ModuleEntry, ServerLocksBalanceAcrossBothFactoriesWithoutAFloor) {
  ClassFactory* pblurFactory = Factory(kCLSID_Pblur);
  ClassFactory* weightFactory = Factory(kCLSID_Weight);
  EXPECT_EQ(pblurFactory->ops->LockServer(pblurFactory, 1), S_OK);
  EXPECT_EQ(serverLocks, 1);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(weightFactory->ops->LockServer(weightFactory, 0), S_OK);
  EXPECT_EQ(serverLocks, 0);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);

  // An unbalanced unlock goes below zero, and that too keeps the module loaded.
  EXPECT_EQ(pblurFactory->ops->LockServer(pblurFactory, 0), S_OK);
  EXPECT_EQ(serverLocks, -1);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  // Any non-zero flag locks.
  EXPECT_EQ(weightFactory->ops->LockServer(weightFactory, -5), S_OK);
  EXPECT_EQ(serverLocks, 0);

  // Locks outlive the factories that took them.
  weightFactory->ops->LockServer(weightFactory, 1);
  pblurFactory->ops->Release(pblurFactory);
  weightFactory->ops->Release(weightFactory);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  serverLocks = 0;
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ModuleEntry, CanUnloadNowWhileObjectsOrTheirClonesLive) {
  ClassFactory* factory = Factory(kCLSID_Weight);
  Weight* weight = nullptr;
  ASSERT_EQ(factory->ops->CreateInstance(factory, nullptr, &kIID_IUnknown,
                                         reinterpret_cast<void**>(&weight)),
            S_OK);
  factory->ops->Release(factory);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  GenericData* clone = weight->ops->Clone(weight);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(liveObjects, 2);
  weight->ops->Release(weight);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "a clone alone keeps the module loaded";
  clone->ops->Release(clone);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);

  Pblur* pblur = NewPblurFromFactory();
  PostRenderer* pblurClone = pblur->ops->Clone(pblur);
  ASSERT_NE(pblurClone, nullptr);
  pblur->ops->Release(pblur);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  pblurClone->ops->Release(pblurClone);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ModuleEntry, CreateInstanceRulesOfBothFactories) {
  Unknown* outer = sim::NewOpaqueObject();
  struct Case {
    const char* name;
    const Guid* clsid;
    bool withOuter;
    const Guid* iid;
    Result expected;
    bool allocates;  // whether an object is made (and freed again on failure)
  };
  const Case cases[] = {
      {"Weight, IUnknown", &kCLSID_Weight, false, &kIID_IUnknown, S_OK, true},
      {"Weight, own class", &kCLSID_Weight, false, &kCLSID_Weight, S_OK, true},
      {"Weight, generic data", &kCLSID_Weight, false, &kIID_I3DExGenericData, S_OK, true},
      {"Weight, data exchanger", &kCLSID_Weight, false, &kIID_I3DExDataExchanger, S_OK, true},
      {"Weight, extension", &kCLSID_Weight, false, &kIID_I3DExtension, S_OK, true},
      {"Weight, outer + IUnknown", &kCLSID_Weight, true, &kIID_IUnknown, S_OK, true},
      {"Weight, outer + extension", &kCLSID_Weight, true, &kIID_I3DExtension, E_NOINTERFACE,
       false},
      {"Weight, post-renderer", &kCLSID_Weight, false, &kIID_I3DExPostRenderer, E_NOINTERFACE,
       true},
      {"Weight, near-Weight class", &kCLSID_Weight, false, &kNearWeight, E_NOINTERFACE, true},
      {"Pblur, IUnknown", &kCLSID_Pblur, false, &kIID_IUnknown, S_OK, true},
      {"Pblur, post-renderer", &kCLSID_Pblur, false, &kIID_I3DExPostRenderer, S_OK, true},
      {"Pblur, outer + IUnknown", &kCLSID_Pblur, true, &kIID_IUnknown, S_OK, true},
      {"Pblur, outer + post-renderer", &kCLSID_Pblur, true, &kIID_I3DExPostRenderer,
       E_NOINTERFACE, false},
      {"Pblur, extension", &kCLSID_Pblur, false, &kIID_I3DExtension, E_NOINTERFACE, false},
      {"Pblur, data exchanger", &kCLSID_Pblur, false, &kIID_I3DExDataExchanger, E_NOINTERFACE,
       false},
      {"Pblur, Weight class", &kCLSID_Pblur, false, &kCLSID_Weight, E_NOINTERFACE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClassFactory* factory = Factory(*c.clsid);
    ASSERT_NE(factory, nullptr);
    const std::int32_t blocks = sim::LiveBlocks();
    const std::int64_t allocations = sim::AllocationCount();
    const std::uint32_t outerRefs = sim::RefCount(outer);
    void* out = kUntouched;
    EXPECT_EQ(factory->ops->CreateInstance(factory, c.withOuter ? outer : nullptr, c.iid, &out),
              c.expected);
    EXPECT_EQ(sim::AllocationCount() - allocations, c.allocates ? 1 : 0);
    EXPECT_EQ(sim::RefCount(outer), outerRefs) << "the outer object is never touched";
    if (c.expected != S_OK) {
      EXPECT_EQ(out, nullptr);
      EXPECT_EQ(liveObjects, 0);
      EXPECT_EQ(sim::LiveBlocks(), blocks);
    } else {
      ASSERT_NE(out, nullptr);
      ASSERT_NE(out, kUntouched);
      EXPECT_EQ(liveObjects, 1);
      Unknown* object = static_cast<Unknown*>(out);
      // Not aggregated: it answers IUnknown with itself, and holds one reference.
      void* self = nullptr;
      EXPECT_EQ(object->ops->QueryInterface(object, &kIID_IUnknown, &self), S_OK);
      EXPECT_EQ(self, object);
      EXPECT_EQ(object->ops->Release(object), 2u);
      EXPECT_EQ(object->ops->Release(object), 1u);
      EXPECT_EQ(liveObjects, 0);
      EXPECT_EQ(sim::LiveBlocks(), blocks);
    }
    factory->ops->Release(factory);
  }
  ReleaseInterface(outer);
}

TEST_F(ModuleEntry, CreateInstanceAllocationFailure) {
  for (const Guid* clsid : {&kCLSID_Pblur, &kCLSID_Weight}) {
    SCOPED_TRACE(clsid == &kCLSID_Pblur ? "Pblur" : "Weight");
    ClassFactory* factory = Factory(*clsid);
    const std::int32_t blocks = sim::LiveBlocks();
    void* out = kUntouched;
    sim::FailAllocation(1, false);
    EXPECT_EQ(factory->ops->CreateInstance(factory, nullptr, &kIID_IUnknown, &out),
              E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(liveObjects, 0);
    EXPECT_EQ(sim::LiveBlocks(), blocks);
    factory->ops->Release(factory);
  }
}

}  // namespace
}  // namespace qxv::test
