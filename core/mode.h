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

// "/A": the text after the first two characters, read leniently and rounded;
// no leading number gives 0. Saturates into 32 bits.
uint32_t PasswordParentHandle(std::string_view argumentText);

// "/P": the text after the first three characters as a decimal window handle.
// Empty when it holds no positive number, so that the preview can end quietly.
std::optional<uint64_t> PreviewWindowHandle(std::string_view argumentText);

// "/C": the window of the Screen Saver settings that the dialog belongs to,
// given as "/c:1234" or "/c 1234". Empty when none is named.
std::optional<uint64_t> DialogOwnerHandle(std::string_view argumentText);

}  // namespace zindle
