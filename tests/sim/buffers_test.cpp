#include <gtest/gtest.h>

#include <vector>

#include "host/identifiers.h"
#include "sim/buffers.h"
#include "sim/host.h"
#include "sim/objects.h"
#include "sim/view.h"

namespace qxv::sim {
namespace {

constexpr Rect16 kEverything = {0, 0, 32000, 32000};

std::vector<std::uint32_t> TileIds(TileBuffer* b, const Rect16& region) {
  TileIterator* it = b->ops->NewTileIterator(b, &region);
  std::vector<std::uint32_t> ids;
  std::uint32_t id = 0;
  while (it->ops->NextTile(it, 1, &id, nullptr) == 0) ids.push_back(id);
  it->ops->Release(it);
  return ids;
}

std::vector<std::uint32_t> Ramp(std::uint32_t w, std::uint32_t h) {
  std::vector<std::uint32_t> v;
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) v.push_back(1000 + 100 * y + x);
  }
  return v;
}

TEST(SimBuffers, EdgeTilesAreFullSizeAndReachPastTheBuffer) {
  BufferSpec spec;
  spec.width = 10, spec.height = 7, spec.tileWidth = 4, spec.tileHeight = 3;
  spec.formatTag = 5, spec.optionTag = 6;
  TileBuffer* b = NewTileBuffer(spec);
  std::uint32_t v[5] = {};
  b->ops->GetInfo(b, &v[0], &v[1], &v[2], &v[3], &v[4]);
  EXPECT_EQ(std::vector<std::uint32_t>(v, v + 5), (std::vector<std::uint32_t>{10, 7, 32, 5, 6}));
  b->ops->GetTileGeometry(b, &v[0], &v[1], &v[2], &v[3]);
  EXPECT_EQ(std::vector<std::uint32_t>(v, v + 4), (std::vector<std::uint32_t>{4, 3, 0, 32}));

  const std::vector<std::uint32_t> ids = TileIds(b, kEverything);
  ASSERT_EQ(ids.size(), 9u);
  Rect16 r = {};
  for (std::size_t i = 0; i < ids.size(); ++i) {
    EXPECT_NE(ids[i], i);
    ASSERT_EQ(b->ops->GetTileRect(b, ids[i], &r), S_OK);
    EXPECT_EQ(r.top, static_cast<std::int16_t>(3 * (i / 3)));  // row-major tile order
    EXPECT_EQ(r.left, static_cast<std::int16_t>(4 * (i % 3)));
    EXPECT_EQ(r.bottom - r.top, 3);
    EXPECT_EQ(r.right - r.left, 4);
  }
  EXPECT_EQ(r.bottom, 9);
  EXPECT_EQ(r.right, 12);

  // Rows of tileWidth elements, also in the last tile.
  WriteElement(b, 9, 6, 77);
  b->ops->LockTile(b, ids[8]);
  const std::uint32_t* last = b->ops->GetTileData(b, ids[8]);
  EXPECT_EQ(last[1], 77u);
  EXPECT_EQ(last[4 * 3 - 1], 0u);
  b->ops->UnlockTile(b, ids[8]);

  // Only the tiles meeting a region.
  EXPECT_EQ(TileIds(b, Rect16{3, 4, 4, 5}), (std::vector<std::uint32_t>{ids[4]}));
  EXPECT_EQ(TileIds(b, Rect16{2, 3, 4, 5}),
            (std::vector<std::uint32_t>{ids[0], ids[1], ids[3], ids[4]}));

  Fill(b, Ramp(10, 7));
  EXPECT_EQ(Snapshot(b), Ramp(10, 7));
  EXPECT_EQ(ReadElement(b, 10, 0), 0u);
  ReleaseInterface(b);
}

// The option of a host that cuts its edge tiles to the buffer: rectangles
// end at the buffer's edge and memory rows are as long as the rectangle is
// wide; the cursor and the test's accessors see the same pixels.
TEST(SimBuffers, EdgeTilesCutToTheBufferHaveRowsOfTheirOwnWidth) {
  BufferSpec spec;
  spec.width = 10, spec.height = 7, spec.tileWidth = 4, spec.tileHeight = 3;
  spec.cutEdgeTiles = true;
  TileBuffer* b = NewTileBuffer(spec);
  std::uint32_t v[4] = {};
  b->ops->GetTileGeometry(b, &v[0], &v[1], &v[2], &v[3]);
  EXPECT_EQ(v[0], 4u);  // the nominal tile size is still reported
  EXPECT_EQ(v[1], 3u);

  const std::vector<std::uint32_t> ids = TileIds(b, kEverything);
  ASSERT_EQ(ids.size(), 9u);
  const std::int16_t rights[] = {4, 8, 10}, bottoms[] = {3, 6, 7};
  for (std::size_t i = 0; i < ids.size(); ++i) {
    SCOPED_TRACE(i);
    Rect16 r = {};
    ASSERT_EQ(b->ops->GetTileRect(b, ids[i], &r), S_OK);
    EXPECT_EQ(r.right, rights[i % 3]);
    EXPECT_EQ(r.bottom, bottoms[i / 3]);
  }

  Fill(b, Ramp(10, 7));
  b->ops->LockTile(b, ids[5]);  // x 8-9, y 3-5: rows of 2
  const std::uint32_t* edge = b->ops->GetTileData(b, ids[5]);
  EXPECT_EQ(std::vector<std::uint32_t>(edge, edge + 6),
            (std::vector<std::uint32_t>{1308, 1309, 1408, 1409, 1508, 1509}));
  b->ops->UnlockTile(b, ids[5]);
  b->ops->SeekPixel(b, 7, 4);
  for (std::uint32_t x = 7; x < 10; ++x) {
    std::uint32_t value = 0;
    b->ops->ReadPixel(b, &value);
    EXPECT_EQ(value, 1400 + x);
    b->ops->NextPixel(b);
  }
  EXPECT_EQ(Snapshot(b), Ramp(10, 7));
  ReleaseInterface(b);
}

TEST(SimBuffers, CursorWalksAcrossTilesAndReportsOnlyAccessOutside) {
  BufferSpec spec;
  spec.width = 10, spec.height = 7, spec.tileWidth = 4, spec.tileHeight = 3;
  TileBuffer* b = NewTileBuffer(spec);
  Fill(b, Ramp(10, 7));
  ResetBadAccesses();
  b->ops->SeekPixel(b, 0, 4);
  for (std::uint32_t x = 0; x < 10; ++x) {
    std::uint32_t value = 0;
    ASSERT_EQ(b->ops->ReadPixel(b, &value), S_OK);
    EXPECT_EQ(value, 1400 + x);
    EXPECT_EQ(b->ops->PixelAtCursor(b), 1400 + x);
    b->ops->NextPixel(b);
  }
  b->ops->NextPixel(b);
  EXPECT_EQ(BadAccesses(), 0);
  std::uint32_t value = 123;
  EXPECT_NE(b->ops->ReadPixel(b, &value), S_OK);
  EXPECT_EQ(value, 0u);
  const std::uint32_t nine = 9;
  b->ops->WritePixel(b, &nine);
  b->ops->SeekPixel(b, -1, 0);
  b->ops->ReadPixel(b, &value);
  EXPECT_EQ(BadAccesses(), 3);

  b->ops->SeekPixel(b, 7, 6);
  b->ops->WritePixel(b, &nine);
  EXPECT_EQ(ReadElement(b, 7, 6), 9u);
  EXPECT_EQ(b->ops->PixelAtCursor(b), 9u);  // the cursor stays
  ReleaseInterface(b);
}

TEST(SimBuffers, LocksAndTileIdsAreCheckedAndCounted) {
  BufferSpec spec;
  spec.width = 8, spec.height = 8, spec.tileWidth = 4, spec.tileHeight = 4;
  TileBuffer* b = NewTileBuffer(spec);
  const std::vector<std::uint32_t> ids = TileIds(b, kEverything);
  const std::int32_t lockedBefore = LockedTiles();
  ResetBadAccesses();
  b->ops->LockTile(b, ids[1]);
  b->ops->LockTile(b, ids[1]);
  b->ops->LockTile(b, ids[2]);
  EXPECT_EQ(LockedTiles(), lockedBefore + 2);
  b->ops->UnlockTile(b, ids[1]);
  EXPECT_EQ(LockedTiles(), lockedBefore + 2);
  b->ops->UnlockTile(b, ids[1]);
  b->ops->UnlockTile(b, ids[2]);
  EXPECT_EQ(LockedTiles(), lockedBefore);
  EXPECT_EQ(BadAccesses(), 0);

  EXPECT_NE(b->ops->GetTileData(b, ids[0]), nullptr);  // not locked: misuse
  EXPECT_NE(b->ops->UnlockTile(b, ids[0]), S_OK);
  EXPECT_EQ(b->ops->GetTileData(b, 0), nullptr);  // an index is not an id
  EXPECT_NE(b->ops->LockTile(b, ids[3] + 1), S_OK);
  EXPECT_EQ(BadAccesses(), 4);

  // Storage stays put while the buffer lives; dying with a lock held is fine.
  b->ops->LockTile(b, ids[3]);
  std::uint32_t* data = b->ops->GetTileData(b, ids[3]);
  Fill(b, Ramp(8, 8));
  EXPECT_EQ(b->ops->GetTileData(b, ids[3]), data);
  EXPECT_EQ(data[4 * 3 + 3], 1000u + 700 + 7);
  ReleaseInterface(b);
  EXPECT_EQ(LockedTiles(), lockedBefore);
}

TEST(SimBuffers, ReferencesQueriesAndIteratorsKeepingTheirBuffer) {
  const std::int32_t live = LiveHostObjects();
  BufferSpec spec;
  spec.width = 3, spec.height = 2;
  TileBuffer* b = NewTileBuffer(spec);
  TiledImage* image = NewTiledImage(spec);
  Unknown* opaque = NewOpaqueObject();
  EXPECT_EQ(LiveHostObjects(), live + 3);

  void* out = nullptr;
  EXPECT_EQ(b->ops->QueryInterface(b, &kIID_TileBuffer, &out), S_OK);
  EXPECT_EQ(out, b);
  EXPECT_EQ(RefCount(AsUnknown(b)), 2u);
  EXPECT_EQ(b->ops->Release(b), 1u);
  EXPECT_EQ(b->ops->QueryInterface(b, &kIID_TiledImage, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(image->ops->QueryInterface(image, &kIID_TiledImage, &out), S_OK);
  EXPECT_EQ(image->ops->Release(image), 1u);
  EXPECT_EQ(image->ops->QueryInterface(image, &kIID_TileBuffer, &out), E_NOINTERFACE);
  EXPECT_EQ(opaque->ops->QueryInterface(opaque, &kIID_TileBuffer, &out), E_NOINTERFACE);
  EXPECT_EQ(opaque->ops->QueryInterface(opaque, &kIID_IUnknown, &out), S_OK);
  EXPECT_EQ(opaque->ops->Release(opaque), 1u);

  TileIterator* it = b->ops->NewTileIterator(b, &kEverything);
  EXPECT_EQ(RefCount(AsUnknown(it)), 1u);
  EXPECT_EQ(RefCount(AsUnknown(b)), 2u);
  EXPECT_EQ(b->ops->Release(b), 1u);  // the iterator's reference keeps it
  std::uint32_t id = 0;
  EXPECT_EQ(it->ops->NextTile(it, 1, &id, nullptr), 0);
  EXPECT_NE(it->ops->NextTile(it, 1, &id, nullptr), 0);
  EXPECT_EQ(LiveHostObjects(), live + 4);
  EXPECT_EQ(it->ops->Release(it), 0u);
  EXPECT_EQ(LiveHostObjects(), live + 2);
  EXPECT_EQ(RefCount(AsUnknown(b)), 0u);  // gone

  EXPECT_EQ(image->ops->Release(image), 0u);
  EXPECT_EQ(opaque->ops->Release(opaque), 0u);
  EXPECT_EQ(LiveHostObjects(), live);
}

TEST(SimBuffers, CreatedObjectsStartEmptyAndInitializeToOneTile) {
  const std::int32_t live = LiveHostObjects();
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateHostObject(kCLSID_TileBuffer, kIID_TiledImage, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(CreateHostObject(kIID_TileBuffer, kIID_TileBuffer, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);

  ResetHost();
  ASSERT_EQ(Shell()->ops->CreateHostObject(Shell(), &kCLSID_TileBuffer, nullptr, 0,
                                           &kIID_TileBuffer, &out),
            S_OK);
  EXPECT_EQ(HostCallCount(), 1);
  TileBuffer* b = static_cast<TileBuffer*>(out);
  std::uint32_t w = 9, h = 9;
  b->ops->GetInfo(b, &w, &h, nullptr, nullptr, nullptr);
  EXPECT_EQ(w + h, 0u);
  EXPECT_TRUE(TileIds(b, kEverything).empty());

  Fill(b, {});
  b->ops->Initialize(b, 6, 5, 32, 11, 12);
  std::uint32_t v[5] = {};
  b->ops->GetTileGeometry(b, &v[0], &v[1], &v[2], &v[3]);
  EXPECT_EQ(std::vector<std::uint32_t>(v, v + 4), (std::vector<std::uint32_t>{6, 5, 0, 32}));
  b->ops->GetInfo(b, &v[0], &v[1], &v[2], &v[3], &v[4]);
  EXPECT_EQ(std::vector<std::uint32_t>(v, v + 5), (std::vector<std::uint32_t>{6, 5, 32, 11, 12}));
  EXPECT_EQ(TileIds(b, kEverything).size(), 1u);
  EXPECT_EQ(Snapshot(b), std::vector<std::uint32_t>(30, 0));
  b->ops->Initialize(b, 0, 4, 32, 0, 0);  // zero sizes: zero tiles
  EXPECT_TRUE(TileIds(b, kEverything).empty());
  ReleaseInterface(b);

  ASSERT_EQ(CreateHostObject(kCLSID_TiledImage, kIID_TiledImage, &out), S_OK);
  TiledImage* icon = static_cast<TiledImage*>(out);
  icon->ops->InitializeImage(icon, 16, 8, 32);
  WriteElement(icon, 15, 7, 42);
  icon->ops->SeekPixel(icon, 14, 7);
  icon->ops->NextPixel(icon);
  std::uint32_t value = 0;
  icon->ops->ReadPixel(icon, &value);
  EXPECT_EQ(value, 42u);
  ReleaseInterface(icon);
  EXPECT_EQ(LiveHostObjects(), live);
}

struct FaultyRead {
  TileBuffer* buffer;
  bool finished;
};

TEST(SimBuffers, EveryOperationIsAHostCallThatMayRaise) {
  BufferSpec spec;
  spec.width = 4, spec.height = 4;
  TileBuffer* b = NewTileBuffer(spec);
  ResetHost();
  std::uint32_t value = 0;
  b->ops->SeekPixel(b, 0, 0);
  b->ops->ReadPixel(b, &value);
  b->ops->NextPixel(b);
  b->ops->AddRef(b);
  b->ops->Release(b);
  EXPECT_EQ(HostCallCount(), 5);

  FaultyRead read = {b, false};
  FailAtHostCall(2, -7, 3);
  std::int32_t error = 0, detail = 0;
  const bool ok = RunInHostFrame(
      [](void* context) {
        FaultyRead* r = static_cast<FaultyRead*>(context);
        std::uint32_t pixel = 0;
        r->buffer->ops->SeekPixel(r->buffer, 1, 1);
        r->buffer->ops->ReadPixel(r->buffer, &pixel);
        r->finished = true;
      },
      &read, &error, &detail);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(read.finished);
  EXPECT_EQ(error, -7);
  EXPECT_EQ(detail, 3);
  ResetHost();
  ReleaseInterface(b);
}

TEST(SimView, RecordsEveryShownRegion) {
  RenderView* view = NewRenderView();
  BufferSpec spec;
  spec.width = 2, spec.height = 2;
  TiledImage* image = NewTiledImage(spec);
  const Rect16 source = {0, 0, 2, 2};
  const Rect32 destination = {64, 32, 66, 34};
  view->ops->ShowRegion(view, image, &source, &destination);
  view->ops->ShowRegion(view, nullptr, &source, &destination);
  ASSERT_EQ(ShownRegions(view).size(), 2u);
  EXPECT_EQ(ShownRegions(view)[0].image, image);
  EXPECT_EQ(ShownRegions(view)[0].source.right, 2);
  EXPECT_EQ(ShownRegions(view)[0].destination.top, 64);
  EXPECT_EQ(ShownRegions(view)[1].image, nullptr);
  ClearShownRegions(view);
  EXPECT_TRUE(ShownRegions(view).empty());
  ReleaseInterface(image);
  ReleaseInterface(view);
}

}  // namespace
}  // namespace qxv::sim
