// Object tagging over a one-tile tag buffer, with the lookups it makes
// observed through the scene's object list.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "blur/tag_objects.h"
#include "tests/support/module_fixture.h"
#include "weight/weight.h"

namespace qxv::test {
namespace {

constexpr std::uint32_t S = 0x40000000u;  // second-streak bit
constexpr std::uint32_t O = 0x80000000u;  // outline bit

// Stands in front of the scene's list and notes every object fetched, so the
// lookups TagObjects makes can be counted.
struct CountingList {
  SceneObjectList face;
  SceneObjectList* real;
  std::vector<std::int32_t> fetched;
};
CountingList* counting = nullptr;

std::int32_t QXV_CALL CountedObjectCount(SceneObjectList*) {
  return counting->real->ops->GetObjectCount(counting->real);
}
Unknown* QXV_CALL CountedObjectAt(SceneObjectList*, std::int32_t index) {
  counting->fetched.push_back(index);
  return counting->real->ops->GetObjectAt(counting->real, index);
}

// Objects of the scene, each on its own top node.
enum TagObject : std::uint32_t {
  kBlurredNoSecond = 1,  // Weight 5.0 / 1.0
  kExcludedSecond = 2,   // Weight 1.0 / 5.0: excluded unless every object is blurred
  kNoWeight = 3,         // excluded only when objects must opt in
  kBlurredSecond = 4,    // Weight 5.0 / 5.0
};

class TagObjectsTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    scene_ = sim::NewScene();
    const float weights[][2] = {{5.0f, 1.0f}, {1.0f, 5.0f}, {0, 0}, {5.0f, 5.0f}};
    for (std::uint32_t object = 1; object <= 4; ++object) {
      const std::int32_t node = sim::AddNode(scene_, -1);
      if (object != kNoWeight) {
        Weight* weight = NewWeight();
        weight->data.primaryWeight = weights[object - 1][0];
        weight->data.secondaryWeight = weights[object - 1][1];
        sim::Attach(scene_, node, AsUnknown(weight));
      }
      sim::AddRenderedObject(scene_, node);
    }
    listOps_ = *sim::ObjectList(scene_)->ops;
    listOps_.GetObjectCount = CountedObjectCount;
    listOps_.GetObjectAt = CountedObjectAt;
    list_.face.ops = &listOps_;
    list_.real = sim::ObjectList(scene_);
    counting = &list_;
  }
  void TearDown() override {
    counting = nullptr;
    pblur_->sceneObjects = nullptr;
    sim::DestroyScene(scene_);
    ModuleTest::TearDown();
  }

  // Tags a buffer of the given indices and hands back what TagObjects made of it.
  std::vector<std::uint32_t> Tag(std::uint32_t width, std::uint32_t height,
                                 const std::vector<std::uint32_t>& indices, std::int16_t mode) {
    sim::BufferSpec spec;
    spec.width = width;
    spec.height = height;
    TileBuffer* tags = sim::NewTileBuffer(spec);
    sim::Fill(tags, indices);
    pblur_->tagBuffer = tags;
    pblur_->sceneObjects = &list_.face;
    list_.fetched.clear();
    TileIterator* iterator = nullptr;
    TagObjects(pblur_, mode, &iterator);
    EXPECT_EQ(iterator, nullptr) << "iterator left in its slot";
    std::vector<std::uint32_t> out = sim::Snapshot(tags);
    ReleaseInterface(tags);
    pblur_->tagBuffer = nullptr;
    EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
    return out;
  }

  sim::Scene* scene_ = nullptr;
  SceneObjectListOps listOps_ = {};
  CountingList list_ = {};
};

std::string Grid(const std::vector<std::uint32_t>& v, std::uint32_t width) {
  std::ostringstream out;
  out << std::hex;
  for (std::size_t i = 0; i < v.size(); ++i) {
    out << (i % width == 0 ? "\n  " : " ") << "0x" << v[i];
  }
  return out.str();
}

TEST_F(TagObjectsTest, TagsOutlinesSecondStreaksAndLookups) {
  struct Case {
    const char* name;
    std::int16_t mode;
    std::uint32_t width, height;
    std::vector<std::uint32_t> indices;
    std::vector<std::uint32_t> tags;
    std::vector<std::int32_t> fetched;  // objects looked up, in scan order
  };
  const Case cases[] = {
      {"every object blurred: no lookup, background tagged too, host bits ignored",
       ModeAll, 4, 3,
       {0, 0, 0, 0,
        0, 0xC0000000u | kExcludedSecond, kExcludedSecond, 0x80000000u,
        0, 0, 0, 0x40000000u | kNoWeight},
       {S, S | O, S | O, S,
        S | O, kExcludedSecond | S | O, kExcludedSecond | S | O, S | O,
        S, S | O, S | O, kNoWeight | S | O},
       {}},
      {"one lookup per change of index, runs carried across row ends", ModeOptOut, 4, 3,
       {0, 1, 1, 4,
        4, 4, 0, 1,
        1, 1, 1, 1},
       {S | O, 1 | O, 1 | O, 4 | S | O,
        4 | S | O, 4 | S | O, S | O, 1 | O,
        1 | O, 1 | O, 1 | O, 1},
       {1, 4, 1}},
      {"background at the start is not looked up, later background keeps the last answer",
       ModeOptOut, 3, 1,
       {0, kBlurredNoSecond, 0},
       {S | O, kBlurredNoSecond | O, O},
       {kBlurredNoSecond}},
      {"excluded neighbours: right still compared by index, left only from an object",
       ModeOptOut, 7, 1,
       {1, 2, 0, 0, 2, 1, 1},
       {1 | O, 0, S, S | O, 0, 1 | O, 1},
       {1, 2, 2, 1}},
      {"one-pixel object with the second streak", ModeOptOut, 3, 3,
       {0, 0, 0,
        0, kBlurredSecond, 0,
        0, 0, 0},
       {S, S | O, S,
        S | O, kBlurredSecond | S | O, S | O,
        S, S | O, S},
       {kBlurredSecond}},
      {"one-pixel object without it", ModeOptOut, 3, 3,
       {0, 0, 0,
        0, kBlurredNoSecond, 0,
        0, 0, 0},
       {S, S | O, S,
        S | O, kBlurredNoSecond | O, O,
        0, O, 0},
       {kBlurredNoSecond}},
      {"opt-in drops objects without a Weight", ModeOptIn, 4, 1,
       {kNoWeight, kNoWeight, kBlurredSecond, kBlurredNoSecond},
       {0, 0, kBlurredSecond | S | O, kBlurredNoSecond | O},
       {kNoWeight, kBlurredSecond, kBlurredNoSecond}},
      {"opt-out keeps them with the second streak", ModeOptOut, 4, 1,
       {kNoWeight, kNoWeight, kBlurredSecond, kBlurredNoSecond},
       {kNoWeight | S, kNoWeight | S | O, kBlurredSecond | S | O, kBlurredNoSecond | O},
       {kNoWeight, kBlurredSecond, kBlurredNoSecond}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint32_t> tags = Tag(c.width, c.height, c.indices, c.mode);
    EXPECT_EQ(tags, c.tags) << "got" << Grid(tags, c.width) << "\nwanted"
                            << Grid(c.tags, c.width);
    EXPECT_EQ(list_.fetched, c.fetched);
  }
}

}  // namespace
}  // namespace qxv::test
