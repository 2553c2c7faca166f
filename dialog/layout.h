// The properties dialog and the About box as designed: one row per control,
// in window order, with positions in
// pixels at 96 dots per inch relative to the container's client area. The
// windows are built from these tables by one loop each and scaled to the
// display's DPI; the control IDs are stable so that tests can find controls.
// No Windows header: the unit tests check the tables too.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zindle::dialog {

// Control IDs. The dialog's OK and Cancel carry the system's IDOK (1) and
// IDCANCEL (2), so that Enter and Esc press them.
enum Id : int {
  kCmdOK = 1,
  kCmdCancel = 2,
  kCmdAbout = 102,
  kTabStrip = 100,
  kPicPanel0 = 110,  // picPanel(0) to (3): kPicPanel0 + index
  kPicPanel1,
  kPicPanel2,
  kPicPanel3,
  // Page 0, "Factor"
  kLblX = 200,
  kLblXFactor,
  kSldX,
  kLblY,
  kLblYFactor,
  kSldY,
  kChkSlow,
  // Page 1, "Colours"
  kLblColours = 300,
  kOptColours0,  // optColours(0) to (3): kOptColours0 + index
  kOptColours1,
  kOptColours2,
  kOptColours3,
  kLblSize,
  kLblTestFreq,
  kSldSize,
  kLblAColours,
  kCboColours,
  // Page 2, "Timeout"
  kChkUnzindle = 400,
  kLblSeconds,
  kLblRestart,
  kSldRestart,
  kLblFlip,
  kChkHoriz,
  kChkVert,
  // Page 3, "Picture"
  kChkPicture = 500,
  kLblFile,
  kLblFilename,
  kCmdBrowse,
  kImgPreview,
  // The About box; its OK is IDOK as well.
  kAboutIcon = 600,
  kLblProgram,
  kLblRevision,
  kLblAuthor,
  kLblCopyright,
  kLblURL,
  kLblMail,
  kLblInfo,
  kLblPhysMem,
  kLblMemory,
  kAboutOK = 1,
};

enum class Kind : uint8_t {
  TabStrip,
  Page,           // a container: one page of the tab strip
  Button,
  DefaultButton,  // Enter presses it
  CheckBox,
  OptionFirst,    // the first option button of a group
  Option,         // a further option button of the same group
  Slider,         // horizontal, tick marks below the track
  Label,
  ValueLabel,     // right-aligned, shows a slider's value
  AutoLabel,      // sizes itself to its text; the width column is ignored
  LinkLabel,      // AutoLabel in the link style of the About box
  DropDownList,   // a choice from the list only, no typing
  Image,          // single-line border, stretches its picture, no focus
  Icon,           // the program icon at 32 x 32
};

// The kinds of control that can have the keyboard focus.
constexpr bool TakesFocus(Kind kind) {
  switch (kind) {
    case Kind::TabStrip:
    case Kind::Button:
    case Kind::DefaultButton:
    case Kind::CheckBox:
    case Kind::OptionFirst:
    case Kind::Option:
    case Kind::Slider:
    case Kind::DropDownList: return true;
    default: return false;
  }
}

struct Rect {
  int left, top, width, height;
};

inline constexpr int kNoTopic = 0;

struct ControlRow {
  Id id;
  const char* name;  // the control's name
  Kind kind;
  const char* caption;
  Rect position;
  int topic;             // What's This topic (help_topics.h), kNoTopic for none
  bool enabledAtStart;   // the design state, before the opening sequence
};

template <typename T, size_t N>
constexpr size_t CountOf(const T (&)[N]) {
  return N;
}

// --- The properties dialog, frmMain -----------------------------------------

inline constexpr char kDialogCaption[] = "Zindle! Properties";
inline constexpr int kDialogClientWidth = 273;
inline constexpr int kDialogClientHeight = 225;
inline constexpr int kPageCount = 4;

// Controls placed on the window itself, in tab order (the page in front
// takes its place after the tab strip).
inline constexpr ControlRow kWindowControls[] = {
    {kTabStrip, "TabStrip", Kind::TabStrip, "", {8, 8, 257, 177}, kNoTopic, true},
    {kPicPanel0, "picPanel(0)", Kind::Page, "", {16, 32, 241, 145}, 2, true},
    {kPicPanel1, "picPanel(1)", Kind::Page, "", {16, 32, 241, 145}, 20, false},
    {kPicPanel2, "picPanel(2)", Kind::Page, "", {16, 32, 241, 145}, 10, false},
    {kPicPanel3, "picPanel(3)", Kind::Page, "", {16, 32, 241, 145}, 10, false},
    {kCmdOK, "cmdOK", Kind::DefaultButton, "&OK", {80, 192, 57, 25}, 100, true},
    {kCmdCancel, "cmdCancel", Kind::Button, "&Cancel", {144, 192, 57, 25}, 101, true},
    {kCmdAbout, "cmdAbout", Kind::Button, "&About", {208, 192, 57, 25}, 102, true},
};

// A page's rows are in window order, which is the tab order too. A control
// without a caption of its own (a slider, the list) comes right after the
// label that names it: screen readers name such a control after the label
// before it in that order, and the label's access key moves to the control
// after it. A value label comes after its slider, read as the value.

// Page 0, "Factor": all controls always enabled.
inline constexpr ControlRow kFactorPage[] = {
    {kLblX, "lblX", Kind::Label, "&Horizontal:", {8, 8, 49, 17}, 1, true},
    {kSldX, "sldX", Kind::Slider, "", {0, 24, 241, 33}, 2, true},
    {kLblXFactor, "lblXFactor", Kind::ValueLabel, "", {216, 8, 17, 13}, 2, true},
    {kLblY, "lblY", Kind::Label, "&Vertical:", {8, 64, 41, 13}, 1, true},
    {kSldY, "sldY", Kind::Slider, "", {0, 80, 241, 33}, 2, true},
    {kLblYFactor, "lblYFactor", Kind::ValueLabel, "", {216, 64, 17, 13}, 2, true},
    {kChkSlow, "chkSlow", Kind::CheckBox, "&Slow Motion", {8, 120, 81, 17}, 3, true},
};

// Page 1, "Colours". The analysis controls start disabled (the opening
// sequence enables them only for "In&telligent"), except the slider.
inline constexpr ControlRow kColoursPage[] = {
    {kLblColours, "lblColours", Kind::Label, "&Screen Colours:", {8, 8, 81, 17}, 20, true},
    {kOptColours0, "optColours(0)", Kind::OptionFirst, "&Normal", {96, 8, 57, 17}, 21, true},
    {kOptColours1, "optColours(1)", Kind::Option, "&Inverted", {96, 28, 65, 17}, 22, true},
    {kOptColours2, "optColours(2)", Kind::Option, "&Random", {168, 8, 65, 17}, 23, true},
    {kOptColours3, "optColours(3)", Kind::Option, "In&telligent", {168, 28, 65, 17}, 24, true},
    {kLblSize, "lblSize", Kind::Label, "&Level of Analysis:", {8, 51, 89, 17}, 25, false},
    {kSldSize, "sldSize", Kind::Slider, "", {0, 67, 241, 33}, 25, true},
    {kLblTestFreq, "lblTestFreq", Kind::ValueLabel, "", {216, 51, 17, 13}, 25, false},
    {kLblAColours, "lblAColours", Kind::Label, "Analysis T&hreshold:", {8, 116, 97, 17}, 26, false},
    {kCboColours, "cboColours", Kind::DropDownList, "", {112, 112, 121, 21}, 27, false},
};

// Page 2, "Timeout".
inline constexpr ControlRow kTimeoutPage[] = {
    {kChkUnzindle, "chkUnzindle", Kind::CheckBox, "&Unzindle Screen", {8, 8, 105, 17}, 10, true},
    {kLblSeconds, "lblSeconds", Kind::Label, "&Minutes:", {8, 40, 41, 17}, 11, true},
    {kSldRestart, "sldRestart", Kind::Slider, "", {0, 56, 241, 33}, 11, true},
    {kLblRestart, "lblRestart", Kind::ValueLabel, "", {208, 40, 25, 13}, 11, true},
    {kLblFlip, "lblFlip", Kind::Label, "&Flip Screen:", {8, 104, 65, 17}, 12, true},
    {kChkHoriz, "chkHoriz", Kind::CheckBox, "&Horizontally", {8, 120, 81, 17}, 13, true},
    {kChkVert, "chkVert", Kind::CheckBox, "&Vertically", {128, 120, 65, 17}, 13, true},
};

// Page 3, "Picture". The picture controls start disabled; "C&ustom" enables them.
inline constexpr ControlRow kPicturePage[] = {
    {kChkPicture, "chkPicture", Kind::CheckBox, "C&ustom", {8, 8, 55, 17}, 30, true},
    {kLblFile, "lblFile", Kind::Label, "&Filename:", {8, 109, 49, 14}, 32, false},
    {kLblFilename, "lblFilename", Kind::AutoLabel, "", {8, 125, 163, 13}, 32, false},
    {kCmdBrowse, "cmdBrowse", Kind::Button, "&Browse...", {176, 120, 65, 25}, 33, false},
    {kImgPreview, "imgPreview", Kind::Image, "", {77, 8, 164, 105}, 31, false},
};

// The tabs in order; the tab at position n shows picPanel(n - 1).
struct TabRow {
  int position;
  const char* caption;
  const char* tooltip;
  Id page;
  const ControlRow* controls;
  size_t controlCount;
};

inline constexpr TabRow kTabs[] = {
    {1, "Factor", "How zindly do you have it?", kPicPanel0, kFactorPage, CountOf(kFactorPage)},
    {2, "Colours", "Change the screen colours", kPicPanel1, kColoursPage, CountOf(kColoursPage)},
    {3, "Timeout", "Limit zindling time", kPicPanel2, kTimeoutPage, CountOf(kTimeoutPage)},
    {4, "Picture", "Zindle a custom picture", kPicPanel3, kPicturePage, CountOf(kPicturePage)},
};

// Tooltips of controls other than the tabs ("lblFilename" holds the path).
struct TooltipRow {
  Id id;
  const char* text;
};
inline constexpr TooltipRow kTooltips[] = {
    {kImgPreview, "Preview"},
    {kLblFilename, ""},
};

// The four sliders.
enum class LabelRule : uint8_t { Value, TimesFive, HalfMinutes };

struct SliderRow {
  Id slider;
  int min, max;
  int arrowStep, pageStep, tickEvery;
  Id label;
  LabelRule text;
};

inline constexpr SliderRow kSliders[] = {
    {kSldX, 0, 10, 1, 1, 1, kLblXFactor, LabelRule::Value},
    {kSldY, 0, 10, 1, 1, 1, kLblYFactor, LabelRule::Value},
    {kSldSize, 1, 10, 1, 2, 1, kLblTestFreq, LabelRule::TimesFive},
    {kSldRestart, 0, 20, 1, 2, 2, kLblRestart, LabelRule::HalfMinutes},
};

constexpr const SliderRow* FindSlider(int id) {
  for (const SliderRow& row : kSliders)
    if (row.slider == id) return &row;
  return nullptr;
}

// The entries of cboColours; an entry's position is the stored "Threshold".
inline constexpr const char* kThresholdEntries[] = {"Minimum", "Low", "Average", "High", "Maximum"};

inline constexpr int kColourOptionCount = 4;  // 0 Normal, 1 Inverted, 2 Random, 3 Intelligent
inline constexpr int kIntelligent = 3;

// A longer file name is shown cut to this width.
inline constexpr int kFilenameMaxWidth = 113;

// Every row of the dialog: the window's own controls and the four pages.
// parent is kNoParent for the window's controls, else the page's ID.
inline constexpr int kNoParent = 0;

// The row with this ID and the container it is placed in, or null.
struct Placement {
  const ControlRow* row;
  int parent;
};

constexpr Placement FindControl(int id) {
  for (const ControlRow& row : kWindowControls)
    if (row.id == id) return {&row, kNoParent};
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i)
      if (tab.controls[i].id == id) return {&tab.controls[i], tab.page};
  return {nullptr, kNoParent};
}

// --- The About box, frmAboutBox ----------------------------------------------

inline constexpr int kAboutClientWidth = 340;
inline constexpr int kAboutClientHeight = 256;

inline constexpr char kWebAddress[] = "http://www.korvane.example/zindle/";
inline constexpr char kMailAddress[] = "zindle@korvane.example";
inline constexpr char kMailSubject[] = "Korvane";

inline constexpr ControlRow kAboutControls[] = {
    {kAboutIcon, "AboutIcon", Kind::Icon, "", {16, 16, 32, 32}, kNoTopic, true},
    {kLblProgram, "lblProgram", Kind::AutoLabel, "", {72, 16, 0, 13}, kNoTopic, true},
    {kLblRevision, "lblRevision", Kind::AutoLabel, ".Rev", {147, 16, 0, 13}, kNoTopic, true},
    {kLblAuthor, "lblAuthor", Kind::Label, "Written by Korvane", {72, 35, 259, 17}, kNoTopic, true},
    {kLblCopyright, "lblCopyright", Kind::Label, "Copyright \xc2\xa9 Korvane", {72, 56, 193, 17}, kNoTopic,
     true},
    {kLblURL, "lblURL", Kind::LinkLabel, kWebAddress, {72, 72, 0, 13}, kNoTopic, true},
    {kLblMail, "lblMail", Kind::LinkLabel, kMailAddress, {72, 88, 0, 13}, kNoTopic, true},
    {kLblInfo, "lblInfo", Kind::Label, "Information:", {72, 120, 57, 17}, kNoTopic, true},
    {kLblPhysMem, "lblPhysMem", Kind::Label, "Physical Memory Available to Windows:", {72, 168, 193, 17},
     kNoTopic, true},
    {kLblMemory, "lblMemory", Kind::Label, "Memory", {272, 168, 57, 17}, kNoTopic, true},
    {kAboutOK, "cmdOK", Kind::DefaultButton, "OK", {256, 221, 73, 22}, kNoTopic, true},
};

// The etched rule: a dark line with a light one a pixel lower and shorter.
enum class LineColour : uint8_t { ButtonShadow, ButtonHighlight };
struct LineRow {
  const char* name;
  int x1, y1, x2, y2;
  int thickness;
  LineColour colour;
};
inline constexpr LineRow kAboutLines[] = {
    {"Line2", 72, 159, 328, 159, 1, LineColour::ButtonShadow},
    {"Line1", 73, 160, 328, 160, 2, LineColour::ButtonHighlight},
};

// The link colour, RGB(0, 128, 0).
inline constexpr uint8_t kLinkRed = 0, kLinkGreen = 128, kLinkBlue = 0;

}  // namespace zindle::dialog
