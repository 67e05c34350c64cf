// A game controller's reading as a joystick state: the cross over the stick, the triggers on one axis, buttons by layout.
#include <gtest/gtest.h>

#include "platform/plat_input.h"

namespace {

TEST(PlatPad, TheCrossPushesTheStickFullyOver) {
  PLAT_PAD_READING pad{};
  pad.left_x = 20000;  // the stick leans right and down
  pad.left_y = 9000;
  PLAT_JOY_STATE j;
  plat_pad_to_joy(&pad, &j);
  EXPECT_EQ(j.x, 20000);
  EXPECT_EQ(j.y, 9000);
  pad.buttons[PLAT_PAD_DPAD_LEFT] = 1;
  pad.buttons[PLAT_PAD_DPAD_UP] = 1;
  plat_pad_to_joy(&pad, &j);
  EXPECT_EQ(j.x, -32768) << "the cross wins over the stick";
  EXPECT_EQ(j.y, -32768);
  pad = PLAT_PAD_READING{};
  pad.buttons[PLAT_PAD_DPAD_RIGHT] = pad.buttons[PLAT_PAD_DPAD_DOWN] = 1;
  plat_pad_to_joy(&pad, &j);
  EXPECT_EQ(j.x, 32767);
  EXPECT_EQ(j.y, 32767);
}

TEST(PlatPad, TriggersShareTheZAxisAndTheRightStickIsRotation) {
  struct {
    int32_t left, right, z;
  } cases[] = {{0, 0, 0}, {32767, 0, 32767}, {0, 32767, -32767}, {32767, 32767, 0}, {10000, 4000, 6000}};
  for (const auto& c : cases) {
    PLAT_PAD_READING pad{};
    pad.trigger_left = c.left;
    pad.trigger_right = c.right;
    pad.right_x = -1234;
    pad.right_y = 31000;  // not read: four axes are all a joystick block holds
    PLAT_JOY_STATE j;
    plat_pad_to_joy(&pad, &j);
    EXPECT_EQ(j.z, c.z) << c.left << " " << c.right;
    EXPECT_EQ(j.rz, -1234);
    EXPECT_EQ(j.x, 0);
    EXPECT_EQ(j.y, 0);
  }
}

TEST(PlatPad, EachButtonIsTheJoystickButtonOfItsPlaceInTheLayout) {
  for (int b = 0; b < PLAT_PAD_BUTTONS; b++) {
    PLAT_PAD_READING pad{};
    pad.buttons[b] = 1;
    PLAT_JOY_STATE j;
    plat_pad_to_joy(&pad, &j);
    for (int k = 0; k < PLAT_JOY_BUTTONS; k++) EXPECT_EQ(j.buttons[k], k == b ? 0x80 : 0) << b << " " << k;
  }
  PLAT_JOY_STATE j;
  j.x = 5;
  plat_pad_to_joy(nullptr, &j);
  EXPECT_EQ(j.x, 0) << "no reading is a pad at rest";
}

}  // namespace
