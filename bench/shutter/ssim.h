// Structural similarity (Wang et al. 2004) of two one-channel pictures of
// values 0..1: an 11 x 11 Gaussian window of sigma 1.5, K1 0.01, K2 0.03;
// the window is cut at the picture's edges.
#pragma once
#include <cstdint>
#include <vector>

namespace qxv::bench {

// The SSIM of the window around each pixel.
std::vector<float> SsimMap(const std::vector<float>& a, const std::vector<float>& b,
                           std::uint32_t width, std::uint32_t height);

}  // namespace qxv::bench
