#include <algorithm>

#include "core/handles_win32.h"
#include "core/mode.h"
#include "core/modes_win32.h"
#include "core/picture_win32.h"
#include "core/runtime_win32.h"
#include "saver/gdi_engine_win32.h"

namespace zindle {
namespace {

// The miniature of Display Properties at 100 % scale.
constexpr int kPreviewWidth = 152;
constexpr int kPreviewHeight = 112;

// The size of the miniature: the whole client area of the window it is given,
// which is larger than 152 x 112 on a scaled display.
SIZE MiniatureSize(HWND preview) {
  RECT client{};
  GetClientRect(preview, &client);
  if (client.right <= 0 || client.bottom <= 0) return SIZE{kPreviewWidth, kPreviewHeight};
  return SIZE{std::min<LONG>(client.right, INT16_MAX - 1), std::min<LONG>(client.bottom, INT16_MAX - 1)};
}

// The preview image: the custom picture's top-left corner, all the
// miniature shows of it, on black at least the miniature plus one pixel.
MemoryBitmap CustomPreviewImage(const SaverState& state, HDC like, SIZE miniature) {
  MemoryBitmap picture =
      LoadPicture(state.PictureName, [miniature](int, int) { return Rect{0, 0, miniature.cx, miniature.cy}; })
          .bitmap;
  DoEvents();
  if (!picture) return {};
  int width = std::max<int>(picture.width(), miniature.cx + 1);
  int height = std::max<int>(picture.height(), miniature.cy + 1);
  if (width == picture.width() && height == picture.height()) return picture;
  MemoryBitmap image(like, width, height);
  PatBlt(image.dc(), 0, 0, width, height, BLACKNESS);
  BitBlt(image.dc(), 0, 0, picture.width(), picture.height(), picture.dc(), 0, 0, SRCCOPY);
  return image;
}

// The top-left corner of the primary monitor as it looks now.
MemoryBitmap DesktopPreviewImage(HDC like, SIZE miniature) {
  MemoryBitmap image(like, miniature.cx + 1, miniature.cy + 1);
  WindowDC desktop(GetDesktopWindow());
  BitBlt(image.dc(), 0, 0, miniature.cx, miniature.cy, desktop.get(), 0, 0, SRCCOPY);
  return image;
}

bool SameSize(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

}  // namespace

void RunPreview(std::string_view argumentText) {
  SetProgramPointer(Pointer::Busy);
  // No window to draw into, or one that is not a window: nothing to do.
  HWND preview = WindowFromArgument(argumentText);
  if (!preview) ExitProcess(0);
  SeedRandomFromTimeOfDay();  // so that two previews do not move alike
  SaverState& state = Saver();
  // The miniature always moves, even with both amplitudes set to none.
  const bool still = state.Horizontal == 0 && state.Vertical == 0;
  // A host that is resized (a dialog scaled to another display) is filled
  // afresh at its new size.
  do {
    WindowDC target(preview);
    const SIZE miniature = MiniatureSize(preview);
    state.ImageWidth = static_cast<int16_t>(miniature.cx);
    state.ImageHeight = static_cast<int16_t>(miniature.cy);
    MemoryBitmap image;
    if (state.Picture != 0) image = CustomPreviewImage(state, target.get(), miniature);
    // A custom picture that cannot be loaded leaves the desktop to show.
    if (!image) image = DesktopPreviewImage(target.get(), miniature);
    BitBlt(target.get(), 0, 0, miniature.cx, miniature.cy, image.dc(), 0, 0, SRCCOPY);
    SetProgramPointer(Pointer::Default);
    if (still) state.Horizontal = state.Vertical = 1;
    EngineRun run;
    run.passesPerSecond = kPreviewPassesPerSecond;
    run.goOn = [&] { return SameSize(MiniatureSize(preview), miniature); };
    ZindleLoop(image.dc(), target.get(), preview, image.dc(), run);
  } while (IsWindowVisible(preview));
  ExitProcess(0);
}

}  // namespace zindle
