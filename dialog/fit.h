// Room for the texts: the layout is designed for "MS Sans Serif" 8.25 pt. Where
// the system draws a wider face (a stand-in font, or a scale at which the
// font's sizes step differently), the whole layout is drawn wider by one
// factor, so that every caption fits its control and nothing overlaps.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "dialog/layout.h"

namespace zindle::dialog {

// A caption without its access-key marks ("&Horizontal:" -> "Horizontal:").
std::string WithoutAccessMarks(std::string_view caption);

// The room a control needs beside its text, in design pixels: the box of a
// check box or option button and its gap, a button's margins, a list's arrow.
int ChromeWidth(Kind kind);

// Every text a value label can show: the label rule at every slider value.
std::vector<std::string> ValueLabelTexts(const SliderRow& slider, std::string_view decimalSeparator);

// One control's need: the widest text it shows, measured in design pixels.
struct TextNeed {
  Kind kind;
  int width;      // the control's design width
  int textWidth;  // the widest text it shows
};

// The factor (at least 1) by which the layout is drawn wider so that every
// text fits, with one pixel to spare: the design's own "Horizontal:" fills
// its label to the last, blank, column.
double WidthStretch(const std::vector<TextNeed>& needs);

}  // namespace zindle::dialog
