// Pblur: the post-renderer object, its parameters and the host objects it
// keeps from one frame to the next.
#pragma once
#include <cstdint>

#include "blur/parameter_block.h"
#include "host/scene.h"
#include "host/tile_buffer.h"
#include "kernel/match_search.h"
#include "host/post_renderer.h"

namespace qxv {

// The object behind the post-renderer's table.
struct Pblur : PostRenderer {
  // Kept across frames; dropped together by ReleaseCachedObjects.
  TileBuffer* referenceTags;
  TileBuffer* referenceMatch1;
  TileBuffer* referenceMatch2;
  TileBuffer* referenceDepth;
  TileBuffer* mainStreakLayer;
  TileBuffer* secondaryStreakLayer;
  TileBuffer* rowScratch;
  // This frame's object tags; lives for one pass.
  TileBuffer* tagBuffer;
  std::uint32_t referenceTileIds[3];
  MatchSearchState search;  // objectBox, lastObject and the match index
  SceneObjectList* sceneObjects;  // borrowed from the latest PostRender
  std::int32_t refCount;
  ParameterBlock parameters;
};

constexpr std::int32_t kPblurResourceId = 128;
constexpr char kMessageCaption[] = "QXV Blur?";

// A new Pblur from host memory with count 0 and default parameters, or null.
Pblur* NewPblur();
void DestroyPblur(Pblur* pblur);
// Releases every cached host object (not tagBuffer) and nulls its field.
void ReleaseCachedObjects(Pblur* pblur);
// The BufferSet entries the pass reads.
std::uint32_t NeededBuffers(const ParameterBlock& p);

}  // namespace qxv
