// A host may run its user interface while the pass polls it, and the user
// may edit the parameter block then: the frame in progress keeps the values
// it started with, and the edits stay in the block for the next frame.
#include <gtest/gtest.h>

#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

class PassParameterEdits : public ModuleTest {};

struct EditAtFirstPoll {
  ParameterBlock* block;
  bool done;
};

void EditEverything(void* context) {
  EditAtFirstPoll* edit = static_cast<EditAtFirstPoll*>(context);
  if (edit->done) return;
  edit->done = true;
  ParameterBlock& p = *edit->block;
  p.secondaryLayer = 0;
  p.depthTest = 1;
  p.jitter = 1;
  p.streakLength = 30.0f;
  p.mainStrength = 20.0f;
  p.altLength = 2.0f;
  p.altStrength = 1.0f;
  p.echoCount = 3.0f;
  p.reverseLength = 7.0f;
  p.trails = 1;
  p.trailFrames = 4.0f;
}

TEST_F(PassParameterEdits, AFrameKeepsTheValuesItStartedWith) {
  Pblur* steady = NewPblurFromFactory();
  Pblur* edited = NewPblurFromFactory();
  std::vector<std::uint32_t> images[2];
  Pblur* const objects[2] = {steady, edited};
  for (int i = 0; i < 2; ++i) {
    Frame first(40, 24, 16, 16), second(40, 24, 16, 16);
    first.DrawRect(4, 4, 8, 6, 1, 0xFF4020);
    first.DrawRect(20, 12, 6, 6, 2, 0x2040FF, 100, 1);
    second.DrawRect(9, 6, 8, 6, 1, 0xFF4020);
    second.DrawRect(25, 14, 6, 6, 2, 0x2040FF, 100, 1);
    ASSERT_EQ(RunPass(objects[i], nullptr, first, view_).result, S_OK);
    EditAtFirstPoll edit = {&objects[i]->parameters, objects[i] == steady};
    sim::SetPollHook(EditEverything, &edit);
    const PassOutcome outcome = RunPass(objects[i], nullptr, second, view_);
    sim::SetPollHook(nullptr, nullptr);
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.result, S_OK);
    images[i] = sim::Snapshot(second.image);
  }
  EXPECT_EQ(images[1], images[0]) << "the edits reached the frame in progress";
  // The pass wrote nothing over the host's edits.
  const ParameterBlock& p = edited->parameters;
  EXPECT_EQ(p.secondaryLayer, 0);
  EXPECT_EQ(p.depthTest, 1);
  EXPECT_EQ(p.streakLength, 30.0f);
  EXPECT_EQ(p.echoCount, 3.0f);
  EXPECT_EQ(p.trailFrames, 4.0f);
  // Taken as the frame started: trails were off then.
  EXPECT_EQ(p.activeTrailFrames, 0.0f);
  // The next frame works with the edited block.
  Frame third(40, 24, 16, 16);
  third.DrawRect(14, 8, 8, 6, 1, 0xFF4020);
  const PassOutcome next = RunPass(edited, nullptr, third, view_);
  ASSERT_TRUE(next.completed);
  EXPECT_EQ(next.result, S_OK);
  EXPECT_EQ(edited->parameters.activeTrailFrames, 4.0f);
  EXPECT_NE(edited->mainStreakLayer, nullptr) << "trails now keep the layer";
  EXPECT_EQ(edited->secondaryStreakLayer, nullptr) << "no secondary layer any more";
  steady->ops->Release(steady);
  edited->ops->Release(edited);
}

}  // namespace
}  // namespace qxv::test
