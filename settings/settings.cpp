#include <algorithm>

#include "core/numbers.h"
#include "settings/settings_store.h"

namespace zindle {

SaverState& Saver() {
  static SaverState state;
  return state;
}

std::string GetSetting(SettingsStore& store, std::string_view app, std::string_view section,
                       std::string_view key, std::string_view fallback) {
  std::optional<std::string> text = store.Read(app, section, key);
  return text ? *text : std::string(fallback);
}

std::string PreviousVersionText() {
  return std::string("Entries from a previous version of ") + kAppTitle +
         " have been found. You are advised to delete them. Do you want to?";
}

bool IsPreviousVersion(std::string_view current) {
  std::string four(current.substr(0, 4));
  four.resize(4, ' ');
  return four != "None" && LenientNumber(four) <= 1.1;
}

namespace {

// A 16-bit key: its default, and the range the rest of the program can use.
// A stored text that is not a number gives the default; a number is rounded
// half to even and brought to the nearest value of the range, or, where the
// values are choices rather than amounts, one outside them gives the default.
enum class Outside { Nearest, Default };
struct IntegerKey {
  const char* key;
  int16_t fallback;
  int16_t low;
  int16_t high;
  int16_t SaverState::*field;
  Outside outside = Outside::Nearest;
};

constexpr int16_t kMin = INT16_MIN;
constexpr int16_t kMax = INT16_MAX;

// In the order LoadSettings reads them. Level is a divisor and Threshold
// indexes a table; a colour mode beyond the four options would otherwise
// run the analysis and write its record. Slow is a pause per pass.
constexpr IntegerKey kLeadingKeys[] = {
    {"Horizontal", 1, 0, kMax, &SaverState::Horizontal},
    {"Vertical", 1, 0, kMax, &SaverState::Vertical},
    {"Unzindle", 0, kMin, kMax, &SaverState::Unzindle},
    {"Frequency", 2, kMin, kMax, &SaverState::Frequency},
    {"Invert", 0, 0, 3, &SaverState::Invert, Outside::Default},
    {"Level", 2, 1, kMax, &SaverState::Level},
    {"Threshold", 2, 0, 4, &SaverState::Threshold},
};
constexpr IntegerKey kPictureKey = {"Picture", 0, kMin, kMax, &SaverState::Picture};
constexpr IntegerKey kSlowKey = {"Slow", 0, 0, 1000, &SaverState::Slow};

void ReadIntegerKey(SettingsStore& store, const IntegerKey& rule, SaverState& state) {
  std::string fallback = DecimalText(rule.fallback);
  std::optional<double> value = LeadingNumber(GetSetting(store, kApplication, kSection, rule.key, fallback));
  int16_t result = value ? ToInt16(*value) : rule.fallback;
  if (rule.outside == Outside::Default && (result < rule.low || result > rule.high)) result = rule.fallback;
  state.*rule.field = std::clamp(result, rule.low, rule.high);
}

double ReadFlipKey(SettingsStore& store, const char* key) {
  return LenientNumber(GetSetting(store, kApplication, kSection, key, "0"));
}

void CheckPreviousVersion(SettingsStore& store, VersionPrompt& prompt) {
  std::string current = GetSetting(store, kOldApplication, "Version", "Current", "None");
  if (!IsPreviousVersion(current)) return;
  if (!prompt.AskYesNo(PreviousVersionText(), kPreviousVersionTitle)) return;
  for (const char* section : {"Colours", "Factor", "Timeout", "Version"}) store.Delete(kOldApplication, section);
}

}  // namespace

void LoadSettings(SettingsStore& store, VersionPrompt& prompt, SaverState& state) {
  CheckPreviousVersion(store, prompt);
  for (const IntegerKey& rule : kLeadingKeys) ReadIntegerKey(store, rule, state);
  double flipVert = ReadFlipKey(store, "FlipVert");
  double flipHoriz = ReadFlipKey(store, "FlipHoriz");
  state.Flip = ToInt16(flipHoriz + 2 * flipVert);
  ReadIntegerKey(store, kPictureKey, state);
  state.Picture = state.Picture != 0;  // any non-zero value means picture mode
  state.PictureName = GetSetting(store, kApplication, kSection, "PictureName", "");
  ReadIntegerKey(store, kSlowKey, state);
}

}  // namespace zindle
