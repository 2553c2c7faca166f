#include "saver/screens.h"

#include <algorithm>
#include <cstddef>

#include "saver/saver_rules.h"

namespace zindle {

Screens ScreensFrom(const std::vector<Rect>& monitors) {
  Screens screens;
  if (monitors.empty()) return screens;
  int32_t left = monitors[0].left, top = monitors[0].top;
  int32_t right = monitors[0].right(), bottom = monitors[0].bottom();
  for (const Rect& m : monitors) {
    left = std::min(left, m.left), top = std::min(top, m.top);
    right = std::max(right, m.right()), bottom = std::max(bottom, m.bottom());
  }
  screens.bounds = Rect{left, top, right - left, bottom - top};
  for (const Rect& m : monitors) screens.monitors.push_back(Rect{m.left - left, m.top - top, m.width, m.height});
  return screens;
}

std::vector<Area> MonitorAreas(const Screens& screens) {
  std::vector<Area> areas;
  for (const Rect& m : screens.monitors) areas.push_back(Area{m, m.left, m.top, Rect{0, 0, m.width, m.height}});
  return areas;
}

std::vector<Area> PictureCornerAreas(const Screens& screens, const Rect& kept) {
  std::vector<Area> areas;
  for (const Rect& m : screens.monitors) {
    Rect readable = Intersection(Rect{0, 0, m.width, m.height}, kept);
    areas.push_back(Area{m, -kept.left, -kept.top, readable});
  }
  return areas;
}

Rect CentredOn(const Rect& monitor, int32_t width, int32_t height) {
  return Rect{monitor.left + CentringOffset(monitor.width, width), monitor.top + CentringOffset(monitor.height, height),
              width, height};
}

Rect PartShownOnMonitors(const Screens& screens, int32_t width, int32_t height) {
  const Rect picture{0, 0, width, height};
  Rect all;
  for (const Rect& m : screens.monitors) {
    Rect placed = CentredOn(m, width, height);
    Rect shown = Intersection(picture, Rect{m.left - placed.left, m.top - placed.top, m.width, m.height});
    if (shown.width <= 0 || shown.height <= 0) continue;
    if (all.width <= 0) {
      all = shown;
      continue;
    }
    int32_t left = std::min(all.left, shown.left), top = std::min(all.top, shown.top);
    all = Rect{left, top, std::max(all.right(), shown.right()) - left, std::max(all.bottom(), shown.bottom()) - top};
  }
  return all;
}

void MirrorMonitors(uint32_t* pixels, int32_t stride, const Screens& screens, int16_t flip) {
  for (const Rect& m : screens.monitors)
    MirrorInPlace(pixels + static_cast<ptrdiff_t>(m.top) * stride + m.left, stride, m.width, m.height, flip);
}

}  // namespace zindle
