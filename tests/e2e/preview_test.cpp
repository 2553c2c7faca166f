// The live miniature: the program draws into a window that the test hosts in
// place of Display Properties.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/handles_win32.h"
#include "harness.h"
#include "saver/gdi_engine_win32.h"

namespace {

using namespace e2e;

constexpr int kWidth = 152, kHeight = 112;
constexpr uint32_t kHostColour = Rgb(255, 0, 255);
constexpr DWORD kDeadline = 10000;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(window, &r);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
    DeleteObject(brush);
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window standing in for Display Properties with a 152 x 112
// preview area. Wine cannot let another process draw into a child window,
// so where the child stays blank the area is a pop-up owned by the top-level
// window, at the child's place.
class PreviewHost {
 public:
  // A 152 x 112 preview area, or one of another size as on a scaled display.
  explicit PreviewHost(bool child, int width = kWidth, int height = kHeight) {
    static ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = HostProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"ZindlePreviewHost";
      return RegisterClassW(&wc);
    }();
    (void)atom;
    top_ = CreateWindowExW(WS_EX_TOPMOST, L"ZindlePreviewHost", L"Display Properties",
                           WS_POPUP | WS_VISIBLE | WS_BORDER, kLeft - 20, kTop - 20, width + 40, height + 40,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (child)
      area_ = CreateWindowExW(0, L"ZindlePreviewHost", L"", WS_CHILD | WS_VISIBLE, 19, 19, width, height,
                              top_, nullptr, GetModuleHandleW(nullptr), nullptr);
    else
      area_ = CreateWindowExW(WS_EX_TOPMOST, L"ZindlePreviewHost", L"", WS_POPUP | WS_VISIBLE, kLeft, kTop,
                              width, height, top_, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowsItsColour(3000);
  }
  // Until the area shows its own colour all over, on the screen.
  bool ShowsItsColour(DWORD milliseconds) const {
    return PollUntil([&] {
      Image shot = Shot();
      for (uint32_t p : shot.pixels)
        if (p != kHostColour) return false;
      return !shot.pixels.empty();
    }, milliseconds);
  }
  ~PreviewHost() {
    DestroyWindow(area_);
    DestroyWindow(top_);
    PaintOwnWindows();  // the test's windows they covered painted again
  }
  HWND area() const { return area_; }
  // The host and its area resized, as a dialog scaled to another display.
  void Resize(int width, int height) {
    SetWindowPos(top_, nullptr, 0, 0, width + 40, height + 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(area_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  std::wstring Arguments(const wchar_t* separator = L" ") const {
    return L"/p" + std::wstring(separator) + std::to_wstring(reinterpret_cast<uintptr_t>(area_));
  }
  Image Shot() const { return TakeScreenshot(area_); }

  // Whether the program's drawing reaches a child window here.
  static bool ChildWindowsWork();

  static constexpr int kLeft = 400, kTop = 300;

 private:
  HWND top_ = nullptr;
  HWND area_ = nullptr;
};

size_t CountColour(const Image& image, uint32_t colour) {
  size_t n = 0;
  for (uint32_t p : image.pixels) n += p == colour;
  return n;
}

bool PreviewHost::ChildWindowsWork() {
  static int works = -1;
  if (works < 0) {
    PreviewHost host(true);
    Process process = StartScr(host.Arguments());
    works = PollUntil([&] { return CountColour(host.Shot(), kHostColour) < kWidth * kHeight / 2; }, 4000);
    if (!works)
      printf("[ NOTE     ] Wine cannot draw into another process's child window here: the preview is hosted "
             "in a 152 x 112 pop-up owned by the host window instead\n");
  }
  return works == 1;
}

// The top-left corner of a picture, as the miniature shows it.
Image Corner(const Image& picture, int width = kWidth, int height = kHeight) {
  Image corner{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) corner.pixels[static_cast<size_t>(y) * width + x] = picture.At(x, y);
  return corner;
}

// Pixels of the shot that are not the picture's pixel at or next to their place.
size_t FarFrom(const Image& shot, const Image& picture, int reach) {
  size_t distant = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      bool close = false;
      for (int dy = -reach; dy <= reach && !close; ++dy)
        for (int dx = -reach; dx <= reach && !close; ++dx) {
          int px = x + dx, py = y + dy;
          close = px >= 0 && py >= 0 && px < picture.width && py < picture.height && picture.At(px, py) == shot.At(x, y);
        }
      distant += !close;
    }
  return distant;
}

// The share of the shot's pixels whose colour is one of the picture's: the
// distortion only moves pixels around, so a miniature of that picture has
// no other colours.
double ShareFrom(const Image& shot, const Image& picture) {
  std::vector<uint32_t> colours = picture.pixels;
  std::sort(colours.begin(), colours.end());
  size_t from = 0;
  for (uint32_t p : shot.pixels) from += std::binary_search(colours.begin(), colours.end(), p);
  return static_cast<double>(from) / shot.pixels.size();
}

// A picture of the desktop whose top-left corner has colours found nowhere else.
Image MarkedDesktop(int width, int height) {
  Image image = KnownPicture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.pixels[y * width + x] = x < kWidth && y < kHeight ? ((image.At(x, y) | 0x010101) & 0x7F7F7F) | 0x800000
                                                              : image.At(x, y) & 0x7F7F7F;
  return image;
}

class PreviewTest : public testing::Test {
 protected:
  void SetUp() override {
    settings::ClearAll();
    desktop_ = MarkedDesktop(ScreenWidth(), ScreenHeight());
    backdrop_ = std::make_unique<Backdrop>(desktop_);
    host_ = std::make_unique<PreviewHost>(PreviewHost::ChildWindowsWork());
  }
  void TearDown() override {
    host_.reset();
    backdrop_.reset();
    settings::ClearAll();
  }
  Image desktop_;
  std::unique_ptr<Backdrop> backdrop_;
  std::unique_ptr<PreviewHost> host_;
};

TEST_F(PreviewTest, ShowsTheDesktopCornerAndItDriftsApart) {
  settings::Put(L"Horizontal", L"6");
  settings::Put(L"Vertical", L"6");
  Process process = StartScr(host_->Arguments());
  Image corner = Corner(desktop_);
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline)) << "it draws";
  // Blocks shifted by up to three pixels also read past the picture's edges,
  // where the copy brings in no colour of the corner: judged by most pixels.
  EXPECT_GT(ShareFrom(host_->Shot(), corner), 0.9) << "what it shows is the desktop's top-left corner";
  EXPECT_TRUE(PollUntil([&] { return FarFrom(host_->Shot(), corner, 3) > kWidth * kHeight / 10; }, kDeadline))
      << "the distortion accumulates beyond the largest single shift";
  KeepArtefact(host_->Shot(), L"preview");
  EXPECT_TRUE(process.Running());
}

// On a scaled display the preview area is larger than 152 x 112.
TEST_F(PreviewTest, ALargerPreviewAreaIsFilledWithTheCornerOfItsOwnSize) {
  PreviewHost larger(PreviewHost::ChildWindowsWork(), 200, 150);
  settings::Put(L"Horizontal", L"6");
  settings::Put(L"Vertical", L"6");
  Process process = StartScr(larger.Arguments());
  Image corner = Corner(desktop_, 200, 150);
  ASSERT_TRUE(PollUntil([&] { return CountColour(larger.Shot(), kHostColour) == 0; }, kDeadline)) << "it fills the area";
  EXPECT_EQ(ShareFrom(larger.Shot(), corner), 1.0) << "with the desktop's 200 x 150 corner, and nothing from beyond it";
  EXPECT_TRUE(PollUntil([&] { return FarFrom(larger.Shot(), corner, 0) > 200 * 150 / 20; }, kDeadline)) << "it drifts";
  KeepArtefact(larger.Shot(), L"preview-200x150");
}

// A dialog scaled to another display may resize its preview area: the
// miniature fills the new size, with the corner of that size.
TEST_F(PreviewTest, APreviewAreaThatIsResizedIsFilledAtItsNewSize) {
  Process process = StartScr(host_->Arguments());
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline));
  host_->Resize(200, 150);
  Image corner = Corner(desktop_, 200, 150);
  EXPECT_TRUE(PollUntil([&] {
    Image shot = host_->Shot();
    return shot.width == 200 && CountColour(shot, kHostColour) == 0 && ShareFrom(shot, corner) == 1.0;
  }, kDeadline)) << "the whole area shows the desktop's 200 x 150 corner";
  EXPECT_TRUE(process.Running());
}

TEST_F(PreviewTest, WithBothAmplitudesNoneItStillMoves) {
  settings::Put(L"Horizontal", L"0");
  settings::Put(L"Vertical", L"0");
  Process process = StartScr(host_->Arguments(L":"));
  Image corner = Corner(desktop_);
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline)) << "it draws";
  EXPECT_TRUE(PollUntil([&] { return FarFrom(host_->Shot(), corner, 0) > 100; }, kDeadline)) << "it moves";
  EXPECT_GT(ShareFrom(host_->Shot(), corner), 0.99);
}

// Display Properties shows the miniature without the user in front of it:
// a question there would hold a process nobody sees.
TEST_F(PreviewTest, EntriesOfThePreviousReleaseAskNothingAndStay) {
  settings::Put(L"Zindle!", L"Version", L"Current", L"1.0");
  Process process = StartScr(host_->Arguments());
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline)) << "it draws";
  EXPECT_FALSE(FindTopWindow(L"Loading Settings", process.Id())) << "no question";
  ShowWindow(host_->area(), SW_HIDE);
  EXPECT_TRUE(process.WaitForExit(3000)) << "and it ends when hidden";
  EXPECT_TRUE(settings::SectionExists(L"Zindle!", L"Version")) << "the entries stay for a later question";
}

TEST_F(PreviewTest, HidingTheHostEndsTheProcess) {
  Process process = StartScr(host_->Arguments());
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline));
  DWORD hidden = GetTickCount();
  ShowWindow(host_->area(), SW_HIDE);
  ASSERT_TRUE(process.WaitForExit(3000)) << "the process ends once the preview is hidden";
  printf("[ MEASURE  ] preview hidden to process ended: %lu ms\n", GetTickCount() - hidden);
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST_F(PreviewTest, AHostHiddenBeforeTheStartStillEndsTheProcess) {
  ShowWindow(host_->area(), SW_HIDE);
  Process process = StartScr(host_->Arguments());
  EXPECT_TRUE(process.WaitForExit(kDeadline));

  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST_F(PreviewTest, AHostDestroyedWhileRunningEndsTheProcess) {
  Process process = StartScr(host_->Arguments());
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline));
  host_.reset();
  EXPECT_TRUE(process.WaitForExit(3000));
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST_F(PreviewTest, ALargeCustomPictureShowsOnlyItsTopLeftCorner) {
  Image picture = FilledPicture(400, 300, 0);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      picture.pixels[y * 400 + x] = x < kWidth && y < kHeight ? Rgb(128 + (x & 127), (x * y) & 255, y & 255)
                                                              : Rgb(x & 127, (x * y) & 255, y & 255);
  std::wstring file = ScratchDir() + L"\\large.bmp";
  picture.SaveBmp(file);
  settings::Put(L"Picture", L"1");
  settings::Put(L"PictureName", file);
  settings::Put(L"Horizontal", L"0");
  settings::Put(L"Vertical", L"0");
  Process process = StartScr(host_->Arguments());
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline)) << "it draws";
  EXPECT_GT(ShareFrom(host_->Shot(), Corner(picture)), 0.99) << "the top-left 152 x 112 of the picture, unscaled";
}

TEST_F(PreviewTest, AMissingOrBrokenCustomPictureShowsTheDesktopInstead) {
  std::wstring broken = ScratchDir() + L"\\broken.jpg";
  FILE* f = _wfopen(broken.c_str(), L"wb");
  fputs("this is not a picture", f);
  fclose(f);
  for (const std::wstring& name : {ScratchDir() + L"\\missing.bmp", broken}) {
    settings::Put(L"Picture", L"1");
    settings::Put(L"PictureName", name);
    settings::Put(L"Horizontal", L"0");
    settings::Put(L"Vertical", L"0");
    Process process = StartScr(host_->Arguments());
    ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline));
    EXPECT_GT(ShareFrom(host_->Shot(), Corner(desktop_)), 0.99) << "the desktop corner instead";
    EXPECT_TRUE(process.Running()) << "no crash";
    process.Kill();
    InvalidateRect(host_->area(), nullptr, TRUE);
    host_->ShowsItsColour(kDeadline);
  }
}

TEST_F(PreviewTest, ArgumentsThatNameNoWindowEndQuietly) {
  HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  const std::wstring cases[] = {L"/p", L"/p ", L"/p abc", L"/p 0", L"/p -5",
                                L"/p " + std::to_wstring(reinterpret_cast<uintptr_t>(gone))};
  for (const std::wstring& arguments : cases) {
    Process process = StartScr(arguments);
    EXPECT_TRUE(process.WaitForExit(5000)) << "ends promptly";
    EXPECT_EQ(process.ExitCode(), 0u) << "ends quietly, no crash";
  }
}

TEST_F(PreviewTest, ASecondPreviewWhileAnInstanceRunsEndsAtOnce) {
  Process first = StartScr(host_->Arguments());
  ASSERT_TRUE(PollUntil([&] { return CountColour(host_->Shot(), kHostColour) == 0; }, kDeadline));
  PreviewHost second(PreviewHost::ChildWindowsWork());
  Process process = StartScr(second.Arguments());
  EXPECT_TRUE(process.WaitForExit(5000));
  EXPECT_EQ(CountColour(second.Shot(), kHostColour), static_cast<size_t>(kWidth * kHeight))
      << "the second one draws nothing";
  EXPECT_TRUE(first.Running());
}

TEST_F(PreviewTest, APreviewWhileThePropertiesDialogIsOpenEndsAtOnce) {
  Process dialog = StartScr(L"/c");
  HWND properties = WaitForWindow(L"Zindle! Properties", kDeadline, dialog.Id());
  ASSERT_TRUE(properties) << "the dialog of another instance";
  // Out of the way of the host's preview area.
  SetWindowPos(properties, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_TRUE(host_->ShowsItsColour(kDeadline));
  Process process = StartScr(host_->Arguments());
  EXPECT_TRUE(process.WaitForExit(5000)) << "ended, it has drawn all it would";
  EXPECT_EQ(CountColour(host_->Shot(), kHostColour), static_cast<size_t>(kWidth * kHeight))
      << "the preview draws nothing";
  EXPECT_TRUE(dialog.Running());
}

// How fast the miniature runs on GDI under Wine: the engine with a work
// surface on a 152 x 112 window, as the preview drives it.
TEST_F(PreviewTest, PassesPerSecondOnAMiniatureWindow) {
  zindle::SaverState& state = zindle::Saver();
  state.ImageWidth = kWidth;
  state.ImageHeight = kHeight;
  state.Horizontal = state.Vertical = 1;
  state.Slow = 0;
  struct Timed : zindle::GdiEnginePlatform {
    using GdiEnginePlatform::GdiEnginePlatform;
    int passes = 0;
    DWORD start = GetTickCount();
    bool WindowVisible() override { return ++passes < 100000 && GetTickCount() - start < 2000; }
  } platform(host_->area());
  zindle::WindowDC target(host_->area());
  zindle::MemoryBitmap image(target.get(), kWidth + 1, kHeight + 1);
  zindle::DcSurface work(image.dc()), window(target.get());
  zindle::ZindleLoop(work, window, platform, &work, state, zindle::ProgramRandom());
  double seconds = (GetTickCount() - platform.start) / 1000.0;
  printf("[ MEASURE  ] preview passes per second: %.0f\n", platform.passes / seconds);
  EXPECT_GT(platform.passes, 20) << "the miniature is live";
}

}  // namespace
