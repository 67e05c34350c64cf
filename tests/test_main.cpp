// Test entry: message boxes are printed instead of shown, then GoogleTest runs.
#include <gtest/gtest.h>
#include "platform/platform.h"

int main(int argc, char** argv) {
  plat_set_boxes(0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
