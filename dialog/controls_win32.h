// What the properties dialog and the About box share on Win32: the display
// scale, the font, controls built from a layout row, and dialog windows made
// from an empty in-memory template (the controls come from the tables).
#pragma once
#include <windows.h>

#include <string>

#include "core/handles_win32.h"
#include "dialog/layout.h"

namespace zindle::dialog {

// The DPI of the monitor a window is on; the system DPI where the system has
// no per-monitor scale (before Windows 10).
int WindowDpi(HWND window);

// Design pixels (96 DPI) to device pixels.
int Scale(int pixels, int dpi);

// The layout's design pixels to device pixels: the display's scale, and
// horizontally the stretch that gives a wider font room (fit.h).
struct Scaler {
  int dpi = 96;
  double stretch = 1.0;
  int X(int designX) const;
  int Y(int designY) const;
  // Edges are mapped, not sizes, so that controls that touch still touch.
  RECT Map(const Rect& rect) const;
  // Device pixels of a width back to design pixels, rounded up.
  int DesignWidth(int devicePixels) const;
};

// "MS Sans Serif" 8.25 pt at the given DPI; underlined for the links. Where
// the system has no "MS Sans Serif", its dialog (message) font at that DPI.
GdiObject<HFONT> CreateDialogFont(int dpi, bool underline = false);
// The face the font system gave for a font.
std::wstring RealisedFace(HFONT font);

// The control of a layout row, as a child of parent, placed and with the font.
HWND CreateControl(const ControlRow& row, HWND parent, const Scaler& scale, HFONT font);

// The width of a text in a font, and of a control's text in its font, in device pixels.
int TextWidthInPixels(HFONT font, const std::string& text);
int TextWidthInPixels(HWND control);

// Sizes a window so that its client area has the given design size.
void SetClientSize(HWND window, int width, int height, const Scaler& scale);

// Centres a window on the screen: half the screen's size minus half the
// window's outer size, each half worked out on its own.
void CentreOnScreen(HWND window);
// The work area of the monitor nearest to the window.
RECT NearestWorkArea(HWND window);
// Centred over its owner, kept within the work area of the owner's monitor.
void CentreOverOwner(HWND window, HWND owner);

// A window that no monitor shows any more, its monitor gone and the window
// left there (Windows moves such windows itself, Wine does not), is moved
// onto the nearest monitor, whole within its work area where it fits; where
// that monitor's scale differs, the system then sends WM_DPICHANGED.
void KeepOnAMonitor(HWND window);
// The dialogs look once a second, on a timer of this number, since some
// runtimes change the layout of the monitors without a word.
inline constexpr UINT_PTR kMonitorLookTimer = 1;
inline constexpr UINT kMonitorLookPeriod = 1000;

// The program icon at a size in device pixels.
HICON LoadProgramIcon(int size);

// A modal dialog window with no controls of its own; proc builds them in
// WM_INITDIALOG. Returns the value given to EndDialog.
INT_PTR RunModalDialog(HWND owner, DWORD style, DWORD exStyle, DLGPROC proc, LPARAM parameter);

// A page: a child dialog window that takes part in the keyboard navigation
// of its parent dialog.
HWND CreatePageWindow(HWND parent, int id, DLGPROC proc, LPARAM parameter);

// The result of a message handled in a dialog procedure.
INT_PTR DialogResult(HWND dialog, LRESULT result);

}  // namespace zindle::dialog
