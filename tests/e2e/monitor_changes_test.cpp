// The monitors change under a running saver: one switched off and on, the
// primary's resolution changed and back, one added, a resolution set by a
// program, and changes in the middle of anything. Each scenario runs on the
// layout of run-under-wine.sh --layouts that it names.
#include <winternl.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "monitors_scenario.h"
#include "saver/audience.h"
#include "saver/audience_win32.h"

namespace e2e::saver {
namespace {

// A picture centred on a monitor of this size over a background, halves to
// even as the program rounds them.
Image CentredPicture(int width, int height, const Image& picture, uint32_t background) {
  Image out = FilledPicture(width, height, background);
  const int left = static_cast<int>(std::nearbyint((width - picture.width) / 2.0));
  const int top = static_cast<int>(std::nearbyint((height - picture.height) / 2.0));
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (y + top >= 0 && y + top < height && x + left >= 0 && x + left < width)
        out.pixels[static_cast<size_t>(y + top) * width + x + left] = picture.At(x, y);
  return out;
}

uint32_t DesktopColour() {
  COLORREF c = GetSysColor(COLOR_DESKTOP);
  return Rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The GDI objects a process holds: GetGuiResources where the system counts
// them. Wine does not, but keeps each process's objects in a table its PEB
// points to, as Windows does; a 32-bit process's is not read here.
std::optional<size_t> GdiObjects(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return std::nullopt;
  std::optional<size_t> count;
  BOOL wow64 = FALSE;
  using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  uint64_t table = 0;
  constexpr size_t kEntries = 0x10000, kEntrySize = 24, kTypeAt = 14, kTableInPeb = 0xF8;
  if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) {
    count = n;
  } else if (IsWow64Process(process, &wow64) && !wow64 && query &&
             query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
             ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + kTableInPeb,
                               &table, sizeof(table), nullptr) &&
             table) {
    std::vector<unsigned char> entries(kEntries * kEntrySize);
    if (ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size(), nullptr)) {
      size_t n = 0;
      for (size_t i = 0; i < kEntries; ++i) n += entries[i * kEntrySize + kTypeAt] != 0;
      count = n;
    }
  }
  CloseHandle(process);
  return count;
}

// The pointer on the monitor that goes away: the system puts it on one that
// is left, and that move is not the user's.
TEST_F(MonitorsTest, ASecondaryMonitorSwitchedOffUnderThePointerAndOnAgain) {
  if (layout_ != L"three") GTEST_SKIP() << "on the layout of three monitors";
  const RECT primary = monitors_[0], left{-640, 0, 0, 480}, right{800, 0, 1440, 480};
  ASSERT_TRUE(SameLayout(monitors_, {primary, left, right}));
  Image desktop = TwoColours(Width(all_), Height(all_));
  Backdrop backdrop(desktop, POINT{all_.left, all_.top});
  const bool pixels = Readable(desktop);
  settings::Put(L"Horizontal", L"10");
  settings::Put(L"Vertical", L"10");
  settings::Put(L"Slow", L"150");
  ASSERT_TRUE(StartWithThePointerAt(POINT{-320, 240})) << "the first move, on the left monitor, only records";
  const std::vector<RECT> kept{primary, right};
  std::vector<size_t> drifted(kept.size());
  ASSERT_TRUE(!pixels || PollUntil([&] {
    for (size_t i = 0; i < kept.size(); ++i)
      if ((drifted[i] = TakeScreenshot(kept[i]).CountDifferences(Part(desktop, all_, kept[i]))) == 0) return false;
    return true;
  }, kStartDeadline)) << "the monitors that stay drift before the change";

  ASSERT_TRUE(Xrandr(L"--output DUMMY1 --off"));
  EXPECT_TRUE(Follows(kept, "the left monitor off")) << "the saver's window over the new layout";
  POINT p{};
  GetCursorPos(&p);
  ASSERT_TRUE(saver.Running()) << "the system's move of the pointer to (" << p.x << ", " << p.y << ") ends nothing";
  for (size_t i = 0; i < kept.size() && pixels; ++i) {
    Image shown = TakeScreenshot(kept[i]), own = Part(desktop, all_, kept[i]);
    if (ForeignPixels(shown, own)) KeepArtefact(shown, L"monitor-changes-kept-" + std::to_wstring(i));
    EXPECT_EQ(ForeignPixels(shown, own), 0u) << "monitor " << i << " shows only its own desktop";
    EXPECT_GE(shown.CountDifferences(own) * 2, drifted[i]) << "monitor " << i << " drifts on, not started afresh";
  }

  ASSERT_TRUE(Xrandr(L"--output DUMMY1 --mode z640x480 --left-of DUMMY0"));
  EXPECT_TRUE(Follows(monitors_, "the left monitor on again"));
  Image shown = TakeScreenshot(left), own = Part(desktop, all_, left);
  if (pixels) {
    if (ForeignPixels(shown, own)) KeepArtefact(shown, L"monitor-back");
    EXPECT_EQ(ForeignPixels(shown, own), 0u) << "the monitor back shows what it showed: the desktop there";
  }

  GetCursorPos(&p);
  MoveMouseToScreen(p.x + 3, p.y);
  if (!saver.WaitForExit(1000)) MoveMouseToScreen(p.x + 6, p.y);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline)) << "the user's move ends it";
  EXPECT_EQ(saver.ExitCode(), 0u);
}

// The primary larger, the right monitor moved along, then both back: each
// gets a picture of its own, the wallpaper (the saver's window covered what
// they showed), mirrored in place; the left monitor drifts on.
TEST_F(MonitorsTest, ThePrimarysResolutionChangedAndChangedBack) {
  if (layout_ != L"three") GTEST_SKIP() << "on the layout of three monitors";
  const RECT left{-640, 0, 0, 480};
  Image wallpaper = KnownPicture(300, 200);
  std::wstring path = ScratchDir() + L"\\changes-wallpaper.bmp";
  wallpaper.SaveBmp(path);
  PutRegistryString(kDesktopKey, L"Wallpaper", path);
  PutRegistryString(kDesktopKey, L"WallpaperStyle", L"0");
  PutRegistryString(kDesktopKey, L"TileWallpaper", L"0");
  Image desktop = KnownPicture(Width(all_), Height(all_));
  Backdrop backdrop(desktop, POINT{all_.left, all_.top});
  const bool pixels = Readable(desktop);
  settings::Put(L"FlipHoriz", L"1");
  settings::Put(L"Horizontal", L"10");
  settings::Put(L"Vertical", L"10");
  settings::Put(L"Slow", L"1000");  // a block a second: the new pictures hold still to be looked at
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  const Image leftOwn = Mirrored(Part(desktop, all_, left), 1);
  ASSERT_TRUE(!pixels || PollUntil([&] { return TakeScreenshot(left).CountDifferences(leftOwn) > 0; }, kStartDeadline))
      << "the left monitor drifts";
  const size_t drifted = TakeScreenshot(left).CountDifferences(leftOwn);

  struct Step {
    const wchar_t* xrandr;
    RECT primary, right;
  };
  const Step steps[] = {
      {L"--output DUMMY0 --mode 1024x768 --pos 640x0 --output DUMMY2 --pos 1664x0", {0, 0, 1024, 768},
       {1024, 0, 1664, 480}},
      {L"--output DUMMY0 --mode 800x600 --pos 640x0 --output DUMMY2 --pos 1440x0", {0, 0, 800, 600},
       {800, 0, 1440, 480}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "the primary " << Width(step.primary) << " x " << Height(step.primary));
    ASSERT_TRUE(Xrandr(step.xrandr));
    ASSERT_TRUE(Follows({step.primary, left, step.right}, "the primary's new resolution"));
    EXPECT_TRUE(saver.Running());
    for (const RECT& m : {step.primary, step.right}) {
      if (!pixels) break;
      const Image expected = Mirrored(CentredPicture(Width(m), Height(m), wallpaper, DesktopColour()), 1);
      const bool shown = PollUntil([&] { return TakeScreenshot(m).CountDifferences(expected) == 0; }, 3000);
      if (!shown) KeepArtefact(TakeScreenshot(m), L"monitor-resized");
      EXPECT_TRUE(shown) << "the monitor at (" << m.left << ", " << m.top
                         << ") shows the wallpaper on the desktop's colour, mirrored";
    }
    Image leftNow = TakeScreenshot(left);
    if (pixels) {
      EXPECT_EQ(ForeignPixels(leftNow, leftOwn), 0u) << "the left monitor shows only its own desktop";
      EXPECT_GE(leftNow.CountDifferences(leftOwn) * 2, drifted) << "and drifts on";
    }
  }
  PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

// A monitor that was not there at start-up: what it shows is captured before
// the saver covers it; a picture of the user's stands centred on it. Under X
// a new monitor shows the server's memory until a program draws there: the
// saver's own looks are off, a window of the test's is put there, and then
// the system's word is given, which Windows sends on every change.
TEST_F(MonitorsTest, AMonitorAddedThatWasNotThereAtStartUp) {
  if (layout_ != L"gap") GTEST_SKIP() << "on the layout with a gap";
  const RECT added{1440, 0, 2080, 480};
  std::vector<RECT> after = monitors_;
  after.push_back(added);
  const Image desktop = KnownPicture(Width(all_), Height(all_));
  Backdrop backdrop(desktop);
  const bool pixels = Readable(desktop);
  Image picture = KnownPicture(303, 201);
  std::wstring file = ScratchDir() + L"\\changes-picture.bmp";
  picture.SaveBmp(file);
  for (bool pictureMode : {false, true}) {
    SCOPED_TRACE(pictureMode ? "a picture of the user's" : "the desktop");
    settings::ClearAll();
    settings::Put(L"Slow", L"1000");
    if (pictureMode) {
      settings::Put(L"Picture", L"1");
      settings::Put(L"PictureName", file);
    }
    PutRegistryDword(kTestKey, kLooksValue, 0);
    ASSERT_TRUE(StartSaver());
    ASSERT_TRUE(WaitUntilRunning());
    ASSERT_TRUE(Xrandr(L"--output DUMMY2 --mode z640x480 --right-of DUMMY1"));
    ASSERT_TRUE(LayoutBecomes(after));
    const Image there = Mirrored(KnownPicture(Width(added), Height(added)), 3);
    Backdrop shown(there, POINT{added.left, added.top});
    PostMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(2080, 600));
    EXPECT_TRUE(Covered("a monitor added", "the system's word")) << "the saver covers the new monitor";
    const Image expected = pictureMode ? CentredPicture(640, 480, picture, 0) : there;
    const bool drawn =
        PollUntil([&] { return !pixels || TakeScreenshot(added).CountDifferences(expected) == 0; }, 3000);
    if (!drawn) KeepArtefact(TakeScreenshot(added), L"monitor-added");
    EXPECT_TRUE(drawn) << "the new monitor shows " << (pictureMode ? "the picture centred" : "what it showed");
    PressKey(VK_SPACE);
    EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
    EXPECT_EQ(saver.ExitCode(), 0u);
    ASSERT_TRUE(Xrandr(L"--output DUMMY2 --off"));
    ASSERT_TRUE(LayoutBecomes(monitors_));
  }
}

// A change made inside the runtime: Windows and Wine send WM_DISPLAYCHANGE
// for it, and with its own looks switched off the saver follows that word.
TEST_F(MonitorsTest, AChangeOfResolutionMadeByAProgramIsFollowedOnTheSystemsWord) {
  if (layout_ != L"right") GTEST_SKIP() << "on the layout of two monitors side by side";
  PutRegistryDword(kTestKey, kLooksValue, 0);
  Image desktop = KnownPicture(Width(all_), Height(all_));
  Backdrop backdrop(desktop, POINT{all_.left, all_.top});
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  for (SIZE size : {SIZE{1024, 768}, SIZE{800, 600}}) {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = size.cx;
    mode.dmPelsHeight = size.cy;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ASSERT_EQ(ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), size.cx);
    EXPECT_TRUE(Covered("a resolution set by a program", "the setting returned"))
        << "the saver covers the layout at " << size.cx << " x " << size.cy;
  }
  PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

// The fewest GDI objects of a few counts over half a second: a change still
// being followed holds its pictures for a moment.
std::optional<size_t> SettledGdiObjects(DWORD processId) {
  std::optional<size_t> fewest;
  for (int i = 0; i < 3; ++i) {
    PumpFor(200);
    std::optional<size_t> n = GdiObjects(processId);
    if (n && (!fewest || *n < *fewest)) fewest = n;
  }
  return fewest;
}

// Changes in the middle of anything: before the first frame, between
// restores every tenth of a second, twice at once, while the display is off.
// None leaves a GDI object behind, and the saver still ends as always.
TEST_F(MonitorsTest, ChangesInTheMiddleOfAnythingLeaveNothingBehind) {
  if (layout_ != L"gap") GTEST_SKIP() << "on the layout with a gap";
  std::vector<RECT> added = monitors_;
  added.push_back(RECT{-640, 0, 0, 480});
  Image desktop = TwoColours(Width(all_), Height(all_));
  Backdrop backdrop(desktop, POINT{all_.left, all_.top});
  PutRegistryDword(kTestKey, kTickValue, 100);
  settings::Put(L"Unzindle", L"1");
  settings::Put(L"Frequency", L"1");
  const wchar_t* add = L"--output DUMMY2 --mode z640x480 --left-of DUMMY0";
  ASSERT_TRUE(SameLayout(monitors_, {{0, 0, 800, 600}, {800, 0, 1440, 480}}));
  const wchar_t* remove = L"--output DUMMY2 --off";

  // The change under way while the saver starts.
  ASSERT_TRUE(Xrandr(add));
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(Follows(added, "a change during start-up"));
  ASSERT_TRUE(WaitUntilRunning());

  // Two changes at once, between restores.
  const std::vector<RECT> larger{{0, 0, 1024, 768}, {1024, 0, 1664, 480}};
  const wchar_t* largerPrimary = L"--output DUMMY0 --mode 1024x768 --output DUMMY1 --right-of DUMMY0";
  const wchar_t* primaryBack = L"--output DUMMY0 --mode 800x600 --output DUMMY1 --right-of DUMMY0";
  // What the saver holds once it has followed a change, counted once it is
  // done with it: the runtime makes objects of its own on the first ones.
  std::optional<size_t> objects;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Xrandr(remove, largerPrimary));
    ASSERT_TRUE(Follows(larger, "two changes at once"));
    ASSERT_TRUE(Xrandr(primaryBack, add));
    ASSERT_TRUE(Follows(added, "two changes at once"));
    if (i == 0) objects = SettledGdiObjects(saver.Id());
  }

  // While no one sees, nothing is looked at; once seen again, at once.
  ASSERT_TRUE(zindle::SendDisplayPower(window, zindle::DisplaySetting::kSessionDisplayStatus, zindle::kDisplayOff));
  ASSERT_TRUE(Xrandr(remove));
  ASSERT_TRUE(LayoutBecomes(monitors_));
  PumpFor(1500);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, -640) << "the unseen saver was not woken to look";
  ASSERT_TRUE(zindle::SendDisplayPower(window, zindle::DisplaySetting::kSessionDisplayStatus, zindle::kDisplayOn));
  EXPECT_TRUE(Follows(monitors_, "the display on again"));
  std::optional<size_t> after;
  PollUntil([&] { return (after = GdiObjects(saver.Id())) && objects && *after <= *objects; }, 3000);
  if (objects && after) {
    printf("[ measure  ] GDI objects of the saver after two changes: %zu, after five more: %zu\n", *objects, *after);
    EXPECT_LE(*after, *objects) << "no GDI object left behind by a change";
  } else {
    printf("[ measure  ] the saver's GDI objects cannot be counted here\n");
  }
  PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(kExitDeadline));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

// The properties dialog on a monitor that goes away: Windows moves such a
// window itself, Wine does not; the dialog comes back onto a monitor that
// exists, where Windows tells it that monitor's scale.
TEST_F(MonitorsTest, ThePropertiesDialogComesBackOntoAMonitorWhenItsOwnGoesAway) {
  if (layout_ != L"three") GTEST_SKIP() << "on the layout of three monitors";
  Process dialog = StartScr(L"/c");
  HWND window = WaitForWindow(L"Zindle! Properties", kStartDeadline, dialog.Id());
  ASSERT_TRUE(window);
  SetWindowPos(window, nullptr, -600, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(PollUntil([&] { return MonitorFromWindow(window, MONITOR_DEFAULTTONULL) != nullptr; }, 3000));
  ASSERT_TRUE(Xrandr(L"--output DUMMY1 --off"));
  ASSERT_TRUE(LayoutBecomes({monitors_[0], RECT{800, 0, 1440, 480}}));
  EXPECT_TRUE(PollUntil([&] {
    RECT r{}, all = VirtualScreen(), inside{};
    GetWindowRect(window, &r);
    return IntersectRect(&inside, &r, &all) && EqualRect(&inside, &r);
  }, 3000)) << "the dialog lies whole on the monitors that are left";
  ASSERT_TRUE(Xrandr(L"--output DUMMY1 --mode z640x480 --left-of DUMMY0"));
  ASSERT_TRUE(LayoutBecomes(monitors_));
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(dialog.WaitForExit(kExitDeadline)) << "and it still answers";
}

}  // namespace
}  // namespace e2e::saver

