#include "core/library_search_win32.h"

#include <string>

namespace zindle {

void RestrictLibrarySearch() {
  // Windows 7 without its 2011 loader update lacks the call: there the
  // current folder at least leaves the search.
  using SetDefault = BOOL(WINAPI*)(DWORD);
  auto setDefault = ModuleFunction<SetDefault>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

Module LoadSystemLibrary(const wchar_t* name) {
  // The module and what it needs, from the system folder.
  Module module(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Systems that do not know the flag: a full path is searched nowhere.
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return Module(LoadLibraryW(path.c_str()));
}

}  // namespace zindle
