#include "saver/audience.h"

#include <algorithm>

namespace zindle {
namespace {

// Little-endian, as every Windows lays out a GUID's three first fields.
uint32_t Read32(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

}  // namespace

DisplaySetting DisplaySettingFor(uint32_t major, uint32_t minor) {
  return major > 6 || (major == 6 && minor >= 2) ? DisplaySetting::kSessionDisplayStatus
                                                 : DisplaySetting::kMonitorPowerOn;
}

GuidBytes GuidOf(DisplaySetting setting) {
  switch (setting) {
    case DisplaySetting::kMonitorPowerOn:  // {02731015-4510-4526-99E6-E5A17EBD1AEA}
      return {0x15, 0x10, 0x73, 0x02, 0x10, 0x45, 0x26, 0x45, 0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA};
    case DisplaySetting::kConsoleDisplayState:  // {6FE69556-704A-47A0-8F24-C28D936FDA47}
      return {0x56, 0x95, 0xE6, 0x6F, 0x4A, 0x70, 0xA0, 0x47, 0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47};
    case DisplaySetting::kSessionDisplayStatus:  // {2B84C20E-AD23-4DDF-93DB-05FFBD7EFCA5}
      return {0x0E, 0xC2, 0x84, 0x2B, 0x23, 0xAD, 0xDF, 0x4D, 0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5};
  }
  return {};
}

std::optional<uint32_t> DisplayPowerIn(const uint8_t* bytes, size_t size) {
  if (!bytes || size < kPowerSettingHeader) return std::nullopt;
  bool display = false;
  for (DisplaySetting setting : {DisplaySetting::kMonitorPowerOn, DisplaySetting::kConsoleDisplayState,
                                 DisplaySetting::kSessionDisplayStatus}) {
    const GuidBytes guid = GuidOf(setting);
    display = display || std::equal(guid.begin(), guid.end(), bytes);
  }
  // Each of them is one 32-bit value; any other length is not understood,
  // and the screen is then drawn on as before.
  if (!display || Read32(bytes + 16) != 4 || size < kPowerSettingHeader + 4) return std::nullopt;
  return Read32(bytes + kPowerSettingHeader);
}

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
