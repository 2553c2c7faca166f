// The engine grouped by display frame: the same pace, one wake a frame, and
// events handled between the same passes as before.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"

namespace zindle {
namespace {

using testing::MemorySurface;

// A clock that moves only when the engine rests, one event that may arrive
// at a set time, and the time of every block copy. A frame's rest ends at the
// frame itself; with `reportedAtFrame` an event that comes during a frame's
// rest is reported only when the frame's time comes, as a wait on a timer
// reports the timer first when both are ready.
class FramePlatform : public EnginePlatform {
 public:
  void Copy(Surface& to, int32_t, int32_t, int32_t, int32_t, Surface&, int32_t, int32_t) override {
    (&to == work ? blocks : handOvers).push_back(now);
  }
  void DoEvents() override {
    ++looks;
    if (eventAt >= 0 && now >= eventAt) {
      if (passesBeforeEvent < 0) passesBeforeEvent = static_cast<int>(blocks.size());
      eventAt = -1;
      if (onEvent) onEvent();
    }
  }
  bool WindowVisible() override { return now < runFor; }
  int64_t Now() override { return now; }
  RestEnded RestUntil(int64_t until) override {
    ++rests;
    timedRests.push_back(now);
    if (eventAt > now && eventAt < until) {
      now = eventAt;
      return RestEnded::kForMessages;
    }
    now = std::max(now, until);
    return eventAt >= 0 && eventAt <= now ? RestEnded::kForMessages : RestEnded::kOnTime;
  }
  RestEnded RestUntilRefresh(int64_t frame) override {
    if (!reportedAtFrame || eventAt <= now || eventAt >= frame) return RestUntil(frame);
    ++rests;
    now = frame;
    return RestEnded::kForMessages;
  }
  void RestUntilMessage() override {
    ++rests;
    now = eventAt > now ? eventAt : runFor;
  }
  Surface* work = nullptr;  // blocks land here; other copies are hand-overs
  int64_t now = 0, runFor = 1000000, eventAt = -1;
  bool reportedAtFrame = false;
  int looks = 0, rests = 0, passesBeforeEvent = -1;
  std::vector<int64_t> blocks, handOvers, timedRests;
  std::function<void()> onEvent;
};

SaverState Screen() {
  SaverState s;
  s.ImageWidth = 64;
  s.ImageHeight = 48;
  s.Horizontal = 1;
  s.Vertical = 1;
  return s;
}

EngineRun Paced(int framesPerSecond) {
  EngineRun run;
  run.passesPerSecond = 250;
  run.framesPerSecond = framesPerSecond;
  return run;
}

TEST(FramesPerSecond, ADisplayWithoutARateOfItsOwnIsTakenAtSixty) {
  const struct {
    const char* name;
    uint32_t reported;
    int expected;
  } cases[] = {{"the hardware's default (0)", 0, 60}, {"the hardware's default (1)", 1, 60},
               {"below any display", 23, 60},          {"a film display", 24, 24},
               {"a fast display", 144, 144},            {"beyond reason", 100000, 60}};
  for (const auto& c : cases) EXPECT_EQ(FramesPerSecond(c.reported), c.expected) << c.name;
}

TEST(ZindleLoop, GroupedByFrameKeepsThePaceAndWakesOnceAFrame) {
  for (int fps : {60, 144}) {
    SaverState s = Screen();
    MemorySurface surface(64, 48);
    FramePlatform platform;
    platform.work = &surface;
    Generator random(3);
    ZindleLoop(surface, surface, platform, nullptr, s, random, Paced(fps));
    const size_t passes = platform.blocks.size() - 1;  // the first copy is the whole picture
    EXPECT_NEAR(static_cast<double>(passes), 250, 2) << fps << " Hz: the pace is kept";
    EXPECT_LE(platform.rests, fps + 1) << fps << " Hz: at most one wake a frame";
    EXPECT_EQ(platform.looks, 3) << "two looks at the queue before the first pass, one after it; a quiet "
                                    "rest is a look of its own";
    for (size_t i = 1; i < platform.blocks.size(); ++i) {
      const int64_t due = static_cast<int64_t>(i - 1) * 4000;
      EXPECT_GE(platform.blocks[i], due) << "pass " << i - 1 << " never comes early";
      EXPECT_LT(platform.blocks[i] - due, 1000000 / fps + 4000) << "nor later than a frame after its time";
    }
  }
}

TEST(ZindleLoop, AnEventComesBetweenTheSamePassesGroupedOrNot) {
  for (int64_t at : {int64_t{10500}, int64_t{16000}, int64_t{250300}}) {
    int before[2];
    for (int fps : {0, 60}) {
      SaverState s = Screen();
      MemorySurface surface(64, 48);
      FramePlatform platform;
      platform.work = &surface;
      platform.eventAt = at;
      Generator random(3);
      ZindleLoop(surface, surface, platform, nullptr, s, random, Paced(fps));
      before[fps != 0] = platform.passesBeforeEvent - 1;
    }
    EXPECT_EQ(before[1], before[0]) << "an event at " << at << " us";
    EXPECT_EQ(before[1], static_cast<int>((at + 3999) / 4000)) << "after every pass due before it";
  }
}

TEST(ZindleLoop, AWorkSurfaceIsHandedOverOnceAFrameThatDrew) {
  for (int16_t slow : {0, 30}) {
    SaverState s = Screen();
    s.Slow = slow;
    MemorySurface picture(65, 49), window(64, 48);
    FramePlatform platform;
    platform.work = &picture;
    platform.eventAt = 10500;  // between two passes when slow
    Generator random(3);
    ZindleLoop(picture, window, platform, &picture, s, random, Paced(60));
    std::vector<int64_t> frames = platform.blocks;  // the first copy goes to the window
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    EXPECT_EQ(platform.handOvers.size(), 1 + frames.size()) << "Slow " << slow << ": the first copy, then one a frame that drew";
  }
}

TEST(ZindleLoop, NoPassWhileNoOneSeesAndThePaceResumesAfter) {
  SaverState s = Screen();
  MemorySurface surface(64, 48);
  FramePlatform platform;
  platform.work = &surface;
  platform.runFor = 3000000;
  // The screen goes dark just after one second, a movement comes in the
  // dark, and the screen comes back just after two.
  platform.eventAt = 1001000;
  bool seen = true;
  platform.onEvent = [&] {
    if (platform.now == 1001000) seen = false, platform.eventAt = 1500000;
    else if (platform.now == 1500000) platform.eventAt = 2001000;
    else seen = true;
  };
  EngineRun run = Paced(60);
  run.seen = [&] { return seen; };
  Generator random(3);
  ZindleLoop(surface, surface, platform, nullptr, s, random, run);
  const auto between = [&](int64_t from, int64_t to) {
    return std::count_if(platform.blocks.begin() + 1, platform.blocks.end(),
                         [&](int64_t t) { return t >= from && t < to; });
  };
  // A pass is drawn at the frame after it falls due.
  EXPECT_NEAR(between(0, 1000001), 250, 2);
  EXPECT_EQ(between(1000001, 2001000), 0) << "dark: nothing drawn";
  EXPECT_NEAR(between(2001000, 3000001), 250, 10) << "seen again: the pace within two frames, no burst of missed passes";
  EXPECT_EQ(std::count_if(platform.timedRests.begin(), platform.timedRests.end(),
                          [](int64_t t) { return t >= 1001000 && t < 2001000; }),
            0)
      << "dark, no timer runs: only the messages wake the run";
}

// The monitors change under the run: the caller ends it to lay it out afresh.
TEST(ZindleLoop, ARunThatIsNotToGoOnEndsAfterTheEventsOfThatFrame) {
  for (int fps : {0, 60}) {
    SaverState s = Screen();
    MemorySurface surface(64, 48);
    FramePlatform platform;
    platform.work = &surface;
    platform.eventAt = 100000;
    bool goOn = true;
    platform.onEvent = [&] { goOn = false; };
    EngineRun run = Paced(fps);
    run.goOn = [&] { return goOn; };
    Generator random(3);
    ZindleLoop(surface, surface, platform, nullptr, s, random, run);
    EXPECT_EQ(static_cast<int>(platform.blocks.size()) - 1, platform.passesBeforeEvent - 1 + (fps == 0))
        << fps << " fps: no pass after the event that ended it (a pass on its own has drawn its block first)";
    EXPECT_LT(platform.now, 100000 + 1000000 / 60) << fps << " fps: it ends at once";
  }
}

TEST(ZindleLoop, SlowLengthensTheRestBetweenPassesGroupedByFrame) {
  SaverState s = Screen();
  s.Slow = 4;  // 4 ms on top of the pace's 4 ms
  MemorySurface surface(64, 48);
  FramePlatform platform;
  platform.work = &surface;
  Generator random(3);
  ZindleLoop(surface, surface, platform, nullptr, s, random, Paced(60));
  EXPECT_NEAR(static_cast<double>(platform.blocks.size() - 1), 125, 2);
}

TEST(ZindleLoop, AMessageWaitingWhenTheFramesTimeComesIsHandledBeforeTheFrame) {
  SaverState s = Screen();
  MemorySurface surface(64, 48);
  FramePlatform platform;
  platform.work = &surface;
  platform.reportedAtFrame = true;
  platform.eventAt = 10500;  // during the rest until the first frame, at 16667 us
  Generator random(3);
  ZindleLoop(surface, surface, platform, nullptr, s, random, Paced(60));
  EXPECT_EQ(platform.passesBeforeEvent - 1, 1) << "only the first pass, drawn at once; the frame's come after the key";
}

// The saver's refresh timer as Windows runs it: ticks a whole number of
// milliseconds apart at a phase of their own, every other wake 2.5 ms later
// after its tick than the one before, as on a busy machine, and blocks that
// take time to draw. A rest until a frame
// takes ticks until one ends it, as the program does.
class TickPlatform : public EnginePlatform {
 public:
  static constexpr int64_t kDraw = 150, kRunFor = 2000000;
  TickPlatform(int framesPerSecond, int64_t phase)
      : period(int64_t{RefreshTickMilliseconds(framesPerSecond)} * 1000), phase(phase), nextTick(phase) {}
  void Copy(Surface&, int32_t, int32_t, int32_t, int32_t, Surface&, int32_t, int32_t) override { now += kDraw; }
  void DoEvents() override {}
  bool WindowVisible() override { return now < kRunFor; }
  int64_t Now() override { return now; }
  RestEnded RestUntil(int64_t until) override {
    now = std::max(now, until);
    return RestEnded::kOnTime;
  }
  RestEnded RestUntilRefresh(int64_t frame) override {
    for (;;) {
      // A tick that came while the frame was drawn is waiting; else the
      // thread sleeps until the next. The timer's signal is one, however
      // many ticks came.
      if (nextTick > now) now = nextTick + 40 + ticks % 2 * 2500;
      while (nextTick <= now) nextTick += period, ++ticks;
      if (TickEndsRest(TickBefore(now, phase, period), frame)) {
        frames.push_back(ticks);
        return RestEnded::kOnTime;
      }
    }
  }
  void RestUntilMessage() override { now = kRunFor; }
  const int64_t period, phase;
  int64_t nextTick, now = 0, ticks = 0;
  std::vector<int64_t> frames;  // the ticks that ended a frame's rest, counted from the first
};

TEST(ZindleLoop, AFrameAtEveryRefreshHoweverTheTimersTicksArePhased) {
  for (int fps : {60, 144}) {
    for (int64_t phase : {0, 333, 2500, 5999}) {
      SCOPED_TRACE(std::to_string(fps) + " Hz, the first tick at " + std::to_string(phase) + " us");
      SaverState s = Screen();
      MemorySurface surface(64, 48);
      TickPlatform platform(fps, phase);
      Generator random(3);
      RunCounts counts;
      EngineRun run = Paced(fps);
      run.counts = &counts;
      ZindleLoop(surface, surface, platform, nullptr, s, random, run);
      const double seconds = TickPlatform::kRunFor / 1e6;
      EXPECT_NEAR(counts.frames / seconds, fps, fps * 0.03) << "frames drawn a second";
      EXPECT_NEAR(counts.passes / seconds, 250, 2) << "passes a second";
      for (size_t i = 1; i < platform.frames.size(); ++i)
        ASSERT_LE(platform.frames[i] - platform.frames[i - 1], 2) << "no two ticks in a row go without a frame";
    }
  }
}

// Frames of 16.667 ms rested on time-outs: at Windows' default tick a wake
// comes on the first tick at or after the time asked, so most come late.
TEST(TimeOutJudge, ACoarseTickIsFoundSoonAndAFewLateWakesAreNot) {
  TimeOutJudge coarse(true);
  int rests = 0;
  for (int64_t frame = 16667; coarse.KeepTime() && rests < 100; frame += 16667, ++rests) {
    const int64_t wake = (frame + 15624) / 15625 * 15625;
    coarse.Woke(wake - frame);
  }
  EXPECT_LE(rests, 16) << "rests before the refresh timer takes over";
  for (int i = 0; i < 16; ++i) coarse.Woke(0);
  EXPECT_FALSE(coarse.KeepTime()) << "once judged coarse, for good";

  TimeOutJudge fine(true);
  for (int i = 0; i < 1000; ++i) fine.Woke(i % 3 == 0 ? 9000 : 600);  // a busy machine: every third wake late
  EXPECT_TRUE(fine.KeepTime());
}

}  // namespace
}  // namespace zindle
