// The engine's clipping of shifted blocks, its pace, and its areas.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"

namespace zindle {
namespace {

using testing::MemorySurface;
using testing::RecordingPlatform;

constexpr Rect kScreen{0, 0, 100, 80};

PassPlan Plan(int16_t x, int16_t y, int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return PassPlan{x, y, w, h, sx, sy};
}

struct ClipCase {
  const char* name;
  PassPlan plan;
  Rect readable;
  Block expected;
};

TEST(ClipBlock, KeepsOnlyThePartWhoseSourceLiesInside) {
  const ClipCase cases[] = {
      {"inside: unchanged", Plan(10, 10, 20, 20, 11, 9), kScreen, {10, 10, 20, 20, 11, 9}},
      {"left edge", Plan(0, 10, 20, 20, -3, 10), kScreen, {3, 10, 17, 20, 0, 10}},
      {"top edge", Plan(10, 0, 20, 20, 10, -2), kScreen, {10, 2, 20, 18, 10, 0}},
      {"right edge", Plan(90, 10, 10, 20, 92, 10), kScreen, {90, 10, 8, 20, 92, 10}},
      {"bottom edge", Plan(10, 70, 20, 10, 10, 75), kScreen, {10, 70, 20, 5, 10, 75}},
      {"bottom-right corner", Plan(80, 60, 20, 20, 85, 65), kScreen, {80, 60, 15, 15, 85, 65}},
      {"top-left corner", Plan(0, 0, 20, 20, -5, -1), kScreen, {5, 1, 15, 19, 0, 0}},
      {"whole width, both sides", Plan(0, 0, 100, 80, -4, 4), kScreen, {4, 0, 96, 76, 0, 4}},
      {"negative offset beyond the block", Plan(5, 5, 10, 10, -30, 5), kScreen, {5, 5, 0, 0, -30, 5}},
      {"oversized offset beyond the picture", Plan(90, 5, 10, 10, 16000, 5), kScreen, {90, 5, 0, 0, 16000, 5}},
      {"empty block stays empty", Plan(100, 80, 0, 0, 100, 80), kScreen, {100, 80, 0, 0, 100, 80}},
      {"readable part of a larger area", Plan(0, 0, 50, 50, 0, 0), Rect{10, 20, 30, 5}, {10, 20, 30, 5, 10, 20}},
  };
  for (const ClipCase& c : cases) {
    Block b = ClipBlock(c.plan, c.readable);
    EXPECT_EQ(std::tie(b.x, b.y, b.w, b.h, b.sx, b.sy),
              std::tie(c.expected.x, c.expected.y, c.expected.w, c.expected.h, c.expected.sx, c.expected.sy))
        << c.name;
  }
}

SaverState Screen(int16_t w, int16_t h, int16_t amplitude) {
  SaverState s;
  s.ImageWidth = w;
  s.ImageHeight = h;
  s.Horizontal = s.Vertical = amplitude;
  return s;
}

// Two colours, left and right; the fake surface reads 0xFFFFFFFF outside itself.
MemorySurface TwoColours(int w, int h) {
  MemorySurface surface(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) surface.Set(x, y, x < w / 2 ? 0x0000C8 : 0xFFFFFF);
  return surface;
}

TEST(ZindleLoop, NothingFromOutsideThePictureEverEntersIt) {
  for (bool preview : {false, true}) {
    SCOPED_TRACE(preview ? "picture and work surface" : "one surface");
    SaverState s = Screen(40, 30, 10);
    MemorySurface picture = TwoColours(40, 30), window(40, 30);
    RecordingPlatform platform;
    platform.passesLeft = 5000;
    Generator random(17);
    if (preview)
      ZindleLoop(picture, window, platform, &picture, s, random);
    else
      ZindleLoop(picture, picture, platform, nullptr, s, random);
    const MemorySurface& shown = preview ? window : picture;
    for (uint32_t p : shown.pixels) ASSERT_TRUE(p == 0x0000C8 || p == 0xFFFFFF) << std::hex << p;
    EXPECT_NE(shown.pixels, TwoColours(40, 30).pixels) << "and it still drifts";
  }
}

TEST(PassClock, SpreadsPassesEvenlyWithoutHurryingAfterAStall) {
  PassClock clock(250);  // 4 ms apart
  EXPECT_EQ(clock.NextPass(1000), 1000) << "the first pass is due at once";
  EXPECT_EQ(clock.NextPass(1100), 5000);
  EXPECT_EQ(clock.NextPass(5000), 9000);
  EXPECT_EQ(clock.NextPass(12000), 13000) << "a pass a little late keeps the rhythm";
  EXPECT_EQ(clock.NextPass(16500), 17000) << "one that is late catches up";
  clock.Delay(1000);
  EXPECT_EQ(clock.NextPass(17000), 22000) << "slow motion comes on top of the pace";
  EXPECT_EQ(clock.NextPass(900000), 900000) << "after a long stall the passes start afresh";
  EXPECT_EQ(clock.NextPass(900000), 904000);
}

TEST(ZindleLoop, PacedPassesWaitTheirTurnAndAreasTakeTurns) {
  SaverState s = Screen(10, 10, 1);
  MemorySurface surface(30, 10);
  RecordingPlatform platform;
  platform.passesLeft = 6;
  EngineRun run;
  run.passesPerSecond = 500;  // 2 ms a pass for each area
  run.areas = {WholeArea(10, 10), Area{Rect{20, 0, 10, 10}, 20, 0, Rect{0, 0, 10, 10}}};
  Generator random(5);
  ZindleLoop(surface, surface, platform, nullptr, s, random, run);
  EXPECT_EQ(platform.waits, (std::vector<int64_t>{1000, 2000, 3000, 4000, 5000}))
      << "two areas at the full pace each: a pass every millisecond, the first at once";
  ASSERT_EQ(platform.copies.size(), 2u + 6u) << "each area copied whole first";
  for (size_t i = 2; i < platform.copies.size(); ++i) {
    const auto& c = platform.copies[i];
    int left = i % 2 == 0 ? 0 : 20;
    EXPECT_GE(c.x, left);
    EXPECT_LE(c.x + c.w, left + 10) << "pass " << i - 2 << " stays in its area";
    if (c.w > 0) {
      EXPECT_GE(c.sx, left) << "and reads only from it";
    }
  }
}

}  // namespace
}  // namespace zindle
