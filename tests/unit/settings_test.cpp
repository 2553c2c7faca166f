// Loading the settings: defaults, conversions, bad values and the question.
#include <gtest/gtest.h>

#include "fakes.h"

namespace zindle {
namespace {

using testing::MemoryStore;
using testing::ScriptedPrompt;

SaverState Load(MemoryStore& store, bool answer = true) {
  ScriptedPrompt prompt(answer);
  SaverState state;
  LoadSettings(store, prompt, state);
  return state;
}

TEST(LoadSettings, AnEmptyStoreGivesTheDefaults) {
  MemoryStore store;
  SaverState s = Load(store);
  EXPECT_EQ(s.Horizontal, 1);
  EXPECT_EQ(s.Vertical, 1);
  EXPECT_EQ(s.Unzindle, 0);
  EXPECT_EQ(s.Frequency, 2);
  EXPECT_EQ(s.Invert, 0);
  EXPECT_EQ(s.Level, 2);
  EXPECT_EQ(s.Threshold, 2);
  EXPECT_EQ(s.Flip, 0);
  EXPECT_EQ(s.Picture, 0);
  EXPECT_EQ(s.PictureName, "");
  EXPECT_EQ(s.Slow, 0);
}

TEST(LoadSettings, ReadsTheKeysInTheirOrderAfterTheOldVersion) {
  MemoryStore store;
  Load(store);
  const std::vector<std::string> order = {"Current", "Horizontal", "Vertical", "Unzindle", "Frequency",
                                          "Invert", "Level", "Threshold", "FlipVert", "FlipHoriz",
                                          "Picture", "PictureName", "Slow"};
  EXPECT_EQ(store.reads, order);
}

TEST(LoadSettings, StoredValuesAreRoundedHalfToEven) {
  MemoryStore store;
  store.Put("Horizontal", "2.5");
  store.Put("Vertical", "3.5");
  store.Put("Frequency", " 1 2 ");
  store.Put("Slow", "1");
  store.Put("PictureName", "C:\\Pictures\\sea.jpg");
  SaverState s = Load(store);
  EXPECT_EQ(s.Horizontal, 2);
  EXPECT_EQ(s.Vertical, 4);
  EXPECT_EQ(s.Frequency, 12);
  EXPECT_EQ(s.Slow, 1);
  EXPECT_EQ(s.PictureName, "C:\\Pictures\\sea.jpg");
}

TEST(LoadSettings, FlipIsHorizontalPlusTwiceVertical) {
  const struct {
    const char *horiz, *vert;
    int16_t flip;
  } cases[] = {{"0", "0", 0}, {"1", "0", 1}, {"0", "1", 2}, {"1", "1", 3}, {"0.5", "0", 0}, {"0.5", "0.5", 2}};
  for (auto& c : cases) {
    MemoryStore store;
    store.Put("FlipHoriz", c.horiz);
    store.Put("FlipVert", c.vert);
    EXPECT_EQ(Load(store).Flip, c.flip) << c.horiz << " + 2 x " << c.vert;
  }
}

struct BadValue {
  const char* name;
  const char* key;
  const char* text;
  int16_t SaverState::*field;
  int16_t expected;
};

// A value the dialog never writes still leaves the saver something it can use.
TEST(LoadSettings, BadStoredValuesBecomeUsableOnes) {
  const BadValue cases[] = {
      {"not a number gives the default", "Horizontal", "lots", &SaverState::Horizontal, 1},
      {"empty gives the default", "Level", "", &SaverState::Level, 2},
      {"beyond 16 bits saturates", "Frequency", "100000", &SaverState::Frequency, 32767},
      {"below 16 bits saturates", "Frequency", "-100000", &SaverState::Frequency, -32768},
      {"negative amplitude is none", "Vertical", "-3", &SaverState::Vertical, 0},
      {"level 0 would divide by zero", "Level", "0", &SaverState::Level, 1},
      {"negative level", "Level", "-4", &SaverState::Level, 1},
      {"threshold above the table", "Threshold", "9", &SaverState::Threshold, 4},
      {"threshold below the table", "Threshold", "-1", &SaverState::Threshold, 0},
      {"colour mode above the options is Normal", "Invert", "7", &SaverState::Invert, 0},
      {"colour mode below", "Invert", "-2", &SaverState::Invert, 0},
      {"picture -1 is on", "Picture", "-1", &SaverState::Picture, 1},
      {"picture 5 is on", "Picture", "5", &SaverState::Picture, 1},
      {"negative slow would sleep for weeks", "Slow", "-1", &SaverState::Slow, 0},
      {"slow pause is bounded", "Slow", "60000", &SaverState::Slow, 1000},
      {"flip that is not a number", "FlipHoriz", "yes", &SaverState::Flip, 0},
  };
  for (const BadValue& c : cases) {
    MemoryStore store;
    store.Put(c.key, c.text);
    SaverState s = Load(store);
    EXPECT_EQ(s.*c.field, c.expected) << c.name;
    EXPECT_EQ(store.values[MemoryStore::Address(kApplication, kSection, c.key)], c.text) << "the stored text is kept: " << c.name;
  }
}

TEST(PreviousVersion, AsksForOneDotOneAndOlderOnly) {
  const struct {
    const char* current;
    bool asks;
  } cases[] = {{"1.0", true},   {"1.1", true},   {"1.10", true},  {"0.9", true},  {"1.105", true},
               {"", true},      {"abc", true},   {"1.11", false}, {"1.2", false}, {"2.0", false},
               {"None", false}, {"NoneX", false}, {"none", true}};
  for (auto& c : cases) EXPECT_EQ(IsPreviousVersion(c.current), c.asks) << '"' << c.current << '"';
}

void PutPreviousRelease(MemoryStore& store, const std::string& current) {
  store.values[{"Zindle!", "Version", "Current"}] = current;
  store.values[{"Zindle!", "Colours", "Invert"}] = "1";
  store.values[{"Zindle!", "Factor", "X"}] = "2";
  store.values[{"Zindle!", "Timeout", "T"}] = "3";
}

TEST(PreviousVersion, YesDeletesTheFourOldSectionsInOrder) {
  MemoryStore store;
  PutPreviousRelease(store, "1.0");
  ScriptedPrompt prompt(true);
  SaverState state;
  LoadSettings(store, prompt, state);
  EXPECT_EQ(prompt.asked, 1);
  EXPECT_EQ(prompt.text,
            "Entries from a previous version of Zindle! have been found. You are advised to delete them. Do "
            "you want to?");
  EXPECT_EQ(prompt.title, "Loading Settings");
  const std::vector<std::string> order = {"Zindle!\\Colours", "Zindle!\\Factor", "Zindle!\\Timeout",
                                          "Zindle!\\Version"};
  EXPECT_EQ(store.deletes, order);
  LoadSettings(store, prompt, state);
  EXPECT_EQ(prompt.asked, 1) << "once deleted, the check stays silent";
}

TEST(PreviousVersion, NoDeletesNothingAndAsksAgainNextTime) {
  MemoryStore store;
  PutPreviousRelease(store, "1.1");
  ScriptedPrompt prompt(false);
  SaverState state;
  LoadSettings(store, prompt, state);
  LoadSettings(store, prompt, state);
  EXPECT_EQ(prompt.asked, 2);
  EXPECT_TRUE(store.deletes.empty());
  EXPECT_TRUE(store.HasSection("Zindle!", "Timeout"));
}

TEST(PreviousVersion, TheCurrentVersionKeyDoesNotCount) {
  MemoryStore store;
  store.Put("Version", "1.0");
  ScriptedPrompt prompt;
  SaverState state;
  LoadSettings(store, prompt, state);
  EXPECT_EQ(prompt.asked, 0);
}

}  // namespace
}  // namespace zindle
