// A game controller's reading as a joystick state: the cross over the stick, the triggers on one axis, buttons by layout.
#include <gtest/gtest.h>

#include "platform/plat_input.h"

namespace {

TEST(PlatPad, CrossOverStickTriggersOnZButtonsByLayout) {
  PLAT_PAD_READING pad{};
  pad.left_x = 20000;  // the stick leans right, the cross is held left and down
  pad.buttons[PLAT_PAD_DPAD_LEFT] = pad.buttons[PLAT_PAD_DPAD_DOWN] = 1;
  pad.trigger_left = 10000;
  pad.trigger_right = 32767;
  pad.right_x = -1234;
  pad.buttons[PLAT_PAD_START] = 1;
  PLAT_JOY_STATE j;
  plat_pad_to_joy(&pad, &j);
  EXPECT_EQ(j.x, -32768);
  EXPECT_EQ(j.y, 32767);
  EXPECT_EQ(j.z, -22767);
  EXPECT_EQ(j.rz, -1234);
  for (int b = 0; b < PLAT_JOY_BUTTONS; b++)
    EXPECT_EQ(j.buttons[b], b == PLAT_PAD_START || b == PLAT_PAD_DPAD_LEFT || b == PLAT_PAD_DPAD_DOWN ? 0x80 : 0) << b;
}

}  // namespace
