// Start-up: the command line picks one mode; the previous-version question.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/mode.h"
#include "core/modes_win32.h"
#include "harness.h"

namespace {

using namespace e2e;

constexpr DWORD kDeadline = 10000;

// Whether the process showed any window of its own before it ended.
bool ShowedAWindow(const Process& process) {
  bool shown = false;
  PollUntil(
      [&] {
        for (HWND window : TopWindows()) {
          DWORD pid = 0;
          GetWindowThreadProcessId(window, &pid);
          if (pid == process.Id() && IsWindowVisible(window)) shown = true;
        }
        return shown || !process.Running();
      },
      kDeadline);
  return shown;
}

class EntryTest : public testing::Test {
 protected:
  void SetUp() override { settings::ClearAll(); }
  void TearDown() override { settings::ClearAll(); }
};

TEST_F(EntryTest, SwitchesThatMatchNoModeEndSilently) {
  for (const wchar_t* arguments : {L"/x", L"/", L"-s", L"s", L"/ s"}) {
    SCOPED_TRACE(testing::Message() << "argument text " << std::string(arguments, arguments + wcslen(arguments)));
    Process process = StartScr(arguments);
    ASSERT_TRUE(process);
    EXPECT_FALSE(ShowedAWindow(process)) << "no window for an unknown switch";
    EXPECT_TRUE(process.WaitForExit(kDeadline)) << "the program ends by itself";
    EXPECT_EQ(process.ExitCode(), 0u);
  }
}

// A window of the saver's class and caption, made by the test.
HWND SaverLikeWindow(const wchar_t* className) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassW(&wc);
  return CreateWindowExW(0, className, L"Zindle! Screen Saver", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST_F(EntryTest, SaverStartEndsAtOnceWhileASaverWindowExists) {
  // A hidden window counts too: another saver may be starting up.
  HWND other = SaverLikeWindow(L"ZindleSaverWindow");
  ASSERT_TRUE(other);
  Process process = StartScr(L"/s");
  EXPECT_FALSE(ShowedAWindow(process));
  EXPECT_TRUE(process.WaitForExit(kDeadline));
  DestroyWindow(other);
}

TEST_F(EntryTest, AnotherWindowOfTheSaversCaptionDoesNotStopTheSaver) {
  // An Explorer window of a folder named so, say.
  HWND folder = SaverLikeWindow(L"CabinetWClass");
  ASSERT_TRUE(folder);
  Process process = StartScr(L"/s");
  EXPECT_TRUE(ShowedAWindow(process)) << "the saver runs";
  process.Kill();
  DestroyWindow(folder);
}

// The question's message box of the given process, or null.
HWND WaitForQuestion(const Process& process) {
  return WaitForWindow(L"Loading Settings", kDeadline, process.Id());
}

std::wstring StaticText(HWND box) {
  std::wstring text;
  for (HWND child : ChildWindows(box)) {
    wchar_t name[64];
    GetClassNameW(child, name, 64);
    std::wstring t = WindowText(child);
    if (_wcsicmp(name, L"Static") == 0 && t.size() > 10) text = t;
  }
  return text;
}

void PutPreviousRelease(const std::wstring& current) {
  settings::Put(L"Zindle!", L"Version", L"Current", current);
  settings::Put(L"Zindle!", L"Colours", L"Invert", L"1");
  settings::Put(L"Zindle!", L"Factor", L"X", L"3");
  settings::Put(L"Zindle!", L"Timeout", L"Time", L"5");
}

int PreviousSectionsLeft() {
  int n = 0;
  for (const wchar_t* section : {L"Version", L"Colours", L"Factor", L"Timeout"})
    n += settings::SectionExists(L"Zindle!", section);
  return n;
}

// The question is asked where the user is in front of the program: the
// properties dialog, which shows once it is answered.
// that asks the question.
constexpr wchar_t kLoadsSettings[] = L"/c";

HWND WaitForDialog(const Process& process) { return WaitForWindow(L"Zindle! Properties", kDeadline, process.Id()); }

TEST_F(EntryTest, PreviousReleaseIsOfferedForDeletionAndYesDeletesAllFourSections) {
  PutPreviousRelease(L"1.0");
  Process process = StartScr(kLoadsSettings);
  HWND box = WaitForQuestion(process);
  ASSERT_TRUE(box) << "the previous-version question is asked";
  EXPECT_EQ(StaticText(box),
            L"Entries from a previous version of Zindle! have been found. You are advised to delete them. "
            L"Do you want to?");
  EXPECT_TRUE(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO)) << "Yes and No buttons";
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(box, IDYES), GWL_STYLE) & BS_DEFPUSHBUTTON) << "Yes is the default";
  PostMessageW(box, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitForDialog(process));
  EXPECT_EQ(PreviousSectionsLeft(), 0);
}

TEST_F(EntryTest, NoKeepsThePreviousReleaseAndTheQuestionComesBack) {
  PutPreviousRelease(L"1.1");
  for (int start = 0; start < 2; ++start) {
    Process process = StartScr(kLoadsSettings);
    HWND box = WaitForQuestion(process);
    ASSERT_TRUE(box) << "asked at start " << start;
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitForDialog(process));
    EXPECT_EQ(PreviousSectionsLeft(), 4);
  }
}

TEST_F(EntryTest, ANewerPreviousReleaseIsLeftAloneWithoutAQuestion) {
  PutPreviousRelease(L"1.11");
  Process process = StartScr(kLoadsSettings);
  ASSERT_TRUE(WaitForDialog(process));
  EXPECT_FALSE(FindTopWindow(L"Loading Settings", process.Id()));
  EXPECT_EQ(PreviousSectionsLeft(), 4);
}

// Wine's service shows nothing and keeps nothing: what the program hands it
// is seen through a stand-in, in this process.
struct ServiceCall {
  std::string keyName;
  HWND parent = nullptr;
  DWORD reserved1 = 1, reserved2 = 1;
} g_call;
DWORD WINAPI RecordChange(LPCSTR keyName, HWND parent, DWORD reserved1, DWORD reserved2) {
  g_call = ServiceCall{keyName, parent, reserved1, reserved2};
  return 0;
}

TEST(ChangePassword, TheParentFromTheCommandLineGoesToTheService) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(parent);
  const uint64_t bits = reinterpret_cast<uintptr_t>(parent) & 0xFFFFFFFFu;
  const std::pair<std::string, HWND> cases[] = {
      {"/a " + std::to_string(bits), parent},
      {"/a:" + std::to_string(bits), parent},
      {"/A", nullptr},
      // The same low 32 bits with more above them: the system would take it
      // for the window, but no such handle is handed over.
      {"/a " + std::to_string(bits + (uint64_t{1} << 32)), nullptr},
      {"/a 1234", nullptr},  // no window
  };
  for (const auto& [arguments, expected] : cases) {
    g_call = {};
    zindle::ChangeScreenSaverPassword(RecordChange, zindle::WindowFromArgument(arguments));
    EXPECT_EQ(g_call.keyName, "SCRSAVE") << arguments;
    EXPECT_EQ(g_call.parent, expected) << arguments;
    EXPECT_EQ(g_call.reserved1 | g_call.reserved2, 0u);
  }
  DestroyWindow(parent);
}

TEST_F(EntryTest, ChangePasswordCallsTheSystemServiceAndEnds) {
  // Wine's service succeeds without showing anything.
  for (const wchar_t* arguments : {L"/a 1234", L"/a"}) {
    Process process = StartScr(arguments);
    EXPECT_TRUE(process.WaitForExit(kDeadline));
    EXPECT_EQ(process.ExitCode(), 0u);
  }
}

}  // namespace
