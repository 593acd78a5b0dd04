// Blur decisions and occlusion groups read from Weight components attached
// to a simulated scene tree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "module/host_bridge.h"
#include "tests/support/module_fixture.h"
#include "weight/scene_lookup.h"
#include "weight/weight.h"

namespace qxv::test {
namespace {

class SceneLookup : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    scene_ = sim::NewScene();
  }
  void TearDown() override {
    // The scene holds the only references on the Weights it carries.
    sim::DestroyScene(scene_);
    ModuleTest::TearDown();
  }
  std::int32_t Node(std::int32_t parent) { return sim::AddNode(scene_, parent); }
  std::int32_t Rendered(std::int32_t node) { return sim::AddRenderedObject(scene_, node); }
  Weight* AttachWeight(std::int32_t node, float primary, float secondary, bool group) {
    Weight* weight = NewWeight();
    WeightData* data = static_cast<WeightData*>(weight->ops->GetData(weight));
    data->primaryWeight = primary;
    data->secondaryWeight = secondary;
    data->groupChildren = group ? 1 : 0;
    sim::Attach(scene_, node, AsUnknown(weight));
    return weight;
  }
  void AttachPlain(std::int32_t node) {
    Unknown* component = sim::NewPlainComponent();
    sim::Attach(scene_, node, component);
    ReleaseInterface(component);
  }
  SceneObjectList* List() { return sim::ObjectList(scene_); }

  sim::Scene* scene_ = nullptr;
};

// Object indices of the weights scene below, in the order they are rendered.
enum WeightsObject : std::int32_t {
  kOwnBelowThreshold = 1,  // own 2.9 under a parent with 5.0
  kOwnAboveThreshold,      // own 5.0 under a parent with 2.9
  kExactlyAtThresholds,    // 3.0 / 5.0 from a grandparent
  kJustBelowThresholds,
  kNotANumber,
  kHighestOwnWeight,    // own components: low Weight, plain, high Weight, plain
  kHighestParentWeight,  // parent: high Weight, low Weight, plain
  kNoWeightAnywhere,
  kOwnUngroupedWeight,  // groupChildren clear does not matter for weights
  kNotANode,            // has a low Weight, but does not answer SceneNode
  kWeightsObjectCount = kNotANode,
};

class WeightsScene : public SceneLookup {
 protected:
  void SetUp() override {
    SceneLookup::SetUp();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::int32_t top = Node(-1);
    AttachPlain(top);  // not a Weight: skipped on every walk

    std::int32_t parent = Node(top);
    AttachWeight(parent, 5.0f, 5.0f, true);
    std::int32_t node = Node(parent);
    AttachWeight(node, 2.9f, 5.0f, true);
    Rendered(node);

    parent = Node(top);
    AttachWeight(parent, 2.9f, 2.9f, true);
    node = Node(parent);
    AttachWeight(node, 5.0f, 5.0f, true);
    Rendered(node);

    parent = Node(top);
    AttachWeight(parent, 3.0f, 5.0f, false);
    Rendered(Node(Node(parent)));

    parent = Node(top);
    AttachWeight(parent, std::nextafter(3.0f, 0.0f), std::nextafter(5.0f, 0.0f), true);
    Rendered(Node(parent));

    node = Node(top);
    AttachWeight(node, nan, nan, true);
    Rendered(node);

    node = Node(top);
    AttachWeight(node, 1.0f, 1.0f, true);
    AttachPlain(node);
    AttachWeight(node, 4.0f, 5.0f, true);
    AttachPlain(node);
    Rendered(node);

    parent = Node(top);
    AttachWeight(parent, 5.0f, 5.0f, true);
    AttachWeight(parent, 1.0f, 1.0f, true);
    AttachPlain(parent);
    Rendered(Node(parent));

    node = Node(top);
    AttachPlain(node);
    Rendered(node);

    node = Node(top);
    AttachWeight(node, 1.0f, 5.0f, false);
    Rendered(node);

    parent = Node(top);
    AttachWeight(parent, 1.0f, 1.0f, true);
    node = Node(parent);
    AttachWeight(node, 1.0f, 1.0f, true);
    sim::SetAnswersSceneNode(scene_, node, false);
    EXPECT_EQ(Rendered(node), kNotANode);
  }
};

struct WeightsCase {
  const char* name;
  std::int32_t index;
  bool blurred, secondStreak;                 // zero defaults off
  bool blurredZeroed, secondStreakZeroed;     // zero defaults on
};

TEST_F(WeightsScene, LookupReadsTheNearestWeight) {
  const WeightsCase cases[] = {
      {"own 2.9 under 5.0", kOwnBelowThreshold, false, true, false, true},
      {"own 5.0 under 2.9", kOwnAboveThreshold, true, true, true, true},
      {"exactly 3.0 and 5.0, inherited", kExactlyAtThresholds, true, true, true, true},
      {"just below 3.0 and 5.0", kJustBelowThresholds, false, false, false, false},
      {"not a number", kNotANumber, false, false, false, false},
      {"highest-index own Weight", kHighestOwnWeight, true, true, true, true},
      {"highest-index parent Weight", kHighestParentWeight, false, false, false, false},
      {"no Weight anywhere", kNoWeightAnywhere, true, true, false, false},
      {"own Weight with groupChildren clear", kOwnUngroupedWeight, false, true, false, true},
      {"object not a node", kNotANode, true, true, false, false},
  };
  for (const WeightsCase& c : cases) {
    for (const bool zeroDefaults : {false, true}) {
      for (const bool preset : {false, true}) {
        SCOPED_TRACE(testing::Message() << c.name << ", zero defaults " << zeroDefaults
                                        << ", second streak preset " << preset);
        bool second = preset;
        EXPECT_EQ(LookupObjectWeights(List(), c.index, zeroDefaults, &second),
                  zeroDefaults ? c.blurredZeroed : c.blurred);
        EXPECT_EQ(second, zeroDefaults ? c.secondStreakZeroed : c.secondStreak);
        EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
      }
    }
  }
}

TEST_F(WeightsScene, IndicesOutsideTheListAreBlurredWithoutWritingSecondStreak) {
  for (const std::int32_t index : {0, -1, std::numeric_limits<std::int32_t>::min(),
                                   kWeightsObjectCount + 1}) {
    for (const bool zeroDefaults : {false, true}) {
      for (const bool preset : {false, true}) {
        SCOPED_TRACE(testing::Message() << "index " << index << ", zero defaults "
                                        << zeroDefaults << ", preset " << preset);
        bool second = preset;
        const std::int64_t calls = sim::HostCallCount();
        EXPECT_TRUE(LookupObjectWeights(List(), index, zeroDefaults, &second));
        EXPECT_EQ(second, preset);
        // Runs of background pixels are answered without the host; only an
        // index past the list needs its count.
        // With no host frame: the chain's address read and written back, then the count.
        const std::int64_t expectedCalls = index > 0 ? 3 : 0;
        EXPECT_EQ(sim::HostCallCount() - calls, expectedCalls);
      }
    }
  }
  EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
}

// A component that is not a Weight but answers every QueryInterface with a
// result and an out pointer of the test's choosing, and reports its counts
// as they were before the change.
struct ForeignComponent {
  const UnknownOps* ops;
  std::uint32_t refs;
  Result answer;
  void* written;
};
Result QXV_CALL ForeignQueryInterface(Unknown* self, const Guid*, void** out) {
  ForeignComponent* c = reinterpret_cast<ForeignComponent*>(self);
  *out = c->written;
  return c->answer;
}
std::uint32_t QXV_CALL ForeignAddRef(Unknown* self) {
  return reinterpret_cast<ForeignComponent*>(self)->refs++;
}
std::uint32_t QXV_CALL ForeignRelease(Unknown* self) {
  return reinterpret_cast<ForeignComponent*>(self)->refs--;
}
const UnknownOps kForeignOps = {ForeignQueryInterface, ForeignAddRef, ForeignRelease};

// Only S_OK makes a component a Weight. A failed call's out pointer (here a
// real Weight that would exclude the object) is neither read nor released;
// neither is a null pointer under S_OK. The defaults decide instead.
TEST_F(SceneLookup, ForeignComponentIsAWeightOnlyWhenItAnswersSOk) {
  Weight* excluding = NewWeight();
  static_cast<WeightData*>(excluding->ops->GetData(excluding))->primaryWeight = 0.0f;
  // The test's own references, enough that stray releases show as a count
  // and never destroy it.
  constexpr std::uint32_t kHeld = 8;
  for (std::uint32_t i = 0; i < kHeld; ++i) excluding->ops->AddRef(excluding);
  const struct {
    const char* name;
    Result answer;
    bool written;
    bool blurred;
  } cases[] = {
      {"fails, writes a pointer", E_NOINTERFACE, true, true},
      {"fails with S_FALSE, writes a pointer", 1, true, true},
      {"answers S_OK with null", S_OK, false, true},
      {"answers S_OK with a Weight", S_OK, true, false},
  };
  // The scene keeps the components until the fixture destroys it.
  static ForeignComponent components[sizeof(cases) / sizeof(cases[0])];
  for (std::size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.name);
    components[i] = {&kForeignOps, 1, c.answer, c.written ? excluding : nullptr};
    // A successful answer hands out a reference, which the lookup gives back.
    if (c.answer == S_OK && c.written) excluding->ops->AddRef(excluding);
    const std::int32_t node = Node(-1);
    sim::Attach(scene_, node, reinterpret_cast<Unknown*>(&components[i]));
    bool second = false;
    EXPECT_EQ(LookupObjectWeights(List(), Rendered(node), false, &second), c.blurred);
    EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
    const std::uint32_t count = excluding->ops->AddRef(excluding);
    excluding->ops->Release(excluding);
    EXPECT_EQ(count, kHeld) << "the written Weight's count changed";
    for (std::uint32_t n = count; n < kHeld; ++n) excluding->ops->AddRef(excluding);
  }
  for (std::uint32_t i = 0; i < kHeld; ++i) excluding->ops->Release(excluding);
}

// Runs a lookup below a host frame.
struct LookupCall {
  SceneObjectList* list;
  std::int32_t a, b;
  bool zeroDefaults;
  bool group;  // SameOcclusionGroup instead of LookupObjectWeights
  bool second;
  bool result;
};

void RunLookup(void* context) {
  LookupCall* call = static_cast<LookupCall*>(context);
  call->result = call->group ? SameOcclusionGroup(call->list, call->a, call->b, true)
                             : LookupObjectWeights(call->list, call->a, call->zeroDefaults,
                                                   &call->second);
}

// Raises a failure at every host call of the lookup in turn, until one
// completes without reaching the failing call.
void FailAtEveryCall(sim::Scene* scene, LookupCall call, bool expected) {
  bool completed = false;
  std::int64_t k = 1;
  for (; !completed && k < 1000; ++k) {
    SCOPED_TRACE(testing::Message() << "failure at host call " << k);
    LookupCall attempt = call;
    // Another pair in the cache, so that what the interrupted call leaves
    // there can be told apart.
    if (call.group) SameOcclusionGroup(call.list, call.b, call.a, true);
    const GroupCache before = CurrentGroupCache();
    std::int32_t error = 0, detail = 0;
    sim::FailAtHostCall(k, 0x0BAD0000 + static_cast<std::int32_t>(k), static_cast<std::int32_t>(-k));
    completed = sim::RunInHostFrame(RunLookup, &attempt, &error, &detail);
    sim::FailAtHostCall(0, 0, 0);
    EXPECT_EQ(sim::OutstandingSceneReferences(scene), 0);
    EXPECT_EQ(sim::ChainHead(), nullptr);
    if (completed) {
      EXPECT_EQ(attempt.result, expected);
    } else {
      EXPECT_EQ(error, 0x0BAD0000 + k);
      EXPECT_EQ(detail, -k);
      if (call.group) {
        // The interrupted call keeps its pair, with the answer as it stood.
        // (A raise before the lookup began leaves the pair as it was.)
        const GroupCache after = CurrentGroupCache();
        const bool kept = after.lastA == call.a && after.lastB == call.b;
        const bool untouched = after.lastA == before.lastA && after.lastB == before.lastB;
        EXPECT_TRUE(kept || untouched) << "pair " << after.lastA << ", " << after.lastB;
        EXPECT_EQ(after.lastResult, before.lastResult);
      }
    }
  }
  EXPECT_TRUE(completed);
  EXPECT_GT(k, 3) << "the lookup made hardly any host calls";
}

TEST_F(WeightsScene, FailureAtEveryHostCallReleasesEverything) {
  const struct {
    std::int32_t index;
    bool zeroDefaults;
    bool expected;
  } cases[] = {
      {kOwnBelowThreshold, false, false},
      {kExactlyAtThresholds, true, true},
      {kHighestOwnWeight, false, true},
      {kHighestParentWeight, false, false},
      {kNoWeightAnywhere, true, false},
      {kNotANode, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "object " << c.index);
    FailAtEveryCall(scene_, LookupCall{List(), c.index, 0, c.zeroDefaults, false, false, false},
                    c.expected);
  }
}

// Object indices of the group scene below.
enum GroupObject : std::int32_t {
  kUnderGroupA = 1,    // child of the flagged node g
  kUnderGroupB,        // another child of g
  kBelowClearFlag,     // under a clear-flag node that is under g
  kFlaggedOwnNode,     // node carrying its own flagged Weight, no flagged ancestor
  kUnderFlaggedOwnA,   // child of that node
  kUnderFlaggedOwnB,   // another child of it
  kUngrouped,          // no Weight above it
  kUnderClearOnlyA,    // under a clear-flag node with nothing flagged above
  kUnderClearOnlyB,
  kGroupNotANode,      // child of g that does not answer SceneNode
  kGroupObjectCount = kGroupNotANode,
};

class GroupScene : public SceneLookup {
 protected:
  void SetUp() override {
    SceneLookup::SetUp();
    const std::int32_t top = Node(-1);
    group_ = Node(top);
    groupWeight_ = AttachWeight(group_, 5.0f, 5.0f, true);
    AttachPlain(group_);
    Rendered(Node(group_));
    Rendered(Node(group_));
    const std::int32_t clear = Node(group_);
    AttachWeight(clear, 5.0f, 5.0f, false);
    clearChild_ = Node(clear);
    Rendered(clearChild_);

    const std::int32_t other = Node(top);
    const std::int32_t flagged = Node(other);
    AttachWeight(flagged, 5.0f, 5.0f, true);
    Rendered(flagged);
    Rendered(Node(flagged));
    Rendered(Node(flagged));

    Rendered(Node(top));

    const std::int32_t clearOnly = Node(top);
    AttachWeight(clearOnly, 5.0f, 5.0f, false);
    Rendered(Node(clearOnly));
    Rendered(Node(clearOnly));

    const std::int32_t notNode = Node(group_);
    sim::SetAnswersSceneNode(scene_, notNode, false);
    EXPECT_EQ(Rendered(notNode), kGroupNotANode);
  }
  std::int32_t group_ = 0;
  std::int32_t clearChild_ = 0;
  Weight* groupWeight_ = nullptr;  // owned by the scene
};

TEST_F(GroupScene, NearestFlaggedAncestorOfAMustContainB) {
  const struct {
    std::int32_t a, b;
    bool same;
  } cases[] = {
      {kUnderGroupA, kUnderGroupB, true},
      {kUnderGroupB, kUnderGroupA, true},
      {kUnderGroupA, kBelowClearFlag, true},
      {kBelowClearFlag, kUnderGroupA, true},  // clear-flag parent passed over
      {kBelowClearFlag, kUnderGroupB, true},
      {kFlaggedOwnNode, kUnderFlaggedOwnA, false},  // own Weight does not count
      {kUnderFlaggedOwnA, kFlaggedOwnNode, false},  // root must be a strict ancestor of b
      {kUnderFlaggedOwnA, kUnderFlaggedOwnB, true},
      {kUnderFlaggedOwnB, kUnderFlaggedOwnA, true},
      {kUnderGroupA, kUnderFlaggedOwnA, false},
      {kUnderFlaggedOwnA, kUnderGroupA, false},
      {kUngrouped, kUnderGroupA, false},
      {kUnderGroupA, kUngrouped, false},
      {kUnderClearOnlyA, kUnderClearOnlyB, false},
      {kGroupNotANode, kUnderGroupA, false},
      {kUnderGroupA, kGroupNotANode, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "a " << c.a << ", b " << c.b);
    EXPECT_EQ(SameOcclusionGroup(List(), c.a, c.b, true), c.same);
    const GroupCache cache = CurrentGroupCache();
    EXPECT_EQ(cache.lastA, c.a);
    EXPECT_EQ(cache.lastB, c.b);
    EXPECT_EQ(cache.lastResult, c.same);
    EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
  }

  // The root found is the flagged node itself, found from below a clear one.
  SceneNode* root = nullptr;
  EXPECT_TRUE(FindGroupRoot(sim::NodePointer(scene_, clearChild_), &root));
  EXPECT_EQ(root, sim::NodePointer(scene_, group_));
  EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
}

TEST_F(GroupScene, TheOneEntryCache) {
  ASSERT_TRUE(SameOcclusionGroup(List(), kUnderGroupA, kUnderGroupB, true));
  const std::int64_t calls = sim::HostCallCount();

  // Trivial pairs answer false at once and leave the cache alone.
  for (const auto& pair : {std::pair<std::int32_t, std::int32_t>{kUnderGroupA, kUnderGroupA},
                           {0, kUnderGroupB}, {kUnderGroupA, 0}, {-1, kUnderGroupB},
                           {kUnderGroupA, std::numeric_limits<std::int32_t>::min()}}) {
    SCOPED_TRACE(testing::Message() << "a " << pair.first << ", b " << pair.second);
    EXPECT_FALSE(SameOcclusionGroup(List(), pair.first, pair.second, true));
    EXPECT_EQ(CurrentGroupCache().lastA, kUnderGroupA);
    EXPECT_EQ(CurrentGroupCache().lastB, kUnderGroupB);
    EXPECT_TRUE(CurrentGroupCache().lastResult);
  }
  // The same pair without refresh is answered from the cache, whatever list
  // it is given now.
  EXPECT_TRUE(SameOcclusionGroup(List(), kUnderGroupA, kUnderGroupB, false));
  EXPECT_TRUE(SameOcclusionGroup(nullptr, kUnderGroupA, kUnderGroupB, false));
  EXPECT_EQ(sim::HostCallCount(), calls) << "cached or trivial answers asked the host";

  // A changed scene is seen only on refresh.
  WeightData* data = static_cast<WeightData*>(groupWeight_->ops->GetData(groupWeight_));
  data->groupChildren = 0;
  EXPECT_TRUE(SameOcclusionGroup(List(), kUnderGroupA, kUnderGroupB, false));
  EXPECT_FALSE(SameOcclusionGroup(List(), kUnderGroupA, kUnderGroupB, true));
  data->groupChildren = 1;

  // Beyond the object count: false, cached like any other answer.
  for (const auto& pair : {std::pair<std::int32_t, std::int32_t>{kUnderGroupA, kGroupObjectCount + 1},
                           {kGroupObjectCount + 1, kUnderGroupA}}) {
    SCOPED_TRACE(testing::Message() << "a " << pair.first << ", b " << pair.second);
    EXPECT_FALSE(SameOcclusionGroup(List(), pair.first, pair.second, true));
    EXPECT_EQ(CurrentGroupCache().lastA, pair.first);
    EXPECT_EQ(CurrentGroupCache().lastB, pair.second);
    EXPECT_FALSE(CurrentGroupCache().lastResult);
    const std::int64_t before = sim::HostCallCount();
    EXPECT_FALSE(SameOcclusionGroup(List(), pair.first, pair.second, false));
    EXPECT_EQ(sim::HostCallCount(), before);
  }
  EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
}

TEST_F(GroupScene, FailureAtEveryHostCallReleasesEverything) {
  const struct {
    std::int32_t a, b;
    bool same;
  } cases[] = {
      {kUnderGroupA, kUnderGroupB, true},
      {kBelowClearFlag, kUnderGroupA, true},
      {kUnderFlaggedOwnA, kFlaggedOwnNode, false},
      {kUnderClearOnlyA, kUnderClearOnlyB, false},
      {kUnderGroupA, kGroupNotANode, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "a " << c.a << ", b " << c.b);
    FailAtEveryCall(scene_, LookupCall{List(), c.a, c.b, false, true, false, false}, c.same);
  }
}

}  // namespace
}  // namespace qxv::test
