// The portable engine and the colour analysis on plain memory: what the
// program's own arithmetic costs, apart from any drawing system.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "saver/colour_analysis.h"
#include "saver/engine.h"

namespace {

using namespace zindle;

// The three screens every figure is taken at.
void Screens(benchmark::internal::Benchmark* b) {
  b->Args({800, 600})->Args({1920, 1080})->Args({3840, 2160});
}

SaverState StateFor(int width, int height) {
  SaverState s;
  s.ImageWidth = static_cast<int16_t>(width);
  s.ImageHeight = static_cast<int16_t>(height);
  s.Horizontal = 1;  // the defaults of the settings
  s.Vertical = 1;
  return s;
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

// A 32-bit surface in memory; blocks are clipped to it as a bitmap clips.
class MemorySurface : public Surface {
 public:
  MemorySurface(int width, int height) : width(width), height(height), pixels(Picture(width, height)) {}
  int width, height;
  std::vector<uint32_t> pixels;
};

// Block copies with BitBlt's meaning for overlapping blocks of one surface;
// counts the pixels it moves. WindowVisible ends the run when the benchmark
// has had enough passes.
class MemoryPlatform : public EnginePlatform {
 public:
  explicit MemoryPlatform(benchmark::State* state) : state_(state) {}
  void Copy(Surface& toSurface, int32_t x, int32_t y, int32_t w, int32_t h, Surface& fromSurface, int32_t sx,
            int32_t sy) override {
    auto& to = static_cast<MemorySurface&>(toSurface);
    auto& from = static_cast<MemorySurface&>(fromSurface);
    // Clip to both surfaces.
    if (x < 0) { w += x; sx -= x; x = 0; }
    if (y < 0) { h += y; sy -= y; y = 0; }
    if (sx < 0) { w += sx; x -= sx; sx = 0; }
    if (sy < 0) { h += sy; y -= sy; sy = 0; }
    w = std::min({w, to.width - x, from.width - sx});
    h = std::min({h, to.height - y, from.height - sy});
    if (w <= 0 || h <= 0) return;
    moved += static_cast<int64_t>(w) * h;
    bool upward = &to == &from && sy < y;  // rows read before they are overwritten
    for (int32_t i = 0; i < h; ++i) {
      int32_t row = upward ? h - 1 - i : i;
      std::memmove(&to.pixels[static_cast<size_t>(y + row) * to.width + x],
                   &from.pixels[static_cast<size_t>(sy + row) * from.width + sx], static_cast<size_t>(w) * 4);
    }
  }
  void DoEvents() override { ++yields; }
  void Sleep(int32_t) override {}
  bool WindowVisible() override { return state_->KeepRunning(); }
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
  SaverState s = StateFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  Generator random(42);
  for (auto _ : state) benchmark::DoNotOptimize(PlanPass(s, random));
}
BENCHMARK(BM_PlanPass)->Apply(Screens);

// The saver's case: blocks drawn straight onto the surface they are read from.
void BM_ZindleLoop_Window(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  SaverState s = StateFor(w, h);
  MemorySurface screen(w, h);
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
  SaverState s = StateFor(w, h);
  MemorySurface work(w + 1, h + 1), target(w, h);
  MemoryPlatform platform(&state);
  Generator random(42);
  ZindleLoop(work, target, platform, &work, s, random);
  state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(platform.moved), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ZindleLoop_Work)->Apply(Screens);

// The limit a pass cannot beat: one copy of the whole surface.
void BM_FullCopy(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  MemorySurface from(w, h), to(w, h);
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
