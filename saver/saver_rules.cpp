#include "saver/saver_rules.h"

#include <algorithm>
#include <cstddef>

#include "core/numbers.h"

namespace zindle {

bool RestoreCounter::Tick(int16_t frequency) {
  if (frequency > 0) ++tickCount_;
  if (tickCount_ != frequency) return false;
  tickCount_ = 0;
  return true;
}

bool MouseMoveRule::Moved(double x, double y) {
  if (lastMouseX_ == 0 || lastMouseY_ == 0) Record(x, y);
  // The stored integer against the event's own value: no tolerance.
  return lastMouseX_ != x || lastMouseY_ != y;
}

void MouseMoveRule::Record(double x, double y) {
  lastMouseX_ = ToInt32(x);
  lastMouseY_ = ToInt32(y);
}

int32_t CentringOffset(int32_t screen, int32_t picture) {
  return ToInt32((static_cast<double>(screen) - picture) / 2);
}

void MirrorInPlace(uint32_t* pixels, int32_t stride, int32_t width, int32_t height, int16_t flip) {
  const bool leftRight = flip == 1 || flip == 3;
  const bool topBottom = flip == 2 || flip == 3;
  auto row = [&](int32_t y) { return pixels + static_cast<ptrdiff_t>(y) * stride; };
  if (leftRight)
    for (int32_t y = 0; y < height; ++y) std::reverse(row(y), row(y) + width);
  if (topBottom)
    for (int32_t y = 0; y < height / 2; ++y) std::swap_ranges(row(y), row(y) + width, row(height - 1 - y));
}

Treatment TreatmentFor(int16_t colourMode, RandomSource& random,
                       const std::function<bool()>& analysisInverts) {
  switch (colourMode) {
    case kInverted: return Treatment::Invert;
    case kRandom: return random.NextFraction() > 0.5f ? Treatment::Invert : Treatment::Keep;
    case kIntelligent: return analysisInverts() ? Treatment::Invert : Treatment::Keep;
    default: return Treatment::Keep;
  }
}

uint32_t RestoreTickPeriod(const RegistryValue& testPeriod) {
  const int32_t* number = std::get_if<int32_t>(&testPeriod);
  if (!number || *number < 100 || *number > static_cast<int32_t>(kRestoreTickPeriod)) return kRestoreTickPeriod;
  return static_cast<uint32_t>(*number);
}

uint64_t DesktopPictureLimit(const RegistryValue& testLimit) {
  const int32_t* number = std::get_if<int32_t>(&testLimit);
  if (!number) return UINT64_MAX;
  return static_cast<uint32_t>(*number);  // a DWORD, as the registry holds it
}

int16_t PasswordFlagFrom(const RegistryValue& value) {
  if (const int32_t* number = std::get_if<int32_t>(&value)) return ToInt16(*number);
  if (const std::string* text = std::get_if<std::string>(&value)) return ToInt16(LenientNumber(*text));
  return 0;
}

void SystemSaverSession::Start(ScreenSaverSystem& system, bool passwordCondition) {
  wasActive_ = system.ScreenSaveActive();
  system.SetScreenSaveActive(false);
  if (passwordCondition) system.SetScreenSaverRunning(true);
}

void SystemSaverSession::Finish(ScreenSaverSystem& system, bool passwordCondition) {
  system.SetScreenSaveActive(wasActive_);
  if (passwordCondition) system.SetScreenSaverRunning(false);
}

}  // namespace zindle
