// The system's notifications of who can see the saver, on its window.
#pragma once
#include <windows.h>

#include <cstring>
#include <vector>

#include "core/handles_win32.h"
#include "saver/audience.h"

namespace zindle {

// A power-setting notification's structure carried by WM_COPYDATA under this
// mark, for a display that cannot be switched off from outside, as under
// test: it is read as the system's own.
constexpr ULONG_PTR kDisplayStateCopy = 0x5A445350;  // "ZDSP"

// Asks for the display's power state (the setting this system's version has)
// and the session's changes, where the system has them (looked up at run
// time); undone when the window goes.
class AudienceNotifications {
 public:
  AudienceNotifications() = default;
  ~AudienceNotifications() { Reset(); }
  void Register(HWND window);
  AudienceNotifications(const AudienceNotifications&) = delete;
  AudienceNotifications& operator=(const AudienceNotifications&) = delete;
  void Reset();

 private:
  HWND window_ = nullptr;
  HANDLE power_ = nullptr;  // HPOWERNOTIFY
  Module sessions_;          // wtsapi32.dll, while the session's changes are asked for
  bool session_ = false;
};

// Takes a notification into the audience; false for other messages.
bool AudienceMessage(Audience& audience, UINT message, WPARAM wParam, LPARAM lParam);

// The structure as the system delivers it: the setting's GUID, the data's
// length and the display's state.
inline std::vector<uint8_t> DisplayPowerSetting(DisplaySetting setting, uint32_t state) {
  std::vector<uint8_t> bytes(kPowerSettingHeader + sizeof(state));
  const GuidBytes guid = GuidOf(setting);
  const uint32_t length = sizeof(state);
  std::memcpy(bytes.data(), guid.data(), guid.size());
  std::memcpy(bytes.data() + guid.size(), &length, sizeof(length));
  std::memcpy(bytes.data() + kPowerSettingHeader, &state, sizeof(state));
  return bytes;
}

// Sends the display's state to a saver as the scenarios and the bench do.
inline bool SendDisplayPower(HWND saver, DisplaySetting setting, uint32_t state) {
  std::vector<uint8_t> bytes = DisplayPowerSetting(setting, state);
  COPYDATASTRUCT copy{kDisplayStateCopy, static_cast<DWORD>(bytes.size()), bytes.data()};
  return SendMessageTimeoutW(saver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 5000,
                             nullptr) != 0;
}

}  // namespace zindle
