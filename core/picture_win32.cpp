#include "core/picture_win32.h"

#include <objidl.h>
#include <gdiplus.h>

namespace zindle {
namespace {

// Started once, on first use, for the life of the process.
bool StartImaging() {
  static bool started = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

}  // namespace

MemoryBitmap LoadPictureFile(const std::string& path) {
  if (path.empty() || !StartImaging()) return {};
  std::wstring file = Wide(path);
  DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  Gdiplus::Image image(file.c_str());
  if (image.GetLastStatus() != Gdiplus::Ok) return {};
  // Metafiles are drawn at their size at the screen's resolution.
  int width = static_cast<int>(image.GetWidth());
  int height = static_cast<int>(image.GetHeight());
  if (image.GetType() == Gdiplus::ImageTypeMetafile) {
    Gdiplus::RectF bounds;
    Gdiplus::Unit unit;
    image.GetBounds(&bounds, &unit);
    WindowDC screen(nullptr);
    float dpiX = image.GetHorizontalResolution(), dpiY = image.GetVerticalResolution();
    if (dpiX > 0 && dpiY > 0) {
      width = static_cast<int>(bounds.Width * GetDeviceCaps(screen.get(), LOGPIXELSX) / dpiX + 0.5f);
      height = static_cast<int>(bounds.Height * GetDeviceCaps(screen.get(), LOGPIXELSY) / dpiY + 0.5f);
    }
  }
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return {};
  MemoryBitmap bitmap = MemoryBitmap::Dib(width, height);
  if (!bitmap) return {};
  Gdiplus::Graphics graphics(bitmap.dc());
  graphics.Clear(Gdiplus::Color(255, 0, 0, 0));
  if (graphics.DrawImage(&image, 0, 0, width, height) != Gdiplus::Ok) return {};
  graphics.Flush(Gdiplus::FlushIntentionSync);
  return bitmap;
}

}  // namespace zindle
