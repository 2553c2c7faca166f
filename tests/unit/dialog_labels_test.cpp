// The texts of the value labels, the About box and the file label.
#include <gtest/gtest.h>

#include "dialog/labels.h"

namespace zindle::dialog {
namespace {

struct TextCase {
  const char* name;
  std::string actual;
  const char* expected;
};

TEST(DialogLabels, ValueLabelsFollowTheirSliders) {
  const TextCase cases[] = {
      {"amplitude 0", ValueText(0), "0"},
      {"amplitude 10", ValueText(10), "10"},
      {"level 1 shows 5", TimesFiveText(1), "5"},
      {"level 2 shows 10 (first run)", TimesFiveText(2), "10"},
      {"level 10 shows 50", TimesFiveText(10), "50"},
      {"restart 0 shows 0", MinutesText(0, "."), "0"},
      {"restart 1 shows 0.5", MinutesText(1, "."), "0.5"},
      {"restart 2 shows 1 (first run)", MinutesText(2, "."), "1"},
      {"restart 3 shows 1.5", MinutesText(3, "."), "1.5"},
      {"restart 19 shows 9.5", MinutesText(19, "."), "9.5"},
      {"restart 20 shows 10", MinutesText(20, "."), "10"},
      {"the user's decimal comma", MinutesText(3, ","), "1,5"},
      {"a separator of several characters", MinutesText(1, "::"), "0::5"},
      {"a whole number has no separator", MinutesText(4, ","), "2"},
      {"below the range keeps its sign", MinutesText(-1, "."), "-0.5"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(DialogLabels, ProgramLineUsesTheTwoDigitMinorPattern) {
  const TextCase cases[] = {
      {"this release", ProgramLine("Screen Zindler", 1, 40), "Screen Zindler, 1.40"},
      {"a minor below 10 gets a leading zero", ProgramLine("Screen Zindler", 1, 5), "Screen Zindler, 1.05"},
      {"minor 0", ProgramLine("Screen Zindler", 2, 0), "Screen Zindler, 2.00"},
      {"the major is never padded", ProgramLine("Screen Zindler", 10, 1), "Screen Zindler, 10.01"},
      {"three-digit minor", ProgramLine("Screen Zindler", 1, 123), "Screen Zindler, 1.123"},
      {"revision 0", RevisionText(0), ".0"},
      {"revision 12", RevisionText(12), ".12"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(DialogLabels, MemoryIsWholeKilobytesInGroupsOfThree) {
  const TextCase cases[] = {
      {"32 MB", MemoryText(33554432, ","), "32,768 KB"},
      {"not a multiple of 1024 rounds", MemoryText(1000000, ","), "977 KB"},
      {"a half rounds up, as Format does", MemoryText(1536, ","), "2 KB"},
      {"just below a half rounds down", MemoryText(1535, ","), "1 KB"},
      {"nothing is still one digit", MemoryText(0, ","), "0 KB"},
      {"under 1 KB", MemoryText(511, ","), "0 KB"},
      {"exactly 999 KB has no separator", MemoryText(999 * 1024, ","), "999 KB"},
      {"1000 KB", MemoryText(1000 * 1024, ","), "1,000 KB"},
      {"the user's thousands separator", MemoryText(33554432, "."), "32.768 KB"},
      {"a blank as separator", MemoryText(33554432, " "), "32 768 KB"},
      {"more than 4 GB (16 GB)", MemoryText(17179869184ull, ","), "16,777,216 KB"},
      {"1 TB", MemoryText(1099511627776ull, ","), "1,073,741,824 KB"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(DialogLabels, FileLabelIsTheNameAfterTheLastBackslash) {
  const TextCase cases[] = {
      {"a path", FileTitleOf("C:\\Pictures\\Holiday\\sea.jpg"), "sea.jpg"},
      {"a root file", FileTitleOf("C:\\sea.bmp"), "sea.bmp"},
      {"a name without a backslash is the whole name", FileTitleOf("sea.bmp"), "sea.bmp"},
      {"a path ending in a backslash", FileTitleOf("C:\\Pictures\\"), ""},
      {"forward slashes are not folders here", FileTitleOf("C:/Pictures/sea.bmp"), "C:/Pictures/sea.bmp"},
      {"empty", FileTitleOf(""), ""},
      {"non-ASCII names stay whole", FileTitleOf("C:\\Bilder\\Gr\xc3\xbc\xc3\x9f""e.gif"), "Gr\xc3\xbc\xc3\x9f""e.gif"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

}  // namespace
}  // namespace zindle::dialog
