#include "apply/input/frame_shape.h"

#include "apply/apply_error.h"

namespace qxv::apply {
namespace {

std::string SizeText(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

void FrameShape::CheckSize(const std::string& what, std::uint32_t width,
                           std::uint32_t height) const {
  if (width == width_ && height == height_) return;
  InputError(what + ": " + SizeText(width, height) + ", but " + source_ + " is " +
             SizeText(width_, height_));
}

void FrameShape::CheckAlpha(const std::string& what, bool alpha) const {
  if (alpha == alpha_) return;
  InputError(what + (alpha ? ": has alpha, but " : ": has no alpha, but ") + source_ +
             (alpha_ ? " has" : " has none"));
}

}  // namespace qxv::apply
