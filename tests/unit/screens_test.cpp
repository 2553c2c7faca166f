// Several monitors: where each lies in the saver's window, and each drifting,
// mirrored, centred and sampled as a screen of its own.
#include <gtest/gtest.h>

#include "fakes.h"
#include "saver/colour_analysis.h"
#include "saver/screens.h"

namespace zindle {
namespace {

using testing::MemorySurface;
using testing::RecordingPlatform;

struct LayoutCase {
  const char* name;
  std::vector<Rect> monitors;  // screen coordinates, the primary first
  Rect bounds;
  std::vector<Rect> inWindow;
};

TEST(ScreensFrom, PlacesEveryMonitorInTheWindowOverAllOfThem) {
  const LayoutCase cases[] = {
      {"one monitor", {{0, 0, 800, 600}}, {0, 0, 800, 600}, {{0, 0, 800, 600}}},
      {"second to the right", {{0, 0, 800, 600}, {800, 0, 800, 600}}, {0, 0, 1600, 600},
       {{0, 0, 800, 600}, {800, 0, 800, 600}}},
      {"second to the left: a negative origin", {{0, 0, 800, 600}, {-800, 0, 800, 600}}, {-800, 0, 1600, 600},
       {{800, 0, 800, 600}, {0, 0, 800, 600}}},
      {"different sizes leave a gap", {{0, 0, 800, 600}, {800, 0, 640, 480}}, {0, 0, 1440, 600},
       {{0, 0, 800, 600}, {800, 0, 640, 480}}},
      {"three, one above", {{0, 0, 800, 600}, {-640, 0, 640, 480}, {100, -480, 640, 480}}, {-640, -480, 1440, 1080},
       {{640, 480, 800, 600}, {0, 480, 640, 480}, {740, 0, 640, 480}}},
      {"mixed scales at their own pixels", {{0, 0, 1920, 1080}, {1920, -540, 3840, 2160}}, {0, -540, 5760, 2160},
       {{0, 540, 1920, 1080}, {1920, 0, 3840, 2160}}},
  };
  for (const LayoutCase& c : cases) {
    Screens s = ScreensFrom(c.monitors);
    EXPECT_EQ(s.bounds, c.bounds) << c.name;
    EXPECT_EQ(s.monitors, c.inWindow) << c.name;
  }
}

// The monitors change under a running saver: each monitor of the new layout
// keeps its picture only where it is still the same monitor on the screen.
TEST(CompareLayouts, AMonitorAtTheSamePlaceAndSizeKeepsItsPictureAndAnyOtherGetsOneOfItsOwn) {
  const std::vector<Rect> three{{0, 0, 800, 600}, {-640, 0, 640, 480}, {800, 0, 640, 480}};
  struct Expected {
    std::optional<Rect> keptFrom;  // in the old window
    bool uncovered;
  };
  struct Case {
    const char* name;
    std::vector<Rect> before, after;  // screen coordinates
    std::vector<Expected> monitors;
  };
  const Case cases[] = {
      {"a secondary switched off", three, {{0, 0, 800, 600}, {800, 0, 640, 480}},
       {{Rect{640, 0, 800, 600}, false}, {Rect{1440, 0, 640, 480}, false}}},
      {"and on again, where the smaller window no longer covers it", {{0, 0, 800, 600}, {800, 0, 640, 480}}, three,
       {{Rect{0, 0, 800, 600}, false}, {std::nullopt, true}, {Rect{800, 0, 640, 480}, false}}},
      {"the primary larger, the right monitor moved along", three,
       {{0, 0, 1024, 768}, {-640, 0, 640, 480}, {1024, 0, 640, 480}},
       {{std::nullopt, false}, {Rect{0, 0, 640, 480}, false}, {std::nullopt, false}}},
      {"the same size a little lower is another place", {{0, 0, 800, 600}, {800, 0, 640, 480}},
       {{0, 0, 800, 600}, {800, 120, 640, 480}}, {{Rect{0, 0, 800, 600}, false}, {std::nullopt, false}}},
  };
  for (const Case& c : cases) {
    LayoutChange change = CompareLayouts(ScreensFrom(c.before), ScreensFrom(c.after));
    ASSERT_EQ(change.monitors.size(), c.monitors.size()) << c.name;
    for (size_t i = 0; i < c.monitors.size(); ++i) {
      EXPECT_EQ(change.monitors[i].now, ScreensFrom(c.after).monitors[i]) << c.name << ", monitor " << i;
      EXPECT_EQ(change.monitors[i].keptFrom, c.monitors[i].keptFrom) << c.name << ", monitor " << i;
      EXPECT_EQ(change.monitors[i].uncovered, c.monitors[i].uncovered) << c.name << ", monitor " << i;
    }
  }
}

// Two monitors of different sizes side by side; the gap under the smaller
// one holds a colour that no monitor shows.
constexpr uint32_t kGap = 0xABCDEF;
MemorySurface TwoMonitorsWithAGap(const Screens& s) {
  MemorySurface surface(s.bounds.width, s.bounds.height);
  for (uint32_t& p : surface.pixels) p = kGap;
  for (size_t i = 0; i < s.monitors.size(); ++i) {
    const Rect& m = s.monitors[i];
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x) surface.Set(m.left + x, m.top + y, static_cast<uint32_t>(i << 16 | y << 8 | x));
  }
  return surface;
}

TEST(MonitorAreas, EachMonitorDriftsAloneAndNoGapEverFeedsABlock) {
  Screens s = ScreensFrom({{0, 0, 40, 30}, {40, 0, 24, 16}});
  MemorySurface surface = TwoMonitorsWithAGap(s);
  const MemorySurface before = surface;
  SaverState state;
  state.Horizontal = state.Vertical = 10;
  RecordingPlatform platform;
  platform.passesLeft = 4000;
  EngineRun run;
  run.areas = MonitorAreas(s);
  Generator random(3);
  ZindleLoop(surface, surface, platform, nullptr, state, random, run);
  for (size_t i = 0; i < s.monitors.size(); ++i) {
    const Rect& m = s.monitors[i];
    size_t changed = 0;
    for (int y = m.top; y < m.bottom(); ++y)
      for (int x = m.left; x < m.right(); ++x) {
        uint32_t p = surface.At(x, y);
        ASSERT_EQ(p >> 16, i) << "monitor " << i << " shows only its own pixels, never the gap's or another's";
        changed += p != before.At(x, y);
      }
    EXPECT_GT(changed, 0u) << "monitor " << i << " drifts";
  }
  for (int y = 16; y < 30; ++y)
    for (int x = 40; x < 64; ++x) ASSERT_EQ(surface.At(x, y), kGap) << "the gap is never drawn on";
}

TEST(MirrorMonitors, MirrorsEachMonitorInPlace) {
  Screens s = ScreensFrom({{0, 0, 40, 30}, {-24, 0, 24, 16}});
  for (int16_t flip : {1, 2, 3}) {
    MemorySurface surface = TwoMonitorsWithAGap(s);
    const MemorySurface before = surface;
    MirrorMonitors(surface.pixels.data(), surface.width, surface.height, s, flip);
    for (const Rect& m : s.monitors) {
      int farX = flip & 1 ? m.width - 1 : 0, farY = flip & 2 ? m.height - 1 : 0;
      EXPECT_EQ(surface.At(m.left, m.top), before.At(m.left + farX, m.top + farY)) << "flip " << flip;
    }
    EXPECT_EQ(surface.At(10, 20), kGap) << "the gap under the smaller monitor is left alone";
  }
}

// The picture's sides saturate while monitors keep their places: a monitor
// reaching past the picture is mirrored only where it lies in it.
TEST(MirrorMonitors, TouchesNothingBeyondThePicture) {
  Screens s = ScreensFrom({{0, 0, 40, 30}, {40, 0, 24, 16}, {64, 0, 8, 8}});
  const int32_t width = 50, height = 30, guard = 600;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height + guard);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i);
  const std::vector<uint32_t> before = pixels;
  MirrorMonitors(pixels.data(), width, height, s, 3);
  for (size_t i = static_cast<size_t>(width) * height; i < pixels.size(); ++i)
    ASSERT_EQ(pixels[i], before[i]) << "written past the picture's end at " << i;
  auto at = [&](const std::vector<uint32_t>& p, int x, int y) { return p[static_cast<size_t>(y) * width + x]; };
  EXPECT_EQ(at(pixels, 40, 0), at(before, 49, 15)) << "the part inside is mirrored as a whole";
  EXPECT_EQ(at(pixels, 0, 0), at(before, 39, 29));
  MirrorMonitors(nullptr, width, height, s, 3);  // no picture: nothing to mirror, no fault
}

TEST(CentredOn, EachMonitorCentresThePictureOnItself) {
  EXPECT_EQ(CentredOn(Rect{0, 0, 800, 600}, 303, 201), (Rect{248, 200, 303, 201})) << "248.5 and 199.5, halves to even";
  EXPECT_EQ(CentredOn(Rect{800, 0, 640, 480}, 303, 201), (Rect{800 + 168, 140, 303, 201}));
  EXPECT_EQ(CentredOn(Rect{0, 480, 640, 480}, 1001, 803), (Rect{-180, 480 - 162, 1001, 803})) << "larger: cut at the edges";
}

TEST(PartShownOnMonitors, KeepsWhatSomeMonitorShowsOfACentredPicture) {
  struct Case {
    const char* name;
    std::vector<Rect> monitors;
    int32_t width, height;
    Rect part;
  };
  const Case cases[] = {
      {"a picture that fits is kept whole", {{0, 0, 800, 600}}, 303, 201, {0, 0, 303, 201}},
      {"a larger one keeps its middle, cut where the offsets round", {{0, 0, 800, 600}}, 1001, 803, {100, 102, 800, 600}},
      {"wider only", {{0, 0, 800, 600}}, 1000, 100, {100, 0, 800, 100}},
      {"a huge picture keeps one screen", {{0, 0, 1920, 1080}}, 24000, 24000, {11040, 11460, 1920, 1080}},
      {"the larger monitor's part holds the smaller's", {{0, 0, 800, 600}, {800, 0, 1920, 1080}}, 4000, 3000,
       {1040, 960, 1920, 1080}},
  };
  for (const Case& c : cases) EXPECT_EQ(PartShownOnMonitors(ScreensFrom(c.monitors), c.width, c.height), c.part) << c.name;
}

TEST(PictureCornerAreas, EachMonitorReadsThePictureFromItsCornerWhereItIsKept) {
  Screens s = ScreensFrom({{0, 0, 800, 600}, {800, 0, 640, 480}});
  std::vector<Area> areas = PictureCornerAreas(s, Rect{100, 50, 900, 500});
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(areas[1].target, s.monitors[1]);
  EXPECT_EQ(areas[1].sourceLeft, -100) << "the kept part's corner is the picture's (100, 50)";
  EXPECT_EQ(areas[0].readable, (Rect{100, 50, 700, 500}));
  EXPECT_EQ(areas[1].readable, (Rect{100, 50, 540, 430}));
}

// Reads a surface of 0x00RRGGBB pixels as packed colour values.
class SurfaceReader : public PixelReader {
 public:
  explicit SurfaceReader(const MemorySurface& surface) : surface_(surface) {}
  int32_t PackedPixel(int32_t x, int32_t y) const override {
    uint32_t p = surface_.At(x, y);
    return p == 0xFFFFFFFFu ? -1 : PackedFromDib(p);
  }

 private:
  const MemorySurface& surface_;
};

TEST(AnalyseColours, SamplesEveryMonitorFromItsCornerAndNeverTheGap) {
  Screens s = ScreensFrom({{0, 0, 800, 600}, {800, 0, 640, 480}});
  MemorySurface picture(s.bounds.width, s.bounds.height);
  for (uint32_t& p : picture.pixels) p = 0xFFFFFF;  // white everywhere, gap included
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) picture.Set(800 + x, y, 0);  // the second monitor black
  ColourAnalysis a = AnalyseColours(SurfaceReader(picture), s.monitors, 2, 2);
  EXPECT_EQ(a.count, 4800) << "the primary's 80 x 60 samples count, the black monitor's and the gap's do not";
  EXPECT_EQ(a.half, 2400 + 1536) << "half of both monitors' samples";
}

}  // namespace
}  // namespace zindle
