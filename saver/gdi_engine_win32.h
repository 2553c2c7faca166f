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

// BitBlt, the program's yield, and rests that wake for any message, of one
// window. The thread sleeps between passes, so the processor rests, and a
// key or a movement is handled the moment it arrives.
class GdiEnginePlatform : public EnginePlatform {
 public:
  // With frames a second, rests of about a frame wait on a timer that ticks
  // every frame, set once for the run.
  explicit GdiEnginePlatform(HWND window, int framesPerSecond = 0);
  void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from, int32_t sx,
            int32_t sy) override;
  void DoEvents() override;
  void Sleep(int32_t milliseconds) override;
  bool WindowVisible() override;
  int64_t Now() override;
  void WaitUntil(int64_t due) override;
  bool RestUntil(int64_t until) override;

 private:
  // Rests until `until` or until a message arrives; true when one did.
  // `waited` tells whether it rested and so looked at the queue.
  bool Rest(int64_t until, bool* waited = nullptr);
  // The same on the frame timer: ends at the first tick that comes at most a
  // tick's rounding before `until`.
  bool RestOnFrames(int64_t until, bool* waited);

  HWND window_;
  KernelHandle timer_;  // finer than the system's tick where Windows offers it
  KernelHandle frameTimer_;
  int64_t framePeriod_ = 0;  // microseconds; whole milliseconds, as a timer's period is
  LARGE_INTEGER frequency_{};
};

// The display's frames a second: the fastest of the monitors' rates, or 60
// where none reports one.
int DisplayFramesPerSecond();

// ZindleLoop on device contexts, with the program's state and generator.
void ZindleLoop(HDC source, HDC target, HWND window, HDC work = nullptr, const EngineRun& run = {});

}  // namespace zindle
