// Where the program's own modules come from: the system folder only, so that
// a module dropped beside the program or in the current folder never runs.
#pragma once
#include <windows.h>

#include <type_traits>

#include "core/handles_win32.h"

namespace zindle {

// Keeps the program's folder and the current folder out of every later
// module search of the process. Call first thing at start-up.
void RestrictLibrarySearch();

// A module of the system folder by its file name, or null.
Module LoadSystemLibrary(const wchar_t* name);

// Whether a pointer to a function is called as the system calls its own. The
// 32-bit system functions clear their arguments off the stack themselves: a
// pointer to one that lacks WINAPI unbalances the stack at every call. (On
// 64-bit Windows there is one convention, and every pointer qualifies.)
template <typename Function>
struct IsSystemCall : std::false_type {};
template <typename Result, typename... Arguments>
struct IsSystemCall<Result(WINAPI*)(Arguments...)> : std::true_type {};

// A function of a module looked up at run time, or null where this Windows
// lacks it (or the module is missing).
template <typename Function>
Function ModuleFunction(HMODULE module, const char* name) {
  static_assert(IsSystemCall<Function>::value, "a function found at run time is declared WINAPI");
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace zindle
