#include "core/picture_format.h"

#include <algorithm>
#include <cstring>

#include "core/numbers.h"

namespace zindle {
namespace {

// Bounds-checked reads of a file's bytes; every caller asks Has first. Has
// answers for the whole file, while only its first `available` bytes may be
// in memory: a read past them returns 0 and marks the answer undecided.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t available, size_t size, bool* beyond)
      : data_(data), available_(available), size_(size), beyond_(beyond) {}
  size_t size() const { return size_; }
  bool Has(uint64_t at, uint64_t count) const { return at <= size_ && count <= size_ - at; }
  uint8_t U8(size_t at) const {
    if (at + offset_ < available_) return data_[at + offset_];
    *beyond_ = true;
    return 0;
  }
  uint32_t Le16(size_t at) const { return U8(at) | U8(at + 1) << 8; }
  uint32_t Le32(size_t at) const { return Le16(at) | Le16(at + 2) << 16; }
  int32_t LeI16(size_t at) const { return static_cast<int16_t>(Le16(at)); }
  int32_t LeI32(size_t at) const { return static_cast<int32_t>(Le32(at)); }
  uint32_t Be16(size_t at) const { return U8(at) << 8 | U8(at + 1); }
  uint32_t Be32(size_t at) const { return Be16(at) << 16 | Be16(at + 2); }
  bool Starts(size_t at, const char* text, size_t length) const {
    if (!Has(at, length)) return false;
    for (size_t i = 0; i < length; ++i)
      if (U8(at + i) != static_cast<uint8_t>(text[i])) return false;
    return true;
  }
  Bytes Part(size_t at, size_t count) const {
    Bytes part = *this;
    part.offset_ = offset_ + at;
    part.size_ = count;
    return part;
  }

 private:
  const uint8_t* data_;
  size_t offset_ = 0;  // of a part, from the file's start
  size_t available_;   // from the file's start
  size_t size_;
  bool* beyond_;
};

PictureHeader Raster(PictureFormat format, int64_t width, int64_t height, uint64_t decodePixels = 0,
                     uint32_t bitsPerPixel = 32) {
  PictureHeader header;
  if (width < 1 || height < 1) return header;
  header.format = format;
  header.width = width;
  header.height = height;
  header.decodePixels = decodePixels ? decodePixels : static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  header.bitsPerPixel = bitsPerPixel;
  return header;
}

// Bytes of one row of pixels, rows padded to whole 32-bit words.
uint64_t RowBytes(int64_t width, uint32_t bitsPerPixel) { return (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4; }

bool KnownDepth(uint32_t bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// A device-independent bitmap header at `at`, as found in bitmap files and
// icons. `rowsEnd` is where the pixel rows must end at the latest.
struct Dib {
  int64_t width = 0, height = 0;
  uint32_t bits = 0, compression = 0, headerSize = 0;
  bool topDown = false;
};

bool ReadDib(const Bytes& b, size_t at, Dib& dib) {
  if (!b.Has(at, 4)) return false;
  dib.headerSize = b.Le32(at);
  if (dib.headerSize == 12) {  // OS/2 1.x: 16-bit sizes, always bottom-up
    if (!b.Has(at, 12)) return false;
    dib.width = b.Le16(at + 4);
    dib.height = b.Le16(at + 6);
    dib.bits = b.Le16(at + 10);
  } else if (dib.headerSize >= 16 && dib.headerSize <= 124) {
    if (!b.Has(at, dib.headerSize)) return false;
    dib.width = b.LeI32(at + 4);
    int64_t height = b.LeI32(at + 8);
    dib.topDown = height < 0;
    dib.height = height < 0 ? -height : height;
    dib.bits = b.Le16(at + 14);
    dib.compression = dib.headerSize >= 20 ? b.Le32(at + 16) : 0;
    // OS/2 2.x numbers its own compressions differently; none is handled.
    if (dib.headerSize == 64 && dib.compression > 2) return false;
  } else {
    return false;
  }
  return dib.width >= 1 && dib.height >= 1 && KnownDepth(dib.bits);
}

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

bool Uncompressed(uint32_t compression) {
  return compression == kRgb || compression == kBitFields || compression == kAlphaBitFields;
}

PictureHeader ReadBitmap(const Bytes& b) {
  if (!b.Has(0, 14)) return {};
  uint64_t pixelsAt = b.Le32(10);
  Dib dib;
  if (!ReadDib(b, 14, dib)) return {};
  if (pixelsAt < 14 + dib.headerSize || pixelsAt >= b.size()) return {};
  if (Uncompressed(dib.compression)) {
    if ((dib.compression != kRgb) && dib.bits != 16 && dib.bits != 32) return {};
    // Rows that would not fit in the file mean a header that lies.
    if (!b.Has(pixelsAt, RowBytes(dib.width, dib.bits) * static_cast<uint64_t>(dib.height))) return {};
  } else if (dib.compression == kRle8 || dib.compression == kRle4) {
    if (dib.topDown || dib.bits != (dib.compression == kRle8 ? 8u : 4u)) return {};
  } else {
    return {};  // JPEG or PNG inside a bitmap, or unknown
  }
  return Raster(PictureFormat::Bitmap, dib.width, dib.height);
}

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

PictureHeader ReadPng(const Bytes& b) {
  // The signature, then the header chunk: length 13, "IHDR", width, height, ..., CRC.
  if (!b.Has(0, 33) || b.Be32(8) != 13 || !b.Starts(12, "IHDR", 4)) return {};
  uint32_t width = b.Be32(16), height = b.Be32(20);
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return {};
  // Grey, -, colour, palette, grey and alpha, -, colour and alpha; a kind
  // of its own counts as the most channels.
  constexpr uint32_t kChannels[] = {1, 4, 3, 1, 2, 4, 4};
  uint32_t depth = b.U8(24), kind = b.U8(25);
  uint32_t channels = kind < 7 ? kChannels[kind] : 4;
  return Raster(PictureFormat::Png, width, height, 0, std::max<uint32_t>(depth, 1) * channels);
}

// Skips a run of data sub-blocks; false when the file ends first.
bool SkipSubBlocks(const Bytes& b, size_t& at) {
  while (b.Has(at, 1)) {
    uint8_t length = b.U8(at);
    at += 1 + length;
    if (length == 0) return true;
  }
  return false;
}

// A GIF decoder holds every frame, so every frame counts.
PictureHeader ReadGif(const Bytes& b) {
  if (!b.Has(0, 13)) return {};
  uint64_t screen = static_cast<uint64_t>(b.Le16(6)) * b.Le16(8);
  uint8_t flags = b.U8(10);
  size_t at = 13 + (flags & 0x80 ? 3u << ((flags & 7) + 1) : 0);
  int64_t width = 0, height = 0;
  uint64_t pixels = screen;
  while (b.Has(at, 1)) {
    uint8_t kind = b.U8(at);
    if (kind == 0x21) {  // extension: label, then sub-blocks
      at += 2;
      if (!SkipSubBlocks(b, at)) break;
    } else if (kind == 0x2C) {  // image: descriptor, colour table, code size, data
      if (!b.Has(at, 10)) break;
      uint32_t w = b.Le16(at + 5), h = b.Le16(at + 7);
      uint8_t imageFlags = b.U8(at + 9);
      if (width == 0) width = w, height = h;
      pixels += static_cast<uint64_t>(w) * h;
      at += 10 + (imageFlags & 0x80 ? 3u << ((imageFlags & 7) + 1) : 0) + 1;
      if (!SkipSubBlocks(b, at)) break;
    } else {
      break;  // the trailer, or nothing a decoder reads on from
    }
  }
  return Raster(PictureFormat::Gif, width, height, pixels);
}

bool IsStartOfFrame(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

PictureHeader ReadJpeg(const Bytes& b) {
  size_t at = 2;
  for (;;) {
    if (!b.Has(at, 2) || b.U8(at) != 0xFF) return {};
    while (b.Has(at, 2) && b.U8(at + 1) == 0xFF) ++at;  // fill bytes
    if (!b.Has(at, 2)) return {};
    uint8_t marker = b.U8(at + 1);
    at += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return {};  // image data before any size
    if (!b.Has(at, 2)) return {};
    uint32_t length = b.Be16(at);
    if (length < 2) return {};
    if (IsStartOfFrame(marker)) {
      if (length < 8 || !b.Has(at, 8)) return {};
      // The sample precision (8 or 12 bits) times the components.
      return Raster(PictureFormat::Jpeg, b.Be16(at + 5), b.Be16(at + 3), 0, b.U8(at + 2) * uint32_t{b.U8(at + 7)});
    }
    at += length;
  }
}

// An icon or cursor shows its first image, a bitmap or a PNG of its own.
PictureHeader ReadIcon(const Bytes& b) {
  if (!b.Has(0, 22) || b.Le16(4) == 0) return {};
  uint64_t bytes = b.Le32(6 + 8), at = b.Le32(6 + 12);
  if (!b.Has(at, bytes)) return {};
  Bytes image = b.Part(at, bytes);
  if (image.Starts(0, kPngSignature, 8)) {
    PictureHeader png = ReadPng(image);
    return png ? Raster(PictureFormat::Icon, png.width, png.height, 0, png.bitsPerPixel) : PictureHeader{};
  }
  Dib dib;
  // The stated height covers the colour rows and the mask rows below them.
  if (!ReadDib(image, 0, dib) || dib.headerSize < 40 || !Uncompressed(dib.compression) || dib.height < 2)
    return {};
  int64_t height = dib.height / 2;
  if (!image.Has(dib.headerSize, RowBytes(dib.width, dib.bits) * static_cast<uint64_t>(height))) return {};
  return Raster(PictureFormat::Icon, dib.width, height);
}

PictureHeader ReadTiff(const Bytes& b) {
  bool little = b.Starts(0, "II", 2);
  auto u16 = [&](size_t at) { return little ? b.Le16(at) : b.Be16(at); };
  auto u32 = [&](size_t at) { return little ? b.Le32(at) : b.Be32(at); };
  if (!b.Has(0, 8)) return {};
  uint64_t directory = u32(4);
  if (!b.Has(directory, 2)) return {};
  uint32_t entries = u16(directory);
  if (!b.Has(directory + 2, uint64_t{12} * entries)) return {};
  int64_t width = 0, height = 0;
  uint32_t bitsPerSample = 1, samples = 1;
  for (uint32_t i = 0; i < entries; ++i) {
    size_t entry = directory + 2 + size_t{12} * i;
    uint32_t tag = u16(entry), type = u16(entry + 2), count = u32(entry + 4);
    int64_t value = type == 3 ? u16(entry + 8) : type == 4 ? u32(entry + 8) : 0;
    if (tag == 256) width = value;
    if (tag == 257) height = value;
    if (tag == 277 && type == 3) samples = static_cast<uint32_t>(value);
    if (tag == 258 && type == 3) {
      // One depth a sample; more than two do not fit the entry and stand
      // elsewhere. The deepest counts.
      size_t at = count <= 2 ? entry + 8 : u32(entry + 8);
      uint32_t deepest = 0;
      for (uint32_t s = 0; s < std::min<uint32_t>(count, 16); ++s)
        if (b.Has(at + 2 * s, 2)) deepest = std::max(deepest, u16(at + 2 * s));
      bitsPerSample = std::max<uint32_t>(deepest, 1);
    }
  }
  return Raster(PictureFormat::Tiff, width, height, 0, bitsPerSample * std::max<uint32_t>(samples, 1));
}

// What a metafile's drawing holds at once and how long it takes: the
// records played, and the pixels of the bitmaps inside them, each made whole
// while it is drawn.
class DrawingCost {
 public:
  // False once the drawing costs more than it may.
  bool AddRecord() { return ++records_ <= kLargestRecordCount; }
  // The bitmap whose header starts `offset` bytes into the record, if any.
  bool AddBitmap(const Bytes& record, uint64_t offset) {
    Dib dib;
    if (offset == 0 || offset >= record.size() || !ReadDib(record, static_cast<size_t>(offset), dib)) return true;
    pixels_ += static_cast<uint64_t>(dib.width) * static_cast<uint64_t>(dib.height);
    return DecodeBytes(pixels_, 32) <= kDecodeBudgetBytes;
  }

 private:
  uint64_t records_ = 0, pixels_ = 0;
};

enum : uint32_t { kEmrHeader = 1, kEmrEof = 14, kEmfSignature = 0x464D4520 };

// Where an enhanced record that draws or makes a bitmap keeps the offset of
// the bitmap's header; 0 for the others.
size_t EmfBitmapOffsetField(uint32_t type) {
  switch (type) {
    case 76: case 77: case 78: case 114: case 116: return 84;  // block transfers, blends
    case 79: return 96;                                        // parallelogram transfer
    case 80: case 81: return 48;                               // bits to the device, stretched
    case 93: case 94: return 16;                               // brushes of a bitmap
    default: return 0;
  }
}

// Every record must lie within the stated length, and the last one ends it.
PictureHeader ReadEnhancedMetafile(const Bytes& b) {
  if (!b.Has(0, 88) || b.Le32(0) != kEmrHeader || b.Le32(40) != kEmfSignature) return {};
  uint64_t length = b.Le32(48);
  if (length > b.size() || b.Le32(4) < 88 || b.Le32(4) > length) return {};
  bool ended = false;
  DrawingCost cost;
  for (uint64_t at = 0; at + 8 <= length;) {
    uint32_t type = b.Le32(at), size = b.Le32(at + 4);
    if (size < 8 || size % 4 != 0 || size > length - at) return {};
    if (type == kEmrEof) {
      ended = true;
      break;
    }
    if (at != 0 && !cost.AddRecord()) return {};  // the header is no drawing
    size_t field = EmfBitmapOffsetField(type);
    if (field && field + 4 <= size && !cost.AddBitmap(b.Part(static_cast<size_t>(at), size), b.Le32(at + field)))
      return {};
    at += size;
  }
  int64_t width = int64_t{b.LeI32(32)} - b.LeI32(24), height = int64_t{b.LeI32(36)} - b.LeI32(28);
  if (!ended || width < 1 || height < 1) return {};
  PictureHeader header;
  header.format = PictureFormat::EnhancedMetafile;
  header.width = width;
  header.height = height;
  header.unitsPerInch = 2540;  // the frame is in hundredths of a millimetre
  header.recordsSize = length;
  return header;
}

enum : uint32_t { kPlaceableKey = 0x9AC6CDD7, kSetWindowOrg = 0x020B, kSetWindowExt = 0x020C };

// Where a plain record that draws or makes a bitmap keeps the bitmap, from
// the record's start; 0 for the others.
uint64_t WmfBitmapOffset(uint32_t function) {
  switch (function) {
    case 0x0940: return 22;  // a block transfer of a bitmap
    case 0x0B41: return 26;  // stretched
    case 0x0F43: return 28;  // a stretched bitmap
    case 0x0D33: return 24;  // bits to the device
    case 0x0142: return 10;  // a brush of a bitmap
    default: return 0;
  }
}

// A plain metafile, after its placeable header when it has one. Without
// that header its window extent gives its size, in pixels at 96 per inch.
PictureHeader ReadMetafile(const Bytes& b) {
  bool placeable = b.Has(0, 4) && b.Le32(0) == kPlaceableKey;
  size_t at = placeable ? 22 : 0;
  if (!b.Has(at, 18) || b.Le16(at + 2) != 9) return {};
  uint32_t type = b.Le16(at), version = b.Le16(at + 4);
  if ((type != 1 && type != 2) || (version != 0x0100 && version != 0x0300)) return {};
  uint64_t length = uint64_t{b.Le32(at + 6)} * 2;
  if (length < 18 || !b.Has(at, length)) return {};
  PictureHeader header;
  bool ended = false, hasOrigin = false, hasExtent = false;
  DrawingCost cost;
  for (uint64_t record = at + 18; record + 6 <= at + length;) {
    uint64_t size = uint64_t{b.Le32(record)} * 2;
    uint32_t function = b.Le16(record + 4);
    if (size < 6 || size > at + length - record) return {};
    if (function == 0) {
      ended = true;
      break;
    }
    if (!cost.AddRecord() ||
        !cost.AddBitmap(b.Part(static_cast<size_t>(record), static_cast<size_t>(size)), WmfBitmapOffset(function)))
      return {};
    if ((function == kSetWindowOrg || function == kSetWindowExt) && size >= 10) {
      int32_t y = b.LeI16(record + 6), x = b.LeI16(record + 8);  // stored in reverse order
      if (function == kSetWindowOrg && !hasOrigin) header.windowLeft = x, header.windowTop = y, hasOrigin = true;
      if (function == kSetWindowExt && !hasExtent) header.windowWidth = x, header.windowHeight = y, hasExtent = true;
    }
    record += size;
  }
  if (!ended) return {};
  if (placeable) {
    int32_t left = b.LeI16(6), top = b.LeI16(8), right = b.LeI16(10), bottom = b.LeI16(12);
    header.windowLeft = left, header.windowTop = top;
    header.windowWidth = right - left, header.windowHeight = bottom - top;
    header.unitsPerInch = b.Le16(14);
  } else {
    header.unitsPerInch = 96;
  }
  header.width = header.windowWidth < 0 ? -int64_t{header.windowWidth} : header.windowWidth;
  header.height = header.windowHeight < 0 ? -int64_t{header.windowHeight} : header.windowHeight;
  if (header.width < 1 || header.height < 1 || header.unitsPerInch < 1) return {};
  header.format = PictureFormat::Metafile;
  header.recordsOffset = at;
  header.recordsSize = length;
  return header;
}

PictureHeader ReadHeader(const Bytes& b) {
  if (b.Starts(0, "BM", 2)) return ReadBitmap(b);
  if (b.Starts(0, kPngSignature, 8)) return ReadPng(b);
  if (b.Starts(0, "GIF87a", 6) || b.Starts(0, "GIF89a", 6)) return ReadGif(b);
  if (b.Starts(0, "\xFF\xD8\xFF", 3)) return ReadJpeg(b);
  if (b.Starts(0, "II*\0", 4) || b.Starts(0, "MM\0*", 4)) return ReadTiff(b);
  if (b.Has(0, 4) && b.Le16(0) == 0 && (b.Le16(2) == 1 || b.Le16(2) == 2)) return ReadIcon(b);
  if (b.Has(0, 4) && b.Le32(0) == kEmrHeader) return ReadEnhancedMetafile(b);
  return ReadMetafile(b);
}

}  // namespace

PictureHeader ReadPictureHeader(const uint8_t* data, size_t size) {
  bool beyond = false;
  return ReadHeader(Bytes(data, size, size, &beyond));
}

HeadVerdict ReadPictureHead(const uint8_t* data, size_t available, uint64_t fileSize) {
  bool beyond = false;
  const size_t size = static_cast<size_t>(std::min<uint64_t>(fileSize, SIZE_MAX));
  PictureHeader header = ReadHeader(Bytes(data, std::min(available, size), size, &beyond));
  if (beyond) return {};
  return {header, true};
}

uint64_t DecodeBytes(uint64_t pixels, uint32_t bitsPerPixel) {
  uint64_t bytes = std::max<uint64_t>(4, (uint64_t{bitsPerPixel} + 7) / 8);
  return pixels > UINT64_MAX / bytes ? UINT64_MAX : pixels * bytes;
}

PixelSize ShownSize(const PictureHeader& header, int dpiX, int dpiY) {
  if (!header) return {};
  double width = static_cast<double>(header.width), height = static_cast<double>(header.height);
  if (header.IsMetafile()) {
    if (dpiX < 1 || dpiY < 1) return {};
    // Even a sliver of a drawing shows as one pixel.
    width = std::max(1.0, RoundHalfEven(width * dpiX / header.unitsPerInch));
    height = std::max(1.0, RoundHalfEven(height * dpiY / header.unitsPerInch));
  } else if (DecodeBytes(header.decodePixels, header.bitsPerPixel) > kDecodeBudgetBytes) {
    return {};
  }
  if (width > kLargestSide || height > kLargestSide) return {};
  return {static_cast<int>(width), static_cast<int>(height)};
}

Rect ClipToPicture(const Rect& part, int width, int height) {
  int64_t left = std::max<int64_t>(part.left, 0), top = std::max<int64_t>(part.top, 0);
  int64_t right = std::min<int64_t>(int64_t{part.left} + part.width, width);
  int64_t bottom = std::min<int64_t>(int64_t{part.top} + part.height, height);
  if (right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

}  // namespace zindle
