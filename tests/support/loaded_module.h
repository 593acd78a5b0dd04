// QXVpblur.dll loaded at run time, as the host loads it (Windows only). Kept
// apart from <windows.h>, whose macros and COM declarations clash with the
// module's own names.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qxv::test {

struct LoadedModule {
  void* handle = nullptr;
  std::uint32_t loadError = 0;
  // The three exports, found by their undecorated names.
  void* getClassObject = nullptr;
  void* canUnloadNow = nullptr;
  void* initRDCom = nullptr;
  // What the loader had bound the module's user32 imports to before they
  // were pointed at the recorder below, and user32's own exports.
  void* boundMessageBox = nullptr;
  void* boundGetFocus = nullptr;
  void* user32MessageBox = nullptr;
  void* user32GetFocus = nullptr;
  // msvcrt.dll's _setjmp, the set-jump routine a real host hands over.
  void* crtSetJump = nullptr;
};

// Loads the DLL from the test program's folder and points its imports of
// user32!MessageBoxA and user32!GetFocus at recorders, so that its message
// box never blocks and what it would show is kept.
LoadedModule LoadModuleBesideProgram(const char* fileName);
void UnloadModule(LoadedModule& module);

// Sorted names of the export table; lower-case names of the imported DLLs.
std::vector<std::string> ExportedNames(const LoadedModule& module);
std::vector<std::string> ImportedDlls(const LoadedModule& module);

struct MessageBoxCall {
  void* owner;
  std::string text;
  std::string caption;
  std::uint32_t style;
};
// Every MessageBoxA call of the loaded module since the last clear.
std::vector<MessageBoxCall>& MessageBoxCalls();
// What the module's GetFocus returns.
void* FocusWindowForTest();

}  // namespace qxv::test
