#include "saver/audience_win32.h"

#include <cstring>

#include "core/library_search_win32.h"

namespace zindle {
namespace {

// The display's state of the session (Windows 8 and later) and of the console
// (Windows 7); one of them is asked for.
constexpr GUID kSessionDisplayStatus = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr UINT kSessionChangeMessage = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr WPARAM kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE

}  // namespace

void RegisterAudienceNotifications(HWND window) {
  using RegisterPower = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
  auto registerPower = ModuleFunction<RegisterPower>(GetModuleHandleW(L"user32.dll"), "RegisterPowerSettingNotification");
  if (registerPower && !registerPower(window, &kSessionDisplayStatus, DEVICE_NOTIFY_WINDOW_HANDLE))
    registerPower(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  // Held for the rest of the process: the registration lives with the window.
  static Module sessions = LoadSystemLibrary(L"wtsapi32.dll");
  using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
  auto registerSession = ModuleFunction<RegisterSession>(sessions.get(), "WTSRegisterSessionNotification");
  if (registerSession) registerSession(window, 0 /* this session */);
}

bool AudienceMessage(Audience& audience, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kDisplayStateMessage:
      audience.Display(static_cast<uint32_t>(wParam));
      return true;
    case kSessionChangeMessage:
      audience.Session(static_cast<uint32_t>(wParam));
      return true;
    case WM_POWERBROADCAST: {
      if (wParam != kPowerSettingChange || lParam == 0) return false;
      const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
      const bool display = IsEqualGUID(setting->PowerSetting, kSessionDisplayStatus) ||
                           IsEqualGUID(setting->PowerSetting, kConsoleDisplayState);
      if (!display || setting->DataLength < sizeof(DWORD)) return false;
      DWORD state;
      std::memcpy(&state, setting->Data, sizeof(state));
      audience.Display(state);
      return true;
    }
  }
  return false;
}

}  // namespace zindle
