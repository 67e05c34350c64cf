// The input layer over the SDL build's joystick reading, driven by SDL's virtual joysticks.
#include <gtest/gtest.h>
#include <SDL.h>

#include "core/vx_error.h"
#include "tests/support/engine_fixture.h"
#include "toolkit/vx_inp.h"

namespace {

class InpSdl : public testing::Test {
 protected:
  VX_INP_SETTINGS settings = {0, 0};
  SDL_Joystick* handles[4] = {};
  int handle_count = 0;
  void SetUp() override {
    VX_ERROR_SETTINGS es = {0};
    vx_error_init(&es);
    ASSERT_EQ(vx_inp_init(&settings), 1);
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "real joysticks are attached";
  }
  void TearDown() override {
    for (int i = 0; i < handle_count; i++) {
      SDL_JoystickID id = SDL_JoystickInstanceID(handles[i]);
      SDL_JoystickClose(handles[i]);
      for (int d = 0; d < SDL_NumJoysticks(); d++)
        if (SDL_JoystickGetDeviceInstanceID(d) == id) SDL_JoystickDetachVirtual(d);
    }
    vx_inp_deinit();
    vx_error_deinit();
  }
  // Attaches a virtual device and keeps a handle of the test's own to move it.
  SDL_Joystick* attach(SDL_JoystickType type, int axes, int buttons, int hats) {
    int index = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
    EXPECT_GE(index, 0) << SDL_GetError();
    if (index < 0) return nullptr;
    SDL_Joystick* j = SDL_JoystickOpen(index);
    EXPECT_NE(j, nullptr) << SDL_GetError();
    handles[handle_count++] = j;
    return j;
  }
};

TEST_F(InpSdl, TwoJoysticksButtonOnTheSecond) {
  SDL_Joystick* a = attach(SDL_JOYSTICK_TYPE_ARCADE_STICK, 4, 12, 0);
  SDL_Joystick* b = attach(SDL_JOYSTICK_TYPE_ARCADE_STICK, 4, 12, 0);
  ASSERT_TRUE(a && b);
  SDL_JoystickSetVirtualButton(b, 0, SDL_PRESSED);
  vx_inp_poll();  // the new devices are opened and acquired
  vx_inp_poll();
  EXPECT_EQ(nums(vx_inp_joystick_count(), vx_inp_state(508), vx_inp_state_of(0, 508), vx_inp_state_of(1, 508)),
            nums(2, 128, 0, 128));
  SDL_JoystickSetVirtualButton(b, 0, SDL_RELEASED);
  vx_inp_poll();
  EXPECT_EQ(vx_inp_released(508), 1);
}

TEST_F(InpSdl, AxesAndHatOfAPlainJoystick) {
  SDL_Joystick* j = attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 4, 4, 1);
  ASSERT_TRUE(j);
  SDL_JoystickSetVirtualAxis(j, 0, -32768);
  SDL_JoystickSetVirtualAxis(j, 1, 16383 + 8192);
  SDL_JoystickSetVirtualAxis(j, 2, 32767);
  SDL_JoystickSetVirtualAxis(j, 3, 1000);  // inside the dead zone
  vx_inp_poll();
  vx_inp_poll();
  EXPECT_EQ(nums(vx_inp_state_of(0, 502), vx_inp_state_of(0, 501), vx_inp_state_of(0, 505), vx_inp_state_of(0, 506),
                 vx_inp_state_of(0, 507)),
            nums(128, 64, 128, 0, 0));
  // The hat pushes the stick fully over.
  SDL_JoystickSetVirtualAxis(j, 0, 0);
  SDL_JoystickSetVirtualAxis(j, 1, 0);
  SDL_JoystickSetVirtualHat(j, 0, SDL_HAT_UP);
  vx_inp_poll();
  EXPECT_EQ(nums(vx_inp_state_of(0, 500), vx_inp_state_of(0, 502)), nums(128, 0));
}

}  // namespace
