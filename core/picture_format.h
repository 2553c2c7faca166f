// What a picture file says of itself, read from its first bytes before
// anything is decoded: its kind, its size and what decoding it would hold in
// memory. A file that lies about its data or asks for more than can be
// handled is refused here, cheaply, whatever its name says it is.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/rect.h"

namespace zindle {

enum class PictureFormat { None, Bitmap, Png, Gif, Jpeg, Icon, Tiff, EnhancedMetafile, Metafile };

struct PictureHeader {
  PictureFormat format = PictureFormat::None;
  // Raster pictures: the size in pixels of the picture shown (a GIF's first
  // frame, an icon's first image). Metafiles: the frame in units per inch.
  int64_t width = 0, height = 0;
  int64_t unitsPerInch = 0;  // metafiles only
  // Pixels a decoder holds to show it: every frame of a GIF; and the bits of
  // each as the file stores them: every channel at its depth.
  uint64_t decodePixels = 0;
  uint32_t bitsPerPixel = 32;
  // A plain metafile: the logical window its drawing fills, and where its
  // records start (after the placeable header, when it has one).
  int32_t windowLeft = 0, windowTop = 0, windowWidth = 0, windowHeight = 0;
  size_t recordsOffset = 0, recordsSize = 0;

  bool IsMetafile() const {
    return format == PictureFormat::EnhancedMetafile || format == PictureFormat::Metafile;
  }
  explicit operator bool() const { return format != PictureFormat::None; }
};

// The header of the file's bytes; empty (format None) for a file that is not
// one of the known kinds, is cut short before its size, or whose stated data
// cannot be in it.
PictureHeader ReadPictureHeader(const uint8_t* data, size_t size);

// The header as far as the file's first `available` bytes of `fileSize` tell
// it. Undecided when it reaches further (a GIF's later frames, a TIFF's
// directory at the end, a metafile's records); decided, it is the header that
// ReadPictureHeader finds in the whole file.
struct HeadVerdict {
  PictureHeader header;
  bool decided = false;
};
HeadVerdict ReadPictureHead(const uint8_t* data, size_t available, uint64_t fileSize);

// The most pixels a raster picture may make its decoder hold: the decoders
// keep the whole picture, 3 to 4 bytes a pixel, whatever part is shown.
// 64 megapixels lets a 50-megapixel photograph through and refuses
// 12000 x 12000 (144 megapixels).
inline constexpr uint64_t kDecodeBudgetPixels = uint64_t{1} << 26;

// The same budget in bytes. A pixel costs at least the four bytes it is
// converted to, more where the file keeps deeper channels (16-bit RGBA:
// eight), which the decoder holds at their depth.
inline constexpr uint64_t kDecodeBudgetBytes = kDecodeBudgetPixels * 4;
uint64_t DecodeBytes(uint64_t pixels, uint32_t bitsPerPixel);

// A metafile's drawing is refused with more records than this, or with
// bitmaps inside that together hold more than the decoding budget.
inline constexpr uint64_t kLargestRecordCount = uint64_t{1} << 20;

// No side of a picture as it shows may pass this, so that every position
// within it stays far inside the range of drawing coordinates.
inline constexpr int kLargestSide = 1 << 20;

struct PixelSize {
  int width = 0, height = 0;
};

// The whole picture's size in pixels on a screen of the given dots per inch
// (metafiles scale with it, raster pictures do not); {0, 0} when the header
// is empty, the decoder would hold more bytes than the budget, or a side is 0 or
// larger than kLargestSide.
PixelSize ShownSize(const PictureHeader& header, int dpiX, int dpiY);

// The part (in the picture's pixels) clipped to a picture of the given size;
// all zero when nothing is left.
Rect ClipToPicture(const Rect& part, int width, int height);

}  // namespace zindle
