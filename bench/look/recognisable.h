// How much of a desktop is still recognisable: the share of tile x tile
// squares whose mean colour is within a small distance of the same square's
// mean in the original. A square that has only shuddered within itself, or
// not moved at all, still reads as what it was.
#pragma once
#include <cmath>
#include <cstdint>

namespace look {

inline constexpr double kNear = 12.0;  // of 441, the distance from black to white

// Pixels 0x00RRGGBB, rows `width` apart.
inline double RecognisableShare(const uint32_t* now, const uint32_t* original, int width, int height, int tile) {
  int recognisable = 0, tiles = 0;
  for (int ty = 0; ty + tile <= height; ty += tile)
    for (int tx = 0; tx + tile <= width; tx += tile) {
      double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
      for (int y = ty; y < ty + tile; ++y)
        for (int x = tx; x < tx + tile; ++x) {
          uint32_t p = now[static_cast<size_t>(y) * width + x], q = original[static_cast<size_t>(y) * width + x];
          for (int c = 0; c < 3; ++c) {
            a[c] += (p >> (16 - 8 * c)) & 255;
            b[c] += (q >> (16 - 8 * c)) & 255;
          }
        }
      double distance = 0;
      for (int c = 0; c < 3; ++c) distance += std::pow((a[c] - b[c]) / (tile * tile), 2);
      recognisable += std::sqrt(distance) <= kNear;
      ++tiles;
    }
  return tiles ? static_cast<double>(recognisable) / tiles : 1.0;
}

}  // namespace look
