// The Weight component: its data block, its identity and its counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "host/identifiers.h"
#include "module/entry/class_factory.h"
#include "module/counters.h"
#include "module/host_bridge.h"
#include "tests/support/module_fixture.h"
#include "weight/weight.h"

namespace qxv::test {
namespace {

class WeightTest : public ModuleTest {
 protected:
  // A Weight from its factory, one reference.
  Weight* NewFromFactory() {
    ClassFactory* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(&kCLSID_Weight, &kIID_IClassFactory,
                                reinterpret_cast<void**>(&factory)),
              S_OK);
    Weight* weight = nullptr;
    EXPECT_EQ(factory->ops->CreateInstance(factory, nullptr, &kIID_I3DExGenericData,
                                           reinterpret_cast<void**>(&weight)),
              S_OK);
    factory->ops->Release(factory);
    return weight;
  }
  static WeightData& Data(Weight* w) { return *static_cast<WeightData*>(w->ops->GetData(w)); }
  static void ExpectDefaults(Weight* w) {
    const WeightData& d = Data(w);
    EXPECT_EQ(d.primaryWeight, 5.0f);
    EXPECT_EQ(d.secondaryWeight, 5.0f);
    EXPECT_EQ(d.groupChildren, 1);
  }
};

TEST_F(WeightTest, NewObjectHandsOutItsOwnDefaultBlock) {
  Weight* weight = NewFromFactory();
  ASSERT_NE(weight, nullptr);
  EXPECT_EQ(weight->ops->GetData(weight), static_cast<void*>(&weight->data));
  ExpectDefaults(weight);
  EXPECT_EQ(weight->ops->GetResourceId(weight), 129);
  EXPECT_EQ(weight->ops->ReservedQuery(weight), 0);
  // The host writes any value straight in; nothing is clamped on apply.
  Data(weight).primaryWeight = -1e30f;
  Data(weight).secondaryWeight = std::numeric_limits<float>::quiet_NaN();
  Data(weight).groupChildren = 0;
  EXPECT_EQ(weight->ops->ApplyData(weight), 0);
  EXPECT_EQ(Data(weight).primaryWeight, -1e30f);
  EXPECT_TRUE(std::isnan(Data(weight).secondaryWeight));
  EXPECT_EQ(Data(weight).groupChildren, 0);
  weight->ops->Release(weight);
}

TEST_F(WeightTest, QueryInterfaceAnswersExactlyFiveIdentifiers) {
  const Guid kNearWeight = {0x7C3E1A41, 0x5B2D, 0x4F6E,
                            {0x9A, 0x81, 0x2D, 0x4C, 0x6B, 0x8E, 0x0F, 0x10}};
  struct Case {
    const char* name;
    const Guid* iid;
    bool answered;
  };
  const Case cases[] = {
      {"IUnknown", &kIID_IUnknown, true},
      {"Weight class", &kCLSID_Weight, true},
      {"generic data", &kIID_I3DExGenericData, true},
      {"data exchanger", &kIID_I3DExDataExchanger, true},
      {"extension", &kIID_I3DExtension, true},
      {"post-renderer", &kIID_I3DExPostRenderer, false},
      {"class factory", &kIID_IClassFactory, false},
      {"Pblur class", &kCLSID_Pblur, false},
      {"scene node", &kIID_SceneNode, false},
      {"tile buffer", &kIID_TileBuffer, false},
      {"Weight class but the last byte", &kNearWeight, false},
  };
  Weight* weight = NewFromFactory();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* out = weight;  // must be overwritten with null when refused
    const Result result = weight->ops->QueryInterface(weight, c.iid, &out);
    if (c.answered) {
      EXPECT_EQ(result, S_OK);
      EXPECT_EQ(out, weight);
      // The answer carries its own reference: the count was 2 before this.
      EXPECT_EQ(weight->ops->Release(weight), 2u);
    } else {
      EXPECT_EQ(result, E_NOINTERFACE);
      EXPECT_EQ(out, nullptr);
      EXPECT_EQ(weight->refCount, 1);
    }
  }
  weight->ops->Release(weight);
}

TEST_F(WeightTest, CountsAreReportedAsTheyWereBeforeTheCall) {
  const std::int32_t blocks = sim::LiveBlocks();
  const std::int32_t live = liveObjects;
  Weight* weight = NewWeight();
  ASSERT_NE(weight, nullptr);
  EXPECT_EQ(liveObjects, live + 1);
  EXPECT_EQ(weight->refCount, 0);
  EXPECT_EQ(weight->ops->AddRef(weight), 0u);
  EXPECT_EQ(weight->ops->AddRef(weight), 1u);
  EXPECT_EQ(weight->ops->Release(weight), 2u);
  EXPECT_EQ(liveObjects, live + 1);
  EXPECT_EQ(weight->ops->Release(weight), 1u);
  EXPECT_EQ(liveObjects, live);
  EXPECT_EQ(sim::LiveBlocks(), blocks);
}

TEST_F(WeightTest, CloneStartsFromTheDefaults) {
  const std::int32_t live = liveObjects;
  Weight* weight = NewFromFactory();
  Data(weight) = WeightData{1.5f, 2.5f, 0, {9, 9, 9}};
  Weight* clone = static_cast<Weight*>(weight->ops->Clone(weight));
  ASSERT_NE(clone, nullptr);
  EXPECT_NE(clone, weight);
  ExpectDefaults(clone);
  EXPECT_EQ(Data(weight).primaryWeight, 1.5f) << "cloning changed the original";
  EXPECT_EQ(liveObjects, live + 2);
  EXPECT_EQ(clone->ops->AddRef(clone), 1u) << "a clone comes with one reference";
  clone->ops->Release(clone);
  clone->ops->Release(clone);

  sim::FailAllocation(1, false);
  EXPECT_EQ(weight->ops->Clone(weight), nullptr);
  EXPECT_EQ(liveObjects, live + 1);
  weight->ops->Release(weight);
}

TEST_F(WeightTest, HandleEventIsNotImplementedForAnyCode) {
  Weight* weight = NewFromFactory();
  const WeightData before = Data(weight);
  for (const std::int32_t code : {0, 1, -1, 0x53454C4F, 0x4E4F4E45,
                                  std::numeric_limits<std::int32_t>::min()}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(weight->ops->HandleEvent(weight, code), E_NOTIMPL);
  }
  EXPECT_EQ(std::memcmp(&before, &Data(weight), sizeof before), 0);
  weight->ops->Release(weight);
}

TEST_F(WeightTest, InitExtensionHandsTheShellOverAgain) {
  Weight* weight = NewFromFactory();
  // A second shell over the same host, so the hand-over can be told apart.
  HostShell other = {sim::Shell()->ops};
  const std::size_t before = sim::ShellQueries().size();
  EXPECT_EQ(weight->ops->InitExtension(weight, &other), S_OK);
  ASSERT_EQ(sim::ShellQueries().size(), before + 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(SameGuid(sim::ShellQueries()[before + i], kShellQueries[i])) << i;
  }
  EXPECT_EQ(KeptShell(), &other);
  EXPECT_NE(KeptFrameSetJump(), nullptr);
  EXPECT_EQ(InitShell(), sim::Shell()) << "only DllInitRDCom sets the pass's shell";

  // A null shell is accepted and changes nothing.
  EXPECT_EQ(weight->ops->InitExtension(weight, nullptr), S_OK);
  EXPECT_EQ(KeptShell(), &other);
  EXPECT_EQ(sim::ShellQueries().size(), before + 5);

  EXPECT_EQ(weight->ops->InitExtension(weight, sim::Shell()), S_OK);
  EXPECT_EQ(KeptShell(), sim::Shell());
  weight->ops->Release(weight);
}

}  // namespace
}  // namespace qxv::test
