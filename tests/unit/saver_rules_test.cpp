// The saver's rules without a window: restore ticks, the mouse rule,
// centring, mirroring, the colour treatment, the password flag, and the
// system switches around a run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "saver/saver_rules.h"

namespace zindle {
namespace {

using testing::ScriptedRandom;

// Which of the first ticks restore the clean picture.
std::vector<int> RestoringTicks(int16_t frequency, int ticks) {
  RestoreCounter counter;
  std::vector<int> restoring;
  for (int tick = 1; tick <= ticks; ++tick)
    if (counter.Tick(frequency)) restoring.push_back(tick);
  return restoring;
}

std::vector<int> EveryNth(int n, int ticks) {
  std::vector<int> out;
  for (int tick = n; tick <= ticks; tick += n) out.push_back(tick);
  return out;
}

TEST(RestoreCounter, EachFrequencyOfTheDialogRestoresOnEveryNthTick) {
  for (int16_t frequency = 1; frequency <= 20; ++frequency)
    EXPECT_EQ(RestoringTicks(frequency, 100), EveryNth(frequency, 100)) << "frequency " << frequency;
}

TEST(RestoreCounter, FrequencyZeroRestoresOnEveryTickLikeOne) {
  EXPECT_EQ(RestoringTicks(0, 10), EveryNth(1, 10));
  RestoreCounter counter;
  for (int i = 0; i < 300; ++i) counter.Tick(0);
  EXPECT_EQ(counter.TickCount(), 0) << "the counter never moves";
}

TEST(RestoreCounter, FrequenciesTheCounterCannotReachNeverRestore) {
  struct Case {
    const char* name;
    int16_t frequency;
  };
  for (Case c : {Case{"just past the counter", 256}, Case{"far past it", 32767}, Case{"minus one", -1},
                 Case{"most negative", -32768}}) {
    EXPECT_TRUE(RestoringTicks(c.frequency, 1000).empty()) << c.name;
  }
}

TEST(RestoreCounter, TheLargestCounterValueIsReachedAndTheCounterWraps) {
  EXPECT_EQ(RestoringTicks(255, 600), (std::vector<int>{255, 510}));
  RestoreCounter counter;
  for (int i = 0; i < 256; ++i) counter.Tick(300);
  EXPECT_EQ(counter.TickCount(), 0) << "256 ticks wrap the 8-bit counter";
}

TEST(RestoreCounter, ARestoreStartsTheCountAgain) {
  RestoreCounter counter;
  EXPECT_FALSE(counter.Tick(3));
  EXPECT_FALSE(counter.Tick(3));
  EXPECT_TRUE(counter.Tick(3));
  EXPECT_EQ(counter.TickCount(), 0);
}

// A row of pointer events in twips and whether each one asks for the unload.
struct MoveCase {
  const char* name;
  std::vector<std::pair<double, double>> events;
  std::vector<bool> unloads;
};

class MouseMoveRuleTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MouseMoveRuleTest, AsksForTheUnloadOnlyWhenTheRuleSays) {
  MouseMoveRule rule;
  const MoveCase& c = GetParam();
  for (size_t i = 0; i < c.events.size(); ++i)
    EXPECT_EQ(rule.Moved(c.events[i].first, c.events[i].second), c.unloads[i]) << "event " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MouseMoveRuleTest,
    ::testing::Values(
        MoveCase{"the first event only records", {{1500, 3000}}, {false}},
        MoveCase{"a second event at the same place does nothing", {{1500, 3000}, {1500, 3000}}, {false, false}},
        MoveCase{"one pixel away ends it", {{1500, 3000}, {1515, 3000}}, {false, true}},
        MoveCase{"no tolerance at all", {{1500, 3000}, {1500, 3000.25}}, {false, true}},
        MoveCase{"the left edge records again and again",
                 {{0, 1500}, {0, 3000}, {0, 4500}, {150, 4500}, {165, 4500}},
                 {false, false, false, false, true}},
        MoveCase{"the top edge records again", {{1500, 0}, {3000, 0}, {3000, 150}, {3015, 150}},
                 {false, false, false, true}},
        MoveCase{"a fraction differs from its rounded record", {{1500.5, 3000}}, {true}},
        MoveCase{"the record is rounded half to even", {{1500.5, 3000}, {1500, 3000}}, {true, false}},
        MoveCase{"twips of wide screens fit", {{57585, 32385}, {57585, 32385}, {57600, 32385}},
                 {false, false, true}},
        MoveCase{"far beyond 16 bits", {{100000, 70000}, {100015, 70000}}, {false, true}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(MouseMoveRule, TheRecordedPositionIsTheFirstOneSeen) {
  MouseMoveRule rule;
  rule.Moved(43200, 30000);  // 2,880 pixels at 15 twips: past 16 bits
  EXPECT_EQ(rule.LastMouseX(), 43200);
  EXPECT_EQ(rule.LastMouseY(), 30000);
  rule.Moved(15, 15);
  EXPECT_EQ(rule.LastMouseX(), 43200) << "later events do not move the record";
}

TEST(CentringOffset, HalvesGoToTheEvenPixel) {
  struct Case {
    int32_t screen, picture, offset;
  };
  for (Case c : {Case{800, 300, 250}, Case{800, 301, 250}, Case{800, 303, 248}, Case{600, 201, 200},
                 Case{600, 203, 198}, Case{800, 800, 0}, Case{800, 1001, -100}, Case{800, 1003, -102},
                 Case{3840, 1, 1920}})
    EXPECT_EQ(CentringOffset(c.screen, c.picture), c.offset) << c.screen << " and " << c.picture;
}

TEST(MirrorInPlace, EachFlipMovesTheCornersWhereTheyBelong) {
  // A 4 x 3 area in rows of 5 pixels: the spare column must stay as it is.
  constexpr int32_t kStride = 5, kWidth = 4, kHeight = 3;
  auto pixelAt = [](int32_t x, int32_t y) { return static_cast<uint32_t>(y * 10 + x); };
  struct Case {
    const char* name;
    int16_t flip;
    int32_t fromX, fromY;  // where the pixel now at (0, 0) came from
  };
  for (Case c : {Case{"none", 0, 0, 0}, Case{"left to right", 1, kWidth - 1, 0}, Case{"top to bottom", 2, 0, kHeight - 1},
                 Case{"both", 3, kWidth - 1, kHeight - 1}, Case{"other values", 4, 0, 0}, Case{"negative", -1, 0, 0}}) {
    std::vector<uint32_t> pixels(kStride * kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kStride; ++x) pixels[y * kStride + x] = pixelAt(x, y);
    MirrorInPlace(pixels.data(), kStride, kWidth, kHeight, c.flip);
    bool lr = c.fromX != 0, tb = c.fromY != 0;
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x)
        EXPECT_EQ(pixels[y * kStride + x], pixelAt(lr ? kWidth - 1 - x : x, tb ? kHeight - 1 - y : y))
            << c.name << " at " << x << "," << y;
      EXPECT_EQ(pixels[y * kStride + kWidth], pixelAt(kWidth, y)) << c.name << ": the spare column";
    }
  }
}

TEST(TreatmentFor, EachColourModeChoosesAsItsNameSays) {
  int analyses = 0;
  auto analysis = [&](bool inverts) {
    return [&analyses, inverts] {
      ++analyses;
      return inverts;
    };
  };
  ScriptedRandom random({0.7f});
  EXPECT_EQ(TreatmentFor(kNormal, random, analysis(true)), Treatment::Keep);
  EXPECT_EQ(TreatmentFor(kInverted, random, analysis(false)), Treatment::Invert);
  EXPECT_EQ(TreatmentFor(kIntelligent, random, analysis(true)), Treatment::Invert);
  EXPECT_EQ(TreatmentFor(kIntelligent, random, analysis(false)), Treatment::Keep);
  EXPECT_EQ(random.calls, 0) << "only Random draws";
  EXPECT_EQ(analyses, 2) << "only Intelligent analyses";
}

TEST(TreatmentFor, RandomInvertsAboveOneHalfWithOneDraw) {
  struct Case {
    float u;
    Treatment expected;
  };
  for (Case c : {Case{0.0f, Treatment::Keep}, Case{0.5f, Treatment::Keep}, Case{0.50001f, Treatment::Invert},
                 Case{0.99f, Treatment::Invert}}) {
    ScriptedRandom random({c.u});
    EXPECT_EQ(TreatmentFor(kRandom, random, [] { return false; }), c.expected) << c.u;
    EXPECT_EQ(random.calls, 1);
  }
}

TEST(RestoreTickPeriod, ThirtySecondsUnlessAShorterNumberIsAskedFor) {
  struct Case {
    const char* name;
    RegistryValue value;
    uint32_t period;
  };
  for (const Case& c : {Case{"none", std::monostate{}, 30000}, Case{"a second", int32_t{1000}, 1000},
                        Case{"longer than the period", int32_t{60000}, 30000}, Case{"too short to run", int32_t{99}, 30000},
                        Case{"negative", int32_t{-1000}, 30000}, Case{"a text", std::string("1000"), 30000}})
    EXPECT_EQ(RestoreTickPeriod(c.value), c.period) << c.name;
}

TEST(PasswordFlagFrom, NumbersAndNumericTextsGiveTheFlag) {
  struct Case {
    const char* name;
    RegistryValue value;
    int16_t flag;
  };
  for (const Case& c : {Case{"the number 1", int32_t{1}, 1}, Case{"the text 1", std::string("1"), 1},
                        Case{"empty", std::monostate{}, 0}, Case{"the text 0", std::string("0"), 0},
                        Case{"not a number", std::string("yes"), 0}, Case{"empty text", std::string(), 0},
                        Case{"a leading number", std::string(" 1 (on)"), 1},
                        Case{"half to even", std::string("2.5"), 2},
                        Case{"a number past 16 bits stays on", int32_t{65536}, 32767},
                        Case{"a text past 16 bits stays on", std::string("65536"), 32767}})
    EXPECT_EQ(PasswordFlagFrom(c.value), c.flag) << c.name;
}

class RecordingSystem : public ScreenSaverSystem {
 public:
  explicit RecordingSystem(bool active) : active(active) {}
  bool ScreenSaveActive() override {
    calls.push_back("get active");
    return active;
  }
  void SetScreenSaveActive(bool on) override {
    active = on;
    calls.push_back(on ? "active on" : "active off");
  }
  void SetScreenSaverRunning(bool on) override { calls.push_back(on ? "running on" : "running off"); }
  bool active;
  std::vector<std::string> calls;
};

TEST(SystemSaverSession, ARunPutsTheActivationBackAsItWas) {
  for (bool before : {true, false}) {
    RecordingSystem system(before);
    SystemSaverSession session;
    session.Start(system, false);
    EXPECT_FALSE(system.active) << "off for the time of the run";
    session.Finish(system, false);
    EXPECT_EQ(system.active, before);
    EXPECT_EQ(system.calls, (std::vector<std::string>{"get active", "active off", before ? "active on" : "active off"}));
  }
}

TEST(SystemSaverSession, ThePasswordConditionAnnouncesAndClearsTheRunningSaver) {
  RecordingSystem system(true);
  SystemSaverSession session;
  session.Start(system, true);
  session.Finish(system, true);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"get active", "active off", "running on", "active on",
                                                    "running off"}));
}

}  // namespace
}  // namespace zindle
