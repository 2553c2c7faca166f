#include "saver/gdi_engine_win32.h"

#include "core/runtime_win32.h"

namespace zindle {

void GdiEnginePlatform::Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from,
                             int32_t sx, int32_t sy) {
  if (w <= 0 || h <= 0) return;  // an empty block copies nothing
  BitBlt(static_cast<DcSurface&>(to).dc(), x, y, w, h, static_cast<DcSurface&>(from).dc(), sx, sy,
         SRCCOPY);
}

void GdiEnginePlatform::DoEvents() { zindle::DoEvents(); }

void GdiEnginePlatform::Sleep(int32_t milliseconds) {
  if (milliseconds > 0) ::Sleep(static_cast<DWORD>(milliseconds));
}

bool GdiEnginePlatform::WindowVisible() { return IsWindowVisible(window_) != FALSE; }

void ZindleLoop(HDC source, HDC target, HWND window, HDC work) {
  DcSurface sourceSurface(source);
  DcSurface targetSurface(target);
  DcSurface workSurface(work);
  GdiEnginePlatform platform(window);
  ZindleLoop(sourceSurface, targetSurface, platform, work ? &workSurface : nullptr, Saver(),
             ProgramRandom());
}

}  // namespace zindle
