#include "saver/audience_win32.h"

#include <cstddef>
#include <cstring>

#include "core/library_search_win32.h"

namespace zindle {
namespace {

constexpr UINT kSessionChangeMessage = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr WPARAM kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE

// The system's true version: GetVersionEx answers what the program's manifest
// claims to know, RtlGetVersion what runs.
DisplaySetting DisplaySettingOfThisSystem() {
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto getVersion = ModuleFunction<GetVersion>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!getVersion || getVersion(&info) != 0) return DisplaySettingFor(0, 0);
  return DisplaySettingFor(info.dwMajorVersion, info.dwMinorVersion);
}

}  // namespace

static_assert(offsetof(POWERBROADCAST_SETTING, Data) == kPowerSettingHeader, "the structure as the system lays it out");

void AudienceNotifications::Register(HWND window) {
  Reset();
  window_ = window;
  HMODULE user = GetModuleHandleW(L"user32.dll");
  using RegisterPower = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
  auto registerPower = ModuleFunction<RegisterPower>(user, "RegisterPowerSettingNotification");
  if (registerPower) {
    GUID setting;
    const GuidBytes bytes = GuidOf(DisplaySettingOfThisSystem());
    static_assert(sizeof(setting) == sizeof(bytes), "a GUID is 16 bytes");
    std::memcpy(&setting, bytes.data(), sizeof(setting));
    power_ = registerPower(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  sessions_ = LoadSystemLibrary(L"wtsapi32.dll");
  using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
  auto registerSession = ModuleFunction<RegisterSession>(sessions_.get(), "WTSRegisterSessionNotification");
  session_ = registerSession && registerSession(window, 0 /* this session */);
}

void AudienceNotifications::Reset() {
  if (power_) {
    using UnregisterPower = BOOL(WINAPI*)(HANDLE);
    auto unregisterPower =
        ModuleFunction<UnregisterPower>(GetModuleHandleW(L"user32.dll"), "UnregisterPowerSettingNotification");
    if (unregisterPower) unregisterPower(power_);
    power_ = nullptr;
  }
  if (session_) {
    using UnregisterSession = BOOL(WINAPI*)(HWND);
    auto unregisterSession = ModuleFunction<UnregisterSession>(sessions_.get(), "WTSUnRegisterSessionNotification");
    if (unregisterSession) unregisterSession(window_);
    session_ = false;
  }
  sessions_.reset();
}

bool AudienceMessage(Audience& audience, UINT message, WPARAM wParam, LPARAM lParam) {
  std::optional<uint32_t> power;
  switch (message) {
    case kSessionChangeMessage:
      audience.Session(static_cast<uint32_t>(wParam));
      return true;
    case WM_POWERBROADCAST: {
      if (wParam != kPowerSettingChange || lParam == 0) return false;
      const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
      power = DisplayPowerIn(reinterpret_cast<const uint8_t*>(setting),
                             offsetof(POWERBROADCAST_SETTING, Data) + size_t{setting->DataLength});
      break;
    }
    case WM_COPYDATA: {
      const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!copy || copy->dwData != kDisplayStateCopy) return false;
      power = DisplayPowerIn(static_cast<const uint8_t*>(copy->lpData), copy->cbData);
      break;
    }
  }
  if (!power) return false;
  audience.Display(*power);
  return true;
}

}  // namespace zindle
