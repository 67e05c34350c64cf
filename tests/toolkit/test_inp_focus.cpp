// The input layer's foreground handling, its share of the window procedure, and clipboard paste.
#include <cstring>
#include <string>

#include "tests/toolkit/test_inp_fixture.h"

namespace {

// ---------------------------------------------------------------- activation

class InpFocus : public InpTest {
 protected:
  uint32_t pad = 0;
  void attach_devices() override { pad = plat_null_input_joystick_attach(2, 4); }
  // Holds a key, a mouse button and a joystick button, with movement, and polls until all read down.
  void hold_everything() {
    key(USB_UP, 1);
    plat_null_input_mouse_button(1, 1);
    plat_null_input_joystick_button(pad, 0, 1);
    poll(2);
    plat_null_input_mouse_move(40, 0, 0);
    poll();
    ASSERT_EQ(vx_inp_state(DIK_UP), VX_INP_DOWN);
    ASSERT_EQ(vx_inp_state(409), 128);
    ASSERT_EQ(vx_inp_state(403), 40);
    ASSERT_EQ(vx_inp_state(508), 128);
  }
  static void expect_all_clear() {
    for (int c = 0; c < 540; c++) {
      EXPECT_EQ(vx_inp_state(c), 0) << c;
      EXPECT_EQ(vx_inp_released(c), 0) << c;
    }
    VX_INP_MOUSE_RAW raw{1, 1, 1, 1};
    vx_inp_mouse(&raw);
    EXPECT_EQ(nums(raw.x, raw.buttons), nums(0, 0));
  }
};

TEST_F(InpFocus, LosingTheFocusClearsEveryState) {
  hold_everything();
  vx_inp_window_message(nullptr, PLAT_WM_KILLFOCUS, 0, 0);
  expect_all_clear();
  EXPECT_EQ(vx_inp_active(), 0);
  EXPECT_EQ(plat_null_input_cursor_shown(), 1);
  EXPECT_EQ(plat_null_input_keyboard_acquired(), 0);
  EXPECT_EQ(plat_null_input_mouse_acquired(), 0);
  // While inactive, the keyboard and mouse are not taken back, so the held
  // key does not come back.
  poll();
  EXPECT_EQ(nums(vx_inp_state(DIK_UP), vx_inp_state(409), vx_inp_released(DIK_UP)), nums(0, 0, 0));
}

TEST_F(InpFocus, AFreedPointerStaysFreeThroughPollsAndActivationUntilTakenBack) {
  vx_inp_pointer_free(1);
  poll(2);
  vx_inp_window_message(nullptr, PLAT_WM_ACTIVATE, PLAT_WA_CLICKACTIVE, 0);
  vx_inp_window_message(nullptr, PLAT_WM_SETCURSOR, 0, 0);
  EXPECT_EQ(nums(plat_null_input_mouse_acquired(), plat_null_input_cursor_shown(), plat_null_input_keyboard_acquired()),
            nums(0, 1, 1)) << "the pointer the player's, the keys still read";
  vx_inp_pointer_free(0);
  EXPECT_EQ(nums(plat_null_input_mouse_acquired(), plat_null_input_cursor_shown()), nums(1, 0));
}

TEST_F(InpFocus, MessagesThatDeactivate) {
  const uint32_t messages[][2] = {
      {PLAT_WM_KILLFOCUS, 0},          {PLAT_WM_ENTERMENULOOP, 0},       {PLAT_WM_ENTERSIZEMOVE, 0},
      {PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE}, {PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE | 2}, {PLAT_WM_ACTIVATE, PLAT_WA_INACTIVE},
  };
  for (const auto& m : messages) {
    vx_inp_activate(1);
    vx_inp_window_message(nullptr, m[0], m[1], 0);
    EXPECT_EQ(vx_inp_active(), 0) << std::hex << m[0] << " " << m[1];
  }
}

// ---------------------------------------------------------------- paste

std::string clipboard_text;
int test_clipboard(char* buf, int size) {
  if (clipboard_text.empty() || clipboard_text.size() + 1 > static_cast<size_t>(size)) return 0;
  std::memcpy(buf, clipboard_text.c_str(), clipboard_text.size() + 1);
  return 1;
}

class InpPaste : public InpTest {
 protected:
  char buffer[32] = "ab";
  void SetUp() override {
    InpTest::SetUp();
    clipboard_text = "Frog";
    vx_inp_set_clipboard(test_clipboard);
  }
  void ctrl_v(uint32_t modifier) {
    key(modifier, 1);
    key(USB_V, 1);
    poll();
  }
};

}  // namespace
