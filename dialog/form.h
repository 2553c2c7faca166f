// frmMain, the properties dialog: its event handlers, named
// by control and event, written against a small interface to the window's
// controls. The Win32 window (properties_win32.cpp) builds the controls from
// layout.h, implements the interface and routes each message to one handler;
// the unit tests implement it in memory and record what the rules do.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/saver_state.h"
#include "settings/settings_store.h"

namespace zindle::dialog {

// A file chosen in the file-open dialog: the full path and the name without
// its folder. An empty path means the user cancelled.
struct FileChoice {
  std::string path;
  std::string title;
};

// What frmMain needs of its window. Controls are named by their IDs (layout.h).
class FormControls {
 public:
  virtual ~FormControls() = default;

  // A slider's position, a check box's or option button's value (0 or 1), a
  // list's selected position, a tab strip's selected position (1 to 4).
  // Setting a value from here runs no rule: frmMain runs the rules itself.
  virtual int Value(int id) = 0;
  virtual void SetValue(int id, int value) = 0;
  virtual bool Enabled(int id) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual std::string Text(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual std::string Tooltip(int id) = 0;
  virtual void SetTooltip(int id, const std::string& text) = 0;
  virtual void AddListEntry(int id, const std::string& text) = 0;
  // The width of a label's text, and a label's width, in pixels at 96 DPI.
  virtual int TextWidth(int id) = 0;
  virtual void SetWidth(int id, int width) = 0;
  // Shows a page in front of the others; the others are hidden behind it.
  virtual void BringToFront(int page) = 0;
  virtual void Focus(int id) = 0;

  // The preview: false when the file is not a picture (the preview is unchanged).
  virtual bool LoadPreview(const std::string& path) = 0;
  virtual void ClearPreview() = 0;

  virtual void SetBusy(bool busy) = 0;
  virtual void CentreOnScreenAndRepaint() = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // The modal file-open dialog for the picture, starting at the given file name.
  virtual FileChoice ChooseFile(const std::string& initialName) = 0;
  virtual std::string DecimalSeparator() = 0;
  virtual void ShowAboutBox() = 0;
  virtual void ReportUnsaved(const std::string& text, const std::string& title) = 0;
  virtual void Close() = 0;
};

class frmMain {
 public:
  frmMain(FormControls& ui, SettingsStore& store, VersionPrompt& prompt, SaverState& state)
      : ui_(ui), store_(store), prompt_(prompt), state_(state) {}

  // The opening sequence and page switching.
  void Form_Load();
  void TabStrip_Click();
  // Ctrl+Tab (step 1) and Ctrl+Shift+Tab (step -1), whatever has the focus:
  // the next or the previous tab, round from the last to the first, its page
  // in front and the focus on the page's first control.
  void TabStrip_Step(int step);

  // Value labels, colour options and restore controls.
  void sldX_Change();
  void sldY_Change();
  void sldSize_Change();
  void sldRestart_Change();
  void optColours_Click(int index);
  void chkUnzindle_Click();

  // The custom picture.
  void chkPicture_Click();
  void cmdBrowse_Click();
  void lblFilename_Change();

  // OK, Cancel and About.
  void cmdOk_Click();
  void cmdCancel_Click();
  void cmdAbout_Click();

  // A check box was toggled or an option button clicked, by the user or by
  // an assignment of the program: runs the control's click rule.
  void Click(int id);
  // A slider reported a changed value: runs its change handler.
  void Change(int sliderId);

  uint8_t ColourChoice() const { return colourChoice_; }
  const std::string& FileDialogName() const { return fileDialogName_; }

 private:
  // Assignments from the program: a check box or option button runs its click
  // rule only when its value changes.
  void SetCheck(int id, bool checked);
  void SelectColourOption(int index);
  void SetFilenameText(const std::string& text);
  void ShowPage(int page);
  int FirstControlOf(int tabPosition);
  void EnableAll(const std::vector<int>& ids, bool enabled);

  FormControls& ui_;
  SettingsStore& store_;
  VersionPrompt& prompt_;
  SaverState& state_;
  uint8_t colourChoice_ = 0;
  int selectedColour_ = 0;  // "&Normal" is selected when the dialog is created
  std::string fileDialogName_;  // the file-open dialog's initial file name
};

}  // namespace zindle::dialog
