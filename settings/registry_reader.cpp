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
        // Never more than the four bytes of the number, whatever size was told.
        int32_t number = 0;
        uint32_t numberSize = size < sizeof(number) ? size : static_cast<uint32_t>(sizeof(number));
        status = key.Query(name, &type, &number, &numberSize);
        if (status == 0) result = number;
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
