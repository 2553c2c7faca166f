// Picture files chosen by the user, loaded through the system's imaging
// library: bitmaps, metafiles, GIF, icons, JPEG and PNG.
#pragma once
#include <string>

#include "core/handles_win32.h"

namespace zindle {

// The picture at its own size in a 32-bit bitmap with a device context;
// empty (false) when the file is missing, unreadable or not a picture.
MemoryBitmap LoadPictureFile(const std::string& path);

}  // namespace zindle
