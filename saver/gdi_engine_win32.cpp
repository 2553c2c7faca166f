#include "saver/gdi_engine_win32.h"

#include <algorithm>

#include "core/runtime_win32.h"

namespace zindle {
namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// Another program's window (the preview's) says nothing when it is hidden:
// however long a rest, it is looked at this often.
constexpr int64_t kForeignWindowLook = 50000;

KernelHandle FineTimer() {
  return KernelHandle(
      CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
}

}  // namespace

// Counted while the saver draws; the bench reads them from outside the
// process by this name, which costs the program nothing.
extern "C" __declspec(dllexport) RunCounts ZindleRunCounts;
RunCounts ZindleRunCounts;

GdiEnginePlatform::GdiEnginePlatform(HWND window, int framesPerSecond, FrameRests rests)
    : window_(window),
      ownWindow_(GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()),
      timeOuts_(ownWindow_ && framesPerSecond > 0 && rests == FrameRests::kTimeOutsFirst) {
  QueryPerformanceFrequency(&frequency_);
  // The system's tick is 15.6 ms on many machines, too coarse to spread a
  // few hundred passes a second evenly; older systems refuse the flag and
  // keep the tick, where passes then come in small bursts at the same pace.
  timer_ = FineTimer();
  // Where the wait's own time-outs keep too coarse a time, the refreshes on a
  // timer of their own, set once while the screen is seen: a frame's rest is
  // then one wait. Where the system has no fine timer, the one-shot rests serve.
  if (timer_ && framesPerSecond > 0 && ownWindow_) {
    refreshTimer_ = FineTimer();
    if (refreshTimer_) tickMilliseconds_ = RefreshTickMilliseconds(framesPerSecond);
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

GdiEnginePlatform::Woke GdiEnginePlatform::WaitForMessageOr(HANDLE timer, DWORD milliseconds) {
  // QS_ALLINPUT holds QS_SENDMESSAGE: a window hidden from outside sends its
  // messages, and they end the wait too.
  const DWORD count = timer ? 1 : 0;
  const DWORD result = MsgWaitForMultipleObjectsEx(count, timer ? &timer : nullptr, milliseconds, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
  if (result == WAIT_OBJECT_0 + count) return Woke::kMessage;
  return result == WAIT_FAILED ? Woke::kFailed : Woke::kTimer;
}

bool GdiEnginePlatform::MessagesWaiting() { return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0; }

RestEnded GdiEnginePlatform::RestUntil(int64_t until) {
  for (;;) {
    int64_t left = until - Now();
    if (left <= 0) return RestEnded::kForMessages;
    if (!ownWindow_) left = std::min(left, kForeignWindowLook);
    LARGE_INTEGER due;
    due.QuadPart = -left * 10;  // relative, in 100 ns
    Woke woke;
    if (timer_ && SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE)) {
      timerSet_ = true;
      woke = WaitForMessageOr(timer_.get());
      if (woke == Woke::kTimer) timerSet_ = false;
      if (woke == Woke::kFailed) timer_.reset();  // the time-outs serve from now on
    } else {
      // No timer to be had: the wait's own time-out, in whole milliseconds.
      woke = WaitForMessageOr(nullptr, static_cast<DWORD>((left + 999) / 1000));
    }
    if (woke == Woke::kMessage) return RestEnded::kForMessages;
    if (!ownWindow_ && !WindowVisible()) return RestEnded::kForMessages;
    if (Now() >= until) return MessagesWaiting() ? RestEnded::kForMessages : RestEnded::kOnTime;
  }
}

bool GdiEnginePlatform::StartTicking(int64_t firstTickIn) {
  LARGE_INTEGER due;
  firstTickIn = std::max<int64_t>(firstTickIn, 1);
  due.QuadPart = -firstTickIn * 10;
  firstTick_ = Now() + firstTickIn;
  ticking_ = SetWaitableTimer(refreshTimer_.get(), &due, tickMilliseconds_, nullptr, nullptr, FALSE) != FALSE;
  if (!ticking_) tickMilliseconds_ = 0;
  return ticking_;
}

RestEnded GdiEnginePlatform::RestUntilRefresh(int64_t frame) {
  const int64_t left = frame - Now();
  if (left <= 0) return RestEnded::kForMessages;
  if (timeOuts_.KeepTime()) return RestOnTimeOut(frame);
  // A frame a long way off (slow motion): one wake for the whole rest. A
  // timer that cannot be set leaves the one-shot rests.
  if (!tickMilliseconds_ || left > 2000 * int64_t{tickMilliseconds_} || (!ticking_ && !StartTicking(left)))
    return RestUntil(frame);
  HANDLE timer = refreshTimer_.get();
  for (;;) {
    switch (WaitForMessageOr(timer)) {
      case Woke::kMessage: return RestEnded::kForMessages;
      case Woke::kFailed:
        tickMilliseconds_ = 0;
        return RestUntil(frame);
      case Woke::kTimer:
        if (TickEndsRest(TickBefore(Now(), firstTick_, int64_t{tickMilliseconds_} * 1000), frame))
          return MessagesWaiting() ? RestEnded::kForMessages : RestEnded::kOnTime;
        break;
    }
  }
}

// A wait that times out found no message, so a frame's rest is one wait.
// Under Wine it is one round trip to the Wine server a frame: a wake on a
// timer's handle takes three (the wait, a look at the queue, and the queue's
// mask set again for the next wait).
RestEnded GdiEnginePlatform::RestOnTimeOut(int64_t frame) {
  for (;;) {
    const int64_t left = frame - Now();  // more than 0: on entry, and after a wake too early
    const Woke woke = WaitForMessageOr(nullptr, static_cast<DWORD>((left + 999) / 1000));
    if (woke == Woke::kMessage) return RestEnded::kForMessages;
    if (woke == Woke::kFailed) {
      timeOuts_ = TimeOutJudge(false);
      return RestUntilRefresh(frame);
    }
    const int64_t late = Now() - frame;
    if (late >= 0) {
      timeOuts_.Woke(late);
      return RestEnded::kOnTime;
    }
  }
}

void GdiEnginePlatform::StopTimers() {
  if (ticking_) CancelWaitableTimer(refreshTimer_.get());
  if (timerSet_) CancelWaitableTimer(timer_.get());
  ticking_ = timerSet_ = false;
}

void GdiEnginePlatform::RestUntilMessage() {
  StopTimers();
  if (ownWindow_) {
    WaitForMessageOr(nullptr);
    return;
  }
  while (WindowVisible() && WaitForMessageOr(nullptr, kForeignWindowLook / 1000) == Woke::kTimer) {
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

void ZindleLoop(HDC source, HDC target, HWND window, HDC work, const EngineRun& run, FrameRests rests) {
  DcSurface sourceSurface(source);
  DcSurface targetSurface(target);
  DcSurface workSurface(work);
  GdiEnginePlatform platform(window, run.passesPerSecond > 0 ? run.framesPerSecond : 0, rests);
  EngineRun counted = run;
  if (!counted.counts) counted.counts = &ZindleRunCounts;
  ZindleLoop(sourceSurface, targetSurface, platform, work ? &workSurface : nullptr, Saver(), ProgramRandom(),
             counted);
}

}  // namespace zindle
