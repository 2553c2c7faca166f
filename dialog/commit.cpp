#include "dialog/commit.h"

#include <algorithm>

#include "core/numbers.h"
#include "dialog/layout.h"

namespace zindle::dialog {
namespace {

std::string InRange(int32_t value, int32_t low, int32_t high) {
  return DecimalText(std::clamp(value, low, high));
}

std::string SliderText(int32_t value, Id slider) {
  const SliderRow* row = FindSlider(slider);
  return InRange(value, row->min, row->max);
}

std::string CheckText(int32_t value) { return value == 1 ? "1" : "0"; }

}  // namespace

std::vector<KeyText> CommitEntries(const DialogValues& v) {
  constexpr int32_t kLastThreshold = static_cast<int32_t>(CountOf(kThresholdEntries)) - 1;
  return {
      {"Version", kVersionText},
      {"Horizontal", SliderText(v.horizontal, kSldX)},
      {"Vertical", SliderText(v.vertical, kSldY)},
      {"Unzindle", CheckText(v.unzindle)},
      {"Frequency", SliderText(v.frequency, kSldRestart)},
      {"Invert", InRange(v.colourChoice, 0, kColourOptionCount - 1)},
      {"Level", SliderText(v.level, kSldSize)},
      {"Threshold", InRange(v.threshold, 0, kLastThreshold)},
      {"FlipHoriz", CheckText(v.flipHoriz)},
      {"FlipVert", CheckText(v.flipVert)},
      {"Picture", CheckText(v.picture)},
      {"PictureName", v.pictureName},
      {"Slow", CheckText(v.slow)},
  };
}

std::vector<std::string> WriteSettings(SettingsStore& store, const DialogValues& values) {
  std::vector<std::string> unsaved;
  for (const KeyText& entry : CommitEntries(values))
    if (!store.Save(kApplication, kSection, entry.key, entry.text)) unsaved.push_back(entry.key);
  return unsaved;
}

std::string UnsavedText(const std::vector<std::string>& unsavedKeys) {
  std::string keys;
  for (const std::string& key : unsavedKeys) keys += (keys.empty() ? "" : ", ") + key;
  return "The settings could not all be saved.\n\nNot saved: " + keys +
         ".\n\nFor these the screen saver keeps what was stored before. The Properties "
         "window stays open: choose OK to try again, or Cancel to close it.";
}

}  // namespace zindle::dialog
