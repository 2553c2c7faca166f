// The registry store and the engine on real GDI surfaces, linked in.
#include <gtest/gtest.h>

#include "core/handles_win32.h"
#include "harness.h"
#include "saver/gdi_engine_win32.h"
#include "settings/registry_store_win32.h"

namespace {

using namespace e2e;

class RegistryStoreTest : public testing::Test {
 protected:
  void SetUp() override { settings::ClearAll(); }
  void TearDown() override { settings::ClearAll(); }
  zindle::RegistrySettingsStore store;
};

TEST_F(RegistryStoreTest, SavedTextIsStoredAsAStringValueWhereEarlierReleasesKeptIt) {
  ASSERT_TRUE(store.Save("Korvane", "Zindle!", "Horizontal", "7"));
  EXPECT_EQ(settings::Get(L"Korvane", L"Zindle!", L"Horizontal"), L"7");
  EXPECT_EQ(store.Read("Korvane", "Zindle!", "Horizontal"), "7");
  ASSERT_TRUE(store.Save("Korvane", "Zindle!", "Horizontal", "10"));
  EXPECT_EQ(store.Read("Korvane", "Zindle!", "Horizontal"), "10") << "a save replaces the value";
}

TEST_F(RegistryStoreTest, AbsentApplicationSectionOrKeyReadsAsNothing) {
  EXPECT_FALSE(store.Read("Korvane", "Zindle!", "Vertical"));
  settings::Put(L"Korvane", L"Zindle!", L"Other", L"1");
  EXPECT_FALSE(store.Read("Korvane", "Zindle!", "Vertical"));
  EXPECT_FALSE(store.Read("Korvane", "Elsewhere", "Other"));
}

TEST_F(RegistryStoreTest, TextsKeepEveryCharacterIncludingNonAsciiPaths) {
  std::string path = "C:\\Bilder\\Gr\xc3\xbc\xc3\x9f""e\\see.jpg";
  ASSERT_TRUE(store.Save("Korvane", "Zindle!", "PictureName", path));
  EXPECT_EQ(store.Read("Korvane", "Zindle!", "PictureName"), path);
  ASSERT_TRUE(store.Save("Korvane", "Zindle!", "PictureName", ""));
  EXPECT_EQ(store.Read("Korvane", "Zindle!", "PictureName"), "") << "an empty text is a stored value";
}

// Set by hand, as REG_DWORD values of any size: read as the password
// setting is read, from the first four bytes.
TEST_F(RegistryStoreTest, ANumberSetByHandIsReadFromItsFirstFourBytesWhateverItsSize) {
  const std::wstring section = L"Software\\VB and VBA Program Settings\\Korvane\\Zindle!";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, section.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const BYTE wide[8] = {7, 0, 0, 0, 9, 9, 9, 9}, shorter[2] = {5, 1}, negative[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  RegSetValueExW(key, L"Horizontal", 0, REG_DWORD, wide, sizeof(wide));
  RegSetValueExW(key, L"Vertical", 0, REG_DWORD, shorter, sizeof(shorter));
  RegSetValueExW(key, L"Slow", 0, REG_DWORD, negative, sizeof(negative));
  RegCloseKey(key);
  EXPECT_EQ(store.Read("Korvane", "Zindle!", "Horizontal"), "7") << "eight bytes";
  EXPECT_EQ(store.Read("Korvane", "Zindle!", "Vertical"), "261") << "two bytes";
  EXPECT_EQ(store.Read("Korvane", "Zindle!", "Slow"), "-1") << "four bytes, signed";
}

TEST_F(RegistryStoreTest, DeleteRemovesOneSectionAndAnAbsentOneIsHarmless) {
  settings::Put(L"Zindle!", L"Colours", L"A", L"1");
  settings::Put(L"Zindle!", L"Factor", L"B", L"2");
  store.Delete("Zindle!", "Colours");
  EXPECT_FALSE(settings::SectionExists(L"Zindle!", L"Colours"));
  EXPECT_TRUE(settings::SectionExists(L"Zindle!", L"Factor"));
  store.Delete("Zindle!", "Colours");
  store.Delete("Nobody", "Nothing");
  EXPECT_TRUE(settings::SectionExists(L"Zindle!", L"Factor"));
}

// A window of the test showing a known picture; the engine works on its DC.
class EngineOnWindowTest : public testing::Test {
 protected:
  static constexpr int kWidth = 200, kHeight = 150;
  void SetUp() override {
    window_ = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"engine", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                              kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window_);
    ASSERT_TRUE(PaintOwnWindows()) << "its own painting done before the picture is drawn on it";
    picture_ = KnownPicture(kWidth, kHeight);
    zindle::WindowDC dc(window_);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(dc.get(), 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, picture_.pixels.data(), &info,
                      DIB_RGB_COLORS);
    ASSERT_TRUE(PollUntil([&] { return TakeScreenshot(window_).CountDifferences(picture_) == 0; }, 2000));
  }
  void TearDown() override { DestroyWindow(window_); }

  // Runs the engine on the window for a number of passes.
  void Run(int16_t horizontal, int16_t vertical, int passes) {
    zindle::SaverState& state = zindle::Saver();
    state.ImageWidth = kWidth;
    state.ImageHeight = kHeight;
    state.Horizontal = horizontal;
    state.Vertical = vertical;
    state.Slow = 0;
    struct CountedPasses : zindle::GdiEnginePlatform {
      using GdiEnginePlatform::GdiEnginePlatform;
      int left = 0;
      bool WindowVisible() override { return --left > 0; }
    } platform(window_);
    platform.left = passes;
    zindle::WindowDC dc(window_);
    zindle::DcSurface surface(dc.get());
    zindle::ZindleLoop(surface, surface, platform, nullptr, state, zindle::ProgramRandom());
  }

  HWND window_ = nullptr;
  Image picture_;
};

TEST_F(EngineOnWindowTest, DisplacedBlocksChangeTheWindowsPixels) {
  Run(4, 4, 300);
  // The window shows what was drawn once its messages are handled.
  EXPECT_TRUE(PollUntil(
      [&] { return TakeScreenshot(window_).CountDifferences(picture_) > static_cast<size_t>(kWidth * kHeight / 20); },
      2000))
      << "the picture drifts apart";
}

TEST_F(EngineOnWindowTest, ZeroAmplitudesOnOneSurfaceNeverChangeIt) {
  Run(0, 0, 300);
  PumpFor(0);  // one look at the queue that finds it empty hands what was drawn to the display
  EXPECT_EQ(TakeScreenshot(window_).CountDifferences(picture_), 0u);
}

}  // namespace
