// Who can see the saver, and what it zindles where the desktop cannot be seen.
#include <gtest/gtest.h>

#include <vector>

#include "saver/audience.h"
#include "saver/desktop_source.h"

namespace zindle {
namespace {

TEST(Audience, SeenOnlyWithTheDisplayOnAndTheSessionUnlockedAndConnected) {
  struct Step {
    bool display;  // a display state, else a session change
    uint32_t value;
  };
  const struct {
    const char* name;
    std::vector<Step> steps;
    bool seen;
  } cases[] = {
      {"nothing heard", {}, true},
      {"display off", {{true, kDisplayOff}}, false},
      {"display dimmed", {{true, kDisplayDimmed}}, true},
      {"display off, then on", {{true, kDisplayOff}, {true, kDisplayOn}}, true},
      {"a display state unknown", {{true, kDisplayOff}, {true, 7}}, true},
      {"locked", {{false, kSessionLock}}, false},
      {"locked, then unlocked", {{false, kSessionLock}, {false, kSessionUnlock}}, true},
      {"remote session disconnected", {{false, kRemoteDisconnect}}, false},
      {"console disconnected, then a remote connect", {{false, kConsoleDisconnect}, {false, kRemoteConnect}}, true},
      {"unlocked while the display is off", {{true, kDisplayOff}, {false, kSessionLock}, {false, kSessionUnlock}}, false},
      {"display on while still locked", {{false, kSessionLock}, {true, kDisplayOff}, {true, kDisplayOn}}, false},
      {"log-on and remote control change nothing", {{false, kSessionLock}, {false, 5}, {false, 9}}, false},
  };
  for (const auto& c : cases) {
    Audience audience;
    for (const Step& step : c.steps) step.display ? audience.Display(step.value) : audience.Session(step.value);
    EXPECT_EQ(audience.Seen(), c.seen) << c.name;
  }
}

// The power-setting notification's structure, byte for byte as the system
// lays it out: the setting's GUID, the data's length, the data.
using Bytes = std::vector<uint8_t>;
const Bytes kMonitorPowerOn = {0x15, 0x10, 0x73, 0x02, 0x10, 0x45, 0x26, 0x45,
                               0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA};
const Bytes kConsoleDisplayState = {0x56, 0x95, 0xE6, 0x6F, 0x4A, 0x70, 0xA0, 0x47,
                                    0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47};
const Bytes kSessionDisplayStatus = {0x0E, 0xC2, 0x84, 0x2B, 0x23, 0xAD, 0xDF, 0x4D,
                                     0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5};
const Bytes kPowerSource = {0x59, 0x9A, 0x3E, 0x5D, 0xD5, 0xE9, 0x00, 0x4B,
                            0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48};  // mains or battery

Bytes Setting(Bytes guid, const Bytes& rest) {
  guid.insert(guid.end(), rest.begin(), rest.end());
  return guid;
}

TEST(DisplayPowerIn, TheDisplaysStateFromEachOfItsThreeSettingsAndNothingElse) {
  const struct {
    const char* name;
    Bytes bytes;
    std::optional<uint32_t> state;
  } cases[] = {
      {"the monitor's power off (Windows 7)", Setting(kMonitorPowerOn, {4, 0, 0, 0, 0, 0, 0, 0}), kDisplayOff},
      {"the monitor's power on", Setting(kMonitorPowerOn, {4, 0, 0, 0, 1, 0, 0, 0}), kDisplayOn},
      {"the console's display dimmed", Setting(kConsoleDisplayState, {4, 0, 0, 0, 2, 0, 0, 0}), kDisplayDimmed},
      {"the session's display off", Setting(kSessionDisplayStatus, {4, 0, 0, 0, 0, 0, 0, 0}), kDisplayOff},
      {"the session's display on", Setting(kSessionDisplayStatus, {4, 0, 0, 0, 1, 0, 0, 0}), kDisplayOn},
      {"all 32 bits of the value", Setting(kConsoleDisplayState, {4, 0, 0, 0, 0, 1, 0, 0}), 256u},
      {"another setting", Setting(kPowerSource, {4, 0, 0, 0, 0, 0, 0, 0}), std::nullopt},
      {"a GUID differing in its last byte", Setting(Bytes(kMonitorPowerOn.begin(), kMonitorPowerOn.end() - 1), {0xEB, 4, 0, 0, 0, 0, 0, 0, 0}), std::nullopt},
      {"no data", Setting(kSessionDisplayStatus, {0, 0, 0, 0}), std::nullopt},
      {"two bytes of data", Setting(kSessionDisplayStatus, {2, 0, 0, 0, 0, 0}), std::nullopt},
      {"eight bytes of data", Setting(kSessionDisplayStatus, {8, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}), std::nullopt},
      {"a length's high byte", Setting(kSessionDisplayStatus, {4, 0, 0, 1, 0, 0, 0, 0}), std::nullopt},
      {"a length beyond the bytes given", Setting(kSessionDisplayStatus, {4, 0, 0, 0, 0, 0}), std::nullopt},
      {"only the GUID", kMonitorPowerOn, std::nullopt},
      {"nothing", {}, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DisplayPowerIn(c.bytes.empty() ? nullptr : c.bytes.data(), c.bytes.size()), c.state) << c.name;
  // The one asked for: Windows 7 and older know only the monitor's power.
  const struct {
    uint32_t major, minor;
    const Bytes& guid;
  } systems[] = {{6, 0, kMonitorPowerOn}, {6, 1, kMonitorPowerOn}, {6, 2, kSessionDisplayStatus}, {10, 0, kSessionDisplayStatus}};
  for (const auto& system : systems) {
    const GuidBytes asked = GuidOf(DisplaySettingFor(system.major, system.minor));
    EXPECT_EQ(Bytes(asked.begin(), asked.end()), system.guid) << "Windows " << system.major << "." << system.minor;
  }
}

TEST(FlatColour, OnlyAPictureOfOneColourIsFlat) {
  std::vector<uint32_t> pixels(6 * 4, 0x00102030);
  EXPECT_EQ(FlatColour(pixels.data(), 6, 5, 4), 0x102030u);
  pixels[5] = 0x00FFFFFF;  // beyond the width: not part of the picture
  EXPECT_EQ(FlatColour(pixels.data(), 6, 5, 4), 0x102030u) << "the row's padding is not looked at";
  pixels[3 * 6 + 4] = 0xFF102030;
  EXPECT_EQ(FlatColour(pixels.data(), 6, 5, 4), 0x102030u) << "the fourth byte is not colour";
  pixels[3 * 6 + 4] = 0x00102031;
  EXPECT_EQ(FlatColour(pixels.data(), 6, 5, 4), std::nullopt) << "the last pixel differs";
  EXPECT_EQ(FlatColour(pixels.data(), 6, 0, 4), std::nullopt) << "an empty picture";
}

TEST(ChooseDesktopSource, TheWallpaperWhereTheCaptureIsNotWhatTheUserSees) {
  constexpr uint32_t kBlue = 0x3A6EA5, kWhite = 0xFFFFFF;
  const struct {
    const char* name;
    bool captured;
    std::optional<uint32_t> flat;
    bool wallpaper;
    DesktopSource expected;
  } cases[] = {
      {"a capture with something on it", true, std::nullopt, true, DesktopSource::Capture},
      {"the capture failed", false, std::nullopt, true, DesktopSource::Wallpaper},
      {"the capture failed, no wallpaper: the desktop's colour", false, std::nullopt, false, DesktopSource::Wallpaper},
      {"black over a wallpaper", true, 0x000000u, true, DesktopSource::Wallpaper},
      {"the desktop's colour over a wallpaper", true, kBlue, true, DesktopSource::Wallpaper},
      {"white without a wallpaper: a window over all of it", true, kWhite, false, DesktopSource::Capture},
      {"a plain blue desktop", true, kBlue, false, DesktopSource::Capture},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseDesktopSource(c.captured, c.flat, c.wallpaper), c.expected) << c.name;
}

TEST(WallpaperPlaces, DrawnAsTheDesktopDrawsEachStyle) {
  const Rect monitor{100, 0, 800, 600}, all{0, 0, 900, 600};
  const struct {
    const char* name;
    int32_t style, tile;
    int32_t width, height;
    std::vector<Rect> expected;
  } cases[] = {
      {"centred, smaller", 0, 0, 200, 100, {{400, 250, 200, 100}}},
      {"centred, larger: cut by the monitor", 0, 0, 1000, 700, {{0, -50, 1000, 700}}},
      {"tiled: the first copy at the corner", 0, 1, 300, 200, {{100, 0, 300, 200}}},
      {"stretched", 2, 0, 200, 100, {{100, 0, 800, 600}}},
      {"fit: bars above and below", 6, 0, 1600, 800, {{100, 100, 800, 400}}},
      {"fill: cut left and right", 10, 0, 1600, 800, {{-100, 0, 1200, 600}}},
      {"span: over every monitor", 22, 0, 900, 300, {{-450, 0, 1800, 600}}},
      {"an unknown style: centred", 3, 1, 200, 100, {{400, 250, 200, 100}}},
      {"an empty picture", 2, 0, 0, 100, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WallpaperPlaces(WallpaperFitFrom(c.style, c.tile), monitor, all, c.width, c.height), c.expected)
        << c.name;
}

}  // namespace
}  // namespace zindle
