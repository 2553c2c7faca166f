#include "saver/audience.h"

namespace zindle {

void Audience::Display(uint32_t power) { displayOn_ = power != kDisplayOff; }

void Audience::Session(uint32_t change) {
  switch (change) {
    case kConsoleConnect:
    case kRemoteConnect: connected_ = true; break;
    case kConsoleDisconnect:
    case kRemoteDisconnect: connected_ = false; break;
    case kSessionLock: locked_ = true; break;
    case kSessionUnlock: locked_ = false; break;
    default: break;
  }
}

}  // namespace zindle
