// What the user sees of the run: nothing but the desktop's own colours, and a
// desktop that is still plainly itself a few seconds in.
#include <cstring>

#include "bench/look/recognisable.h"
#include "saver_scenario.h"

namespace e2e::saver {
namespace {

struct ColourCase {
  const char* name;
  bool twoColours;
  const wchar_t* amplitude;
};

class SaverColoursTest : public SaverTest, public testing::WithParamInterface<ColourCase> {};

// Blocks shifted past an edge once brought in pixels from beyond the
// picture: black flooded in from the bottom. With the blocks left unclipped,
// every case here shows such pixels within three seconds (66 and more).
TEST_P(SaverColoursTest, AfterThreeSecondsOnlyTheDesktopsOwnColoursShow) {
  const ColourCase& c = GetParam();
  Image desktop = c.twoColours ? TwoColours(ScreenWidth(), ScreenHeight())
                               : FilledPicture(ScreenWidth(), ScreenHeight(), Rgb(0, 0, 200));
  Backdrop backdrop(desktop);
  settings::Put(L"Horizontal", c.amplitude);
  settings::Put(L"Vertical", c.amplitude);
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  PumpFor(3000);  // the run itself is what is looked at
  Image screen = TakeScreenshot();
  size_t foreign = ForeignPixels(screen, desktop);
  if (foreign) KeepArtefact(screen, std::wstring(L"foreign-colours-") + std::wstring(c.name, c.name + strlen(c.name)));
  EXPECT_EQ(foreign, 0u) << "pixels of a colour the desktop did not have";
  if (c.twoColours) {
    EXPECT_GT(screen.CountDifferences(desktop), 0u) << "the squares drift";
  }
}

INSTANTIATE_TEST_SUITE_P(Desktops, SaverColoursTest,
                         testing::Values(ColourCase{"uniform_defaults", false, L"1"},
                                         ColourCase{"uniform_amplitudes_10", false, L"10"},
                                         ColourCase{"two_colours_defaults", true, L"1"},
                                         ColourCase{"two_colours_amplitudes_10", true, L"10"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A photo desktop with windows and text (bench/look/make-desktop.sh), read
// from the bitmap file that ZINDLE_LOOK_DESKTOP names.
Image LookDesktop() {
  wchar_t path[MAX_PATH];
  if (!GetEnvironmentVariableW(L"ZINDLE_LOOK_DESKTOP", path, MAX_PATH)) return {};
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!bitmap) return {};
  BITMAP info{};
  GetObjectW(bitmap, sizeof(info), &info);
  Image image = FilledPicture(info.bmWidth, info.bmHeight, 0);
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, info.bmHeight, image.pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(bitmap);
  for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
  return image;
}

// The distortion at its pace: the look tool shows 76 to 85 % of the 16 x 16
// squares of this desktop still recognisable two seconds in at 800 x 600,
// and 39 % for a pace eighty times faster. A slower machine only keeps more.
TEST_F(SaverTest, TwoSecondsInMostOfTheDesktopIsStillWhereItWas) {
  Image desktop = LookDesktop();
  ASSERT_EQ(desktop.width, ScreenWidth()) << "ZINDLE_LOOK_DESKTOP names a desktop picture of the screen's size";
  ASSERT_EQ(desktop.height, ScreenHeight());
  Backdrop backdrop(desktop);
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  PumpFor(2000);  // the look is judged two seconds into the run
  Image screen = TakeScreenshot();
  double share = look::RecognisableShare(screen.pixels.data(), desktop.pixels.data(), screen.width, screen.height, 16);
  KeepArtefact(screen, L"look-after-two-seconds");
  printf("[ measure  ] recognisable after two seconds: %.1f %%\n", 100 * share);
  EXPECT_GE(share, 0.6) << "most of the desktop is still where it was";
  EXPECT_LT(share, 1.0) << "and it has begun to drift";
}

}  // namespace
}  // namespace e2e::saver
