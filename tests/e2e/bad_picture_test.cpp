// Picture files that once took the program down (made by bad_pictures.py
// into the folder ZINDLE_PICTURES): whatever the file, each mode comes up
// promptly and its memory stays within a few screen bitmaps. The saver and
// the preview fall back to the desktop, the dialog shows no preview; a
// metafile with a huge frame shows its middle at the size it shows.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "dialog_driver.h"
#include "saver_scenario.h"

namespace e2e::saver {
namespace {

// Launch to the window or first drawing. Once 5 to 50 seconds.
constexpr DWORD kPrompt = 4000;
// A preview ends this soon after its window is hidden.
constexpr DWORD kPromptEnd = 2000;

struct BadPicture {
  const char* name;
  const wchar_t* file;
  bool drawn;  // a metafile is drawn at its size, not refused
};

void PrintTo(const BadPicture& c, std::ostream* out) { *out << c.name; }

const BadPicture kBadPictures[] = {
    {"png_24000_square", L"huge.png", false},
    {"png_12000_square", L"large.png", false},
    {"emf_with_an_8_m_frame", L"frame-8m.emf", true},
    {"bitmap_claiming_30000_square_in_1_KB", L"lying.bmp", false},
};

std::wstring PictureFolder() {
  wchar_t folder[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"ZINDLE_PICTURES", folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

double PeakMemory(const Process& process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.Id());
  bool read = handle && GetProcessMemoryInfo(handle, &counters, sizeof(counters));
  if (handle) CloseHandle(handle);
  return read ? static_cast<double>(counters.PeakWorkingSetSize) : -1;
}

// What the saver holds with the desktop and no picture file, measured once in
// this run: Wine and the program (and, for a 32-bit program here, the
// emulator that runs Wine's 32-bit side) with 2 to 3 screen bitmaps.
double DesktopSaverPeak() {
  static double peak = [] {
    settings::Put(L"Picture", L"0");
    Image desktop = KnownPicture(ScreenWidth(), ScreenHeight());
    Backdrop backdrop(desktop);
    Process saver = StartScr(L"/s");
    double measured = -1;
    HWND window = saver ? WaitForWindow(kCaption, kPrompt, saver.Id()) : nullptr;
    // Its start-up done and the first passes drawn.
    if (window && PollUntil([&] { return TakeScreenshot().CountDifferences(desktop) > 0; }, kPrompt)) {
      measured = PeakMemory(saver);
      PostMessageW(window, WM_CLOSE, 0, 0);  // ends as from a key: the system put back
      saver.WaitForExit(kPrompt);
    }
    settings::Put(L"Picture", L"1");
    printf("[ MEASURE  ] the saver with the desktop: peak working set %.1f MiB\n", measured / 1048576);
    return measured;
  }();
  return peak;
}

// Launch to the properties dialog with no picture file, measured once in this
// run: a refused picture may not make the dialog much slower than that,
// however loaded the machine.
DWORD PlainDialogLaunch() {
  static DWORD launch = [] {
    settings::Put(L"Picture", L"0");
    DWORD start = GetTickCount();
    DWORD measured = 0;
    {
      dialog::PropertiesDialog properties;
      if (properties) measured = GetTickCount() - start;
    }
    settings::Put(L"Picture", L"1");
    printf("[ MEASURE  ] launch to the dialog with no picture: %lu ms\n", measured);
    return measured;
  }();
  return launch;
}

// The most a process may have held: what the saver holds with the desktop
// and a few screen bitmaps more. The files once took gigabytes.
double MemoryBound() { return DesktopSaverPeak() + 3.0 * 4 * ScreenWidth() * ScreenHeight(); }

void ExpectBoundedMemory(const Process& process, const char* mode) {
  double peak = PeakMemory(process);
  printf("[ MEASURE  ] %s: peak working set %.1f MiB\n", mode, peak / 1048576);
  EXPECT_GT(peak, 0) << "the process's memory can be read";
  ASSERT_GT(DesktopSaverPeak(), 0) << "the saver's memory with the desktop can be read";
  EXPECT_LT(peak, MemoryBound()) << mode << ": memory stays within a few screen bitmaps";
}

class BadPictureTest : public SaverTest, public testing::WithParamInterface<BadPicture> {
 protected:
  void SetUp() override {
    SaverTest::SetUp();
    std::wstring folder = PictureFolder();
    ASSERT_FALSE(folder.empty()) << "ZINDLE_PICTURES names the folder bad_pictures.py wrote";
    path_ = folder + L"\\" + GetParam().file;
    ASSERT_NE(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES) << "the picture file is there";
    DesktopSaverPeak();  // before any saver of the scenario runs
    settings::Put(L"Picture", L"1");
    settings::Put(L"PictureName", path_);
  }
  std::wstring path_;
};

// The metafile as the saver centres it: blue, with a red square of 10 cm,
// 378 pixels at 96 per inch, in the middle of the screen.
bool ShowsTheMetafilesMiddle(const Image& screen) {
  const uint32_t blue = Rgb(40, 40, 200), red = Rgb(200, 40, 40);
  int x = screen.width / 2, y = screen.height / 2;
  return screen.At(x, y) == red && screen.At(x - 180, y - 180) == red && screen.At(x + 180, y + 180) == red &&
         screen.At(x - 200, y) == blue && screen.At(x + 200, y) == blue && screen.At(0, 0) == blue &&
         screen.At(screen.width - 1, screen.height - 1) == blue;
}

TEST_P(BadPictureTest, TheSaverComesUpPromptlyWithTheDesktopOrTheMetafilesMiddle) {
  Image desktop = KnownPicture(ScreenWidth(), ScreenHeight());
  Backdrop backdrop(desktop);
  PutSlowStart();
  DWORD start = GetTickCount();
  saver = StartScr(L"/s");
  window = WaitForWindow(kCaption, kPrompt, saver.Id());
  ASSERT_TRUE(window) << "the saver's window shows within " << kPrompt << " ms";
  printf("[ MEASURE  ] launch to the saver's window: %lu ms\n", GetTickCount() - start);
  Image screen;
  bool shown = PollUntil([&] {
    screen = TakeScreenshot();
    return GetParam().drawn ? ShowsTheMetafilesMiddle(screen) : screen.CountDifferences(desktop) == 0;
  }, kPrompt);
  if (!shown) KeepArtefact(screen, L"bad-picture-saver");
  EXPECT_TRUE(shown) << (GetParam().drawn ? "the metafile's middle at its size" : "the desktop instead");
  EXPECT_TRUE(CoversTheScreen());
  ExpectBoundedMemory(saver, "saver");
}

TEST_P(BadPictureTest, TheDialogOpensPromptlyWithoutAPreviewOfARefusedPicture) {
  dialog::PrepareWine();
  const DWORD plain = PlainDialogLaunch();
  ASSERT_GT(plain, 0u) << "the dialog opens with no picture";
  DWORD start = GetTickCount();
  dialog::PropertiesDialog properties;
  ASSERT_TRUE(properties) << "\"Zindle! Properties\" opens";
  DWORD opened = GetTickCount() - start;
  printf("[ MEASURE  ] launch to the dialog: %lu ms\n", opened);
  EXPECT_LT(opened, 2 * plain + 1000) << "the dialog opens about as promptly as with no picture";
  properties.ChooseTab(4);
  EXPECT_TRUE(properties.Checked(zindle::dialog::kChkPicture)) << "the user can switch the picture off";
  if (!GetParam().drawn) {
    POINT centre = dialog::CentreOf(properties.Control(zindle::dialog::kImgPreview));
    uint32_t face = GetSysColor(COLOR_BTNFACE);
    uint32_t expected = Rgb(GetRValue(face), GetGValue(face), GetBValue(face));
    EXPECT_TRUE(properties.Until([&] { return TakeScreenshot().At(centre.x, centre.y) == expected; }))
        << "no preview";
  }
  ExpectBoundedMemory(properties.process(), "dialog");
}

TEST_P(BadPictureTest, ThePreviewDrawsPromptlyAndEndsWhenHidden) {
  Backdrop backdrop(KnownPicture(ScreenWidth(), ScreenHeight()));
  HWND host = CreatePreviewArea(300, 200, 152, 112);
  ASSERT_TRUE(PollUntil([&] { return TakeScreenshot(host).At(76, 56) == kPreviewAreaColour; }, 2000));
  Process preview = StartScr(L"/p " + std::to_wstring(reinterpret_cast<uintptr_t>(host)));
  bool drawn = PollUntil([&] { return DrawnOver(host); }, kPrompt);
  EXPECT_TRUE(drawn) << "the miniature is drawn promptly";
  ExpectBoundedMemory(preview, "preview");
  ShowWindow(host, SW_HIDE);
  EXPECT_TRUE(preview.WaitForExit(kPromptEnd)) << "it ends promptly once hidden";
  DestroyWindow(host);
}

INSTANTIATE_TEST_SUITE_P(Files, BadPictureTest, testing::ValuesIn(kBadPictures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e::saver
