// Whether anyone can see the saver: the display may be switched off to save
// power, and the session may be locked or its screen disconnected. The
// system's notifications say which; nothing is drawn while no one sees.
#pragma once
#include <cstdint>

namespace zindle {

// The display's state as the power notifications carry it.
enum DisplayPower : uint32_t { kDisplayOff = 0, kDisplayOn = 1, kDisplayDimmed = 2 };

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
