// frmMain on Win32: the window "Zindle! Properties" built from layout.h and
// scaled to the display, its messages routed to the handlers of form.h, and
// the controls behind the FormControls interface.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <type_traits>

#include "core/handles_win32.h"
#include "core/modes_win32.h"
#include "core/picture_win32.h"
#include "core/runtime_win32.h"
#include "dialog/about_win32.h"
#include "dialog/controls_win32.h"
#include "dialog/fit.h"
#include "dialog/form.h"
#include "dialog/help_topics.h"
#include "dialog/layout.h"
#include "dialog/whats_this_win32.h"
#include "settings/registry_store_win32.h"

namespace zindle {
namespace dialog {
namespace {

// The file-open dialog of the picture page.
constexpr wchar_t kChooseTitle[] = L"Choose Picture";
constexpr wchar_t kChooseFilter[] =
    L"All Files (*.*)\0*.*\0All Pictures\0*.bmp;*.emf;*.gif;*.ico;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.wmf\0";
constexpr DWORD kAllPictures = 2;  // the filter entry shown first

Kind KindOf(int id) {
  Placement placement = FindControl(id);
  return placement.row ? placement.row->kind : Kind::Label;
}

std::string UserDecimalSeparator() {
  wchar_t separator[8] = {};
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8)) return ".";
  return Narrow(separator);
}

bool IsClickable(Kind kind) {
  return kind == Kind::CheckBox || kind == Kind::OptionFirst || kind == Kind::Option;
}

struct HookDeleter {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using Hook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookDeleter>;

class PropertiesWindow final : public FormControls {
 public:
  explicit PropertiesWindow(HWND owner) : owner_(owner), form_(*this, store_, prompt_, Saver()) {}
  // Modal to the owner, when there is one: it cannot be used until the dialog closes.
  void ShowModal() {
    Hook filter(SetWindowsHookExW(WH_MSGFILTER, PageKeyFilter, nullptr, GetCurrentThreadId()));
    filtered_ = this;
    RunModalDialog(owner_, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTEXTHELP, DialogProc,
                   reinterpret_cast<LPARAM>(this));
    filtered_ = nullptr;
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
  // The dialog manager shows each message to the thread's message filter
  // before it handles Tab itself or hands the key to the focused control (a
  // slider takes Ctrl+PageDown as a page step): there the page keys are the
  // dialog's, whichever control has the focus.
  static LRESULT CALLBACK PageKeyFilter(int code, WPARAM wParam, LPARAM lParam);
  bool OnPageKey(const MSG& message);
  static inline PropertiesWindow* filtered_ = nullptr;

  // The window procedure: one message, one handler.
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_INITDIALOG: return Form_Initialize();
      case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
      case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      case WM_HSCROLL: return OnSliderScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
      case WM_DRAWITEM: return imgPreview_Paint(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      case WM_HELP: return OnHelp(*reinterpret_cast<const HELPINFO*>(lParam));
      case WM_SYSCOMMAND: return OnSysCommand(wParam);
      case WM_SETCURSOR: return ApplyProgramPointer() ? DialogResult(hwnd_, TRUE) : FALSE;
      case WM_DPICHANGED: return OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      case WM_DISPLAYCHANGE: return OnDisplayChange();
      case WM_TIMER: return wParam == kMonitorLookTimer && OnDisplayChange();
    }
    return FALSE;
  }

  BOOL Form_Initialize();
  BOOL OnCommand(int id, int code);
  BOOL OnNotify(const NMHDR& header);
  BOOL OnSliderScroll(HWND slider, int code);
  BOOL imgPreview_Paint(const DRAWITEMSTRUCT& item);
  BOOL OnHelp(const HELPINFO& info);
  BOOL OnSysCommand(WPARAM command);
  BOOL OnDpiChanged(int dpi, const RECT& suggested);
  BOOL OnDisplayChange() {
    KeepOnAMonitor(hwnd_);
    return TRUE;
  }

  // Building and placing the controls from the tables.
  void BuildControls();
  void BuildTooltips();
  void Layout();
  void Place(int id);
  void StackInTableOrder(const ControlRow* rows, size_t count);
  void ExcludePagesFromTabStrip();
  void UpdateToolRects();
  void SetIcons();
  double MeasureStretch() const;
  HWND Control(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
  }

  // FormControls
  int Value(int id) override;
  void SetValue(int id, int value) override;
  bool Enabled(int id) override { return IsWindowEnabled(Control(id)) != FALSE; }
  void Enable(int id, bool enabled) override { EnableWindow(Control(id), enabled); }
  std::string Text(int id) override;
  void SetText(int id, const std::string& text) override { SetWindowTextW(Control(id), Wide(text).c_str()); }
  std::string Tooltip(int id) override { return tooltips_[id]; }
  void SetTooltip(int id, const std::string& text) override;
  void AddListEntry(int id, const std::string& text) override {
    SendMessageW(Control(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  }
  int TextWidth(int id) override { return scale_.DesignWidth(TextWidthInPixels(Control(id))); }
  void SetWidth(int id, int width) override;
  void BringToFront(int page) override;
  void Focus(int id) override {
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
  }
  bool LoadPreview(const std::string& path) override;
  void ClearPreview() override;
  void SetBusy(bool busy) override { SetProgramPointer(busy ? Pointer::Busy : Pointer::Default); }
  void CentreOnScreenAndRepaint() override;
  bool FileExists(const std::string& path) override;
  FileChoice ChooseFile(const std::string& initialName) override;
  std::string DecimalSeparator() override { return UserDecimalSeparator(); }
  void ShowAboutBox() override { dialog::ShowAboutBox(hwnd_); }
  void ReportUnsaved(const std::string& text, const std::string& title) override {
    MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONERROR);
  }
  void Close() override { EndDialog(hwnd_, 0); }

  HWND owner_ = nullptr;  // the Screen Saver settings, when they started the dialog
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  Scaler scale_;
  GdiObject<HFONT> font_;
  std::map<int, HWND> controls_;
  std::map<int, int> widths_;  // widths set at run time (lblFilename), design pixels
  std::map<int, std::string> tooltips_;
  MemoryBitmap preview_;  // the picture already stretched to the preview's size
  std::string previewPath_;  // the file it was stretched from, as it was then
  WIN32_FILE_ATTRIBUTE_DATA previewFile_{};
  RegistrySettingsStore store_;
  MessageBoxPrompt prompt_;
  frmMain form_;
};

INT_PTR CALLBACK PropertiesWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<PropertiesWindow*>(lParam)->hwnd_ = window;
  }
  auto* self = reinterpret_cast<PropertiesWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

// A page is a container only: what its controls report goes to the window.
INT_PTR CALLBACK PropertiesWindow::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(page, DWLP_USER, lParam);
    return FALSE;
  }
  auto* self = reinterpret_cast<PropertiesWindow*>(GetWindowLongPtrW(page, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_DRAWITEM:
    case WM_HELP: return self->Handle(message, wParam, lParam);
    case WM_SETCURSOR: return ApplyProgramPointer() ? DialogResult(page, TRUE) : FALSE;
  }
  return FALSE;
}

LRESULT CALLBACK PropertiesWindow::PageKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && filtered_ && filtered_->OnPageKey(*reinterpret_cast<const MSG*>(lParam)))
    return TRUE;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// --- Message handlers ---------------------------------------------------------

// Ctrl+Tab and Ctrl+PageDown show the next page, with Shift and Ctrl+PageUp
// the previous one, as in every tabbed dialog of the system.
bool PropertiesWindow::OnPageKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) return false;
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
  switch (message.wParam) {
    case VK_TAB: form_.TabStrip_Step(GetKeyState(VK_SHIFT) < 0 ? -1 : 1); return true;
    case VK_NEXT: form_.TabStrip_Step(1); return true;
    case VK_PRIOR: form_.TabStrip_Step(-1); return true;
  }
  return false;
}

// Creating the window runs Form_Load once its controls exist.
BOOL PropertiesWindow::Form_Initialize() {
  scale_.dpi = WindowDpi(hwnd_);
  font_ = CreateDialogFont(scale_.dpi);
  scale_.stretch = MeasureStretch();
  SetWindowTextW(hwnd_, Wide(kDialogCaption).c_str());
  SetIcons();
  BuildControls();
  Layout();
  form_.Form_Load();
  SetTimer(hwnd_, kMonitorLookTimer, kMonitorLookPeriod, nullptr);
  SetFocus(Control(kTabStrip));
  return FALSE;  // the focus is set
}

BOOL PropertiesWindow::OnCommand(int id, int code) {
  switch (id) {
    case kCmdOK: form_.cmdOk_Click(); return TRUE;
    case kCmdCancel: form_.cmdCancel_Click(); return TRUE;  // also Esc and the close box
    case kCmdAbout: form_.cmdAbout_Click(); return TRUE;
    case kCmdBrowse: form_.cmdBrowse_Click(); return TRUE;
  }
  if (code == BN_CLICKED && IsClickable(KindOf(id))) form_.Click(id);
  return TRUE;
}

BOOL PropertiesWindow::OnNotify(const NMHDR& header) {
  if (header.idFrom == kTabStrip && header.code == TCN_SELCHANGE) form_.TabStrip_Click();
  return TRUE;
}

// Only the change notifications count, not the ones sent while the thumb is dragged.
BOOL PropertiesWindow::OnSliderScroll(HWND slider, int code) {
  if (slider && code != TB_THUMBTRACK) form_.Change(GetDlgCtrlID(slider));
  return TRUE;
}

BOOL PropertiesWindow::imgPreview_Paint(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != kImgPreview) return FALSE;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  if (preview_) {
    int width = item.rcItem.right - item.rcItem.left, height = item.rcItem.bottom - item.rcItem.top;
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, preview_.dc(), 0, 0, preview_.width(),
               preview_.height(), SRCCOPY);
  }
  return TRUE;
}

// What's This: the title-bar help then a control, or F1 on the focused control.
BOOL PropertiesWindow::OnHelp(const HELPINFO& info) {
  if (info.iContextType != HELPINFO_WINDOW) return TRUE;
  HWND control = static_cast<HWND>(info.hItemHandle);
  Placement placement = FindControl(GetDlgCtrlID(control));
  if (!placement.row || control == hwnd_) return TRUE;
  ShowWhatsThisPopup(hwnd_, control, HelpTopicText(placement.row->topic), font_.get(), scale_.dpi);
  return TRUE;
}

// The title-bar help button: the mode is run here rather than by the system,
// so that it behaves alike wherever the program runs.
BOOL PropertiesWindow::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != SC_CONTEXTHELP) return FALSE;
  RunWhatsThisMode(hwnd_);
  return TRUE;
}

BOOL PropertiesWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  scale_.dpi = dpi;
  GdiObject<HFONT> previous = std::move(font_);
  font_ = CreateDialogFont(scale_.dpi);
  scale_.stretch = MeasureStretch();
  for (auto& [id, control] : controls_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetIcons();
  Layout();
  return TRUE;
}

// --- Building from the tables ---------------------------------------------------

void PropertiesWindow::BuildControls() {
  for (const ControlRow& row : kWindowControls) {
    HWND control = row.kind == Kind::Page
                       ? CreatePageWindow(hwnd_, row.id, PageProc, reinterpret_cast<LPARAM>(this))
                       : CreateControl(row, hwnd_, scale_, font_.get());
    controls_[row.id] = control;
    if (row.kind == Kind::Page) {
      // Design state: picPanel(0) in front and enabled, the others behind it.
      EnableWindow(control, row.enabledAtStart);
      ShowWindow(control, row.id == kPicPanel0 ? SW_SHOWNA : SW_HIDE);
    }
  }
  StackInTableOrder(kWindowControls, CountOf(kWindowControls));

  HWND tabStrip = Control(kTabStrip);
  for (const TabRow& tab : kTabs) {
    std::wstring caption = Wide(tab.caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabStrip, TCM_INSERTITEMW, tab.position - 1, reinterpret_cast<LPARAM>(&item));
    for (size_t i = 0; i < tab.controlCount; ++i)
      controls_[tab.controls[i].id] = CreateControl(tab.controls[i], Control(tab.page), scale_, font_.get());
    StackInTableOrder(tab.controls, tab.controlCount);
  }

  // Design state: "&Normal" is the option selected when the dialog is created.
  SendMessageW(Control(kOptColours0), BM_SETCHECK, BST_CHECKED, 0);
  for (const SliderRow& slider : kSliders) {
    HWND control = Control(slider.slider);
    SendMessageW(control, TBM_SETRANGE, FALSE, MAKELPARAM(slider.min, slider.max));
    SendMessageW(control, TBM_SETLINESIZE, 0, slider.arrowStep);
    SendMessageW(control, TBM_SETPAGESIZE, 0, slider.pageStep);
    SendMessageW(control, TBM_SETTICFREQ, slider.tickEvery, 0);
  }
  BuildTooltips();
}

// Tab order is z-order: the tab strip, the page in front, OK, Cancel, About.
void PropertiesWindow::StackInTableOrder(const ControlRow* rows, size_t count) {
  HWND above = HWND_TOP;
  for (size_t i = 0; i < count; ++i) {
    HWND control = Control(rows[i].id);
    SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    above = control;
  }
}

// One tooltip window: a tool per tab, and the tools of kTooltips, which are
// placed on their page so that they show over disabled controls too.
void PropertiesWindow::BuildTooltips() {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  for (const TabRow& tab : kTabs) {
    std::wstring text = Wide(tab.tooltip);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = Control(kTabStrip);
    tool.uId = tab.position;
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  for (const TooltipRow& row : kTooltips) {
    tooltips_[row.id] = row.text;
    std::wstring text = Wide(row.text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = GetParent(Control(row.id));
    tool.uId = row.id;
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void PropertiesWindow::Layout() {
  SetClientSize(hwnd_, kDialogClientWidth, kDialogClientHeight, scale_);
  for (const ControlRow& row : kWindowControls) Place(row.id);
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i) Place(tab.controls[i].id);
  ExcludePagesFromTabStrip();
  UpdateToolRects();
}

void PropertiesWindow::Place(int id) {
  Placement placement = FindControl(id);
  Rect design = placement.row->position;
  auto width = widths_.find(id);
  if (width != widths_.end()) design.width = width->second;
  RECT r = scale_.Map(design);
  int height = r.bottom - r.top;
  if (placement.row->kind == Kind::DropDownList) height += scale_.Y(110);
  SetWindowPos(Control(id), nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The pages lie over the tab strip's page area but come after it in the tab
// order, that is below it in z-order: the strip is cut around them so that
// it neither paints over them nor takes their mouse input.
void PropertiesWindow::ExcludePagesFromTabStrip() {
  HWND tabStrip = Control(kTabStrip);
  RECT strip{}, page{};
  GetWindowRect(tabStrip, &strip);
  GetWindowRect(Control(kPicPanel0), &page);
  OffsetRect(&page, -strip.left, -strip.top);
  HRGN outline = CreateRectRgn(0, 0, strip.right - strip.left, strip.bottom - strip.top);
  HRGN hole = CreateRectRgnIndirect(&page);
  CombineRgn(outline, outline, hole, RGN_DIFF);
  DeleteObject(hole);
  SetWindowRgn(tabStrip, outline, TRUE);  // the window owns the region now
}

void PropertiesWindow::UpdateToolRects() {
  for (const TabRow& tab : kTabs) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Control(kTabStrip);
    tool.uId = tab.position;
    SendMessageW(tool.hwnd, TCM_GETITEMRECT, tab.position - 1, reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  for (const TooltipRow& row : kTooltips) {
    HWND control = Control(row.id);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetParent(control);
    tool.uId = row.id;
    GetWindowRect(control, &tool.rect);
    MapWindowPoints(nullptr, tool.hwnd, reinterpret_cast<POINT*>(&tool.rect), 2);
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void PropertiesWindow::SetIcons() {
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadProgramIcon(Scale(32, scale_.dpi))));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadProgramIcon(Scale(16, scale_.dpi))));
}

// Every caption and every text a value label or the list can show, against
// the room its control has in the design.
double PropertiesWindow::MeasureStretch() const {
  auto designWidth = [&](const std::string& text) {
    Scaler plain{scale_.dpi, 1.0};
    return plain.DesignWidth(TextWidthInPixels(font_.get(), text));
  };
  std::vector<TextNeed> needs;
  auto need = [&](const ControlRow& row) {
    if (*row.caption) needs.push_back({row.kind, row.position.width, designWidth(WithoutAccessMarks(row.caption))});
  };
  for (const ControlRow& row : kWindowControls) need(row);
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i) need(tab.controls[i]);
  std::string separator = UserDecimalSeparator();
  for (const SliderRow& slider : kSliders) {
    const ControlRow& label = *FindControl(slider.label).row;
    for (const std::string& text : ValueLabelTexts(slider, separator))
      needs.push_back({label.kind, label.position.width, designWidth(text)});
  }
  const ControlRow& list = *FindControl(kCboColours).row;
  for (const char* entry : kThresholdEntries) needs.push_back({list.kind, list.position.width, designWidth(entry)});
  return WidthStretch(needs);
}

// --- The controls behind FormControls -------------------------------------------

int PropertiesWindow::Value(int id) {
  HWND control = Control(id);
  switch (KindOf(id)) {
    case Kind::TabStrip: return static_cast<int>(SendMessageW(control, TCM_GETCURSEL, 0, 0)) + 1;
    case Kind::Slider: return static_cast<int>(SendMessageW(control, TBM_GETPOS, 0, 0));
    case Kind::CheckBox:
    case Kind::OptionFirst:
    case Kind::Option: return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    case Kind::DropDownList: return static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
    default: return 0;
  }
}

void PropertiesWindow::SetValue(int id, int value) {
  HWND control = Control(id);
  switch (KindOf(id)) {
    case Kind::TabStrip: SendMessageW(control, TCM_SETCURSEL, value - 1, 0); break;
    case Kind::Slider: SendMessageW(control, TBM_SETPOS, TRUE, value); break;  // kept within the range
    case Kind::CheckBox:
    case Kind::OptionFirst:
    case Kind::Option: SendMessageW(control, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0); break;
    case Kind::DropDownList: SendMessageW(control, CB_SETCURSEL, value, 0); break;
    default: break;
  }
}

std::string PropertiesWindow::Text(int id) {
  HWND control = Control(id);
  int length = GetWindowTextLengthW(control);
  std::wstring text(length + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  text.resize(length);
  return Narrow(text);
}

void PropertiesWindow::SetTooltip(int id, const std::string& text) {
  tooltips_[id] = text;
  std::wstring wide = Wide(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = GetParent(Control(id));
  tool.uId = id;
  tool.lpszText = wide.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PropertiesWindow::SetWidth(int id, int width) {
  widths_[id] = width;
  Place(id);
  UpdateToolRects();
}

void PropertiesWindow::BringToFront(int page) {
  for (int i = 0; i < kPageCount; ++i)
    ShowWindow(Control(kPicPanel0 + i), kPicPanel0 + i == page ? SW_SHOWNA : SW_HIDE);
}

bool PropertiesWindow::LoadPreview(const std::string& path) {
  // The opening sequence asks twice for the same file: one unchanged since
  // it was stretched is not decoded again.
  WIN32_FILE_ATTRIBUTE_DATA file{};
  bool stamped = GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &file) != FALSE;
  if (preview_ && stamped && path == previewPath_ &&
      CompareFileTime(&file.ftLastWriteTime, &previewFile_.ftLastWriteTime) == 0 &&
      file.nFileSizeLow == previewFile_.nFileSizeLow && file.nFileSizeHigh == previewFile_.nFileSizeHigh)
    return true;
  // Stretched to the preview's size as it loads: a large photograph is never kept whole.
  RECT area{};
  GetClientRect(Control(kImgPreview), &area);
  MemoryBitmap stretched = LoadPictureStretched(path, std::max<int>(area.right, 1), std::max<int>(area.bottom, 1));
  if (!stretched) return false;
  preview_ = std::move(stretched);
  previewPath_ = path;
  previewFile_ = file;
  InvalidateRect(Control(kImgPreview), nullptr, FALSE);
  return true;
}

void PropertiesWindow::ClearPreview() {
  preview_ = MemoryBitmap();
  InvalidateRect(Control(kImgPreview), nullptr, FALSE);
}

void PropertiesWindow::CentreOnScreenAndRepaint() {
  if (owner_)
    CentreOverOwner(hwnd_, owner_);
  else
    CentreOnScreen(hwnd_);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool PropertiesWindow::FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileChoice PropertiesWindow::ChooseFile(const std::string& initialName) {
  std::wstring file(32768, L'\0');
  std::wstring initial = Wide(initialName).substr(0, file.size() - 1);
  std::copy(initial.begin(), initial.end(), file.begin());
  std::wstring title(MAX_PATH, L'\0');
  OPENFILENAMEW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = hwnd_;
  choose.lpstrFilter = kChooseFilter;
  choose.nFilterIndex = kAllPictures;
  choose.lpstrFile = file.data();
  choose.nMaxFile = static_cast<DWORD>(file.size());
  choose.lpstrFileTitle = title.data();
  choose.nMaxFileTitle = static_cast<DWORD>(title.size());
  choose.lpstrTitle = kChooseTitle;
  choose.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  // A cancel and a failure alike return no file: the browse ends quietly.
  if (!GetOpenFileNameW(&choose)) return {};
  return {Narrow(file.c_str()), Narrow(title.c_str())};
}


}  // namespace
}  // namespace dialog

void ShowPropertiesDialog(HWND owner) {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);
  dialog::PropertiesWindow window(owner);
  window.ShowModal();
}

}  // namespace zindle
