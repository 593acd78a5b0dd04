// The Pblur object outside the pass: parameters, commands, identity and the
// cached host objects it drops.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "blur/parameter_block.h"
#include "host/identifiers.h"
#include "module/counters.h"
#include "module/host_bridge.h"
#include "module/message_box.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

ParameterBlock& Params(Pblur* p) { return *static_cast<ParameterBlock*>(p->ops->GetData(p)); }

void ExpectDefaultParameters(const ParameterBlock& p) {
  EXPECT_EQ(p.commandCode, 0x4445464Fu);
  EXPECT_EQ(p.secondaryLayer, 1);
  EXPECT_EQ(p.resetPending, 1);
  EXPECT_EQ(p.streakLength, 5.0f);
  EXPECT_EQ(p.mainStrength, 5.0f);
  EXPECT_EQ(p.altLength, 5.0f);
  EXPECT_EQ(p.altStrength, 5.0f);
  EXPECT_EQ(p.echoCount, 1.0f);
  EXPECT_EQ(p.jitter, 0);
  EXPECT_EQ(p.depthTest, 0);
  EXPECT_EQ(p.reverseLength, 1.0f);
  EXPECT_EQ(p.trails, 0);
  EXPECT_EQ(p.trailFrames, 0.0f);
  EXPECT_EQ(p.activeTrailFrames, 0.0f);
  EXPECT_EQ(p.mode, 2);
}

class PblurObject : public ModuleTest {
 protected:
  // Every cached field and tagBuffer holding a buffer of its own.
  void FillCaches() {
    for (TileBuffer** field : CachedFields()) *field = NewBuffer();
    pblur_->tagBuffer = NewBuffer();
  }
  std::vector<TileBuffer**> CachedFields() {
    return {&pblur_->referenceTags,   &pblur_->referenceMatch1,
            &pblur_->referenceMatch2, &pblur_->referenceDepth,
            &pblur_->mainStreakLayer, &pblur_->secondaryStreakLayer,
            &pblur_->rowScratch};
  }
  static TileBuffer* NewBuffer() {
    sim::BufferSpec spec;
    spec.width = 4;
    spec.height = 2;
    return sim::NewTileBuffer(spec);
  }
  void DropTagBuffer() {
    if (pblur_->tagBuffer) ReleaseInterface(pblur_->tagBuffer);
    pblur_->tagBuffer = nullptr;
  }
};

TEST_F(PblurObject, NewObjectDefaultsAndFixedAnswers) {
  ExpectDefaultParameters(Params(pblur_));
  EXPECT_EQ(pblur_->ops->GetData(pblur_), static_cast<void*>(&pblur_->parameters));
  EXPECT_EQ(pblur_->ops->GetResourceId(pblur_), 128);
  EXPECT_EQ(pblur_->ops->ReservedQuery(pblur_), 0);
  for (TileBuffer** field : CachedFields()) EXPECT_EQ(*field, nullptr);
  EXPECT_EQ(pblur_->tagBuffer, nullptr);

  // InitExtension keeps nothing and asks the shell nothing.
  HostShell other = {sim::Shell()->ops};
  const std::size_t queries = sim::ShellQueries().size();
  EXPECT_EQ(pblur_->ops->InitExtension(pblur_, &other), S_OK);
  EXPECT_EQ(KeptShell(), sim::Shell());
  EXPECT_EQ(sim::ShellQueries().size(), queries);

  Pblur* fresh = NewPblur();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->ops->AddRef(fresh), 0u);
  EXPECT_EQ(fresh->ops->Release(fresh), 1u);
}

TEST_F(PblurObject, NeededBuffersFollowTheTwoFlags) {
  struct Case {
    std::uint8_t secondaryLayer, depthTest;
    std::uint32_t mask;
  };
  const Case cases[] = {
      {1, 0, 0x80700}, {1, 1, 0x80701}, {0, 0, 0x700}, {0, 1, 0x701}, {2, 0xFF, 0x80701},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "secondaryLayer " << int{c.secondaryLayer}
                                    << " depthTest " << int{c.depthTest});
    Params(pblur_).secondaryLayer = c.secondaryLayer;
    Params(pblur_).depthTest = c.depthTest;
    std::uint32_t mask = 0xFFFFFFFFu;
    EXPECT_EQ(pblur_->ops->GetNeededBuffers(pblur_, &mask, nullptr), S_OK);
    EXPECT_EQ(mask, c.mask);
  }
  EXPECT_EQ(pblur_->ops->GetNeededBuffers(pblur_, nullptr, nullptr), E_POINTER);
}

TEST_F(PblurObject, ApplyDataTurnsCommandsIntoModes) {
  struct Case {
    const char* name;
    std::uint32_t code;
    std::int16_t modeAfter;  // -1: as before
  };
  const Case cases[] = {
      {"NONE", 0x4E4F4E45, 1},
      {"ALLO", 0x414C4C4F, 2},
      {"SELO", 0x53454C4F, 3},
      {"SELN", 0x53454C4E, 4},
      {"DEFO", 0x4445464F, -1},
      {"defo", 0x6465666F, -1},
      {"OLES (SELO backwards)", 0x4F4C4553, -1},
      {"SELO with a stray top bit", 0xD3454C4F, -1},
      {"zero", 0, -1},
      {"all ones", 0xFFFFFFFFu, -1},
  };
  for (const Case& c : cases) {
    for (const std::int16_t startMode : {std::int16_t{1}, std::int16_t{4}, std::int16_t{9}}) {
      SCOPED_TRACE(testing::Message() << c.name << " from mode " << startMode);
      ParameterBlock& p = Params(pblur_);
      p.mode = startMode;
      p.commandCode = c.code;
      p.streakLength = 7.25f;
      const ParameterBlock before = p;
      EXPECT_EQ(pblur_->ops->ApplyData(pblur_), 0);
      EXPECT_EQ(p.mode, c.modeAfter < 0 ? startMode : c.modeAfter);
      EXPECT_EQ(p.commandCode, 0x4445464Fu);
      // Nothing else in the block moves.
      ParameterBlock expected = before;
      expected.mode = p.mode;
      expected.commandCode = p.commandCode;
      EXPECT_EQ(std::memcmp(&expected, &p, sizeof p), 0);
    }
  }
}

struct ShownBox {
  int count = 0;
  std::string text, caption;
  std::uint32_t style = 0;
  bool cachesHeldWhenShown = false;
};
ShownBox* shown = nullptr;
Pblur* shownFor = nullptr;

void RecordBox(void*, const char* text, const char* caption, std::uint32_t style) {
  ++shown->count;
  shown->text = text;
  shown->caption = caption;
  shown->style = style;
  shown->cachesHeldWhenShown = shownFor->referenceTags && shownFor->rowScratch;
}

TEST_F(PblurObject, HandleEventShowsTheCodeThenDropsTheCaches) {
  struct Case {
    std::uint32_t code;
    const char* text;
  };
  const Case cases[] = {
      {0x53454C4F, "SELO"},
      {0x41004243, "A"},  // ends at the first zero byte
      {0x00414243, ""},
      {0x20202021, "   !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FillCaches();
    const std::int32_t live = sim::LiveHostObjects();
    ShownBox box;
    shown = &box;
    shownFor = pblur_;
    SetMessageBoxHandler(RecordBox);
    EXPECT_EQ(pblur_->ops->HandleEvent(pblur_, static_cast<std::int32_t>(c.code)), S_OK);
    SetMessageBoxHandler(nullptr);
    shown = nullptr;
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.caption, "QXV Blur?");
    EXPECT_EQ(box.style, 0x1000u);
    EXPECT_TRUE(box.cachesHeldWhenShown) << "caches dropped before the box was shown";
    for (TileBuffer** field : CachedFields()) EXPECT_EQ(*field, nullptr);
    EXPECT_EQ(sim::LiveHostObjects(), live - 7) << "cached buffers not released";
    EXPECT_NE(pblur_->tagBuffer, nullptr) << "tagBuffer is not a cached object";
    DropTagBuffer();
  }
}

TEST_F(PblurObject, DestructionReleasesTheCaches) {
  const std::int32_t live = sim::LiveHostObjects();
  Pblur* other = NewPblurFromFactory();
  for (TileBuffer** field : {&other->referenceDepth, &other->secondaryStreakLayer}) {
    *field = NewBuffer();
  }
  EXPECT_EQ(sim::LiveHostObjects(), live + 2);
  EXPECT_EQ(other->ops->Release(other), 1u);
  EXPECT_EQ(sim::LiveHostObjects(), live);
  EXPECT_EQ(liveObjects, 1);
}

TEST_F(PblurObject, CloneOfAnEditedObjectHasTheDefaults) {
  FillCaches();
  ParameterBlock& p = Params(pblur_);
  std::memset(&p, 0x5A, sizeof p);
  Pblur* clone = static_cast<Pblur*>(pblur_->ops->Clone(pblur_));
  ASSERT_NE(clone, nullptr);
  EXPECT_NE(clone, pblur_);
  ExpectDefaultParameters(Params(clone));
  EXPECT_EQ(clone->referenceTags, nullptr) << "caches are not shared with a clone";
  EXPECT_EQ(clone->tagBuffer, nullptr);
  EXPECT_EQ(p.mode, 0x5A5A) << "cloning changed the original";
  EXPECT_EQ(liveObjects, 2);
  EXPECT_EQ(clone->ops->AddRef(clone), 1u) << "a clone comes with one reference";
  clone->ops->Release(clone);
  clone->ops->Release(clone);

  sim::FailAllocation(1, false);
  EXPECT_EQ(pblur_->ops->Clone(pblur_), nullptr);
  EXPECT_EQ(liveObjects, 1);
  DropTagBuffer();
}

TEST_F(PblurObject, QueryInterfaceAnswersItsFourIdentifiers) {
  struct Case {
    const char* name;
    const Guid* iid;
    bool answered;
  };
  const Case cases[] = {
      {"IUnknown", &kIID_IUnknown, true},
      {"post-renderer", &kIID_I3DExPostRenderer, true},
      {"data exchanger", &kIID_I3DExDataExchanger, true},
      {"extension", &kIID_I3DExtension, true},
      {"generic data", &kIID_I3DExGenericData, false},
      {"Pblur class", &kCLSID_Pblur, false},
      {"Weight class", &kCLSID_Weight, false},
      {"class factory", &kIID_IClassFactory, false},
      {"tile buffer", &kIID_TileBuffer, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* out = pblur_;
    const Result result = pblur_->ops->QueryInterface(pblur_, c.iid, &out);
    if (c.answered) {
      EXPECT_EQ(result, S_OK);
      EXPECT_EQ(out, pblur_);
      EXPECT_EQ(pblur_->ops->Release(pblur_), 2u);
    } else {
      EXPECT_EQ(result, E_NOINTERFACE);
      EXPECT_EQ(out, nullptr);
      EXPECT_EQ(pblur_->refCount, 1);
    }
  }
}

}  // namespace
}  // namespace qxv::test
