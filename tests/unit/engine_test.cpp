// The engine: Random, the plan of one pass, and the loop's draw order.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <set>

#include "fakes.h"

namespace zindle {
namespace {

using testing::MemorySurface;
using testing::RecordingPlatform;
using testing::ScriptedRandom;

constexpr float kJustBelowOne = 0.99999994f;  // the largest float below 1

TEST(Random, StaysWithinZeroToNForEveryNTheProgramUses) {
  ScriptedRandom random({0.0f, 0.5f, kJustBelowOne});
  for (int n = 0; n <= 32766; ++n) {
    for (int k = 0; k < 3; ++k) {
      float r = Random(static_cast<int16_t>(n), random);
      ASSERT_GE(r, 0) << n;
      ASSERT_LE(r, n) << n;
      ASSERT_EQ(r, std::floor(r));
    }
  }
}

TEST(Random, ZeroIsAlwaysZeroAndEachCallTakesOneValue) {
  ScriptedRandom random({0.3f, kJustBelowOne, 0.7f});
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Random(0, random), 0);
  EXPECT_EQ(random.calls, 9);
}

TEST(Random, EveryValueIsReachedWithEqualChance) {
  Generator generator(1234);
  int counts[6] = {};
  for (int i = 0; i < 60000; ++i) ++counts[static_cast<int>(Random(5, generator))];
  for (int c : counts) EXPECT_NEAR(c, 10000, 500);
}

TEST(Random, NPlusOneIsFormedInSixteenBits) {
  ScriptedRandom random({0.5f});
  EXPECT_LE(Random(32767, random), 0) << "32767 + 1 wraps to -32768";
  EXPECT_EQ(Random(-1, random), 0);
}

SaverState Screen(int16_t w, int16_t h, int16_t horizontal, int16_t vertical) {
  SaverState s;
  s.ImageWidth = w;
  s.ImageHeight = h;
  s.Horizontal = horizontal;
  s.Vertical = vertical;
  return s;
}

// The fraction that makes Random(n) give k.
float Draw(int k, int n) { return (k + 0.5f) / (n + 1); }

struct OffsetCase {
  const char* name;
  int corner;     // x of the block
  int amplitude;  // Horizontal
  int draw;       // Random(Horizontal)
  int sx;         // expected source x
};

TEST(PlanPass, OffsetsAreRoundedHalfToEvenFromTheCorner) {
  const OffsetCase cases[] = {
      {"amplitude 0: no shift", 37, 0, 0, 37},
      {"amplitude 1, even corner, -0.5", 10, 1, 0, 10},
      {"amplitude 1, even corner, +0.5", 10, 1, 1, 10},
      {"amplitude 1, odd corner, -0.5", 11, 1, 0, 10},
      {"amplitude 1, odd corner, +0.5", 11, 1, 1, 12},
      {"amplitude 5, even corner, -2.5", 20, 5, 0, 18},
      {"amplitude 5, even corner, -1.5", 20, 5, 1, 18},
      {"amplitude 5, even corner, -0.5", 20, 5, 2, 20},
      {"amplitude 5, even corner, +0.5", 20, 5, 3, 20},
      {"amplitude 5, even corner, +1.5", 20, 5, 4, 22},
      {"amplitude 5, even corner, +2.5", 20, 5, 5, 22},
      {"amplitude 5, odd corner, -2.5", 21, 5, 0, 18},
      {"amplitude 5, odd corner, -1.5", 21, 5, 1, 20},
      {"amplitude 5, odd corner, -0.5", 21, 5, 2, 20},
      {"amplitude 5, odd corner, +0.5", 21, 5, 3, 22},
      {"amplitude 5, odd corner, +1.5", 21, 5, 4, 22},
      {"amplitude 5, odd corner, +2.5", 21, 5, 5, 24},
      {"amplitude 4, whole offsets", 20, 4, 0, 18},
  };
  for (const OffsetCase& c : cases) {
    SaverState s = Screen(100, 80, static_cast<int16_t>(c.amplitude), 0);
    ScriptedRandom random({Draw(c.corner, 100), Draw(0, 80), Draw(c.draw, c.amplitude), 0.0f, 0.0f, 0.0f});
    PassPlan plan = PlanPass(s, random);
    EXPECT_EQ(plan.x, c.corner) << c.name;
    EXPECT_EQ(plan.sx, c.sx) << c.name;
    EXPECT_EQ(plan.sy, 0) << c.name;
  }
}

TEST(PlanPass, DrawsSixValuesInOrderAndNeverPassesTheEdges) {
  SaverState s = Screen(100, 80, 3, 3);
  ScriptedRandom random({Draw(60, 100), Draw(50, 80), Draw(3, 3), Draw(0, 3), Draw(40, 40), Draw(30, 30)});
  PassPlan plan = PlanPass(s, random);
  EXPECT_EQ(random.calls, 6);
  EXPECT_EQ(plan.x, 60);
  EXPECT_EQ(plan.y, 50);
  EXPECT_EQ(plan.w, 40) << "the widest block reaches the right edge";
  EXPECT_EQ(plan.h, 30);
  EXPECT_EQ(plan.sx, 62) << "60 + 1.5 rounds to 62";
  EXPECT_EQ(plan.sy, 48) << "50 - 1.5 rounds to 48";
  EXPECT_LE(plan.x + plan.w, 100);
  EXPECT_LE(plan.y + plan.h, 80);
}

TEST(PlanPass, ACornerOnTheFarEdgeGivesAnEmptyBlock) {
  SaverState s = Screen(100, 80, 1, 1);
  ScriptedRandom random({kJustBelowOne});
  PassPlan plan = PlanPass(s, random);
  EXPECT_EQ(plan.x, 100);
  EXPECT_EQ(plan.y, 80);
  EXPECT_EQ(plan.w, 0);
  EXPECT_EQ(plan.h, 0);
}

// The whole picture reaches the target before any block; each block comes
// after its pause, with the queue's events handled on either side of the
// pause, and the window's visibility is asked after each block.
TEST(ZindleLoop, TheWholePictureFirstThenEachBlockAfterItsPause) {
  SaverState s = Screen(16, 8, 1, 1);
  s.Slow = 1;
  MemorySurface source(16, 8), target(16, 8);
  for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = static_cast<uint32_t>(i + 1);
  RecordingPlatform platform;
  platform.passesLeft = 2;
  Generator random(7);
  ZindleLoop(source, target, platform, nullptr, s, random);
  ASSERT_EQ(platform.copies.size(), 3u) << "the whole picture, then one block a pass";
  const auto& first = platform.copies[0];
  EXPECT_TRUE(first.from == &source && first.to == &target && first.w == 16 && first.h == 8);
  for (size_t i = 1; i < platform.copies.size(); ++i) EXPECT_EQ(platform.copies[i].to, &target) << "block " << i;
  // Between two copies: events, the pause, events; after each block: the window asked.
  std::vector<std::vector<std::string>> between(1);
  for (const std::string& e : platform.events) {
    if (e == "copy") between.emplace_back();
    else between.back().push_back(e);
  }
  ASSERT_EQ(between.size(), 4u);
  for (size_t pass = 1; pass < 3; ++pass) {
    const std::vector<std::string>& before = between[pass];
    auto pause = std::find(before.begin(), before.end(), "rest 1000");
    ASSERT_NE(pause, before.end()) << "a pause before block " << pass;
    EXPECT_NE(std::find(before.begin(), pause, "events"), pause) << "events before the pause of block " << pass;
    EXPECT_NE(std::find(pause, before.end(), "events"), before.end()) << "events after it";
    EXPECT_EQ(between[pass + 1].front(), "visible?") << "the window asked right after block " << pass;
  }
}

TEST(ZindleLoop, AWorkSurfaceTakesEachBlockAndTheTargetGetsAllOfIt) {
  SaverState s = Screen(16, 8, 2, 2);
  MemorySurface picture(17, 9), window(16, 8);
  RecordingPlatform platform;
  platform.passesLeft = 3;
  Generator random(11);
  ZindleLoop(picture, window, platform, &picture, s, random);
  size_t events = 0;
  for (auto& e : platform.events) events += e == "events";
  EXPECT_EQ(events, 2u + 3u * 3u) << "three yields a pass with a work surface";
  ASSERT_EQ(platform.copies.size(), 1u + 3u * 2u);
  for (size_t i = 1; i < platform.copies.size(); i += 2) {
    EXPECT_EQ(platform.copies[i].to, &picture);
    EXPECT_EQ(platform.copies[i + 1].to, &window);
    EXPECT_EQ(platform.copies[i + 1].w, 16);
  }
}

TEST(ZindleLoop, AHiddenWindowStillGetsTheFirstCopyAndOnePass) {
  SaverState s = Screen(16, 8, 1, 1);
  MemorySurface surface(16, 8);
  RecordingPlatform platform;
  platform.passesLeft = 0;
  Generator random(3);
  ZindleLoop(surface, surface, platform, nullptr, s, random);
  EXPECT_EQ(platform.copies.size(), 2u);
}

MemorySurface Pattern(int w, int h) {
  MemorySurface surface(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) surface.Set(x, y, static_cast<uint32_t>(y * 1000 + x));
  return surface;
}

TEST(ZindleLoop, ZeroAmplitudesOnOneSurfaceNeverChangeIt) {
  SaverState s = Screen(40, 30, 0, 0);
  MemorySurface surface = Pattern(40, 30);
  const std::vector<uint32_t> before = surface.pixels;
  RecordingPlatform platform;
  platform.passesLeft = 2000;
  Generator random(5);
  ZindleLoop(surface, surface, platform, nullptr, s, random);
  EXPECT_EQ(surface.pixels, before);
}

TEST(ZindleLoop, OnOneSurfaceTheDistortionAccumulates) {
  // Amplitude 1 from an unchanged picture moves a pixel by at most one; on
  // one surface moved pixels are moved again and travel further.
  SaverState s = Screen(40, 30, 1, 0);
  MemorySurface surface = Pattern(40, 30);
  RecordingPlatform platform;
  platform.passesLeft = 4000;
  Generator random(9);
  ZindleLoop(surface, surface, platform, nullptr, s, random);
  int farthest = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t v = surface.At(x, y);
      if (v == 0xFFFFFFFFu) continue;
      farthest = std::max(farthest, std::abs(static_cast<int>(v % 1000) - x));
    }
  EXPECT_GT(farthest, 1);
}

TEST(ZindleLoop, FromAnUnchangedPictureNothingAccumulates) {
  SaverState s = Screen(40, 30, 1, 1);
  MemorySurface picture = Pattern(41, 31), window(40, 30);
  RecordingPlatform platform;
  platform.passesLeft = 4000;
  Generator random(9);
  ZindleLoop(picture, window, platform, nullptr, s, random);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t v = window.At(x, y);
      EXPECT_LE(std::abs(static_cast<int>(v % 1000) - x), 1);
      EXPECT_LE(std::abs(static_cast<int>(v / 1000) - y), 1);
    }
}

TEST(ZindleLoop, StateIsReadAfreshOnEveryPass) {
  SaverState s = Screen(40, 30, 0, 0);
  MemorySurface surface = Pattern(40, 30);
  RecordingPlatform platform;
  platform.passesLeft = 3;
  int events = 0;
  platform.onEvents = [&] {
    if (++events == 3) s.Slow = 5;  // a handler inside a yield changes the state
  };
  Generator random(1);
  ZindleLoop(surface, surface, platform, nullptr, s, random);
  EXPECT_EQ(std::count(platform.events.begin(), platform.events.end(), "rest 5000"), 3);
}

}  // namespace
}  // namespace zindle
