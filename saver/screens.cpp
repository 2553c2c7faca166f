#include "saver/screens.h"

#include <cstddef>

#include "saver/saver_rules.h"

namespace zindle {

Screens ScreensFrom(const std::vector<Rect>& monitors) {
  Screens screens;
  for (const Rect& m : monitors) screens.bounds = Bounds(screens.bounds, m);
  const Rect& all = screens.bounds;
  for (const Rect& m : monitors) screens.monitors.push_back(Rect{m.left - all.left, m.top - all.top, m.width, m.height});
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
    all = Bounds(all, Intersection(picture, Rect{m.left - placed.left, m.top - placed.top, m.width, m.height}));
  }
  return all;
}

Screens ClippedTo(const Screens& screens, int32_t width, int32_t height) {
  Screens clipped = screens;
  for (Rect& m : clipped.monitors) m = Intersection(m, Rect{0, 0, width, height});
  return clipped;
}

namespace {

Rect OnScreen(const Screens& screens, const Rect& m) {
  return Rect{m.left + screens.bounds.left, m.top + screens.bounds.top, m.width, m.height};
}

}  // namespace

LayoutChange CompareLayouts(const Screens& before, const Screens& after) {
  LayoutChange change;
  for (const Rect& m : after.monitors) {
    LayoutChange::Monitor monitor{m, std::nullopt, false};
    const Rect place = OnScreen(after, m);
    for (const Rect& old : before.monitors)
      if (!old.Empty() && OnScreen(before, old) == place) monitor.keptFrom = old;
    monitor.uncovered = Intersection(place, before.bounds).Empty();
    change.monitors.push_back(monitor);
  }
  return change;
}

int MonitorAt(const Screens& screens, int32_t x, int32_t y) {
  for (size_t i = 0; i < screens.monitors.size(); ++i) {
    const Rect m = OnScreen(screens, screens.monitors[i]);
    if (x >= m.left && x < m.right() && y >= m.top && y < m.bottom()) return static_cast<int>(i);
  }
  return -1;
}

void MirrorMonitors(uint32_t* pixels, int32_t width, int32_t height, const Screens& screens, int16_t flip) {
  if (!pixels) return;
  for (const Rect& monitor : ClippedTo(screens, width, height).monitors) {
    if (monitor.Empty()) continue;
    MirrorInPlace(pixels + static_cast<ptrdiff_t>(monitor.top) * width + monitor.left, width, monitor.width,
                  monitor.height, flip);
  }
}

}  // namespace zindle
