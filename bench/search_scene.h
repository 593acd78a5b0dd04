// A reference frame with one square object, its match values the surface
// coordinates in 16.16 fixed point, held by a Pblur with its tiles locked as
// in a streak phase; and the current frame's searches, each asking for
// values a fraction of a pixel off, in the streak phase's pixel order.
#pragma once
#include <cstdint>

#include "blur/pblur.h"
#include "blur/previous_position.h"
#include "host/tile_iterator.h"

namespace qxv::bench {

class SearchScene {
 public:
  explicit SearchScene(int side);
  ~SearchScene();
  SearchScene(const SearchScene&) = delete;
  SearchScene& operator=(const SearchScene&) = delete;

  int Pixels() const { return side_ * side_; }
  // As a streak phase starts and ends.
  void Begin();
  void End();
  // The search for the object's i-th pixel in row-major order.
  void Search(int i);

 private:
  static constexpr int kMargin = 16;
  int side_;
  Pblur* pblur_ = nullptr;
  TileIterator* scratch_ = nullptr;
  bool found_ = false;
  ReferenceView reference_ = {};
};

}  // namespace qxv::bench
