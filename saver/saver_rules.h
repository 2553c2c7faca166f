// The saver's rules that need no window: the restore counter, the mouse
// movement rule, centring, mirroring, the colour treatment, the password flag
// and the system's screen-saver switches around a run.
#pragma once
#include <cstdint>
#include <functional>

#include "saver/engine.h"
#include "settings/registry_reader.h"

namespace zindle {

// The restore timer's counter of 30-second ticks since the last restore.
class RestoreCounter {
 public:
  // One tick; true when the clean picture is due. A frequency of 0 never
  // moves the counter, which then always equals it: every tick restores. A
  // frequency above 255 or below 0 is never reached.
  bool Tick(int16_t frequency);
  uint8_t TickCount() const { return tickCount_; }

 private:
  uint8_t tickCount_ = 0;  // 8 bits: it wraps at 256 like the original counter
};

// Any real movement of the pointer ends the saver; the first event only
// records where the pointer is. A recorded 0 counts as not recorded, so
// events on the left or top edge record again.
class MouseMoveRule {
 public:
  // x and y in the window's units (twips); true asks for the unload.
  bool Moved(double x, double y);
  // Records the pointer's place afresh: the window moved under it.
  void Record(double x, double y);
  int32_t LastMouseX() const { return lastMouseX_; }
  int32_t LastMouseY() const { return lastMouseY_; }

 private:
  // 32 bits: twips of a screen wider than 2,184 pixels pass 16 bits.
  int32_t lastMouseX_ = 0;
  int32_t lastMouseY_ = 0;
};

// Where a picture of this size starts so that it stands in the middle of the
// screen, rounded half to even; negative when it is larger than the screen.
int32_t CentringOffset(int32_t screen, int32_t picture);

// Mirrors the W x H area of a picture in memory whose rows are `stride`
// pixels apart. Flip 1 is left to right, 2 top to bottom, 3 both; any other
// value is taken as no mirroring. Mirroring the captured pixels in memory
// is far cheaper than a mirroring transfer from the screen.
void MirrorInPlace(uint32_t* pixels, int32_t stride, int32_t width, int32_t height, int16_t flip);

enum class Treatment { Keep, Invert };
enum ColourMode : int16_t { kNormal = 0, kInverted = 1, kRandom = 2, kIntelligent = 3 };

// Normal keeps, Inverted inverts, Random draws one fraction and inverts above
// 0.5, Intelligent asks the analysis. Other modes keep.
Treatment TreatmentFor(int16_t colourMode, RandomSource& random,
                       const std::function<bool()>& analysisInverts);

// The restore timer's period in milliseconds: 30 seconds, unless the
// scenarios' own registry key asks for a shorter one (a number of 100 to
// 30000) so that they need not wait on it. The dialog never writes it.
inline constexpr uint32_t kRestoreTickPeriod = 30000;
inline constexpr char kTestKey[] = "Software\\ZindleTest";
inline constexpr char kTestTickValue[] = "RestoreTickMilliseconds";
uint32_t RestoreTickPeriod(const RegistryValue& testPeriod);

// The most bytes the captured desktop may take: no limit but the system's,
// unless the scenarios' key asks for one (a number of bytes) to see the saver
// run where there is no room for its picture.
inline constexpr char kTestPictureLimitValue[] = "LargestDesktopPictureBytes";
uint64_t DesktopPictureLimit(const RegistryValue& testLimit);

// The monitors' layout is looked at once a second while the screen is seen,
// unless the scenarios' key holds the number 0 here: then the system's
// word alone tells of a change.
inline constexpr char kTestLayoutLooksValue[] = "LayoutLooks";

// A frame's rest waits on the wait's own time-outs while they keep to the
// millisecond, unless the scenarios' key holds a number other than 0 here:
// then on the refresh timer from the first frame, as at Windows' default tick.
inline constexpr char kTestRefreshTimerValue[] = "RefreshTimer";

// The password setting's leading decimal number, rounded half to even; empty
// or not a number gives 0. Numbers beyond 16 bits stay non-zero.
int16_t PasswordFlagFrom(const RegistryValue& value);

// The system's own screen-saver switches.
class ScreenSaverSystem {
 public:
  virtual ~ScreenSaverSystem() = default;
  virtual bool ScreenSaveActive() = 0;
  virtual void SetScreenSaveActive(bool active) = 0;
  // The running announcement of the Windows 95/98 family.
  virtual void SetScreenSaverRunning(bool running) = 0;
};

// What a run changes in the system and puts back at its end.
class SystemSaverSession {
 public:
  // Remembers whether the system starts screen savers, stops it, and with
  // the password condition announces a running saver.
  void Start(ScreenSaverSystem& system, bool passwordCondition);
  // Puts the activation back as it was, not simply on, and clears the
  // announcement under the same condition.
  void Finish(ScreenSaverSystem& system, bool passwordCondition);

 private:
  bool wasActive_ = true;
};

}  // namespace zindle
