// The system's notifications of who can see the saver, on its window.
#pragma once
#include <windows.h>

#include "saver/audience.h"

namespace zindle {

// The display's state by value (wParam: 0 off, 1 on, 2 dimmed), for a
// display that cannot be switched off from outside, as under test.
constexpr UINT kDisplayStateMessage = WM_APP + 2;

// Asks for the display's power state and the session's changes, where the
// system has them (looked up at run time). They end with the window.
void RegisterAudienceNotifications(HWND window);

// Takes a notification into the audience; false for other messages.
bool AudienceMessage(Audience& audience, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace zindle
