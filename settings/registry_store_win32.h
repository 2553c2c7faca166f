// The settings store in the registry, where the classic per-user program
// settings live, so that settings saved by earlier releases are found:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>.
#pragma once
#include "settings/settings_store.h"

namespace zindle {

class RegistrySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> Read(std::string_view app, std::string_view section,
                                  std::string_view key) override;
  bool Save(std::string_view app, std::string_view section, std::string_view key,
            std::string_view text) override;
  void Delete(std::string_view app, std::string_view section) override;
};

}  // namespace zindle
