// What the program's thread takes from its queue, as a hook loaded into the
// program writes it down: the layout of the memory that the hook and the
// scenarios share, the same in 32-bit and 64-bit builds.
#pragma once
#include <windows.h>

#include <cstdint>

namespace e2e {

inline constexpr wchar_t kWitnessMemory[] = L"Local\\ZindleTestInputWitness";
inline constexpr wchar_t kWitnessReady[] = L"Local\\ZindleTestInputWitnessReady";
inline constexpr char kWitnessHook[] = "WitnessGetMessage";

// One key or mouse message, as the thread took it.
struct WitnessEntry {
  uint32_t message;
  uint32_t wParam;  // the key, or the buttons held
  int32_t x, y;     // where the pointer was, in screen coordinates
};

struct WitnessLog {
  static constexpr uint32_t kEntries = 4096;
  volatile LONG count;  // entries written so far; each is complete before it counts
  WitnessEntry entries[kEntries];
};

}  // namespace e2e
