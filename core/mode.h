// The command line of a screen saver: which mode to run and the window handle
// that follows "/P" or "/A".
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zindle {

enum class Mode { Dialog, Saver, Preview, ChangePassword, None };

// The argument text: the command line after the program's own name (quoted or
// not) and the blanks that follow it.
std::string_view ArgumentText(std::string_view commandLine);

// The first two characters of the argument text, in upper case.
std::string ModeKey(std::string_view argumentText);

// The mode the key selects; the first match of "/C" or empty, "/S", "/P", "/A".
Mode ModeFor(std::string_view modeKey);

// The window handle that follows "/P", "/A" or "/C": after the two characters
// of the switch, a colon or blanks (or nothing), then a whole decimal number
// that fits in 32 bits, signed or not, and only blanks after it. A window
// handle has 32 significant bits, so these are returned as the system widens
// them: with their sign. Empty when no such number follows, or it is 0.
std::optional<int32_t> WindowHandleArgument(std::string_view argumentText);

}  // namespace zindle
