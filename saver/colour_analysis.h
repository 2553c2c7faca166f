// The intelligent colour test: a grid of samples of the captured picture,
// each compared with a threshold grey as one packed number.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/rect.h"

namespace zindle {

// Packed colour values 0x00BBGGRR, one row per entry of the threshold list:
// Minimum, Low, Average, High, Maximum.
inline constexpr uint32_t kThresholdGreys[] = {0x00202020, 0x00404040, 0x00808080, 0x00C0C0C0,
                                               0x00E0E0E0};

// Reads one pixel as a packed colour value, or -1 where there is no pixel.
class PixelReader {
 public:
  virtual ~PixelReader() = default;
  virtual int32_t PackedPixel(int32_t x, int32_t y) const = 0;
};

// A 32-bit top-down DIB in memory holds 0x00RRGGBB per pixel; the packed
// colour value has red in the lowest byte.
constexpr int32_t PackedFromDib(uint32_t pixel) {
  return static_cast<int32_t>(((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF));
}

// The pixels of a DIB section, read in memory: the same values a GetPixel on
// its device context gives, without a system call per sample.
class DibPixelReader final : public PixelReader {
 public:
  DibPixelReader(const uint32_t* bits, int32_t width, int32_t height)
      : bits_(bits), width_(width), height_(height) {}
  int32_t PackedPixel(int32_t x, int32_t y) const override {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    return PackedFromDib(bits_[static_cast<int64_t>(y) * width_ + x]);
  }

 private:
  const uint32_t* bits_;
  int32_t width_, height_;
};

// 64-bit counts: today's screens at a fine level have far more samples than a
// 16-bit number holds (1920 x 1080 at level 1 has 82,944).
struct ColourAnalysis {
  int64_t count = 0;  // samples brighter than the grey
  int64_t half = 0;   // about half the number of samples
  bool Inverts() const { return count >= half; }
};

// Samples the W x H picture every 5 x level pixels from (1, 1) on. A level
// below 1 is taken as 1, a threshold row outside the table as the nearest row.
ColourAnalysis AnalyseColours(const PixelReader& picture, int32_t width, int32_t height, int16_t level,
                              int16_t threshold);

// The samples of several monitors together, each sampled from its own
// corner as a screen of its own; half is about half of all their samples.
ColourAnalysis AnalyseColours(const PixelReader& picture, const std::vector<Rect>& monitors, int16_t level,
                              int16_t threshold);

// The diagnostic record: count, "/", half.
std::string DebugText(const ColourAnalysis& analysis);

}  // namespace zindle
