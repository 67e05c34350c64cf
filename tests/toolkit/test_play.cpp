// Players: registration and default bindings, configuration priority, set-up codes, errors.
#include <cstring>
#include <string>

#include "core/vx_list.h"
#include "core/vx_mem.h"
#include "tests/toolkit/test_inp_fixture.h"
#include "toolkit/vx_play.h"

namespace {

class PlayTest : public InpTest {
 protected:
  VX_PLAY_SETTINGS play_settings = {0};
  VX_PLAYER one{}, two{};
  uint32_t pad_one = 0, pad_two = 0;
  void attach_devices() override {
    pad_one = plat_null_input_joystick_attach(2, 8);
    pad_two = plat_null_input_joystick_attach(2, 8);
  }
  void SetUp() override {
    InpTest::SetUp();
    VX_ERROR_SETTINGS es = {0};
    vx_list_init(&es);
    ASSERT_EQ(vx_mem_init(nullptr), 1);
    ASSERT_EQ(vx_play_init(&play_settings), 1);
    poll();  // the first poll acquires the devices: joysticks and the mouse read from the next
  }
  void TearDown() override {
    vx_play_deinit();
    EXPECT_EQ(vx_mem_deinit(), 1) << "binding records left behind";
    vx_list_deinit();
    InpTest::TearDown();
  }
  // Polls the devices and updates the players.
  static void frame(int polls = 1) {
    poll(polls);
    vx_play_update();
  }
  static bool player_error(int code) {
    return std::string(vx_error_module_name(vx_error_current_module())) == "Player" &&
           vx_error_current_code() == code;
  }
};

// ---------------------------------------------------------------- registration

TEST_F(PlayTest, AddZeroesTheRecordAndNumbersInOrder) {
  std::memset(&one, 0xAA, sizeof one);
  ASSERT_EQ(vx_play_add(&one), 1);
  for (size_t i = 0; i < sizeof one; i++) ASSERT_EQ(reinterpret_cast<uint8_t*>(&one)[i], 0) << i;
  ASSERT_EQ(vx_play_add(&two), 1);
  EXPECT_EQ(vx_play_number(&one), 0);
  EXPECT_EQ(vx_play_number(&two), 1);
  EXPECT_EQ(vx_play_count(), 2);
  EXPECT_EQ(vx_play_add(&one), 0);  // already registered
  EXPECT_EQ(vx_play_count(), 2);
}

TEST_F(PlayTest, DefaultBindingsOfTheFirstPlayer) {
  ASSERT_EQ(vx_play_add(&one), 1);
  const int key[] = {200, 208, 203, 205, 23, 24, 57, 28, 28, 1};
  const int mouse[] = {400, 401, 402, 403, 404, 405, 408, 409, 28, 1};
  const int joy[] = {500, 501, 502, 503, 504, 505, 508, 509, 28, 1};
  for (int c = 1; c <= VX_PLAY_CONFIGS; c++) {
    for (int a = 0; a < VX_PLAY_ACTIONS; a++) {
      EXPECT_EQ(vx_play_binding(&one, c, a, 0), key[a]) << c << "/" << a;
      EXPECT_EQ(vx_play_binding(&one, c, a, 400), mouse[a]) << c << "/" << a;
      EXPECT_EQ(vx_play_binding(&one, c, a, 500), joy[a]) << c << "/" << a;
    }
    EXPECT_EQ(vx_play_enabled(&one, c), c == 1) << c;
  }
}

// ---------------------------------------------------------------- update

TEST_F(PlayTest, KeyMouseAndJoystickAreOred) {
  ASSERT_EQ(vx_play_add(&one), 1);
  key(USB_UP, 1);
  plat_null_input_mouse_move(0, -20, 0);
  frame();
  EXPECT_EQ(one.actions[0], 128 | 20);
  frame();
  EXPECT_EQ(one.actions[0], 128);  // the pad is cleared at every poll
  key(USB_UP, 0);
  plat_null_input_joystick_axes(pad_one, 0, -(16383 + 8192), 0, 0);
  frame();
  EXPECT_EQ(one.actions[0], 64);
  for (int a = 1; a < VX_PLAY_ACTIONS; a++) EXPECT_EQ(one.actions[a], 0) << a;
}

TEST_F(PlayTest, ActionsAreLevelValues) {
  ASSERT_EQ(vx_play_add(&one), 1);
  key(USB_SPACE, 1);
  frame();
  EXPECT_EQ(one.actions[6], 128);
  key(USB_SPACE, 0);
  frame();
  EXPECT_EQ(one.actions[6], 0);
  key(USB_ENTER, 1);
  frame();
  EXPECT_EQ(one.actions[7], 128);
  EXPECT_EQ(one.actions[8], 128);  // Enter is bound to actions 7 and 8
}

TEST_F(PlayTest, EachPlayerReadsItsOwnJoystick) {
  ASSERT_EQ(vx_play_add(&one), 1);
  ASSERT_EQ(vx_play_add(&two), 1);
  plat_null_input_joystick_button(pad_two, 0, 1);
  plat_null_input_joystick_axes(pad_two, 32767, 0, 0, 0);
  frame(2);
  EXPECT_EQ(nums(two.actions[6], two.actions[3], one.actions[6], one.actions[3]), nums(128, 128, 0, 0));
  EXPECT_EQ(std::memcmp(two.joystick, vx_inp_joystick_block(1), 40), 0);
  EXPECT_EQ(nums(two.joystick[8], one.joystick[8]), nums(128, 0));
}

TEST_F(PlayTest, FirstEnabledConfigurationWins) {
  ASSERT_EQ(vx_play_add(&one), 1);
  // Configuration 1: action 6 on Space only. Configuration 2: on the
  // joystick's right direction only.
  const int16_t no_mouse[] = {-1, -1, -1, -1, -1, -1, -3, -1, -1, -1};
  const int16_t no_joy[] = {-1, -1, -1, -1, -1, -1, -4, -1, -1, -1};
  const int16_t no_key[] = {-1, -1, -1, -1, -1, -1, -2, -1, -1, -1};
  ASSERT_EQ(vx_play_setup_list(&one, no_mouse, 1), 1);
  ASSERT_EQ(vx_play_setup_list(&one, no_joy, 1), 1);
  ASSERT_EQ(vx_play_setup_list(&one, no_key, 2), 1);
  ASSERT_EQ(vx_play_setup_list(&one, no_mouse, 2), 1);
  ASSERT_EQ(vx_play_setup(&one, 2, -1, -1, -1, -1, -1, -1, 503, -1, -1, -1), 1);
  EXPECT_EQ(vx_play_enabled(&one, 2), 1);
  plat_null_input_joystick_axes(pad_one, 16383 + 8192, 0, 0, 0);
  key(USB_SPACE, 1);
  frame(2);
  EXPECT_EQ(one.actions[6], 128);  // both active: configuration 1's value
  key(USB_SPACE, 0);
  frame();
  EXPECT_EQ(one.actions[6], 64);  // only the joystick: configuration 2's
  plat_null_input_joystick_axes(pad_one, 0, 0, 0, 0);
  frame();
  EXPECT_EQ(one.actions[6], 0);
}

TEST_F(PlayTest, DisabledConfigurationsAreSkipped) {
  ASSERT_EQ(vx_play_add(&one), 1);
  const int16_t unbind_key[] = {-2, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  ASSERT_EQ(vx_play_setup_list(&one, unbind_key, 1), 1);
  key(USB_UP, 1);
  frame();
  // Configurations 2-5 hold the Up key by default, but are not enabled.
  EXPECT_EQ(one.actions[0], 0);
  ASSERT_EQ(vx_play_setup(&one, 4, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1), 1);
  frame();
  EXPECT_EQ(one.actions[0], 128);
}

// ---------------------------------------------------------------- set-up

TEST_F(PlayTest, TheGamesPlayerOneKeys) {
  ASSERT_EQ(vx_play_add(&one), 1);
  ASSERT_EQ(vx_play_setup(&one, 1, 200, 208, 203, 205, 23, 24, 57, 28, 49, 1), 1);
  EXPECT_EQ(vx_play_binding(&one, 1, 8, 0), 49);
  EXPECT_EQ(vx_play_binding(&one, 1, 8, 400), 28);  // the other slots keep their defaults
  EXPECT_EQ(vx_play_binding(&one, 2, 8, 0), 28);    // and so do the other configurations
  key(USB_N, 1);
  frame();
  EXPECT_EQ(one.actions[8], 128);
}

}  // namespace
