// The engine's surfaces and platform on GDI device contexts.
#pragma once
#include <windows.h>

#include "core/handles_win32.h"
#include "saver/engine.h"

namespace zindle {

class DcSurface : public Surface {
 public:
  explicit DcSurface(HDC dc) : dc_(dc) {}
  HDC dc() const { return dc_; }

 private:
  HDC dc_;  // borrowed; the caller owns it for the whole run
};

// How a frame's rest waits: on the wait's own time-outs while they keep to
// the millisecond, then on the refresh timer; or on the refresh timer from
// the first frame (the way of a Windows system at its default tick).
enum class FrameRests { kTimeOutsFirst, kRefreshTimer };

// BitBlt, the program's yield, and rests that wake for any message, of one
// window. The thread sleeps between passes, so the processor rests, and a
// key or a movement is handled the moment it arrives.
class GdiEnginePlatform : public EnginePlatform {
 public:
  // With frames a second, a frame's rest ends on the wait's own time-out, or
  // where that keeps too coarse a time on a timer that ticks at the display's
  // refreshes, set when the screen is seen and cancelled when not.
  explicit GdiEnginePlatform(HWND window, int framesPerSecond = 0, FrameRests rests = FrameRests::kTimeOutsFirst);
  void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from, int32_t sx,
            int32_t sy) override;
  void DoEvents() override;
  bool WindowVisible() override;
  int64_t Now() override;
  RestEnded RestUntil(int64_t until) override;
  RestEnded RestUntilRefresh(int64_t frame) override;
  void RestUntilMessage() override;

 private:
  // One wait for a message or, when given, a timer's signal.
  enum class Woke { kMessage, kTimer, kFailed };
  Woke WaitForMessageOr(HANDLE timer, DWORD milliseconds = INFINITE);
  // After a timer's wake: whether a message came too (the wait reports the timer first).
  bool MessagesWaiting();
  RestEnded RestOnTimeOut(int64_t frame);
  bool StartTicking(int64_t firstTickIn);
  void StopTimers();

  HWND window_;
  // Sent messages tell of the program's own window being hidden; another
  // program's window is looked at every little while instead.
  bool ownWindow_;
  KernelHandle timer_;  // one-shot, finer than the system's tick where Windows offers it
  bool timerSet_ = false;
  TimeOutJudge timeOuts_;
  KernelHandle refreshTimer_;  // ticks at the refreshes while the screen is seen
  int32_t tickMilliseconds_ = 0;
  bool ticking_ = false;
  int64_t firstTick_ = 0;  // on the clock of Now()
  LARGE_INTEGER frequency_{};
};

// The display's frames a second: the fastest of the monitors' rates, or 60
// where none reports one.
int DisplayFramesPerSecond();

// ZindleLoop on device contexts, with the program's state and generator.
void ZindleLoop(HDC source, HDC target, HWND window, HDC work = nullptr, const EngineRun& run = {},
                FrameRests rests = FrameRests::kTimeOutsFirst);

}  // namespace zindle
