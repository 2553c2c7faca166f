#include "settings/registry_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace zindle {

int32_t QueryTypedValue(RegistryKeyQuery& key, std::string_view name, RegistryValue& result) {
  uint32_t type = 0;
  uint32_t size = 0;
  int32_t status = key.Query(name, &type, nullptr, &size);
  if (status != 0) return status;
  try {
    switch (type) {
      case kRegistryText: {
        // The size comes from the registry, not from us: a value too large to
        // hold ends the read like any other failure.
        std::vector<char> buffer(size, '\0');
        status = key.Query(name, &type, buffer.empty() ? nullptr : buffer.data(), &size);
        if (status != 0) {
          result = std::monostate{};
        } else {
          size_t length = std::min<size_t>(size, buffer.size());
          result = length == 0 ? std::string() : std::string(buffer.data(), strnlen(buffer.data(), length));
        }
        return status;
      }
      case kRegistryNumber: {
        // A number stored with more than its four bytes is read whole and its
        // first four bytes taken: refusing it would read as "no password".
        std::vector<char> buffer(std::max<size_t>(size, sizeof(int32_t)), '\0');
        uint32_t bufferSize = size;
        status = key.Query(name, &type, buffer.data(), &bufferSize);
        if (status == 0) {
          uint32_t bits = 0;  // the registry keeps numbers little-endian
          for (size_t i = 0; i < sizeof(bits); ++i) bits |= uint32_t{static_cast<unsigned char>(buffer[i])} << (8 * i);
          result = static_cast<int32_t>(bits);
        }
        return status;
      }
      default:
        return kUnsupportedType;
    }
  } catch (const std::bad_alloc&) {
    return status;
  }
}

}  // namespace zindle
