// The end-to-end scenarios run as a Windows program under Wine.
#include <gtest/gtest.h>

#include "harness.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (e2e::ScrPath().empty()) {
    fprintf(stderr, "ZINDLE_SCR must name the program under test\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
