// What OK writes: the thirteen keys in their order, each from its
// control, through the settings store; and what the user is told when a write
// fails.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace zindle::dialog {

// The values of the controls at the moment OK is pressed.
struct DialogValues {
  int32_t horizontal = 1;  // sldX
  int32_t vertical = 1;    // sldY
  int32_t unzindle = 0;    // chkUnzindle
  int32_t frequency = 2;   // sldRestart
  uint8_t colourChoice = 0;
  int32_t level = 2;       // sldSize
  int32_t threshold = 2;   // the position of the cboColours entry
  int32_t flipHoriz = 0;   // chkHoriz
  int32_t flipVert = 0;    // chkVert
  int32_t picture = 0;     // chkPicture
  std::string pictureName; // the tooltip text of lblFilename
  int32_t slow = 0;        // chkSlow
};

struct KeyText {
  std::string key;
  std::string text;
};

// The thirteen keys in the order OK writes them, with their texts. Each number is
// brought into its range first, so that whatever the controls hold, the store
// receives only values the saver can use.
std::vector<KeyText> CommitEntries(const DialogValues& values);

// Writes the thirteen keys, one write per key, in order, to the current
// settings location. Every key is tried even after a failure, so that as
// much as possible is saved; the result names the keys that were not.
std::vector<std::string> WriteSettings(SettingsStore& store, const DialogValues& values);

// The message shown when some keys could not be written.
inline constexpr char kUnsavedTitle[] = "Saving Settings";
std::string UnsavedText(const std::vector<std::string>& unsavedKeys);

}  // namespace zindle::dialog
