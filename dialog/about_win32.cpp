// frmAboutBox, built from kAboutControls and scaled to the display.
#include "dialog/about_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/handles_win32.h"
#include "dialog/controls_win32.h"
#include "dialog/fit.h"
#include "dialog/labels.h"
#include "dialog/layout.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "version.h"

namespace zindle::dialog {
namespace {

// The program's identity, as its version information gives it.
constexpr char kFileDescription[] = "Screen Zindler";
constexpr int kMajor = ZINDLE_VERSION_MAJOR, kMinor = ZINDLE_VERSION_MINOR, kRevision = ZINDLE_VERSION_REVISION;
constexpr char kRevisionPlaceholder[] = ".Rev";

std::string ThousandsSeparator() {
  wchar_t separator[8] = {};
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8)) return ",";
  return Narrow(separator);
}

// The folder that holds the program file, for the shell's working folder.
std::wstring ProgramFolder() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

class frmAboutBox {
 public:
  void ShowModal(HWND owner) {
    RunModalDialog(owner, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, DialogProc,
                   reinterpret_cast<LPARAM>(this));
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // The window procedure: one message, one handler.
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_INITDIALOG: return Form_Load();
      case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
      case WM_CLOSE: return cmdOk_Click();  // the close box and the system's close command
      case WM_PAINT: return Lines_Paint();
      case WM_CTLCOLORSTATIC: return Label_Colours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      case WM_SETCURSOR: return Link_Pointer(reinterpret_cast<HWND>(wParam));
      case WM_DPICHANGED: return OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      case WM_DISPLAYCHANGE: return OnDisplayChange();
      case WM_TIMER: return wParam == kMonitorLookTimer && OnDisplayChange();
    }
    return FALSE;
  }

  BOOL Form_Load();
  BOOL OnCommand(int id, int code);
  BOOL cmdOk_Click();
  void lblProgram_Click();
  void lblURL_Click() { ShellOpen(Wide(kWebAddress)); }
  void lblMail_Click() { ShellOpen(L"mailto:" + Wide(kMailAddress) + L"?subject=" + Wide(kMailSubject)); }
  void ShellOpen(const std::wstring& target);
  BOOL Lines_Paint();
  INT_PTR Label_Colours(HDC dc, HWND label);
  INT_PTR Link_Pointer(HWND under);
  BOOL OnDpiChanged(int dpi, const RECT& suggested);
  BOOL OnDisplayChange() {
    KeepOnAMonitor(hwnd_);
    return TRUE;
  }

  void Layout();
  void FitToText(int id);
  void Rescale(int dpi);
  HWND Control(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
  }

  HWND hwnd_ = nullptr;
  Scaler scale_;
  int memoryGrowth_ = 0;  // design pixels by which a long memory figure widens the window
  GdiObject<HFONT> font_, linkFont_;
  std::map<int, HWND> controls_;
  bool revisionPlaced_ = false;
};

INT_PTR CALLBACK frmAboutBox::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<frmAboutBox*>(lParam)->hwnd_ = window;
  }
  auto* self = reinterpret_cast<frmAboutBox*>(GetWindowLongPtrW(window, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

BOOL frmAboutBox::Form_Load() {
  scale_.dpi = WindowDpi(hwnd_);
  font_ = CreateDialogFont(scale_.dpi);
  linkFont_ = CreateDialogFont(scale_.dpi, true);
  for (const ControlRow& row : kAboutControls) {
    HWND control = CreateControl(row, hwnd_, scale_, row.kind == Kind::LinkLabel ? linkFont_.get() : font_.get());
    controls_[row.id] = control;
  }
  // The program line is clicked; the revision waits hidden for that.
  SetWindowLongPtrW(Control(kLblProgram), GWL_STYLE, GetWindowLongPtrW(Control(kLblProgram), GWL_STYLE) | SS_NOTIFY);
  ShowWindow(Control(kLblRevision), SW_HIDE);
  SetWindowTextW(hwnd_, (L"About " + Wide(kAppTitle)).c_str());
  SendMessageW(Control(kAboutIcon), STM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(LoadProgramIcon(Scale(32, scale_.dpi))));
  SetWindowTextW(Control(kLblProgram), Wide(ProgramLine(kFileDescription, kMajor, kMinor)).c_str());
  // The memory figure from the 64-bit query: the 32-bit one cannot count more than 4 GB (2 GB
  // for a 32-bit program), and where it can, both give the same figure.
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof(memory);
  GlobalMemoryStatusEx(&memory);
  SetWindowTextW(Control(kLblMemory), Wide(MemoryText(memory.ullTotalPhys, ThousandsSeparator())).c_str());
  // The links' hand pointer is given in WM_SETCURSOR (Link_Pointer).
  // Centred once the texts, and so the size, are known.
  Rescale(scale_.dpi);
  CentreOnScreen(hwnd_);
  SetTimer(hwnd_, kMonitorLookTimer, kMonitorLookPeriod, nullptr);
  SetFocus(Control(kAboutOK));
  return FALSE;  // the focus is set
}

BOOL frmAboutBox::OnCommand(int id, int code) {
  switch (id) {
    case kAboutOK: return cmdOk_Click();
    // A quick second click is a double click to the label; it toggles too.
    case kLblProgram: if (code == STN_CLICKED || code == STN_DBLCLK) lblProgram_Click(); return TRUE;
    case kLblURL: if (code == STN_CLICKED) lblURL_Click(); return TRUE;
    case kLblMail: if (code == STN_CLICKED) lblMail_Click(); return TRUE;
    case IDCANCEL: return TRUE;  // Esc: OK is not a cancel button, so nothing happens
  }
  return FALSE;
}

BOOL frmAboutBox::cmdOk_Click() {
  EndDialog(hwnd_, IDOK);
  return TRUE;
}

void frmAboutBox::lblProgram_Click() {
  HWND revision = Control(kLblRevision);
  if (!revisionPlaced_) {
    // The first reveal writes the revision and puts it right after the version.
    SetWindowTextW(revision, Wide(RevisionText(kRevision)).c_str());
    revisionPlaced_ = true;
    Layout();
  }
  ShowWindow(revision, IsWindowVisible(revision) ? SW_HIDE : SW_SHOW);
}

void frmAboutBox::ShellOpen(const std::wstring& target) {
  std::wstring folder = ProgramFolder();
  ShellExecuteW(hwnd_, L"Open", target.c_str(), L"", folder.c_str(), SW_SHOWNORMAL);
}

// The etched rule between the upper and the lower area.
BOOL frmAboutBox::Lines_Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  for (const LineRow& line : kAboutLines) {
    int colour = line.colour == LineColour::ButtonShadow ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
    RECT r{scale_.X(line.x1), scale_.Y(line.y1), scale_.X(line.x2 + memoryGrowth_),
           scale_.Y(line.y1) + std::max(1, scale_.Y(line.thickness))};
    FillRect(dc, &r, GetSysColorBrush(colour));
  }
  EndPaint(hwnd_, &paint);
  return TRUE;
}

// Transparent labels in the window-text colour; the revision in the
// button-text colour; the links in dark green.
INT_PTR frmAboutBox::Label_Colours(HDC dc, HWND label) {
  int id = GetDlgCtrlID(label);
  COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
  if (id == kLblRevision) colour = GetSysColor(COLOR_BTNTEXT);
  if (id == kLblURL || id == kLblMail) colour = RGB(kLinkRed, kLinkGreen, kLinkBlue);
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR frmAboutBox::Link_Pointer(HWND under) {
  if (under != Control(kLblURL) && under != Control(kLblMail)) return FALSE;
  SetCursor(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_LINK)));
  return DialogResult(hwnd_, TRUE);
}

BOOL frmAboutBox::OnDpiChanged(int dpi, const RECT& suggested) {
  GdiObject<HFONT> previous = std::move(font_), previousLink = std::move(linkFont_);
  font_ = CreateDialogFont(dpi);
  linkFont_ = CreateDialogFont(dpi, true);
  for (const ControlRow& row : kAboutControls)
    SendMessageW(Control(row.id), WM_SETFONT,
                 reinterpret_cast<WPARAM>(row.kind == Kind::LinkLabel ? linkFont_.get() : font_.get()), TRUE);
  SendMessageW(Control(kAboutIcon), STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(LoadProgramIcon(Scale(32, dpi))));
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Rescale(dpi);
  InvalidateRect(hwnd_, nullptr, TRUE);
  return TRUE;
}

// The scale for a DPI: the fixed-width labels must hold their texts in the
// font the system gives (fit.h), and the memory figure, the only text whose
// length the design cannot know, widens its label and the window to the
// right where it needs more than its box.
void frmAboutBox::Rescale(int dpi) {
  scale_ = Scaler{dpi, 1.0};
  std::vector<TextNeed> needs;
  for (const ControlRow& row : kAboutControls)
    if (row.kind == Kind::Label && row.id != kLblMemory)
      needs.push_back({row.kind, row.position.width, scale_.DesignWidth(TextWidthInPixels(Control(row.id)))});
  scale_.stretch = WidthStretch(needs);
  const ControlRow& memory = *std::find_if(std::begin(kAboutControls), std::end(kAboutControls),
                                           [](const ControlRow& row) { return row.id == kLblMemory; });
  memoryGrowth_ = std::max(0, scale_.DesignWidth(TextWidthInPixels(Control(kLblMemory))) + 1 - memory.position.width);
  Layout();
}

void frmAboutBox::Layout() {
  SetClientSize(hwnd_, kAboutClientWidth + memoryGrowth_, kAboutClientHeight, scale_);
  for (const ControlRow& row : kAboutControls) {
    Rect design = row.position;
    if (row.id == kLblMemory) design.width += memoryGrowth_;
    if (row.id == kAboutOK) design.left += memoryGrowth_;  // OK keeps to the right edge
    RECT r = scale_.Map(design);
    SetWindowPos(Control(row.id), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const ControlRow& row : kAboutControls)
    if (row.kind == Kind::AutoLabel || row.kind == Kind::LinkLabel) FitToText(row.id);
  if (revisionPlaced_) {
    // Its left edge: lblProgram's left edge plus its width plus 1 pixel.
    RECT program{};
    GetWindowRect(Control(kLblProgram), &program);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&program), 2);
    SetWindowPos(Control(kLblRevision), nullptr, program.right + Scale(1, scale_.dpi), program.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// An auto-sized label: its width is its text's, its left edge stays.
void frmAboutBox::FitToText(int id) {
  HWND label = Control(id);
  RECT r{};
  GetWindowRect(label, &r);
  SetWindowPos(label, nullptr, 0, 0, TextWidthInPixels(label), r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ShowAboutBox(HWND owner) {
  frmAboutBox box;
  box.ShowModal(owner);
}

}  // namespace zindle::dialog
