// What the fuzz targets share: reading the input, making frames in the
// simulated host, driving the module as the host does, and the checks that
// turn a leak or a stray failure into a finding.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "host/post_renderer.h"
#include "host/scene.h"
#include "sim/driver.h"

namespace qxv::fuzz {

// Hands out the input's bytes; zeros once they run out.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(Byte()) << (8 * i);
    return v;
  }
  std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : U32() % n; }
  void Bytes(void* out, std::size_t n) {
    auto* o = static_cast<std::uint8_t*>(out);
    for (std::size_t i = 0; i < n; ++i) o[i] = Byte();
  }
  bool Empty() const { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Reports what went wrong and aborts, which libFuzzer records as a crash
// with the input that caused it.
[[noreturn]] void Finding(const char* what);

// Once per process: hand the module the simulated host's shell.
void InitModule();
// A post-renderer from the module's factory, one reference.
PostRenderer* MakePostRenderer();
// PostRender below a host frame; a failure reaching it is a finding, since
// nothing in these targets raises one.
Result Render(PostRenderer* renderer, SceneObjectList* scene, sim::RenderedFrame& frame);

// Live host objects and blocks must be back where they were.
struct Baseline {
  std::int32_t objects;
  std::int32_t blocks;
  std::int32_t moduleObjects;
};
Baseline TakeBaseline();
void CheckBaseline(const Baseline& b);

}  // namespace qxv::fuzz
