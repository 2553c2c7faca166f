// A picture file's bytes, read whole into memory before anything is measured
// or decoded: what is measured is then what is decoded, whatever another
// program writes to the file meanwhile, and a read that fails (a network
// share gone, a disk pulled out) refuses the picture where a view of the file
// would end the process. Its header is judged first, from the file's first
// bytes: a file it refuses is not read on, perhaps a gigabyte from a share.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace zindle {

// A picture file larger than this is refused unread.
inline constexpr uint64_t kLargestPictureFile = uint64_t{1} << 30;

// Reads are asked for in pieces of at most this many bytes.
inline constexpr size_t kPictureReadPiece = size_t{1} << 24;

struct FileContents {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
  explicit operator bool() const { return bytes != nullptr; }
};

// Reads up to `count` bytes into `into` at the file's current place and says
// how many came; false on a read error. No bytes and true: the file ended.
using ReadPiece = std::function<bool(uint8_t* into, size_t count, size_t& read)>;

// The first bytes read before the rest: the header of nearly every picture
// lies within them.
inline constexpr size_t kPictureHeadBytes = size_t{1} << 16;

// The `size` bytes the file says it holds, read piece by piece, the header
// found in the first kPictureHeadBytes judged before the rest is read: a file
// of no known kind, or whose header lies or asks for more than a decoder may
// hold, is refused there; only a header that reaches further needs the whole
// file to tell. Empty for an empty file, one larger than kLargestPictureFile,
// a read error, a file that ends before its size, or no memory for it.
FileContents ReadPictureFile(uint64_t size, const ReadPiece& read);

}  // namespace zindle
