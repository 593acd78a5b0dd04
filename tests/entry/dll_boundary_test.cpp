// QXVpblur.dll as the host meets it: loaded at run time, reached only through
// its three exports and the operation tables they hand out, with the
// simulated host's shell (whose set-jump pair is the C runtime's own) on the
// other side of the boundary.
#if defined(_WIN32)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "blur/pblur.h"
#include "host/identifiers.h"
#include "module/entry/class_factory.h"
#include "module/counters.h"
#include "sim/host.h"
#include "sim/objects.h"
#include "sim/view.h"
#include "tests/support/feature_scene.h"
#include "tests/support/loaded_module.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

static_assert(sizeof(void*) == 4, "the host is a 32-bit program");

using InitRDComFn = Result(QXV_CALL*)(HostShell* shell);
using CanUnloadNowFn = Result(QXV_CALL*)();

class DllBoundary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadModuleBesideProgram("QXVpblur.dll");
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(module_.getClassObject);
    canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(module_.canUnloadNow);
    initRDCom_ = reinterpret_cast<InitRDComFn>(module_.initRDCom);
  }
  static void TearDownTestSuite() { UnloadModule(module_); }

  void SetUp() override {
    ASSERT_NE(module_.handle, nullptr) << "QXVpblur.dll not loaded, error " << module_.loadError;
    ASSERT_NE(getClassObject_, nullptr);
    ASSERT_NE(canUnloadNow_, nullptr);
    ASSERT_NE(initRDCom_, nullptr);
    sim::ResetHost();
    sim::ResetBadAccesses();
    ASSERT_EQ(initRDCom_(sim::Shell()), S_OK);
    baselineObjects_ = sim::LiveHostObjects();
    baselineBlocks_ = sim::LiveBlocks();
  }

  void TearDown() override {
    EXPECT_EQ(sim::LiveHostObjects(), baselineObjects_) << "host objects leaked";
    EXPECT_EQ(sim::LiveBlocks(), baselineBlocks_) << "blocks leaked";
    EXPECT_EQ(sim::LockedTiles(), 0);
    EXPECT_EQ(sim::BadAccesses(), 0);
    EXPECT_EQ(sim::ChainHead(), nullptr);
    if (canUnloadNow_) {
      EXPECT_EQ(canUnloadNow_(), S_OK);
    }
  }

  static Pblur* NewDllPblur() {
    ClassFactory* factory = nullptr;
    EXPECT_EQ(
        getClassObject_(&kCLSID_Pblur, &kIID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    if (!factory) return nullptr;
    Pblur* pblur = nullptr;
    EXPECT_EQ(factory->ops->CreateInstance(factory, nullptr, &kIID_I3DExPostRenderer,
                                           reinterpret_cast<void**>(&pblur)),
              S_OK);
    EXPECT_EQ(factory->ops->Release(factory), 0u);
    return pblur;
  }

  static LoadedModule module_;
  static GetClassObjectFn getClassObject_;
  static CanUnloadNowFn canUnloadNow_;
  static InitRDComFn initRDCom_;
  std::int32_t baselineObjects_ = 0;
  std::int32_t baselineBlocks_ = 0;
};

LoadedModule DllBoundary::module_;
GetClassObjectFn DllBoundary::getClassObject_ = nullptr;
CanUnloadNowFn DllBoundary::canUnloadNow_ = nullptr;
InitRDComFn DllBoundary::initRDCom_ = nullptr;

TEST_F(DllBoundary, ExportsThreeNamesImportsOnlySystemDllsAndTakesTheShell) {
  EXPECT_EQ(ExportedNames(module_),
            (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllInitRDCom"}));
  for (const std::string& dll : ImportedDlls(module_)) {
    EXPECT_TRUE(dll == "kernel32.dll" || dll == "msvcrt.dll" || dll == "user32.dll")
        << "imports " << dll;
  }
  // The hand-over in SetUp ran the DLL's own StoreShell.
  const std::vector<Guid>& queries = sim::ShellQueries();
  ASSERT_EQ(queries.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(SameGuid(queries[i], kShellQueries[i])) << i;

  int marker = 0;
  void* const untouched = &marker;
  void* out = untouched;
  const Guid unknownClass = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  EXPECT_EQ(getClassObject_(&unknownClass, &kIID_IClassFactory, &out), E_FAIL);
  EXPECT_EQ(getClassObject_(&kCLSID_Weight, &kIID_I3DExPostRenderer, &out), E_NOINTERFACE);
  EXPECT_EQ(out, untouched);

  ClassFactory* factory = nullptr;
  ASSERT_EQ(
      getClassObject_(&kCLSID_Weight, &kIID_IClassFactory, reinterpret_cast<void**>(&factory)),
      S_OK);
  EXPECT_EQ(factory->ops->LockServer(factory, 1), S_OK);
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  EXPECT_EQ(factory->ops->LockServer(factory, 0), S_OK);
  EXPECT_EQ(canUnloadNow_(), S_OK);
  EXPECT_EQ(factory->ops->Release(factory), 0u);
}

TEST_F(DllBoundary, FeatureSceneGivesTheSamePixelsAsTheTestsOwnCopy) {
  ASSERT_EQ(DllInitRDCom(sim::Shell()), S_OK);
  const SceneRun dll = RunFeatureScene(getClassObject_);
  const SceneRun own = RunFeatureScene(&DllGetClassObject);
  ASSERT_TRUE(dll.completed);
  ASSERT_TRUE(own.completed);
  EXPECT_EQ(dll.results, own.results);
  ASSERT_EQ(dll.images.size(), own.images.size());
  for (std::size_t f = 0; f < dll.images.size(); ++f) {
    ASSERT_EQ(dll.images[f].size(), own.images[f].size());
    const auto differ =
        std::mismatch(dll.images[f].begin(), dll.images[f].end(), own.images[f].begin());
    EXPECT_TRUE(differ.first == dll.images[f].end())
        << "frame " << f << " differs first at element " << (differ.first - dll.images[f].begin());
  }
  EXPECT_EQ(Checksum(dll.images), kFeatureSceneChecksum);
  EXPECT_EQ(liveObjects, 0);
}

TEST_F(DllBoundary, HostFailureInsideAPassIsRaisedAgainAcrossTheBoundary) {
  constexpr std::int32_t kError = 0x0BAD0D11;
  constexpr std::int32_t kDetail = -42;
  // The frames the DLL installs are recorded by the C runtime's _setjmp and
  // resumed by its longjmp.
  ASSERT_NE(module_.crtSetJump, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(sim::Shell()->ops->GetFrameSetJump(sim::Shell())),
            module_.crtSetJump);

  Frame first(20, 12, 8, 8), second(20, 12, 8, 8);
  first.DrawRect(3, 3, 5, 5, 1, 0xFF8000, 50);
  first.DrawRect(12, 2, 4, 6, 2, 0x0080FF, 60, 1);
  second.DrawRect(6, 4, 5, 5, 1, 0xFF8000, 50);
  second.DrawRect(10, 2, 4, 6, 2, 0x0080FF, 40, 1);
  RenderView* view = sim::NewRenderView();
  const std::int32_t objects = sim::LiveHostObjects();
  const std::int32_t blocks = sim::LiveBlocks();

  auto startPblur = [&]() {
    Pblur* pblur = NewDllPblur();
    pblur->parameters.depthTest = 1;
    pblur->parameters.trails = 1;
    pblur->parameters.trailFrames = 2.0f;
    pblur->parameters.echoCount = 2.0f;
    EXPECT_TRUE(RunPass(pblur, nullptr, first, view).completed);
    return pblur;
  };

  // How many host calls a full pass makes, so that every one of them raises once.
  Pblur* pblur = startPblur();
  const std::int64_t before = sim::HostCallCount();
  ASSERT_TRUE(RunPass(pblur, nullptr, second, view).completed);
  const std::int64_t calls = sim::HostCallCount() - before;
  pblur->ops->Release(pblur);
  ASSERT_GT(calls, 100);

  for (std::int64_t k = 1; k <= calls; ++k) {
    SCOPED_TRACE(::testing::Message() << "raise at host call " << k << " of " << calls);
    pblur = startPblur();
    const std::int64_t raises = sim::RaiseCount();
    sim::FailAtHostCall(k, kError, kDetail);
    const PassOutcome outcome = RunPass(pblur, nullptr, second, view);
    sim::FailAtHostCall(0, 0, 0);
    ASSERT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.error, kError);
    EXPECT_EQ(outcome.detail, kDetail);
    EXPECT_GE(sim::RaiseCount(), raises + 1);
    EXPECT_EQ(sim::ChainHead(), nullptr);
    EXPECT_EQ(pblur->tagBuffer, nullptr);
    EXPECT_EQ(sim::LiveBlocks(), blocks + 1) << "only the object itself is held";
    pblur->ops->Release(pblur);
    ASSERT_EQ(sim::LiveHostObjects(), objects);
    ASSERT_EQ(sim::LiveBlocks(), blocks);
  }
  // Unharmed by all that: a pass after the last failure still completes.
  pblur = startPblur();
  EXPECT_TRUE(RunPass(pblur, nullptr, second, view).completed);
  pblur->ops->Release(pblur);
  ReleaseInterface(view);
}

TEST_F(DllBoundary, HandleEventShowsItsBoxThroughUser32WithTheFocusWindowAsOwner) {
  // The slots replaced at load were the loader's binding to user32 itself.
  EXPECT_NE(module_.boundMessageBox, nullptr);
  EXPECT_EQ(module_.boundMessageBox, module_.user32MessageBox);
  EXPECT_EQ(module_.boundGetFocus, module_.user32GetFocus);

  Pblur* pblur = NewDllPblur();
  ASSERT_NE(pblur, nullptr);
  RenderView* view = sim::NewRenderView();
  {
    Frame frame(16, 8);
    frame.DrawRect(2, 2, 4, 4, 1, 0x808080);
    ASSERT_TRUE(RunPass(pblur, nullptr, frame, view).completed);
  }
  ASSERT_NE(pblur->referenceTags, nullptr);
  const std::int32_t objects = sim::LiveHostObjects();

  MessageBoxCalls().clear();
  EXPECT_EQ(pblur->ops->HandleEvent(pblur, static_cast<std::int32_t>(kCommandOptIn)), S_OK);
  ASSERT_EQ(MessageBoxCalls().size(), 1u);
  EXPECT_EQ(MessageBoxCalls()[0].text, "SELO");
  EXPECT_EQ(MessageBoxCalls()[0].caption, "QXV Blur?");
  EXPECT_EQ(MessageBoxCalls()[0].owner, FocusWindowForTest());
  EXPECT_EQ(MessageBoxCalls()[0].style, 0x1000u);
  // The event also drops the cached frame.
  EXPECT_EQ(pblur->referenceTags, nullptr);
  EXPECT_LT(sim::LiveHostObjects(), objects);

  pblur->ops->Release(pblur);
  ReleaseInterface(view);
}

}  // namespace
}  // namespace qxv::test
#endif  // _WIN32
