// Joysticks in the input layer: axis scaling, blocks, the table as devices come and go, calibration.
#include <string>

#include "tests/toolkit/test_inp_fixture.h"

namespace {

// ---------------------------------------------------------------- axis scaling
// Half of the travel around the centre reads 0; the other half is spread
// linearly over 1-128 (32767 - 16383 = 16384 raw units for 128 steps).
TEST(InpAxis, DeadZoneIsHalfTheTravel) {
  EXPECT_EQ(vx_inp_axis(0), 0);
  EXPECT_EQ(vx_inp_axis(10000), 0);
  EXPECT_EQ(vx_inp_axis(16383), 0);
  EXPECT_EQ(vx_inp_axis(-16383), 0);
  EXPECT_EQ(vx_inp_axis(16383 + 128), 1);
  EXPECT_EQ(vx_inp_axis(-(16383 + 128)), -1);
}

// ---------------------------------------------------------------- blocks

class InpJoy : public InpTest {
 protected:
  uint32_t first = 0, second = 0;
  void attach_devices() override {
    first = plat_null_input_joystick_attach(2, 10);
    second = plat_null_input_joystick_attach(4, 32);
  }
  // The index of the module's "Input" error module, for checking raised codes.
  static bool input_error(int code) {
    return std::string(vx_error_module_name(vx_error_current_module())) == "Input" &&
           vx_error_current_code() == code;
  }
};

TEST_F(InpJoy, TwoJoysticksButtonOnTheSecond) {
  EXPECT_EQ(vx_inp_joystick_count(), 2);
  plat_null_input_joystick_button(second, 0, 1);
  poll();  // the devices are acquired: the blocks stay clear this frame
  EXPECT_EQ(vx_inp_state(508), 0);
  poll();
  EXPECT_EQ(nums(vx_inp_state(508), vx_inp_state_of(0, 508), vx_inp_state_of(1, 508)), nums(128, 0, 128));
  plat_null_input_joystick_button(second, 0, 0);
  poll();
  EXPECT_EQ(vx_inp_state(508), 0);
  EXPECT_EQ(vx_inp_released(508), 1);  // released on any joystick
  poll();
  EXPECT_EQ(vx_inp_released(508), 0);
}

TEST_F(InpJoy, StateTakesTheFirstNonZeroJoystick) {
  plat_null_input_joystick_axes(first, 32767, 0, 0, 0);
  plat_null_input_joystick_axes(second, 16383 + 8192, 0, 0, 0);
  poll(2);
  EXPECT_EQ(vx_inp_state(503), 128);
  plat_null_input_joystick_axes(first, 0, 0, 0, 0);
  poll();
  EXPECT_EQ(vx_inp_state(503), 64);
}

TEST_F(InpJoy, AxesFillTheirDirections) {
  plat_null_input_joystick_axes(second, -32768, 32767, -32768, 32767);
  plat_null_input_joystick_button(second, 31, 1);
  poll(2);
  const uint8_t* b = vx_inp_joystick_block(1);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b[0], 0);    // up
  EXPECT_EQ(b[1], 128);  // down
  EXPECT_EQ(b[2], 128);  // left
  EXPECT_EQ(b[3], 0);    // right
  EXPECT_EQ(b[4], 128);  // Z below the centre
  EXPECT_EQ(nums(b[5], b[6]), nums(0, 0));
  EXPECT_EQ(b[7], 128);  // rotation Z above
  EXPECT_EQ(b[39], 128);  // button 32
  EXPECT_EQ(vx_inp_state_of(1, 539), 128);
}

TEST_F(InpJoy, LostInputClearsOneFrame) {
  plat_null_input_joystick_button(first, 1, 1);
  poll(2);
  EXPECT_EQ(vx_inp_state_of(0, 509), 128);
  plat_null_input_joystick_lose(first);
  poll();
  EXPECT_EQ(vx_inp_state_of(0, 509), 0);
  poll();
  EXPECT_EQ(vx_inp_state_of(0, 509), 128);
}

// ---------------------------------------------------------------- calibration

}  // namespace
