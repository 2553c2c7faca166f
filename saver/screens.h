// The monitors that the saver covers: one window spans them all, and each
// monitor's picture is captured, mirrored, shown and distorted as one screen.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "saver/engine.h"
#include "core/rect.h"

namespace zindle {

struct Screens {
  Rect bounds;                 // all monitors together, in screen coordinates
  std::vector<Rect> monitors;  // in the coordinates of a window over `bounds`
  bool operator==(const Screens& other) const { return bounds == other.bounds && monitors == other.monitors; }
  bool operator!=(const Screens& other) const { return !(*this == other); }
};

// From the monitors' rectangles in screen coordinates, the primary first: the
// window's origin is the top-left of them all, which may lie left of or above
// the primary monitor.
Screens ScreensFrom(const std::vector<Rect>& monitors);

// One area a monitor, each read from the same place on the source: the
// desktop as the window shows it, or the captured picture beside it.
std::vector<Area> MonitorAreas(const Screens& screens);

// Each monitor shows a picture read from the picture's own corner, cut to the
// part of the picture that is kept (in the picture's coordinates); the kept
// part's corner lies at (kept.left, kept.top) of the picture.
std::vector<Area> PictureCornerAreas(const Screens& screens, const Rect& kept);

// Where a picture of this size stands centred on a monitor, rounded half to
// even; it reaches past the monitor's edges when it is larger.
Rect CentredOn(const Rect& monitor, int32_t width, int32_t height);

// The part of a picture of this size that shows on some monitor when it
// stands centred on each: all of a picture that fits them, the middle of a
// larger one. Empty when nothing shows.
Rect PartShownOnMonitors(const Screens& screens, int32_t width, int32_t height);

// The screens with each monitor cut to a picture of this size at the window's
// origin: the picture's sides saturate where monitors may lie further out.
Screens ClippedTo(const Screens& screens, int32_t width, int32_t height);

// How the monitors of a new layout come by their pictures.
struct LayoutChange {
  struct Monitor {
    Rect now;  // in the new window
    // Where it lay in the old window when it is still there at the same place
    // and size: it keeps its own picture, drifting on. Otherwise it needs a
    // picture of its own, never the old one stretched or moved.
    std::optional<Rect> keptFrom;
    // Wholly outside the old window: what it shows is not the saver's, and
    // can be captured before the window covers it.
    bool uncovered = false;
  };
  std::vector<Monitor> monitors;  // the new layout's, in its order
};
LayoutChange CompareLayouts(const Screens& before, const Screens& after);

// The monitor at a point in screen coordinates, or -1 in no monitor.
int MonitorAt(const Screens& screens, int32_t x, int32_t y);

// Mirrors each monitor's part of a picture of width x height in place, as
// flip says: a user who flips expects each screen mirrored, not the screens
// swapped. Only what lies in the picture is touched; no pixels, nothing.
void MirrorMonitors(uint32_t* pixels, int32_t width, int32_t height, const Screens& screens, int16_t flip);

}  // namespace zindle
