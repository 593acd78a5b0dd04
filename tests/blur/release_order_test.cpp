// The order in which Pblur lets go of the host objects it keeps across
// frames: the host sees the Release calls one by one, and a host that frees
// buffers in a pool may depend on their order.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "module/message_box.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

// A buffer that only counts its references and notes its last Release in a
// shared log; the pass is never run on it.
struct RecordingBuffer {
  TileBuffer base;
  int name;
  std::uint32_t count;
  std::vector<int>* log;
};

std::uint32_t QXV_CALL RecordingRelease(TileBuffer* self) {
  RecordingBuffer* b = reinterpret_cast<RecordingBuffer*>(self);
  const std::uint32_t before = b->count--;
  if (b->count == 0) b->log->push_back(b->name);
  return before;
}

TileBufferOps RecordingOps() {
  TileBufferOps ops = {};
  ops.Release = RecordingRelease;
  return ops;
}
const TileBufferOps kRecordingOps = RecordingOps();

// Names in the order the fields must be released; tagBuffer is 8.
enum : int { kTags = 1, kMatch1, kMatch2, kDepth, kMain, kSecondary, kScratch, kTagBuffer };

class ReleaseOrder : public ModuleTest {
 protected:
  // Fills the fields in an order unlike the release order, so that an
  // implementation releasing by age fails too.
  void Fill(Pblur* pblur) {
    for (int i = 0; i < 8; ++i) buffers_[i] = {{&kRecordingOps}, i + 1, 1u, &log_};
    pblur->rowScratch = &buffers_[kScratch - 1].base;
    pblur->secondaryStreakLayer = &buffers_[kSecondary - 1].base;
    pblur->mainStreakLayer = &buffers_[kMain - 1].base;
    pblur->referenceDepth = &buffers_[kDepth - 1].base;
    pblur->referenceMatch2 = &buffers_[kMatch2 - 1].base;
    pblur->referenceMatch1 = &buffers_[kMatch1 - 1].base;
    pblur->referenceTags = &buffers_[kTags - 1].base;
    pblur->tagBuffer = &buffers_[kTagBuffer - 1].base;
  }
  RecordingBuffer buffers_[8] = {};
  std::vector<int> log_;
};

const std::vector<int> kAllSeven = {kTags, kMatch1, kMatch2, kDepth, kMain, kSecondary, kScratch};

TEST_F(ReleaseOrder, CachedFieldsGoInTheirFixedOrderAndTagBufferStays) {
  Fill(pblur_);
  ReleaseCachedObjects(pblur_);
  EXPECT_EQ(log_, kAllSeven);
  EXPECT_EQ(buffers_[kTagBuffer - 1].count, 1u) << "tagBuffer is not a cached object";
  pblur_->tagBuffer = nullptr;
}

TEST_F(ReleaseOrder, MissingFieldsAreSkippedWithoutDisturbingTheOrder) {
  Fill(pblur_);
  pblur_->referenceMatch1 = nullptr;
  pblur_->referenceDepth = nullptr;
  pblur_->rowScratch = nullptr;
  ReleaseCachedObjects(pblur_);
  EXPECT_EQ(log_, (std::vector<int>{kTags, kMatch2, kMain, kSecondary}));
  pblur_->tagBuffer = nullptr;
}

TEST_F(ReleaseOrder, HandleEventAndDestructionUseTheSameOrder) {
  SetMessageBoxHandler(
      [](void*, const char*, const char*, std::uint32_t) {});
  Fill(pblur_);
  pblur_->ops->HandleEvent(pblur_, 0x53454C4F);
  SetMessageBoxHandler(nullptr);
  EXPECT_EQ(log_, kAllSeven);
  pblur_->tagBuffer = nullptr;

  log_.clear();
  Pblur* other = NewPblurFromFactory();
  Fill(other);
  other->tagBuffer = nullptr;
  other->ops->Release(other);
  EXPECT_EQ(log_, kAllSeven);
}

}  // namespace
}  // namespace qxv::test
