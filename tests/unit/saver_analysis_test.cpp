// The intelligent colour test over pictures in memory, and the typed
// registry query over a key in memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <vector>

#include "saver/colour_analysis.h"
#include "settings/registry_reader.h"

// Allocations of this many bytes or more fail while a test asks them to: the
// registry reader's room for a value comes from the registry's own size.
static size_t g_failingAllocation = SIZE_MAX;
void* operator new(size_t size) {
  if (size >= g_failingAllocation) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace zindle {
namespace {

// A picture of one packed colour, or of a colour per pixel.
class Picture : public PixelReader {
 public:
  Picture(int32_t w, int32_t h, int32_t colour) : w_(w), h_(h), pixels_(static_cast<size_t>(w) * h, colour) {}
  int32_t PackedPixel(int32_t x, int32_t y) const override {
    ++reads;
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return -1;
    return pixels_[static_cast<size_t>(y) * w_ + x];
  }
  void Set(int32_t x, int32_t y, int32_t colour) { pixels_[static_cast<size_t>(y) * w_ + x] = colour; }
  mutable int64_t reads = 0;

 private:
  int32_t w_, h_;
  std::vector<int32_t> pixels_;
};

constexpr int32_t kWhite = 0x00FFFFFF, kBlack = 0;
constexpr int32_t kBlue200 = 0x00C80000;  // RGB(0, 0, 200)

TEST(ColourAnalysis, ThresholdGreysAreTheFiveRowsOfTheList) {
  EXPECT_EQ((std::vector<uint32_t>(std::begin(kThresholdGreys), std::end(kThresholdGreys))),
            (std::vector<uint32_t>{0x202020, 0x404040, 0x808080, 0xC0C0C0, 0xE0E0E0}));
}

TEST(ColourAnalysis, ScreensOfOneColourInvertOrKeepAsTheirBrightnessSays) {
  struct Case {
    const char* name;
    int32_t colour;
    int16_t threshold;
    bool inverts;
  };
  for (Case c : {Case{"white at average", kWhite, 2, true}, Case{"white at maximum", kWhite, 4, true},
                 Case{"black at minimum", kBlack, 0, false}, Case{"black at average", kBlack, 2, false},
                 Case{"blue 200 at maximum", kBlue200, 4, false}, Case{"blue 200 at average", kBlue200, 2, true},
                 Case{"the grey itself does not count", 0x808080, 2, false}}) {
    Picture screen(800, 600, c.colour);
    EXPECT_EQ(AnalyseColours(screen, 800, 600, 2, c.threshold).Inverts(), c.inverts) << c.name;
  }
}

TEST(ColourAnalysis, BlueDecidesFirstThenGreenThenRed) {
  struct Case {
    const char* name;
    int32_t colour;
    bool counts;
  };
  for (Case c : {Case{"RGB(0, 0, 129)", 0x810000, true}, Case{"RGB(255, 255, 127)", 0x7FFFFF, false},
                 Case{"RGB(0, 129, 128)", 0x808100, true}, Case{"RGB(129, 128, 128)", 0x808081, true},
                 Case{"unreadable", -1, false}}) {
    Picture screen(10, 10, c.colour);
    EXPECT_EQ(AnalyseColours(screen, 10, 10, 1, 2).count, c.counts ? 4 : 0) << c.name;
  }
}

TEST(ColourAnalysis, DefaultsOnAWhiteScreenGiveTheDebugText) {
  Picture white(800, 600, kWhite);
  ColourAnalysis a = AnalyseColours(white, 800, 600, 2, 2);
  EXPECT_EQ(DebugText(a), "4800/2400");
  Picture black(640, 480, kBlack);
  EXPECT_EQ(DebugText(AnalyseColours(black, 640, 480, 2, 2)), "0/1536");
}

TEST(ColourAnalysis, CountsOfTodaysScreensPassSixteenBits) {
  struct Case {
    int32_t w, h;
    int16_t level;
    const char* debug;
  };
  for (Case c : {Case{1920, 1080, 1, "82944/41472"}, Case{1280, 1024, 1, "52480/26214"},
                 Case{3840, 2160, 1, "331776/165888"}, Case{1024, 768, 1, "31570/15729"},
                 Case{1024, 768, 10, "336/157"}}) {
    Picture white(c.w, c.h, kWhite);
    EXPECT_EQ(DebugText(AnalyseColours(white, c.w, c.h, c.level, 2)), c.debug) << c.w << "x" << c.h;
  }
}

TEST(ColourAnalysis, HalfIsRoundedToEven) {
  // 30 / 10 * 25 / 10 / 2 = 3.75 -> 4;  50 / 10 * 5 / 10 / 2 = 1.25 -> 1;
  // 10 / 10 * 50 / 10 / 2 = 2.5 -> 2;  10 / 10 * 70 / 10 / 2 = 3.5 -> 4.
  struct Case {
    int32_t w, h;
    int64_t half;
  };
  for (Case c : {Case{30, 25, 4}, Case{50, 5, 1}, Case{10, 50, 2}, Case{10, 70, 4}}) {
    Picture black(c.w, c.h, kBlack);
    EXPECT_EQ(AnalyseColours(black, c.w, c.h, 2, 2).half, c.half) << c.w << "x" << c.h;
  }
}

TEST(ColourAnalysis, SamplesStartAtOneAndMayReachTheExtraColumn) {
  // 11 x 11 at step 5: x and y take 1, 6, 11; 11 lies past the picture.
  Picture screen(11, 11, kBlack);
  for (int x : {1, 6}) screen.Set(x, 1, kWhite);
  screen.Set(0, 0, kWhite);  // never sampled
  ColourAnalysis a = AnalyseColours(screen, 11, 11, 1, 2);
  EXPECT_EQ(a.count, 2);
  EXPECT_EQ(screen.reads, 9);
}

TEST(ColourAnalysis, LevelsAndRowsOutsideTheDialogsRangeDoNotFail) {
  Picture light(100, 100, 0xD0D0D0);
  EXPECT_EQ(AnalyseColours(light, 100, 100, 0, 2).count, 400) << "level 0 is taken as 1";
  EXPECT_EQ(AnalyseColours(light, 100, 100, -3, 9).count, 0) << "row 9 is the maximum";
  EXPECT_EQ(AnalyseColours(light, 100, 100, 1, -1).count, 400) << "row -1 is the minimum";
}

TEST(DibPixelReader, GivesPackedColoursWithRedInTheLowestByte) {
  std::vector<uint32_t> dib = {0x00112233, 0xFF445566, 0x00000000, 0x00FFFFFF};
  DibPixelReader reader(dib.data(), 2, 2);
  EXPECT_EQ(reader.PackedPixel(0, 0), 0x00332211);
  EXPECT_EQ(reader.PackedPixel(1, 0), 0x00665544) << "the byte above the colour is not part of it";
  EXPECT_EQ(reader.PackedPixel(1, 1), 0x00FFFFFF);
  EXPECT_EQ(reader.PackedPixel(2, 0), -1);
  EXPECT_EQ(reader.PackedPixel(0, -1), -1);
  EXPECT_EQ(DibPixelReader(nullptr, 2, 2).PackedPixel(0, 0), -1);
}

// A key in memory: values by name with a type and bytes; failures on demand.
class MemoryKey : public RegistryKeyQuery {
 public:
  struct Value {
    uint32_t type;
    std::vector<char> bytes;
  };
  int32_t Query(std::string_view name, uint32_t* type, void* data, uint32_t* size) override {
    ++queries;
    if (queries == failAt) return 5;  // access denied
    auto it = values.find(std::string(name));
    if (it == values.end()) return 2;  // file not found
    *type = it->second.type;
    uint32_t needed = static_cast<uint32_t>(it->second.bytes.size());
    if (data) {
      if (*size < needed) return 234;  // more data
      if (needed) std::memcpy(data, it->second.bytes.data(), needed);
    }
    *size = needed;
    return 0;
  }
  std::map<std::string, Value> values;
  int queries = 0;
  int failAt = 0;
};

MemoryKey::Value Text(const std::string& s) { return {kRegistryText, std::vector<char>(s.begin(), s.end() + 0)}; }
MemoryKey::Value TextWithNul(const std::string& s) {
  std::vector<char> bytes(s.begin(), s.end());
  bytes.push_back('\0');
  return {kRegistryText, bytes};
}
MemoryKey::Value Number(int32_t n) {
  std::vector<char> bytes(4);
  std::memcpy(bytes.data(), &n, 4);
  return {kRegistryNumber, bytes};
}

TEST(QueryTypedValue, TextsAndNumbersAreRead) {
  MemoryKey key;
  key.values["text"] = TextWithNul("1");
  key.values["bare"] = Text("abc");
  key.values["number"] = Number(-7);
  key.values["empty"] = TextWithNul("");
  RegistryValue v;
  EXPECT_EQ(QueryTypedValue(key, "text", v), 0);
  EXPECT_EQ(v, RegistryValue(std::string("1"))) << "without the terminating character";
  EXPECT_EQ(QueryTypedValue(key, "bare", v), 0);
  EXPECT_EQ(v, RegistryValue(std::string("abc")));
  EXPECT_EQ(QueryTypedValue(key, "number", v), 0);
  EXPECT_EQ(v, RegistryValue(int32_t{-7}));
  EXPECT_EQ(QueryTypedValue(key, "empty", v), 0);
  EXPECT_EQ(v, RegistryValue(std::string()));
}

TEST(QueryTypedValue, FailuresGiveTheirStatusAndLeaveTheResult) {
  MemoryKey key;
  key.values["binary"] = {3, {1, 2, 3}};
  RegistryValue v = int32_t{42};
  EXPECT_EQ(QueryTypedValue(key, "missing", v), 2);
  EXPECT_EQ(v, RegistryValue(int32_t{42}));
  EXPECT_EQ(QueryTypedValue(key, "binary", v), kUnsupportedType);
  EXPECT_EQ(v, RegistryValue(int32_t{42}));
}

// A password setting of an odd size must not read as "no password".
TEST(QueryTypedValue, ANumberOfAnOddSizeIsReadFromItsFirstBytes) {
  MemoryKey key;
  key.values["wide"] = {kRegistryNumber, {1, 0, 0, 0, 9, 9, 9, 9}};
  key.values["short"] = {kRegistryNumber, {1, 0}};
  RegistryValue v;
  EXPECT_EQ(QueryTypedValue(key, "wide", v), 0);
  EXPECT_EQ(v, RegistryValue(int32_t{1})) << "the first four of eight bytes";
  EXPECT_EQ(QueryTypedValue(key, "short", v), 0);
  EXPECT_EQ(v, RegistryValue(int32_t{1})) << "two bytes, the rest zero";
}

TEST(QueryTypedValue, NoRoomForTheValueIsAFailure) {
  MemoryKey key;
  key.values["text"] = Text(std::string(4096, 'x'));
  key.values["number"] = {kRegistryNumber, std::vector<char>(4096, 1)};
  RegistryValue v = int32_t{42};
  g_failingAllocation = 4096;
  int32_t text = QueryTypedValue(key, "text", v);
  RegistryValue afterText = v;
  v = int32_t{42};
  int32_t number = QueryTypedValue(key, "number", v);
  g_failingAllocation = SIZE_MAX;
  EXPECT_EQ(text, kOutOfMemory);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(afterText)) << "a text that cannot be read is empty";
  EXPECT_EQ(number, kOutOfMemory);
  EXPECT_EQ(v, RegistryValue(int32_t{42})) << "a number that cannot be read leaves the result";
}

TEST(QueryTypedValue, AFailedSecondReadOfATextEmptiesTheResult) {
  MemoryKey key;
  key.values["text"] = TextWithNul("1");
  key.values["number"] = Number(3);
  RegistryValue v = int32_t{42};
  key.failAt = 2;
  EXPECT_EQ(QueryTypedValue(key, "text", v), 5);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(v));
  v = int32_t{42};
  key.queries = 0;
  EXPECT_EQ(QueryTypedValue(key, "number", v), 5);
  EXPECT_EQ(v, RegistryValue(int32_t{42})) << "a failed number read leaves the result";
}

}  // namespace
}  // namespace zindle
