#include "saver/gdi_engine_win32.h"

#include "core/runtime_win32.h"

namespace zindle {

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

void GdiEnginePlatform::DoEvents() {
  auto now = std::chrono::steady_clock::now();
  if (now - lastEvents_ < kEventsInterval) return;
  lastEvents_ = now;
  zindle::DoEvents();
}

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
