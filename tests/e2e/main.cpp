// The end-to-end scenarios run as a Windows program under Wine.
#include <gtest/gtest.h>

#include "harness.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The scenarios measure the program's windows in the screen's own pixels:
  // a test unaware of the display's scale is told sizes scaled back to 96 DPI.
  using SetAwarenessFn = BOOL(WINAPI*)(HANDLE);
  if (auto set = reinterpret_cast<SetAwarenessFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))))
    set(reinterpret_cast<HANDLE>(-4));  // per monitor, version 2
  if (e2e::ScrPath().empty()) {
    fprintf(stderr, "ZINDLE_SCR must name the program under test\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
