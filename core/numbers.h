// Number rules shared by every part of the program: the lenient reading of a
// number from text and rounding with halves to even.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zindle {

// Reads the leading number of a text the lenient way: blanks, tabs and line
// feeds are skipped wherever they stand, reading stops at the first character
// that cannot continue the number. Empty when no number leads the text.
std::optional<double> LeadingNumber(std::string_view text);

// As LeadingNumber, but a text without a leading number is 0.
double LenientNumber(std::string_view text);

// Nearest integer, halves to the even one (10.5 -> 10, 11.5 -> 12).
double RoundHalfEven(double value);

// Rounds half to even and saturates into the signed 16-bit range.
int16_t ToInt16(double value);

// Rounds half to even and saturates into the signed 32-bit range.
int32_t ToInt32(double value);

// Plain decimal text: no padding, no plus sign.
std::string DecimalText(long long value);

}  // namespace zindle
