#if defined(_WIN32)
#include "tests/support/loaded_module.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qxv::test {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

unsigned char* Base(const LoadedModule& module) {
  return static_cast<unsigned char*>(module.handle);
}

const IMAGE_DATA_DIRECTORY& Directory(const LoadedModule& module, int entry) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Base(module));
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(Base(module) + dos->e_lfanew);
  return nt->OptionalHeader.DataDirectory[entry];
}

const IMAGE_IMPORT_DESCRIPTOR* FirstImport(const LoadedModule& module) {
  return reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
      Base(module) + Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
}

// Points the module's import slot for dll!name at `replacement`; returns
// what the loader had put there, or null when the module does not import it.
void* PatchImport(const LoadedModule& module, const char* dll, const char* name,
                  void* replacement) {
  unsigned char* base = Base(module);
  for (const auto* import = FirstImport(module); import->Name != 0; ++import) {
    if (Lower(reinterpret_cast<const char*>(base + import->Name)) != Lower(dll)) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA32*>(
        base + (import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL32(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD protection = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                          &protection)) {
        return nullptr;
      }
      void* bound = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<DWORD>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
      return bound;
    }
  }
  return nullptr;
}

const HWND kFocusWindow = reinterpret_cast<HWND>(0x00C0FFEE);

HWND WINAPI FocusForTest() { return kFocusWindow; }

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  MessageBoxCalls().push_back({owner, text ? text : "(null)", caption ? caption : "(null)", style});
  return IDOK;
}

void* Export(HMODULE module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}

}  // namespace

LoadedModule LoadModuleBesideProgram(const char* fileName) {
  LoadedModule m;
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, length);
  file = file.substr(0, file.find_last_of("\\/") + 1) + fileName;
  HMODULE handle = LoadLibraryA(file.c_str());
  if (!handle) {
    m.loadError = GetLastError();
    return m;
  }
  m.handle = handle;
  m.getClassObject = Export(handle, "DllGetClassObject");
  m.canUnloadNow = Export(handle, "DllCanUnloadNow");
  m.initRDCom = Export(handle, "DllInitRDCom");
  HMODULE user32 = GetModuleHandleA("user32.dll");
  m.user32MessageBox = Export(user32, "MessageBoxA");
  m.user32GetFocus = Export(user32, "GetFocus");
  m.crtSetJump = Export(GetModuleHandleA("msvcrt.dll"), "_setjmp");
  m.boundMessageBox =
      PatchImport(m, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordMessageBox));
  m.boundGetFocus =
      PatchImport(m, "user32.dll", "GetFocus", reinterpret_cast<void*>(&FocusForTest));
  return m;
}

void UnloadModule(LoadedModule& module) {
  if (module.handle) FreeLibrary(static_cast<HMODULE>(module.handle));
  module = LoadedModule();
}

std::vector<std::string> ExportedNames(const LoadedModule& module) {
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

std::vector<std::string> ImportedDlls(const LoadedModule& module) {
  std::vector<std::string> dlls;
  for (const auto* import = FirstImport(module); import->Name != 0; ++import) {
    dlls.push_back(Lower(reinterpret_cast<const char*>(Base(module) + import->Name)));
  }
  return dlls;
}

std::vector<MessageBoxCall>& MessageBoxCalls() {
  static std::vector<MessageBoxCall> calls;
  return calls;
}

void* FocusWindowForTest() { return kFocusWindow; }

}  // namespace qxv::test
#endif  // _WIN32
