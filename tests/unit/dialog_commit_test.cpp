// What OK writes: thirteen keys in order, values the saver can use,
// and a clear message when the store refuses a write.
#include <gtest/gtest.h>

#include "dialog/commit.h"
#include "fakes.h"

namespace zindle::dialog {
namespace {

using zindle::testing::MemoryStore;

const std::vector<std::string> kOrder = {"Version", "Horizontal", "Vertical", "Unzindle", "Frequency",
                                         "Invert", "Level", "Threshold", "FlipHoriz", "FlipVert",
                                         "Picture", "PictureName", "Slow"};

std::string Stored(MemoryStore& store, const std::string& key) {
  auto it = store.values.find({kApplication, kSection, key});
  return it == store.values.end() ? "<absent>" : it->second;
}

TEST(DialogCommit, FirstRunValuesAreWrittenOneKeyAtATimeInTheirOrder) {
  MemoryStore store;
  DialogValues firstRun;  // the controls right after opening with no stored settings
  EXPECT_TRUE(WriteSettings(store, firstRun).empty());
  EXPECT_EQ(store.writes, kOrder);
  const std::pair<const char*, const char*> expected[] = {
      {"Version", "1.40"}, {"Horizontal", "1"}, {"Vertical", "1"},  {"Unzindle", "0"},   {"Frequency", "2"},
      {"Invert", "0"},     {"Level", "2"},      {"Threshold", "2"}, {"FlipHoriz", "0"},  {"FlipVert", "0"},
      {"Picture", "0"},    {"PictureName", ""}, {"Slow", "0"},
  };
  for (auto [key, text] : expected) EXPECT_EQ(Stored(store, key), text) << key;
  for (const std::string& key : store.writes) EXPECT_EQ(store.values.count({"Korvane", "Zindle!", key}), 1u) << key;
}

TEST(DialogCommit, EveryControlGoesToItsOwnKey) {
  DialogValues v;
  v.horizontal = 7;
  v.vertical = 0;
  v.unzindle = 1;
  v.frequency = 20;
  v.colourChoice = 3;
  v.level = 10;
  v.threshold = 4;
  v.flipHoriz = 1;
  v.flipVert = 1;
  v.picture = 1;
  v.pictureName = "C:\\Pictures\\sea & sky.jpg";
  v.slow = 1;
  std::vector<KeyText> entries = CommitEntries(v);
  ASSERT_EQ(entries.size(), 13u);
  const char* texts[] = {"1.40", "7", "0", "1", "20", "3", "10", "4", "1", "1", "1", "C:\\Pictures\\sea & sky.jpg", "1"};
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].key, kOrder[i]);
    EXPECT_EQ(entries[i].text, texts[i]) << entries[i].key;
  }
}

struct RangeCase {
  const char* name;
  DialogValues values;
  const char* key;
  const char* text;
};

DialogValues With(void (*change)(DialogValues&)) {
  DialogValues v;
  change(v);
  return v;
}

TEST(DialogCommit, OnlyValuesTheSaverCanUseAreStored) {
  const RangeCase cases[] = {
      {"amplitude above 10", With([](DialogValues& v) { v.horizontal = 50; }), "Horizontal", "10"},
      {"amplitude below 0", With([](DialogValues& v) { v.vertical = -3; }), "Vertical", "0"},
      {"restart above 20", With([](DialogValues& v) { v.frequency = 99; }), "Frequency", "20"},
      {"level 0 would divide by nothing", With([](DialogValues& v) { v.level = 0; }), "Level", "1"},
      {"colour mode above 3", With([](DialogValues& v) { v.colourChoice = 200; }), "Invert", "3"},
      {"no threshold selected", With([](DialogValues& v) { v.threshold = -1; }), "Threshold", "0"},
      {"threshold above 4", With([](DialogValues& v) { v.threshold = 5; }), "Threshold", "4"},
      {"a grey check box is not checked", With([](DialogValues& v) { v.slow = 2; }), "Slow", "0"},
      {"picture path kept as it is", With([](DialogValues& v) { v.pictureName = " x "; }), "PictureName", " x "},
  };
  for (const RangeCase& c : cases) {
    for (const KeyText& entry : CommitEntries(c.values)) {
      if (entry.key == c.key) {
        EXPECT_EQ(entry.text, c.text) << c.name;
      }
    }
  }
}

TEST(DialogCommit, AFailedWriteIsReportedAndTheOtherKeysAreStillTried) {
  MemoryStore store;
  store.failAfter = 4;  // "Version" to "Unzindle" are stored, then the store refuses
  std::vector<std::string> unsaved = WriteSettings(store, DialogValues{});
  EXPECT_EQ(store.writes, kOrder) << "every key is tried";
  EXPECT_EQ(unsaved, std::vector<std::string>(kOrder.begin() + 4, kOrder.end()));
  EXPECT_EQ(Stored(store, "Unzindle"), "0");
  EXPECT_EQ(Stored(store, "Frequency"), "<absent>");
  std::string text = UnsavedText(unsaved);
  EXPECT_EQ(text.rfind("The settings could not all be saved.", 0), 0u) << text;
  EXPECT_NE(text.find("Not saved: Frequency, Invert, Level"), std::string::npos) << text;
  EXPECT_STREQ(kUnsavedTitle, "Saving Settings");
}

}  // namespace
}  // namespace zindle::dialog
