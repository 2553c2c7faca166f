// The user's wallpaper, drawn as the desktop draws it, for a capture that
// did not see the desktop.
#pragma once
#include <windows.h>

#include "core/handles_win32.h"
#include "saver/screens.h"

namespace zindle {

// When the capture failed or is not the desktop the user sees, draws over
// it the desktop's colour and the wallpaper as the desktop places it, through
// the program's picture loader; true when it did.
bool ReplaceUnseenDesktop(MemoryBitmap& pic, const Screens& screens, bool captured);

// The same for one monitor of a new layout, alone: its capture (none when
// the saver's window covered it) decides, and the wallpaper is placed as on
// the whole layout.
bool ReplaceUnseenMonitor(MemoryBitmap& pic, const Screens& screens, const Rect& monitor, bool captured);

}  // namespace zindle
