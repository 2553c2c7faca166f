// How the distortion looks over time at several paces: the program's own
// engine on a desktop picture in memory, with a clock that moves only as the
// pace asks. Writes the frames and prints, for each, how much of the desktop
// is still recognisable.
// usage: zindle_look DESKTOP.ppm OUTDIR [--preview] [--paces 100,250,...] [--scale N] [--seed N] [--frames N]
//   --preview  the 152 x 112 miniature of the desktop's top-left corner,
//              drawn as the preview draws it (every block onto the picture,
//              the picture copied whole onto the window)
//   --scale N  frames written N times smaller (default 1)
//   --seed N   another sequence of random blocks
//   --frames N the saver's passes grouped by N display frames a second, as
//              the saver runs them (default 60; 0 a wake for every pass)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "look/recognisable.h"
#include "memory_surface.h"
#include "saver/engine.h"

namespace {

using bench::MemorySurface;

constexpr double kFrameSeconds[] = {0, 2, 10, 30, 60, 120};

MemorySurface ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  if (!in || magic != "P6" || maximum != 255) {
    std::fprintf(stderr, "%s: not an 8-bit binary PPM\n", path.c_str());
    std::exit(2);
  }
  MemorySurface surface(width, height);
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
  for (size_t i = 0; i < surface.pixels.size(); ++i)
    surface.pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  return surface;
}

// Each output pixel is the mean of a scale x scale square.
void WritePpm(const MemorySurface& surface, int width, int height, int scale, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  int w = width / scale, h = height / scale;
  out << "P6\n" << w << " " << h << "\n255\n";
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned sum[3] = {0, 0, 0};
      for (int j = 0; j < scale; ++j)
        for (int i = 0; i < scale; ++i) {
          uint32_t p = surface.At(x * scale + i, y * scale + j);
          sum[0] += (p >> 16) & 255, sum[1] += (p >> 8) & 255, sum[2] += p & 255;
        }
      for (unsigned s : sum) out.put(static_cast<char>(s / (scale * scale)));
    }
}

// Block copies in memory, and a clock that jumps to each pass's time; the
// frames are taken as the clock passes their times.
class FilmPlatform : public zindle::EnginePlatform {
 public:
  FilmPlatform(const MemorySurface& shown, const MemorySurface& original, int width, int height, int tile)
      : shown_(shown), original_(original), width_(width), height_(height), tile_(tile) {}

  void Copy(zindle::Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, zindle::Surface& from, int32_t sx,
            int32_t sy) override {
    bench::CopyBlock(static_cast<MemorySurface&>(to), x, y, w, h, static_cast<MemorySurface&>(from), sx, sy);
  }
  void DoEvents() override {}
  bool WindowVisible() override { return next_ < std::size(kFrameSeconds); }
  int64_t Now() override { return now_; }
  zindle::RestEnded RestUntil(int64_t due) override {
    while (next_ < std::size(kFrameSeconds) && kFrameSeconds[next_] * 1e6 <= due) TakeFrame();
    now_ = std::max(now_, due);
    return zindle::RestEnded::kOnTime;
  }
  void RestUntilMessage() override {}

  std::string prefix;
  int scale = 1;
  std::vector<double> shares;

 private:
  void TakeFrame() {
    shares.push_back(look::RecognisableShare(shown_.pixels.data(), original_.pixels.data(), width_, height_, tile_));
    char name[64];
    std::snprintf(name, sizeof(name), "-t%03d.ppm", static_cast<int>(kFrameSeconds[next_]));
    WritePpm(shown_, width_, height_, scale, prefix + name);
    ++next_;
  }

  const MemorySurface& shown_;
  const MemorySurface& original_;
  int width_, height_, tile_;
  size_t next_ = 0;
  int64_t now_ = 0;
};

struct Amplitudes {
  const char* name;
  int16_t horizontal, vertical;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DESKTOP.ppm OUTDIR [--preview] [--paces 100,250,...] [--scale N] [--seed N] [--frames N]\n",
                 argv[0]);
    return 2;
  }
  std::string outDir = argv[2];
  bool preview = false;
  int scale = 1;
  uint64_t seed = 20261208;
  int frames = zindle::kDefaultFramesPerSecond;
  std::vector<double> paces = {100, 250, 500, 1000, 2500, 5000};
  for (int i = 3; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--preview") {
      preview = true;
    } else if (arg == "--scale" && i + 1 < argc) {
      scale = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--frames" && i + 1 < argc) {
      frames = std::max(0, std::atoi(argv[++i]));
    } else if (arg == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--paces" && i + 1 < argc) {
      paces.clear();
      std::stringstream list(argv[++i]);
      for (std::string item; std::getline(list, item, ',');) paces.push_back(std::atof(item.c_str()));
    }
  }
  MemorySurface desktop = ReadPpm(argv[1]);
  // The miniature is the corner of the desktop at its own pixels.
  const int width = preview ? 152 : desktop.width, height = preview ? 112 : desktop.height;
  const int tile = preview ? 8 : 16;
  MemorySurface original(width, height);
  bench::CopyBlock(original, 0, 0, width, height, desktop, 0, 0);

  const Amplitudes amplitudes[] = {{"defaults", 1, 1}, {"amplitudes10", 10, 10}};
  std::printf("%s %d x %d; recognisable: the share of %d x %d squares whose mean colour stays within %.0f of 441\n",
              preview ? "preview" : "saver", width, height, tile, tile, look::kNear);
  std::printf("%-13s %7s", "settings", "pace");
  for (double t : kFrameSeconds) std::printf(" %6.0fs", t);
  std::printf("\n");
  for (const Amplitudes& a : amplitudes)
    for (double pace : paces) {
      zindle::SaverState state;
      state.ImageWidth = static_cast<int16_t>(width);
      state.ImageHeight = static_cast<int16_t>(height);
      state.Horizontal = a.horizontal;
      state.Vertical = a.vertical;
      zindle::EngineRun run;
      run.passesPerSecond = pace;
      if (!preview) run.framesPerSecond = frames;  // the preview wakes for each of its passes
      zindle::Generator random(seed);
      char prefix[256];
      std::snprintf(prefix, sizeof(prefix), "%s/%s-%s-p%05d", outDir.c_str(), preview ? "preview" : "saver", a.name,
                    static_cast<int>(pace));
      // The saver distorts the screen itself; the preview puts every block
      // on its picture, one pixel larger, and copies that onto the window.
      MemorySurface screen = original, image(width + 1, height + 1);
      bench::CopyBlock(image, 0, 0, width, height, original, 0, 0);
      FilmPlatform film(screen, original, width, height, tile);
      film.prefix = prefix;
      film.scale = scale;
      if (preview)
        zindle::ZindleLoop(image, screen, film, &image, state, random, run);
      else
        zindle::ZindleLoop(screen, screen, film, nullptr, state, random, run);
      std::printf("%-13s %7.0f", a.name, pace);
      for (double share : film.shares) std::printf(" %6.1f%%", 100 * share);
      std::printf("\n");
      std::fflush(stdout);
    }
  return 0;
}
