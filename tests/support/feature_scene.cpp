#include "tests/support/feature_scene.h"

#include <algorithm>
#include <iterator>
#include <thread>

#include "blur/pblur.h"
#include "host/identifiers.h"
#include "module/entry/class_factory.h"
#include "sim/host.h"
#include "sim/scene.h"
#include "sim/view.h"
#include "tests/support/module_fixture.h"
#include "weight/weight.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t kWidth = 50;
constexpr std::uint32_t kHeight = 30;
constexpr std::uint32_t kTile = 16;  // edge tiles reach past the image
constexpr int kFrames = 6;

ClassFactory* Factory(GetClassObjectFn getClassObject, const Guid& clsid) {
  ClassFactory* factory = nullptr;
  if (getClassObject(&clsid, &kIID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK) {
    return nullptr;
  }
  return factory;
}

// A Weight as the host's user interface would leave it, attached to a node.
void AttachWeight(ClassFactory* factory, sim::Scene* scene, std::int32_t node, float primary,
                  float secondary, bool groupChildren) {
  Weight* weight = nullptr;
  factory->ops->CreateInstance(factory, nullptr, &kIID_IUnknown, reinterpret_cast<void**>(&weight));
  weight->ops->InitExtension(weight, sim::Shell());
  WeightData* data = static_cast<WeightData*>(weight->ops->GetData(weight));
  data->primaryWeight = primary;
  data->secondaryWeight = secondary;
  data->groupChildren = groupChildren ? 1 : 0;
  weight->ops->ApplyData(weight);
  sim::Attach(scene, node, AsUnknown(weight));
  weight->ops->Release(weight);
}

void Run(GetClassObjectFn getClassObject, SceneRun* run) {
  ClassFactory* pblurFactory = Factory(getClassObject, kCLSID_Pblur);
  ClassFactory* weightFactory = Factory(getClassObject, kCLSID_Weight);
  if (!pblurFactory || !weightFactory) {
    run->completed = false;
    return;
  }

  // Objects 1 and 2 share a group whose root opts in; 1 also gets the
  // reverse streak. Object 3 opts in alone; object 4, below it, opts out
  // with a Weight of its own.
  sim::Scene* scene = sim::NewScene();
  const std::int32_t group = sim::AddNode(scene, -1);
  const std::int32_t first = sim::AddNode(scene, group);
  const std::int32_t second = sim::AddNode(scene, group);
  const std::int32_t third = sim::AddNode(scene, -1);
  const std::int32_t fourth = sim::AddNode(scene, third);
  AttachWeight(weightFactory, scene, group, 4.0f, 2.0f, true);
  AttachWeight(weightFactory, scene, first, 4.0f, 6.0f, false);
  AttachWeight(weightFactory, scene, third, 3.5f, 0.0f, false);
  AttachWeight(weightFactory, scene, fourth, 1.0f, 0.0f, false);
  const std::int32_t object1 = sim::AddRenderedObject(scene, first);
  const std::int32_t object2 = sim::AddRenderedObject(scene, second);
  const std::int32_t object3 = sim::AddRenderedObject(scene, third);
  const std::int32_t object4 = sim::AddRenderedObject(scene, fourth);

  Pblur* pblur = nullptr;
  pblurFactory->ops->CreateInstance(pblurFactory, nullptr, &kIID_I3DExPostRenderer,
                                    reinterpret_cast<void**>(&pblur));
  pblurFactory->ops->Release(pblurFactory);
  weightFactory->ops->Release(weightFactory);
  if (!pblur) {
    sim::DestroyScene(scene);
    run->completed = false;
    return;
  }

  ParameterBlock* p = static_cast<ParameterBlock*>(pblur->ops->GetData(pblur));
  p->commandCode = kCommandOptIn;
  p->secondaryLayer = 1;
  p->streakLength = 6.0f;
  p->mainStrength = 5.0f;
  p->altLength = 4.0f;
  p->altStrength = 7.0f;
  p->echoCount = 2.0f;
  p->jitter = 1;
  p->depthTest = 1;
  p->reverseLength = 15.0f;
  p->trails = 1;
  p->trailFrames = 3.0f;
  pblur->ops->ApplyData(pblur);

  RenderView* view = sim::NewRenderView();
  for (int f = 0; f < kFrames; ++f) {
    Frame frame(kWidth, kHeight, kTile, kTile);
    frame.Clear(0x182838);
    // Far to near, so nearer objects cover farther ones as a renderer would.
    // Object 4 stands near the camera in the path of object 1's streaks.
    struct Box {
      std::int32_t left, top, w, h, object;
      std::uint32_t colour, depth, alternate;
    };
    Box boxes[] = {
        {4 + 4 * f, 4 + f, 10, 7, object1, 0xF0A030, 200, 0},
        {2 + 2 * f, 18 - 2 * f, 8, 6, object2, 0x2060F0, 300, 1},
        {40 - 5 * f, 3, 6, 10, object3, 0xE02080, 150 + 40 * static_cast<std::uint32_t>(f), 0},
        {12 + f / 2, 5, 6, 6, object4, 0x70E050, 50, 0},
    };
    std::sort(std::begin(boxes), std::end(boxes),
              [](const Box& a, const Box& b) { return a.depth > b.depth; });
    for (const Box& b : boxes) {
      frame.DrawRect(b.left, b.top, b.w, b.h, static_cast<std::uint32_t>(b.object), b.colour,
                     b.depth, b.alternate);
    }
    run->rendered.push_back(sim::Snapshot(frame.image));
    const PassOutcome outcome = RunPass(pblur, sim::ObjectList(scene), frame, view);
    run->completed = run->completed && outcome.completed;
    run->results.push_back(outcome.result);
    run->images.push_back(sim::Snapshot(frame.image));
  }
  ReleaseInterface(view);
  pblur->ops->Release(pblur);
  sim::DestroyScene(scene);
}

}  // namespace

SceneRun RunFeatureScene(GetClassObjectFn getClassObject) {
  SceneRun run;
  std::thread worker(Run, getClassObject, &run);
  worker.join();
  return run;
}

std::uint64_t Checksum(const std::vector<std::vector<std::uint32_t>>& images) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (const auto& image : images) {
    for (std::uint32_t pixel : image) {
      for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (pixel >> shift) & 0xFFu;
        hash *= 0x100000001B3ull;
      }
    }
  }
  return hash;
}

}  // namespace qxv::test
