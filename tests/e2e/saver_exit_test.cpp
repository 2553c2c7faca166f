// Ending the saver: any key, any button, a real movement; the password gate
// of the Windows 95/98 family.
#include <functional>

#include "saver_scenario.h"

namespace e2e::saver {
namespace {

bool StaysRunning(const Process& process, DWORD milliseconds) { return !process.WaitForExit(milliseconds); }

TEST_F(SaverTest, AnyKeyEndsTheSaverEvenAModifierAlone) {
  for (WORD key : {WORD(VK_SHIFT), WORD('A'), WORD(VK_SPACE)}) {
    SCOPED_TRACE(testing::Message() << "virtual key " << key);
    Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
    ASSERT_TRUE(StartSaver());
    ASSERT_TRUE(WaitUntilRunning()) << "the saver comes to the front and hides the pointer";
    PressKey(key);
    EXPECT_TRUE(saver.WaitForExit(kExitDeadline)) << "the process ends";
    EXPECT_EQ(saver.ExitCode(), 0u);
  }
}

TEST_F(SaverTest, AMouseButtonEndsTheSaver) {
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  PressMouseButton();
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(SaverTest, TheFirstMoveOnlyRecordsAndTheNextOneEndsTheSaver) {
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  MoveMouseTo(200, 150);
  EXPECT_TRUE(StaysRunning(saver, 1000)) << "the first move records the position";
  MoveMouseTo(203, 150);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline)) << "a move to another position ends it";
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(SaverTest, MovesAlongTheLeftEdgeRecordAgainUntilThePointerLeavesIt) {
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  MoveMouseTo(0, 100);
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  for (int y : {200, 300, 400}) MoveMouseTo(0, y);
  EXPECT_TRUE(StaysRunning(saver, 800)) << "a recorded 0 counts as not recorded";
  MoveMouseTo(100, 400);
  EXPECT_TRUE(StaysRunning(saver, 800)) << "leaving the edge records the new position";
  MoveMouseTo(110, 400);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
}

// The system's own screen saver, as every process sees it: Wine's X11 driver
// keeps it in the X server's screen-saver timeout, which all share.
bool ScreenSaveActive() {
  BOOL active = FALSE;
  SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  return active != FALSE;
}

// Makes a thread of the process fault: the program's own code is not needed
// for a crash to be a crash.
void Fault(const Process& process) {
  HANDLE handle = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                  PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, process.Id());
  HANDLE thread = CreateRemoteThread(handle, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(16), nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
  CloseHandle(handle);
}

struct WayOut {
  const char* name;
  std::function<void(HWND window, const Process& saver)> act;
  DWORD deadline = kExitDeadline;
};

TEST_F(SaverTest, EveryWayOutPutsTheSystemsScreenSaverBackAndEndsTheProcess) {
  const WayOut ways[] = {
      {"a key", [](HWND, const Process&) { PressKey(VK_SPACE); }},
      {"Alt alone", [](HWND, const Process&) { PressKey(VK_MENU); }},
      {"closing", [](HWND window, const Process&) { PostMessageW(window, WM_CLOSE, 0, 0); }},
      {"logging off", [](HWND window, const Process&) {
         DWORD_PTR answer = 0;
         SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 2000, &answer);
       }},
      {"the session ending", [](HWND window, const Process&) {
         SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
       }},
      {"the window hidden from outside", [](HWND window, const Process&) { ShowWindow(window, SW_HIDE); }},
      // Wine's debugger, a program of its own, ends the faulting process:
      // on a loaded machine its start alone can take several seconds.
      {"a fault", [](HWND, const Process& saver) { Fault(saver); }, 30000},
  };
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  for (const WayOut& way : ways) {
    SCOPED_TRACE(way.name);
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    ASSERT_TRUE(StartSaver());
    ASSERT_TRUE(WaitUntilRunning());
    ASSERT_TRUE(PollUntil([] { return !ScreenSaveActive(); }, kExitDeadline)) << "the run switches it off";
    way.act(window, saver);
    EXPECT_TRUE(saver.WaitForExit(way.deadline)) << "the process ends";
    EXPECT_TRUE(ScreenSaveActive()) << "and the system's screen saver is on again";
    saver.Kill();
  }
}

// A copy of the program, the test's password.cpl in the system folder, where
// the program looks for it, the program seen by Wine as a Windows 98 program
// when asked, and the system's password setting on.
class SaverPasswordTest : public SaverTest {
 protected:
  static constexpr wchar_t kAnswerKey[] = L"Software\\ZindleTest\\Password";
  static constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\Zindle!.scr";

  void SetUp() override {
    SaverTest::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, kAnswerKey);
    std::wstring folder = ScratchDir() + L"\\password";
    CreateDirectoryW(folder.c_str(), nullptr);
    scr_ = folder + L"\\Zindle!.scr";
    ASSERT_TRUE(CopyFileW(ScrPath().c_str(), scr_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(TestModulePath(L"password.cpl").c_str(), SystemPasswordModule().c_str(), FALSE))
        << "password.cpl is built beside the test";
    PutRegistryString(kDesktopKey, L"ScreenSaveUsePassword", L"1");
  }
  void TearDown() override {
    SaverTest::TearDown();
    RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
    RegDeleteTreeW(HKEY_CURRENT_USER, kAnswerKey);
    DeleteFileW(SystemPasswordModule().c_str());
  }

  static std::wstring SystemPasswordModule() { return ProgramSystemFolder() + L"\\password.cpl"; }
  static void ReportWindows98() { PutRegistryString(kAppDefaults, L"Version", L"win98"); }
  static void Answer(DWORD accept) { PutRegistryDword(kAnswerKey, L"Answer", accept); }
  static DWORD Recorded(const wchar_t* name) {
    DWORD value = 0xFFFFFFFF, size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, kAnswerKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
  }

  std::wstring scr_;
};

TEST_F(SaverPasswordTest, ARefusedPasswordKeepsTheSaverRunningWithThePointerHidden) {
  ReportWindows98();
  Answer(0);
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  ASSERT_TRUE(StartSaver(scr_));
  ASSERT_TRUE(WaitUntilRunning());
  PressKey(VK_SHIFT);
  ASSERT_TRUE(PollUntil([] { return Recorded(L"Calls") == 1; }, kExitDeadline)) << "the password is asked for";
  EXPECT_EQ(static_cast<int>(Recorded(L"Counter")), 0) << "the pointer is shown while it is asked for";
  EXPECT_EQ(Recorded(L"OwnerIsSaver"), 1u) << "the dialog belongs to the saver's window";
  EXPECT_TRUE(StaysRunning(saver, 800)) << "a refusal keeps the saver running";
  EXPECT_TRUE(PollUntil([] { return !PointerShown(); }, kExitDeadline)) << "with the pointer hidden again";
  Answer(1);
  PressKey(VK_SHIFT);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline)) << "the next key asks again, and acceptance ends it";
  EXPECT_EQ(Recorded(L"Calls"), 2u);
}

TEST_F(SaverPasswordTest, LoggingOffPassesThePasswordGateToo) {
  ReportWindows98();
  Answer(0);
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  ASSERT_TRUE(StartSaver(scr_));
  ASSERT_TRUE(WaitUntilRunning());
  DWORD_PTR allowed = 1;
  SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kExitDeadline, &allowed);
  EXPECT_EQ(allowed, 0u) << "a refused password keeps the session";
  EXPECT_EQ(Recorded(L"Calls"), 1u);
  EXPECT_TRUE(StaysRunning(saver, 500));
  Answer(1);
  SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kExitDeadline, &allowed);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline)) << "an accepted one ends the saver";
}

TEST_F(SaverPasswordTest, AnAcceptedPasswordEndsTheSaver) {
  ReportWindows98();
  Answer(1);
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  ASSERT_TRUE(StartSaver(scr_));
  ASSERT_TRUE(WaitUntilRunning());
  PressMouseButton();
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_EQ(Recorded(L"Calls"), 1u);
}

TEST_F(SaverPasswordTest, WithoutThePasswordServiceTheSaverStillEnds) {
  // Nothing could ever accept a password: a saver that stayed would lock the user out.
  ReportWindows98();
  ASSERT_TRUE(DeleteFileW(SystemPasswordModule().c_str()));
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  ASSERT_TRUE(StartSaver(scr_));
  ASSERT_TRUE(WaitUntilRunning());
  PressKey(VK_SHIFT);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
  EXPECT_EQ(saver.ExitCode(), 0u) << "ended by its unload, not by a crash";
}

TEST_F(SaverPasswordTest, TheNtFamilyEndsAtOnceWithoutAskingEvenWithThePasswordOn) {
  Answer(0);  // a refusal, were it asked
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  ASSERT_TRUE(StartSaver(scr_));
  ASSERT_TRUE(WaitUntilRunning());
  PressKey(VK_SHIFT);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
  EXPECT_EQ(Recorded(L"Calls"), 0xFFFFFFFFu) << "no password was asked for";
}

}  // namespace
}  // namespace e2e::saver
