// The layout tables read like the design's tables, and the
// room a wider font needs (fit.h).
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialog/fit.h"
#include "dialog/help_topics.h"
#include "dialog/layout.h"

namespace zindle::dialog {
namespace {

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

TEST(DialogLayout, EveryControlHasAStableUniqueId) {
  std::set<int> ids;
  size_t count = 0;
  for (const ControlRow& row : kWindowControls) ids.insert(row.id), ++count;
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i) ids.insert(tab.controls[i].id), ++count;
  EXPECT_EQ(ids.size(), count);
  EXPECT_EQ(count, 8u + 7 + 10 + 7 + 5);
  EXPECT_EQ(kCmdOK, 1) << "IDOK, so that Enter presses it";
  EXPECT_EQ(kCmdCancel, 2) << "IDCANCEL, so that Esc presses it";
}

TEST(DialogLayout, TabsShowTheirPagesWithTheirCaptionsAndTooltips) {
  const char* captions[] = {"Factor", "Colours", "Timeout", "Picture"};
  const char* tips[] = {"How zindly do you have it?", "Change the screen colours", "Limit zindling time",
                        "Zindle a custom picture"};
  ASSERT_EQ(CountOf(kTabs), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(kTabs[i].position, i + 1);
    EXPECT_STREQ(kTabs[i].caption, captions[i]);
    EXPECT_STREQ(kTabs[i].tooltip, tips[i]);
    EXPECT_EQ(kTabs[i].page, kPicPanel0 + i);
  }
}

TEST(DialogLayout, ControlsOfAPageDoNotOverlapBeyondTheDesignsOwnPixel) {
  // The design lets four 17-pixel labels (text 13 pixels high) reach one
  // pixel into the control below them.
  const std::set<std::pair<int, int>> designed = {
      {kLblX, kSldX}, {kLblSize, kSldSize}, {kLblSeconds, kSldRestart}, {kLblFlip, kChkHoriz}};
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i)
      for (size_t j = i + 1; j < tab.controlCount; ++j) {
        const ControlRow& a = tab.controls[i];
        const ControlRow& b = tab.controls[j];
        if (!Overlap(a.position, b.position)) continue;
        EXPECT_TRUE(designed.count({a.id, b.id})) << a.name << " overlaps " << b.name;
        Rect shrunk = a.position;
        shrunk.height -= 1;
        EXPECT_FALSE(Overlap(shrunk, b.position)) << a.name << " and " << b.name << " by more than a pixel";
      }
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i) {
      const Rect& r = tab.controls[i].position;
      EXPECT_LE(r.left + r.width, 241) << tab.controls[i].name << " inside its page";
      EXPECT_LE(r.top + r.height, 145) << tab.controls[i].name << " inside its page";
    }
}

// The rows are the window order, which is the tab order as well.
TEST(DialogLayout, TheKeyboardMeetsEachPagesControlsInTheDesignedOrder) {
  const std::vector<int> designed[] = {
      {kSldX, kSldY, kChkSlow},
      {kOptColours0, kOptColours1, kOptColours2, kOptColours3, kSldSize, kCboColours},
      {kChkUnzindle, kSldRestart, kChkHoriz, kChkVert},
      {kChkPicture, kCmdBrowse},
  };
  for (int page = 0; page < kPageCount; ++page) {
    std::vector<int> order;
    for (size_t i = 0; i < kTabs[page].controlCount; ++i)
      if (TakesFocus(kTabs[page].controls[i].kind)) order.push_back(kTabs[page].controls[i].id);
    EXPECT_EQ(order, designed[page]) << kTabs[page].caption;
  }
}

// A screen reader names a control with no caption of its own after the label
// right before it in window order, and reads a value label after its slider.
TEST(DialogLayout, EachControlWithoutACaptionComesRightAfterTheLabelThatNamesIt) {
  const std::map<int, int> namedBy = {
      {kSldX, kLblX}, {kSldY, kLblY}, {kSldSize, kLblSize}, {kSldRestart, kLblSeconds}, {kCboColours, kLblAColours}};
  std::map<int, int> before, after;
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i) {
      if (i > 0) before[tab.controls[i].id] = tab.controls[i - 1].id;
      if (i + 1 < tab.controlCount) after[tab.controls[i].id] = tab.controls[i + 1].id;
      if (TakesFocus(tab.controls[i].kind) && !*tab.controls[i].caption) {
        EXPECT_TRUE(namedBy.count(tab.controls[i].id)) << tab.controls[i].name << " has a label";
      }
    }
  auto name = [](int id) { return std::string(id ? FindControl(id).row->name : "nothing"); };
  for (auto [control, label] : namedBy) EXPECT_EQ(name(before[control]), name(label)) << "before " << name(control);
  for (const SliderRow& slider : kSliders)
    EXPECT_EQ(name(after[slider.slider]), name(slider.label)) << "after " << name(slider.slider);
}

TEST(DialogLayout, SlidersHaveTheirDesignedRangesAndSteps) {
  struct Expected {
    Id id;
    int min, max, arrow, page, tick;
  };
  const Expected expected[] = {{kSldX, 0, 10, 1, 1, 1}, {kSldY, 0, 10, 1, 1, 1}, {kSldSize, 1, 10, 1, 2, 1},
                               {kSldRestart, 0, 20, 1, 2, 2}};
  for (const Expected& e : expected) {
    const SliderRow* s = FindSlider(e.id);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->min, e.min);
    EXPECT_EQ(s->max, e.max);
    EXPECT_EQ(s->arrowStep, e.arrow);
    EXPECT_EQ(s->pageStep, e.page);
    EXPECT_EQ(s->tickEvery, e.tick);
  }
}

TEST(DialogLayout, EveryTopicNumberHasAText) {
  auto check = [](const ControlRow& row) {
    if (row.topic == kNoTopic) return;
    std::string_view text = HelpTopicText(row.topic);
    EXPECT_GT(text.size(), 20u) << row.name << " topic " << row.topic;
    EXPECT_LT(text.size(), 300u) << row.name << " topic " << row.topic << " is short";
  };
  for (const ControlRow& row : kWindowControls) check(row);
  for (const TabRow& tab : kTabs)
    for (size_t i = 0; i < tab.controlCount; ++i) check(tab.controls[i]);
  EXPECT_TRUE(HelpTopicText(kNoTopic).empty());
  EXPECT_TRUE(HelpTopicText(999).empty());
}

TEST(DialogLayout, AboutBoxIsItsDesignedSize) {
  EXPECT_EQ(kAboutClientWidth * 15, 5100) << "twips";
  EXPECT_EQ(kAboutClientHeight * 15, 3840) << "twips";
  std::set<int> focusable;
  for (const ControlRow& row : kAboutControls)
    if (row.kind == Kind::Button || row.kind == Kind::DefaultButton) focusable.insert(row.id);
  EXPECT_EQ(focusable, std::set<int>{kAboutOK}) << "OK is the only control that takes the focus";
}

TEST(DialogFit, AccessMarksAreNotText) {
  EXPECT_EQ(WithoutAccessMarks("&Horizontal:"), "Horizontal:");
  EXPECT_EQ(WithoutAccessMarks("In&telligent"), "Intelligent");
  EXPECT_EQ(WithoutAccessMarks("Salt && Pepper"), "Salt & Pepper");
  EXPECT_EQ(WithoutAccessMarks("Browse..."), "Browse...");
}

TEST(DialogFit, TheLayoutWidensOnlyForATextThatDoesNotFit) {
  const struct {
    const char* name;
    std::vector<TextNeed> needs;
    double stretch;
  } cases[] = {
      {"the design font fits", {{Kind::Label, 49, 49}, {Kind::CheckBox, 81, 58}}, 1.0},
      {"one spare pixel, as Horizontal: needs", {{Kind::Label, 49, 50}}, 1.0},
      {"a label two pixels too narrow", {{Kind::Label, 49, 51}}, 50.0 / 49},
      {"a check box counts its box", {{Kind::CheckBox, 65, 56}}, (56 + 18 - 1) / 65.0},
      {"the widest need decides", {{Kind::Label, 49, 61}, {Kind::Label, 100, 200}}, 199 / 100.0},
      {"an empty text needs nothing", {{Kind::Label, 10, 0}}, 1.0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(WidthStretch(c.needs), c.stretch) << c.name;
}

TEST(DialogFit, ValueLabelsAreMeasuredAtEveryValue) {
  std::vector<std::string> minutes = ValueLabelTexts(*FindSlider(kSldRestart), ",");
  ASSERT_EQ(minutes.size(), 21u);
  EXPECT_EQ(minutes[3], "1,5");
  EXPECT_EQ(minutes.back(), "10");
  EXPECT_EQ(ValueLabelTexts(*FindSlider(kSldSize), ".").front(), "5");
}

}  // namespace
}  // namespace zindle::dialog
