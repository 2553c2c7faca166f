// The system's password setting, "ScreenSaveUsePassword", stored with any
// type and any number of bytes, read through a key that behaves as the
// registry does: it reports the type and size, fills no more than the buffer
// it is given, says when that buffer is too small, and may fail or find the
// value changed between the two reads.
//
// Input: one byte of flags (bit 0: the first read fails, bit 1: the second
// read fails, bit 2: the value changes between the reads, bit 3: a buffer too
// small is scribbled on), the type and the changed type (32 bits each), the
// length of the first value (16 bits, when it changes), then the bytes.
#include <cstring>
#include <string>

#include "saver/saver_rules.h"
#include "settings/registry_reader.h"
#include "tests/fuzz/check.h"

using namespace zindle;

namespace {

constexpr int32_t kFileNotFound = 2, kAccessDenied = 5, kMoreData = 234;

struct StoredValue {
  uint32_t type = 0;
  std::string bytes;
};

class ChangingKey : public RegistryKeyQuery {
 public:
  ChangingKey(uint32_t flags, StoredValue first, StoredValue second)
      : flags_(flags), first_(std::move(first)), second_(std::move(second)) {}
  int32_t Query(std::string_view, uint32_t* type, void* data, uint32_t* size) override {
    ++reads_;
    if (reads_ == 1 && (flags_ & 1)) return kFileNotFound;
    if (reads_ > 1 && (flags_ & 2)) return kAccessDenied;
    const StoredValue& value = reads_ == 1 ? first_ : second_;
    *type = value.type;
    uint32_t needed = static_cast<uint32_t>(value.bytes.size());
    if (data == nullptr) {
      *size = needed;
      return 0;
    }
    if (*size < needed) {
      if (flags_ & 8) std::memset(data, 0xA5, *size);
      *size = needed;
      return kMoreData;
    }
    std::memcpy(data, value.bytes.data(), needed);
    *size = needed;
    return 0;
  }

 private:
  uint32_t flags_;
  StoredValue first_, second_;
  int reads_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Fields fields(data, size);
  uint32_t flags = fields.Take(1);
  StoredValue first, second;
  first.type = fields.Take(4);
  uint32_t changedType = fields.Take(4);
  size_t firstLength = fields.Take(2);
  std::string_view bytes = fields.Rest();
  if (flags & 4) {
    first.bytes = std::string(bytes.substr(0, firstLength));
    second = {changedType, std::string(bytes.substr(std::min(firstLength, bytes.size())))};
  } else {
    first.bytes = std::string(bytes);
    second = first;
  }

  ChangingKey key(flags, first, second);
  const RegistryValue before = std::string("what the caller held");
  RegistryValue result = before;
  QueryTypedValue(key, "ScreenSaveUsePassword", result);

  bool firstFails = flags & 1, secondFails = flags & 2;
  bool secondFits = !secondFails && second.bytes.size() <= first.bytes.size();
  if (firstFails || (first.type != kRegistryText && first.type != kRegistryNumber)) {
    REQUIRE(result == before);
  } else if (first.type == kRegistryText) {
    // A text: what was read up to its first terminator, or empty.
    if (const std::string* text = std::get_if<std::string>(&result)) {
      REQUIRE(text->find('\0') == std::string::npos);
      // An empty value asks for no bytes the second time, whatever it holds by then.
      if (!first.bytes.empty()) {
        REQUIRE(secondFits);
        REQUIRE(second.bytes.compare(0, text->size(), *text) == 0);
        REQUIRE(text->size() == second.bytes.size() || second.bytes[text->size()] == '\0');
      } else {
        REQUIRE(text->empty());
      }
    } else {
      REQUIRE(std::holds_alternative<std::monostate>(result));
    }
  } else {
    // A number: its first four bytes, little-endian, as many as there are.
    if (const int32_t* number = std::get_if<int32_t>(&result)) {
      REQUIRE(secondFits);
      uint32_t bits = 0;
      for (size_t i = 0; i < 4 && i < second.bytes.size(); ++i)
        bits |= uint32_t{static_cast<uint8_t>(second.bytes[i])} << (8 * i);
      REQUIRE(*number == static_cast<int32_t>(bits));
    } else {
      REQUIRE(result == before);
    }
  }

  // The saver's flag: a number is on exactly when it is not 0, however large;
  // a read that found nothing is off.
  int16_t flag = PasswordFlagFrom(result);
  if (const int32_t* number = std::get_if<int32_t>(&result)) REQUIRE((flag != 0) == (*number != 0));
  if (std::holds_alternative<std::monostate>(result)) REQUIRE(flag == 0);
  return 0;
}
