// frmMain's rules against controls held in memory: the
// opening sequence and its resulting states, the enable rules in the orders
// the design gives, the picture choice, and what OK, Cancel and About do.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "dialog/form.h"
#include "dialog/layout.h"
#include "fakes.h"

namespace zindle::dialog {
namespace {

using zindle::testing::MemoryStore;
using zindle::testing::ScriptedPrompt;

std::string NameOf(int id) {
  Placement placement = FindControl(id);
  return placement.row ? placement.row->name : "#" + std::to_string(id);
}

// The window's controls in their design state, and a log of what the rules did.
class FakeControls : public FormControls {
 public:
  FakeControls() {
    auto add = [&](const ControlRow& row) { enabled[row.id] = row.enabledAtStart; };
    for (const ControlRow& row : kWindowControls) add(row);
    for (const TabRow& tab : kTabs)
      for (size_t i = 0; i < tab.controlCount; ++i) add(tab.controls[i]);
    values[kOptColours0] = 1;  // "&Normal" is selected at design
    values[kTabStrip] = 1;
    front = kPicPanel0;
    for (const SliderRow& slider : kSliders) values[slider.slider] = slider.min;
    values[kCboColours] = -1;
  }

  int Value(int id) override { return values[id]; }
  void SetValue(int id, int value) override {
    if (const SliderRow* slider = FindSlider(id)) value = std::clamp(value, slider->min, slider->max);
    if (id == kCboColours && (value < 0 || value >= static_cast<int>(list.size()))) value = -1;
    values[id] = value;
    log.push_back("set " + NameOf(id) + " " + std::to_string(value));
  }
  bool Enabled(int id) override { return enabled[id]; }
  void Enable(int id, bool on) override {
    enabled[id] = on;
    log.push_back((on ? "enable " : "disable ") + NameOf(id));
  }
  std::string Text(int id) override { return texts[id]; }
  void SetText(int id, const std::string& text) override { texts[id] = text; }
  std::string Tooltip(int id) override { return tooltips[id]; }
  void SetTooltip(int id, const std::string& text) override { tooltips[id] = text; }
  void AddListEntry(int, const std::string& text) override { list.push_back(text); }
  int TextWidth(int id) override { return static_cast<int>(texts[id].size()) * 6; }  // 6 pixels a character
  void SetWidth(int id, int width) override { widths[id] = width; }
  void BringToFront(int page) override { front = page; }
  void Focus(int id) override { focus = id; }
  bool LoadPreview(const std::string& path) override {
    log.push_back("load " + path);
    if (pictures.count(path) == 0) return false;
    preview = path;
    return true;
  }
  void ClearPreview() override {
    log.push_back("clear preview");
    preview.clear();
  }
  void SetBusy(bool on) override { busy = on; }
  void CentreOnScreenAndRepaint() override { log.push_back("centre"); }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  FileChoice ChooseFile(const std::string& initialName) override {
    chooserStartedAt.push_back(initialName);
    return nextChoice;
  }
  std::string DecimalSeparator() override { return separator; }
  void ShowAboutBox() override { ++aboutShown; }
  void ReportUnsaved(const std::string& text, const std::string& title) override {
    reported = title + ": " + text;
  }
  void Close() override { closed = true; }

  std::vector<std::string> EnableLog() const {
    std::vector<std::string> out;
    for (const std::string& line : log)
      if (line.rfind("enable ", 0) == 0 || line.rfind("disable ", 0) == 0) out.push_back(line);
    return out;
  }

  std::map<int, int> values;
  std::map<int, bool> enabled;
  std::map<int, std::string> texts, tooltips;
  std::map<int, int> widths;
  std::vector<std::string> list, log, chooserStartedAt;
  std::set<std::string> files, pictures;  // existing files, and those that are pictures
  std::string preview, separator = ".", reported;
  FileChoice nextChoice;
  int front = 0, focus = 0, aboutShown = 0;
  bool busy = true, closed = false;
};

class DialogForm : public ::testing::Test {
 protected:
  void Open() {
    form = std::make_unique<frmMain>(ui, store, prompt, state);
    form->Form_Load();
  }
  // The user clicks a check box (it toggles first) or an option button.
  void UserToggles(int id) {
    ui.values[id] = ui.values[id] ? 0 : 1;
    form->Click(id);
  }
  void UserChooses(int option) {
    for (int i = 0; i < kColourOptionCount; ++i) ui.values[kOptColours0 + i] = kOptColours0 + i == option;
    form->Click(option);
  }
  void UserMoves(int slider, int value) {
    ui.values[slider] = value;
    form->Change(slider);
  }
  bool On(int id) { return ui.enabled[id]; }

  FakeControls ui;
  MemoryStore store;
  ScriptedPrompt prompt{false};
  SaverState state;
  std::unique_ptr<frmMain> form;
};

TEST_F(DialogForm, FirstRunShowsTheDefaults) {
  Open();
  EXPECT_EQ(ui.values[kSldX], 1);
  EXPECT_EQ(ui.texts[kLblXFactor], "1");
  EXPECT_EQ(ui.values[kSldY], 1);
  EXPECT_EQ(ui.texts[kLblYFactor], "1");
  EXPECT_EQ(ui.values[kChkUnzindle], 0);
  EXPECT_TRUE(On(kSldRestart) && On(kLblSeconds) && On(kLblRestart)) << "restart controls enabled though unchecked";
  EXPECT_EQ(ui.values[kSldRestart], 2);
  EXPECT_EQ(ui.texts[kLblRestart], "1");
  EXPECT_EQ(ui.values[kOptColours0], 1) << "Normal selected";
  EXPECT_FALSE(On(kLblSize) || On(kLblTestFreq) || On(kLblAColours) || On(kCboColours)) << "analysis controls";
  EXPECT_TRUE(On(kSldSize)) << "the analysis slider stays enabled";
  EXPECT_EQ(ui.values[kSldSize], 2);
  EXPECT_EQ(ui.texts[kLblTestFreq], "10");
  EXPECT_EQ(ui.list, (std::vector<std::string>{"Minimum", "Low", "Average", "High", "Maximum"}));
  EXPECT_EQ(ui.values[kCboColours], 2) << "Average";
  for (int id : {kChkSlow, kChkHoriz, kChkVert, kChkPicture}) EXPECT_EQ(ui.values[id], 0) << NameOf(id);
  for (int id : {kChkUnzindle, kLblFlip, kChkHoriz, kChkVert, kChkPicture}) EXPECT_TRUE(On(id)) << NameOf(id);
  for (int id : {kLblFile, kLblFilename, kCmdBrowse, kImgPreview}) EXPECT_FALSE(On(id)) << NameOf(id);
  EXPECT_EQ(ui.preview, "");
  EXPECT_EQ(ui.texts[kLblFilename], "");
  EXPECT_EQ(ui.tooltips[kLblFilename], "");
  EXPECT_EQ(form->ColourChoice(), 0);
  EXPECT_EQ(ui.front, kPicPanel0);
  EXPECT_FALSE(ui.busy) << "the busy pointer is cleared";
  EXPECT_EQ(prompt.asked, 0);
}

struct StoredCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> stored;
  std::function<void(FakeControls&, frmMain&)> check;
};

TEST_F(DialogForm, StoredSettingsGiveEveryControlItsOpeningState) {
  const std::string picture = "C:\\Pictures\\sea.bmp";
  const StoredCase cases[] = {
      {"Invert 3: Intelligent and the analysis controls on", {{"Invert", "3"}},
       [](FakeControls& ui, frmMain& form) {
         EXPECT_EQ(ui.values[kOptColours3], 1);
         EXPECT_EQ(ui.values[kOptColours0], 0);
         for (int id : {kLblSize, kLblTestFreq, kLblAColours, kCboColours, kSldSize}) EXPECT_TRUE(ui.enabled[id]);
         EXPECT_EQ(form.ColourChoice(), 3);
       }},
      {"Invert 1: Inverted, analysis off", {{"Invert", "1"}},
       [](FakeControls& ui, frmMain& form) {
         EXPECT_EQ(ui.values[kOptColours1], 1);
         EXPECT_FALSE(ui.enabled[kLblSize] || ui.enabled[kCboColours]);
         EXPECT_TRUE(ui.enabled[kSldSize]);
         EXPECT_EQ(form.ColourChoice(), 1);
       }},
      {"Invert 2: Random, analysis off", {{"Invert", "2"}},
       [](FakeControls& ui, frmMain& form) {
         EXPECT_EQ(ui.values[kOptColours2], 1);
         EXPECT_FALSE(ui.enabled[kLblAColours]);
         EXPECT_EQ(form.ColourChoice(), 2);
       }},
      {"both flips", {{"FlipHoriz", "1"}, {"FlipVert", "1"}},
       [](FakeControls& ui, frmMain&) { EXPECT_EQ(ui.values[kChkHoriz] + ui.values[kChkVert], 2); }},
      {"flip left to right only", {{"FlipHoriz", "1"}},
       [](FakeControls& ui, frmMain&) { EXPECT_TRUE(ui.values[kChkHoriz] == 1 && ui.values[kChkVert] == 0); }},
      {"flip top to bottom only", {{"FlipVert", "1"}},
       [](FakeControls& ui, frmMain&) { EXPECT_TRUE(ui.values[kChkHoriz] == 0 && ui.values[kChkVert] == 1); }},
      {"flip sum 4 checks neither", {{"FlipVert", "2"}},
       [](FakeControls& ui, frmMain&) { EXPECT_EQ(ui.values[kChkHoriz] + ui.values[kChkVert], 0); }},
      {"Frequency 3 shows 1.5 with the user's separator", {{"Frequency", "3"}},
       [](FakeControls& ui, frmMain&) { EXPECT_EQ(ui.texts[kLblRestart], "1,5"); }},
      {"Unzindle 1 enables the restart controls (already enabled)", {{"Unzindle", "1"}},
       [](FakeControls& ui, frmMain&) {
         EXPECT_EQ(ui.values[kChkUnzindle], 1);
         EXPECT_TRUE(ui.enabled[kSldRestart] && ui.enabled[kLblSeconds] && ui.enabled[kLblRestart]);
       }},
      {"Slow 1", {{"Slow", "1"}}, [](FakeControls& ui, frmMain&) { EXPECT_EQ(ui.values[kChkSlow], 1); }},
      {"Threshold 4", {{"Threshold", "4"}}, [](FakeControls& ui, frmMain&) { EXPECT_EQ(ui.values[kCboColours], 4); }},
      {"Picture 1 with an existing picture", {{"Picture", "1"}, {"PictureName", "C:\\Pictures\\sea.bmp"}},
       [picture](FakeControls& ui, frmMain& form) {
         EXPECT_EQ(ui.values[kChkPicture], 1);
         EXPECT_EQ(ui.preview, picture);
         EXPECT_EQ(ui.texts[kLblFilename], "sea.bmp");
         EXPECT_EQ(ui.widths[kLblFilename], 42) << "sized to its text";
         EXPECT_EQ(ui.tooltips[kLblFilename], picture);
         EXPECT_EQ(form.FileDialogName(), picture) << "the file dialog starts at that file";
         for (int id : {kLblFile, kLblFilename, kCmdBrowse, kImgPreview}) EXPECT_TRUE(ui.enabled[id]);
       }},
      {"Picture 0 with an existing picture", {{"Picture", "0"}, {"PictureName", "C:\\Pictures\\sea.bmp"}},
       [picture](FakeControls& ui, frmMain& form) {
         EXPECT_EQ(ui.values[kChkPicture], 0);
         EXPECT_EQ(ui.preview, "");
         EXPECT_EQ(ui.texts[kLblFilename], "");
         EXPECT_EQ(ui.tooltips[kLblFilename], picture);
         EXPECT_EQ(form.FileDialogName(), "");
         EXPECT_FALSE(ui.enabled[kCmdBrowse]);
       }},
      {"Picture 1 with a missing file", {{"Picture", "1"}, {"PictureName", "C:\\gone.bmp"}},
       [](FakeControls& ui, frmMain&) {
         EXPECT_EQ(ui.values[kChkPicture], 0);
         EXPECT_EQ(ui.preview, "");
         EXPECT_EQ(ui.tooltips[kLblFilename], "C:\\gone.bmp") << "the path is kept for OK";
         EXPECT_EQ(ui.reported, "") << "no message";
       }},
      {"Picture 1 with an empty name", {{"Picture", "1"}, {"PictureName", ""}},
       [](FakeControls& ui, frmMain&) { EXPECT_EQ(ui.values[kChkPicture], 0); }},
      {"a file that exists but is not a picture", {{"Picture", "1"}, {"PictureName", "C:\\notes.txt"}},
       [](FakeControls& ui, frmMain&) {
         EXPECT_EQ(ui.values[kChkPicture], 1);
         EXPECT_EQ(ui.preview, "") << "no preview";
         EXPECT_EQ(ui.texts[kLblFilename], "notes.txt");
       }},
      {"a name without a backslash", {{"Picture", "1"}, {"PictureName", "sea.bmp"}},
       [](FakeControls& ui, frmMain&) {
         EXPECT_EQ(ui.values[kChkPicture], 1);
         EXPECT_EQ(ui.texts[kLblFilename], "sea.bmp") << "the whole name";
       }},
      {"sliders beyond their ranges stop at the ends", {{"Horizontal", "50"}, {"Frequency", "-4"}, {"Level", "99"}},
       [](FakeControls& ui, frmMain&) {
         EXPECT_EQ(ui.texts[kLblXFactor], "10");
         EXPECT_EQ(ui.texts[kLblRestart], "0");
         EXPECT_EQ(ui.texts[kLblTestFreq], "50");
       }},
      {"Invert and Threshold outside their ranges", {{"Invert", "9"}, {"Threshold", "-2"}},
       [](FakeControls& ui, frmMain& form) {
         EXPECT_EQ(ui.values[kOptColours0], 1) << "Normal";
         EXPECT_EQ(form.ColourChoice(), 0);
         EXPECT_EQ(ui.values[kCboColours], 0) << "nearest entry";
       }},
      {"texts that are not numbers give the defaults", {{"Vertical", "lots"}, {"Invert", "x"}},
       [](FakeControls& ui, frmMain&) {
         EXPECT_EQ(ui.texts[kLblYFactor], "1");
         EXPECT_EQ(ui.values[kOptColours0], 1);
       }},
  };
  for (const StoredCase& c : cases) {
    SCOPED_TRACE(c.name);
    ui = FakeControls();
    ui.separator = ",";
    ui.files = {"C:\\Pictures\\sea.bmp", "C:\\notes.txt", "sea.bmp"};
    ui.pictures = {"C:\\Pictures\\sea.bmp", "sea.bmp"};
    store = MemoryStore();
    state = SaverState();
    for (auto [key, text] : c.stored) store.Put(key, text);
    Open();
    c.check(ui, *form);
    EXPECT_FALSE(ui.busy);
  }
}

// What the user finds once the dialog is open: the stored values shown, and
// the controls they govern enabled. Centring comes first, before any value is
// shown, so that nothing is drawn where the window first stood.
TEST_F(DialogForm, OpeningShowsTheStoredValuesWithTheControlsTheyGovern) {
  store.Put("Unzindle", "1");
  store.Put("Invert", "3");
  Open();
  ASSERT_FALSE(ui.log.empty());
  EXPECT_EQ(ui.log.front(), "centre");
  const std::pair<int, int> values[] = {{kSldX, 1},         {kSldY, 1},         {kChkUnzindle, 1},
                                        {kSldRestart, 2},   {kOptColours0, 0},  {kOptColours0 + 1, 0},
                                        {kOptColours0 + 2, 0}, {kOptColours3, 1}, {kSldSize, 2},
                                        {kCboColours, 2}};
  for (auto [id, value] : values) EXPECT_EQ(ui.values[id], value) << NameOf(id);
  for (int id : {kLblSeconds, kLblRestart, kSldRestart, kChkUnzindle, kLblFlip, kChkHoriz, kChkVert, kChkPicture,
                 kLblAColours, kCboColours, kLblTestFreq, kLblSize, kSldSize})
    EXPECT_TRUE(ui.enabled[id]) << NameOf(id);
}

TEST_F(DialogForm, ColourOptionsEnableTheAnalysisControlsInTheirOrder) {
  Open();
  ui.log.clear();
  // From the first-run state, Inverted changes only ColourChoice.
  UserChooses(kOptColours1);
  EXPECT_EQ(form->ColourChoice(), 1);
  EXPECT_TRUE(ui.EnableLog().empty());
  EXPECT_TRUE(On(kSldSize));
  EXPECT_FALSE(On(kLblSize) || On(kLblTestFreq));
  // Intelligent enables all five, in this order.
  UserChooses(kOptColours3);
  EXPECT_EQ(ui.EnableLog(), (std::vector<std::string>{"enable lblAColours", "enable cboColours", "enable lblTestFreq",
                                                      "enable lblSize", "enable sldSize"}));
  ui.log.clear();
  // Random then disables all five, in the same order.
  UserChooses(kOptColours2);
  EXPECT_EQ(form->ColourChoice(), 2);
  EXPECT_EQ(ui.EnableLog(), (std::vector<std::string>{"disable lblAColours", "disable cboColours",
                                                      "disable lblTestFreq", "disable lblSize", "disable sldSize"}));
  ui.log.clear();
  // Normal now finds lblSize disabled and stops.
  UserChooses(kOptColours0);
  EXPECT_EQ(form->ColourChoice(), 0);
  EXPECT_TRUE(ui.EnableLog().empty());
  // Clicking the option already selected runs nothing, nor a click reported
  // by an option that is not selected.
  UserChooses(kOptColours0);
  form->Click(kOptColours2);
  EXPECT_EQ(form->ColourChoice(), 0);
  EXPECT_TRUE(ui.log.empty());
}

TEST_F(DialogForm, RandomThenNormalThenOkWritesInvert0) {
  Open();
  UserChooses(kOptColours2);
  UserChooses(kOptColours0);
  form->cmdOk_Click();
  EXPECT_EQ((store.values[{kApplication, kSection, "Invert"}]), "0");
  EXPECT_TRUE(ui.closed);
}

TEST_F(DialogForm, UnzindleEnablesAndDisablesTheRestoreControls) {
  Open();
  ui.log.clear();
  UserToggles(kChkUnzindle);
  EXPECT_EQ(ui.EnableLog(), (std::vector<std::string>{"enable lblSeconds", "enable lblRestart", "enable sldRestart"}));
  ui.log.clear();
  UserToggles(kChkUnzindle);
  EXPECT_EQ(ui.EnableLog(), (std::vector<std::string>{"disable lblSeconds", "disable lblRestart", "disable sldRestart"}));
  UserMoves(kSldRestart, 7);
  EXPECT_EQ(ui.texts[kLblRestart], "3.5") << "the label follows while disabled";
  EXPECT_FALSE(On(kSldRestart)) << "and stays disabled";
}

TEST_F(DialogForm, SliderLabelsFollowTheSliders) {
  Open();
  const struct {
    int slider, value, label;
    const char* text;
  } cases[] = {{kSldRestart, 0, kLblRestart, "0"},  {kSldRestart, 1, kLblRestart, "0.5"},
               {kSldRestart, 20, kLblRestart, "10"}, {kSldSize, 1, kLblTestFreq, "5"},
               {kSldSize, 10, kLblTestFreq, "50"},   {kSldX, 0, kLblXFactor, "0"},
               {kSldY, 10, kLblYFactor, "10"}};
  for (const auto& c : cases) {
    UserMoves(c.slider, c.value);
    EXPECT_EQ(ui.texts[c.label], c.text) << NameOf(c.slider) << " at " << c.value;
  }
}

TEST_F(DialogForm, EachTabEnablesExactlyItsPageAndFocusesTheTabStrip) {
  Open();
  for (int position : {2, 3, 4, 1, 3}) {
    ui.values[kTabStrip] = position;
    ui.log.clear();
    form->TabStrip_Click();
    int page = kPicPanel0 + position - 1;
    std::vector<std::string> expected = {"disable picPanel(0)", "disable picPanel(1)", "disable picPanel(2)",
                                         "disable picPanel(3)", "enable " + NameOf(page)};
    EXPECT_EQ(ui.EnableLog(), expected);
    for (int i = 0; i < kPageCount; ++i) EXPECT_EQ(On(kPicPanel0 + i), kPicPanel0 + i == page);
    EXPECT_EQ(ui.front, page);
    EXPECT_EQ(ui.focus, kTabStrip);
  }
}

TEST_F(DialogForm, CtrlTabShowsTheNextOrPreviousPageRoundWithTheFocusOnItsFirstControl) {
  store.Put("Invert", "2");
  Open();
  const struct {
    int step, tab, focus;
  } steps[] = {
      {1, 2, kOptColours2},  // the selected option: focused, an unselected one would be chosen
      {1, 3, kChkUnzindle}, {1, 4, kChkPicture}, {1, 1, kSldX},  // round from the last tab
      {-1, 4, kChkPicture},  // and back round from the first
      {-1, 3, kChkUnzindle},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(::testing::Message() << "step " << s.step << " to tab " << s.tab);
    form->TabStrip_Step(s.step);
    int page = kPicPanel0 + s.tab - 1;
    EXPECT_EQ(ui.values[kTabStrip], s.tab);
    EXPECT_EQ(ui.front, page);
    for (int i = 0; i < kPageCount; ++i) EXPECT_EQ(On(kPicPanel0 + i), kPicPanel0 + i == page) << "page " << i;
    EXPECT_EQ(NameOf(ui.focus), NameOf(s.focus));
  }
}

TEST_F(DialogForm, CustomPictureControlsFollowTheCheckBox) {
  ui.files = {"C:\\sea.bmp"};
  ui.pictures = {"C:\\sea.bmp"};
  store.Put("PictureName", "C:\\sea.bmp");
  Open();
  // Checking with the stored path loads its preview; the label stays empty.
  UserToggles(kChkPicture);
  for (int id : {kLblFile, kLblFilename, kCmdBrowse, kImgPreview}) EXPECT_TRUE(On(id));
  EXPECT_EQ(ui.preview, "C:\\sea.bmp");
  EXPECT_EQ(ui.texts[kLblFilename], "");
  // Unchecking disables the four and empties the preview, the path stays.
  UserToggles(kChkPicture);
  for (int id : {kLblFile, kLblFilename, kCmdBrowse, kImgPreview}) EXPECT_FALSE(On(id));
  EXPECT_EQ(ui.preview, "");
  EXPECT_EQ(ui.tooltips[kLblFilename], "C:\\sea.bmp");
  // Checking again reloads the same preview.
  UserToggles(kChkPicture);
  EXPECT_EQ(ui.preview, "C:\\sea.bmp");
}

TEST_F(DialogForm, UncheckingCustomGreysTheFileNameButKeepsItAndItsPath) {
  ui.files = ui.pictures = {"C:\\sea.bmp"};
  store.Put("Picture", "1");
  store.Put("PictureName", "C:\\sea.bmp");
  Open();
  ASSERT_EQ(ui.texts[kLblFilename], "sea.bmp");
  UserToggles(kChkPicture);
  EXPECT_FALSE(On(kLblFilename)) << "greyed";
  EXPECT_EQ(ui.texts[kLblFilename], "sea.bmp") << "the name still shows";
  EXPECT_EQ(ui.tooltips[kLblFilename], "C:\\sea.bmp") << "and the path is kept for OK";
}

TEST_F(DialogForm, CheckingCustomWithoutAPathLeavesThePreviewEmpty) {
  Open();
  UserToggles(kChkPicture);
  for (int id : {kLblFile, kLblFilename, kCmdBrowse, kImgPreview}) EXPECT_TRUE(On(id));
  EXPECT_EQ(ui.preview, "");
  EXPECT_EQ(ui.texts[kLblFilename], "");
  form->cmdOk_Click();
  EXPECT_EQ((store.values[{kApplication, kSection, "Picture"}]), "1");
  EXPECT_EQ((store.values[{kApplication, kSection, "PictureName"}]), "");
}

TEST_F(DialogForm, BrowsingChoosesAFileAndANonPictureKeepsThePreview) {
  ui.files = {"C:\\Pictures\\sea.bmp", "C:\\notes.txt"};
  ui.pictures = {"C:\\Pictures\\sea.bmp"};
  Open();
  UserToggles(kChkPicture);
  ui.nextChoice = {"C:\\Pictures\\sea.bmp", "sea.bmp"};
  form->cmdBrowse_Click();
  EXPECT_EQ(ui.texts[kLblFilename], "sea.bmp");
  EXPECT_EQ(ui.tooltips[kLblFilename], "C:\\Pictures\\sea.bmp");
  EXPECT_EQ(ui.preview, "C:\\Pictures\\sea.bmp");
  // A text file: label and path change, the preview stays, no message.
  ui.nextChoice = {"C:\\notes.txt", "notes.txt"};
  form->cmdBrowse_Click();
  EXPECT_EQ(ui.texts[kLblFilename], "notes.txt");
  EXPECT_EQ(ui.tooltips[kLblFilename], "C:\\notes.txt");
  EXPECT_EQ(ui.preview, "C:\\Pictures\\sea.bmp");
  EXPECT_EQ(ui.reported, "");
  EXPECT_FALSE(ui.busy);
  // Cancelling keeps the choice; the dialog started at the name returned last.
  ui.nextChoice = {};
  form->cmdBrowse_Click();
  EXPECT_EQ(ui.texts[kLblFilename], "notes.txt");
  EXPECT_EQ(ui.tooltips[kLblFilename], "C:\\notes.txt");
  EXPECT_EQ(ui.preview, "C:\\Pictures\\sea.bmp") << "the preview keeps the picture chosen before";
  EXPECT_EQ(ui.chooserStartedAt, (std::vector<std::string>{"", "C:\\Pictures\\sea.bmp", "C:\\notes.txt"}));
  form->cmdOk_Click();
  EXPECT_EQ((store.values[{kApplication, kSection, "PictureName"}]), "C:\\notes.txt");
}

TEST_F(DialogForm, ALongFileNameIsCutTo113Pixels) {
  Open();
  ui.nextChoice = {"C:\\a-very-long-file-name-for-a-picture.bmp", "a-very-long-file-name-for-a-picture.bmp"};
  form->cmdBrowse_Click();
  EXPECT_EQ(ui.widths[kLblFilename], 113);
  ui.nextChoice = {"C:\\abc.gif", "abc.gif"};
  form->cmdBrowse_Click();
  EXPECT_EQ(ui.widths[kLblFilename], 42) << "a short name sizes the label to it again";
}

TEST_F(DialogForm, OkWritesAllThirteenKeysWhateverIsEnabled) {
  Open();
  UserMoves(kSldX, 4);
  UserToggles(kChkSlow);
  UserToggles(kChkVert);
  ui.values[kCboColours] = 3;  // written though Intelligent is not chosen
  UserMoves(kSldRestart, 9);   // written though Unzindle is unchecked
  form->cmdOk_Click();
  EXPECT_EQ(store.writes.size(), 13u);
  auto stored = [&](const char* key) { return store.values[{kApplication, kSection, key}]; };
  EXPECT_EQ(stored("Horizontal"), "4");
  EXPECT_EQ(stored("Slow"), "1");
  EXPECT_EQ(stored("FlipVert"), "1");
  EXPECT_EQ(stored("Threshold"), "3");
  EXPECT_EQ(stored("Frequency"), "9");
  EXPECT_EQ(stored("Unzindle"), "0");
  EXPECT_TRUE(ui.closed);
}

TEST_F(DialogForm, AFailedWriteIsToldAndTheDialogStaysOpen) {
  Open();
  store.failAfter = 6;
  form->cmdOk_Click();
  EXPECT_FALSE(ui.closed);
  EXPECT_NE(ui.reported.find("Saving Settings: The settings could not all be saved."), std::string::npos)
      << ui.reported;
  EXPECT_NE(ui.reported.find("Level"), std::string::npos);
  store.failAfter = -1;
  form->cmdOk_Click();
  EXPECT_TRUE(ui.closed) << "a second OK that succeeds closes";
}

TEST_F(DialogForm, CancelAndAboutWriteNothing) {
  Open();
  UserMoves(kSldX, 9);
  UserChooses(kOptColours3);
  form->cmdAbout_Click();
  EXPECT_EQ(ui.aboutShown, 1);
  EXPECT_FALSE(ui.closed);
  EXPECT_EQ(ui.values[kSldX], 9) << "the dialog is as it was";
  form->cmdCancel_Click();
  EXPECT_TRUE(ui.closed);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(DialogForm, ThePreviousVersionQuestionIsAskedOnOpening) {
  store.values[{"Zindle!", "Version", "Current"}] = "1.0";
  Open();
  EXPECT_EQ(prompt.asked, 1);
}

}  // namespace
}  // namespace zindle::dialog
