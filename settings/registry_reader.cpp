#include "settings/registry_reader.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace zindle {

int32_t NumberFromRegistryBytes(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  uint32_t bits = 0;
  for (size_t i = 0; i < std::min<size_t>(size, sizeof(bits)); ++i) bits |= uint32_t{bytes[i]} << (8 * i);
  return static_cast<int32_t>(bits);
}

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
        // Read whole, whatever its size.
        std::vector<char> buffer(std::max<size_t>(size, sizeof(int32_t)), '\0');
        uint32_t bufferSize = size;
        status = key.Query(name, &type, buffer.data(), &bufferSize);
        if (status == 0) result = NumberFromRegistryBytes(buffer.data(), std::min<size_t>(bufferSize, buffer.size()));
        return status;
      }
      default:
        return kUnsupportedType;
    }
  } catch (const std::exception&) {
    // No room for the value (or more than a vector can hold, on 32 bits).
    if (type == kRegistryText) result = std::monostate{};
    return kOutOfMemory;
  }
}

}  // namespace zindle
