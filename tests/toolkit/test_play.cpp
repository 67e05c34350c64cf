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

TEST_F(PlayTest, SwappedButtonsExchangeTheMouseDefaults) {
  vx_inp_deinit();
  plat_null_input_set_swapped(1);
  ASSERT_EQ(vx_inp_init(&settings), 1);
  ASSERT_EQ(vx_play_add(&one), 1);
  EXPECT_EQ(vx_play_binding(&one, 1, 6, 400), 409);
  EXPECT_EQ(vx_play_binding(&one, 3, 7, 400), 408);
}

TEST_F(PlayTest, LaterPlayersHaveNoMouse) {
  ASSERT_EQ(vx_play_add(&one), 1);
  ASSERT_EQ(vx_play_add(&two), 1);
  for (int a = 0; a < VX_PLAY_ACTIONS; a++) EXPECT_EQ(vx_play_binding(&two, 1, a, 400), 0) << a;
  EXPECT_EQ(vx_play_binding(&two, 1, 0, 0), 200);
  EXPECT_EQ(vx_play_binding(&two, 1, 6, 500), 508);
  plat_null_input_mouse_move(0, -50, 0);
  frame();
  EXPECT_EQ(nums(one.actions[0], two.actions[0]), nums(50, 0));
}

TEST_F(PlayTest, RemoveAndErrors) {
  ASSERT_EQ(vx_play_add(&one), 1);
  EXPECT_EQ(vx_play_add(nullptr), 0);
  EXPECT_TRUE(player_error(VX_PLAY_ERR_NULL));
  EXPECT_EQ(vx_play_remove(nullptr), 0);
  EXPECT_TRUE(player_error(VX_PLAY_ERR_NULL));
  EXPECT_EQ(vx_play_remove(&two), 0);
  EXPECT_TRUE(player_error(VX_PLAY_ERR_UNKNOWN));
  EXPECT_EQ(vx_play_setup(&two, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1), 0);
  EXPECT_TRUE(player_error(VX_PLAY_ERR_UNKNOWN));
  EXPECT_EQ(vx_play_remove(&one), 1);
  EXPECT_EQ(vx_play_count(), 0);
  key(USB_UP, 1);
  frame();
  EXPECT_EQ(one.actions[0], 0);  // a removed player is no longer written
}

TEST_F(PlayTest, InitNeedsSettings) {
  vx_play_deinit();
  EXPECT_EQ(vx_play_init(nullptr), 0);
  EXPECT_EQ(vx_play_init(&play_settings), 1);
}

TEST_F(PlayTest, ErrorTableIsVerbatim) {
  int module = -1;
  for (int m = 0; m < vx_error_module_count(); m++)
    if (std::string(vx_error_module_name(m)) == "Player") module = m;
  ASSERT_GE(module, 0);
  EXPECT_STREQ(vx_error_message(module, 0), "Passed a NULL player");
  EXPECT_STREQ(vx_error_message(module, 1), "Tried to remove a player never registered");
  EXPECT_STREQ(vx_error_message(module, 2), "Trying to assign control that doesn't exist");
  EXPECT_STREQ(vx_error_message(module, 3), " ");
  EXPECT_STREQ(vx_error_message(module, 4), "Trying to assign a configuration out of limit in vx_play_setup");
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

TEST_F(PlayTest, APlayerBeyondTheJoysticksReadsZeros) {
  VX_PLAYER more[17] = {};
  for (VX_PLAYER& p : more) ASSERT_EQ(vx_play_add(&p), 1);
  more[16].joystick[3] = 7;
  key(USB_UP, 1);
  frame();
  EXPECT_EQ(more[16].joystick[3], 0);
  EXPECT_EQ(more[16].actions[0], 128);  // the keyboard works for every player
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

TEST_F(PlayTest, CodesGoToTheSlotOfTheirDevice) {
  ASSERT_EQ(vx_play_add(&one), 1);
  ASSERT_EQ(vx_play_setup(&one, 1, 44, 439, 539, -1, -1, -1, -1, -1, -1, -1), 1);
  EXPECT_EQ(vx_play_binding(&one, 1, 0, 0), 44);
  EXPECT_EQ(vx_play_binding(&one, 1, 0, 400), 400);
  EXPECT_EQ(vx_play_binding(&one, 1, 1, 400), 439);
  EXPECT_EQ(vx_play_binding(&one, 1, 1, 0), 208);
  EXPECT_EQ(vx_play_binding(&one, 1, 2, 500), 539);
  EXPECT_EQ(vx_play_binding(&one, 1, 2, 0), 203);
}

TEST_F(PlayTest, ConfigurationSixIsRefused) {
  ASSERT_EQ(vx_play_add(&one), 1);
  for (int config : {6, 0, -1}) {
    EXPECT_EQ(vx_play_setup(&one, config, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44), 0);
    EXPECT_TRUE(player_error(VX_PLAY_ERR_CONFIG)) << config;
    const int16_t codes[] = {44, 44, 44, 44, 44, 44, 44, 44, 44, 44};
    EXPECT_EQ(vx_play_setup_list(&one, codes, config), 0);
    EXPECT_TRUE(player_error(VX_PLAY_ERR_CONFIG)) << config;
  }
  for (int c = 1; c <= VX_PLAY_CONFIGS; c++) {
    EXPECT_EQ(vx_play_enabled(&one, c), c == 1);
    EXPECT_EQ(vx_play_binding(&one, c, 0, 0), 200);
  }
  EXPECT_EQ(vx_play_setup(nullptr, 6, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1), 0);
  EXPECT_TRUE(player_error(VX_PLAY_ERR_NULL));
}

TEST_F(PlayTest, MinusFourUnbindsTheJoystick) {
  ASSERT_EQ(vx_play_add(&one), 1);
  plat_null_input_joystick_button(pad_one, 0, 1);
  frame(2);
  EXPECT_EQ(one.actions[6], 128);
  const int16_t codes[] = {-1, -1, -1, -1, -1, -1, -4, -1, -1, -1};
  ASSERT_EQ(vx_play_setup_list(&one, codes, 1), 1);
  frame();
  EXPECT_EQ(one.actions[6], 0);
  EXPECT_EQ(vx_play_binding(&one, 1, 6, 500), 0);
  EXPECT_EQ(vx_play_binding(&one, 1, 6, 0), 57);    // the other slots stay
  EXPECT_EQ(vx_play_binding(&one, 1, 6, 400), 408);
  EXPECT_EQ(vx_play_binding(&one, 2, 6, 500), 508);  // and other configurations
  EXPECT_EQ(vx_play_binding(&one, 1, 7, 500), 509);
}

TEST_F(PlayTest, MinusTwoAndThreeUnbindKeyboardAndMouse) {
  ASSERT_EQ(vx_play_add(&one), 1);
  const int16_t codes[] = {-2, -3, -1, -1, -1, -1, -1, -1, -1, -1};
  ASSERT_EQ(vx_play_setup_list(&one, codes, 1), 1);
  EXPECT_EQ(vx_play_binding(&one, 1, 0, 0), 0);
  EXPECT_EQ(vx_play_binding(&one, 1, 0, 400), 400);
  EXPECT_EQ(vx_play_binding(&one, 1, 1, 400), 0);
  EXPECT_EQ(vx_play_binding(&one, 1, 1, 0), 208);
}

TEST_F(PlayTest, CodesNamingNoControlAreNotBound) {
  ASSERT_EQ(vx_play_add(&one), 1);
  EXPECT_EQ(vx_play_setup(&one, 1, 300, 44, -2, -5, 540, -1, -1, -1, -1, -1), 0);
  EXPECT_TRUE(player_error(VX_PLAY_ERR_NO_CONTROL));
  EXPECT_EQ(vx_play_binding(&one, 1, 0, 0), 200);  // refused codes change nothing
  EXPECT_EQ(vx_play_binding(&one, 1, 1, 0), 44);   // the good ones are bound
  EXPECT_EQ(vx_play_binding(&one, 1, 2, 0), 203);  // no unbinding outside the list form
  const int16_t codes[] = {-5, 256, 440, 499, -1, -1, -1, -1, -1, 0};
  EXPECT_EQ(vx_play_setup_list(&one, codes, 1), 0);
  EXPECT_EQ(vx_play_binding(&one, 1, 9, 0), 0);  // code 0 itself is a key code: unbound
  for (int a = 0; a < 4; a++) EXPECT_NE(vx_play_binding(&one, 1, a, 0), 0) << a;
  EXPECT_EQ(vx_play_setup_list(&one, nullptr, 1), 0);
}

TEST_F(PlayTest, ControlDevice) {
  for (int code : {0, 1, 255}) EXPECT_EQ(vx_play_control_device(code), 0) << code;
  for (int code : {400, 408, 439}) EXPECT_EQ(vx_play_control_device(code), 400) << code;
  for (int code : {500, 508, 539}) EXPECT_EQ(vx_play_control_device(code), 500) << code;
  vx_error_set(-1, 0);
  EXPECT_EQ(vx_play_control_device(255), 0);
  EXPECT_EQ(vx_error_current_module(), -1);  // a keyboard code raises nothing
  for (int code : {256, 399, 440, 499, 540, -1}) {
    vx_error_set(-1, 0);
    EXPECT_EQ(vx_play_control_device(code), 0) << code;
    EXPECT_TRUE(player_error(VX_PLAY_ERR_NO_CONTROL)) << code;
  }
}

}  // namespace
