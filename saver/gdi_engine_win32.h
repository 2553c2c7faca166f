// The engine's surfaces and platform on GDI device contexts.
#pragma once
#include <windows.h>

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
class GdiEnginePlatform : public EnginePlatform {
 public:
  explicit GdiEnginePlatform(HWND window) : window_(window) {}
  void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from, int32_t sx,
            int32_t sy) override;
  void DoEvents() override;
  void Sleep(int32_t milliseconds) override;
  bool WindowVisible() override;

 private:
  HWND window_;
};

// ZindleLoop on device contexts, with the program's state and generator.
void ZindleLoop(HDC source, HDC target, HWND window, HDC work = nullptr);

}  // namespace zindle
