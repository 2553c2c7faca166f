#include "core/mode.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/numbers.h"

namespace zindle {

std::string_view ArgumentText(std::string_view line) {
  size_t pos = 0;
  if (!line.empty() && line[0] == '"') {
    size_t close = line.find('"', 1);
    pos = close == std::string_view::npos ? line.size() : close + 1;
  }
  while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  return line.substr(pos);
}

std::string ModeKey(std::string_view argumentText) {
  std::string key(argumentText.substr(0, 2));
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

Mode ModeFor(std::string_view key) {
  if (key == "/C" || key.empty()) return Mode::Dialog;
  if (key == "/S") return Mode::Saver;
  if (key == "/P") return Mode::Preview;
  if (key == "/A") return Mode::ChangePassword;
  return Mode::None;
}

uint32_t PasswordParentHandle(std::string_view argumentText) {
  double value = RoundHalfEven(LenientNumber(argumentText.substr(std::min<size_t>(2, argumentText.size()))));
  if (!(value > 0)) return 0;  // negative and NaN give no parent
  if (value >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(value);
}

namespace {

// A window handle as a positive decimal number; 64 bits wide.
std::optional<uint64_t> HandleFrom(std::string_view text) {
  std::optional<double> value = LeadingNumber(text);
  if (!value || !(*value >= 1) || *value > 18446744073709549568.0) return std::nullopt;
  return static_cast<uint64_t>(std::floor(*value));
}

}  // namespace

std::optional<uint64_t> PreviewWindowHandle(std::string_view argumentText) {
  if (argumentText.size() <= 3) return std::nullopt;
  return HandleFrom(argumentText.substr(3));
}

std::optional<uint64_t> DialogOwnerHandle(std::string_view argumentText) {
  std::string_view rest = argumentText.substr(std::min<size_t>(2, argumentText.size()));
  if (!rest.empty() && rest.front() == ':') rest.remove_prefix(1);
  return HandleFrom(rest);
}

}  // namespace zindle
