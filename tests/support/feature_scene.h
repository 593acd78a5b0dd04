// A multi-frame scene with every feature of the pass switched on, run through
// any copy of the module: the tests' own, or QXVpblur.dll loaded at run time.
#pragma once
#include <cstdint>
#include <vector>

#include "host/callconv.h"
#include "host/guid.h"
#include "host/result.h"

namespace qxv::test {

using GetClassObjectFn = Result(QXV_CALL*)(const Guid* clsid, const Guid* iid, void** out);

struct SceneRun {
  // Every frame as rendered, and as the pass left it.
  std::vector<std::vector<std::uint32_t>> rendered;
  std::vector<std::vector<std::uint32_t>> images;
  std::vector<Result> results;
  bool completed = true;  // no host failure reached the host's frame
};

// Makes the Pblur and the Weights through `getClassObject` (the module must
// already hold the simulated shell) and renders the frames. Runs on a thread
// of its own, so that the jitter generator of whichever module starts from
// its fixed first state.
SceneRun RunFeatureScene(GetClassObjectFn getClassObject);

// 64-bit FNV-1a over every pixel of every image, least significant byte first.
std::uint64_t Checksum(const std::vector<std::vector<std::uint32_t>>& images);

// The checksum of RunFeatureScene's output images. The same on every target;
// when the pass changes on purpose, the failing test prints the new value.
constexpr std::uint64_t kFeatureSceneChecksum = 0x60F53FBA235C10DDull;

}  // namespace qxv::test
