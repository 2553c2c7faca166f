// What the scenarios of several monitors share: run by run-under-wine.sh
// --layouts, once per layout, with ZINDLE_LAYOUT naming it (elsewhere they
// skip). The layout can be changed mid-run with xrandr, a Unix program that
// Wine starts as it is.
#pragma once
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "saver_scenario.h"

namespace e2e::saver {

inline std::wstring Layout() {
  wchar_t name[32];
  DWORD n = GetEnvironmentVariableW(L"ZINDLE_LAYOUT", name, 32);
  return n > 0 && n < 32 ? std::wstring(name, n) : std::wstring();
}

inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }
inline POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The part of a picture of the whole virtual screen that a monitor shows.
inline Image Part(const Image& whole, const RECT& all, const RECT& monitor) {
  Image part = FilledPicture(Width(monitor), Height(monitor), 0);
  for (int y = 0; y < part.height; ++y)
    for (int x = 0; x < part.width; ++x)
      part.pixels[static_cast<size_t>(y) * part.width + x] = whole.At(monitor.left - all.left + x, monitor.top - all.top + y);
  return part;
}

// The same monitors, in any order.
inline bool SameLayout(std::vector<RECT> a, std::vector<RECT> b) {
  auto order = [](const RECT& x, const RECT& y) { return x.left != y.left ? x.left < y.left : x.top < y.top; };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const RECT& x, const RECT& y) { return EqualRect(&x, &y) != FALSE; });
}

// Runs xrandr with the arguments (and then with the second ones), through a
// shell: Wine starts a Unix program as it is, with no handle to wait on, so
// the caller waits for the layout it asks for. Queries of the screen follow,
// at once and half a second later: Wine 8 does not always see a change (an
// output switched on for the first time, the second of two in a row) until
// the server is asked again.
inline bool Xrandr(const std::wstring& arguments, const std::wstring& andThen = {}) {
  std::wstring line = L"Z:\\bin\\sh -c \"xrandr " + arguments;
  if (!andThen.empty()) line += L" && xrandr " + andThen;
  line += L"; xrandr -q >/dev/null; sleep 0.5; xrandr -q >/dev/null\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  return true;
}

// Polls until the runtime reports these monitors (screen coordinates).
inline bool LayoutBecomes(const std::vector<RECT>& monitors, DWORD milliseconds = 10000) {
  if (PollUntil([&] { return SameLayout(Monitors(), monitors); }, milliseconds)) return true;
  for (const RECT& m : Monitors())
    printf("  the runtime shows a monitor at (%ld, %ld) %d x %d\n", m.left, m.top, Width(m), Height(m));
  return false;
}

// The scenarios' key: the number 0 switches the saver's own looks at the
// layout off, leaving the system's word alone.
inline constexpr wchar_t kLooksValue[] = L"LayoutLooks";

class MonitorsTest : public SaverTest {
 protected:
  void SetUp() override {
    layout_ = Layout();
    if (layout_.empty()) GTEST_SKIP() << "needs several monitors: run-under-wine.sh --layouts";
    SaverTest::SetUp();
    size_t expected = layout_ == L"three" ? 3 : 2;
    ASSERT_TRUE(PollUntil([&] { return Monitors().size() == expected; }, 5000)) << "the layout's monitors";
    all_ = VirtualScreen();
    monitors_ = Monitors();
    if (layout_ == L"left" || layout_ == L"three") {
      ASSERT_LT(all_.left, 0) << "a monitor left of the primary";
    }
  }

  // A scenario that changed the layout and failed half-way puts back the
  // layout run-under-wine.sh made, for the scenarios after it.
  void TearDown() override {
    SaverTest::TearDown();
    DeleteRegistryValue(kTestKey, kLooksValue);
    for (const wchar_t* name : {L"Wallpaper", L"WallpaperStyle", L"TileWallpaper"})
      DeleteRegistryValue(kDesktopKey, name);
    if (monitors_.empty() || SameLayout(Monitors(), monitors_)) return;
    if (layout_ == L"three")
      Xrandr(L"--output DUMMY0 --mode 800x600 --pos 640x0 --output DUMMY1 --mode z640x480 --pos 0x0 "
             L"--output DUMMY2 --mode z640x480 --pos 1440x0");
    if (layout_ == L"gap")
      Xrandr(L"--output DUMMY0 --mode 800x600 --pos 0x0 --output DUMMY1 --mode z640x480 --pos 800x0 "
             L"--output DUMMY2 --off");
    EXPECT_TRUE(LayoutBecomes(monitors_)) << "the layout put back";
  }

  // A desktop over all monitors with no symmetry, so that a monitor mirrored
  // in place is told from screens swapped or mirrored as one.
  Image Desktop() const { return KnownPicture(Width(all_), Height(all_)); }
  POINT Corner() const { return POINT{all_.left, all_.top}; }
  Image Shown(const RECT& monitor) const { return TakeScreenshot(monitor); }

  // Polls until every monitor shows its part of the expected picture exactly.
  bool MonitorsBecome(const std::function<Image(const RECT&)>& expected) {
    return PollUntil([&] {
      for (const RECT& m : monitors_)
        if (Shown(m).CountDifferences(expected(m)) != 0) return false;
      return true;
    }, kStartDeadline);
  }

  // Starts the saver and moves the pointer to a place, which only records
  // it. Under X the move a window is given where it appears can come after
  // the test's own first move: an attempt spoilt so is made again.
  bool StartWithThePointerAt(POINT at) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      saver.Kill();
      if (!ParkPointer() || !StartSaver() || !WaitUntilRunning()) return false;
      MoveMouseToScreen(at.x, at.y);
      if (!saver.WaitForExit(800)) return true;
    }
    return false;
  }

  // The saver's window lies over exactly the runtime's virtual screen, and is
  // in front at a grid of points over every monitor, corners and edges too.
  bool CoversTheLayout() const {
    RECT r{}, all = VirtualScreen();
    GetWindowRect(window, &r);
    if (!EqualRect(&r, &all)) return false;
    for (const RECT& m : Monitors())
      for (int i = 0; i <= 8; ++i)
        for (int j = 0; j <= 6; ++j)
          if (WindowFromPoint(POINT{m.left + (Width(m) - 1) * i / 8, m.top + (Height(m) - 1) * j / 6}) != window)
            return false;
    return true;
  }

  // Polls until the saver covers the layout, from now on; says how soon.
  bool Covered(const char* what, const char* since) {
    const DWORD from = GetTickCount();
    const bool covered = PollUntil([&] { return CoversTheLayout(); }, 3000);
    printf("[ measure  ] %s: covered %lu ms after %s\n", what, GetTickCount() - from, since);
    if (!covered) {
      RECT r{};
      GetWindowRect(window, &r);
      printf("  the saver's window lies at (%ld, %ld)-(%ld, %ld)\n", r.left, r.top, r.right, r.bottom);
      for (const RECT& m : Monitors())
        if (HWND w = WindowFromPoint(Centre(m)); w != window) {
          wchar_t name[64] = L"";
          GetClassNameW(w, name, 64);
          printf("  in front at (%ld, %ld): a window of class %ls\n", Centre(m).x, Centre(m).y, name);
        }
      KeepArtefact(TakeScreenshot(VirtualScreen()), L"monitors-not-covered");
    }
    return covered;
  }
  // Waits for the runtime to show the layout, then for the saver to cover it.
  bool Follows(const std::vector<RECT>& monitors, const char* what) {
    return LayoutBecomes(monitors) && Covered(what, "the runtime showed it");
  }

  // Whether the test reads back what every monitor shows of the desktop:
  // Wine 10 reads the dummy driver's monitors but the first as black.
  bool Readable(const Image& desktop) const {
    for (const RECT& m : monitors_)
      if (Shown(m).CountDifferences(Part(desktop, all_, m)) != 0) {
        printf("[ measure  ] the runtime does not read every monitor back: no pixel is looked at\n");
        return false;
      }
    return true;
  }

  std::wstring layout_;
  RECT all_{};
  std::vector<RECT> monitors_;
};

}  // namespace e2e::saver
