// Small platform tests used by several modes.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace zindle {

// True when no top-level window of this class has exactly this caption.
bool NoWindowTitled(const wchar_t* className, std::string_view caption);

// The Windows 95/98 family gives true, the NT family false, anything else none.
std::optional<bool> IsWin9xPlatform();

// The password condition: the Windows 95/98 family with a non-zero flag.
bool PasswordCondition(int16_t passwordFlag);

}  // namespace zindle
