// The saver's Windows layers in this process: the registry reader on the
// real registry, the system's screen-saver switches (which the system keeps
// per process here), and the analysis over a DIB section against GetPixel.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "core/handles_win32.h"
#include "harness.h"
#include "saver/colour_analysis.h"
#include "saver/screen_saver_system_win32.h"
#include "settings/registry_reader_win32.h"

namespace {

using namespace e2e;
using zindle::RegistryValue;

constexpr wchar_t kKey[] = L"Software\\ZindleTest\\Reader";

class RegistryReaderTest : public testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
  static RegistryValue Read(const char* name) {
    return zindle::ReadRegistryValue(HKEY_CURRENT_USER, "Software\\ZindleTest\\Reader", name);
  }
};

TEST_F(RegistryReaderTest, NumbersAndTextsAreReadAndEverythingElseIsEmpty) {
  PutRegistryDword(kKey, L"number", 1);
  PutRegistryString(kKey, L"text", L"1");
  PutRegistryString(kKey, L"empty text", L"");
  BYTE bytes[3] = {1, 2, 3};
  RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"binary", REG_BINARY, bytes, sizeof(bytes));
  EXPECT_EQ(Read("number"), RegistryValue(int32_t{1}));
  EXPECT_EQ(Read("text"), RegistryValue(std::string("1")));
  EXPECT_EQ(Read("empty text"), RegistryValue(std::string()));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(Read("binary"))) << "binary data gives empty";
  EXPECT_TRUE(std::holds_alternative<std::monostate>(Read("missing"))) << "a missing value gives empty";
  EXPECT_TRUE(std::holds_alternative<std::monostate>(
      zindle::ReadRegistryValue(HKEY_CURRENT_USER, "Software\\ZindleTest\\Nowhere", "number")))
      << "a missing key gives empty";
}

TEST_F(RegistryReaderTest, TheTypedQueryTellsTheUnsupportedType) {
  BYTE bytes[2] = {1, 2};
  RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"binary", REG_BINARY, bytes, sizeof(bytes));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  RegistryValue value;
  EXPECT_EQ(zindle::QueryTypedValue(key, "binary", value), zindle::kUnsupportedType);
  EXPECT_EQ(zindle::QueryTypedValue(key, "missing", value), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST(ScreenSaverSwitches, TheActivationIsPutBackAsItWasBeforeTheRun) {
  zindle::SystemParametersScreenSaver system;
  bool original = system.ScreenSaveActive();
  for (bool before : {false, true}) {
    system.SetScreenSaveActive(before);
    ASSERT_EQ(system.ScreenSaveActive(), before);
    zindle::SystemSaverSession session;
    session.Start(system, true);
    EXPECT_FALSE(system.ScreenSaveActive()) << "off during the run";
    session.Finish(system, true);
    EXPECT_EQ(system.ScreenSaveActive(), before) << "as it was before the run";
  }
  system.SetScreenSaveActive(original);
}

// Reads each sample through the device context, as GetPixel does.
class GetPixelReader : public zindle::PixelReader {
 public:
  explicit GetPixelReader(HDC dc) : dc_(dc) {}
  int32_t PackedPixel(int32_t x, int32_t y) const override { return static_cast<int32_t>(GetPixel(dc_, x, y)); }

 private:
  HDC dc_;
};

// A 3840 x 2160 capture with bright and dark patches, one pixel wider and
// taller as the saver keeps it.
zindle::MemoryBitmap PatchyPicture(int width, int height) {
  zindle::MemoryBitmap picture = zindle::MemoryBitmap::Dib(width + 1, height + 1);
  Image pattern = KnownPicture(width + 1, height + 1);
  for (size_t i = 0; i < pattern.pixels.size(); ++i) picture.bits()[i] = pattern.pixels[i];
  return picture;
}

TEST(ColourAnalysisOnDib, ReadingTheDibInMemoryGivesWhatGetPixelGives) {
  for (int16_t threshold = 0; threshold <= 4; ++threshold) {
    zindle::MemoryBitmap picture = PatchyPicture(800, 600);
    ASSERT_TRUE(picture && picture.bits());
    zindle::DibPixelReader memory(picture.bits(), picture.width(), picture.height());
    GetPixelReader system(picture.dc());
    zindle::ColourAnalysis a = zindle::AnalyseColours(memory, 800, 600, 1, threshold);
    zindle::ColourAnalysis b = zindle::AnalyseColours(system, 800, 600, 1, threshold);
    EXPECT_EQ(zindle::DebugText(a), zindle::DebugText(b)) << "threshold row " << threshold;
    EXPECT_GT(a.count, 0);
  }
}

TEST(ColourAnalysisOnDib, LevelOneOnAFourKScreenIsFast) {
  zindle::MemoryBitmap picture = PatchyPicture(3840, 2160);
  ASSERT_TRUE(picture && picture.bits());
  zindle::DibPixelReader memory(picture.bits(), picture.width(), picture.height());
  auto start = std::chrono::steady_clock::now();
  zindle::ColourAnalysis a = zindle::AnalyseColours(memory, 3840, 2160, 1, 2);
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  printf("[ measure  ] analysis at level 1 on 3840 x 2160: %.2f ms for %s\n", ms, zindle::DebugText(a).c_str());
  EXPECT_EQ(a.half, 165888);
  EXPECT_LT(ms, 200.0) << "331,776 samples read from memory";
  // For the record: the same samples through one GetPixel call each.
  GetPixelReader system(picture.dc());
  start = std::chrono::steady_clock::now();
  zindle::ColourAnalysis b = zindle::AnalyseColours(system, 3840, 2160, 1, 2);
  ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  printf("[ measure  ] the same through GetPixel: %.2f ms\n", ms);
  EXPECT_EQ(zindle::DebugText(b), zindle::DebugText(a));
}

}  // namespace
