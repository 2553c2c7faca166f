// The power-setting notification's structure, as the system or any program
// sending the saver its copy hands it over: any bytes of any length. The
// display's state is found only in one of the display's three settings with
// one 32-bit value, and is that value.
#include <cstring>

#include "saver/audience.h"
#include "tests/fuzz/check.h"

using namespace zindle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so that a read past it is caught.
  uint8_t* bytes = new uint8_t[size ? size : 1];
  if (size) std::memcpy(bytes, data, size);
  std::optional<uint32_t> state = DisplayPowerIn(size ? bytes : nullptr, size);
  if (state) {
    REQUIRE(size >= kPowerSettingHeader + 4);
    bool display = false;
    for (DisplaySetting setting : {DisplaySetting::kMonitorPowerOn, DisplaySetting::kConsoleDisplayState,
                                   DisplaySetting::kSessionDisplayStatus}) {
      const GuidBytes guid = GuidOf(setting);
      display = display || std::memcmp(guid.data(), bytes, guid.size()) == 0;
    }
    REQUIRE(display);
    uint32_t length = 0, value = 0;
    std::memcpy(&length, bytes + 16, 4);
    std::memcpy(&value, bytes + kPowerSettingHeader, 4);
    REQUIRE(length == 4 && *state == value);
  }
  // Whatever it carries, the audience takes it without harm.
  Audience audience;
  if (state) audience.Display(*state);
  delete[] bytes;
  return 0;
}
