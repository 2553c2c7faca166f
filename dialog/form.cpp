#include "dialog/form.h"

#include <algorithm>

#include "dialog/commit.h"
#include "dialog/labels.h"
#include "dialog/layout.h"

namespace zindle::dialog {
namespace {

// The controls each rule switches, in the order the rules switch them.
const std::vector<int> kAnalysisControls = {kLblAColours, kCboColours, kLblTestFreq, kLblSize, kSldSize};
const std::vector<int> kRestoreControls = {kLblSeconds, kLblRestart, kSldRestart};
const std::vector<int> kPictureControls = {kLblFile, kLblFilename, kCmdBrowse, kImgPreview};

int PageOfTab(int position) { return kPicPanel0 + position - 1; }

}  // namespace

// --- Opening and page switching ---------------------------------------------

void frmMain::Form_Load() {
  // The window in the middle of the screen, the first page in front.
  ui_.SetBusy(true);
  ui_.CentreOnScreenAndRepaint();
  ui_.SetBusy(false);
  ui_.BringToFront(kPicPanel0);
  LoadSettings(store_, prompt_, state_);
  // Factor page. The slider clamps a stored value into its range; the label shows the slider.
  ui_.SetValue(kSldX, state_.Horizontal);
  sldX_Change();
  ui_.SetValue(kSldY, state_.Vertical);
  sldY_Change();
  // Timeout page. The saver restores when Unzindle is greater than 0, so
  // the check box shows that (a stored 1 is the only value OK writes).
  SetCheck(kChkUnzindle, state_.Unzindle > 0);
  ui_.Enable(kChkUnzindle, true);
  ui_.SetValue(kSldRestart, state_.Frequency);
  sldRestart_Change();
  EnableAll({kLblSeconds, kLblRestart, kLblFlip, kChkHoriz, kChkVert}, true);
  // Picture page.
  ui_.Enable(kChkPicture, true);
  ui_.SetTooltip(kLblFilename, state_.PictureName);
  if (!state_.PictureName.empty() && ui_.FileExists(state_.PictureName)) {
    SetCheck(kChkPicture, state_.Picture == 1);
    if (ui_.Value(kChkPicture) == 1) {
      // A file that is not a picture leaves the preview empty.
      ui_.LoadPreview(state_.PictureName);
      fileDialogName_ = state_.PictureName;
      SetFilenameText(FileTitleOf(state_.PictureName));
    }
  }
  // Colours page. LoadSettings keeps Invert within 0 to 3; kept so here as well.
  SelectColourOption(std::clamp<int>(state_.Invert, 0, kColourOptionCount - 1));
  ui_.SetValue(kSldSize, state_.Level);
  sldSize_Change();
  for (const char* entry : kThresholdEntries) ui_.AddListEntry(kCboColours, entry);
  ui_.SetValue(kCboColours, std::clamp<int>(state_.Threshold, 0, CountOf(kThresholdEntries) - 1));
  // LoadSettings keeps Slow within 0 to 1000 (milliseconds); any pause is "on".
  SetCheck(kChkSlow, state_.Slow != 0);
  SetCheck(kChkHoriz, state_.Flip == 1 || state_.Flip == 3);
  SetCheck(kChkVert, state_.Flip == 2 || state_.Flip == 3);
  ui_.SetBusy(false);
}

void frmMain::TabStrip_Click() {
  ShowPage(PageOfTab(ui_.Value(kTabStrip)));
  ui_.Focus(kTabStrip);
}

void frmMain::TabStrip_Step(int step) {
  int position = ((ui_.Value(kTabStrip) - 1 + step) % kPageCount + kPageCount) % kPageCount + 1;
  ui_.SetValue(kTabStrip, position);
  ShowPage(PageOfTab(position));
  ui_.Focus(FirstControlOf(position));
}

// --- Value labels, colour options, restore controls --------------------------

void frmMain::sldX_Change() { ui_.SetText(kLblXFactor, ValueText(ui_.Value(kSldX))); }

void frmMain::sldY_Change() { ui_.SetText(kLblYFactor, ValueText(ui_.Value(kSldY))); }

void frmMain::sldSize_Change() { ui_.SetText(kLblTestFreq, TimesFiveText(ui_.Value(kSldSize))); }

void frmMain::sldRestart_Change() {
  ui_.SetText(kLblRestart, MinutesText(ui_.Value(kSldRestart), ui_.DecimalSeparator()));
}

void frmMain::optColours_Click(int index) {
  colourChoice_ = static_cast<uint8_t>(index);
  if (index == kIntelligent) {
    EnableAll(kAnalysisControls, true);
    return;
  }
  // The test looks at lblSize alone: after opening, sldSize is enabled while
  // lblSize is not, and it stays so until "In&telligent" has been chosen once.
  if (!ui_.Enabled(kLblSize)) return;
  EnableAll(kAnalysisControls, false);
}

void frmMain::chkUnzindle_Click() { EnableAll(kRestoreControls, ui_.Value(kChkUnzindle) == 1); }

// --- The custom picture -----------------------------------------------------

void frmMain::chkPicture_Click() {
  if (ui_.Value(kChkPicture) == 1) {
    ui_.SetBusy(true);
    EnableAll(kPictureControls, true);
    std::string path = ui_.Tooltip(kLblFilename);
    // A kept path that has gone or is not a picture leaves the preview empty.
    if (!path.empty() && !ui_.LoadPreview(path)) ui_.ClearPreview();
    ui_.SetBusy(false);
  } else {
    EnableAll(kPictureControls, false);
    ui_.ClearPreview();
  }
}

void frmMain::cmdBrowse_Click() {
  FileChoice choice = ui_.ChooseFile(fileDialogName_);
  fileDialogName_ = choice.path;
  if (choice.path.empty()) return;
  ui_.SetBusy(true);
  if (!choice.title.empty()) SetFilenameText(choice.title);
  ui_.SetTooltip(kLblFilename, choice.path);
  // Not a picture: the label and the path name the file, the preview stays.
  ui_.LoadPreview(choice.path);
  ui_.SetBusy(false);
}

void frmMain::lblFilename_Change() {
  ui_.SetWidth(kLblFilename, std::min(ui_.TextWidth(kLblFilename), kFilenameMaxWidth));
}

// --- OK, Cancel, About --------------------------------------------------------

void frmMain::cmdOk_Click() {
  DialogValues values;
  values.horizontal = ui_.Value(kSldX);
  values.vertical = ui_.Value(kSldY);
  values.unzindle = ui_.Value(kChkUnzindle);
  values.frequency = ui_.Value(kSldRestart);
  values.colourChoice = colourChoice_;
  values.level = ui_.Value(kSldSize);
  values.threshold = ui_.Value(kCboColours);
  values.flipHoriz = ui_.Value(kChkHoriz);
  values.flipVert = ui_.Value(kChkVert);
  values.picture = ui_.Value(kChkPicture);
  values.pictureName = ui_.Tooltip(kLblFilename);
  values.slow = ui_.Value(kChkSlow);
  std::vector<std::string> unsaved = WriteSettings(store_, values);
  if (!unsaved.empty()) {
    // Not a silent failure: the user is told, and the dialog stays open.
    ui_.ReportUnsaved(UnsavedText(unsaved), kUnsavedTitle);
    return;
  }
  ui_.Close();
}

void frmMain::cmdCancel_Click() { ui_.Close(); }

void frmMain::cmdAbout_Click() { ui_.ShowAboutBox(); }

// --- Routing and assignments -------------------------------------------------

void frmMain::Click(int id) {
  switch (id) {
    case kChkUnzindle: chkUnzindle_Click(); break;
    case kChkPicture: chkPicture_Click(); break;
    case kOptColours0:
    case kOptColours1:
    case kOptColours2:
    case kOptColours3: {
      // Clicking the option that is already selected changes nothing, nor
      // does a click reported by a button that is not selected (Wine 10
      // reports one when an unselected option is given the focus).
      int index = id - kOptColours0;
      if (index == selectedColour_ || ui_.Value(id) != 1) break;
      selectedColour_ = index;
      optColours_Click(index);
      break;
    }
    default: break;  // chkSlow, chkHoriz, chkVert: OK reads them
  }
}

void frmMain::Change(int sliderId) {
  switch (sliderId) {
    case kSldX: sldX_Change(); break;
    case kSldY: sldY_Change(); break;
    case kSldSize: sldSize_Change(); break;
    case kSldRestart: sldRestart_Change(); break;
    default: break;
  }
}

void frmMain::SetCheck(int id, bool checked) {
  int value = checked ? 1 : 0;
  if (ui_.Value(id) == value) return;
  ui_.SetValue(id, value);
  Click(id);
}

void frmMain::SelectColourOption(int index) {
  if (index == selectedColour_) return;
  for (int i = 0; i < kColourOptionCount; ++i) ui_.SetValue(kOptColours0 + i, i == index ? 1 : 0);
  selectedColour_ = index;
  optColours_Click(index);
}

void frmMain::SetFilenameText(const std::string& text) {
  ui_.SetText(kLblFilename, text);
  lblFilename_Change();
}

// Only the front page is enabled, so that the keyboard cannot reach the others.
void frmMain::ShowPage(int page) {
  for (int i = 0; i < kPageCount; ++i) ui_.Enable(kPicPanel0 + i, false);
  ui_.Enable(page, true);
  ui_.BringToFront(page);
}

// Where Tab first lands on the page: of an option group the selected button
// (another one may be selected by taking the focus).
int frmMain::FirstControlOf(int tabPosition) {
  const TabRow& tab = kTabs[tabPosition - 1];
  for (size_t i = 0; i < tab.controlCount; ++i) {
    const ControlRow& row = tab.controls[i];
    if (!TakesFocus(row.kind) || !ui_.Enabled(row.id)) continue;
    bool option = row.kind == Kind::OptionFirst || row.kind == Kind::Option;
    if (option && ui_.Value(row.id) != 1) continue;
    return row.id;
  }
  return kTabStrip;
}

void frmMain::EnableAll(const std::vector<int>& ids, bool enabled) {
  for (int id : ids) ui_.Enable(id, enabled);
}

}  // namespace zindle::dialog
