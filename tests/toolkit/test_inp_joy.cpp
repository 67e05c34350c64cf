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

TEST(InpAxis, FullTravelIs128) {
  EXPECT_EQ(vx_inp_axis(32767), 128);
  EXPECT_EQ(vx_inp_axis(-32768), -128);
  EXPECT_EQ(vx_inp_axis(-32767), -128);
  EXPECT_EQ(vx_inp_axis(16383 + 8192), 64);  // three quarters of the travel: halfway past the dead zone
  EXPECT_EQ(vx_inp_axis(1000000), 128);      // out-of-range values saturate
  EXPECT_EQ(vx_inp_axis(-1000000), -128);
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

TEST_F(InpJoy, TwoAxisDeviceIgnoresZ) {
  plat_null_input_joystick_axes(first, 0, -32768, 32767, 32767);
  poll(2);
  EXPECT_EQ(nums(vx_inp_state_of(0, 500), vx_inp_state_of(0, 505), vx_inp_state_of(0, 507)), nums(128, 0, 0));
}

TEST_F(InpJoy, InsideTheDeadZoneReadsNothing) {
  plat_null_input_joystick_axes(first, 16000, -16000, 0, 0);
  poll(2);
  for (int c = 500; c < 508; c++) EXPECT_EQ(vx_inp_state(c), 0) << c;
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

TEST_F(InpJoy, SlotsStayPutWhileDevicesComeAndGo) {
  plat_null_input_joystick_button(second, 2, 1);
  plat_null_input_joystick_detach(first);
  poll(2);
  EXPECT_EQ(nums(vx_inp_joystick_count(), vx_inp_joystick_present(0)), nums(1, 0));
  EXPECT_EQ(vx_inp_state_of(1, 510), 128);  // the second joystick keeps its number
  uint32_t third = plat_null_input_joystick_attach(2, 4);
  plat_null_input_joystick_button(third, 0, 1);
  poll(2);
  EXPECT_EQ(vx_inp_joystick_present(0), 1);  // the newcomer takes the free slot
  EXPECT_EQ(nums(vx_inp_state_of(0, 508), vx_inp_state_of(1, 508)), nums(128, 0));
}

TEST_F(InpJoy, ADeviceThatDoesNotOpenIsAbsent) {
  uint32_t broken = plat_null_input_joystick_attach(2, 2);
  plat_null_input_joystick_refuse_open(broken, 1);
  poll();
  EXPECT_TRUE(input_error(VX_INP_ERR_JOY_CREATE));
  EXPECT_EQ(nums(vx_inp_joystick_count(), vx_inp_joystick_present(2)), nums(2, 0));
}

TEST_F(InpJoy, SeventeenthJoystickShowsTheBoxOnce) {
  for (int i = 0; i < 15; i++) plat_null_input_joystick_attach(2, 2);
  testing::internal::CaptureStderr();
  poll();
  plat_null_input_joystick_attach(2, 2);  // an 18th: no second box
  poll();
  std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(vx_inp_joystick_count(), 16);
  const std::string box =
      "vx_inp_init_joy (): More than 16 joysticks connected to this computer!?!? You must be kidding!";
  size_t at = out.find(box);
  EXPECT_NE(at, std::string::npos) << out;
  EXPECT_EQ(out.find(box, at + 1), std::string::npos) << out;
}

TEST_F(InpJoy, BlocksOutsideTheTable) {
  EXPECT_EQ(vx_inp_joystick_block(-1), nullptr);
  EXPECT_EQ(vx_inp_joystick_block(16), nullptr);
  EXPECT_NE(vx_inp_joystick_block(15), nullptr);
  EXPECT_EQ(vx_inp_joystick_present(16), 0);
}

// ---------------------------------------------------------------- calibration

TEST_F(InpJoy, CentredJoysticksPassTheCheck) {
  plat_null_input_joystick_axes(first, 2000, -3000, 0, 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(vx_inp_check_joysticks(), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(vx_inp_joystick_count(), 2);
}

TEST_F(InpJoy, AStickOffCentreIsRemoved) {
  plat_null_input_joystick_axes(second, 0, 32767, 0, 0);  // one axis only: 1000 of 2000 readings
  testing::internal::CaptureStderr();
  EXPECT_EQ(vx_inp_check_joysticks(), 0);
  std::string out = testing::internal::GetCapturedStderr();
  EXPECT_NE(out.find("Warning!: Warning!  Your joystick appears to be uncalibrated!\nYou should either "
                     "calibrate it or disable it.\n\nUntil your joystick is successfully calibrated, you "
                     "will not be able to use the joystick with this program."),
            std::string::npos)
      << out;
  EXPECT_EQ(nums(vx_inp_joystick_count(), vx_inp_joystick_present(1)), nums(1, 0));
  // It stays out when the table is enumerated again, until it is unplugged.
  plat_null_input_joystick_attach(2, 2);
  poll(2);
  EXPECT_EQ(nums(vx_inp_joystick_count(), vx_inp_state(501)), nums(2, 0));
}

}  // namespace
