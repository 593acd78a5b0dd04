// A fresh simulated host with the module's shell handed over, and helpers
// to drive the module as the host does.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "blur/pblur.h"
#include "host/buffer_set.h"
#include "host/identifiers.h"
#include "module/entry/exports.h"
#include "sim/buffers.h"
#include "sim/host.h"
#include "sim/objects.h"
#include "sim/scene.h"
#include "sim/view.h"

namespace qxv::test {

// The previous frame's counters, so each test starts from a clean host.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A Pblur made through the exports and its factory, one reference.
  Pblur* NewPblurFromFactory();
  Pblur* pblur_ = nullptr;
  // Where passes show their progress.
  RenderView* view_ = nullptr;
  std::int32_t baselineObjects_ = 0;
  std::int32_t baselineBlocks_ = 0;
};

// What the host renders for one frame: the image and the per-pixel buffers.
struct Frame {
  std::uint32_t width = 0, height = 0;
  TiledImage* image = nullptr;
  TileBuffer* objectIndex = nullptr;
  TileBuffer* match1 = nullptr;
  TileBuffer* match2 = nullptr;
  TileBuffer* depth = nullptr;
  TileBuffer* alternate = nullptr;
  std::array<Unknown*, kBufferKindCount> set{};

  Frame(std::uint32_t w, std::uint32_t h, std::uint32_t tileWidth = 0, std::uint32_t tileHeight = 0,
        std::uint32_t pixelDepth = 32);
  ~Frame();
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  // Fills the background colour everywhere (index 0).
  void Clear(std::uint32_t colour);
  // A rectangle of one object; match values are the pixel's place on the
  // object's surface, so the same surface point keeps them between frames.
  void DrawRect(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h,
                std::uint32_t index, std::uint32_t colour, std::uint32_t depth = 100,
                std::uint32_t alternate = 0);
  std::uint32_t Pixel(std::uint32_t x, std::uint32_t y) const;
  // Hands over the buffer of one kind tiled otherwise (0: one tile that way),
  // with the same values.
  void Retile(int kind, std::uint32_t tileWidth, std::uint32_t tileHeight);
};

// Calls PostRender below a host frame; a failure that reaches it is reported.
struct PassOutcome {
  bool completed;
  Result result;
  std::int32_t error;
  std::int32_t detail;
};
PassOutcome RunPass(Pblur* pblur, SceneObjectList* scene, Frame& frame, RenderView* view);

}  // namespace qxv::test
