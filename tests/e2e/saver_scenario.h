// What the saver scenarios share: a clean start of "/s" over a known desktop,
// the pictures the screen should then show, and waits on the screen.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "harness.h"

namespace e2e::saver {

inline constexpr wchar_t kCaption[] = L"Zindle! Screen Saver";
inline constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
inline constexpr DWORD kStartDeadline = 15000;
inline constexpr DWORD kExitDeadline = 5000;
// The scenarios' own registry key, which the program reads a shorter restore
// period from.
inline constexpr wchar_t kTestKey[] = L"Software\\ZindleTest";
inline constexpr wchar_t kTickValue[] = L"RestoreTickMilliseconds";
// ... and the most bytes it may take for the captured desktop.
inline constexpr wchar_t kPictureLimitValue[] = L"LargestDesktopPictureBytes";
// ... and whether its frames rest on the refresh timer from the first.
inline constexpr wchar_t kRefreshTimerValue[] = L"RefreshTimer";

// The picture mirrored as the flip setting says: 1 left to right, 2 top to
// bottom, 3 both.
inline Image Mirrored(const Image& picture, int flip) {
  Image out = picture;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      int sx = flip & 1 ? picture.width - 1 - x : x;
      int sy = flip & 2 ? picture.height - 1 - y : y;
      out.pixels[static_cast<size_t>(y) * picture.width + x] = picture.At(sx, sy);
    }
  return out;
}

inline Image Inverse(const Image& picture) {
  Image out = picture;
  for (uint32_t& p : out.pixels) p ^= 0x00FFFFFF;
  return out;
}

// Whether every pixel away from the border is one of the desktop's pixels
// at most one pixel away in each direction.
inline size_t PixelsMovedFurtherThanOne(const Image& screen, const Image& desktop) {
  size_t distant = 0;
  for (int y = 1; y < screen.height - 1; ++y)
    for (int x = 1; x < screen.width - 1; ++x) {
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) found = screen.At(x, y) == desktop.At(x + dx, y + dy);
      distant += !found;
    }
  return distant;
}

// Big squares of two colours: edges everywhere for the blocks to drag along.
inline Image TwoColours(int width, int height) {
  Image picture = FilledPicture(width, height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.pixels[static_cast<size_t>(y) * width + x] = ((x / 100 + y / 100) & 1) ? Rgb(240, 200, 40) : Rgb(0, 0, 200);
  return picture;
}

inline size_t ForeignPixels(const Image& screen, const Image& desktop) {
  std::set<uint32_t> colours(desktop.pixels.begin(), desktop.pixels.end());
  size_t foreign = 0;
  for (uint32_t p : screen.pixels) foreign += !colours.count(p);
  return foreign;
}

// Polls until the screen shows the picture exactly.
inline bool ScreenBecomes(const Image& expected, DWORD milliseconds) {
  return PollUntil([&] { return TakeScreenshot().CountDifferences(expected) == 0; }, milliseconds);
}

// Whether the pointer of the foreground window's thread is shown: the
// saver's, while it is in front.
inline bool PointerShown() {
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  GetCursorInfo(&info);
  return (info.flags & CURSOR_SHOWING) != 0;
}

// Each scenario starts from no settings and no password setting, with the
// pointer parked in the top-left corner, where a recorded position counts as
// none: the move Wine sends to a window that appears under the pointer then
// records nothing.
class SaverTest : public testing::Test {
 protected:
  void SetUp() override {
    settings::ClearAll();
    DeleteRegistryValue(kDesktopKey, L"ScreenSaveUsePassword");
    ParkPointer();
  }
  void TearDown() override {
    // What input the saver took, to tell a lost input from a wrong rule.
    if (HasFailure() && witness && *witness) printf("[ witness  ] the saver took: %s\n", witness->Describe().c_str());
    witness.reset();
    saver.Kill();
    settings::ClearAll();
    DeleteRegistryValue(kDesktopKey, L"ScreenSaveUsePassword");
    DeleteRegistryValue(kTestKey, kTickValue);
    DeleteRegistryValue(kTestKey, kPictureLimitValue);
    DeleteRegistryValue(kTestKey, kRefreshTimerValue);
  }

  // The pointer in the primary monitor's top-left corner, and staying there:
  // under X a move made earlier can still come back from the display server
  // after the pointer has reached the corner, and a saver started then would
  // record that place instead.
  static bool ParkPointer() {
    MoveMouseTo(0, 0);
    DWORD since = GetTickCount();
    return PollUntil([&] {
      POINT p{};
      GetCursorPos(&p);
      if (p.x != 0 || p.y != 0) {
        MoveMouseTo(0, 0);
        since = GetTickCount();
        return false;
      }
      return GetTickCount() - since >= 200;
    }, 3000);
  }

  // The settings that keep the start-up picture on the screen for a good
  // second: a pause of one second before each displaced block.
  static void PutSlowStart() { settings::Put(L"Slow", L"1000"); }

  // Starts "/s" and waits for its window; true when it is there. From then
  // on a witness watches what input the saver takes.
  bool StartSaver(const std::wstring& scr = ScrPath()) {
    witness.reset();
    saver = StartScrAt(scr, L"/s");
    if (!saver) return false;
    window = WaitForWindow(kCaption, kStartDeadline, saver.Id());
    if (window) witness = std::make_unique<InputWitness>(window);
    else TellWhyNoWindow();
    return window != nullptr;
  }

  // A saver that never showed its window: whether it ended, or which windows
  // it has, and the screen, to tell a program that did not start from one
  // that did not show.
  void TellWhyNoWindow() const {
    struct Found {
      DWORD pid;
      int windows = 0, visible = 0;
      std::wstring caption;
    } found{saver.Id(), 0, 0, {}};
    EnumWindows([](HWND w, LPARAM p) -> BOOL {
      auto& f = *reinterpret_cast<Found*>(p);
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid != f.pid) return TRUE;
      ++f.windows;
      f.visible += IsWindowVisible(w) != FALSE;
      if (f.caption.empty()) f.caption = WindowText(w);
      return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    if (saver.Running())
      printf("[ witness  ] no saver window: the process runs, with %d top-level windows (%d visible, the first \"%ls\")\n",
             found.windows, found.visible, found.caption.c_str());
    else
      printf("[ witness  ] no saver window: the process ended with %lu\n", static_cast<unsigned long>(saver.ExitCode()));
    KeepArtefact(TakeScreenshot(), L"no-saver-window");
  }

  // Waits until the run has begun: the saver is in front with its pointer hidden.
  bool WaitUntilRunning() {
    return PollUntil([&] {
      if (GetForegroundWindow() != window) SetForegroundWindow(window);
      return GetForegroundWindow() == window && !PointerShown();
    }, kStartDeadline);
  }

  // The saver's window is in front at the corners and the middle.
  bool CoversTheScreen() const {
    for (POINT p : {POINT{0, 0}, POINT{ScreenWidth() - 1, ScreenHeight() - 1}, POINT{ScreenWidth() / 2, ScreenHeight() / 2}})
      if (WindowFromPoint(p) != window) return false;
    return true;
  }

  Process saver;
  HWND window = nullptr;
  std::unique_ptr<InputWitness> witness;
};

}  // namespace e2e::saver
