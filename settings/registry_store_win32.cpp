#include "settings/registry_store_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/handles_win32.h"
#include "settings/registry_reader.h"

namespace zindle {
namespace {

constexpr wchar_t kRoot[] = L"Software\\VB and VBA Program Settings";

std::wstring AppPath(std::string_view app) { return std::wstring(kRoot) + L"\\" + Wide(app); }

std::wstring SectionPath(std::string_view app, std::string_view section) {
  return AppPath(app) + L"\\" + Wide(section);
}

}  // namespace

std::optional<std::string> RegistrySettingsStore::Read(std::string_view app, std::string_view section,
                                                       std::string_view key) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), 0, KEY_QUERY_VALUE, &raw) !=
      ERROR_SUCCESS)
    return std::nullopt;
  RegKey opened(raw);
  std::wstring name = Wide(key);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type == REG_DWORD) {
    // Not what the program writes, but a number set by hand is still a
    // number, read as the registry reader reads one.
    std::vector<BYTE> bytes(std::max<DWORD>(size, sizeof(DWORD)));
    if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
      return std::nullopt;
    return std::to_string(NumberFromRegistryBytes(bytes.data(), size));
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
  return Narrow(buffer);
}

bool RegistrySettingsStore::Save(std::string_view app, std::string_view section, std::string_view key,
                                 std::string_view text) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &raw, nullptr) != ERROR_SUCCESS)
    return false;
  RegKey created(raw);
  std::wstring value = Wide(text);
  return RegSetValueExW(created.get(), Wide(key).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void RegistrySettingsStore::Delete(std::string_view app, std::string_view section) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AppPath(app).c_str(), 0, KEY_READ | KEY_WRITE, &raw) != ERROR_SUCCESS)
    return;
  RegKey parent(raw);
  // A section holds only values, so deleting its key removes all of it.
  RegDeleteKeyW(parent.get(), Wide(section).c_str());
}

}  // namespace zindle
