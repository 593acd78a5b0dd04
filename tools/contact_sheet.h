// One picture of a whole run: a few rendered frames in the top row, the
// same frames blurred below them, side by side in frame order. Frames are
// added as they are made and only those the sheet shows are kept, so a
// long run needs no more memory than a short one.
#pragma once
#include <cstdint>
#include <vector>

#include "apply/output/image_output.h"

namespace qxv::tool {

using ColourFrame = std::vector<std::uint32_t>;  // 0x00RRGGBB, row-major

// The frames 1..frames a sheet shows: all of them up to `columns`, else
// `columns` spread evenly from the first to the last.
std::vector<int> SheetFrames(int frames, int columns);

class ContactSheet {
 public:
  static constexpr int kColumns = 12;

  ContactSheet(int frames, std::uint32_t width, std::uint32_t height);
  // Keeps the pair when the sheet shows frame `frame`.
  void Add(int frame, const ColourFrame& rendered, const ColourFrame& blurred);
  apply::OutputImage Picture() const;

 private:
  std::vector<int> shown_;
  std::uint32_t width_, height_;
  std::vector<ColourFrame> rendered_, blurred_;
};

}  // namespace qxv::tool
