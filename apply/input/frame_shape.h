// What every pass of a sequence shares with the first colour frame: its
// size, and whether the colour has alpha. The header scan, the reader and
// the frames handed over from memory all check through it, with one wording.
#pragma once
#include <cstdint>
#include <string>

namespace qxv::apply {

class FrameShape {
 public:
  FrameShape() = default;
  // `source` is how messages name what set the shape (a file, "the first
  // frame").
  FrameShape(const std::string& source, std::uint32_t width, std::uint32_t height, bool alpha)
      : source_(source), width_(width), height_(height), alpha_(alpha) {}

  bool Known() const { return !source_.empty(); }
  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  bool Alpha() const { return alpha_; }

  // Input errors naming `what`: "<what>: 40x20, but <source> is 64x36", and
  // "<what>: has alpha, but <source> has none" (or the other way round).
  void CheckSize(const std::string& what, std::uint32_t width, std::uint32_t height) const;
  void CheckAlpha(const std::string& what, bool alpha) const;

 private:
  std::string source_;
  std::uint32_t width_ = 0, height_ = 0;
  bool alpha_ = false;
};

}  // namespace qxv::apply
