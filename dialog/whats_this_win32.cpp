#include "dialog/whats_this_win32.h"

#include <algorithm>
#include <string>

#include "core/handles_win32.h"
#include "dialog/controls_win32.h"

namespace zindle::dialog {
namespace {

// Whether a point on the screen is on a window, its window region counted:
// the tab strip is cut around the pages it lies under.
bool IsOnWindow(HWND window, POINT screen) {
  RECT r{};
  GetWindowRect(window, &r);
  if (!PtInRect(&r, screen)) return false;
  GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(window, region.get()) == ERROR) return true;
  return PtInRegion(region.get(), screen.x - r.left, screen.y - r.top) != FALSE;
}

// The deepest visible child under a point, topmost first, disabled ones
// included: help is wanted most for what cannot be used yet.
HWND ControlAt(HWND window, POINT screen) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowVisible(child) && IsOnWindow(child, screen)) return ControlAt(child, screen);
  return window;
}

void SendHelpFor(HWND window, HWND control, POINT screen) {
  HELPINFO info{};
  info.cbSize = sizeof(info);
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = GetDlgCtrlID(control);
  info.hItemHandle = control;
  info.dwContextId = static_cast<DWORD_PTR>(GetWindowContextHelpId(control));
  info.MousePos = screen;
  SendMessageW(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

struct PopupData {
  std::wstring text;
  HFONT font;
  int padding;
};

LRESULT CALLBACK PopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* data = reinterpret_cast<PopupData*>(GetWindowLongPtrW(popup, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(popup, &paint);
      RECT area;
      GetClientRect(popup, &area);
      FillRect(dc, &area, GetSysColorBrush(COLOR_INFOBK));
      if (data) {
        InflateRect(&area, -data->padding, -data->padding);
        HGDIOBJ previous = SelectObject(dc, data->font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        DrawTextW(dc, data->text.c_str(), -1, &area, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, previous);
      }
      EndPaint(popup, &paint);
      return 0;
    }
    // Any click or key, or another window taking over, closes it.
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) DestroyWindow(popup);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      DestroyWindow(popup);
      return 0;
    case WM_NCDESTROY:
      delete data;
      return 0;
  }
  return DefWindowProcW(popup, message, wParam, lParam);
}

void RegisterPopupClass() {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.style = CS_DROPSHADOW;
    wc.lpfnWndProc = PopupProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWhatsThisClass;
    return RegisterClassW(&wc);
  }();
  (void)atom;
}

}  // namespace

void RunWhatsThisMode(HWND window) {
  HCURSOR help = LoadCursor(nullptr, IDC_HELP);
  SetCapture(window);
  SetCursor(help);
  MSG message;
  bool done = false;
  while (!done && GetCapture() == window && GetMessageW(&message, nullptr, 0, 0)) {
    switch (message.message) {
      case WM_LBUTTONDOWN: {
        done = true;
        ReleaseCapture();
        HWND control = ControlAt(window, message.pt);
        if (control != window) SendHelpFor(window, control, message.pt);
        break;
      }
      case WM_RBUTTONDOWN:
      case WM_NCLBUTTONDOWN:
      case WM_NCRBUTTONDOWN:
        done = true;
        break;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        done = message.wParam == VK_ESCAPE;
        break;  // no other key reaches the window while the mode lasts
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        break;
      case WM_MOUSEMOVE:
        SetCursor(help);
        break;
      default:
        TranslateMessage(&message);
        DispatchMessageW(&message);
        break;
    }
    if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
  }
  if (GetCapture() == window) ReleaseCapture();
}

void ShowWhatsThisPopup(HWND owner, HWND control, std::string_view text, HFONT font, int dpi) {
  if (text.empty()) return;
  RegisterPopupClass();
  auto* data = new PopupData{Wide(text), font, Scale(6, dpi)};
  // The size the text needs at a comfortable reading width.
  RECT textArea{0, 0, Scale(220, dpi), 0};
  {
    WindowDC dc(nullptr);
    HGDIOBJ previous = SelectObject(dc.get(), font);
    DrawTextW(dc.get(), data->text.c_str(), -1, &textArea, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc.get(), previous);
  }
  RECT outer{0, 0, textArea.right + 2 * data->padding, textArea.bottom + 2 * data->padding};
  AdjustWindowRectEx(&outer, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
  int width = outer.right - outer.left, height = outer.bottom - outer.top;

  // Beside the control: to its right, or to its left where the screen ends.
  RECT beside{};
  GetWindowRect(control, &beside);
  const RECT work = NearestWorkArea(control);
  int gap = Scale(4, dpi);
  int left = beside.right + gap;
  if (left + width > work.right) left = beside.left - gap - width;
  if (left < work.left) left = std::max<int>(work.left, std::min<int>(beside.left, work.right - width));
  int top = std::max<int>(work.top, std::min<int>(beside.top, work.bottom - height));

  std::wstring caption = data->text;
  HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, kWhatsThisClass, caption.c_str(), WS_POPUP | WS_BORDER, left, top,
                               width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!popup) {
    delete data;
    return;
  }
  SetWindowLongPtrW(popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
  ShowWindow(popup, SW_SHOW);
  SetForegroundWindow(popup);
}

}  // namespace zindle::dialog
