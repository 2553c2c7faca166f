// What the fuzz targets share: a check that stops the run with its input
// kept, and a reader of the few fixed fields some targets start with.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// libFuzzer keeps the input of any run that aborts; the message says which
// promise the input broke.
#define REQUIRE(condition)                                                          \
  do {                                                                              \
    if (!(condition)) {                                                             \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

namespace zindle::fuzz {

// Little-endian fields from the front of an input; past its end they read 0,
// so that every input, however short, is one case.
class Fields {
 public:
  Fields(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t Take(size_t bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes && at_ < size_; ++i) value |= uint32_t{data_[at_++]} << (8 * i);
    return value;
  }
  std::string_view Rest() const { return {reinterpret_cast<const char*>(data_) + at_, size_ - at_}; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace zindle::fuzz
