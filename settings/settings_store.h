// The per-user settings store: text values addressed by application, section
// and key, and the program's settings over it.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "settings/saver_state.h"
#include "version.h"

namespace zindle {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text; empty when the application, section or key is absent.
  virtual std::optional<std::string> Read(std::string_view app, std::string_view section,
                                          std::string_view key) = 0;
  // Stores the text, creating application and section; false when it failed.
  virtual bool Save(std::string_view app, std::string_view section, std::string_view key,
                    std::string_view text) = 0;
  // Removes the section with all its keys; an absent section is harmless.
  virtual void Delete(std::string_view app, std::string_view section) = 0;
};

// Asks the user the previous-version question; true for Yes.
class VersionPrompt {
 public:
  virtual ~VersionPrompt() = default;
  virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
};

inline constexpr char kAppTitle[] = "Zindle!";
inline constexpr char kApplication[] = "Korvane";
inline constexpr char kSection[] = "Zindle!";
inline constexpr char kOldApplication[] = "Zindle!";
inline constexpr char kVersionText[] = ZINDLE_VERSION_SETTING;

std::string GetSetting(SettingsStore& store, std::string_view app, std::string_view section,
                       std::string_view key, std::string_view fallback);

// The previous-version question's text and title.
std::string PreviousVersionText();
inline constexpr char kPreviousVersionTitle[] = "Loading Settings";

// True when the old release's "Current" text names version 1.1 or older.
bool IsPreviousVersion(std::string_view current);

// Runs the previous-version check, then fills the state from the store.
void LoadSettings(SettingsStore& store, VersionPrompt& prompt, SaverState& state);

}  // namespace zindle
