// The pass gives the same pixels on every target: the checksum of a scene
// with every feature on is fixed here, and each build must reproduce it.
#include <gtest/gtest.h>

#include <iomanip>

#include "tests/support/feature_scene.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

class SamePixels : public ModuleTest {};

TEST_F(SamePixels, FeatureSceneGivesTheRecordedChecksum) {
  const SceneRun run = RunFeatureScene(&DllGetClassObject);
  ASSERT_TRUE(run.completed);
  ASSERT_EQ(run.images.size(), run.rendered.size());
  for (std::size_t f = 0; f < run.images.size(); ++f) {
    SCOPED_TRACE(::testing::Message() << "frame " << f);
    EXPECT_EQ(run.results[f], S_OK);
    // The first frame only becomes the reference; every later one is blurred.
    EXPECT_EQ(run.images[f] == run.rendered[f], f == 0);
  }
  const std::uint64_t actual = Checksum(run.images);
  EXPECT_EQ(actual, kFeatureSceneChecksum)
      << "feature scene checksum is 0x" << std::hex << std::uppercase << std::setw(16)
      << std::setfill('0') << actual
      << "; if the pass changed on purpose, put it in tests/support/feature_scene.h";
}

}  // namespace
}  // namespace qxv::test
