#include "saver/engine.h"

#include <algorithm>
#include <bitset>
#include <cmath>

#include "core/numbers.h"

namespace zindle {

void Generator::Seed(uint64_t seed) { state_ = seed ^ 0x9E3779B97F4A7C15ull; }

float Generator::NextFraction() {
  // splitmix64: cheap, and every seed gives a full-period sequence.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

Generator& ProgramRandom() {
  static Generator generator;
  return generator;
}

float Random(int16_t n, RandomSource& random) {
  int16_t count = static_cast<int16_t>(n + 1);  // 16-bit: 32767 + 1 wraps
  float product = static_cast<float>(count) * random.NextFraction();
  float result = std::floor(product);
  if (count > 0 && result >= count) result = static_cast<float>(count - 1);
  if (count <= 0 && result < count) result = static_cast<float>(count);
  return result;
}

PassPlan PlanPass(const SaverState& s, RandomSource& random) {
  return PlanPass(s.ImageWidth, s.ImageHeight, s.Horizontal, s.Vertical, random);
}

PassPlan PlanPass(int16_t width, int16_t height, int16_t horizontal, int16_t vertical, RandomSource& random) {
  PassPlan plan{};
  plan.x = ToInt16(Random(width, random));
  plan.y = ToInt16(Random(height, random));
  // Real halving: an odd amplitude gives offsets that end in .5, and the
  // rounding of the source corner then depends on the corner's parity.
  float dx = Random(horizontal, random) - horizontal / 2.0f;
  float dy = Random(vertical, random) - vertical / 2.0f;
  plan.w = ToInt32(Random(static_cast<int16_t>(width - plan.x), random));
  plan.h = ToInt32(Random(static_cast<int16_t>(height - plan.y), random));
  plan.sx = ToInt32(plan.x + static_cast<double>(dx));
  plan.sy = ToInt32(plan.y + static_cast<double>(dy));
  return plan;
}

Block ClipBlock(const PassPlan& plan, const Rect& readable) {
  // 64 bits: a corner near the 32-bit limit plus a size must not wrap.
  int64_t left = std::max<int64_t>(plan.sx, readable.left);
  int64_t top = std::max<int64_t>(plan.sy, readable.top);
  int64_t right = std::min<int64_t>(int64_t{plan.sx} + std::max(plan.w, 0), int64_t{readable.left} + readable.width);
  int64_t bottom =
      std::min<int64_t>(int64_t{plan.sy} + std::max(plan.h, 0), int64_t{readable.top} + readable.height);
  if (right <= left || bottom <= top) return Block{plan.x, plan.y, 0, 0, plan.sx, plan.sy};
  return Block{static_cast<int32_t>(plan.x + (left - plan.sx)), static_cast<int32_t>(plan.y + (top - plan.sy)),
               static_cast<int32_t>(right - left),          static_cast<int32_t>(bottom - top),
               static_cast<int32_t>(left),                  static_cast<int32_t>(top)};
}

Area WholeArea(int32_t width, int32_t height) {
  Rect all{0, 0, width, height};
  return Area{all, 0, 0, all};
}

PassClock::PassClock(double passesPerSecond)
    : period_(passesPerSecond > 0 ? std::llround(1e6 / passesPerSecond) : 0) {}

int64_t PassClock::NextPass(int64_t now) {
  if (!started_ || now - (due_ + period_) > kLongestLag) {
    started_ = true;
    due_ = now;
  } else {
    due_ += period_;
  }
  return due_;
}

namespace {

// The readable part of an area, from the source onto a surface at the area's place.
void CopyReadable(EnginePlatform& platform, Surface& to, const Area& area, Surface& from, int32_t fromLeft,
                  int32_t fromTop) {
  const Rect& r = area.readable;
  platform.Copy(to, area.target.left + r.left, area.target.top + r.top, r.width, r.height, from, fromLeft + r.left,
                fromTop + r.top);
}

}  // namespace

int FramesPerSecond(uint32_t reported) {
  // 0 and 1 stand for the hardware's default; below 24 no display refreshes.
  if (reported < 24 || reported > 1000) return kDefaultFramesPerSecond;
  return static_cast<int>(reported);
}

// Frame k is at start + ceil(k / fps seconds); the last at or before `time`
// is k = floor((time - start) * fps / 1 s).
int64_t FrameClock::Last(int64_t time) const {
  if (time < start_) return start_;
  const int64_t k = (time - start_) * framesPerSecond_ / 1000000;
  return start_ + (k * 1000000 + framesPerSecond_ - 1) / framesPerSecond_;
}

int64_t FrameClock::After(int64_t time) const {
  if (time < start_) return start_;
  const int64_t k = (time - start_) * framesPerSecond_ / 1000000 + 1;
  return start_ + (k * 1000000 + framesPerSecond_ - 1) / framesPerSecond_;
}

int64_t TickBefore(int64_t now, int64_t firstTick, int64_t period) {
  if (now < firstTick || period <= 0) return now;
  return firstTick + (now - firstTick) / period * period;
}

// A wake more than 2 ms late is late; half of the last 16 late is a coarse
// tick, not a busy moment.
void TimeOutJudge::Woke(int64_t late) {
  recent_ = ((recent_ << 1) | (late > 2000 ? 1u : 0u)) & 0xFFFFu;
  if (std::bitset<16>(recent_).count() >= 8) keepTime_ = false;
}

int32_t RefreshTickMilliseconds(int framesPerSecond) {
  return framesPerSecond > 0 ? std::max(1, 1000 / framesPerSecond) : 0;
}

namespace {

// Rests until a pass is due, handling the messages that come meanwhile.
void RestUntilPass(EnginePlatform& platform, int64_t due) {
  while (platform.Now() < due) {
    if (platform.RestUntil(due) == RestEnded::kForMessages) {
      platform.DoEvents();
      if (!platform.WindowVisible()) return;
    }
  }
}

// Paced and grouped by frame: one wake, one look at the queue and one
// hand-over of work a frame, whatever the number of passes due in it.
void ZindleByFrame(Surface& source, Surface& target, EnginePlatform& platform, Surface* work,
                   const SaverState& state, RandomSource& random, const EngineRun& run,
                   const std::function<Area(size_t)>& areaOfPass, size_t areaCount) {
  PassClock clock(run.passesPerSecond * static_cast<double>(areaCount));
  const int64_t start = platform.Now();
  const FrameClock frames(run.framesPerSecond, start);
  size_t pass = 0;
  int64_t due = clock.NextPass(start);
  bool first = true;  // the first pass is drawn at once, even unseen
  // Until the first rest the queue has not been looked at since the caller's.
  RestEnded ended = RestEnded::kForMessages;
  int64_t frame = start;  // the frame the last rest was for
  bool planned = false;   // a block planned and waiting for its time
  Area area;
  Block block{};
  auto over = [&] { return !platform.WindowVisible() || (run.goOn && !run.goOn()); };
  for (;;) {
    const int64_t now = platform.Now();
    bool look = ended == RestEnded::kForMessages;
    // A message waiting when the frame's time has come goes first: input is
    // handled before the frame is drawn. One that came earlier is handled
    // after the passes due before it.
    if (look && now >= frame) {
      platform.DoEvents();
      look = false;
      if (!first && over()) return;  // a hidden window still gets its one pass
    }
    // A refresh's wake draws the passes due by its frame, however late the
    // wake; a message's those due before it, or at the frame's time all due.
    const int64_t drawTo = ended == RestEnded::kOnTime ? frame : look ? now - 1 : frames.Last(now);
    // A screen no one sees is not drawn on; the first pass always is.
    const bool seen = first || !run.seen || run.seen();
    first = false;
    bool drawn = false;
    while (seen && due <= drawTo) {
      if (!planned) {
        area = areaOfPass(pass++);
        PassPlan plan = PlanPass(static_cast<int16_t>(area.target.width), static_cast<int16_t>(area.target.height),
                                 state.Horizontal, state.Vertical, random);
        block = ClipBlock(plan, area.readable);
        planned = true;
        // Slow motion: the planned block waits, resting, before it is drawn.
        if (state.Slow != 0) {
          clock.Delay(int64_t{state.Slow} * 1000);
          due += int64_t{state.Slow} * 1000;
          continue;
        }
      }
      platform.Copy(work ? *work : target, area.target.left + block.x, area.target.top + block.y, block.w, block.h,
                    source, area.sourceLeft + block.sx, area.sourceTop + block.sy);
      planned = false;
      due = clock.NextPass(now);
      drawn = true;
      if (run.counts) ++run.counts->passes;
    }
    if (drawn) {
      if (work) {
        for (size_t i = 0; i < areaCount; ++i) {
          const Area whole = areaOfPass(i);
          platform.Copy(target, whole.target.left, whole.target.top, whole.target.width, whole.target.height, *work,
                        whole.target.left, whole.target.top);
        }
      }
      if (run.counts) ++run.counts->frames;
    }
    if (look) platform.DoEvents();
    if (over()) return;
    // Unseen (the events may have changed it), the run sleeps until a message
    // comes: the one that shows the screen again, input, or a close.
    if (run.seen && !run.seen()) {
      platform.RestUntilMessage();
      ended = RestEnded::kForMessages;
      continue;
    }
    // The next wake is the first frame at or after the next pass's time; an
    // event ends the rest and is handled after the passes due before it.
    frame = frames.After(std::max(drawTo, due - 1));
    ended = platform.RestUntilRefresh(frame);
  }
}

}  // namespace

void ZindleLoop(Surface& source, Surface& target, EnginePlatform& platform, Surface* work,
                const SaverState& state, RandomSource& random, const EngineRun& run) {
  // One screen is read afresh from the state on every pass.
  auto areaOfPass = [&](size_t pass) -> Area {
    return run.areas.empty() ? WholeArea(state.ImageWidth, state.ImageHeight) : run.areas[pass % run.areas.size()];
  };
  const size_t areaCount = run.areas.empty() ? 1 : run.areas.size();
  const bool paced = run.passesPerSecond > 0;
  PassClock clock(run.passesPerSecond * static_cast<double>(areaCount));

  platform.DoEvents();
  platform.DoEvents();
  for (size_t i = 0; i < areaCount; ++i) {
    Area area = areaOfPass(i);
    CopyReadable(platform, target, area, source, area.sourceLeft, area.sourceTop);
  }
  if (paced && run.framesPerSecond > 0) {
    ZindleByFrame(source, target, platform, work, state, random, run, areaOfPass, areaCount);
    return;
  }
  size_t pass = 0;
  do {
    if (paced) RestUntilPass(platform, clock.NextPass(platform.Now()));
    platform.DoEvents();
    const Area area = areaOfPass(pass++);
    PassPlan plan = PlanPass(static_cast<int16_t>(area.target.width), static_cast<int16_t>(area.target.height),
                             state.Horizontal, state.Vertical, random);
    if (state.Slow != 0) {
      // A pause that input ends; its messages are left for the yield after it.
      platform.RestUntil(platform.Now() + int64_t{state.Slow} * 1000);
      clock.Delay(int64_t{state.Slow} * 1000);
    }
    platform.DoEvents();
    Block b = ClipBlock(plan, area.readable);
    Surface& blocks = work ? *work : target;
    platform.Copy(blocks, area.target.left + b.x, area.target.top + b.y, b.w, b.h, source, area.sourceLeft + b.sx,
                  area.sourceTop + b.sy);
    if (run.counts) ++run.counts->passes, ++run.counts->frames;
    if (work) {
      platform.DoEvents();
      platform.Copy(target, area.target.left, area.target.top, area.target.width, area.target.height, *work,
                    area.target.left, area.target.top);
    }
  } while (platform.WindowVisible() && (!run.goOn || run.goOn()));
}

}  // namespace zindle
