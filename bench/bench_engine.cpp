// The portable engine and the colour analysis on plain memory: what the
// program's own arithmetic costs, apart from any drawing system.
#include <benchmark/benchmark.h>

#include <vector>

#include "saver/colour_analysis.h"
#include "saver/engine.h"
#include "default_state.h"
#include "memory_surface.h"

namespace {

using namespace zindle;

// The three screens every figure is taken at.
void Screens(benchmark::internal::Benchmark* b) {
  b->Args({800, 600})->Args({1920, 1080})->Args({3840, 2160});
}

// A picture that is neither uniform nor symmetric, so that samples differ.
std::vector<uint32_t> Picture(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          (((x * 7 + y) & 255) << 16) | (((y * 5 + (x >> 3)) & 255) << 8) | (((x >> 2) ^ (y >> 1)) & 255);
  return pixels;
}

// A test picture on a surface in memory.
struct PictureSurface : bench::MemorySurface {
  PictureSurface(int width, int height) : MemorySurface(width, height) { pixels = Picture(width, height); }
};

// Counts the pixels it moves. WindowVisible ends the run when the benchmark
// has had enough passes.
class MemoryPlatform : public EnginePlatform {
 public:
  explicit MemoryPlatform(benchmark::State* state) : state_(state) {}
  void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from, int32_t sx,
            int32_t sy) override {
    moved += bench::CopyBlock(static_cast<bench::MemorySurface&>(to), x, y, w, h,
                              static_cast<bench::MemorySurface&>(from), sx, sy);
  }
  void DoEvents() override { ++yields; }
  bool WindowVisible() override { return state_->KeepRunning(); }
  int64_t Now() override { return 0; }
  RestEnded RestUntil(int64_t) override { return RestEnded::kOnTime; }
  void RestUntilMessage() override {}
  int64_t moved = 0;
  int64_t yields = 0;

 private:
  benchmark::State* state_;
};

void BM_Random(benchmark::State& state) {
  Generator random(42);
  for (auto _ : state) benchmark::DoNotOptimize(Random(static_cast<int16_t>(state.range(0)), random));
}
BENCHMARK(BM_Random)->Arg(1)->Arg(1920);

void BM_PlanPass(benchmark::State& state) {
  SaverState s = bench::DefaultState(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  Generator random(42);
  for (auto _ : state) benchmark::DoNotOptimize(PlanPass(s, random));
}
BENCHMARK(BM_PlanPass)->Apply(Screens);

// The saver's case: blocks drawn straight onto the surface they are read from.
void BM_ZindleLoop_Window(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  SaverState s = bench::DefaultState(w, h);
  PictureSurface screen(w, h);
  MemoryPlatform platform(&state);
  Generator random(42);
  ZindleLoop(screen, screen, platform, nullptr, s, random);
  state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(platform.moved), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ZindleLoop_Window)->Apply(Screens);

// The preview's case: every block lands on the work surface, which is then
// copied whole onto the target.
void BM_ZindleLoop_Work(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  SaverState s = bench::DefaultState(w, h);
  PictureSurface work(w + 1, h + 1), target(w, h);
  MemoryPlatform platform(&state);
  Generator random(42);
  ZindleLoop(work, target, platform, &work, s, random);
  state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(platform.moved), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ZindleLoop_Work)->Apply(Screens);

// The limit a pass cannot beat: one copy of the whole surface.
void BM_FullCopy(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  PictureSurface from(w, h), to(w, h);
  MemoryPlatform platform(&state);
  for (auto _ : state) platform.Copy(to, 0, 0, w, h, from, 0, 0);
  state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(platform.moved), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullCopy)->Apply(Screens);

// The intelligent colour test on the captured picture, read in memory as the
// saver reads it.
void BM_Analysis(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto level = static_cast<int16_t>(state.range(2));
  std::vector<uint32_t> pixels = Picture(w + 1, h + 1);
  DibPixelReader reader(pixels.data(), w + 1, h + 1);
  for (auto _ : state) benchmark::DoNotOptimize(AnalyseColours(reader, w, h, level, 2));
  state.counters["samples"] = static_cast<double>(((w + 5 * level - 1) / (5 * level)) *
                                                  static_cast<int64_t>((h + 5 * level - 1) / (5 * level)));
}
BENCHMARK(BM_Analysis)
    ->Args({800, 600, 1})->Args({800, 600, 10})
    ->Args({1920, 1080, 1})->Args({1920, 1080, 10})
    ->Args({3840, 2160, 1})->Args({3840, 2160, 10})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
