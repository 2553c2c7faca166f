// Driving the real properties dialog ("/c") and its About box from outside:
// the process, its windows and controls by their layout IDs, their state,
// real clicks and keys, tooltips, and screenshots of whole windows.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "dialog/layout.h"
#include "harness.h"

namespace e2e::dialog {

constexpr DWORD kDeadline = 10000;

// What the dialog scenarios need of a Wine prefix, set up by each suite: the
// font the design is drawn in (Wine's own "MS Sans Serif", copied into the
// prefix's Fonts folder where Debian's fonts-wine is installed, and left
// there; without it the program falls back to the system font and widens its
// layout). Nothing happens on Windows.
void PrepareWine();

// A running "/c" with its window found.
std::wstring AskedTextOf(HWND window);

class PropertiesDialog {
 public:
  // Starts the program and waits for "Zindle! Properties".
  explicit PropertiesDialog(const std::wstring& arguments = L"/c");
  explicit operator bool() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  Process& process() { return process_; }

  HWND Control(int id) const;  // any control of the window, by its layout ID
  bool Checked(int id) const;
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
  std::wstring Text(int id) const { return WindowText(Control(id)); }
  // The text a control gives when asked (a drop-down list: its selection).
  std::wstring AskedText(int id) const { return AskedTextOf(Control(id)); }
  int SliderPosition(int id) const;
  int SelectedTab() const;  // 1 to 4

  // Real input: the window is brought to the front first.
  void Click(int id);
  void ChooseTab(int position);
  void Focus(int id);  // as the dialog's own keyboard navigation would
  void Press(WORD key);

  // Waits until the condition holds; false after the deadline.
  bool Until(const std::function<bool()>& condition, DWORD milliseconds = 3000) const {
    return PollUntil(condition, milliseconds);
  }
  // The text of the tooltip shown while the pointer rests on a control.
  std::wstring TooltipOver(int id);
  std::wstring TooltipOverTab(int position);

  // Ends the dialog with OK and waits for the process to end.
  bool PressOk();

 private:
  void BringToFront();
  std::wstring TooltipAt(POINT screen);
  bool PointerTo(POINT screen);
  RECT TabRect(int position) const;
  Process process_;
  HWND window_ = nullptr;
};

// The text a window of another process gives for WM_GETTEXT, which
// GetWindowText does not send across processes.
std::wstring AskedTextOf(HWND window);

// A window of a process, of a class, visible; null when there is none.
HWND VisibleWindowOfClass(DWORD processId, const std::wstring& className);

// The whole window as it shows on the screen, title bar included; with a
// second window, the area that holds both.
Image ScreenshotOfWindow(HWND window, HWND alsoShown = nullptr);

// Until two looks in a row at the window on the screen agree.
bool ShowsSettled(HWND window);

// The centre of a window on the screen.
POINT CentreOf(HWND window);

// The focused window of the thread that owns a window, and the one that
// holds the pointer's input (none: null).
HWND FocusOf(HWND window);
HWND CaptureOf(HWND window);

// Marks a visible window of the program for repainting and waits until its
// thread has painted it: a repaint is handed out only once no message or
// input waits before it, so what was sent to that thread is handled by then.
// False when the window went or the deadline passed first.
bool Repainted(HWND window);

// All values of the current settings location, for comparisons.
std::wstring SettingsSnapshot();

}  // namespace e2e::dialog
