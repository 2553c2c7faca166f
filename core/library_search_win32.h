// Where the program's own modules come from: the system folder only, so that
// a module dropped beside the program or in the current folder never runs.
#pragma once
#include <windows.h>

#include "core/handles_win32.h"

namespace zindle {

// Keeps the program's folder and the current folder out of every later
// module search of the process. Call first thing at start-up.
void RestrictLibrarySearch();

// A module of the system folder by its file name, or null.
Module LoadSystemLibrary(const wchar_t* name);

}  // namespace zindle
