// The texts the dialog and the About box build from numbers and names. The
// user's separators come in from the caller, so
// that the rules are the same code in the program and the unit tests.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zindle::dialog {

// lblXFactor, lblYFactor: the slider value in decimal digits.
std::string ValueText(int32_t value);

// lblTestFreq: the value x 5 ("5" to "50").
std::string TimesFiveText(int32_t value);

// lblRestart: the value x 0.5 minutes in its shortest form, with the user's
// decimal separator: 0, 0.5, 1, 1.5 ... 10.
std::string MinutesText(int32_t value, std::string_view decimalSeparator);

// lblProgram: description, ", ", the major version in plain decimal, "." and
// the minor version with the pattern "00" ("Screen Zindler, 1.40"; minor 5 gives "1.05").
std::string ProgramLine(std::string_view description, int major, int minor);

// lblRevision once revealed: "." and the revision in plain decimal (".0").
std::string RevisionText(int revision);

// lblMemory: bytes / 1024 formatted "###,##0" (groups of three with the user's
// thousands separator, rounded to a whole number, at least one digit), then
// " KB". 33,554,432 bytes give "32,768 KB"; 1,000,000 bytes give "977 KB".
std::string MemoryText(uint64_t totalBytes, std::string_view thousandsSeparator);

// lblFilename: the part of a path after its last "\"; a name without "\" is
// the whole name.
std::string FileTitleOf(std::string_view path);

}  // namespace zindle::dialog
