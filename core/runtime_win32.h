// Window-system services every mode relies on: the yield, the program-wide
// pointer, the instance test, the random seed and the message box.
#pragma once
#include <windows.h>

#include "settings/settings_store.h"

namespace zindle {

// Processes every pending message of the thread, then returns. A handler run
// inside it may end the process.
void DoEvents();

enum class Pointer { Default, Busy, ArrowBusy };

// Sets the pointer shown over all of the program's windows.
void SetProgramPointer(Pointer pointer);

// For WM_SETCURSOR: shows the override and returns true while one is set.
bool ApplyProgramPointer();

// Marks this process as an instance of the program; call once at start-up.
void RegisterInstance();

// Whether another process of the program runs, in any mode.
bool OtherInstanceRunning();

// Seeds the program's generator from the time of day.
void SeedRandomFromTimeOfDay();

// The previous-version question as a modal message box.
class MessageBoxPrompt : public VersionPrompt {
 public:
  explicit MessageBoxPrompt(HWND owner = nullptr) : owner_(owner) {}
  bool AskYesNo(const std::string& text, const std::string& title) override;

 private:
  HWND owner_;
};

// Where the previous-version question may be asked: only where the user is in
// front of the program.
enum class VersionQuestion { Ask, DoNotAsk };

// The registry-backed store and the message box, loaded into the program's state.
void LoadProgramSettings(HWND owner = nullptr, VersionQuestion question = VersionQuestion::Ask);

}  // namespace zindle
