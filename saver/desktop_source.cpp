#include "saver/desktop_source.h"

#include <algorithm>
#include <cstddef>

#include "core/numbers.h"
#include "saver/screens.h"

namespace zindle {

std::optional<uint32_t> FlatColour(const uint32_t* pixels, int32_t stride, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  const uint32_t colour = pixels[0] & 0xFFFFFF;
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<ptrdiff_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x)
      if ((row[x] & 0xFFFFFF) != colour) return std::nullopt;
  }
  return colour;
}

DesktopSource ChooseDesktopSource(bool captured, std::optional<uint32_t> flatColour, bool hasWallpaper) {
  if (!captured) return DesktopSource::Wallpaper;
  return flatColour && hasWallpaper ? DesktopSource::Wallpaper : DesktopSource::Capture;
}

WallpaperFit WallpaperFitFrom(int32_t style, int32_t tile) {
  switch (style) {
    case 0: return tile != 0 ? WallpaperFit::Tile : WallpaperFit::Centre;
    case 2: return WallpaperFit::Stretch;
    case 6: return WallpaperFit::Fit;
    case 10: return WallpaperFit::Fill;
    case 22: return WallpaperFit::Span;
    default: return WallpaperFit::Centre;
  }
}

namespace {

// The picture scaled by the smaller (fit) or larger (fill) of the two ratios
// and centred on `on`.
Rect Scaled(const Rect& on, int32_t width, int32_t height, bool fill) {
  const double rx = static_cast<double>(on.width) / width, ry = static_cast<double>(on.height) / height;
  const double r = fill ? std::max(rx, ry) : std::min(rx, ry);
  const int32_t w = std::max(1, ToInt32(width * r)), h = std::max(1, ToInt32(height * r));
  return CentredOn(on, w, h);
}

}  // namespace

std::vector<Rect> WallpaperPlaces(WallpaperFit fit, const Rect& monitor, const Rect& all, int32_t width,
                                  int32_t height) {
  if (width <= 0 || height <= 0 || monitor.Empty()) return {};
  switch (fit) {
    case WallpaperFit::Stretch: return {monitor};
    case WallpaperFit::Fit: return {Scaled(monitor, width, height, false)};
    case WallpaperFit::Fill: return {Scaled(monitor, width, height, true)};
    case WallpaperFit::Span: return {Scaled(all.Empty() ? monitor : all, width, height, true)};
    case WallpaperFit::Tile: return {Rect{monitor.left, monitor.top, width, height}};
    case WallpaperFit::Centre: break;
  }
  return {CentredOn(monitor, width, height)};
}

}  // namespace zindle
