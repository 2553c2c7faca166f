// The four modes that Main chooses between.
#pragma once
#include <windows.h>

#include <string_view>

namespace zindle {

inline constexpr char kSaverCaption[] = "Zindle! Screen Saver";
// The saver window's class: with the caption it tells a running saver from
// any other window of that name, such as a folder called so.
inline constexpr wchar_t kSaverClass[] = L"ZindleSaverWindow";

// "/C" or no argument: the properties dialog, modal; returns when it closes.
// With an owner (the Screen Saver settings) it is modal to that window.
void ShowPropertiesDialog(HWND owner = nullptr);

// "/S": the full-screen saver; ends the process from its unload step.
void RunSaver();

// "/P": the live miniature in the window named by the argument text; the
// settings are loaded already. Ends the process.
[[noreturn]] void RunPreview(std::string_view argumentText);

// The window named after the switch, its 32 bits widened as the system
// widens them; null when none is named or the handle is no window.
HWND WindowFromArgument(std::string_view argumentText);

// "/A": the system's change-password dialog for screen-saver passwords,
// owned by the given window; nothing happens where the service is missing.
void ChangeScreenSaverPassword(HWND parent);

// The system's change-password service, as the multiple-provider router has it.
using ChangePasswordService = DWORD(WINAPI*)(LPCSTR keyName, HWND parent, DWORD, DWORD);

// Asks the service for the screen savers' password, owned by the parent window.
void ChangeScreenSaverPassword(ChangePasswordService change, HWND parent);

// The start-up procedure.
void Main(std::string_view argumentText);

}  // namespace zindle
