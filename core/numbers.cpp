#include "core/numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace zindle {
namespace {

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Hands out the characters of a text with the blanks already left out.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) { Skip(); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void Next() {
    ++pos_;
    Skip();
  }

 private:
  void Skip() {
    while (pos_ < text_.size() && IsSkipped(text_[pos_])) ++pos_;
  }
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
  Reader in(text);
  std::string number;
  if (in.Peek() == '+' || in.Peek() == '-') {
    if (in.Peek() == '-') number += '-';
    in.Next();
  }
  bool digits = false;
  while (IsDigit(in.Peek())) {
    number += in.Peek();
    digits = true;
    in.Next();
  }
  if (in.Peek() == '.') {
    number += '.';
    in.Next();
    while (IsDigit(in.Peek())) {
      number += in.Peek();
      digits = true;
      in.Next();
    }
  }
  if (!digits) return std::nullopt;
  if (in.Peek() == 'e' || in.Peek() == 'E') {
    // An exponent counts only when digits follow it.
    std::string exponent = "e";
    Reader ahead = in;
    ahead.Next();
    if (ahead.Peek() == '+' || ahead.Peek() == '-') {
      exponent += ahead.Peek();
      ahead.Next();
    }
    bool expDigits = false;
    while (IsDigit(ahead.Peek())) {
      exponent += ahead.Peek();
      expDigits = true;
      ahead.Next();
    }
    if (expDigits) number += exponent;
  }
  double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value)) value = number[0] == '-' ? -std::numeric_limits<double>::max()
                                                      : std::numeric_limits<double>::max();
  return value;
}

double LenientNumber(std::string_view text) { return LeadingNumber(text).value_or(0.0); }

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  double floor = std::floor(value);
  double diff = value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

template <typename Int>
static Int Saturate(double value) {
  double r = RoundHalfEven(value);
  if (std::isnan(r)) return 0;
  if (r <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  if (r >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  return static_cast<Int>(r);
}

int16_t ToInt16(double value) { return Saturate<int16_t>(value); }
int32_t ToInt32(double value) { return Saturate<int32_t>(value); }

std::string DecimalText(long long value) { return std::to_string(value); }

}  // namespace zindle
