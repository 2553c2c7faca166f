// What's This help without a help viewer: the title-bar help mode (the
// pointer becomes the help arrow, the next click picks a control) and a
// pop-up that shows a topic's text beside a control until the next click or
// key.
#pragma once
#include <windows.h>

#include <string_view>

namespace zindle::dialog {

// The class of the pop-up window; its window text is the topic's text.
inline constexpr wchar_t kWhatsThisClass[] = L"ZindleWhatsThis";

// Runs the help mode over a window and, when a control is clicked, sends
// the window WM_HELP for it, as the system does. Esc, a right click or the
// loss of the mouse ends the mode without help.
void RunWhatsThisMode(HWND window);

// Shows the text in a pop-up owned by owner, beside the control.
void ShowWhatsThisPopup(HWND owner, HWND control, std::string_view text, HFONT font, int dpi);

}  // namespace zindle::dialog
