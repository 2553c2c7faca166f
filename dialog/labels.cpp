#include "dialog/labels.h"

#include "core/numbers.h"

namespace zindle::dialog {

std::string ValueText(int32_t value) { return DecimalText(value); }

std::string TimesFiveText(int32_t value) { return DecimalText(static_cast<long long>(value) * 5); }

std::string MinutesText(int32_t value, std::string_view decimalSeparator) {
  // Whole half-minutes: the shortest form has at most one decimal, a 5.
  long long halves = value;
  std::string sign = halves < 0 ? "-" : "";
  long long magnitude = halves < 0 ? -halves : halves;
  std::string text = sign + DecimalText(magnitude / 2);
  if (magnitude % 2) text += std::string(decimalSeparator) + "5";
  return text;
}

std::string ProgramLine(std::string_view description, int major, int minor) {
  std::string minorText = DecimalText(minor);
  if (minor >= 0 && minor < 10) minorText = "0" + minorText;
  return std::string(description) + ", " + DecimalText(major) + "." + minorText;
}

std::string RevisionText(int revision) { return "." + DecimalText(revision); }

std::string MemoryText(uint64_t totalBytes, std::string_view thousandsSeparator) {
  // Format rounds a half up, away from zero: 512 bytes are "1 KB".
  uint64_t kilobytes = totalBytes / 1024 + (totalBytes % 1024 >= 512 ? 1 : 0);
  std::string digits = std::to_string(kilobytes);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += thousandsSeparator;
    grouped += digits[i];
  }
  return grouped + " KB";
}

std::string FileTitleOf(std::string_view path) {
  size_t slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace zindle::dialog
