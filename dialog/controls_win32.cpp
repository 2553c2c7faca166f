#include "dialog/controls_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/library_search_win32.h"
#include "resources/resource_ids.h"

namespace zindle::dialog {
namespace {

// Loaded at run time: these exist from Windows 10 on, and the program runs
// on earlier systems too.
template <typename Function>
Function UserFunction(const char* name) {
  return ModuleFunction<Function>(GetModuleHandleW(L"user32.dll"), name);
}

int SystemDpi() {
  WindowDC screen(nullptr);
  return screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
}

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
};

ClassAndStyle ClassFor(Kind kind) {
  constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
  switch (kind) {
    case Kind::TabStrip: return {WC_TABCONTROLW, kTab | WS_CLIPSIBLINGS};
    case Kind::Page: break;
    case Kind::Button: return {WC_BUTTONW, kTab | BS_PUSHBUTTON};
    case Kind::DefaultButton: return {WC_BUTTONW, kTab | BS_DEFPUSHBUTTON};
    case Kind::CheckBox: return {WC_BUTTONW, kTab | BS_AUTOCHECKBOX};
    case Kind::OptionFirst: return {WC_BUTTONW, kTab | BS_AUTORADIOBUTTON};
    case Kind::Option: return {WC_BUTTONW, BS_AUTORADIOBUTTON};
    case Kind::Slider: return {TRACKBAR_CLASSW, kTab | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS};
    case Kind::Label: return {WC_STATICW, WS_GROUP | SS_LEFT};
    case Kind::ValueLabel: return {WC_STATICW, WS_GROUP | SS_RIGHT | SS_NOPREFIX};
    case Kind::AutoLabel: return {WC_STATICW, WS_GROUP | SS_LEFTNOWORDWRAP | SS_NOPREFIX};
    case Kind::LinkLabel: return {WC_STATICW, WS_GROUP | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY};
    case Kind::DropDownList: return {WC_COMBOBOXW, kTab | CBS_DROPDOWNLIST | WS_VSCROLL};
    case Kind::Image: return {WC_STATICW, WS_GROUP | SS_OWNERDRAW | WS_BORDER};
    case Kind::Icon: return {WC_STATICW, WS_GROUP | SS_ICON | SS_REALSIZECONTROL};
  }
  return {WC_STATICW, 0};
}

// An empty dialog template: the header and three empty words (no menu,
// the dialog class, no title), DWORD-aligned as the system requires.
struct EmptyTemplate {
  DLGTEMPLATE header;
  WORD menu, windowClass, title;
};

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static GetDpiForWindowFn getDpi = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpi && window) {
    UINT dpi = getDpi(window);
    if (dpi) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

int Scale(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

int Scaler::X(int designX) const { return static_cast<int>(std::lround(designX * stretch * dpi / 96.0)); }

int Scaler::Y(int designY) const { return Scale(designY, dpi); }

RECT Scaler::Map(const Rect& r) const {
  return {X(r.left), Y(r.top), X(r.left + r.width), Y(r.top + r.height)};
}

int Scaler::DesignWidth(int devicePixels) const {
  return static_cast<int>(std::ceil(devicePixels * 96.0 / (dpi * stretch) - 1e-9));
}

GdiObject<HFONT> CreateDialogFont(int dpi, bool underline) {
  constexpr wchar_t kDesignFace[] = L"MS Sans Serif";
  LOGFONTW font{};
  font.lfHeight = -MulDiv(825, dpi, 7200);  // 8.25 pt
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy(font.lfFaceName, kDesignFace);
  font.lfUnderline = underline;
  GdiObject<HFONT> design(CreateFontIndirectW(&font));
  if (design && _wcsicmp(RealisedFace(design.get()).c_str(), kDesignFace) == 0) return design;

  // The system's dialog font, at this DPI.
  using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static ForDpiFn forDpi = UserFunction<ForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
    font = metrics.lfMessageFont;
  } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
  } else {
    return design;
  }
  font.lfUnderline = underline;
  GdiObject<HFONT> system(CreateFontIndirectW(&font));
  return system ? std::move(system) : std::move(design);
}

std::wstring RealisedFace(HFONT font) {
  WindowDC screen(nullptr);
  HGDIOBJ previous = SelectObject(screen.get(), font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(screen.get(), LF_FACESIZE, face);
  SelectObject(screen.get(), previous);
  return face;
}

HWND CreateControl(const ControlRow& row, HWND parent, const Scaler& scale, HFONT font) {
  ClassAndStyle kind = ClassFor(row.kind);
  RECT r = scale.Map(row.position);
  int height = r.bottom - r.top;
  // A drop-down list's height is that of its opened list.
  if (row.kind == Kind::DropDownList) height += scale.Y(110);
  HWND control = CreateWindowExW(0, kind.className, Wide(row.caption).c_str(), WS_CHILD | WS_VISIBLE | kind.style,
                                 r.left, r.top, r.right - r.left, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (!control) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (!row.enabledAtStart) EnableWindow(control, FALSE);
  return control;
}

int TextWidthInPixels(HFONT font, const std::string& text) {
  if (text.empty()) return 0;
  std::wstring wide = Wide(text);
  WindowDC dc(nullptr);
  HGDIOBJ previous = SelectObject(dc.get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc.get(), previous);
  return size.cx;
}

int TextWidthInPixels(HWND control) {
  int length = GetWindowTextLengthW(control);
  std::wstring text(length + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  text.resize(length);
  return TextWidthInPixels(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), Narrow(text));
}

void SetClientSize(HWND window, int width, int height, const Scaler& scale) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static AdjustForDpiFn adjust = UserFunction<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT outer{0, 0, scale.X(width), scale.Y(height)};
  UINT dpi = static_cast<UINT>(scale.dpi);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (adjust)
    adjust(&outer, style, FALSE, exStyle, dpi);
  else
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A frame drawn at another scale than the window's own (the system's where
  // the monitor's differs) takes more or less room than reckoned: the client
  // area is what the controls are placed in, so it gets its size.
  RECT client{};
  GetClientRect(window, &client);
  int wantWidth = scale.X(width), wantHeight = scale.Y(height);
  if (client.right != wantWidth || client.bottom != wantHeight)
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + wantWidth - client.right,
                 outer.bottom - outer.top + wantHeight - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnScreen(HWND window) {
  RECT outer{};
  GetWindowRect(window, &outer);
  int left = GetSystemMetrics(SM_CXSCREEN) / 2 - (outer.right - outer.left) / 2;
  int top = GetSystemMetrics(SM_CYSCREEN) / 2 - (outer.bottom - outer.top) / 2;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT NearestWorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor.rcWork;
}

namespace {

// The window's corner to (left, top), kept whole within `work` where it fits.
void MoveWithin(HWND window, const RECT& work, int left, int top) {
  RECT outer{};
  GetWindowRect(window, &outer);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  left = std::max<int>(work.left, std::min<int>(left, work.right - width));
  top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CentreOverOwner(HWND window, HWND owner) {
  RECT outer{}, over{};
  GetWindowRect(window, &outer);
  GetWindowRect(owner, &over);
  MoveWithin(window, NearestWorkArea(owner), (over.left + over.right) / 2 - (outer.right - outer.left) / 2,
             (over.top + over.bottom) / 2 - (outer.bottom - outer.top) / 2);
}

void KeepOnAMonitor(HWND window) {
  if (MonitorFromWindow(window, MONITOR_DEFAULTTONULL)) return;
  RECT outer{};
  GetWindowRect(window, &outer);
  MoveWithin(window, NearestWorkArea(window), outer.left, outer.top);
}

HICON LoadProgramIcon(int size) {
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZINDLE), IMAGE_ICON, size, size, LR_SHARED));
}

INT_PTR RunModalDialog(HWND owner, DWORD style, DWORD exStyle, DLGPROC proc, LPARAM parameter) {
  EmptyTemplate empty{};
  empty.header.style = style;
  empty.header.dwExtendedStyle = exStyle;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &empty.header, owner, proc, parameter);
}

HWND CreatePageWindow(HWND parent, int id, DLGPROC proc, LPARAM parameter) {
  EmptyTemplate empty{};
  empty.header.style = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
  HWND page = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &empty.header, parent, proc, parameter);
  if (page) SetWindowLongPtrW(page, GWLP_ID, id);
  return page;
}

INT_PTR DialogResult(HWND dialog, LRESULT result) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace zindle::dialog
