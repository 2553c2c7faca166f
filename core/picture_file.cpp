#include "core/picture_file.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/picture_format.h"

namespace zindle {
namespace {

// Bytes [done, total) of the file into `bytes`; false on an error or an early end.
bool ReadRange(uint8_t* bytes, size_t done, size_t total, const ReadPiece& read) {
  while (done < total) {
    size_t came = 0;
    if (!read(bytes + done, std::min(total - done, kPictureReadPiece), came) || came == 0) return false;
    done += std::min(came, total - done);
  }
  return true;
}

// What no decoder is handed: no known kind, a header that lies, or a raster
// picture beyond the decoding budget. A metafile's size waits for the screen.
bool Refused(const PictureHeader& header) {
  return !header || (!header.IsMetafile() && ShownSize(header, 96, 96).width == 0);
}

}  // namespace

FileContents ReadPictureFile(uint64_t size, const ReadPiece& read) {
  if (size == 0 || size > kLargestPictureFile) return {};
  const size_t total = static_cast<size_t>(size);
  const size_t headSize = std::min(total, kPictureHeadBytes);
  std::unique_ptr<uint8_t[]> head(new (std::nothrow) uint8_t[headSize]);
  if (!head || !ReadRange(head.get(), 0, headSize, read)) return {};
  HeadVerdict verdict = ReadPictureHead(head.get(), headSize, size);
  if (verdict.decided && Refused(verdict.header)) return {};
  if (headSize == total) return {std::move(head), total};
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[total]);
  if (!bytes) return {};
  std::memcpy(bytes.get(), head.get(), headSize);
  if (!ReadRange(bytes.get(), headSize, total, read)) return {};
  return {std::move(bytes), total};
}

}  // namespace zindle
