#include "dialog/fit.h"

#include <algorithm>

#include "dialog/labels.h"

namespace zindle::dialog {

std::string WithoutAccessMarks(std::string_view caption) {
  std::string text;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" stands for one "&"
    text += caption[i];
  }
  return text;
}

int ChromeWidth(Kind kind) {
  switch (kind) {
    case Kind::CheckBox:
    case Kind::OptionFirst:
    case Kind::Option: return 18;
    case Kind::Button:
    case Kind::DefaultButton: return 10;
    case Kind::DropDownList: return 24;
    default: return 0;
  }
}

std::vector<std::string> ValueLabelTexts(const SliderRow& slider, std::string_view decimalSeparator) {
  std::vector<std::string> texts;
  for (int value = slider.min; value <= slider.max; ++value) {
    switch (slider.text) {
      case LabelRule::Value: texts.push_back(ValueText(value)); break;
      case LabelRule::TimesFive: texts.push_back(TimesFiveText(value)); break;
      case LabelRule::HalfMinutes: texts.push_back(MinutesText(value, decimalSeparator)); break;
    }
  }
  return texts;
}

double WidthStretch(const std::vector<TextNeed>& needs) {
  constexpr int kSpare = 1;
  double stretch = 1.0;
  for (const TextNeed& need : needs) {
    if (need.width <= 0 || need.textWidth <= 0) continue;
    int room = need.width - ChromeWidth(need.kind) + kSpare;
    if (room > 0 && need.textWidth > room)
      stretch = std::max(stretch, static_cast<double>(need.textWidth + ChromeWidth(need.kind) - kSpare) / need.width);
  }
  return stretch;
}

}  // namespace zindle::dialog
