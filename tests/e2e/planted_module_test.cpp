// Modules planted beside the program and in its current folder under the
// names of system modules that are not Windows' known DLLs never run, in
// any mode. Wine is told to prefer such files to its own modules for the
// program, as Windows would find them first in the program's folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

using namespace e2e;

constexpr wchar_t kMarks[] = L"Software\\ZindleTest\\Planted";
constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\Zindle!.scr\\DllOverrides";
constexpr DWORD kDeadline = 15000;
constexpr uint32_t kPictureColour = Rgb(40, 170, 60);

constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\Zindle!.scr";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// The system modules the program or its picture loading could look for:
// GDI+, the password-change router, the common controls, the imaging codecs
// (reached through COM) and the password check of the Windows 95/98 family.
constexpr const wchar_t* kPlantedNames[] = {L"gdiplus.dll", L"mpr.dll", L"comctl32.dll", L"windowscodecs.dll",
                                            L"password.cpl"};

// The name Wine's module overrides know a file by.
std::wstring ModuleName(const wchar_t* file) {
  std::wstring name(file);
  return name.substr(0, name.find(L'.'));
}

// The files whose code ran, by their paths.
std::vector<std::wstring> Marks() {
  std::vector<std::wstring> found;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kMarks, 0, KEY_READ, &key) != ERROR_SUCCESS) return found;
  wchar_t name[MAX_PATH];
  for (DWORD i = 0;; ++i) {
    DWORD length = MAX_PATH;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    found.emplace_back(name, length);
  }
  RegCloseKey(key);
  return found;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class PlantedModules : public testing::Test {
 protected:
  void SetUp() override {
    settings::ClearAll();
    RegDeleteTreeW(HKEY_CURRENT_USER, kMarks);
    std::wstring root = ScratchDir() + L"\\planted";
    program_ = root + L"\\program";
    current_ = root + L"\\current";
    for (const std::wstring& folder : {root, program_, current_}) CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ScrPath().c_str(), (program_ + L"\\Zindle!.scr").c_str(), FALSE));
    for (const std::wstring& folder : {program_, current_})
      for (const wchar_t* name : kPlantedNames)
        ASSERT_TRUE(CopyFileW(TestModulePath(L"planted.dll").c_str(), (folder + L"\\" + name).c_str(), FALSE))
            << "planted.dll is built beside the test";
    // The picture mode loads a picture file, the dialog its preview.
    picture_ = ScratchDir() + L"\\planted-picture.bmp";
    FilledPicture(200, 150, kPictureColour).SaveBmp(picture_);
    settings::Put(L"Picture", L"1");
    settings::Put(L"PictureName", picture_);
    for (const wchar_t* name : kPlantedNames) PutRegistryString(kOverrides, ModuleName(name), L"native,builtin");
    // The saver's way out then passes the password check.
    PutRegistryString(kAppDefaults, L"Version", L"win98");
    PutRegistryString(kDesktopKey, L"ScreenSaveUsePassword", L"1");
  }
  void TearDown() override {
    settings::ClearAll();
    RegDeleteTreeW(HKEY_CURRENT_USER, kMarks);
    RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
    DeleteRegistryValue(kDesktopKey, L"ScreenSaveUsePassword");
  }

  Process Start(const std::wstring& arguments) {
    return StartScrAt(program_ + L"\\Zindle!.scr", arguments, current_);
  }

  std::wstring program_, current_, picture_;
};

// Each mode's work, done by a process started with the argument text.
struct ModeCase {
  const char* name;
  const wchar_t* arguments;  // a window handle is added where the mode takes one
  bool takesWindow;
  // Checks that the mode did its work and ends it; a message says what failed.
  std::string (*work)(Process& process, HWND host);
};

std::string SaverShowsThePicture(Process& process, HWND) {
  HWND window = WaitForWindow(L"Zindle! Screen Saver", kDeadline, process.Id());
  if (!window) return "the saver's window never showed";
  bool shown = PollUntil([] { return TakeScreenshot().At(ScreenWidth() / 2, ScreenHeight() / 2) == kPictureColour; },
                         kDeadline);
  if (!shown) return "the picture never showed in the middle of the screen";
  PollUntil([&] {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    return GetForegroundWindow() == window;
  }, kDeadline);
  PressKey(VK_SPACE);
  return process.WaitForExit(kDeadline) ? "" : "a key did not end the saver";
}

std::string DialogOpens(Process& process, HWND) {
  HWND window = WaitForWindow(L"Zindle! Properties", kDeadline, process.Id());
  if (!window) return "\"Zindle! Properties\" never opened";
  PostMessageW(window, WM_CLOSE, 0, 0);
  return process.WaitForExit(kDeadline) ? "" : "the dialog did not close";
}

std::string PreviewDraws(Process& process, HWND host) {
  bool drawn = PollUntil([&] { return TakeScreenshot(host).At(76, 56) == kPictureColour; }, kDeadline);
  if (!drawn) return "the miniature never showed the picture";
  ShowWindow(host, SW_HIDE);
  return process.WaitForExit(kDeadline) ? "" : "hiding the preview did not end it";
}

std::string PasswordChangeEnds(Process& process, HWND) {
  if (!process.WaitForExit(kDeadline)) return "the password change did not end";
  return process.ExitCode() == 0 ? "" : "the password change ended with " + std::to_string(process.ExitCode());
}

void PrintTo(const ModeCase& c, std::ostream* out) { *out << c.name; }

class PlantedModulesInEachMode : public PlantedModules, public testing::WithParamInterface<ModeCase> {};

TEST_P(PlantedModulesInEachMode, NeverRunAndTheModeStillWorks) {
  const ModeCase& c = GetParam();
  // A pop-up stands in for Display Properties' preview area (Wine cannot
  // let another process draw into a child window) and for the password
  // dialog's owner.
  HWND host = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 200,
                              152, 112, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(PaintOwnWindows()) << "the host painted before the program draws on it";
  std::wstring arguments = c.arguments;
  if (c.takesWindow) arguments += L" " + std::to_wstring(reinterpret_cast<uintptr_t>(host));
  Process process = Start(arguments);
  ASSERT_TRUE(process) << "the copy of the program starts";
  std::string failure = c.work(process, host);
  EXPECT_EQ(failure, "") << c.name;
  process.Kill();
  DestroyWindow(host);
  for (const std::wstring& mark : Marks()) ADD_FAILURE() << "a planted module ran: " << Narrow(mark);
}

INSTANTIATE_TEST_SUITE_P(Modes, PlantedModulesInEachMode,
                         testing::Values(ModeCase{"saver", L"/s", false, SaverShowsThePicture},
                                         ModeCase{"dialog", L"/c", false, DialogOpens},
                                         ModeCase{"preview", L"/p", true, PreviewDraws},
                                         ModeCase{"password_change", L"/a", true, PasswordChangeEnds}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
