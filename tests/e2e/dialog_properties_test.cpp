// The properties dialog as a user meets it: the real
// "/c" under Wine, its controls found by their IDs, real clicks and keys,
// the registry read back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "dialog/help_topics.h"
#include "dialog/whats_this_win32.h"
#include "core/handles_win32.h"
#include "dialog_driver.h"

namespace {

using namespace e2e;
using namespace e2e::dialog;
using namespace zindle::dialog;

std::wstring W(std::string_view text) { return zindle::Wide(text); }

class DialogProperties : public testing::Test {
 protected:
  static void SetUpTestSuite() { PrepareWine(); }
  void SetUp() override { settings::ClearAll(); }
  void TearDown() override { settings::ClearAll(); }

  // A file of the test in the scratch folder.
  static std::wstring ScratchFile(const std::wstring& name) { return ScratchDir() + L"\\" + name; }
  static std::wstring WritePicture(const std::wstring& name, uint32_t colour) {
    std::wstring path = ScratchFile(name);
    FilledPicture(40, 30, colour).SaveBmp(path);
    return path;
  }
  static std::wstring WriteText(const std::wstring& name) {
    std::wstring path = ScratchFile(name);
    FILE* out = _wfopen(path.c_str(), L"w");
    fputs("not a picture\n", out);
    fclose(out);
    return path;
  }
  // The colour in the middle of the preview, as the screen shows it.
  static uint32_t PreviewColour(PropertiesDialog& dialog) {
    POINT centre = CentreOf(dialog.Control(kImgPreview));
    return TakeScreenshot().At(centre.x, centre.y);
  }
};

constexpr uint32_t kSea = Rgb(30, 90, 200);
constexpr uint32_t kGrass = Rgb(40, 170, 60);

TEST_F(DialogProperties, FirstRunShowsTheDefaultsAndOkWritesExactlyThem) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog) << "\"Zindle! Properties\" appears";
  HWND window = dialog.window();
  LONG style = GetWindowLongW(window, GWL_STYLE), exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_CONTEXTHELP) << "the title bar carries the help button";
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "a fixed dialog frame";
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_GE(client.right, kDialogClientWidth);
  EXPECT_EQ(client.bottom, kDialogClientHeight) << "at 96 DPI";
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_NEAR((outer.left + outer.right) / 2, ScreenWidth() / 2, 1) << "centred";
  EXPECT_NEAR((outer.top + outer.bottom) / 2, ScreenHeight() / 2, 1) << "centred";

  EXPECT_EQ(dialog.SelectedTab(), 1) << "Factor in front";
  EXPECT_EQ(dialog.SliderPosition(kSldX), 1);
  EXPECT_EQ(dialog.Text(kLblXFactor), L"1");
  EXPECT_EQ(dialog.SliderPosition(kSldY), 1);
  EXPECT_EQ(dialog.Text(kLblYFactor), L"1");
  EXPECT_FALSE(dialog.Checked(kChkUnzindle));
  for (int id : {kSldRestart, kLblSeconds, kLblRestart}) EXPECT_TRUE(dialog.Enabled(id)) << id;
  EXPECT_EQ(dialog.SliderPosition(kSldRestart), 2);
  EXPECT_EQ(dialog.Text(kLblRestart), L"1");
  EXPECT_TRUE(dialog.Checked(kOptColours0)) << "Normal";
  for (int id : {kLblSize, kLblTestFreq, kLblAColours, kCboColours}) EXPECT_FALSE(dialog.Enabled(id)) << id;
  EXPECT_TRUE(dialog.Enabled(kSldSize));
  EXPECT_EQ(dialog.SliderPosition(kSldSize), 2);
  EXPECT_EQ(dialog.Text(kLblTestFreq), L"10");
  EXPECT_EQ(dialog.AskedText(kCboColours), L"Average");
  EXPECT_EQ(SendMessageW(dialog.Control(kCboColours), CB_GETCOUNT, 0, 0), 5);
  for (int id : {kChkSlow, kChkHoriz, kChkVert, kChkPicture}) EXPECT_FALSE(dialog.Checked(id)) << id;
  for (int id : {kLblFile, kLblFilename, kCmdBrowse, kImgPreview}) EXPECT_FALSE(dialog.Enabled(id)) << id;
  EXPECT_EQ(dialog.Text(kLblFilename), L"");
  // The captions of the tables.
  EXPECT_EQ(dialog.Text(kLblX), L"&Horizontal:");
  EXPECT_EQ(dialog.Text(kOptColours3), L"In&telligent");
  EXPECT_EQ(dialog.Text(kCmdBrowse), L"&Browse...");
  EXPECT_EQ(SendMessageW(dialog.Control(kTabStrip), TCM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_TRUE(GetWindowLongW(dialog.Control(kCmdOK), GWL_STYLE) & BS_DEFPUSHBUTTON) << "Enter presses OK";
  EXPECT_EQ(FocusOf(window), dialog.Control(kTabStrip));

  ASSERT_TRUE(dialog.PressOk()) << "OK closes the dialog";
  const std::pair<const wchar_t*, const wchar_t*> written[] = {
      {L"Version", L"1.40"}, {L"Horizontal", L"1"}, {L"Vertical", L"1"},  {L"Unzindle", L"0"},
      {L"Frequency", L"2"},  {L"Invert", L"0"},     {L"Level", L"2"},     {L"Threshold", L"2"},
      {L"FlipHoriz", L"0"},  {L"FlipVert", L"0"},   {L"Picture", L"0"},   {L"PictureName", L""},
      {L"Slow", L"0"}};
  for (auto [key, text] : written) EXPECT_EQ(settings::Get(key), std::wstring(text)) << key;
  std::wstring all = SettingsSnapshot();
  EXPECT_EQ(std::count(all.begin(), all.end(), L';'), 13) << "exactly the thirteen keys: " << all;
}

// What the Screen Saver settings pass: "/c:HWND" (and "/c HWND").
TEST_F(DialogProperties, TheDialogBelongsToTheWindowThatStartedItAndIsModalToIt) {
  HWND settings = CreateWindowExW(0, L"STATIC", L"Screen Saver Settings", WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 40, 300,
                                  200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(settings);
  ASSERT_TRUE(PaintOwnWindows()) << "the settings window is shown";
  std::wstring handle = std::to_wstring(reinterpret_cast<uintptr_t>(settings));
  for (const std::wstring& arguments : {L"/c:" + handle, L"/c " + handle}) {
    SCOPED_TRACE(std::string(arguments.begin(), arguments.end()));
    PropertiesDialog dialog(arguments);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(GetWindow(dialog.window(), GW_OWNER), settings) << "owned by the settings window";
    EXPECT_TRUE(PollUntil([&] { return !IsWindowEnabled(settings); }, kDeadline)) << "which is disabled meanwhile";
    RECT over{}, outer{};
    GetWindowRect(settings, &over);
    GetWindowRect(dialog.window(), &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, (over.left + over.right) / 2, 1) << "centred over it";
    ClickAt(over.left + 5, over.top + 5);
    // The click comes to this thread's window: handled, it has brought forward what it would.
    EXPECT_TRUE(PollUntil([] { return (HIWORD(GetQueueStatus(QS_MOUSEBUTTON)) & QS_MOUSEBUTTON) == 0; }, kDeadline));
    EXPECT_NE(GetForegroundWindow(), settings) << "a click cannot bring the settings window forward";
    ASSERT_TRUE(dialog.PressOk());
    EXPECT_TRUE(PollUntil([&] { return IsWindowEnabled(settings) != FALSE; }, kDeadline)) << "usable again after OK";
  }
  DestroyWindow(settings);
}

TEST_F(DialogProperties, AHandleThatIsNoWindowOpensTheDialogAsBefore) {
  PropertiesDialog dialog(L"/c:12345");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(GetWindow(dialog.window(), GW_OWNER), nullptr);
  ASSERT_TRUE(dialog.PressOk());
}

TEST_F(DialogProperties, StoredColourModesSelectTheirOptionAndOkKeepsThem) {
  for (int invert : {1, 2, 3}) {
    SCOPED_TRACE(testing::Message() << "stored Invert " << invert);
    settings::ClearAll();
    settings::Put(L"Invert", std::to_wstring(invert));
    PropertiesDialog dialog;
    ASSERT_TRUE(dialog);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dialog.Checked(kOptColours0 + i), i == invert) << "option " << i;
    for (int id : {kLblSize, kLblTestFreq, kLblAColours, kCboColours})
      EXPECT_EQ(dialog.Enabled(id), invert == 3) << "analysis control " << id;
    EXPECT_TRUE(dialog.Enabled(kSldSize));
    ASSERT_TRUE(dialog.PressOk());
    EXPECT_EQ(settings::Get(L"Invert"), std::to_wstring(invert)) << "ColourChoice took the index";
  }
}

TEST_F(DialogProperties, StoredFlipsAndRestartPeriodAreShown) {
  settings::Put(L"FlipHoriz", L"1");
  settings::Put(L"FlipVert", L"1");
  settings::Put(L"Frequency", L"3");
  settings::Put(L"Unzindle", L"1");
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog.Checked(kChkHoriz) && dialog.Checked(kChkVert)) << "both flip boxes";
  wchar_t separator[8] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  EXPECT_EQ(dialog.Text(kLblRestart), L"1" + std::wstring(separator) + L"5");
  EXPECT_TRUE(dialog.Checked(kChkUnzindle));
}

TEST_F(DialogProperties, BadStoredValuesOpenASaneDialogAndOkStoresUsableValues) {
  settings::Put(L"Horizontal", L"50");
  settings::Put(L"Vertical", L"-3");
  settings::Put(L"Frequency", L"400");
  settings::Put(L"Level", L"0");
  settings::Put(L"Invert", L"7");
  settings::Put(L"Threshold", L"12");
  settings::Put(L"Slow", L"many");
  settings::Put(L"Picture", L"1");
  std::wstring notAPicture = WriteText(L"looks-like.bmp");
  settings::Put(L"PictureName", notAPicture);
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog) << "the dialog opens";
  EXPECT_EQ(dialog.Text(kLblXFactor), L"10");
  EXPECT_EQ(dialog.Text(kLblYFactor), L"0");
  EXPECT_EQ(dialog.Text(kLblRestart), L"10");
  EXPECT_EQ(dialog.Text(kLblTestFreq), L"5");
  EXPECT_TRUE(dialog.Checked(kOptColours0)) << "a colour mode beyond the options is Normal";
  EXPECT_EQ(dialog.AskedText(kCboColours), L"Maximum");
  EXPECT_TRUE(dialog.Checked(kChkPicture)) << "the file exists";
  EXPECT_EQ(dialog.Text(kLblFilename), L"looks-like.bmp");
  ASSERT_TRUE(dialog.PressOk());
  const std::pair<const wchar_t*, const wchar_t*> written[] = {
      {L"Horizontal", L"10"}, {L"Vertical", L"0"},  {L"Frequency", L"20"}, {L"Level", L"1"},
      {L"Invert", L"0"},      {L"Threshold", L"4"}, {L"Slow", L"0"},       {L"Picture", L"1"}};
  for (auto [key, text] : written) EXPECT_EQ(settings::Get(key), std::wstring(text)) << key;
}

TEST_F(DialogProperties, AStoredPictureIsShownOnlyWithCustomOn) {
  std::wstring sea = WritePicture(L"stored-sea.bmp", kSea);
  {
    SCOPED_TRACE("Picture 1 with a file that exists");
    settings::Put(L"Picture", L"1");
    settings::Put(L"PictureName", sea);
    PropertiesDialog dialog;
    ASSERT_TRUE(dialog);
    dialog.ChooseTab(4);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Visible(kPicPanel3); }));
    EXPECT_TRUE(dialog.Checked(kChkPicture));
    EXPECT_EQ(dialog.Text(kLblFilename), L"stored-sea.bmp") << "the name after the last backslash";
    for (int id : {kLblFile, kLblFilename, kCmdBrowse, kImgPreview}) EXPECT_TRUE(dialog.Enabled(id)) << id;
    EXPECT_TRUE(dialog.Until([&] { return PreviewColour(dialog) == kSea; })) << "the preview shows the picture";
    EXPECT_EQ(dialog.TooltipOver(kLblFilename), sea) << "the path is the label's tooltip";
  }
  {
    SCOPED_TRACE("Picture 0 with a file that exists");
    settings::Put(L"Picture", L"0");
    PropertiesDialog dialog;
    ASSERT_TRUE(dialog);
    dialog.ChooseTab(4);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Visible(kPicPanel3); }));
    EXPECT_FALSE(dialog.Checked(kChkPicture));
    EXPECT_EQ(dialog.Text(kLblFilename), L"");
    EXPECT_NE(PreviewColour(dialog), kSea) << "no preview";
    // Checking Custom shows that file, while the label stays empty.
    dialog.Click(kChkPicture);
    EXPECT_TRUE(dialog.Until([&] { return PreviewColour(dialog) == kSea; }));
    EXPECT_EQ(dialog.Text(kLblFilename), L"");
    EXPECT_EQ(dialog.TooltipOver(kLblFilename), sea);
  }
  {
    SCOPED_TRACE("Picture 1 with a missing file");
    settings::Put(L"Picture", L"1");
    settings::Put(L"PictureName", ScratchFile(L"gone.bmp"));
    PropertiesDialog dialog;
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog.Checked(kChkPicture));
    EXPECT_FALSE(dialog.Enabled(kCmdBrowse));
    EXPECT_EQ(FindTopWindow(L"Loading Settings", dialog.process().Id()), nullptr);
    ASSERT_TRUE(dialog.PressOk());
    EXPECT_EQ(settings::Get(L"PictureName"), ScratchFile(L"gone.bmp")) << "the path is written back unchanged";
    EXPECT_EQ(settings::Get(L"Picture"), L"0");
  }
}

TEST_F(DialogProperties, ColourAndRestoreRulesFollowTheirOrders) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  dialog.ChooseTab(2);
  ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kPicPanel1); }));
  auto analysisOn = [&] {
    int on = 0;
    for (int id : {kLblSize, kLblTestFreq, kLblAColours, kCboColours}) on += dialog.Enabled(id);
    return on;
  };
  dialog.Click(kOptColours1);
  ASSERT_TRUE(dialog.Until([&] { return dialog.Checked(kOptColours1); }));
  EXPECT_EQ(analysisOn(), 0) << "Inverted from the first-run state changes nothing else";
  EXPECT_TRUE(dialog.Enabled(kSldSize));
  dialog.Click(kOptColours3);
  EXPECT_TRUE(dialog.Until([&] { return analysisOn() == 4 && dialog.Enabled(kSldSize); })) << "Intelligent";
  dialog.Click(kOptColours2);
  EXPECT_TRUE(dialog.Until([&] { return analysisOn() == 0 && !dialog.Enabled(kSldSize); })) << "Random";
  // The analysis slider moved by keys while enabled again.
  dialog.Click(kOptColours3);
  ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kSldSize); }));
  dialog.Focus(kSldSize);
  dialog.Press(VK_HOME);
  EXPECT_TRUE(dialog.Until([&] { return dialog.Text(kLblTestFreq) == L"5"; }));
  dialog.Press(VK_END);
  EXPECT_TRUE(dialog.Until([&] { return dialog.Text(kLblTestFreq) == L"50"; }));

  dialog.ChooseTab(3);
  ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kPicPanel2); }));
  auto restoreOn = [&] { return dialog.Enabled(kLblSeconds) + dialog.Enabled(kLblRestart) + dialog.Enabled(kSldRestart); };
  dialog.Click(kChkUnzindle);
  EXPECT_TRUE(dialog.Until([&] { return dialog.Checked(kChkUnzindle) && restoreOn() == 3; }));
  dialog.Focus(kSldRestart);
  dialog.Press(VK_HOME);
  EXPECT_TRUE(dialog.Until([&] { return dialog.Text(kLblRestart) == L"0"; }));
  dialog.Press(VK_RIGHT);
  EXPECT_TRUE(dialog.Until([&] { return dialog.Text(kLblRestart).size() == 3; })) << "0.5";
  dialog.Press(VK_END);
  EXPECT_TRUE(dialog.Until([&] { return dialog.Text(kLblRestart) == L"10"; }));
  dialog.Click(kChkUnzindle);
  EXPECT_TRUE(dialog.Until([&] { return !dialog.Checked(kChkUnzindle) && restoreOn() == 0; }));
  EXPECT_EQ(dialog.SliderPosition(kSldRestart), 20) << "the slider keeps its value";

  ASSERT_TRUE(dialog.PressOk());
  EXPECT_EQ(settings::Get(L"Invert"), L"3");
  EXPECT_EQ(settings::Get(L"Level"), L"10");
  EXPECT_EQ(settings::Get(L"Unzindle"), L"0");
  EXPECT_EQ(settings::Get(L"Frequency"), L"20") << "written though Unzindle is off";
}

TEST_F(DialogProperties, EachTabEnablesExactlyItsPageWithTheFocusOnTheTabStrip) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  const char* names[] = {"factor", "colours", "timeout", "picture"};
  for (int position : {2, 3, 4, 1}) {
    SCOPED_TRACE(testing::Message() << "tab " << position);
    dialog.ChooseTab(position);
    int page = kPicPanel0 + position - 1;
    ASSERT_TRUE(dialog.Until([&] { return dialog.SelectedTab() == position && dialog.Enabled(page); }));
    for (int i = 0; i < kPageCount; ++i) {
      EXPECT_EQ(dialog.Enabled(kPicPanel0 + i), kPicPanel0 + i == page) << "page " << i << " enabled";
      EXPECT_EQ(dialog.Visible(kPicPanel0 + i), kPicPanel0 + i == page) << "page " << i << " visible";
    }
    EXPECT_EQ(FocusOf(dialog.window()), dialog.Control(kTabStrip)) << "the focus is on the tab strip";
    MoveMouseTo(0, 0);  // no tooltip over the picture
    PollUntil([&] { return !FindWindowOfProcess(dialog.process().Id(), TOOLTIPS_CLASSW); }, kDeadline);
    EXPECT_TRUE(ShowsSettled(dialog.window())) << "the page painted before it is kept";
    KeepArtefact(ScreenshotOfWindow(dialog.window()), W(std::string("dialog-page-") + names[position - 1]));
  }
  // Tab goes from the tab strip into the front page, in the table's order.
  dialog.Press(VK_TAB);
  EXPECT_TRUE(dialog.Until([&] { return FocusOf(dialog.window()) == dialog.Control(kSldX); })) << "sldX follows";
  EXPECT_EQ(dialog.TooltipOverTab(3), L"Limit zindling time");
  EXPECT_EQ(dialog.TooltipOverTab(1), L"How zindly do you have it?");
}

// The file dialog lists every kind of picture the program reads under All
// Pictures, which it opens with, in the folder of the stored picture.
TEST_F(DialogProperties, TheFileDialogListsPngAndTiffPicturesToo) {
  std::wstring folder = ScratchFile(L"kinds");
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const wchar_t* name : {L"sea.png", L"leaf.tif", L"bark.tiff", L"photo.jpeg", L"notes.txt"}) {
    FILE* out = _wfopen((folder + L"\\" + name).c_str(), L"w");
    fputs("listed by name only", out);
    fclose(out);
  }
  settings::Put(L"Picture", L"1");
  settings::Put(L"PictureName", folder + L"\\sea.png");
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  dialog.ChooseTab(4);
  ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kCmdBrowse); }));
  dialog.Click(kCmdBrowse);
  HWND chooser = WaitForWindow(L"Choose Picture", kDeadline, dialog.process().Id());
  ASSERT_TRUE(chooser);
  LRESULT listed = -1;
  EXPECT_TRUE(PollUntil([&] {
    HWND view = FindWindowExW(chooser, nullptr, L"SHELLDLL_DefView", nullptr);
    HWND list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
    listed = list ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : -1;
    return listed == 4;
  }, kDeadline)) << "the four pictures and not the text; listed " << listed;
  PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(PollUntil([&] { return !IsWindow(chooser); }, kDeadline));
}

TEST_F(DialogProperties, BrowseChoosesAPictureThenATextFileThroughTheFileDialog) {
  std::wstring grass = WritePicture(L"grass.bmp", kGrass);
  std::wstring notes = WriteText(L"notes.txt");
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  dialog.ChooseTab(4);
  ASSERT_TRUE(dialog.Until([&] { return dialog.Visible(kPicPanel3); }));
  dialog.Click(kChkPicture);
  ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kCmdBrowse); }));
  auto choose = [&](const std::wstring& path) {
    dialog.Click(kCmdBrowse);
    HWND chooser = WaitForWindow(L"Choose Picture", kDeadline, dialog.process().Id());
    if (!chooser) return false;
    HWND readOnly = GetDlgItem(chooser, 0x410);  // chx1, the read-only box
    EXPECT_TRUE(!readOnly || !IsWindowVisible(readOnly)) << "no read-only box";
    HWND filter = GetDlgItem(chooser, 0x470);  // cmb1, the type list
    if (filter) {
      EXPECT_EQ(SendMessageW(filter, CB_GETCOUNT, 0, 0), 2) << "two filter entries";
    }
    // The name box is filled once the dialog has finished setting itself up,
    // which may come after it shows.
    HWND name = nullptr;
    PollUntil([&] {
      name = GetDlgItem(chooser, 0x47C);  // cmb13, the file name
      if (!name) name = GetDlgItem(chooser, 0x480);
      if (!name || !IsWindowVisible(name)) return false;
      SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      return AskedTextOf(name) == path;
    }, kDeadline);
    if (!name) return false;
    PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    return PollUntil([&] { return !IsWindow(chooser); }, kDeadline);
  };
  ASSERT_TRUE(choose(grass)) << "the file-open dialog takes the picture";
  EXPECT_TRUE(dialog.Until([&] { return dialog.Text(kLblFilename) == L"grass.bmp"; }));
  EXPECT_TRUE(dialog.Until([&] { return PreviewColour(dialog) == kGrass; })) << "stretched into the preview";
  KeepArtefact(ScreenshotOfWindow(dialog.window()), L"dialog-page-picture-chosen");
  EXPECT_EQ(dialog.TooltipOver(kLblFilename), grass);
  EXPECT_EQ(dialog.TooltipOver(kImgPreview), L"Preview");

  ASSERT_TRUE(choose(notes)) << "a text file under All Files";
  EXPECT_TRUE(dialog.Until([&] { return dialog.Text(kLblFilename) == L"notes.txt"; }));
  // The choice taken in and the preview drawn again.
  ASSERT_TRUE(Repainted(dialog.Control(kImgPreview)));
  EXPECT_EQ(PreviewColour(dialog), kGrass) << "the preview keeps the picture";
  EXPECT_EQ(FindWindowOfProcess(dialog.process().Id(), L"#32770"), dialog.window()) << "no message";
  EXPECT_EQ(dialog.TooltipOver(kLblFilename), notes);
  ASSERT_TRUE(dialog.PressOk());
  EXPECT_EQ(settings::Get(L"PictureName"), notes);
  EXPECT_EQ(settings::Get(L"Picture"), L"1");
}

TEST_F(DialogProperties, CancelEscAndTheCloseBoxWriteNothing) {
  settings::Put(L"Horizontal", L"3");
  std::wstring before = SettingsSnapshot();
  {
    PropertiesDialog dialog;
    ASSERT_TRUE(dialog);
    dialog.Focus(kSldX);
    dialog.Press(VK_END);
    dialog.Click(kChkSlow);
    dialog.ChooseTab(2);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kPicPanel1); }));
    dialog.Click(kOptColours3);
    dialog.ChooseTab(3);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kPicPanel2); }));
    dialog.Click(kChkUnzindle);
    dialog.Click(kChkHoriz);
    dialog.Click(kChkVert);
    dialog.ChooseTab(4);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kPicPanel3); }));
    dialog.Click(kChkPicture);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Checked(kChkPicture) && dialog.Checked(kChkVert); }));
    dialog.Click(kCmdCancel);
    ASSERT_TRUE(dialog.process().WaitForExit(kDeadline)) << "Cancel closes";
  }
  EXPECT_EQ(SettingsSnapshot(), before) << "Cancel wrote nothing";
  {
    PropertiesDialog dialog;
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog.SliderPosition(kSldX), 3) << "the next opening shows the stored values";
    dialog.Press(VK_ESCAPE);
    ASSERT_TRUE(dialog.process().WaitForExit(kDeadline)) << "Esc closes";
  }
  {
    PropertiesDialog dialog;
    ASSERT_TRUE(dialog);
    PostMessageW(dialog.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(dialog.process().WaitForExit(kDeadline)) << "the close box closes";
  }
  EXPECT_EQ(SettingsSnapshot(), before);
}

TEST_F(DialogProperties, WhatsThisShowsTheTopicBesideTheControl) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  auto popupText = [&] {
    HWND popup = FindWindowOfProcess(dialog.process().Id(), kWhatsThisClass);
    return popup ? WindowText(popup) : std::wstring();
  };
  // The title-bar help button, then a control. Wine neither draws the button
  // nor runs the mode, so the test sends the command the button sends.
  PollUntil([&] {
    SetForegroundWindow(dialog.window());
    return GetForegroundWindow() == dialog.window();
  }, kDeadline);
  PostMessageW(dialog.window(), WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
  ASSERT_TRUE(dialog.Until([&] { return CaptureOf(dialog.window()) == dialog.window(); }))
      << "the mode holds the pointer";
  POINT slider = CentreOf(dialog.Control(kSldY));
  ClickAt(slider.x, slider.y);
  ASSERT_TRUE(dialog.Until([&] { return !popupText().empty(); })) << "help mode, then a click on sldY";
  EXPECT_EQ(popupText(), W(HelpTopicText(2)));
  EXPECT_EQ(dialog.SliderPosition(kSldY), 1) << "the click asked for help and moved nothing";
  POINT elsewhere = CentreOf(dialog.Control(kLblX));
  ClickAt(elsewhere.x, elsewhere.y);
  EXPECT_TRUE(dialog.Until([&] { return popupText().empty(); })) << "a click elsewhere closes it";
  // F1 on the focused control.
  dialog.Focus(kChkSlow);
  dialog.Press(VK_F1);
  ASSERT_TRUE(dialog.Until([&] { return !popupText().empty(); })) << "F1 shows a pop-up";
  EXPECT_EQ(popupText(), W(HelpTopicText(3)));
  HWND popup = FindWindowOfProcess(dialog.process().Id(), kWhatsThisClass);
  RECT beside{}, control{};
  GetWindowRect(popup, &beside);
  GetWindowRect(dialog.Control(kChkSlow), &control);
  EXPECT_TRUE(beside.left >= control.right || beside.right <= control.left) << "beside the control";
  KeepArtefact(ScreenshotOfWindow(dialog.window(), popup), L"dialog-whats-this");
  PressKey(VK_ESCAPE);  // to the pop-up, which has the focus
  EXPECT_TRUE(dialog.Until([&] { return popupText().empty(); })) << "a key closes the pop-up";
  EXPECT_TRUE(Repainted(dialog.Control(kCmdOK))) << "the dialog handled the rest of that key and is still there";
  EXPECT_TRUE(dialog.process().Running()) << "that Esc did not cancel the dialog";
}

}  // namespace

namespace {

using namespace e2e;
using namespace e2e::dialog;
using namespace zindle::dialog;

// Wine takes the display scale from this value at each program's start.
class DialogAtHighDpi : public testing::Test {
 protected:
  static constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
  static void SetUpTestSuite() {
    PrepareWine();
    PutRegistryDword(kDesktop, L"LogPixels", 144);
  }
  static void TearDownTestSuite() {
    DeleteRegistryValue(kDesktop, L"LogPixels");
  }
  void SetUp() override { settings::ClearAll(); }
  void TearDown() override { settings::ClearAll(); }
};

// The scale of the monitor a window is on. Wine 8 gives every monitor the
// LogPixels read at each program's start (this test's is older than the
// value); later Wines take a monitor's from the X server, and LogPixels
// only for the system's scale, which the frame is drawn at.
int MonitorDpi(HWND window) {
  using Version = const char*(CDECL*)();
  auto version = reinterpret_cast<Version>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
  if (version && std::atoi(version()) < 9) return 144;
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  auto get = reinterpret_cast<GetDpiForMonitorFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor")));
  UINT x = 0, y = 0;
  if (!get || FAILED(get(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y))) return 96;
  return static_cast<int>(y);
}

TEST_F(DialogAtHighDpi, TheWindowsScaleWithTheDisplayTheyAreOn) {
  PropertiesDialog dialog;
  ASSERT_TRUE(dialog);
  int dpi = MonitorDpi(dialog.window());
  printf("[ MEASURE  ] the dialog's monitor at %d DPI\n", dpi);
  RECT client{};
  GetClientRect(dialog.window(), &client);
  EXPECT_GE(client.right, MulDiv(kDialogClientWidth, dpi, 96)) << "273 pixels at 96 DPI";
  EXPECT_EQ(client.bottom, MulDiv(kDialogClientHeight, dpi, 96)) << "225 pixels at 96 DPI";
  RECT ok{};
  GetWindowRect(dialog.Control(kCmdOK), &ok);
  EXPECT_EQ(ok.bottom - ok.top, MulDiv(25, dpi, 96)) << "a 25-pixel button";
  const char* names[] = {"factor", "colours", "timeout", "picture"};
  for (int position : {1, 2, 3, 4}) {
    dialog.ChooseTab(position);
    ASSERT_TRUE(dialog.Until([&] { return dialog.Enabled(kPicPanel0 + position - 1); }));
    MoveMouseTo(0, 0);
    PollUntil([&] { return !FindWindowOfProcess(dialog.process().Id(), TOOLTIPS_CLASSW); }, kDeadline);
    EXPECT_TRUE(ShowsSettled(dialog.window())) << "the page painted before it is kept";
    KeepArtefact(ScreenshotOfWindow(dialog.window()), zindle::Wide("dialog-" + std::to_string(dpi) + "dpi-page-" + names[position - 1]));
  }
  dialog.Click(kCmdAbout);
  HWND box = WaitForWindow(L"About Zindle!", kDeadline, dialog.process().Id());
  ASSERT_TRUE(box);
  GetClientRect(box, &client);
  EXPECT_EQ(client.bottom, kAboutClientHeight * dpi / 96);
  POINT program = CentreOf(GetDlgItem(box, kLblProgram));
  ClickAt(program.x, program.y);
  HWND revision = GetDlgItem(box, kLblRevision);
  EXPECT_TRUE(PollUntil([&] { return IsWindowVisible(revision) != FALSE; }, 3000)) << "a click shows the revision";
  EXPECT_TRUE(Repainted(revision));
  EXPECT_TRUE(ShowsSettled(box));
  KeepArtefact(ScreenshotOfWindow(box), zindle::Wide("about-box-" + std::to_string(dpi) + "dpi"));
  PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  PollUntil([&] { return !IsWindow(box); }, kDeadline);
}

}  // namespace
