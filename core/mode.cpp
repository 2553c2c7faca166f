#include "core/mode.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

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

std::optional<int32_t> WindowHandleArgument(std::string_view argumentText) {
  std::string_view rest = argumentText.substr(std::min<size_t>(2, argumentText.size()));
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t at = 0;
  while (at < rest.size() && blank(rest[at])) ++at;
  if (at < rest.size() && rest[at] == ':') ++at;
  while (at < rest.size() && blank(rest[at])) ++at;
  bool negative = at < rest.size() && rest[at] == '-';
  if (negative) ++at;
  // Digits counted in 64 bits, stopped before they can leave its range.
  int64_t value = 0;
  size_t digits = 0;
  for (; at < rest.size() && rest[at] >= '0' && rest[at] <= '9'; ++at, ++digits) {
    value = value * 10 + (rest[at] - '0');
    if (value > int64_t{UINT32_MAX}) return std::nullopt;
  }
  while (at < rest.size() && blank(rest[at])) ++at;
  if (digits == 0 || at != rest.size()) return std::nullopt;
  if (negative) value = -value;
  if (value == 0 || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace zindle
