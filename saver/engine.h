// The distortion: random blocks copied back onto a surface from a place
// shifted by a few pixels. A pass is planned as plain data, clipped to what
// may be read, then performed on surfaces through a small platform interface.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "core/rect.h"
#include "settings/saver_state.h"

namespace zindle {

// Uniform fractions in [0, 1), one per call.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual float NextFraction() = 0;
};

// A small fast generator seeded once; fractions carry 24 bits, as a float can.
class Generator : public RandomSource {
 public:
  explicit Generator(uint64_t seed = 1) { Seed(seed); }
  void Seed(uint64_t seed);
  float NextFraction() override;

 private:
  uint64_t state_ = 0;
};

// The program's generator, seeded from the time of day by the saver.
Generator& ProgramRandom();

// A whole number from 0 to n: floor((n + 1) * u) with n + 1 formed in 16 bits.
// The single-precision product can round up to n + 1 when u is close to 1;
// the result is kept at n then.
float Random(int16_t n, RandomSource& random);

// One pass of the engine: the block's corner and size, and where it is read.
struct PassPlan {
  int16_t x, y;    // corner on the target; may equal W or H
  int32_t w, h;    // size; never past the right or bottom edge, may be empty
  int32_t sx, sy;  // corner on the source, shifted and rounded half to even
};

// Draws x, y, the horizontal offset, the vertical offset, w, h, in this order.
PassPlan PlanPass(const SaverState& state, RandomSource& random);
PassPlan PlanPass(int16_t width, int16_t height, int16_t horizontal, int16_t vertical, RandomSource& random);

// What a pass copies: w x h from (sx, sy) to (x, y).
struct Block {
  int32_t x, y, w, h, sx, sy;
};

// The part of a planned block whose source lies inside `readable`; the rest
// of the target keeps its pixels. A shifted block near an edge would
// otherwise bring in whatever lies beyond the picture. May be empty.
Block ClipBlock(const PassPlan& plan, const Rect& readable);

// A part of the target that drifts as one screen: blocks are planned in its
// W x H and read only from its readable part.
struct Area {
  Rect target;                            // on the target and work surfaces
  int32_t sourceLeft = 0, sourceTop = 0;  // where the area's corner lies on the source
  Rect readable;                          // within the area, where blocks may be read
};

// The area of one screen: W x H at the corner of every surface.
Area WholeArea(int32_t width, int32_t height);

// Passes spread evenly in time, on the platform's clock in microseconds. A
// pass that could not start on time starts at once, but a machine that falls
// far behind (a stall, or a machine too slow for the pace) starts afresh
// from now rather than hurrying through the passes it missed.
class PassClock {
 public:
  static constexpr int64_t kLongestLag = 100000;
  explicit PassClock(double passesPerSecond);
  // When the next pass is due; the first one is due at once.
  int64_t NextPass(int64_t now);
  // Slow motion: a pause that comes on top of the pace.
  void Delay(int64_t microseconds) { due_ += microseconds; }

 private:
  int64_t period_;
  int64_t due_ = 0;
  bool started_ = false;
};

// An opaque drawing surface; the platform knows what it is.
class Surface {
 public:
  virtual ~Surface() = default;
};

// How a rest ended, and so whether the message queue is to be looked at.
enum class RestEnded {
  kOnTime,       // at its time, the queue looked at and found empty
  kForMessages,  // a message is waiting, or the queue was not looked at
};

// The engine's rests, on the clock of the pace in microseconds. A message
// ends any rest at once, so that input is handled the moment it comes.
class Rests {
 public:
  virtual ~Rests() = default;
  virtual int64_t Now() = 0;
  // Until the clock reaches `until`.
  virtual RestEnded RestUntil(int64_t until) = 0;
  // Until the display's first refresh at or after the frame at `frame`; a
  // platform that cannot see the refreshes rests until `frame` itself. On
  // time, the refresh stands for that frame, however late the wake.
  virtual RestEnded RestUntilRefresh(int64_t frame) { return RestUntil(frame); }
  // Until a message comes: no timer runs, and nothing else wakes the thread.
  virtual void RestUntilMessage() = 0;
};

class EnginePlatform : public Rests {
 public:
  // Block copy (SRCCOPY) of w x h from `from` at (sx, sy) to `to` at (x, y).
  virtual void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from,
                    int32_t sx, int32_t sy) = 0;
  // Processes every pending user-interface event; may end the program.
  virtual void DoEvents() = 0;
  // Whether the window that the run draws for is still visible.
  virtual bool WindowVisible() = 0;
};

// The display's frames on the engine's clock: one every 1/fps second from the
// run's start, exact however long the run.
class FrameClock {
 public:
  FrameClock(int framesPerSecond, int64_t start) : framesPerSecond_(framesPerSecond), start_(start) {}
  // The last frame at or before `time`, and the first after it.
  int64_t Last(int64_t time) const;
  int64_t After(int64_t time) const;

 private:
  int64_t framesPerSecond_;
  int64_t start_;
};

// A timer that stands for the display's refreshes ticks every whole number of
// milliseconds: the frame rounded down, so that every frame has a tick of its
// own (at 60 Hz every 16 ms, 62.5 ticks a second for 60 frames).
int32_t RefreshTickMilliseconds(int framesPerSecond);

// The time of the refresh timer's tick that woke a rest at `now`: the last
// one at or before it, on the timer's own rhythm from its first tick. A wake
// comes after its tick by however busy the machine is; the tick's own time
// says which frame it stands for.
int64_t TickBefore(int64_t now, int64_t firstTick, int64_t period);

// Whether that tick ends the rest until the frame at `frame`. The ticks drift
// against the frames; one that comes before its frame is let pass, and each
// frame is drawn on the first tick at or after it.
inline bool TickEndsRest(int64_t tick, int64_t frame) { return tick >= frame; }

// Whether the wait's own time-outs keep to the millisecond, judged by how late
// the rests on them woke. Wine's do, and Windows' where the timer's resolution
// is raised; at its default tick of 15.6 ms most wake late, and the run then
// rests on the refresh timer for good.
class TimeOutJudge {
 public:
  explicit TimeOutJudge(bool tryThem) : keepTime_(tryThem) {}
  bool KeepTime() const { return keepTime_; }
  // A rest on a time-out woke `late` microseconds after the time it asked for.
  void Woke(int64_t late);

 private:
  bool keepTime_;
  uint32_t recent_ = 0;  // the last 16 rests, a bit set for each that woke late
};

// The paces, chosen by looking at the distortion over time (docs/look.md):
// the desktop is still plainly itself after ten seconds and has drifted
// apart after about a minute. Blocks scale with the picture, so the
// miniature, which shows the desktop's corner at its own pixels, needs a
// slower pace to drift alike.
inline constexpr double kSaverPassesPerSecond = 250;
inline constexpr double kPreviewPassesPerSecond = 25;

// A display that reports no rate of its own, or one beyond reason, is taken
// to show this many frames a second.
inline constexpr int kDefaultFramesPerSecond = 60;
int FramesPerSecond(uint32_t reported);

// Frames drawn (wakes that drew at least one block) and passes performed.
struct RunCounts {
  uint64_t frames = 0;
  uint64_t passes = 0;
};

// How a run is laid out and paced.
struct EngineRun {
  std::vector<Area> areas;      // empty: one screen, the state's W x H, read afresh
  double passesPerSecond = 0;   // for each area; 0 runs passes back to back
  // With a pace: the display's frames a second. Passes that fall due within
  // one frame are seen together, so the run wakes once a frame, on the
  // display's refresh, performs them together and looks at the queue once.
  // 0 wakes for every pass.
  int framesPerSecond = 0;
  // Whether anyone can see the screen; while not, no pass is performed and
  // the run rests until a message comes.
  std::function<bool()> seen;
  // Where the run counts what it draws, when given: the bench reads it.
  RunCounts* counts = nullptr;
  // Looked at after the events of every frame: false ends the run, so that
  // the caller can lay it out afresh (the monitors changed under it).
  std::function<bool()> goOn;
};

// Runs passes until the window is no longer visible or the run is not to go
// on (at least one pass). The
// state is read afresh on every pass. With a work surface every block lands on
// work and the whole of work is then copied onto the target. Several areas
// take their passes in turn, each at the full pace. Grouped by frame, an
// event is handled after every pass that fell due before it and before any
// that falls due later, as when each pass looks at the queue itself, and one
// waiting when a frame's time comes before that frame; work is copied onto
// the target once a frame, and `Slow` lengthens the rest.
void ZindleLoop(Surface& source, Surface& target, EnginePlatform& platform, Surface* work,
                const SaverState& state, RandomSource& random, const EngineRun& run = {});

}  // namespace zindle
