// A 32-bit surface in memory with BitBlt's meaning for block copies: clipped
// to both surfaces, and rows read before they are overwritten when a block
// moves within one surface.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "saver/engine.h"

namespace bench {

struct MemorySurface : zindle::Surface {
  MemorySurface(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  int width, height;
  std::vector<uint32_t> pixels;
};

// Returns the number of pixels moved.
inline int64_t CopyBlock(MemorySurface& to, int32_t x, int32_t y, int32_t w, int32_t h, const MemorySurface& from,
                         int32_t sx, int32_t sy) {
  if (x < 0) { w += x; sx -= x; x = 0; }
  if (y < 0) { h += y; sy -= y; y = 0; }
  if (sx < 0) { w += sx; x -= sx; sx = 0; }
  if (sy < 0) { h += sy; y -= sy; sy = 0; }
  w = std::min({w, to.width - x, from.width - sx});
  h = std::min({h, to.height - y, from.height - sy});
  if (w <= 0 || h <= 0) return 0;
  bool upward = &to == &from && sy < y;
  for (int32_t i = 0; i < h; ++i) {
    int32_t row = upward ? h - 1 - i : i;
    std::memmove(&to.pixels[static_cast<size_t>(y + row) * to.width + x],
                 &from.pixels[static_cast<size_t>(sy + row) * from.width + sx], static_cast<size_t>(w) * 4);
  }
  return static_cast<int64_t>(w) * h;
}

}  // namespace bench
