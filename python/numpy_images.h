// numpy arrays as the apply library's images and back, copying as little as
// the two allow.
#pragma once
#include <pybind11/numpy.h>

#include <cstdint>
#include <vector>

#include "apply/input/channel_image.h"
#include "apply/output/image_output.h"

namespace qxv::python {

namespace py = pybind11;

// The array's channel count, one of `counts`, after checking that it is
// H x W (x C) and, unless `height` is 0, of the colour's size. Throws a
// usage error naming the pass otherwise.
int ChannelCount(const char* name, const py::array& array, const std::vector<int>& counts,
                 std::uint32_t height, std::uint32_t width);

// A pass as apply holds a file's channels, read from the array in one copy
// whatever its layout: float32 samples as they are, float16 and integers of
// up to 16 bits as floats (8- and 16-bit unsigned ones with their full
// scale as 1), float64 and integers of 32 bits or more as doubles, so that
// object indexes and match values above 2^24 stay exact. Checked as
// ChannelCount does, and for a numeric dtype.
apply::ChannelImage Channels(const char* name, py::array array, const std::vector<int>& counts,
                             std::uint32_t height, std::uint32_t width);

// The picture as an H x W x C float32 array over its own samples, which the
// array keeps alive: nothing is copied. Needs Python held.
py::array_t<float> HandedOver(apply::OutputImage&& image);

}  // namespace qxv::python
