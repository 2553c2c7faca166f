// Any text as the command line the system starts the program with: the mode
// it selects and the window handles read after "/P", "/A" and "/C".
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "core/mode.h"
#include "tests/fuzz/check.h"

using namespace zindle;

namespace {

bool IsDecimal(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

uint64_t DecimalValue(std::string_view digits) {
  uint64_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value;
}

void CheckArgumentText(std::string_view argument) {
  std::string key = ModeKey(argument);
  REQUIRE(key.size() == std::min<size_t>(2, argument.size()));
  REQUIRE(std::none_of(key.begin(), key.end(), [](char c) { return c >= 'a' && c <= 'z'; }));
  Mode mode = ModeFor(key);
  REQUIRE(mode == Mode::Dialog || mode == Mode::Saver || mode == Mode::Preview || mode == Mode::ChangePassword ||
          mode == Mode::None);
  // Only the first two characters decide, whatever their case.
  std::string upper(argument);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  REQUIRE(ModeFor(ModeKey(upper)) == mode);
  REQUIRE(ModeFor(ModeKey(argument.substr(0, 2))) == mode);
  REQUIRE((mode == Mode::Dialog) == (key.empty() || key == "/C"));

  std::optional<int32_t> handle = WindowHandleArgument(argument);
  // Display Properties never names window 0.
  REQUIRE(!handle || *handle != 0);
  // A handle written as plain decimal digits, after the switch alone or after
  // a colon or a blank, is that handle, its 32 bits read with their sign.
  auto expectDigits = [&](std::string_view digits) {
    if (!IsDecimal(digits) || digits.size() > 15) return;
    uint64_t value = DecimalValue(digits);
    if (value == 0 || value > UINT32_MAX) {
      REQUIRE(!handle);
    } else {
      REQUIRE(handle && static_cast<uint32_t>(*handle) == value);
    }
  };
  if (argument.size() > 2) expectDigits(argument.substr(2));
  if (argument.size() > 3 && (argument[2] == ':' || argument[2] == ' ')) expectDigits(argument.substr(3));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  std::string_view argument = ArgumentText(line);
  // The argument text is the end of the line, without the blanks before it.
  REQUIRE(argument.size() <= line.size());
  REQUIRE(argument.data() + argument.size() == line.data() + line.size());
  REQUIRE(argument.empty() || (argument.front() != ' ' && argument.front() != '\t'));
  CheckArgumentText(argument);
  // The same functions meet the bytes as an argument text of their own.
  CheckArgumentText(line);
  return 0;
}
