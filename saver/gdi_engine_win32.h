// The engine's surfaces and platform on GDI device contexts.
#pragma once
#include <windows.h>

#include <chrono>

#include "saver/engine.h"

namespace zindle {

class DcSurface : public Surface {
 public:
  explicit DcSurface(HDC dc) : dc_(dc) {}
  HDC dc() const { return dc_; }

 private:
  HDC dc_;  // borrowed; the caller owns it for the whole run
};

// BitBlt, the program's yield, Sleep and IsWindowVisible of one window.
// Looking at the message queue is a round trip to the window system that
// costs far more than a small block copy, so the yields of the passes look
// at most once every few milliseconds: input still arrives well within a
// frame, and a pass costs little more than its copies.
class GdiEnginePlatform : public EnginePlatform {
 public:
  explicit GdiEnginePlatform(HWND window) : window_(window) {}
  void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from, int32_t sx,
            int32_t sy) override;
  void DoEvents() override;
  void Sleep(int32_t milliseconds) override;
  bool WindowVisible() override;

 private:
  static constexpr std::chrono::milliseconds kEventsInterval{8};
  HWND window_;
  std::chrono::steady_clock::time_point lastEvents_{};
};

// ZindleLoop on device contexts, with the program's state and generator.
void ZindleLoop(HDC source, HDC target, HWND window, HDC work = nullptr);

}  // namespace zindle
