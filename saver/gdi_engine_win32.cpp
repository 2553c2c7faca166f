#include "saver/gdi_engine_win32.h"

#include <algorithm>

#include "core/runtime_win32.h"

namespace zindle {
namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// However long a rest, a window hidden meanwhile is noticed this soon.
constexpr int64_t kLongestRest = 50000;

}  // namespace

GdiEnginePlatform::GdiEnginePlatform(HWND window, int framesPerSecond) : window_(window) {
  QueryPerformanceFrequency(&frequency_);
  // The system's tick is 15.6 ms on many machines, too coarse to spread a
  // few hundred passes a second evenly; older systems refuse the flag and
  // keep the tick, where passes then come in small bursts at the same pace.
  timer_.reset(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
  // A timer set once that ticks every frame: a frame's rest is then one wait,
  // not a timer set and a wait. Where the system has no fine timer, the
  // one-shot rests serve.
  if (timer_ && framesPerSecond > 0) {
    frameTimer_.reset(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
    const LONG period = std::max(1, 1000 / framesPerSecond);
    LARGE_INTEGER due;
    due.QuadPart = -int64_t{period} * 10000;
    if (frameTimer_ && SetWaitableTimer(frameTimer_.get(), &due, period, nullptr, nullptr, FALSE))
      framePeriod_ = int64_t{period} * 1000;
  }
}

void GdiEnginePlatform::Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from,
                             int32_t sx, int32_t sy) {
  if (w <= 0 || h <= 0) return;  // an empty block copies nothing
  HDC target = static_cast<DcSurface&>(to).dc();
  HDC source = static_cast<DcSurface&>(from).dc();
  // A block read from where it is drawn on the same surface changes nothing;
  // on a window that round trip through the display costs a full copy.
  if (target == source && x == sx && y == sy) return;
  BitBlt(target, x, y, w, h, source, sx, sy, SRCCOPY);
}

void GdiEnginePlatform::DoEvents() { zindle::DoEvents(); }

int64_t GdiEnginePlatform::Now() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart / frequency_.QuadPart * 1000000 +
         counter.QuadPart % frequency_.QuadPart * 1000000 / frequency_.QuadPart;
}

bool GdiEnginePlatform::Rest(int64_t until, bool* waited) {
  int64_t left = std::min(until - Now(), kLongestRest);
  if (left <= 0) return false;
  if (waited) *waited = true;
  DWORD result;
  if (timer_) {
    LARGE_INTEGER due;
    due.QuadPart = -left * 10;  // relative, in 100 ns
    SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE);
    HANDLE timer = timer_.get();
    result = MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return result == WAIT_OBJECT_0 + 1;
  }
  result = MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>((left + 999) / 1000), QS_ALLINPUT,
                                       MWMO_INPUTAVAILABLE);
  return result == WAIT_OBJECT_0;
}

void GdiEnginePlatform::WaitUntil(int64_t due) {
  while (Now() < due && WindowVisible()) {
    if (Rest(due)) zindle::DoEvents();
  }
}

bool GdiEnginePlatform::RestOnFrames(int64_t until, bool* waited) {
  *waited = true;
  HANDLE timer = frameTimer_.get();
  for (;;) {
    if (MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0)
      return true;
    // The period is the frame rounded down to whole milliseconds.
    if (Now() >= until - 1000 || !WindowVisible()) return false;
  }
}

bool GdiEnginePlatform::RestUntil(int64_t until) {
  // A rest that ends on its timer has found the queue empty: under Wine each
  // look at it is a round trip to the Wine server, so it is not looked at again.
  bool waited = false;
  // About a frame: on the frame timer. Longer (slow motion, an unseen screen):
  // one wake for the whole rest, not one a frame.
  const int64_t left = until - Now();
  if (framePeriod_ && left > 0 && left <= 2 * framePeriod_ && WindowVisible()) return RestOnFrames(until, &waited);
  while (Now() < until && WindowVisible()) {
    if (Rest(until, &waited)) return true;
  }
  return !waited;
}

void GdiEnginePlatform::Sleep(int32_t milliseconds) {
  // The messages are left for the yield that follows the pause.
  int64_t until = Now() + int64_t{milliseconds} * 1000;
  while (Now() < until && WindowVisible()) {
    if (Rest(until)) return;
  }
}

bool GdiEnginePlatform::WindowVisible() { return IsWindowVisible(window_) != FALSE; }

int DisplayFramesPerSecond() {
  uint32_t fastest = 0;
  DISPLAY_DEVICEW device{};
  device.cb = sizeof(device);
  for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &device, 0); ++i) {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if ((device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) &&
        EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode) &&
        static_cast<uint32_t>(FramesPerSecond(mode.dmDisplayFrequency)) == mode.dmDisplayFrequency)
      fastest = std::max<uint32_t>(fastest, mode.dmDisplayFrequency);
    device = DISPLAY_DEVICEW{};
    device.cb = sizeof(device);
  }
  return FramesPerSecond(fastest);
}

void ZindleLoop(HDC source, HDC target, HWND window, HDC work, const EngineRun& run) {
  DcSurface sourceSurface(source);
  DcSurface targetSurface(target);
  DcSurface workSurface(work);
  GdiEnginePlatform platform(window, run.passesPerSecond > 0 ? run.framesPerSecond : 0);
  ZindleLoop(sourceSurface, targetSurface, platform, work ? &workSurface : nullptr, Saver(), ProgramRandom(),
             run);
}

}  // namespace zindle
