// Lenient numbers, half-to-even rounding, and the command line.
#include <gtest/gtest.h>

#include "core/mode.h"
#include "core/numbers.h"

namespace zindle {
namespace {

struct NumberCase {
  const char* name;
  const char* text;
  double value;
};

TEST(LenientNumber, ReadsTheLeadingNumberTheWayTheSettingsAreRead) {
  const NumberCase cases[] = {
      {"plain", "42", 42},
      {"blanks anywhere", " 1 2 ", 12},
      {"tabs and line feeds", "\t3\n4", 34},
      {"fraction", "1.105", 1.105},
      {"fraction with blanks", "1 . 5", 1.5},
      {"stops at a letter", "12abc", 12},
      {"stops at a colon", ":1234", 0},
      {"no number", "None", 0},
      {"empty", "", 0},
      {"negative", "-7", -7},
      {"plus sign", "+7", 7},
      {"leading point", ".5", 0.5},
      {"second point stops", "1.2.3", 1.2},
      {"exponent", "2e3", 2000},
      {"e without digits stops", "2e", 2},
      {"sign alone", "-", 0},
  };
  for (const NumberCase& c : cases) EXPECT_DOUBLE_EQ(LenientNumber(c.text), c.value) << c.name;
  EXPECT_FALSE(LeadingNumber("abc"));
  EXPECT_FALSE(LeadingNumber(" - "));
  EXPECT_TRUE(LeadingNumber("0"));
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, double> cases[] = {{10.5, 10}, {11.5, 12}, {2.5, 2}, {3.5, 4},  {-0.5, 0},
                                             {-1.5, -2}, {-2.5, -2}, {0.49, 0}, {0.51, 1}, {7, 7}};
  for (auto [in, out] : cases) EXPECT_EQ(RoundHalfEven(in), out) << in;
}

TEST(ToInt16, SaturatesInsteadOfWrapping) {
  EXPECT_EQ(ToInt16(40000), 32767);
  EXPECT_EQ(ToInt16(-40000), -32768);
  EXPECT_EQ(ToInt16(32767.4), 32767);
  EXPECT_EQ(ToInt16(1e300), 32767);
}

struct ModeCase {
  const char* arguments;
  Mode mode;
};

TEST(ModeDispatch, OnlyTheFirstTwoCharactersInUpperCaseDecide) {
  const ModeCase cases[] = {
      {"", Mode::Dialog},          {"/c", Mode::Dialog},        {"/C", Mode::Dialog},
      {"/c:1234", Mode::Dialog},   {"/c 1234", Mode::Dialog},   {"/s", Mode::Saver},
      {"/S", Mode::Saver},         {"/s anything", Mode::Saver}, {"/ s", Mode::None},
      {"s", Mode::None},           {"/", Mode::None},           {"/x", Mode::None},
      {"-S", Mode::None},          {"/p 1234", Mode::Preview},  {"/P:5", Mode::Preview},
      {"/a 1234", Mode::ChangePassword},
  };
  for (const ModeCase& c : cases) EXPECT_EQ(ModeFor(ModeKey(c.arguments)), c.mode) << '"' << c.arguments << '"';
}

TEST(ArgumentText, IsWhatFollowsTheProgramsOwnName) {
  EXPECT_EQ(ArgumentText("\"C:\\Windows\\Zindle!.scr\" /s"), "/s");
  EXPECT_EQ(ArgumentText("C:\\WINDOWS\\ZINDLE~1.SCR /p 1234"), "/p 1234");
  EXPECT_EQ(ArgumentText("\"C:\\Program Files\\Zindle!.scr\""), "");
  EXPECT_EQ(ArgumentText("zindle.scr   /c:123"), "/c:123");
}

struct HandleCase {
  const char* name;
  const char* arguments;
  std::optional<int32_t> handle;
};

// One rule for the three switches that name a window.
TEST(WindowHandleArgument, AWholeNumberOf32BitsAfterTheSwitchAColonOrBlanks) {
  const HandleCase cases[] = {
      {"preview as Windows passes it", "/p 1234", 1234},
      {"dialog as Windows passes it", "/c:1234", 1234},
      {"password change as Windows passes it", "/a 1234", 1234},
      {"colon after the preview switch", "/p:1234", 1234},
      {"blank after the dialog switch", "/C 1234", 1234},
      {"colon after the password switch", "/a:1234", 1234},
      {"no separator reads the whole number", "/p1234", 1234},
      {"blanks around the number", "/p \t 1234  ", 1234},
      {"the largest unsigned value widens with its sign", "/p 4294967295", -1},
      {"2^31 widens with its sign", "/p 2147483648", INT32_MIN},
      {"a negative value as a signed host writes it", "/p -2147483648", INT32_MIN},
      {"past 32 bits is refused, not wrapped", "/p 4294968530", std::nullopt},
      {"far past 32 bits", "/p 99999999999999999999999", std::nullopt},
      {"below the signed range", "/p -2147483649", std::nullopt},
      {"no handle after the password switch", "/A", std::nullopt},
      {"nothing after the blank", "/p ", std::nullopt},
      {"no argument at all", "", std::nullopt},
      {"colon alone", "/c:", std::nullopt},
      {"not a number", "/c:abc", std::nullopt},
      {"two colons", "/c::12", std::nullopt},
      {"zero is no window", "/p 0", std::nullopt},
      {"a fraction", "/a 12.5", std::nullopt},
      {"text after the number", "/p 1234x", std::nullopt},
      {"a blank inside the number", "/p 12 34", std::nullopt},
      {"a sign alone", "/p -", std::nullopt},
  };
  for (const HandleCase& c : cases) EXPECT_EQ(WindowHandleArgument(c.arguments), c.handle) << c.name;
}

}  // namespace
}  // namespace zindle
