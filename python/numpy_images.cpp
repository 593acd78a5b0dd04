#include "python/numpy_images.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "apply/apply_error.h"

namespace qxv::python {
namespace {

// The array's samples in row-major order, channels interleaved, in one
// copy whatever its strides: a plain copy when it is laid out so already.
template <typename Stored, typename Sample>
void Gather(const py::buffer_info& info, std::size_t channels, std::vector<Sample>* out) {
  const auto rows = static_cast<std::size_t>(info.shape[0]);
  const auto cols = static_cast<std::size_t>(info.shape[1]);
  const py::ssize_t rowStep = info.strides[0], colStep = info.strides[1];
  const py::ssize_t channelStep = info.ndim == 3 ? info.strides[2] : 0;
  out->resize(rows * cols * channels);
  const auto* base = static_cast<const char*>(info.ptr);
  const auto packed = static_cast<py::ssize_t>(sizeof(Stored));
  if (std::is_same_v<Stored, Sample> && (channels == 1 || channelStep == packed) &&
      colStep == packed * static_cast<py::ssize_t>(channels) &&
      rowStep == colStep * static_cast<py::ssize_t>(cols)) {
    std::memcpy(out->data(), base, out->size() * sizeof(Sample));
    return;
  }
  Sample* to = out->data();
  for (std::size_t y = 0; y < rows; ++y) {
    for (std::size_t x = 0; x < cols; ++x) {
      const char* pixel = base + static_cast<py::ssize_t>(y) * rowStep +
                          static_cast<py::ssize_t>(x) * colStep;
      for (std::size_t c = 0; c < channels; ++c) {
        Stored value;  // numpy allows unaligned arrays
        std::memcpy(&value, pixel + static_cast<py::ssize_t>(c) * channelStep, sizeof value);
        *to++ = static_cast<Sample>(value);
      }
    }
  }
}

template <typename Stored>
void GatherInto(const py::buffer_info& info, std::size_t channels, bool wide,
                apply::ChannelImage* image) {
  if (wide) {
    Gather<Stored>(info, channels, &image->wide);
  } else {
    Gather<Stored>(info, channels, &image->samples);
  }
}

}  // namespace

int ChannelCount(const char* name, const py::array& array, const std::vector<int>& counts,
                 std::uint32_t height, std::uint32_t width) {
  const int ndim = static_cast<int>(array.ndim());
  const int channels = ndim == 2 ? 1 : ndim == 3 ? static_cast<int>(array.shape(2)) : 0;
  bool fits = false;
  for (int c : counts) fits = fits || c == channels;
  std::string wanted;
  for (int c : counts) wanted += (wanted.empty() ? "" : " or ") + std::to_string(c);
  if (!fits || (channels > 1 && ndim != 3)) {
    std::string shape;
    for (int d = 0; d < ndim; ++d) {
      shape += (shape.empty() ? "" : ", ") + std::to_string(array.shape(d));
    }
    apply::UsageError(std::string(name) + ": expected an array of H x W" +
                      (counts.front() == 1 && counts.size() == 1 ? "" : " x " + wanted) +
                      ", got shape (" + shape + ")");
  }
  if (height != 0 && (array.shape(0) != height || array.shape(1) != width)) {
    apply::UsageError(std::string(name) + ": " + std::to_string(array.shape(1)) + "x" +
                      std::to_string(array.shape(0)) + ", but the colour is " +
                      std::to_string(width) + "x" + std::to_string(height));
  }
  return channels;
}

apply::ChannelImage Channels(const char* name, py::array array, const std::vector<int>& counts,
                             std::uint32_t height, std::uint32_t width) {
  const int channels = ChannelCount(name, array, counts, height, width);
  const char kind = array.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u' && kind != 'b') {
    apply::UsageError(std::string(name) + ": expected numbers, got dtype " +
                      std::string(py::str(array.dtype())));
  }
  // The rare kinds numpy converts first: another byte order, float16 and
  // floats wider than a double.
  const std::string given = std::string("=") + kind + std::to_string(array.dtype().itemsize());
  std::string stored = given;
  if (stored == "=f2") stored = "=f4";
  if (kind == 'f' && array.dtype().itemsize() > 8) stored = "=f8";
  if (stored != given || !py::bool_(array.dtype().attr("isnative"))) {
    array = array.attr("astype")(stored);
  }
  const auto size = array.dtype().itemsize();
  apply::ChannelImage image;
  image.height = static_cast<std::uint32_t>(array.shape(0));
  image.width = static_cast<std::uint32_t>(array.shape(1));
  const bool integral = kind != 'f';
  const double unit = size == 1 && kind == 'u' ? 255.0 : size == 2 && kind == 'u' ? 65535.0 : 1.0;
  for (int c = 0; c < channels; ++c) {
    image.names.push_back(std::string(1, "RGBA"[c]));
    image.integral.push_back(integral);
    image.unit.push_back(unit);
  }
  const py::buffer_info info = array.request();
  const auto n = static_cast<std::size_t>(channels);
  // Floats hold integers exactly up to 2^24; doubles every 32-bit one.
  const bool wide = size == 8 || (integral && size == 4);
  if (kind == 'f') {
    if (size == 4) GatherInto<float>(info, n, wide, &image);
    else GatherInto<double>(info, n, wide, &image);
  } else if (kind == 'i') {
    if (size == 1) GatherInto<std::int8_t>(info, n, wide, &image);
    else if (size == 2) GatherInto<std::int16_t>(info, n, wide, &image);
    else if (size == 4) GatherInto<std::int32_t>(info, n, wide, &image);
    else GatherInto<std::int64_t>(info, n, wide, &image);
  } else {  // unsigned or bool
    if (size == 1) GatherInto<std::uint8_t>(info, n, wide, &image);
    else if (size == 2) GatherInto<std::uint16_t>(info, n, wide, &image);
    else if (size == 4) GatherInto<std::uint32_t>(info, n, wide, &image);
    else GatherInto<std::uint64_t>(info, n, wide, &image);
  }
  return image;
}

py::array_t<float> HandedOver(apply::OutputImage&& image) {
  auto samples = std::make_unique<std::vector<float>>(std::move(image.samples));
  const float* data = samples->data();
  py::capsule owner(samples.get(),
                    [](void* p) { delete static_cast<std::vector<float>*>(p); });
  samples.release();
  return py::array_t<float>({static_cast<py::ssize_t>(image.height),
                             static_cast<py::ssize_t>(image.width),
                             static_cast<py::ssize_t>(image.Channels())},
                            data, owner);
}

}  // namespace qxv::python
