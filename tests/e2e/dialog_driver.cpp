#include "dialog_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/handles_win32.h"
#include "dialog/controls_win32.h"

namespace e2e::dialog {
namespace {

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

constexpr wchar_t kWineFonts[] = L"Z:\\usr\\share\\wine\\fonts\\";
const wchar_t* const kFonts[] = {L"sserife.fon", L"marlett.ttf", L"tahoma.ttf", L"tahomabd.ttf"};
std::vector<std::wstring> g_copiedFonts;

// Memory in the dialog's process, for the messages that take a pointer.
class RemoteMemory {
 public:
  RemoteMemory(DWORD processId, size_t size)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId)),
        address_(process_ ? VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE) : nullptr) {}
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  void* address() const { return address_; }
  void Read(void* to, size_t size) const { ReadProcessMemory(process_, address_, to, size, nullptr); }

 private:
  HANDLE process_;
  void* address_;
};

}  // namespace

void PrepareWine() {
  if (!UnderWine()) return;
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  for (const wchar_t* font : kFonts) {
    std::wstring target = std::wstring(windows) + L"\\Fonts\\" + font;
    if (CopyFileW((std::wstring(kWineFonts) + font).c_str(), target.c_str(), TRUE)) g_copiedFonts.push_back(target);
  }
  static bool told = false;
  if (!told) {
    told = true;
    // Fonts copied now count for processes started from now on.
    auto font = zindle::dialog::CreateDialogFont(96);
    printf("[ dialog ] fonts copied from the fonts-wine package: %zu; this test process realises \"%ls\"\n",
           g_copiedFonts.size(), zindle::dialog::RealisedFace(font.get()).c_str());
  }
}


PropertiesDialog::PropertiesDialog(const std::wstring& arguments) : process_(StartScr(arguments)) {
  if (process_) window_ = WaitForWindow(zindle::Wide(zindle::dialog::kDialogCaption), kDeadline, process_.Id());
}

HWND PropertiesDialog::Control(int id) const {
  for (HWND child : ChildWindows(window_))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

bool PropertiesDialog::Checked(int id) const {
  return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int PropertiesDialog::SliderPosition(int id) const {
  return static_cast<int>(SendMessageW(Control(id), TBM_GETPOS, 0, 0));
}

int PropertiesDialog::SelectedTab() const {
  return static_cast<int>(SendMessageW(Control(zindle::dialog::kTabStrip), TCM_GETCURSEL, 0, 0)) + 1;
}

// Input goes to the foreground window; a click sent before the dialog is in
// front would be lost.
void PropertiesDialog::BringToFront() {
  PollUntil([&] {
    SetForegroundWindow(window_);
    return GetForegroundWindow() == window_;
  }, 2000);
}

void PropertiesDialog::Click(int id) {
  BringToFront();
  POINT centre = CentreOf(Control(id));
  ClickAt(centre.x, centre.y);
}

RECT PropertiesDialog::TabRect(int position) const {
  HWND tab = Control(zindle::dialog::kTabStrip);
  RemoteMemory remote(process_.Id(), sizeof(RECT));
  RECT r{};
  SendMessageW(tab, TCM_GETITEMRECT, position - 1, reinterpret_cast<LPARAM>(remote.address()));
  remote.Read(&r, sizeof(r));
  MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void PropertiesDialog::ChooseTab(int position) {
  BringToFront();
  RECT r = TabRect(position);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  // The tab is selected before its page is shown: a click sent in between
  // would land on the page that is going.
  HWND page = Control(zindle::dialog::kPicPanel0 + position - 1);
  PollUntil([&] { return SelectedTab() == position && IsWindowVisible(page) && IsWindowEnabled(page); }, 2000);
}

void PropertiesDialog::Focus(int id) {
  HWND control = Control(id);
  PostMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  PollUntil([&] { return FocusOf(window_) == control; }, 2000);
}

void PropertiesDialog::Press(WORD key) {
  BringToFront();
  PressKey(key);
}

// The pointer there, and its move handled by the dialog's thread.
bool PropertiesDialog::PointerTo(POINT screen) {
  MoveMouseTo(screen.x, screen.y);
  bool there = PollUntil([&] {
    POINT p{};
    GetCursorPos(&p);
    return p.x == screen.x && p.y == screen.y;
  }, 2000);
  return there && Repainted(Control(zindle::dialog::kCmdOK));
}

std::wstring PropertiesDialog::TooltipAt(POINT screen) {
  SetForegroundWindow(window_);
  // Off the tool first, so that arriving on it starts the tooltip's delay;
  // the second move on it starts the delay again should the first not have.
  EXPECT_TRUE(PointerTo({screen.x - 40, screen.y - 40}));
  EXPECT_TRUE(PointerTo(screen));
  MoveMouseTo(screen.x + 1, screen.y);
  std::wstring text;
  PollUntil(
      [&] {
        HWND tip = FindWindowOfProcess(process_.Id(), TOOLTIPS_CLASSW);
        text = tip ? AskedTextOf(tip) : std::wstring();
        return !text.empty();
      },
      3000);
  MoveMouseTo(0, 0);
  EXPECT_TRUE(PollUntil([&] { return !FindWindowOfProcess(process_.Id(), TOOLTIPS_CLASSW); }, kDeadline))
      << "the tooltip goes once the pointer has left";
  return text;
}

std::wstring PropertiesDialog::TooltipOver(int id) { return TooltipAt(CentreOf(Control(id))); }

std::wstring PropertiesDialog::TooltipOverTab(int position) {
  RECT r = TabRect(position);
  return TooltipAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

bool PropertiesDialog::PressOk() {
  Click(zindle::dialog::kCmdOK);
  return process_.WaitForExit(kDeadline);
}

std::wstring AskedTextOf(HWND window) {
  wchar_t text[4096] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
  return text;
}

HWND VisibleWindowOfClass(DWORD processId, const std::wstring& className) {
  return FindWindowOfProcess(processId, className);
}

Image ScreenshotOfWindow(HWND window, HWND alsoShown) {
  Image screen = TakeScreenshot();
  RECT r{};
  GetWindowRect(window, &r);
  if (alsoShown) {
    RECT other{};
    GetWindowRect(alsoShown, &other);
    UnionRect(&r, &r, &other);
  }
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, screen.width);
  r.bottom = std::min<LONG>(r.bottom, screen.height);
  Image image{r.right - r.left, r.bottom - r.top, {}};
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) image.pixels.push_back(screen.At(x, y));
  return image;
}

bool ShowsSettled(HWND window) {
  Image last;
  return PollUntil([&] {
    Image now = ScreenshotOfWindow(window);
    bool same = now.CountDifferences(last) == 0;
    last = std::move(now);
    return same;
  }, 3000);
}

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

HWND CaptureOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndCapture;
}

bool Repainted(HWND window) {
  if (!IsWindowVisible(window) || !InvalidateRect(window, nullptr, FALSE)) return false;
  return PollUntil([&] { return !GetUpdateRect(window, nullptr, FALSE); }, kDeadline) && IsWindow(window);
}

std::wstring SettingsSnapshot() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Korvane\\Zindle!", 0, KEY_READ,
                    &key) != ERROR_SUCCESS)
    return L"(none)";
  std::vector<std::wstring> entries;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    BYTE data[8192];
    DWORD size = sizeof(data);
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, nullptr, data, &size) != ERROR_SUCCESS) break;
    entries.push_back(std::wstring(name) + L"=" + reinterpret_cast<const wchar_t*>(data));
  }
  RegCloseKey(key);
  std::sort(entries.begin(), entries.end());
  std::wstring all;
  for (const std::wstring& e : entries) all += e + L";";
  return all;
}

}  // namespace e2e::dialog
