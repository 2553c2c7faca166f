#include "saver/screens_win32.h"

#include <vector>

namespace zindle {
namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT r, LPARAM data) {
  auto* rects = reinterpret_cast<std::vector<Rect>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  Rect rect{r->left, r->top, r->right - r->left, r->bottom - r->top};
  // The primary first: with one monitor the run is that of a single screen,
  // and the passes of several start there.
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    rects->insert(rects->begin(), rect);
  else
    rects->push_back(rect);
  return TRUE;
}

}  // namespace

Screens SystemScreens() {
  std::vector<Rect> rects;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&rects));
  if (rects.empty()) rects.push_back(Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  return ScreensFrom(rects);
}

void DrawOnMonitor(HDC to, const Rect& monitor, const Rect& placed, HDC from) {
  Rect shown = Intersection(monitor, placed);
  if (shown.width <= 0 || shown.height <= 0) return;
  BitBlt(to, shown.left, shown.top, shown.width, shown.height, from, shown.left - placed.left,
         shown.top - placed.top, SRCCOPY);
}

}  // namespace zindle
