// What the saver zindles when it cannot see the desktop: a secure saver runs
// on a desktop of its own, and a remote session that is minimised or
// disconnected captures nothing. The capture then fails or comes back as
// one flat colour, and the wallpaper is drawn instead, as the desktop draws it.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/rect.h"

namespace zindle {

// The one colour (0xRRGGBB, the fourth byte ignored) of every pixel of the
// W x H picture whose rows are `stride` pixels apart; none when two differ or
// the picture is empty.
std::optional<uint32_t> FlatColour(const uint32_t* pixels, int32_t stride, int32_t width, int32_t height);

enum class DesktopSource { Capture, Wallpaper };

// A capture that failed is not the desktop, nor a flat one over a wallpaper.
// Without a wallpaper a flat capture may be what the user sees (a plain
// desktop, a window over all of it) and is kept.
DesktopSource ChooseDesktopSource(bool captured, std::optional<uint32_t> flatColour, bool hasWallpaper);

// How the desktop places its wallpaper, from the "WallpaperStyle" and
// "TileWallpaper" values of the desktop's settings.
enum class WallpaperFit { Centre, Tile, Stretch, Fit, Fill, Span };
// Unknown styles are centred, as the desktop does with them.
WallpaperFit WallpaperFitFrom(int32_t style, int32_t tile);

// Where the desktop draws a picture of this size on a monitor: the whole
// picture scaled into the rectangle, parts beyond the monitor cut by it.
// Span draws over `all` (every monitor together) as Fill; Tile gives the
// first copy, at the monitor's corner, which repeats across the monitor.
// Empty for an empty picture or monitor.
std::vector<Rect> WallpaperPlaces(WallpaperFit fit, const Rect& monitor, const Rect& all, int32_t width,
                                  int32_t height);

}  // namespace zindle
