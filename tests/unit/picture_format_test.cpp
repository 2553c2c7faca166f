// Picture files read for their size before anything is decoded: hand-made
// headers of every kind, and files that are cut short or lie about their data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/picture_file.h"
#include "core/picture_format.h"

namespace zindle {
namespace {

using Bytes = std::vector<uint8_t>;

void Le16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Le32(Bytes& b, uint32_t v) { Le16(b, v & 0xFFFF), Le16(b, v >> 16); }
void Be16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void Be32(Bytes& b, uint32_t v) { Be16(b, v >> 16), Be16(b, v & 0xFFFF); }
void Text(Bytes& b, const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) b.push_back(uint8_t(text[i]));
}
void Zeros(Bytes& b, size_t n) { b.insert(b.end(), n, 0); }
Bytes Cut(Bytes b, size_t drop) { b.resize(b.size() - drop); return b; }

// A bitmap file: the 40-byte header (or another size), no palette, and as
// many bytes of rows as given (by default exactly the rows it states).
Bytes Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0, int64_t rowBytes = -1,
          uint32_t headerSize = 40) {
  Bytes b;
  Text(b, "BM", 2);
  uint32_t stride = (uint32_t(width) * bits + 31) / 32 * 4;
  uint64_t rows = rowBytes >= 0 ? uint64_t(rowBytes) : uint64_t(stride) * uint32_t(height < 0 ? -height : height);
  Le32(b, uint32_t(14 + headerSize + rows));
  Le32(b, 0);
  Le32(b, 14 + headerSize);
  Le32(b, headerSize);
  if (headerSize == 12) {
    Le16(b, width), Le16(b, height), Le16(b, 1), Le16(b, bits);
  } else {
    Le32(b, width), Le32(b, height), Le16(b, 1), Le16(b, bits), Le32(b, compression);
    Zeros(b, headerSize - 20);
  }
  Zeros(b, rows);
  return b;
}

Bytes PngHeader(uint32_t width, uint32_t height) {
  Bytes b;
  Text(b, "\x89PNG\r\n\x1a\n", 8);
  Be32(b, 13);
  Text(b, "IHDR", 4);
  Be32(b, width), Be32(b, height);
  b.insert(b.end(), {8, 2, 0, 0, 0});
  Be32(b, 0);  // CRC, not checked
  return b;
}

// A GIF with a global colour table of two entries and one image block per
// frame size, each with a little data.
Bytes Gif(uint16_t width, uint16_t height, std::vector<std::pair<uint16_t, uint16_t>> frames) {
  Bytes b;
  Text(b, "GIF89a", 6);
  Le16(b, width), Le16(b, height);
  b.insert(b.end(), {0x80, 0, 0});
  Zeros(b, 6);
  b.insert(b.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 0});  // a graphic control extension
  for (auto [w, h] : frames) {
    b.push_back(0x2C);
    Le16(b, 0), Le16(b, 0), Le16(b, w), Le16(b, h);
    b.insert(b.end(), {0, 2, 2, 0x4C, 0x01, 0});
  }
  b.push_back(0x3B);
  return b;
}

Bytes Jpeg(uint8_t frameMarker, uint16_t width, uint16_t height, bool scanFirst = false) {
  Bytes b = {0xFF, 0xD8};
  b.insert(b.end(), {0xFF, 0xE0, 0, 16});  // APP0 of 14 bytes
  Text(b, "JFIF\0", 5);
  Zeros(b, 9);
  b.insert(b.end(), {0xFF, 0xFF});  // a fill byte before the next marker
  if (scanFirst) b.insert(b.end(), {0xFF, 0xDA, 0, 2});
  b.insert(b.end(), {0xFF, frameMarker, 0, 11, 8});
  Be16(b, height), Be16(b, width);
  b.insert(b.end(), {1, 1, 0x11, 0});
  b.insert(b.end(), {0xFF, 0xD9});
  return b;
}

// An icon directory with one entry whose image is `image`, placed at
// `offset` bytes from the start (22 when it follows the directory).
Bytes Icon(const Bytes& image, uint32_t offset = 22, uint16_t type = 1) {
  Bytes b;
  Le16(b, 0), Le16(b, type), Le16(b, 1);
  b.insert(b.end(), {0, 0, 0, 0});
  Le16(b, 1), Le16(b, 32);
  Le32(b, uint32_t(image.size())), Le32(b, offset);
  b.insert(b.end(), image.begin(), image.end());
  return b;
}

Bytes IconDib(int32_t width, int32_t rowsStated, uint32_t rowBytes) {
  Bytes b;
  Le32(b, 40), Le32(b, width), Le32(b, rowsStated), Le16(b, 1), Le16(b, 32), Le32(b, 0);
  Zeros(b, 20 + rowBytes);
  return b;
}

Bytes Tiff(bool little, uint32_t width, uint32_t height) {
  Bytes b;
  auto u16 = [&](uint32_t v) { little ? Le16(b, v) : Be16(b, v); };
  auto u32 = [&](uint32_t v) { little ? Le32(b, v) : Be32(b, v); };
  Text(b, little ? "II*\0" : "MM\0*", 4);
  u32(8);
  u16(2);
  u16(256), u16(4), u32(1), u32(width);  // ImageWidth as a long
  u16(257), u16(3), u32(1), u16(height), u16(0);  // ImageLength as a short
  u32(0);
  return b;
}

// An enhanced metafile: the 88-byte header with the frame in hundredths of
// a millimetre, one rectangle, the end record.
Bytes Emf(int32_t frameWidth, int32_t frameHeight, int32_t statedLength = 0, uint32_t rectangleSize = 24) {
  Bytes b;
  Le32(b, 1), Le32(b, 88);
  Le32(b, 0), Le32(b, 0), Le32(b, 100), Le32(b, 100);                // bounds
  Le32(b, 0), Le32(b, 0), Le32(b, frameWidth), Le32(b, frameHeight);  // frame
  Le32(b, 0x464D4520), Le32(b, 0x10000);
  Le32(b, statedLength ? statedLength : 88 + 24 + 20);
  Le32(b, 3), Le16(b, 1), Le16(b, 0), Le32(b, 0), Le32(b, 0), Le32(b, 0);
  Le32(b, 1920), Le32(b, 1080), Le32(b, 508), Le32(b, 286);
  Le32(b, 43), Le32(b, rectangleSize), Le32(b, 10), Le32(b, 10), Le32(b, 50), Le32(b, 50);
  Le32(b, 14), Le32(b, 20), Le32(b, 0), Le32(b, 16), Le32(b, 20);
  return b;
}

// A plain metafile, with the placeable header when a bounding box is given.
// Records: an optional window extent, one rectangle, the end record.
Bytes Wmf(bool placeable, int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t inch,
          bool withExtent, int16_t extentX = 0, int16_t extentY = 0, bool withEnd = true) {
  Bytes records;
  if (withExtent) Le32(records, 5), Le16(records, 0x020C), Le16(records, uint16_t(extentY)), Le16(records, uint16_t(extentX));
  Le32(records, 7), Le16(records, 0x041B), Le16(records, 20), Le16(records, 20), Le16(records, 0), Le16(records, 0);
  if (withEnd) Le32(records, 3), Le16(records, 0);
  Bytes b;
  if (placeable) {
    Le32(b, 0x9AC6CDD7), Le16(b, 0);
    Le16(b, uint16_t(left)), Le16(b, uint16_t(top)), Le16(b, uint16_t(right)), Le16(b, uint16_t(bottom));
    Le16(b, inch), Le32(b, 0), Le16(b, 0);
  }
  Le16(b, 1), Le16(b, 9), Le16(b, 0x0300), Le32(b, uint32_t(9 + records.size() / 2));
  Le16(b, 0), Le32(b, 7), Le16(b, 0);
  b.insert(b.end(), records.begin(), records.end());
  return b;
}

struct HeaderCase {
  const char* name;
  Bytes file;
  PictureFormat format;  // None: refused
  int64_t width = 0, height = 0;
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class PictureHeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(PictureHeaderTest, ReadsTheSizeOrRefuses) {
  const HeaderCase& c = GetParam();
  PictureHeader header = ReadPictureHeader(c.file.data(), c.file.size());
  EXPECT_EQ(header.format, c.format);
  if (c.format != PictureFormat::None) {
    EXPECT_EQ(header.width, c.width);
    EXPECT_EQ(header.height, c.height);
  }
}

constexpr auto kNone = PictureFormat::None;

INSTANTIATE_TEST_SUITE_P(
    Files, PictureHeaderTest,
    testing::Values(
        HeaderCase{"bitmap_bottom_up", Bmp(3, 2, 24), PictureFormat::Bitmap, 3, 2},
        HeaderCase{"bitmap_top_down", Bmp(3, -2, 32), PictureFormat::Bitmap, 3, 2},
        HeaderCase{"bitmap_os2_core_header", Bmp(5, 4, 8, 0, -1, 12), PictureFormat::Bitmap, 5, 4},
        HeaderCase{"bitmap_v5_header", Bmp(7, 3, 32, 3, -1, 124), PictureFormat::Bitmap, 7, 3},
        HeaderCase{"bitmap_run_length", Bmp(300, 200, 8, 1, 10), PictureFormat::Bitmap, 300, 200},
        HeaderCase{"bitmap_claiming_30000_square_in_1_KB", Bmp(30000, 30000, 24, 0, 970), kNone},
        HeaderCase{"bitmap_one_byte_short_of_its_rows", Cut(Bmp(3, 2, 24), 1), kNone},
        HeaderCase{"bitmap_top_down_run_length", Bmp(300, -200, 8, 1, 10), kNone},
        HeaderCase{"bitmap_cut_in_its_header", Cut(Bmp(3, 2, 24), 30), kNone},
        HeaderCase{"bitmap_of_depth_7", Bmp(3, 2, 7), kNone},
        HeaderCase{"png", PngHeader(640, 480), PictureFormat::Png, 640, 480},
        HeaderCase{"png_24000_square", PngHeader(24000, 24000), PictureFormat::Png, 24000, 24000},
        HeaderCase{"png_cut_in_its_header", Cut(PngHeader(640, 480), 10), kNone},
        HeaderCase{"png_beyond_31_bits", PngHeader(0x80000000u, 1), kNone},
        HeaderCase{"gif_first_frame", Gif(100, 80, {{60, 40}, {100, 80}}), PictureFormat::Gif, 60, 40},
        HeaderCase{"gif_cut_before_its_first_frame", Cut(Gif(100, 80, {{60, 40}}), 12), kNone},
        HeaderCase{"jpeg_baseline", Jpeg(0xC0, 1024, 768), PictureFormat::Jpeg, 1024, 768},
        HeaderCase{"jpeg_progressive", Jpeg(0xC2, 8660, 5773), PictureFormat::Jpeg, 8660, 5773},
        HeaderCase{"jpeg_scan_before_its_size", Jpeg(0xC0, 1024, 768, true), kNone},
        HeaderCase{"jpeg_cut_before_its_size", Cut(Jpeg(0xC0, 1024, 768), 15), kNone},
        HeaderCase{"icon_bitmap", Icon(IconDib(32, 64, 32 * 32 * 4)), PictureFormat::Icon, 32, 32},
        HeaderCase{"cursor_bitmap", Icon(IconDib(32, 64, 32 * 32 * 4), 22, 2), PictureFormat::Icon, 32, 32},
        HeaderCase{"icon_png_claiming_30000_square", Icon(PngHeader(30000, 30000)), PictureFormat::Icon, 30000,
                   30000},
        HeaderCase{"icon_rows_beyond_its_image", Icon(IconDib(32, 64, 100)), kNone},
        HeaderCase{"icon_image_beyond_the_file", Icon(IconDib(32, 64, 32 * 32 * 4), 400), kNone},
        HeaderCase{"tiff_little_endian", Tiff(true, 300, 200), PictureFormat::Tiff, 300, 200},
        HeaderCase{"tiff_big_endian", Tiff(false, 300, 200), PictureFormat::Tiff, 300, 200},
        HeaderCase{"tiff_cut_in_its_directory", Cut(Tiff(true, 300, 200), 10), kNone},
        HeaderCase{"emf_8_m_square", Emf(800000, 800000), PictureFormat::EnhancedMetafile, 800000, 800000},
        HeaderCase{"emf_longer_than_its_file", Emf(1000, 1000, 400), kNone},
        HeaderCase{"emf_record_past_its_end", Emf(1000, 1000, 0, 64), kNone},
        HeaderCase{"emf_empty_frame", Emf(0, 1000), kNone},
        HeaderCase{"wmf_placeable", Wmf(true, 0, 0, 2880, 1440, 1440, false), PictureFormat::Metafile, 2880,
                   1440},
        HeaderCase{"wmf_plain_by_its_window_extent", Wmf(false, 0, 0, 0, 0, 0, true, 400, -300),
                   PictureFormat::Metafile, 400, 300},
        HeaderCase{"wmf_plain_without_extent", Wmf(false, 0, 0, 0, 0, 0, false), kNone},
        HeaderCase{"wmf_without_end_record", Wmf(true, 0, 0, 2880, 1440, 1440, false, 0, 0, false), kNone},
        HeaderCase{"wmf_cut_in_its_records", Cut(Wmf(true, 0, 0, 2880, 1440, 1440, false), 4), kNone},
        HeaderCase{"text", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}, kNone},
        HeaderCase{"empty", Bytes{}, kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureHeader, MetafilesKeepTheirLogicalWindowAndRecords) {
  Bytes placeable = Wmf(true, -100, 50, 2780, 1490, 1440, true, 10, 10);
  PictureHeader header = ReadPictureHeader(placeable.data(), placeable.size());
  EXPECT_EQ(std::vector<int>({header.windowLeft, header.windowTop, header.windowWidth, header.windowHeight}),
            std::vector<int>({-100, 50, 2880, 1440}))
      << "the bounding box, not the extent recorded inside";
  EXPECT_EQ(header.recordsOffset, 22u);
  EXPECT_EQ(header.recordsSize, placeable.size() - 22);
  Bytes plain = Wmf(false, 0, 0, 0, 0, 0, true, 400, -300);
  header = ReadPictureHeader(plain.data(), plain.size());
  EXPECT_EQ(header.windowHeight, -300) << "a window turned upside down stays so";
  EXPECT_EQ(header.recordsOffset, 0u);
}

TEST(PictureHeader, AGifCountsEveryFrameItsDecoderHolds) {
  Bytes gif = Gif(100, 80, {{60, 40}, {100, 80}});
  EXPECT_EQ(ReadPictureHeader(gif.data(), gif.size()).decodePixels, 100u * 80 + 60 * 40 + 100 * 80);
}

struct SizeCase {
  const char* name;
  PictureHeader header;
  int dpi;
  int width, height;  // 0: refused
};

PictureHeader Header(PictureFormat format, int64_t width, int64_t height, int64_t unitsPerInch = 0,
                     uint64_t decodePixels = 0) {
  PictureHeader header;
  header.format = format;
  header.width = width;
  header.height = height;
  header.unitsPerInch = unitsPerInch;
  header.decodePixels = decodePixels ? decodePixels : uint64_t(width) * uint64_t(height);
  return header;
}

TEST(ShownSize, RasterPicturesWithinTheBudgetMetafilesAtTheScreensResolution) {
  using F = PictureFormat;
  for (const SizeCase& c : {
           SizeCase{"a 50-megapixel photograph", Header(F::Jpeg, 8660, 5773), 96, 8660, 5773},
           SizeCase{"the budget exactly", Header(F::Png, 8192, 8192), 96, 8192, 8192},
           SizeCase{"one row beyond the budget", Header(F::Png, 8192, 8193), 96, 0, 0},
           SizeCase{"12000 x 12000", Header(F::Png, 12000, 12000), 96, 0, 0},
           SizeCase{"a small GIF whose frames together pass the budget",
                    Header(F::Gif, 100, 100, 0, kDecodeBudgetPixels + 1), 96, 0, 0},
           SizeCase{"raster pictures ignore the resolution", Header(F::Bitmap, 300, 200), 192, 300, 200},
           SizeCase{"an 8 m metafile at 96 per inch", Header(F::EnhancedMetafile, 800000, 800000, 2540), 96, 30236,
                    30236},
           SizeCase{"and at 120 per inch", Header(F::EnhancedMetafile, 800000, 800000, 2540), 120, 37795, 37795},
           SizeCase{"a placeable metafile of 2 x 1 inches", Header(F::Metafile, 2880, 1440, 1440), 96, 192, 96},
           SizeCase{"a sliver still shows", Header(F::EnhancedMetafile, 1, 1, 2540), 96, 1, 1},
           SizeCase{"a metafile beyond the largest side", Header(F::EnhancedMetafile, 30000000, 100, 2540), 96, 0,
                    0},
           SizeCase{"nothing", PictureHeader{}, 96, 0, 0}}) {
    PixelSize size = ShownSize(c.header, c.dpi, c.dpi);
    EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(c.width, c.height)) << c.name;
  }
}

// Headers whose pixels are deeper than 8 bits a channel, and metafiles with
// bitmaps or records inside: files of a few bytes that would make the
// decoder or the drawing hold far more.
Bytes PngOf(uint32_t width, uint32_t height, uint8_t depth, uint8_t kind) {
  Bytes b = PngHeader(width, height);
  b[24] = depth, b[25] = kind;
  return b;
}

Bytes TiffOf(uint32_t width, uint32_t height, uint16_t bits, uint16_t samples) {
  Bytes b;
  Text(b, "II*\0", 4);
  Le32(b, 8);
  Le16(b, 4);
  Le16(b, 256), Le16(b, 4), Le32(b, 1), Le32(b, width);
  Le16(b, 257), Le16(b, 4), Le32(b, 1), Le32(b, height);
  Le16(b, 258), Le16(b, 3), Le32(b, samples), Le32(b, samples <= 2 ? bits | bits << 16 : 62);
  Le16(b, 277), Le16(b, 3), Le32(b, 1), Le16(b, samples), Le16(b, 0);
  Le32(b, 0);
  for (int s = 0; s < samples; ++s) Le16(b, bits);  // at 62, when they do not fit the entry
  return b;
}

Bytes JpegOf(uint16_t width, uint16_t height, uint8_t precision, uint8_t components) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xC0, 0, uint8_t(8 + 3 * components), precision};
  Be16(b, height), Be16(b, width);
  b.push_back(components);
  for (uint8_t c = 0; c < components; ++c) b.insert(b.end(), {uint8_t(c + 1), 0x11, 0});
  b.insert(b.end(), {0xFF, 0xD9});
  return b;
}

// An enhanced metafile of the given records before its end record.
Bytes EmfOf(const Bytes& records) {
  Bytes b = Emf(1000, 1000);
  b.resize(88);
  b.insert(b.end(), records.begin(), records.end());
  Le32(b, 14), Le32(b, 20), Le32(b, 0), Le32(b, 16), Le32(b, 20);
  for (int i = 0; i < 4; ++i) b[48 + i] = uint8_t(b.size() >> (8 * i));
  return b;
}

// A stretched bitmap record whose bitmap says it is width x height, with
// none of its pixels in the file.
Bytes StretchedBitmap(int32_t width, int32_t height) {
  Bytes r;
  Le32(r, 81), Le32(r, 120);
  Zeros(r, 40);
  Le32(r, 80), Le32(r, 40), Le32(r, 120), Le32(r, 0), Le32(r, 0), Le32(r, 0x00CC0020), Le32(r, 10), Le32(r, 10);
  Le32(r, 40), Le32(r, width), Le32(r, height), Le16(r, 1), Le16(r, 32);
  Zeros(r, 24);
  return r;
}

// Records that keep the drawing's state, the shortest there are.
Bytes SavedStates(size_t count) {
  Bytes r(count * 8, 0);
  for (size_t i = 0; i < count; ++i) r[i * 8] = 33, r[i * 8 + 4] = 8;
  return r;
}

// A placeable metafile with a stretched bitmap of width x height.
Bytes WmfWithBitmap(int32_t width, int32_t height) {
  Bytes w = Wmf(true, 0, 0, 1440, 1440, 1440, false);
  Bytes record;
  Le32(record, 14 + 20), Le16(record, 0x0F43);
  Le32(record, 0x00CC0020), Le16(record, 0);
  for (int i = 0; i < 8; ++i) Le16(record, 10);
  Le32(record, 40), Le32(record, width), Le32(record, height), Le16(record, 1), Le16(record, 32);
  Zeros(record, 24);
  w.insert(w.end() - 6, record.begin(), record.end());  // before the end record
  uint32_t words = uint32_t((w.size() - 22) / 2);
  for (int i = 0; i < 4; ++i) w[22 + 6 + i] = uint8_t(words >> (8 * i));
  return w;
}

TEST(ShownSize, TheBudgetCountsEveryChannelAtItsDepthAndWhatAMetafileDrawsWith) {
  struct Case {
    const char* name;
    Bytes file;
    bool shown;
  };
  const Case cases[] = {
      {"8-bit RGBA PNG at the budget", PngOf(8192, 8192, 8, 6), true},
      {"16-bit RGBA PNG of the same size holds twice as much", PngOf(8192, 8192, 16, 6), false},
      {"16-bit RGB PNG", PngOf(8192, 8192, 16, 2), false},
      {"16-bit grey PNG is converted to four bytes a pixel", PngOf(8192, 8192, 16, 0), true},
      {"16-bit RGBA PNG of half the pixels", PngOf(8192, 4096, 16, 6), true},
      {"an icon holding a 16-bit RGBA PNG", Icon(PngOf(8192, 8192, 16, 6)), false},
      {"8-bit RGBA TIFF at the budget", TiffOf(8192, 8192, 8, 4), true},
      {"16-bit RGBA TIFF", TiffOf(8192, 8192, 16, 4), false},
      {"16-bit grey and alpha TIFF", TiffOf(8192, 8192, 16, 2), true},
      {"8-bit JPEG at the budget", JpegOf(8192, 8192, 8, 3), true},
      {"12-bit CMYK JPEG", JpegOf(8192, 8192, 12, 4), false},
      {"a metafile with a small bitmap", EmfOf(StretchedBitmap(640, 480)), true},
      {"a metafile of 1 KB with a 30000-square bitmap", EmfOf(StretchedBitmap(30000, 30000)), false},
      {"a metafile whose bitmaps together pass the budget",
       EmfOf([] {
         Bytes r;
         for (int i = 0; i < 5; ++i) {
           Bytes one = StretchedBitmap(4096, 4096);
           r.insert(r.end(), one.begin(), one.end());
         }
         return r;
       }()),
       false},
      {"a plain metafile with a small bitmap", WmfWithBitmap(640, 480), true},
      {"a plain metafile with a 30000-square bitmap", WmfWithBitmap(30000, 30000), false},
      {"a metafile of the most records", EmfOf(SavedStates(kLargestRecordCount)), true},
      {"and one record more", EmfOf(SavedStates(kLargestRecordCount + 1)), false},
  };
  for (const Case& c : cases) {
    PictureHeader header = ReadPictureHeader(c.file.data(), c.file.size());
    PixelSize size = ShownSize(header, 96, 96);
    EXPECT_EQ(size.width != 0, c.shown) << c.name;
  }
}

TEST(ClipToPicture, KeepsOnlyWhatLiesWithinThePicture) {
  struct Case {
    const char* name;
    Rect part;
    Rect clipped;
  };
  for (const Case& c : {Case{"inside", {10, 5, 30, 40}, {10, 5, 30, 40}},
                        Case{"over the top-left corner", {-5, -5, 20, 20}, {0, 0, 15, 15}},
                        Case{"over the bottom-right corner", {90, 40, 20, 20}, {90, 40, 10, 10}},
                        Case{"outside", {100, 0, 10, 10}, {0, 0, 0, 0}},
                        Case{"far beyond 32 bits", {2000000000, 0, 2000000000, 10}, {0, 0, 0, 0}}}) {
    Rect r = ClipToPicture(c.part, 100, 50);
    EXPECT_EQ(std::vector<int>({r.left, r.top, r.width, r.height}),
              std::vector<int>({c.clipped.left, c.clipped.top, c.clipped.width, c.clipped.height}))
        << c.name;
  }
}

// A file as the system reads it: pieces no larger than asked for, possibly
// fewer bytes than asked, and a read error or an early end where the script
// says.
struct ScriptedFile {
  std::vector<uint8_t> bytes;
  size_t failsAt = SIZE_MAX, endsAt = SIZE_MAX, mostPerRead = SIZE_MAX;
  size_t place = 0;
  bool Read(uint8_t* into, size_t count, size_t& read) {
    if (place >= failsAt) return false;
    const size_t end = std::min(endsAt, bytes.size());
    read = std::min({count, mostPerRead, end - std::min(place, end)});
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(place), read, into);
    place += read;
    return true;
  }
};

TEST(ReadPictureFile, TheWholeFileOrNothingItsHeaderJudgedFirst) {
  // Headers followed by bytes that reach well past the first read.
  auto padded = [](Bytes file) {
    for (size_t i = file.size(); i < 3 * kPictureHeadBytes + 5; ++i) file.push_back(static_cast<uint8_t>(i * 7));
    return file;
  };
  const Bytes png = padded(PngHeader(640, 480));
  size_t readTo = 0;
  auto readWith = [&](ScriptedFile file, const Bytes& bytes, uint64_t size) {
    file.bytes = bytes;
    FileContents contents =
        ReadPictureFile(size, [&](uint8_t* into, size_t count, size_t& read) { return file.Read(into, count, read); });
    readTo = file.place;
    return contents;
  };

  FileContents whole = readWith(ScriptedFile{{}, SIZE_MAX, SIZE_MAX, 777}, png, png.size());
  ASSERT_TRUE(whole) << "short reads are read on";
  EXPECT_EQ(Bytes(whole.bytes.get(), whole.bytes.get() + whole.size), png);
  EXPECT_FALSE(readWith(ScriptedFile{{}, 2 * kPictureHeadBytes, SIZE_MAX, 1000}, png, png.size())) << "a read error part way";
  EXPECT_FALSE(readWith(ScriptedFile{{}, SIZE_MAX, png.size() - 1}, png, png.size())) << "a file that ends before its size";
  EXPECT_FALSE(readWith(ScriptedFile{}, {}, 0)) << "an empty file";
  bool asked = false;
  EXPECT_FALSE(ReadPictureFile(kLargestPictureFile + 1, [&](uint8_t*, size_t, size_t&) { return asked = true; }));
  EXPECT_FALSE(asked) << "a file over the cap is refused unread";

  for (const Bytes& refused : {padded(PngHeader(24000, 24000)), padded({'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'})}) {
    EXPECT_FALSE(readWith(ScriptedFile{}, refused, refused.size()));
    EXPECT_EQ(readTo, kPictureHeadBytes) << "a file its header refuses is not read on";
  }
  // A TIFF keeps its directory where it likes, here at the end.
  Bytes tiff = Tiff(true, 300, 200);
  Bytes late = padded(Bytes(tiff.begin(), tiff.begin() + 8));
  const size_t directory = late.size();
  late.insert(late.end(), tiff.begin() + 8, tiff.end());
  for (int i = 0; i < 4; ++i) late[4 + i] = static_cast<uint8_t>(directory >> (8 * i));
  ASSERT_EQ(ReadPictureHeader(late.data(), late.size()).width, 300);
  EXPECT_TRUE(readWith(ScriptedFile{}, late, late.size())) << "a header that reaches further is read whole";
}

}  // namespace
}  // namespace zindle
