#include "saver/engine.h"

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
  PassPlan plan{};
  plan.x = ToInt16(Random(s.ImageWidth, random));
  plan.y = ToInt16(Random(s.ImageHeight, random));
  // Real halving: an odd amplitude gives offsets that end in .5, and the
  // rounding of the source corner then depends on the corner's parity.
  float dx = Random(s.Horizontal, random) - s.Horizontal / 2.0f;
  float dy = Random(s.Vertical, random) - s.Vertical / 2.0f;
  plan.w = ToInt32(Random(static_cast<int16_t>(s.ImageWidth - plan.x), random));
  plan.h = ToInt32(Random(static_cast<int16_t>(s.ImageHeight - plan.y), random));
  plan.sx = ToInt32(plan.x + static_cast<double>(dx));
  plan.sy = ToInt32(plan.y + static_cast<double>(dy));
  return plan;
}

void ZindleLoop(Surface& source, Surface& target, EnginePlatform& platform, Surface* work,
                const SaverState& state, RandomSource& random) {
  platform.DoEvents();
  platform.DoEvents();
  platform.Copy(target, 0, 0, state.ImageWidth, state.ImageHeight, source, 0, 0);
  do {
    platform.DoEvents();
    PassPlan plan = PlanPass(state, random);
    if (state.Slow != 0) platform.Sleep(state.Slow);
    platform.DoEvents();
    if (work) {
      platform.Copy(*work, plan.x, plan.y, plan.w, plan.h, source, plan.sx, plan.sy);
      platform.DoEvents();
      platform.Copy(target, 0, 0, state.ImageWidth, state.ImageHeight, *work, 0, 0);
    } else {
      platform.Copy(target, plan.x, plan.y, plan.w, plan.h, source, plan.sx, plan.sy);
    }
  } while (platform.WindowVisible());
}

}  // namespace zindle
