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
