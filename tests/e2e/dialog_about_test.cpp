// The About box opened from the real properties dialog.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/handles_win32.h"
#include "dialog_driver.h"

namespace {

using namespace e2e;
using namespace e2e::dialog;
using namespace zindle::dialog;

class DialogAbout : public testing::Test {
 protected:
  static void SetUpTestSuite() { PrepareWine(); }
  void SetUp() override { settings::ClearAll(); }
  void TearDown() override { settings::ClearAll(); }

  HWND OpenAbout(PropertiesDialog& dialog) {
    dialog.Click(kCmdAbout);
    return WaitForWindow(L"About Zindle!", kDeadline, dialog.process().Id());
  }
};

HWND Item(HWND box, int id) { return GetDlgItem(box, id); }

// Keys go to the foreground window.
bool InFront(HWND box) {
  return PollUntil([&] {
    SetForegroundWindow(box);
    return GetForegroundWindow() == box;
  }, kDeadline);
}

// The memory as the system tells a program of the build under test: under an
// emulator a 32-bit program may be told less than the machine has.
std::wstring ExpectedMemory() {
  const uint64_t total = std::strtoull(OutputOf(TestModulePath(L"zindle_probe.exe"), L"memory").c_str(), nullptr, 10);
  uint64_t kb = total / 1024 + (total % 1024 >= 512);
  wchar_t separator[8] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  std::wstring digits = std::to_wstring(kb), grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped + L" KB";
}

TEST_F(DialogAbout, ShowsTheProgramItsRevisionAndTheMemory) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  HWND box = OpenAbout(dialog);
  ASSERT_TRUE(box) << "\"About Zindle!\" opens";
  EXPECT_FALSE(IsWindowEnabled(dialog.window())) << "modal over the properties dialog";
  EXPECT_EQ(WindowText(Item(box, kLblProgram)), L"Screen Zindler, 1.40");
  EXPECT_EQ(WindowText(Item(box, kLblMemory)), ExpectedMemory());
  EXPECT_EQ(WindowText(Item(box, kLblPhysMem)), L"Physical Memory Available to Windows:");
  EXPECT_EQ(WindowText(Item(box, kLblInfo)), L"Information:");
  EXPECT_EQ(WindowText(Item(box, kLblURL)), zindle::Wide(kWebAddress));
  EXPECT_EQ(WindowText(Item(box, kLblMail)), zindle::Wide(kMailAddress));
  EXPECT_TRUE(SendMessageW(Item(box, kAboutIcon), STM_GETIMAGE, IMAGE_ICON, 0)) << "the program icon";
  RECT client{};
  GetClientRect(box, &client);
  EXPECT_GE(client.right, kAboutClientWidth);
  EXPECT_EQ(client.bottom, kAboutClientHeight);

  // OK is the only control that takes the focus; Tab keeps it there.
  EXPECT_EQ(FocusOf(box), Item(box, kAboutOK));
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    EXPECT_EQ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0, child == Item(box, kAboutOK))
        << "control " << GetDlgCtrlID(child);
  ASSERT_TRUE(InFront(box));
  PressKey(VK_TAB);
  ASSERT_TRUE(Repainted(Item(box, kAboutOK))) << "the key handled";
  EXPECT_EQ(FocusOf(box), Item(box, kAboutOK));

  // The revision: hidden, then .0 right after the version, hidden, shown.
  HWND program = Item(box, kLblProgram), revision = Item(box, kLblRevision);
  EXPECT_FALSE(IsWindowVisible(revision));
  POINT at = CentreOf(program);
  ClickAt(at.x, at.y);
  ASSERT_TRUE(PollUntil([&] { return IsWindowVisible(revision) != FALSE; }, 3000)) << "first click shows it";
  EXPECT_EQ(WindowText(revision), L".0");
  RECT p{}, r{};
  GetWindowRect(program, &p);
  GetWindowRect(revision, &r);
  EXPECT_EQ(r.left, p.right + 1) << "directly after 1.40";
  EXPECT_EQ(r.top, p.top);
  KeepArtefact(ScreenshotOfWindow(box), L"about-box");
  ClickAt(at.x, at.y);
  EXPECT_TRUE(PollUntil([&] { return !IsWindowVisible(revision); }, 3000)) << "second click hides it";
  ClickAt(at.x, at.y);
  EXPECT_TRUE(PollUntil([&] { return IsWindowVisible(revision) != FALSE; }, 3000)) << "third shows it again";
  RECT again{};
  GetWindowRect(revision, &again);
  EXPECT_EQ(again.left, r.left) << "in the same place";

  // Esc does not close it; OK does.
  ASSERT_TRUE(InFront(box));
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(Repainted(Item(box, kAboutOK))) << "the key handled, the box still there";
  EXPECT_TRUE(IsWindow(box) && IsWindowVisible(box)) << "Esc leaves the About box open";
  POINT ok = CentreOf(Item(box, kAboutOK));
  ClickAt(ok.x, ok.y);
  EXPECT_TRUE(PollUntil([&] { return !IsWindow(box); }, kDeadline)) << "OK closes it";

  // Opened again, the revision is hidden again.
  box = OpenAbout(dialog);
  ASSERT_TRUE(box);
  EXPECT_FALSE(IsWindowVisible(Item(box, kLblRevision)));
  EXPECT_EQ(WindowText(Item(box, kLblRevision)), L".Rev");
  PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(PollUntil([&] { return !IsWindow(box); }, kDeadline)) << "the close box closes it";
}

TEST_F(DialogAbout, AboutThenOkKeepsTheValuesShownBefore) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  dialog.Focus(kSldX);
  dialog.Press(VK_END);
  dialog.Click(kChkSlow);
  ASSERT_TRUE(dialog.Until([&] { return dialog.SliderPosition(kSldX) == 10 && dialog.Checked(kChkSlow); }));
  HWND box = OpenAbout(dialog);
  ASSERT_TRUE(box);
  POINT ok = CentreOf(Item(box, kAboutOK));
  ClickAt(ok.x, ok.y);
  ASSERT_TRUE(PollUntil([&] { return !IsWindow(box); }, kDeadline));
  ASSERT_TRUE(dialog.Until([&] { return IsWindowEnabled(dialog.window()) != FALSE; }));
  EXPECT_EQ(dialog.SliderPosition(kSldX), 10);
  EXPECT_EQ(dialog.Text(kLblXFactor), L"10");
  EXPECT_TRUE(dialog.Checked(kChkSlow));
  ASSERT_TRUE(dialog.PressOk());
  EXPECT_EQ(settings::Get(L"Horizontal"), L"10");
  EXPECT_EQ(settings::Get(L"Slow"), L"1");
}

}  // namespace
