#include "core/picture_file.h"

#include <algorithm>
#include <new>

namespace zindle {

FileContents ReadWholeFile(uint64_t size, const ReadPiece& read) {
  if (size == 0 || size > kLargestPictureFile) return {};
  const size_t total = static_cast<size_t>(size);
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[total]);
  if (!bytes) return {};
  for (size_t done = 0; done < total;) {
    size_t came = 0;
    if (!read(bytes.get() + done, std::min(total - done, kPictureReadPiece), came) || came == 0) return {};
    done += std::min(came, total - done);
  }
  return {std::move(bytes), total};
}

}  // namespace zindle
