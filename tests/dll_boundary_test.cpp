// QXVpblur.dll as the host meets it: loaded at run time, reached only through
// its three exports and the operation tables they hand out, with the
// simulated host's shell (whose set-jump pair is the C runtime's own) on the
// other side of the boundary.
#if defined(_WIN32)
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "blur/pblur.h"
#include "host/identifiers.h"
#include "module/class_factory.h"
#include "module/counters.h"
#include "sim/host.h"
#include "sim/objects.h"
#include "sim/view.h"
#include "tests/support/feature_scene.h"
#include "tests/support/module_fixture.h"

namespace qxv::test {
namespace {

static_assert(sizeof(void*) == 4, "the host is a 32-bit program");

using InitRDComFn = Result(QXV_CALL*)(HostShell* shell);
using CanUnloadNowFn = Result(QXV_CALL*)();

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

const unsigned char* Base(HMODULE module) { return reinterpret_cast<const unsigned char*>(module); }

const IMAGE_NT_HEADERS32* Headers(HMODULE module) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Base(module));
  return reinterpret_cast<const IMAGE_NT_HEADERS32*>(Base(module) + dos->e_lfanew);
}

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int entry) {
  return Headers(module)->OptionalHeader.DataDirectory[entry];
}

std::vector<std::string> ExportedNames(HMODULE module) {
  std::vector<std::string> names;
  const IMAGE_DATA_DIRECTORY& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
  if (dir.VirtualAddress == 0) return names;
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(Base(module) + dir.VirtualAddress);
  const auto* nameRvas = reinterpret_cast<const DWORD*>(Base(module) + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(Base(module) + nameRvas[i]));
  }
  std::sort(names.begin(), names.end());
  return names;
}

const IMAGE_IMPORT_DESCRIPTOR* FirstImport(HMODULE module) {
  return reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
      Base(module) + Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
}

std::vector<std::string> ImportedDlls(HMODULE module) {
  std::vector<std::string> dlls;
  for (const auto* import = FirstImport(module); import->Name != 0; ++import) {
    dlls.push_back(Lower(reinterpret_cast<const char*>(Base(module) + import->Name)));
  }
  return dlls;
}

// Points the module's import slot for dll!name at `replacement`; returns
// what the loader had put there, or null when the module does not import it.
void* PatchImport(HMODULE module, const char* dll, const char* name, void* replacement) {
  for (const auto* import = FirstImport(module); import->Name != 0; ++import) {
    if (Lower(reinterpret_cast<const char*>(Base(module) + import->Name)) != Lower(dll)) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA32*>(
        Base(module) + (import->OriginalFirstThunk ? import->OriginalFirstThunk
                                                   : import->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA32*>(const_cast<unsigned char*>(Base(module)) +
                                                         import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL32(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(Base(module) + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD protection = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                          &protection)) {
        return nullptr;
      }
      void* original = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<DWORD>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
      return original;
    }
  }
  return nullptr;
}

// What the module passed to MessageBoxA, through its patched import.
struct MessageBoxCall {
  HWND owner;
  std::string text;
  std::string caption;
  UINT style;
};
std::vector<MessageBoxCall> messageBoxCalls;
const HWND kFocusWindow = reinterpret_cast<HWND>(0x00C0FFEE);

HWND WINAPI FocusForTest() { return kFocusWindow; }

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  messageBoxCalls.push_back({owner, text ? text : "(null)", caption ? caption : "(null)", style});
  return IDOK;
}

struct LoadedModule {
  HMODULE handle = nullptr;
  GetClassObjectFn getClassObject = nullptr;
  CanUnloadNowFn canUnloadNow = nullptr;
  InitRDComFn initRDCom = nullptr;
  void* loaderMessageBox = nullptr;
  void* loaderGetFocus = nullptr;
};

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The DLL beside the test program, as the host finds a plug-in in its folder.
LoadedModule LoadModule() {
  LoadedModule m;
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, length);
  file = file.substr(0, file.find_last_of("\\/") + 1) + "QXVpblur.dll";
  m.handle = LoadLibraryA(file.c_str());
  if (!m.handle) return m;
  m.getClassObject = Export<GetClassObjectFn>(m.handle, "DllGetClassObject");
  m.canUnloadNow = Export<CanUnloadNowFn>(m.handle, "DllCanUnloadNow");
  m.initRDCom = Export<InitRDComFn>(m.handle, "DllInitRDCom");
  // The box must not block the run, and its copy of the handler setter is
  // out of reach: replace the platform calls themselves.
  m.loaderMessageBox =
      PatchImport(m.handle, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordMessageBox));
  m.loaderGetFocus =
      PatchImport(m.handle, "user32.dll", "GetFocus", reinterpret_cast<void*>(&FocusForTest));
  return m;
}

class DllBoundary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = LoadModule(); }
  static void TearDownTestSuite() {
    if (module_.handle) FreeLibrary(module_.handle);
    module_ = LoadedModule();
  }

  void SetUp() override {
    ASSERT_NE(module_.handle, nullptr) << "QXVpblur.dll not loaded, error " << GetLastError();
    ASSERT_NE(module_.getClassObject, nullptr);
    ASSERT_NE(module_.canUnloadNow, nullptr);
    ASSERT_NE(module_.initRDCom, nullptr);
    sim::ResetHost();
    sim::ResetBadAccesses();
    ASSERT_EQ(module_.initRDCom(sim::Shell()), S_OK);
    baselineObjects_ = sim::LiveHostObjects();
    baselineBlocks_ = sim::LiveBlocks();
  }

  void TearDown() override {
    EXPECT_EQ(sim::LiveHostObjects(), baselineObjects_) << "host objects leaked";
    EXPECT_EQ(sim::LiveBlocks(), baselineBlocks_) << "blocks leaked";
    EXPECT_EQ(sim::LockedTiles(), 0);
    EXPECT_EQ(sim::BadAccesses(), 0);
    EXPECT_EQ(sim::ChainHead(), nullptr);
    if (module_.canUnloadNow) EXPECT_EQ(module_.canUnloadNow(), S_OK);
  }

  static Pblur* NewDllPblur() {
    ClassFactory* factory = nullptr;
    EXPECT_EQ(module_.getClassObject(&kCLSID_Pblur, &kIID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)),
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
  std::int32_t baselineObjects_ = 0;
  std::int32_t baselineBlocks_ = 0;
};

LoadedModule DllBoundary::module_;

TEST_F(DllBoundary, ExportsThreeNamesImportsOnlySystemDllsAndTakesTheShell) {
  EXPECT_EQ(ExportedNames(module_.handle),
            (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllInitRDCom"}));
  for (const std::string& dll : ImportedDlls(module_.handle)) {
    EXPECT_TRUE(dll == "kernel32.dll" || dll == "msvcrt.dll" || dll == "user32.dll")
        << "imports " << dll;
  }
  // The hand-over in SetUp ran the DLL's own StoreShell.
  const std::vector<Guid>& queries = sim::ShellQueries();
  ASSERT_EQ(queries.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(SameGuid(queries[i], kShellQueries[i])) << i;

  void* untouched = &queries;
  void* out = untouched;
  const Guid unknownClass = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  EXPECT_EQ(module_.getClassObject(&unknownClass, &kIID_IClassFactory, &out), E_FAIL);
  EXPECT_EQ(module_.getClassObject(&kCLSID_Weight, &kIID_I3DExPostRenderer, &out),
            E_NOINTERFACE);
  EXPECT_EQ(out, untouched);

  ClassFactory* factory = nullptr;
  ASSERT_EQ(module_.getClassObject(&kCLSID_Weight, &kIID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(factory->ops->LockServer(factory, 1), S_OK);
  EXPECT_EQ(module_.canUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->ops->LockServer(factory, 0), S_OK);
  EXPECT_EQ(module_.canUnloadNow(), S_OK);
  EXPECT_EQ(factory->ops->Release(factory), 0u);
}

TEST_F(DllBoundary, FeatureSceneGivesTheSamePixelsAsTheTestsOwnCopy) {
  ASSERT_EQ(DllInitRDCom(sim::Shell()), S_OK);
  const SceneRun dll = RunFeatureScene(module_.getClassObject);
  const SceneRun own = RunFeatureScene(&DllGetClassObject);
  ASSERT_TRUE(dll.completed);
  ASSERT_TRUE(own.completed);
  EXPECT_EQ(dll.results, own.results);
  ASSERT_EQ(dll.images.size(), own.images.size());
  for (std::size_t f = 0; f < dll.images.size(); ++f) {
    ASSERT_EQ(dll.images[f].size(), own.images[f].size());
    const auto differ = std::mismatch(dll.images[f].begin(), dll.images[f].end(),
                                      own.images[f].begin());
    EXPECT_TRUE(differ.first == dll.images[f].end())
        << "frame " << f << " differs first at element " << (differ.first - dll.images[f].begin());
  }
  EXPECT_EQ(Checksum(dll.images), kFeatureSceneChecksum);
  EXPECT_EQ(liveObjects, 0);
}

TEST_F(DllBoundary, HostFailureInsideAPassIsRaisedAgainAcrossTheBoundary) {
  constexpr std::int32_t kError = 0x0BAD0D11;
  constexpr std::int32_t kDetail = -42;
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
  HMODULE user32 = GetModuleHandleA("user32.dll");
  ASSERT_NE(user32, nullptr);
  // The slots replaced at load were the loader's binding to user32 itself.
  EXPECT_EQ(module_.loaderMessageBox,
            reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxA")));
  EXPECT_EQ(module_.loaderGetFocus, reinterpret_cast<void*>(GetProcAddress(user32, "GetFocus")));

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

  messageBoxCalls.clear();
  EXPECT_EQ(pblur->ops->HandleEvent(pblur, static_cast<std::int32_t>(kCommandOptIn)), S_OK);
  ASSERT_EQ(messageBoxCalls.size(), 1u);
  EXPECT_EQ(messageBoxCalls[0].text, "SELO");
  EXPECT_EQ(messageBoxCalls[0].caption, "QXV Blur?");
  EXPECT_EQ(messageBoxCalls[0].owner, kFocusWindow);
  EXPECT_EQ(messageBoxCalls[0].style, 0x1000u);
  // The event also drops the cached frame.
  EXPECT_EQ(pblur->referenceTags, nullptr);
  EXPECT_LT(sim::LiveHostObjects(), objects);

  pblur->ops->Release(pblur);
  ReleaseInterface(view);
}

}  // namespace
}  // namespace qxv::test
#endif  // _WIN32
