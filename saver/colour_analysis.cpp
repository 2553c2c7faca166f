#include "saver/colour_analysis.h"

#include <algorithm>

#include "core/numbers.h"

namespace zindle {

ColourAnalysis AnalyseColours(const PixelReader& picture, int32_t width, int32_t height, int16_t level,
                              int16_t threshold) {
  const int32_t grey = static_cast<int32_t>(kThresholdGreys[std::clamp<int16_t>(threshold, 0, 4)]);
  const int32_t step = 5 * std::max<int32_t>(level, 1);
  ColourAnalysis result;
  // One number per pixel: blue decides first, then green, then red; an
  // unreadable pixel (-1) never counts.
  for (int32_t x = 1; x <= width; x += step)
    for (int32_t y = 1; y <= height; y += step)
      if (picture.PackedPixel(x, y) > grey) ++result.count;
  double half = static_cast<double>(width) / step * height / step / 2;
  result.half = static_cast<int64_t>(RoundHalfEven(half));
  return result;
}

std::string DebugText(const ColourAnalysis& analysis) {
  return DecimalText(analysis.count) + "/" + DecimalText(analysis.half);
}

}  // namespace zindle
