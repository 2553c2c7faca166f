// Any bytes as a picture file, read the way the program reads one before it
// decodes anything: the kind from the first bytes, the size from the header.
// What is found must come from the file itself, and a size that is not
// refused must be one the decoders can hold and the screen can place.
#include <algorithm>
#include <cstring>

#include "core/picture_format.h"
#include "tests/fuzz/check.h"

using namespace zindle;

namespace {

bool Starts(const uint8_t* data, size_t size, const char* text, size_t length) {
  return size >= length && std::memcmp(data, text, length) == 0;
}

// Each kind is named only by its own signature.
bool SignatureFits(PictureFormat format, const uint8_t* data, size_t size) {
  switch (format) {
    case PictureFormat::Bitmap: return Starts(data, size, "BM", 2);
    case PictureFormat::Png: return Starts(data, size, "\x89PNG\r\n\x1a\n", 8);
    case PictureFormat::Gif: return Starts(data, size, "GIF87a", 6) || Starts(data, size, "GIF89a", 6);
    case PictureFormat::Jpeg: return Starts(data, size, "\xFF\xD8\xFF", 3);
    case PictureFormat::Tiff: return Starts(data, size, "II*\0", 4) || Starts(data, size, "MM\0*", 4);
    case PictureFormat::Icon:
      return Starts(data, size, "\0\0\1\0", 4) || Starts(data, size, "\0\0\2\0", 4);
    case PictureFormat::EnhancedMetafile: return Starts(data, size, "\1\0\0\0", 4);
    case PictureFormat::Metafile:
      // The placeable header's key, or a plain metafile's type and header size.
      return Starts(data, size, "\xD7\xCD\xC6\x9A", 4) ||
             Starts(data, size, "\1\0\x09\0", 4) || Starts(data, size, "\2\0\x09\0", 4);
    case PictureFormat::None: return false;
  }
  return false;
}

bool Same(const PictureHeader& a, const PictureHeader& b) {
  return a.format == b.format && a.width == b.width && a.height == b.height && a.unitsPerInch == b.unitsPerInch &&
         a.decodePixels == b.decodePixels && a.bitsPerPixel == b.bitsPerPixel && a.windowLeft == b.windowLeft &&
         a.windowTop == b.windowTop && a.windowWidth == b.windowWidth && a.windowHeight == b.windowHeight &&
         a.recordsOffset == b.recordsOffset && a.recordsSize == b.recordsSize;
}

// The screens the program may meet, and some it never should.
constexpr int kDpis[][2] = {{96, 96}, {144, 120}, {480, 480}, {1, 1}, {0, 96}, {-96, 96}, {65535, 72}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // libFuzzer hands over a buffer of exactly the input's size: the address
  // sanitizer stops any read past the file's end.
  PictureHeader header = ReadPictureHeader(data, size);
  // Judged from the file's first bytes only, the header is either undecided
  // or the one of the whole file: a file refused early is one the whole
  // would refuse. The bytes beyond the head are never looked at.
  for (size_t head : {size_t{0}, size_t{8}, size / 3, size / 2, size - std::min<size_t>(size, 1)}) {
    HeadVerdict verdict = ReadPictureHead(data, head, size);
    if (verdict.decided) REQUIRE(Same(verdict.header, header));
  }
  for (auto [dpiX, dpiY] : kDpis) {
    PixelSize shown = ShownSize(header, dpiX, dpiY);
    REQUIRE((shown.width == 0) == (shown.height == 0));
    if (shown.width == 0) continue;
    REQUIRE(header);
    REQUIRE(shown.width >= 1 && shown.width <= kLargestSide);
    REQUIRE(shown.height >= 1 && shown.height <= kLargestSide);
    if (!header.IsMetafile()) {
      REQUIRE(DecodeBytes(header.decodePixels, header.bitsPerPixel) <= kDecodeBudgetBytes);
      REQUIRE(shown.width == header.width && shown.height == header.height);
    } else {
      REQUIRE(dpiX >= 1 && dpiY >= 1);
    }
  }
  if (!header) return 0;
  REQUIRE(SignatureFits(header.format, data, size));
  REQUIRE(header.width >= 1 && header.height >= 1);
  if (header.IsMetafile()) {
    // The records handed to the system lie within the file.
    REQUIRE(header.unitsPerInch >= 1);
    REQUIRE(header.recordsSize >= 1 && header.recordsOffset <= size && header.recordsSize <= size - header.recordsOffset);
  } else {
    // The decoder holds at least the picture it shows.
    REQUIRE(header.decodePixels >= static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height));
    // A raster picture within the budget is not refused on a usual screen.
    bool fits = DecodeBytes(header.decodePixels, header.bitsPerPixel) <= kDecodeBudgetBytes &&
                header.width <= kLargestSide && header.height <= kLargestSide;
    REQUIRE(fits == (ShownSize(header, 96, 96).width != 0));
  }
  // Whatever part the caller asks to keep, what is kept lies in the picture.
  PixelSize shown = ShownSize(header, 96, 96);
  if (shown.width == 0) return 0;
  Rect part;
  std::memcpy(&part, data + size - std::min(size, sizeof part), std::min(size, sizeof part));
  Rect kept = ClipToPicture(part, shown.width, shown.height);
  if (kept.Empty()) {
    REQUIRE(kept == Rect{});
  } else {
    REQUIRE(kept.left >= 0 && kept.top >= 0);
    REQUIRE(int64_t{kept.left} + kept.width <= shown.width && int64_t{kept.top} + kept.height <= shown.height);
    REQUIRE(kept.left >= part.left && kept.top >= part.top);
    REQUIRE(int64_t{kept.left} + kept.width <= int64_t{part.left} + part.width);
    REQUIRE(int64_t{kept.top} + kept.height <= int64_t{part.top} + part.height);
  }
  return 0;
}
