// The monitors as the system reports them.
#pragma once
#include <windows.h>

#include "saver/screens.h"

namespace zindle {

// Every monitor at its own resolution (the program is aware of each
// monitor's scale), in the window over all of them.
Screens SystemScreens();

// Copies `from` onto the part of `to` that lies on the monitor, so that a
// picture larger than its monitor does not spill onto the next one.
void DrawOnMonitor(HDC to, const Rect& monitor, const Rect& placed, HDC from);

}  // namespace zindle
