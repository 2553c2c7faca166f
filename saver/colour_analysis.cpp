#include "saver/colour_analysis.h"

#include <algorithm>

#include "core/numbers.h"

namespace zindle {

namespace {

int32_t GreyOf(int16_t threshold) { return static_cast<int32_t>(kThresholdGreys[std::clamp<int16_t>(threshold, 0, 4)]); }
int32_t StepOf(int16_t level) { return 5 * std::max<int32_t>(level, 1); }

// One number per pixel: blue decides first, then green, then red; an
// unreadable pixel (-1) never counts.
int64_t CountBrighter(const PixelReader& picture, const Rect& area, int32_t step, int32_t grey) {
  int64_t count = 0;
  for (int32_t x = 1; x <= area.width; x += step)
    for (int32_t y = 1; y <= area.height; y += step)
      if (picture.PackedPixel(area.left + x, area.top + y) > grey) ++count;
  return count;
}

}  // namespace

ColourAnalysis AnalyseColours(const PixelReader& picture, int32_t width, int32_t height, int16_t level,
                              int16_t threshold) {
  return AnalyseColours(picture, {Rect{0, 0, width, height}}, level, threshold);
}

ColourAnalysis AnalyseColours(const PixelReader& picture, const std::vector<Rect>& monitors, int16_t level,
                              int16_t threshold) {
  const int32_t grey = GreyOf(threshold), step = StepOf(level);
  ColourAnalysis result;
  double half = 0;
  for (const Rect& m : monitors) {
    result.count += CountBrighter(picture, m, step, grey);
    half += static_cast<double>(m.width) / step * m.height / step / 2;
  }
  result.half = static_cast<int64_t>(RoundHalfEven(half));
  return result;
}

std::string DebugText(const ColourAnalysis& analysis) {
  return DecimalText(analysis.count) + "/" + DecimalText(analysis.half);
}

}  // namespace zindle
