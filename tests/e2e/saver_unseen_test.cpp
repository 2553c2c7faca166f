// When no one can see the saver it draws nothing, and where the desktop
// cannot be seen it zindles the wallpaper.
#include <functional>
#include <string>

#include "saver/audience_win32.h"
#include "saver_scenario.h"

namespace e2e::saver {
namespace {

struct DarkCase {
  const char* name;
  std::function<void(HWND)> dark, light;
};

// The display cannot be switched off under Wine, nor the session locked: the
// notifications that carry those states are sent to the window instead, the
// display's as the system's structure, read by the program as the system's.
void Display(HWND window, uint32_t state) {
  ASSERT_TRUE(zindle::SendDisplayPower(window, zindle::DisplaySetting::kSessionDisplayStatus, state));
}
void Session(HWND window, uint32_t change) { PostMessageW(window, WM_WTSSESSION_CHANGE, change, 0); }

class SaverUnseenTest : public SaverTest, public testing::WithParamInterface<DarkCase> {};

TEST_P(SaverUnseenTest, NothingIsDrawnWhileNoOneCanSeeAndTheRunGoesOnAfter) {
  const DarkCase& c = GetParam();
  Image desktop = KnownPicture(ScreenWidth(), ScreenHeight());
  Backdrop backdrop(desktop);
  settings::Put(L"Horizontal", L"4");
  settings::Put(L"Vertical", L"4");
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  ASSERT_TRUE(PollUntil([&] { return TakeScreenshot().CountDifferences(desktop) > 0; }, kStartDeadline));

  c.dark(window);
  Image before = TakeScreenshot();
  // Blocks already under way may still land; then the screen holds, here
  // for 100 ms, in which 25 passes would be drawn.
  DWORD since = GetTickCount();
  ASSERT_TRUE(PollUntil([&] {
    Image now = TakeScreenshot();
    if (now.CountDifferences(before) != 0) {
      before = std::move(now);
      since = GetTickCount();
      return false;
    }
    return GetTickCount() - since >= 100;
  }, 3000)) << "the screen stops changing";
  PumpFor(1000);  // 250 passes would be drawn in this second
  EXPECT_EQ(TakeScreenshot().CountDifferences(before), 0u) << "nothing is drawn while no one can see";
  EXPECT_TRUE(saver.Running()) << "the saver keeps running";

  c.light(window);
  EXPECT_TRUE(PollUntil([&] { return TakeScreenshot().CountDifferences(before) > 0; }, 3000))
      << "the distortion goes on once it can be seen again";
  PressKey(VK_SPACE);
  EXPECT_TRUE(PollUntil([&] { return !saver.Running(); }, kExitDeadline)) << "a key still ends it";
}

INSTANTIATE_TEST_SUITE_P(, SaverUnseenTest,
                         testing::Values(DarkCase{"DisplayOff", [](HWND w) { Display(w, zindle::kDisplayOff); },
                                                  [](HWND w) { Display(w, zindle::kDisplayOn); }},
                                         DarkCase{"SessionLocked", [](HWND w) { Session(w, zindle::kSessionLock); },
                                                  [](HWND w) { Session(w, zindle::kSessionUnlock); }}),
                         [](const auto& info) { return std::string(info.param.name); });

// Asleep in the dark with no timer, the saver still wakes for the messages
// that hiding its window from outside sends it.
class SaverUnseenHiddenTest : public SaverTest {};

TEST_F(SaverUnseenHiddenTest, AWindowHiddenFromOutsideWhileTheDisplayIsOffEndsTheSaverAtOnce) {
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  Display(window, zindle::kDisplayOff);
  PumpFor(300);  // asleep by now
  ASSERT_TRUE(saver.Running());
  const DWORD hidden = GetTickCount();
  ShowWindowAsync(window, SW_HIDE);  // not waiting for the saver to take it
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline)) << "the process ends";
  printf("[ MEASURE  ] hidden while the display is off -> process ended: %lu ms\n", GetTickCount() - hidden);
}

class SaverWallpaperTest : public SaverTest {
 protected:
  void TearDown() override {
    SaverTest::TearDown();
    for (const wchar_t* name : {L"Wallpaper", L"WallpaperStyle", L"TileWallpaper"}) DeleteRegistryValue(kDesktopKey, name);
  }
};

// A secure saver's desktop of its own captures as one flat colour: the
// backdrop here is black all over, while the user's desktop has a wallpaper.
TEST_F(SaverWallpaperTest, WhereTheCaptureIsFlatOverAWallpaperTheWallpaperIsZindled) {
  const int w = ScreenWidth(), h = ScreenHeight();
  Image wallpaper = KnownPicture(w / 2, h / 2);
  std::wstring path = ScratchDir() + L"\\wallpaper.bmp";
  wallpaper.SaveBmp(path);
  PutRegistryString(kDesktopKey, L"Wallpaper", path);
  PutRegistryString(kDesktopKey, L"WallpaperStyle", L"0");
  PutRegistryString(kDesktopKey, L"TileWallpaper", L"0");
  Backdrop backdrop(FilledPicture(w, h, Rgb(0, 0, 0)));
  PutSlowStart();
  COLORREF c = GetSysColor(COLOR_DESKTOP);
  Image expected = FilledPicture(w, h, Rgb(GetRValue(c), GetGValue(c), GetBValue(c)));
  const int left = (w - wallpaper.width) / 2, top = (h - wallpaper.height) / 2;
  for (int y = 0; y < wallpaper.height; ++y)
    for (int x = 0; x < wallpaper.width; ++x)
      expected.pixels[static_cast<size_t>(y + top) * w + x + left] = wallpaper.At(x, y);
  ASSERT_TRUE(StartSaver());
  EXPECT_TRUE(ScreenBecomes(expected, kStartDeadline))
      << "the wallpaper centred on the desktop's colour, as the desktop draws it";
  Image shown = TakeScreenshot();
  if (shown.CountDifferences(expected)) KeepArtefact(shown, L"wallpaper-instead");
}

}  // namespace
}  // namespace e2e::saver
