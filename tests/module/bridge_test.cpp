// The kept shell, the guarded wrappers and protected blocks, driven through
// the simulated host's real failure chain.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/identifiers.h"
#include "module/held.h"
#include "module/host_bridge.h"
#include "module/protected_block.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

// A shell that forwards to the simulated one but records what StoreShell asks
// of it, and can make the module's raise come back instead of jumping.
struct ShellRecord {
  std::vector<Guid> queries;
  std::vector<HostShell*> keptDuringQueries;
  std::vector<std::size_t> queriesAtFetch;
  int markers[64] = {};
  bool raiseReturns = false;
  std::vector<std::pair<std::int32_t, std::int32_t>> raises;
};
ShellRecord* record = nullptr;

Result QXV_CALL RecordQuery(HostShell*, const Guid* iid, void** out) {
  record->queries.push_back(*iid);
  record->keptDuringQueries.push_back(KeptShell());
  // A distinct pointer per call, with a failure code the module must ignore.
  *out = &record->markers[(record->queries.size() - 1) % 64];
  return E_NOINTERFACE;
}

FrameSetJumpFn QXV_CALL RecordFetch(HostShell* self) {
  record->queriesAtFetch.push_back(record->queries.size());
  return sim::Shell()->ops->GetFrameSetJump(sim::Shell());
}

void QXV_CALL RecordRaise(HostShell*, std::int32_t error, std::int32_t detail) {
  record->raises.push_back({error, detail});
  if (!record->raiseReturns) sim::RaiseFailure(error, detail);
}

HostShell* RecordingShell() {
  static const HostShellOps ops = [] {
    HostShellOps o = *sim::Shell()->ops;
    o.QueryInterface = RecordQuery;
    o.GetFrameSetJump = RecordFetch;
    o.RaiseFailure = RecordRaise;
    return o;
  }();
  static HostShell shell = {&ops};
  return &shell;
}

class HostBridge : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    record = &record_;
  }
  void TearDown() override {
    // Later tests and the fixture's own clean-up need the simulated shell back.
    DllInitRDCom(sim::Shell());
    record = nullptr;
    ModuleTest::TearDown();
  }
  ShellRecord record_;
};

TEST_F(HostBridge, EveryHandOverRepeatsTheFiveQueriesThenFetchesFrameSetJump) {
  for (int handOver = 1; handOver <= 2; ++handOver) {
    SCOPED_TRACE(handOver);
    StoreShell(RecordingShell());
    ASSERT_EQ(record_.queries.size(), 5u * handOver);
    for (int i = 0; i < 5; ++i) {
      const std::size_t call = 5u * (handOver - 1) + i;
      EXPECT_TRUE(SameGuid(record_.queries[call], kShellQueries[i])) << "query " << i;
      EXPECT_EQ(record_.keptDuringQueries[call], RecordingShell()) << "shell kept after querying";
      // Overwritten with what the shell wrote, though it answered with a failure.
      EXPECT_EQ(ShellInterface(i), &record_.markers[call]) << "query " << i;
    }
    ASSERT_EQ(record_.queriesAtFetch.size(), static_cast<std::size_t>(handOver));
    EXPECT_EQ(record_.queriesAtFetch.back(), 5u * handOver) << "fetched before the queries";
    EXPECT_EQ(KeptShell(), RecordingShell());
    EXPECT_NE(KeptFrameSetJump(), nullptr);
  }
  // The simulated shell's own hand-over asks the same five, in the same order.
  const std::size_t before = sim::ShellQueries().size();
  EXPECT_EQ(DllInitRDCom(sim::Shell()), S_OK);
  ASSERT_EQ(sim::ShellQueries().size(), before + 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(SameGuid(sim::ShellQueries()[before + i], kShellQueries[i])) << "query " << i;
  }
  EXPECT_EQ(InitShell(), sim::Shell());
}

TEST_F(HostBridge, NullShellChangesNothingButDllInitRDComStillSetsInitShell) {
  void* interfaces[5];
  for (int i = 0; i < 5; ++i) interfaces[i] = ShellInterface(i);
  const FrameSetJumpFn setJump = KeptFrameSetJump();
  const std::size_t queries = sim::ShellQueries().size();

  StoreShell(nullptr);
  EXPECT_EQ(DllInitRDCom(nullptr), S_OK);

  EXPECT_EQ(KeptShell(), sim::Shell());
  EXPECT_EQ(KeptFrameSetJump(), setJump);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ShellInterface(i), interfaces[i]) << i;
  EXPECT_EQ(sim::ShellQueries().size(), queries);
  EXPECT_EQ(InitShell(), nullptr);  // DllInitRDCom sets it to whatever it was given
  // Allocation still goes through the kept shell.
  void* block = Allocate(8);
  EXPECT_NE(block, nullptr);
  Free(block);
}

TEST_F(HostBridge, WithoutAKeptShellTheWrappersNeverCallTheHost) {
  void* block = Allocate(16);
  ASSERT_NE(block, nullptr);
  ClearShell();  // as at unload
  EXPECT_EQ(KeptShell(), nullptr);
  EXPECT_EQ(InitShell(), sim::Shell()) << "unload must leave initShell alone";

  const std::int64_t calls = sim::HostCallCount();
  const std::int64_t allocations = sim::AllocationCount();
  const std::int32_t blocks = sim::LiveBlocks();
  EXPECT_EQ(Allocate(16), nullptr);
  Free(block);
  EXPECT_EQ(FailureChain(), nullptr);
  EXPECT_EQ(sim::HostCallCount(), calls);
  EXPECT_EQ(sim::AllocationCount(), allocations);
  EXPECT_EQ(sim::LiveBlocks(), blocks);

  // Raise does nothing, and a protected block runs unprotected, leaving the
  // host's own frame at the head.
  struct Probe {
    FailureFrame* hostFrame;
    FailureFrame* headInBody;
    int runs;
    bool result;
  } probe = {};
  const auto body = [](void* p) {
    Probe* self = static_cast<Probe*>(p);
    self->hostFrame = sim::ChainHead();
    self->result = RunProtected(
        [](void* q) {
          Probe* inner = static_cast<Probe*>(q);
          ++inner->runs;
          inner->headInBody = sim::ChainHead();
          Raise(7, 8);
        },
        [](void*) { ADD_FAILURE() << "clean-up without a failure"; }, self);
    EXPECT_EQ(sim::ChainHead(), self->hostFrame);
  };
  std::int32_t error = 0, detail = 0;
  EXPECT_TRUE(sim::RunInHostFrame(body, &probe, &error, &detail));
  EXPECT_TRUE(probe.result);
  EXPECT_EQ(probe.runs, 1);
  EXPECT_EQ(probe.headInBody, probe.hostFrame);
  EXPECT_EQ(sim::RaiseCount(), 0);

  DllInitRDCom(sim::Shell());
  Free(block);
  EXPECT_EQ(sim::LiveBlocks(), blocks - 1);
}

// A probe body that can return early, recording the head it ran under.
struct BlockProbe {
  bool early;
  bool nested;
  int runs;
  int cleanups;
  bool pastEarlyReturn;
  FailureFrame* headInBody;
  FailureFrame* headAfterInner;
  bool innerResult;
};

void ProbeBody(BlockProbe* p);
void ProbeCleanup(BlockProbe* p) { ++p->cleanups; }

void ProbeBody(BlockProbe* p) {
  ++p->runs;
  p->headInBody = sim::ChainHead();
  if (p->nested) {
    BlockProbe inner = {};
    inner.early = true;
    p->innerResult = Protected<BlockProbe, ProbeBody, ProbeCleanup>(&inner);
    p->headAfterInner = sim::ChainHead();
  }
  if (p->early) return;
  p->pastEarlyReturn = true;
}

TEST_F(HostBridge, EmptyChainRunsTheBodyOnceAndInstallsNothing) {
  ASSERT_EQ(sim::ChainHead(), nullptr);
  BlockProbe probe = {};
  EXPECT_TRUE((Protected<BlockProbe, ProbeBody, ProbeCleanup>(&probe)));
  EXPECT_EQ(probe.runs, 1);
  EXPECT_EQ(probe.cleanups, 0);
  EXPECT_EQ(probe.headInBody, nullptr);
  EXPECT_EQ(sim::ChainHead(), nullptr);
}

TEST_F(HostBridge, EveryExitRestoresTheHeadItFound) {
  struct Case {
    bool early;
    bool nested;
  };
  for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true},
                       Case{true, true}}) {
    SCOPED_TRACE(testing::Message() << "early " << c.early << " nested " << c.nested);
    struct Run {
      BlockProbe probe;
      FailureFrame* hostFrame;
      FailureFrame* headAfter;
      std::int64_t chainRequests;
      bool result;
    } run = {};
    run.probe.early = c.early;
    run.probe.nested = c.nested;
    const auto body = [](void* r) {
      Run* self = static_cast<Run*>(r);
      self->hostFrame = sim::ChainHead();
      const std::int64_t before = sim::FailureChainRequests();
      self->result = Protected<BlockProbe, ProbeBody, ProbeCleanup>(&self->probe);
      self->chainRequests = sim::FailureChainRequests() - before;
      self->headAfter = sim::ChainHead();
    };
    EXPECT_TRUE(sim::RunInHostFrame(body, &run, nullptr, nullptr));
    // The head's address is asked for at each access: read it, install the
    // block's frame, restore the head (and the same three for a nested block).
    EXPECT_EQ(run.chainRequests, c.nested ? 6 : 3);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.probe.runs, 1);
    EXPECT_EQ(run.probe.pastEarlyReturn, !c.early);
    EXPECT_EQ(run.probe.cleanups, 0);
    ASSERT_NE(run.hostFrame, nullptr);
    // A frame of the block's own was installed over the host's.
    ASSERT_NE(run.probe.headInBody, nullptr);
    EXPECT_NE(run.probe.headInBody, run.hostFrame);
    EXPECT_EQ(run.probe.headInBody->enclosing, run.hostFrame);
    EXPECT_EQ(run.headAfter, run.hostFrame);
    if (c.nested) {
      EXPECT_TRUE(run.probe.innerResult);
      EXPECT_EQ(run.probe.headAfterInner, run.probe.headInBody);
    }
    EXPECT_EQ(sim::ChainHead(), nullptr);
  }
}

// A recursive walk up a chain of scene nodes, one protected block per level,
// each level holding its parent while it recurses.
struct WalkLog {
  int raiseAtDepth;  // 0: only injected failures
  std::vector<int> cleanupDepths;
  std::vector<bool> heldAtCleanup;
  int finishedLevels;  // past the recursion
  int levelsEntered;
  int levelsExited;  // by either exit
};

struct WalkLevel {
  SceneNode* node;
  SceneNode* parent;
  int depth;
  WalkLog* log;
};

bool Walk(SceneNode* node, int depth, WalkLog* log);

void WalkBody(WalkLevel* level) {
  ++level->log->levelsEntered;
  level->parent = level->node->ops->GetParent(level->node);
  if (!level->parent) {
    ++level->log->levelsExited;
    return;
  }
  if (level->depth == level->log->raiseAtDepth) sim::RaiseFailure(-77, 0x1234);
  Walk(level->parent, level->depth + 1, level->log);
  ReleaseField(&level->parent);
  ++level->log->finishedLevels;
  ++level->log->levelsExited;
}

void WalkCleanup(WalkLevel* level) {
  level->log->cleanupDepths.push_back(level->depth);
  level->log->heldAtCleanup.push_back(level->parent != nullptr);
  ReleaseField(&level->parent);
}

bool Walk(SceneNode* node, int depth, WalkLog* log) {
  WalkLevel level = {node, nullptr, depth, log};
  return Protected<WalkLevel, WalkBody, WalkCleanup>(&level);
}

struct WalkCall {
  SceneNode* leaf;
  WalkLog* log;
};

void RunWalk(void* c) {
  WalkCall* call = static_cast<WalkCall*>(c);
  Walk(call->leaf, 1, call->log);
}

class NestedWalk : public HostBridge {
 protected:
  void SetUp() override {
    HostBridge::SetUp();
    scene_ = sim::NewScene();
    std::int32_t node = sim::AddNode(scene_, -1);
    for (int i = 0; i < 3; ++i) node = sim::AddNode(scene_, node);
    leaf_ = sim::NodePointer(scene_, node);
  }
  void TearDown() override {
    sim::DestroyScene(scene_);
    HostBridge::TearDown();
  }
  sim::Scene* scene_ = nullptr;
  SceneNode* leaf_ = nullptr;
};

TEST_F(NestedWalk, FailureTwoLevelsDownReleasesBothLevelsAndReachesTheHostFrame) {
  WalkLog log = {};
  log.raiseAtDepth = 2;
  WalkCall call = {leaf_, &log};
  std::int32_t error = 0, detail = 0;
  EXPECT_FALSE(sim::RunInHostFrame(RunWalk, &call, &error, &detail));
  EXPECT_EQ(error, -77);
  EXPECT_EQ(detail, 0x1234);
  // Innermost first, each level still holding the parent it took.
  EXPECT_EQ(log.cleanupDepths, (std::vector<int>{2, 1}));
  EXPECT_EQ(log.heldAtCleanup, (std::vector<bool>{true, true}));
  EXPECT_EQ(log.finishedLevels, 0);
  EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
  // The first raise and one more per level passing it on.
  EXPECT_EQ(sim::RaiseCount(), 3);
  EXPECT_EQ(sim::ChainHead(), nullptr);
}

TEST_F(NestedWalk, FailureAtEveryHostCallIsPassedOnWithNothingHeld) {
  bool completed = false;
  for (std::int64_t k = 1; !completed && k < 100; ++k) {
    SCOPED_TRACE(testing::Message() << "failure at host call " << k);
    WalkLog log = {};
    WalkCall call = {leaf_, &log};
    std::int32_t error = 0, detail = 0;
    sim::FailAtHostCall(k, 1000 + static_cast<std::int32_t>(k), -static_cast<std::int32_t>(k));
    completed = sim::RunInHostFrame(RunWalk, &call, &error, &detail);
    sim::FailAtHostCall(0, 0, 0);
    if (!completed) {
      EXPECT_EQ(error, 1000 + k);
      EXPECT_EQ(detail, -k);
      // Every level still running cleans up; one whose body has just ended
      // may too, when the failure comes before it restored the head.
      EXPECT_GE(log.cleanupDepths.size(),
                static_cast<std::size_t>(log.levelsEntered - log.levelsExited));
      EXPECT_LE(log.cleanupDepths.size(), static_cast<std::size_t>(log.levelsEntered));
    } else {
      EXPECT_EQ(log.levelsEntered, 4);
      EXPECT_EQ(log.finishedLevels, 3);
    }
    EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
    EXPECT_EQ(sim::ChainHead(), nullptr);
  }
  EXPECT_TRUE(completed);
}

TEST_F(NestedWalk, ARaiseThatComesBackEndsTheBlockWithItsFallback) {
  StoreShell(RecordingShell());
  record_.raiseReturns = true;
  struct Run {
    SceneNode* node;
    FailureFrame* hostFrame;
    FailureFrame* headAfter;
    bool result;
    WalkLog log;
  } run = {};
  run.node = leaf_;
  run.log.raiseAtDepth = 1;
  const auto body = [](void* r) {
    Run* self = static_cast<Run*>(r);
    self->hostFrame = sim::ChainHead();
    self->result = Walk(self->node, 1, &self->log);
    self->headAfter = sim::ChainHead();
  };
  std::int32_t error = 0, detail = 0;
  EXPECT_TRUE(sim::RunInHostFrame(body, &run, &error, &detail));
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.log.cleanupDepths, (std::vector<int>{1}));
  ASSERT_EQ(record_.raises.size(), 1u);
  EXPECT_EQ(record_.raises[0], (std::pair<std::int32_t, std::int32_t>{-77, 0x1234}));
  EXPECT_EQ(run.headAfter, run.hostFrame);
  EXPECT_EQ(sim::OutstandingSceneReferences(scene_), 0);
}

}  // namespace
}  // namespace qxv::test
