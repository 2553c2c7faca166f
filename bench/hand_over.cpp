// What the saver's frames hand over to a display that takes, at each wait,
// the bounds of what was drawn on each window since the last (as Wine's X11
// driver does): the program's own engine at its pace, on a clock that jumps
// from rest to rest, for several ways of cutting the screen or the frame.
// Geometry only; what a pixel and a hand-over cost is measured elsewhere.
#include <cstdio>
#include <vector>

#include "core/rect.h"
#include "saver/engine.h"
#include "default_state.h"

namespace {

using namespace zindle;

constexpr int kFramesPerSecond = 60;
constexpr int64_t kFrames = 60000;

double Pixels(const Rect& r) { return r.Empty() ? 0 : static_cast<double>(r.width) * r.height; }

struct Tally {
  double pixels = 0;
  double handOvers = 0;
  void Add(const Rect& r) {
    if (r.Empty()) return;
    pixels += Pixels(r);
    ++handOvers;
  }
};

// Records each frame's blocks on the target; a rest ends the frame.
class FramePlatform : public EnginePlatform {
 public:
  FramePlatform(int width, int height) : screen_{0, 0, width, height} {}
  void Copy(Surface&, int32_t x, int32_t y, int32_t w, int32_t h, Surface&, int32_t, int32_t) override {
    const Rect block{x, y, w, h};  // planned within the screen
    if (!block.Empty()) blocks_.push_back(block);
  }
  void DoEvents() override {}
  bool WindowVisible() override { return true; }
  int64_t Now() override { return now_; }
  RestEnded RestUntil(int64_t until) override {
    EndFrame();
    now_ = until;
    return RestEnded::kOnTime;
  }
  void RestUntilMessage() override {}
  int64_t frames = 0;
  Tally whole, alone, twoCut, tiles[3];

 private:
  void EndFrame() {
    if (blocks_.empty()) return;
    ++frames;
    Rect all;
    for (const Rect& b : blocks_) {
      all = Bounds(all, b);
      alone.Add(b);
    }
    whole.Add(all);
    // Two hand-overs: the blocks stay in their order, so the cut falls
    // between two of them, where the two bounds are smallest.
    Rect best[2] = {all, {}};
    for (size_t cut = 1; cut < blocks_.size(); ++cut) {
      Rect first, second;
      for (size_t i = 0; i < blocks_.size(); ++i) {
        Rect& part = i < cut ? first : second;
        part = Bounds(part, blocks_[i]);
      }
      if (Pixels(first) + Pixels(second) < Pixels(best[0]) + Pixels(best[1])) {
        best[0] = first;
        best[1] = second;
      }
    }
    twoCut.Add(best[0]);
    twoCut.Add(best[1]);
    // G x G windows, each handing over the bounds of its own part.
    for (int g = 2; g <= 4; ++g) {
      for (int i = 0; i < g; ++i)
        for (int j = 0; j < g; ++j) {
          const int32_t left = screen_.width * i / g, top = screen_.height * j / g;
          const Rect tile{left, top, screen_.width * (i + 1) / g - left, screen_.height * (j + 1) / g - top};
          Rect drawn;
          for (const Rect& b : blocks_) drawn = Bounds(drawn, Intersection(b, tile));
          tiles[g - 2].Add(drawn);
        }
    }
    blocks_.clear();
  }

  Rect screen_;
  std::vector<Rect> blocks_;
  int64_t now_ = 0;
};

struct NoSurface : Surface {};

void Report(int width, int height) {
  const SaverState state = bench::DefaultState(width, height);
  FramePlatform platform(width, height);
  NoSurface screen;
  Generator random(42);
  EngineRun run;
  run.passesPerSecond = kSaverPassesPerSecond;
  run.framesPerSecond = kFramesPerSecond;
  run.goOn = [&] { return platform.frames < kFrames; };
  ZindleLoop(screen, screen, platform, nullptr, state, random, run);

  const double seconds = static_cast<double>(platform.frames) / kFramesPerSecond;
  char size[24];
  std::snprintf(size, sizeof size, "%dx%d", width, height);
  auto figure = [&](const char* how, const char* what, double value, const char* unit) {
    char text[128];
    std::snprintf(text, sizeof text, "%s: %s", how, what);
    std::printf("%-9s %-9s %-76s %10.1f %s\n", size, "handover", text, value, unit);
  };
  auto line = [&](const char* how, const Tally& t) {
    figure(how, "pixels handed over", t.pixels / seconds / 1e6, "Mpx/s");
    figure(how, "hand-overs", t.handOvers / seconds, "/s");
  };
  line("one window, the bounds of each frame (the saver)", platform.whole);
  line("one window, two a frame cut between blocks", platform.twoCut);
  line("2 x 2 windows, the bounds of each one's part", platform.tiles[0]);
  line("3 x 3 windows", platform.tiles[1]);
  line("4 x 4 windows", platform.tiles[2]);
  line("one window, each block alone (the blocks)", platform.alone);
}

}  // namespace

int main() {
  std::printf("# %lld frames at %d a second, %g passes a second, the settings' defaults\n",
              static_cast<long long>(kFrames), kFramesPerSecond, kSaverPassesPerSecond);
  Report(1920, 1080);
  Report(3840, 2160);
}
