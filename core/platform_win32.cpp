#include "core/platform_win32.h"

#include <windows.h>

#include "core/handles_win32.h"

namespace zindle {

bool NoWindowTitled(const wchar_t* className, std::string_view caption) {
  return FindWindowW(className, Wide(caption).c_str()) == nullptr;
}

std::optional<bool> IsWin9xPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return std::nullopt;
#pragma GCC diagnostic pop
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS: return true;
    case VER_PLATFORM_WIN32_NT: return false;
    default: return std::nullopt;
  }
}

bool PasswordCondition(int16_t passwordFlag) {
  // The platform test is true (all bits) or false and is ANDed with the flag.
  return IsWin9xPlatform().value_or(false) && passwordFlag != 0;
}

}  // namespace zindle
