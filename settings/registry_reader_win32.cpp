#include "settings/registry_reader_win32.h"

#include "core/handles_win32.h"

namespace zindle {
namespace {

// Names travel in the ANSI code page, as the values they name were written.
class OpenKey : public RegistryKeyQuery {
 public:
  explicit OpenKey(HKEY key) : key_(key) {}
  int32_t Query(std::string_view name, uint32_t* type, void* data, uint32_t* size) override {
    std::string text(name);
    DWORD valueType = 0;
    DWORD valueSize = *size;
    LONG status = RegQueryValueExA(key_, text.c_str(), nullptr, &valueType, static_cast<BYTE*>(data),
                                   &valueSize);
    *type = valueType;
    *size = valueSize;
    return static_cast<int32_t>(status);
  }

 private:
  HKEY key_;
};

}  // namespace

int32_t QueryTypedValue(HKEY key, const std::string& valueName, RegistryValue& result) {
  OpenKey open(key);
  return QueryTypedValue(open, valueName, result);
}

RegistryValue ReadRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName) {
  RegistryValue result;
  HKEY raw = nullptr;
  // Reading values needs no more than this; asking for all access can fail
  // where reading would work.
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return result;
  RegKey key(raw);
  QueryTypedValue(key.get(), valueName, result);
  return result;
}

}  // namespace zindle
