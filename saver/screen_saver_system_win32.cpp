#include "saver/screen_saver_system_win32.h"

#include <windows.h>

namespace zindle {

bool SystemParametersScreenSaver::ScreenSaveActive() {
  BOOL active = TRUE;  // taken as on when the system cannot tell
  SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  return active != FALSE;
}

// A pointer to a 32-bit zero, no profile update and no broadcast: the change
// lasts for the session only.
void SystemParametersScreenSaver::SetScreenSaveActive(bool active) {
  UINT zero = 0;
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, &zero, 0);
  // Asking it back waits until the system has taken the change: a display
  // server may queue it, and the process often ends right after.
  ScreenSaveActive();
}

void SystemParametersScreenSaver::SetScreenSaverRunning(bool running) {
  UINT zero = 0;
  SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &zero, 0);
}

}  // namespace zindle
