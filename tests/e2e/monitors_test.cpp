// The saver on several monitors: run by run-under-wine.sh --layouts, once per
// layout, with ZINDLE_LAYOUT naming it. Elsewhere these scenarios skip.
#include <cmath>
#include <string>

#include "monitors_scenario.h"

namespace e2e::saver {
namespace {

TEST_F(MonitorsTest, TheSaverCoversEveryMonitorAndWithAmplitudesNoneEachShowsItsOwnDesktop) {
  Image desktop = Desktop();
  Backdrop backdrop(desktop, Corner());
  settings::Put(L"Horizontal", L"0");
  settings::Put(L"Vertical", L"0");
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  for (const RECT& m : monitors_)
    for (POINT p : {POINT{m.left, m.top}, POINT{m.right - 1, m.bottom - 1}, Centre(m)})
      EXPECT_EQ(WindowFromPoint(p), window) << "the saver covers (" << p.x << ", " << p.y << ")";
  // Looks until the shiver shows; every look keeps each monitor within a pixel.
  size_t changed = 0;
  PollUntil([&] {
    for (const RECT& m : monitors_) {
      Image shown = Shown(m), own = Part(desktop, all_, m);
      EXPECT_EQ(PixelsMovedFurtherThanOne(shown, own), 0u) << "monitor at " << m.left << ": its own desktop within a pixel";
      changed += shown.CountDifferences(own);
    }
    return changed > 0;
  }, kStartDeadline);
  EXPECT_GT(changed, 0u) << "and it shivers";
}

TEST_F(MonitorsTest, FlipMirrorsEachMonitorInPlaceAndInvertedInvertsThemAll) {
  Image desktop = Desktop();
  Backdrop backdrop(desktop, Corner());
  for (int run = 0; run < 2; ++run) {
    const bool flip = run == 0;
    settings::ClearAll();
    PutSlowStart();
    settings::Put(flip ? L"FlipHoriz" : L"Invert", L"1");
    ASSERT_TRUE(StartSaver());
    EXPECT_TRUE(MonitorsBecome([&](const RECT& m) {
      Image own = Part(desktop, all_, m);
      return flip ? Mirrored(own, 1) : Inverse(own);
    })) << (flip ? "each monitor mirrored left to right in place" : "every monitor inverted");
    saver.Kill();
  }
}

TEST_F(MonitorsTest, IntelligentDecidesOnceOnTheSamplesOfAllMonitors) {
  // The primary black, the others white: the primary alone would keep.
  Image desktop = FilledPicture(Width(all_), Height(all_), Rgb(255, 255, 255));
  const RECT& primary = monitors_[0];
  for (int y = primary.top; y < primary.bottom; ++y)
    for (int x = primary.left; x < primary.right; ++x)
      desktop.pixels[static_cast<size_t>(y - all_.top) * desktop.width + x - all_.left] = 0;
  Backdrop backdrop(desktop, Corner());
  PutSlowStart();
  settings::Put(L"Invert", L"3");
  long count = 0;
  double half = 0;
  for (size_t i = 0; i < monitors_.size(); ++i) {
    long samples = ((Width(monitors_[i]) - 1) / 10 + 1) * ((Height(monitors_[i]) - 1) / 10 + 1);
    if (i > 0) count += samples;
    half += Width(monitors_[i]) / 10.0 * Height(monitors_[i]) / 10.0 / 2;
  }
  long halfRounded = std::lround(half);  // no ties with these sizes
  bool inverts = count >= halfRounded;
  ASSERT_TRUE(StartSaver());
  EXPECT_TRUE(PollUntil([&] { return settings::Get(L"Debug") == std::to_wstring(count) + L"/" + std::to_wstring(halfRounded); },
                        kStartDeadline));
  EXPECT_TRUE(MonitorsBecome([&](const RECT& m) {
    Image own = Part(desktop, all_, m);
    return inverts ? Inverse(own) : own;
  })) << "every monitor " << (inverts ? "inverted" : "kept") << " by the one decision";
}

// Under X the move a window is given where it appears can come after the
// test's own first move, and a move can be lost on its way: an attempt spoilt
// so is made again (a saver that ends on every first move fails them all),
// and a lost second move is followed by another.
TEST_F(MonitorsTest, ASecondMoveOrAClickOnASecondaryMonitorEndsTheSaver) {
  Backdrop backdrop(Desktop(), Corner());
  // The leftmost monitor but the primary: left of it positions are negative.
  RECT secondary{};
  bool found = false;
  for (const RECT& m : monitors_)
    if ((m.left != 0 || m.top != 0) && (!found || m.left < secondary.left)) secondary = m, found = true;
  ASSERT_TRUE(found);
  POINT there = Centre(secondary);
  for (bool click : {false, true}) {
    SCOPED_TRACE(click ? "a click" : "a second move");
    bool recordedOnly = false;
    int attempts = 0;
    while (!recordedOnly && attempts++ < 3) {
      ASSERT_TRUE(ParkPointer());
      ASSERT_TRUE(StartSaver());
      ASSERT_TRUE(WaitUntilRunning());
      MoveMouseToScreen(there.x, there.y);
      recordedOnly = !saver.WaitForExit(800);
    }
    ASSERT_TRUE(recordedOnly) << "the first move only records where the pointer is";
    if (attempts > 1) printf("[ measure  ] the first move recorded at attempt %d\n", attempts);
    if (click) {
      PressMouseButton();
    } else {
      MoveMouseToScreen(there.x + 3, there.y);
      if (!saver.WaitForExit(1000)) MoveMouseToScreen(there.x + 6, there.y);
    }
    EXPECT_TRUE(saver.WaitForExit(kExitDeadline)) << "ends the saver";
    EXPECT_EQ(saver.ExitCode(), 0u);
  }
}

TEST_F(MonitorsTest, AfterTenSecondsNoMonitorShowsAColourTheDesktopDidNotHave) {
  Image desktop = TwoColours(Width(all_), Height(all_));
  Backdrop backdrop(desktop, Corner());
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  PumpFor(10000);  // the run itself is what is looked at
  size_t changed = 0;
  for (const RECT& m : monitors_) {
    Image shown = Shown(m);
    size_t foreign = ForeignPixels(shown, desktop);
    if (foreign) KeepArtefact(shown, L"monitors-foreign-" + layout_);
    EXPECT_EQ(foreign, 0u) << "monitor at " << m.left << ": no pixel of a gap, of black or of anything else";
    changed += shown.CountDifferences(Part(desktop, all_, m));
  }
  EXPECT_GT(changed, 0u) << "the monitors drift";
}

TEST_F(MonitorsTest, ThePictureStandsCentredOnEveryMonitorOnBlack) {
  Image picture = KnownPicture(303, 201);
  std::wstring file = ScratchDir() + L"\\monitors-picture.bmp";
  picture.SaveBmp(file);
  Backdrop backdrop(Desktop(), Corner());
  PutSlowStart();
  settings::Put(L"Picture", L"1");
  settings::Put(L"PictureName", file);
  ASSERT_TRUE(StartSaver());
  EXPECT_TRUE(MonitorsBecome([&](const RECT& m) {
    Image expected = FilledPicture(Width(m), Height(m), 0);
    // Halves to even, as nearbyint rounds by default.
    int left = static_cast<int>(std::nearbyint((Width(m) - 303) / 2.0));
    int top = static_cast<int>(std::nearbyint((Height(m) - 201) / 2.0));
    for (int y = 0; y < 201; ++y)
      for (int x = 0; x < 303; ++x) expected.pixels[static_cast<size_t>(y + top) * expected.width + x + left] = picture.At(x, y);
    return expected;
  }));
}

// The tick with the scenarios' period of two seconds, on the layout with a gap.
TEST_F(MonitorsTest, TheRestoreBringsEveryMonitorBack) {
  if (layout_ != L"gap") GTEST_SKIP() << "on the gap layout only";
  constexpr DWORD kPeriod = 2000;
  PutRegistryDword(kTestKey, kTickValue, kPeriod);
  Image desktop = Desktop();
  Backdrop backdrop(desktop, Corner());
  settings::Put(L"Unzindle", L"1");
  settings::Put(L"Frequency", L"1");
  settings::Put(L"Horizontal", L"10");
  settings::Put(L"Vertical", L"10");
  settings::Put(L"Slow", L"150");
  ASSERT_TRUE(StartSaver());
  ASSERT_TRUE(WaitUntilRunning());
  // Every monitor drifted, well before the first tick.
  std::vector<size_t> damaged;
  PollUntil([&] {
    damaged.clear();
    for (const RECT& m : monitors_) damaged.push_back(Shown(m).CountDifferences(Part(desktop, all_, m)));
    for (size_t d : damaged)
      if (d == 0) return false;
    return true;
  }, kPeriod - 700);
  // After the tick a good part of every monitor is clean again; blocks may follow at once.
  bool repaired = PollUntil([&] {
    for (size_t i = 0; i < monitors_.size(); ++i)
      if (Shown(monitors_[i]).CountDifferences(Part(desktop, all_, monitors_[i])) * 2 > damaged[i]) return false;
    return true;
  }, 8000);
  for (size_t i = 0; i < monitors_.size(); ++i) EXPECT_GT(damaged[i], 0u) << "monitor " << i << " drifted before the tick";
  EXPECT_TRUE(repaired) << "every monitor is at least half clean again after the tick";
}

}  // namespace
}  // namespace e2e::saver
