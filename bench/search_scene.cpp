#include "bench/search_scene.h"

#include <cstdlib>
#include <vector>

#include "blur/pass_objects.h"
#include "host/identifiers.h"
#include "kernel/match_search.h"
#include "blur/previous_position.h"
#include "module/entry/class_factory.h"
#include "host/exports.h"
#include "sim/buffers.h"
#include "sim/host.h"
#include "blur/search_host.h"

namespace qxv::bench {
namespace {

constexpr std::uint32_t kObject = 1u;
// Off by 5/16 and 3/16 of a pixel: one nearest pixel, never an exact one.
constexpr std::uint32_t kOffset1 = 0x5000u, kOffset2 = 0x3000u;

TileBuffer* Filled(std::uint32_t size, const std::vector<std::uint32_t>& values) {
  sim::BufferSpec spec;
  spec.width = spec.height = size;
  TileBuffer* b = sim::NewTileBuffer(spec);
  sim::Fill(b, values);
  return b;
}

}  // namespace

SearchScene::SearchScene(int side) : side_(side) {
  DllInitRDCom(sim::Shell());
  ClassFactory* factory = nullptr;
  DllGetClassObject(&kCLSID_Pblur, &kIID_IClassFactory, reinterpret_cast<void**>(&factory));
  factory->ops->CreateInstance(factory, nullptr, &kIID_I3DExPostRenderer,
                               reinterpret_cast<void**>(&pblur_));
  factory->ops->Release(factory);
  const std::uint32_t size = static_cast<std::uint32_t>(side + 2 * kMargin);
  std::vector<std::uint32_t> tags(size * size, 0u), m1(tags), m2(tags);
  for (int v = 0; v < side; ++v) {
    for (int u = 0; u < side; ++u) {
      const std::size_t at = static_cast<std::size_t>(v + kMargin) * size + u + kMargin;
      tags[at] = kObject;
      m1[at] = static_cast<std::uint32_t>(u) << 16;
      m2[at] = static_cast<std::uint32_t>(v) << 16;
    }
  }
  // The Pblur owns them from here and releases them when it goes.
  pblur_->referenceTags = Filled(size, tags);
  pblur_->referenceMatch1 = Filled(size, m1);
  pblur_->referenceMatch2 = Filled(size, m2);
  TileBuffer* const references[3] = {pblur_->referenceTags, pblur_->referenceMatch1,
                                     pblur_->referenceMatch2};
  for (int i = 0; i < 3; ++i) {
    if (!TakeFirstTile(references[i], &scratch_, &pblur_->referenceTileIds[i])) std::abort();
    references[i]->ops->LockTile(references[i], pblur_->referenceTileIds[i]);
  }
}

SearchScene::~SearchScene() {
  TileBuffer* const references[3] = {pblur_->referenceTags, pblur_->referenceMatch1,
                                     pblur_->referenceMatch2};
  for (int i = 0; i < 3; ++i) {
    references[i]->ops->UnlockTile(references[i], pblur_->referenceTileIds[i]);
  }
  pblur_->ops->Release(pblur_);
}

void SearchScene::Begin() {
  pblur_->search.lastObject = 0;
  found_ = false;
  BeginMatchSearches(&pblur_->search, InitShellSearchHost());
  reference_ = TakeReferenceView(pblur_, false, nullptr);
}

void SearchScene::End() { ReleaseMatchIndex(&pblur_->search, InitShellSearchHost()); }

void SearchScene::Search(int i) {
  const int u = i % side_, v = i / side_;
  std::int32_t x = u + kMargin, y = v + kMargin;
  std::uint32_t depth = 0;
  FindPreviousPosition(pblur_, reference_, kObject,
                       (static_cast<std::uint32_t>(u) << 16) + kOffset1,
                       (static_cast<std::uint32_t>(v) << 16) + kOffset2, &x, &y, &found_, &depth);
  if (!found_ || x != u + kMargin || y != v + kMargin) std::abort();
}

}  // namespace qxv::bench
