// Picture files chosen by the user: bitmaps, metafiles, GIF, icons, JPEG,
// PNG and TIFF. The size is read from the file before anything is decoded;
// a picture that cannot be handled is refused, and of a large one only the
// part that shows is kept.
#pragma once
#include <functional>
#include <string>

#include "core/handles_win32.h"
#include "core/picture_format.h"

namespace zindle {

struct Picture {
  MemoryBitmap bitmap;        // the kept part only, 32-bit DIB, transparency on black
  int width = 0, height = 0;  // the whole picture's size as it shows, in pixels
  int left = 0, top = 0;      // where the kept part starts within the whole picture
  explicit operator bool() const { return static_cast<bool>(bitmap); }
};

// Which part to keep, once the whole size is known (clipped to the picture
// by the loader).
using KeepPart = std::function<Rect(int width, int height)>;

// Empty when the file is missing, unreadable, not a picture, lies about its
// data, would need more than the decoding budget, or nothing of it is kept.
// Metafiles are drawn at their size on the screen, only the kept part.
Picture LoadPicture(const std::string& path, const KeepPart& keep);

// The whole picture stretched to width x height; empty when refused.
MemoryBitmap LoadPictureStretched(const std::string& path, int width, int height);

}  // namespace zindle
