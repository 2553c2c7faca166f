// Whether anyone can see the saver: the display may be switched off to save
// power, and the session may be locked or its screen disconnected. The
// system's notifications say which; nothing is drawn while no one sees.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zindle {

// The display's state as the power notifications carry it.
enum DisplayPower : uint32_t { kDisplayOff = 0, kDisplayOn = 1, kDisplayDimmed = 2 };

// The power settings that carry the display's state, each known by a GUID.
enum class DisplaySetting {
  kMonitorPowerOn,        // Windows Vista and 7: 0 off, 1 on
  kConsoleDisplayState,   // Windows 8 and later: 0 off, 1 on, 2 dimmed
  kSessionDisplayStatus,  // Windows 8 and later, the session's own display: the same values
};

// The one to ask for on a system of this version: the session's display from
// Windows 8 (6.2) on, where a remote session has a display of its own; the
// monitor's power before it, the only one there. Asking for a setting the
// system does not know may still succeed, so the version decides.
DisplaySetting DisplaySettingFor(uint32_t major, uint32_t minor);

// A setting's GUID as the notification's structure holds it in memory.
using GuidBytes = std::array<uint8_t, 16>;
GuidBytes GuidOf(DisplaySetting setting);

// The size of a power-setting notification's structure before its data: the
// setting's GUID, then the data's length in 32 bits.
inline constexpr size_t kPowerSettingHeader = 20;

// The display's state in a power-setting notification of `size` bytes:
// nothing when it is another setting, or its data is not one 32-bit value.
std::optional<uint32_t> DisplayPowerIn(const uint8_t* bytes, size_t size);

// The session changes of the terminal services' notification.
enum SessionChange : uint32_t {
  kConsoleConnect = 1,
  kConsoleDisconnect = 2,
  kRemoteConnect = 3,
  kRemoteDisconnect = 4,
  kSessionLock = 7,
  kSessionUnlock = 8,
};

class Audience {
 public:
  // A dimmed display still shows; a state the program does not know counts
  // as on, since drawing for no one costs less than a frozen screen.
  void Display(uint32_t power);
  // Other changes (log-on, log-off, remote control) leave the state alone.
  void Session(uint32_t change);
  // Seen once the display is on and the session unlocked and connected.
  bool Seen() const { return displayOn_ && !locked_ && connected_; }

 private:
  bool displayOn_ = true;
  bool locked_ = false;
  bool connected_ = true;
};

}  // namespace zindle
