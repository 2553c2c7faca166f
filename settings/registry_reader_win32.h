// The registry reader on the system registry.
#pragma once
#include <windows.h>

#include <string>

#include "settings/registry_reader.h"

namespace zindle {

// One value of a key under the root; empty when the key or the value is
// missing, of another type, or cannot be read. The key is opened for reading
// values only and closed again only when it was opened.
RegistryValue ReadRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName);

// The typed query on a key that is already open.
int32_t QueryTypedValue(HKEY key, const std::string& valueName, RegistryValue& result);

}  // namespace zindle
