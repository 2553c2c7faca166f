// The distortion: random blocks copied back onto a surface from a place
// shifted by a few pixels. A pass is planned as plain data, then performed on
// surfaces through a small platform interface.
#pragma once
#include <cstdint>

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

// An opaque drawing surface; the platform knows what it is.
class Surface {
 public:
  virtual ~Surface() = default;
};

class EnginePlatform {
 public:
  virtual ~EnginePlatform() = default;
  // Block copy (SRCCOPY) of w x h from `from` at (sx, sy) to `to` at (x, y).
  virtual void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from,
                    int32_t sx, int32_t sy) = 0;
  // Processes every pending user-interface event; may end the program.
  virtual void DoEvents() = 0;
  virtual void Sleep(int32_t milliseconds) = 0;
  // Whether the window that the run draws for is still visible.
  virtual bool WindowVisible() = 0;
};

// Runs passes until the window is no longer visible (at least one pass). The
// state is read afresh on every pass. With a work surface every block lands on
// work and the whole of work is then copied onto the target.
void ZindleLoop(Surface& source, Surface& target, EnginePlatform& platform, Surface* work,
                const SaverState& state, RandomSource& random);

}  // namespace zindle
