// The saver's start-up: the desktop as it looked, mirrored and colour-treated,
// or the user's picture centred on black.
#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <cstring>

#include "saver_scenario.h"

namespace e2e::saver {
namespace {

std::wstring Wide(const char* s) { return std::wstring(s, s + strlen(s)); }

struct CaptureCase {
  const char* name;
  const wchar_t* invert;  // the colour mode
  int flip;
};

class SaverCaptureTest : public SaverTest, public testing::WithParamInterface<CaptureCase> {};

TEST_P(SaverCaptureTest, TheScreenShowsTheDesktopMirroredAndTreated) {
  const CaptureCase& c = GetParam();
  Image desktop = KnownPicture(ScreenWidth(), ScreenHeight());
  Backdrop backdrop(desktop);
  PutSlowStart();
  settings::Put(L"Invert", c.invert);
  settings::Put(L"FlipHoriz", c.flip & 1 ? L"1" : L"0");
  settings::Put(L"FlipVert", c.flip & 2 ? L"1" : L"0");
  ASSERT_TRUE(StartSaver());
  Image expected = Mirrored(desktop, c.flip);
  if (std::wstring(c.invert) == L"1") expected = Inverse(expected);
  bool shown = ScreenBecomes(expected, kStartDeadline);
  if (!shown) KeepArtefact(TakeScreenshot(), std::wstring(L"capture-") + Wide(c.name));
  EXPECT_TRUE(shown) << "the screen shows the desktop " << c.name;
  EXPECT_TRUE(CoversTheScreen()) << "what is seen is the saver's window";
}

INSTANTIATE_TEST_SUITE_P(Modes, SaverCaptureTest,
                         testing::Values(CaptureCase{"unchanged", L"0", 0},
                                         CaptureCase{"mirrored_left_to_right", L"0", 1},
                                         CaptureCase{"mirrored_top_to_bottom", L"0", 2},
                                         CaptureCase{"mirrored_both_ways", L"0", 3},
                                         CaptureCase{"inverted", L"1", 0},
                                         CaptureCase{"inverted_and_mirrored_both_ways", L"1", 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverTest, RandomColoursShowTheDesktopOrItsInverse) {
  Image desktop = KnownPicture(ScreenWidth(), ScreenHeight());
  Backdrop backdrop(desktop);
  Image inverse = Inverse(desktop);
  PutSlowStart();
  settings::Put(L"Invert", L"2");
  ASSERT_TRUE(StartSaver());
  EXPECT_TRUE(PollUntil([&] {
    Image screen = TakeScreenshot();
    return screen.CountDifferences(desktop) == 0 || screen.CountDifferences(inverse) == 0;
  }, kStartDeadline)) << "one or the other, whole";
}

struct IntelligentCase {
  const char* name;
  uint32_t colour;
  const wchar_t* threshold;
  bool inverts;
};

class SaverIntelligentTest : public SaverTest, public testing::WithParamInterface<IntelligentCase> {};

TEST_P(SaverIntelligentTest, BrightScreensTurnDarkAndDarkOnesStay) {
  const IntelligentCase& c = GetParam();
  Image desktop = FilledPicture(ScreenWidth(), ScreenHeight(), c.colour);
  Backdrop backdrop(desktop);
  PutSlowStart();
  settings::Put(L"Invert", L"3");
  settings::Put(L"Threshold", c.threshold);
  ASSERT_TRUE(StartSaver());
  Image expected = c.inverts ? Inverse(desktop) : desktop;
  // The window is up before the analysis is written; wait for the picture.
  EXPECT_TRUE(ScreenBecomes(expected, kStartDeadline)) << c.name << (c.inverts ? " is inverted" : " is kept");
}

INSTANTIATE_TEST_SUITE_P(Screens, SaverIntelligentTest,
                         testing::Values(IntelligentCase{"white_at_average", Rgb(255, 255, 255), L"2", true},
                                         IntelligentCase{"white_at_maximum", Rgb(255, 255, 255), L"4", true},
                                         IntelligentCase{"black_at_average", Rgb(0, 0, 0), L"2", false},
                                         IntelligentCase{"black_at_minimum", Rgb(0, 0, 0), L"0", false},
                                         IntelligentCase{"blue_200_at_maximum", Rgb(0, 0, 200), L"4", false},
                                         IntelligentCase{"blue_200_at_average", Rgb(0, 0, 200), L"2", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverTest, IntelligentStartRecordsCountAndHalfInDebug) {
  Image white = FilledPicture(ScreenWidth(), ScreenHeight(), Rgb(255, 255, 255));
  Backdrop backdrop(white);
  settings::Put(L"Invert", L"3");
  ASSERT_TRUE(StartSaver());
  // 5 x Level 2 = 10 pixels apart from (1, 1): every sample is brighter.
  long columns = (ScreenWidth() - 1) / 10 + 1, rows = (ScreenHeight() - 1) / 10 + 1;
  double half = ScreenWidth() / 10.0 * ScreenHeight() / 10.0 / 2;
  std::wstring expected = std::to_wstring(columns * rows) + L"/" + std::to_wstring(std::lround(half));
  if (ScreenWidth() == 800 && ScreenHeight() == 600) {
    EXPECT_EQ(expected, L"4800/2400");
  }
  EXPECT_TRUE(PollUntil([&] { return settings::Get(L"Debug") == expected; }, kStartDeadline))
      << "Debug holds " << expected;
}

TEST_F(SaverTest, AColourModeBeyondTheOptionsIsNormalAndWritesNothing) {
  Image white = FilledPicture(ScreenWidth(), ScreenHeight(), Rgb(255, 255, 255));
  Backdrop backdrop(white);
  PutSlowStart();
  settings::Put(L"Invert", L"7");
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  EXPECT_TRUE(ScreenBecomes(white, kStartDeadline)) << "kept, not inverted by an analysis";
  EXPECT_FALSE(settings::Get(L"Debug")) << "no analysis record";
}

TEST_F(SaverTest, AnEmptyDebugValueIsLeftEmpty) {
  Backdrop backdrop(FilledPicture(ScreenWidth(), ScreenHeight(), Rgb(255, 255, 255)));
  settings::Put(L"Invert", L"3");
  settings::Put(L"Debug", L"");
  PutSlowStart();
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(ScreenBecomes(FilledPicture(ScreenWidth(), ScreenHeight(), 0), kStartDeadline))
      << "the analysis ran and inverted";
  EXPECT_EQ(settings::Get(L"Debug"), L"");
}

// Picture files written by the test through the system's imaging library.
class Imaging {
 public:
  Imaging() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  ~Imaging() { Gdiplus::GdiplusShutdown(token_); }

  static bool Save(const Image& picture, const std::wstring& path, const wchar_t* mime) {
    Gdiplus::Bitmap bitmap(picture.width, picture.height, picture.width * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(const_cast<uint32_t*>(picture.pixels.data())));
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
      if (std::wstring(encoders[i].MimeType) == mime)
        return bitmap.Save(path.c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
    return false;
  }

 private:
  ULONG_PTR token_ = 0;
};

// A 24-bit bottom-up bitmap file, the commonest kind, written by hand.
void SaveBmp24(const Image& picture, const std::wstring& path) {
  int stride = (picture.width * 3 + 3) & ~3;
  std::vector<BYTE> rows(static_cast<size_t>(stride) * picture.height);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      uint32_t p = picture.At(x, picture.height - 1 - y);
      BYTE* out = &rows[static_cast<size_t>(y) * stride + x * 3];
      out[0] = p & 255, out[1] = (p >> 8) & 255, out[2] = (p >> 16) & 255;
    }
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = picture.width;
  info.biHeight = picture.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  ASSERT_TRUE(out);
  fwrite(&file, sizeof(file), 1, out);
  fwrite(&info, sizeof(info), 1, out);
  fwrite(rows.data(), 1, rows.size(), out);
  fclose(out);
}

// A picture of four flat quarters, so that a lossy file keeps its colours
// away from the edges between them.
Image Quarters(int width, int height) {
  Image picture = FilledPicture(width, height, 0);
  const uint32_t colours[4] = {Rgb(230, 40, 40), Rgb(40, 200, 60), Rgb(50, 60, 220), Rgb(240, 220, 60)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.pixels[static_cast<size_t>(y) * width + x] = colours[(x >= width / 2) + 2 * (y >= height / 2)];
  return picture;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > tolerance)
      return false;
  return true;
}

// How many pixels of the screen disagree with the picture centred on black,
// looking only at points a margin away from every edge of a colour.
size_t CentredMismatches(const Image& screen, const Image& picture, int left, int top, int tolerance,
                         int margin) {
  size_t wrong = 0;
  const int step = margin ? 3 : 1;  // every pixel of a lossless file
  for (int y = margin; y < screen.height - margin; y += step)
    for (int x = margin; x < screen.width - margin; x += step) {
      int px = x - left, py = y - top;
      bool inside = px >= 0 && py >= 0 && px < picture.width && py < picture.height;
      bool nearEdge = std::abs(px) < margin || std::abs(py) < margin ||
                      std::abs(px - picture.width) < margin || std::abs(py - picture.height) < margin ||
                      std::abs(px - picture.width / 2) < margin || std::abs(py - picture.height / 2) < margin;
      if (nearEdge) continue;
      uint32_t expected = inside ? picture.At(px, py) : 0;
      if (!Near(screen.At(x, y), expected, tolerance)) ++wrong;
    }
  return wrong;
}

struct PictureCase {
  const char* name;
  const wchar_t* file;
  const wchar_t* mime;  // null: a bitmap written by hand
  int tolerance;
  int margin;  // a lossy file blurs colours within its 16-pixel blocks
  int width, height;
};

class SaverPictureTest : public SaverTest, public testing::WithParamInterface<PictureCase> {};

TEST_P(SaverPictureTest, ThePictureIsShownCentredOnBlack) {
  const PictureCase& c = GetParam();
  Imaging imaging;
  Image picture = Quarters(c.width, c.height);
  std::wstring path = ScratchDir() + L"\\" + c.file;
  if (c.mime)
    ASSERT_TRUE(Imaging::Save(picture, path, c.mime)) << "the test writes its " << c.name;
  else
    SaveBmp24(picture, path);
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  PutSlowStart();
  settings::Put(L"Picture", L"1");
  settings::Put(L"PictureName", path);
  settings::Put(L"Invert", L"1");  // ignored in picture mode
  settings::Put(L"FlipHoriz", L"1");
  ASSERT_TRUE(StartSaver());
  // Halves to even, as nearbyint rounds by default.
  int left = static_cast<int>(std::nearbyint((ScreenWidth() - c.width) / 2.0));
  int top = static_cast<int>(std::nearbyint((ScreenHeight() - c.height) / 2.0));
  Image screen;
  bool shown = PollUntil([&] {
    screen = TakeScreenshot();
    return CentredMismatches(screen, picture, left, top, c.tolerance, c.margin) == 0;
  }, kStartDeadline);
  if (!shown) KeepArtefact(screen, std::wstring(L"picture-") + c.file);
  EXPECT_TRUE(shown) << "the " << c.name << " stands in the middle of a black screen, unmirrored";
}

INSTANTIATE_TEST_SUITE_P(Files, SaverPictureTest,
                         // 303 x 201 on 800 x 600: the offsets 248.5 and 199.5 go to
                         // 248 and 200; 1001 x 803 is larger than the screen: -100.5
                         // and -101.5 go to -100 and -102, and its edges are cut off.
                         testing::Values(PictureCase{"bitmap", L"quarters.bmp", nullptr, 0, 0, 303, 201},
                                         PictureCase{"JPEG", L"quarters.jpg", L"image/jpeg", 24, 17, 303, 201},
                                         PictureCase{"PNG", L"quarters.png", L"image/png", 0, 0, 303, 201},
                                         PictureCase{"larger_PNG", L"large.png", L"image/png", 0, 0, 1001, 803}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverTest, APictureThatCannotBeShownLeavesTheDesktopToDistort) {
  std::wstring broken = ScratchDir() + L"\\broken.jpg";
  FILE* out = _wfopen(broken.c_str(), L"wb");
  ASSERT_TRUE(out);
  fputs("not a picture at all", out);
  fclose(out);
  for (const std::wstring& name : {ScratchDir() + L"\\missing.bmp", broken, std::wstring()}) {
    SCOPED_TRACE(testing::Message() << "picture file \"" << std::string(name.begin(), name.end()) << "\"");
    Image desktop = KnownPicture(ScreenWidth(), ScreenHeight());
    Backdrop backdrop(desktop);
    PutSlowStart();
    settings::Put(L"Picture", L"1");
    settings::Put(L"PictureName", name);
    ASSERT_TRUE(StartSaver());
    EXPECT_TRUE(ScreenBecomes(desktop, kStartDeadline)) << "the desktop is shown instead";
    EXPECT_TRUE(CoversTheScreen());
    EXPECT_TRUE(saver.Running()) << "the saver did not crash";
    saver.Kill();
  }
}

}  // namespace
}  // namespace e2e::saver
