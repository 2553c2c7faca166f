#include "saver/wallpaper_win32.h"

#include <cstddef>
#include <string>

#include "core/numbers.h"
#include "core/picture_win32.h"
#include "saver/desktop_source.h"
#include "saver/screens_win32.h"
#include "settings/registry_reader_win32.h"

namespace zindle {
namespace {

std::string WallpaperPath() {
  wchar_t path[MAX_PATH + 1] = {};
  if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0)) return {};
  path[MAX_PATH] = 0;
  return Narrow(path);
}

int32_t DesktopNumber(const char* name) {
  RegistryValue value = ReadRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", name);
  if (const int32_t* number = std::get_if<int32_t>(&value)) return *number;
  if (const std::string* text = std::get_if<std::string>(&value)) return ToInt32(LenientNumber(*text));
  return 0;
}

void DrawWallpaper(HDC dc, const Screens& screens, const Picture& picture, WallpaperFit fit) {
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  for (const Rect& monitor : screens.monitors) {
    const Rect all{0, 0, screens.bounds.width, screens.bounds.height};
    SaveDC(dc);
    IntersectClipRect(dc, monitor.left, monitor.top, monitor.right(), monitor.bottom());
    for (const Rect& place : WallpaperPlaces(fit, monitor, all, picture.width, picture.height)) {
      if (fit == WallpaperFit::Tile) {
        GdiObject<HBRUSH> tiles(CreatePatternBrush(picture.bitmap.bitmap()));
        SetBrushOrgEx(dc, place.left, place.top, nullptr);
        RECT r{monitor.left, monitor.top, monitor.right(), monitor.bottom()};
        FillRect(dc, &r, tiles.get());
      } else if (fit == WallpaperFit::Centre) {
        DrawOnMonitor(dc, monitor,
                      Rect{place.left + picture.left, place.top + picture.top, picture.bitmap.width(),
                           picture.bitmap.height()},
                      picture.bitmap.dc());
      } else {
        StretchBlt(dc, place.left, place.top, place.width, place.height, picture.bitmap.dc(), 0, 0,
                   picture.width, picture.height, SRCCOPY);
      }
    }
    RestoreDC(dc, -1);
  }
}

// The desktop's colour on each monitor, then the wallpaper as the desktop
// places it. Centred, only the part that shows is kept, as for a picture of
// the user's; scaled or tiled, the whole of it. The loader's budget holds.
void DrawDesktopBackground(MemoryBitmap& pic, const Screens& screens, const std::string& path) {
  {
    GdiObject<HBRUSH> brush(CreateSolidBrush(GetSysColor(COLOR_DESKTOP)));
    for (const Rect& m : screens.monitors) {
      RECT r{m.left, m.top, m.right(), m.bottom()};
      FillRect(pic.dc(), &r, brush.get());
    }
  }
  if (!path.empty()) {
    const WallpaperFit fit = WallpaperFitFrom(DesktopNumber("WallpaperStyle"), DesktopNumber("TileWallpaper"));
    Picture picture = LoadPicture(path, [&](int width, int height) {
      return fit == WallpaperFit::Centre ? PartShownOnMonitors(screens, width, height) : Rect{0, 0, width, height};
    });
    const bool whole = picture.bitmap.width() == picture.width && picture.bitmap.height() == picture.height;
    if (picture && (fit == WallpaperFit::Centre || whole)) DrawWallpaper(pic.dc(), screens, picture, fit);
  }
  GdiFlush();
}

}  // namespace

bool ReplaceUnseenDesktop(MemoryBitmap& pic, const Screens& screens, bool captured) {
  if (!pic || !pic.bits()) return false;
  const std::string path = WallpaperPath();
  auto flat = FlatColour(pic.bits(), pic.width(), screens.bounds.width, screens.bounds.height);
  if (ChooseDesktopSource(captured, flat, !path.empty()) == DesktopSource::Capture) return false;
  // The gaps between monitors are never shown nor read.
  DrawDesktopBackground(pic, screens, path);
  return true;
}

bool ReplaceUnseenMonitor(MemoryBitmap& pic, const Screens& screens, const Rect& monitor, bool captured) {
  const Rect m = Intersection(monitor, Rect{0, 0, pic.width(), pic.height()});
  if (!pic || !pic.bits() || m.Empty()) return false;
  const std::string path = WallpaperPath();
  auto flat = FlatColour(pic.bits() + static_cast<ptrdiff_t>(m.top) * pic.width() + m.left, pic.width(), m.width,
                         m.height);
  if (ChooseDesktopSource(captured, flat, !path.empty()) == DesktopSource::Capture) return false;
  DrawDesktopBackground(pic, Screens{screens.bounds, {m}}, path);
  return true;
}

}  // namespace zindle
