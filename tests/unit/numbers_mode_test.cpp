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

TEST(PasswordParentHandle, ReadsTheRestLenientlyAndRounds) {
  EXPECT_EQ(PasswordParentHandle("/a 1234"), 1234u);
  EXPECT_EQ(PasswordParentHandle("/A"), 0u);
  EXPECT_EQ(PasswordParentHandle("/a:1234"), 0u) << "the colon stops the number before it begins";
  EXPECT_EQ(PasswordParentHandle("/a 12.5"), 12u);
  EXPECT_EQ(PasswordParentHandle("/a 13.5"), 14u);
  EXPECT_EQ(PasswordParentHandle("/a -5"), 0u);
}

TEST(PreviewWindowHandle, DropsExactlyThreeCharactersBeforeTheNumber) {
  EXPECT_EQ(PreviewWindowHandle("/p 1234"), 1234u);
  EXPECT_EQ(PreviewWindowHandle("/p:1234"), 1234u);
  EXPECT_EQ(PreviewWindowHandle("/P 4294967296"), 4294967296u) << "64-bit handles";
  EXPECT_FALSE(PreviewWindowHandle("/p"));
  EXPECT_FALSE(PreviewWindowHandle("/p "));
  EXPECT_FALSE(PreviewWindowHandle("/p abc"));
  EXPECT_FALSE(PreviewWindowHandle("/p 0"));
  EXPECT_FALSE(PreviewWindowHandle("/p -12"));
}

TEST(DialogOwnerHandle, TakesTheWindowAfterAColonOrABlank) {
  EXPECT_EQ(DialogOwnerHandle("/c:1234"), 1234u) << "as Windows passes it";
  EXPECT_EQ(DialogOwnerHandle("/C 1234"), 1234u);
  EXPECT_FALSE(DialogOwnerHandle("")) << "no argument at all";
  EXPECT_FALSE(DialogOwnerHandle("/c"));
  EXPECT_FALSE(DialogOwnerHandle("/c:"));
  EXPECT_FALSE(DialogOwnerHandle("/c:abc"));
  EXPECT_FALSE(DialogOwnerHandle("/c::12"));
}

}  // namespace
}  // namespace zindle
