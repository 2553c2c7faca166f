// frmAboutBox: program name and version, physical memory, links.
#pragma once
#include <windows.h>

namespace zindle::dialog {

// Shows the About box modally over owner and returns when it is closed.
void ShowAboutBox(HWND owner);

}  // namespace zindle::dialog
