#include <algorithm>

#include "core/handles_win32.h"
#include "core/mode.h"
#include "core/modes_win32.h"
#include "core/picture_win32.h"
#include "core/runtime_win32.h"
#include "saver/gdi_engine_win32.h"

namespace zindle {
namespace {

constexpr int kPreviewWidth = 152;
constexpr int kPreviewHeight = 112;

// The window Display Properties handed over, or null when the argument text
// names none; the preview then has nothing to draw into.
HWND PreviewWindow(std::string_view argumentText) {
  std::optional<uint64_t> handle = PreviewWindowHandle(argumentText);
  if (!handle) return nullptr;
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(*handle));
  return IsWindow(window) ? window : nullptr;
}

// The preview image: the custom picture's top-left corner, all the
// miniature shows of it, on black at least the miniature plus one pixel.
MemoryBitmap CustomPreviewImage(const SaverState& state, HDC like) {
  MemoryBitmap picture =
      LoadPicture(state.PictureName, [](int, int) { return PictureRect{0, 0, kPreviewWidth, kPreviewHeight}; })
          .bitmap;
  DoEvents();
  if (!picture) return {};
  int width = std::max(picture.width(), kPreviewWidth + 1);
  int height = std::max(picture.height(), kPreviewHeight + 1);
  if (width == picture.width() && height == picture.height()) return picture;
  MemoryBitmap image(like, width, height);
  PatBlt(image.dc(), 0, 0, width, height, BLACKNESS);
  BitBlt(image.dc(), 0, 0, picture.width(), picture.height(), picture.dc(), 0, 0, SRCCOPY);
  return image;
}

// The top-left corner of the desktop as it looks now.
MemoryBitmap DesktopPreviewImage(HDC like) {
  MemoryBitmap image(like, kPreviewWidth + 1, kPreviewHeight + 1);
  WindowDC desktop(GetDesktopWindow());
  BitBlt(image.dc(), 0, 0, kPreviewWidth, kPreviewHeight, desktop.get(), 0, 0, SRCCOPY);
  return image;
}

}  // namespace

void RunPreview(std::string_view argumentText) {
  SetProgramPointer(Pointer::Busy);
  HWND preview = PreviewWindow(argumentText);
  if (!preview) ExitProcess(0);
  SeedRandomFromTimeOfDay();  // so that two previews do not move alike
  SaverState& state = Saver();
  {
    WindowDC target(preview);
    state.ImageWidth = kPreviewWidth;
    state.ImageHeight = kPreviewHeight;
    MemoryBitmap image;
    if (state.Picture != 0) image = CustomPreviewImage(state, target.get());
    // A custom picture that cannot be loaded leaves the desktop to show.
    if (!image) image = DesktopPreviewImage(target.get());
    BitBlt(target.get(), 0, 0, kPreviewWidth, kPreviewHeight, image.dc(), 0, 0, SRCCOPY);
    SetProgramPointer(Pointer::Default);
    // The miniature always moves, even with both amplitudes set to none.
    if (state.Horizontal == 0 && state.Vertical == 0) state.Horizontal = state.Vertical = 1;
    ZindleLoop(image.dc(), target.get(), preview, image.dc());
  }
  ExitProcess(0);
}

}  // namespace zindle
