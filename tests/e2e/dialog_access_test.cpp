// The properties dialog for a user of the keyboard alone and of a screen
// reader: the page keys from every control, and what the system's
// accessibility layer (oleacc) tells of each control, against the screen.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/handles_win32.h"
#include "dialog/fit.h"
#include "dialog_driver.h"

namespace {

using namespace e2e;
using namespace e2e::dialog;
using namespace zindle::dialog;

// Keys held down in order and let go in the reverse order.
void PressChord(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    // PageUp and PageDown of the navigation block, not of the number pad.
    input.ki.dwFlags = flags | (key == VK_PRIOR || key == VK_NEXT ? KEYEVENTF_EXTENDEDKEY : 0);
    inputs.push_back(input);
  };
  for (WORD key : keys) add(key, 0);
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) add(*key, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Keys go to the foreground window.
bool InFront(HWND window) {
  return PollUntil([&] {
    SetForegroundWindow(window);
    return GetForegroundWindow() == window;
  }, kDeadline);
}

std::string NameOf(int id) {
  Placement placement = FindControl(id);
  return placement.row ? placement.row->name : "#" + std::to_string(id);
}

class DialogKeyboard : public testing::Test {
 protected:
  static void SetUpTestSuite() { PrepareWine(); }
  void SetUp() override { settings::ClearAll(); }
  void TearDown() override { settings::ClearAll(); }

  // Every kind of control enabled: Intelligent enables the analysis list,
  // a stored picture Browse.
  static void StoreEverythingOn() {
    std::wstring picture = ScratchDir() + L"\\keyboard.bmp";
    FilledPicture(40, 30, Rgb(200, 60, 40)).SaveBmp(picture);
    settings::Put(L"Invert", L"3");
    settings::Put(L"Picture", L"1");
    settings::Put(L"PictureName", picture);
  }
};

// On each page, from each control that can have the focus (and from the tab
// strip and the buttons below the pages), the page keys both ways: the page
// before or after, round from either end, with the focus on its first
// control; a slider or the list does not take the keys as its own.
TEST_F(DialogKeyboard, CtrlTabAndCtrlShiftTabGoRoundThePagesFromEveryControl) {
  StoreEverythingOn();
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  const std::vector<int> controls[] = {
      {kTabStrip, kSldX, kSldY, kChkSlow, kCmdOK, kCmdCancel, kCmdAbout},
      {kOptColours3, kSldSize, kCboColours},
      {kChkUnzindle, kSldRestart, kChkHoriz, kChkVert},
      {kChkPicture, kCmdBrowse},
  };
  const int first[] = {kSldX, kOptColours3, kChkUnzindle, kChkPicture};  // Intelligent is selected
  auto shows = [&](int position) {
    return dialog.SelectedTab() == position && dialog.Visible(kPicPanel0 + position - 1) &&
           dialog.Enabled(kPicPanel0 + position - 1) && FocusOf(dialog.window()) == dialog.Control(first[position - 1]);
  };
  auto after = [](int position) { return position % 4 + 1; };
  auto before = [](int position) { return (position + 2) % 4 + 1; };
  // By turns Ctrl+Shift+Tab then Ctrl+Tab, and Ctrl+PageDown then Ctrl+PageUp:
  // from the first tab and from the last, both go round both ways.
  const std::vector<WORD> tabOn = {VK_CONTROL, VK_TAB}, tabBack = {VK_CONTROL, VK_SHIFT, VK_TAB};
  const std::vector<WORD> pageOn = {VK_CONTROL, VK_NEXT}, pageBack = {VK_CONTROL, VK_PRIOR};
  int turn = 0;
  for (int position = 1; position <= 4; ++position) {
    for (int id : controls[position - 1]) {
      bool tabKeys = turn++ % 2 == 0;
      SCOPED_TRACE(testing::Message() << "tab " << position << ", the focus on " << NameOf(id) << ", "
                                      << (tabKeys ? "Ctrl+Shift+Tab, Ctrl+Tab" : "Ctrl+PageDown, Ctrl+PageUp"));
      dialog.Focus(id);
      ASSERT_EQ(FocusOf(dialog.window()), dialog.Control(id));
      int slider = FindSlider(id) ? dialog.SliderPosition(id) : 0;
      LRESULT entry = SendMessageW(dialog.Control(kCboColours), CB_GETCURSEL, 0, 0);
      ASSERT_TRUE(InFront(dialog.window()));
      PressChord(tabKeys ? tabBack : pageOn);
      int there = tabKeys ? before(position) : after(position);
      EXPECT_TRUE(dialog.Until([&] { return shows(there); })) << "tab " << there << " and its first control";
      if (FindSlider(id)) {
        EXPECT_EQ(dialog.SliderPosition(id), slider) << "the slider did not take the keys";
      }
      EXPECT_EQ(SendMessageW(dialog.Control(kCboColours), CB_GETCURSEL, 0, 0), entry) << "nor the list";
      PressChord(tabKeys ? tabOn : pageBack);
      EXPECT_TRUE(dialog.Until([&] { return shows(position); })) << "tab " << position << " again";
    }
    PressChord({VK_CONTROL, VK_TAB});
    ASSERT_TRUE(dialog.Until([&] { return shows(after(position)); }));
  }
  PressKey(VK_RETURN);
  ASSERT_TRUE(dialog.process().WaitForExit(kDeadline)) << "Enter is OK wherever the page keys left the focus";
  EXPECT_EQ(settings::Get(L"Horizontal"), L"1");
  EXPECT_EQ(settings::Get(L"Threshold"), L"2");
}

// What worked before the page keys: Tab round each page in the design's
// order, the labels' access keys to the controls they name, and the focus
// back where it was once the About box or the file dialog has closed, where
// the page keys belong to those windows.
TEST_F(DialogKeyboard, TabAccessKeysAndTheWindowsOnTopKeepTheirWays) {
  StoreEverythingOn();
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  const std::vector<int> rounds[] = {
      {kSldX, kSldY, kChkSlow},
      {kOptColours3, kSldSize, kCboColours},
      {kChkUnzindle, kSldRestart, kChkHoriz, kChkVert},
      {kChkPicture, kCmdBrowse},
  };
  // The labels' access keys (a check box's or a button's would press it).
  const std::vector<std::pair<WORD, int>> accessKeys[] = {
      {{'H', kSldX}, {'V', kSldY}},
      {{'L', kSldSize}, {'H', kCboColours}},
      {{'M', kSldRestart}, {'F', kChkHoriz}},
      {{'F', kCmdBrowse}},
  };
  auto focused = [&](int id) { return FocusOf(dialog.window()) == dialog.Control(id); };
  for (int position = 1; position <= 4; ++position) {
    SCOPED_TRACE(testing::Message() << "tab " << position);
    if (position == 1) {
      dialog.Press(VK_TAB);  // from the tab strip, which has the focus on opening
    } else {
      ASSERT_TRUE(InFront(dialog.window()));
      PressChord({VK_CONTROL, VK_TAB});
    }
    std::vector<int> round = rounds[position - 1];
    ASSERT_TRUE(dialog.Until([&] { return focused(round.front()); }));
    round.insert(round.end(), {kCmdOK, kCmdCancel, kCmdAbout, kTabStrip, round.front()});
    for (size_t i = 1; i < round.size(); ++i) {
      dialog.Press(VK_TAB);
      EXPECT_TRUE(dialog.Until([&] { return focused(round[i]); })) << "Tab to " << NameOf(round[i]);
    }
    for (auto [key, id] : accessKeys[position - 1]) {
      dialog.Focus(kTabStrip);
      ASSERT_TRUE(InFront(dialog.window()));
      PressChord({VK_MENU, key});
      EXPECT_TRUE(dialog.Until([&] { return focused(id); })) << "Alt+" << char(key) << " to " << NameOf(id);
    }
  }

  // The file dialog, opened by its access key: the page keys are its own.
  PressChord({VK_MENU, 'B'});
  HWND chooser = WaitForWindow(L"Choose Picture", kDeadline, dialog.process().Id());
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(InFront(chooser));
  PressChord({VK_CONTROL, VK_TAB});
  PressChord({VK_CONTROL, VK_NEXT});
  ASSERT_TRUE(Repainted(chooser)) << "the keys handled";
  PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(PollUntil([&] { return !IsWindow(chooser); }, kDeadline));
  EXPECT_TRUE(dialog.Until([&] { return focused(kCmdBrowse); })) << "the focus back on Browse";
  EXPECT_EQ(dialog.SelectedTab(), 4);

  // The About box, by its access key, closed by Enter.
  ASSERT_TRUE(InFront(dialog.window()));
  PressChord({VK_MENU, 'A'});
  HWND box = WaitForWindow(L"About Zindle!", kDeadline, dialog.process().Id());
  ASSERT_TRUE(box);
  ASSERT_TRUE(InFront(box));
  PressChord({VK_CONTROL, VK_TAB});
  ASSERT_TRUE(Repainted(GetDlgItem(box, kAboutOK))) << "the keys handled";
  EXPECT_EQ(dialog.SelectedTab(), 4) << "the page keys in the About box leave the pages alone";
  PressKey(VK_RETURN);
  ASSERT_TRUE(PollUntil([&] { return !IsWindow(box); }, kDeadline));
  EXPECT_TRUE(dialog.Until([&] { return focused(kCmdAbout); })) << "the focus back on About";
  dialog.Press(VK_ESCAPE);
  ASSERT_TRUE(dialog.process().WaitForExit(kDeadline)) << "Esc cancels";
}

// --- What a screen reader is told -------------------------------------------

// One control as oleacc gives it: its name (none: the runtime named nothing)
// and its role.
struct Accessible {
  bool named = false;
  std::wstring name;
  long role = 0;
};

Accessible ReadAccessible(HWND control) {
  Accessible result;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      !object)
    return result;
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  if (object->get_accName(self, &name) == S_OK && name) {
    result.named = true;
    result.name = name;
  }
  SysFreeString(name);
  VARIANT role{};
  if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) result.role = role.lVal;
  VariantClear(&role);
  object->Release();
  return result;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  RealGetWindowClassW(window, name, 64);
  return name;
}

std::wstring Shown(HWND window) { return zindle::Wide(WithoutAccessMarks(zindle::Narrow(AskedTextOf(window)))); }

// The label the system's proxies name a control without a caption after:
// the static text before it in window order, looked for until a control that
// starts a group and is a tab stop.
std::wstring LabelBefore(HWND control) {
  for (HWND window = GetWindow(control, GW_HWNDPREV); window; window = GetWindow(window, GW_HWNDPREV)) {
    if (_wcsicmp(ClassOf(window).c_str(), WC_STATICW) == 0) return Shown(window);
    LONG style = GetWindowLongW(window, GWL_STYLE);
    if ((style & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) break;
  }
  return L"";
}

// The role the system's proxy gives a window of this class and style.
long RoleOfClass(HWND window) {
  std::wstring name = ClassOf(window);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  if (name == TRACKBAR_CLASSW) return ROLE_SYSTEM_SLIDER;
  if (name == WC_TABCONTROLW) return ROLE_SYSTEM_PAGETABLIST;
  if (_wcsicmp(name.c_str(), WC_COMBOBOXW) == 0) return ROLE_SYSTEM_COMBOBOX;
  if (_wcsicmp(name.c_str(), WC_BUTTONW) == 0) switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON: return ROLE_SYSTEM_PUSHBUTTON;
      case BS_AUTOCHECKBOX: return ROLE_SYSTEM_CHECKBUTTON;
      case BS_AUTORADIOBUTTON: return ROLE_SYSTEM_RADIOBUTTON;
    }
  return ROLE_SYSTEM_CLIENT;
}

std::wstring List(const std::set<std::wstring>& names) {
  std::wstring all;
  for (const std::wstring& name : names) all += (all.empty() ? L"" : L", ") + name;
  return all.empty() ? L"none" : all;
}

class DialogScreenReader : public testing::Test {
 protected:
  static void SetUpTestSuite() { PrepareWine(); }
  void SetUp() override {
    settings::ClearAll();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  void TearDown() override {
    CoUninitialize();
    settings::ClearAll();
  }
};

// Each control that takes the focus, named as the screen names it: by its
// own caption, or by the label that stands for it, and a slider's value
// label read as its value after it. Where this runtime's oleacc names or
// gives the role of a control, that is what the screen shows; what it does
// not tell, the window order and the class it reads them from do.
TEST_F(DialogScreenReader, EachControlIsNamedAsTheScreenShowsItWithItsRole) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  constexpr int kOwn = 0;  // named by its own caption
  const struct {
    int control, label;
    long role;
  } expected[] = {
      {kTabStrip, -1, ROLE_SYSTEM_PAGETABLIST},  // its tabs carry the names
      {kSldX, kLblX, ROLE_SYSTEM_SLIDER},
      {kSldY, kLblY, ROLE_SYSTEM_SLIDER},
      {kChkSlow, kOwn, ROLE_SYSTEM_CHECKBUTTON},
      {kOptColours0, kOwn, ROLE_SYSTEM_RADIOBUTTON},
      {kOptColours1, kOwn, ROLE_SYSTEM_RADIOBUTTON},
      {kOptColours2, kOwn, ROLE_SYSTEM_RADIOBUTTON},
      {kOptColours3, kOwn, ROLE_SYSTEM_RADIOBUTTON},
      {kSldSize, kLblSize, ROLE_SYSTEM_SLIDER},
      {kCboColours, kLblAColours, ROLE_SYSTEM_COMBOBOX},
      {kChkUnzindle, kOwn, ROLE_SYSTEM_CHECKBUTTON},
      {kSldRestart, kLblSeconds, ROLE_SYSTEM_SLIDER},
      {kChkHoriz, kOwn, ROLE_SYSTEM_CHECKBUTTON},
      {kChkVert, kOwn, ROLE_SYSTEM_CHECKBUTTON},
      {kChkPicture, kOwn, ROLE_SYSTEM_CHECKBUTTON},
      {kCmdBrowse, kOwn, ROLE_SYSTEM_PUSHBUTTON},
      {kCmdOK, kOwn, ROLE_SYSTEM_PUSHBUTTON},
      {kCmdCancel, kOwn, ROLE_SYSTEM_PUSHBUTTON},
      {kCmdAbout, kOwn, ROLE_SYSTEM_PUSHBUTTON},
  };
  // Every control the keyboard can reach is here.
  std::set<HWND> listed;
  for (const auto& e : expected) listed.insert(dialog.Control(e.control));
  for (HWND child : ChildWindows(dialog.window())) {
    LONG style = GetWindowLongW(child, GWL_STYLE);
    bool option = RoleOfClass(child) == ROLE_SYSTEM_RADIOBUTTON;
    if ((style & WS_TABSTOP) || option) {
      EXPECT_TRUE(listed.count(child)) << "control " << GetDlgCtrlID(child) << " is looked at";
    }
  }

  // Page by page, as the user meets them; the window's own controls with the first.
  std::set<std::wstring> named, byText, unnamed, roled, roleless;
  for (int position = 1; position <= 4; ++position) {
    dialog.ChooseTab(position);
    HWND page = dialog.Control(kPicPanel0 + position - 1);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Visible(kPicPanel0 + position - 1); }));
    for (const auto& e : expected) {
      HWND control = dialog.Control(e.control);
      ASSERT_TRUE(control);
      if (GetParent(control) != page && (position > 1 || GetParent(control) != dialog.window())) continue;
      SCOPED_TRACE(NameOf(e.control));
      std::wstring screen = e.label == kOwn ? Shown(control) : e.label > 0 ? Shown(dialog.Control(e.label)) : L"";
      if (e.label > 0) {
        EXPECT_FALSE(screen.empty());
      }
      Accessible read = ReadAccessible(control);
      if (!read.named) {
        EXPECT_NE(e.label, kOwn) << "oleacc names a control by its caption";
        unnamed.insert(ClassOf(control));
      } else if (read.name == screen) {
        named.insert(ClassOf(control));
      } else {
        // A runtime that names the list by its text reads out the entry chosen.
        EXPECT_TRUE(e.label != kOwn && read.name == Shown(control)) << "oleacc's name " << read.name;
        byText.insert(ClassOf(control));
      }
      if (e.label != kOwn) {
        EXPECT_EQ(LabelBefore(control), screen) << "the label right before it in window order";
      }
      if (read.role != ROLE_SYSTEM_CLIENT) {
        EXPECT_EQ(read.role, e.role) << "oleacc's role";
        roled.insert(ClassOf(control));
      } else {
        roleless.insert(ClassOf(control));
      }
      EXPECT_EQ(RoleOfClass(control), e.role) << "the class and style its role comes from";
      if (const SliderRow* slider = FindSlider(e.control)) {
        HWND value = GetWindow(control, GW_HWNDNEXT);
        EXPECT_EQ(value, dialog.Control(slider->label)) << "its value label comes right after it";
        Accessible valueRead = ReadAccessible(value);
        EXPECT_TRUE(valueRead.named && valueRead.name == Shown(value)) << "the value label reads as the value";
      }
    }
  }
  printf("[ oleacc   ] names as the screen shows them: %ls; by their own text: %ls; not at all: %ls\n",
         List(named).c_str(), List(byText).c_str(), List(unnamed).c_str());
  printf("[ oleacc   ] gives the role of %ls; the client role to %ls\n", List(roled).c_str(), List(roleless).c_str());
  EXPECT_TRUE(named.count(WC_BUTTONW)) << "oleacc answers at all";
}

}  // namespace
