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

TEST_F(InpFocus, ActivationTakesTheDevicesBack) {
  hold_everything();
  vx_inp_window_message(nullptr, PLAT_WM_ACTIVATE, PLAT_WA_INACTIVE, 0);
  EXPECT_EQ(vx_inp_active(), 0);
  vx_inp_window_message(nullptr, PLAT_WM_ACTIVATE, PLAT_WA_CLICKACTIVE, 0);
  EXPECT_EQ(vx_inp_active(), 1);
  EXPECT_EQ(plat_null_input_cursor_shown(), 0);  // no cursor while active
  EXPECT_EQ(plat_null_input_keyboard_acquired(), 1);
  EXPECT_EQ(plat_null_input_mouse_acquired(), 1);
  expect_all_clear();  // activation clears as well
  poll();
  EXPECT_EQ(nums(vx_inp_state(DIK_UP), vx_inp_released(DIK_UP)), nums(VX_INP_DOWN, 0));
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

TEST_F(InpFocus, MessagesThatActivate) {
  const uint32_t messages[][2] = {
      {PLAT_WM_ACTIVATE, PLAT_WA_ACTIVE}, {VX_INP_WM_ACTIVATE, 0}, {PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE},
  };
  for (const auto& m : messages) {
    vx_inp_activate(0);
    vx_inp_window_message(nullptr, m[0], m[1], 0);
    EXPECT_EQ(vx_inp_active(), 1) << std::hex << m[0];
  }
}

TEST_F(InpFocus, OtherMessagesChangeNothing) {
  hold_everything();
  for (uint32_t m : {PLAT_WM_PAINT, PLAT_WM_MOUSEMOVE, PLAT_WM_KEYDOWN, PLAT_WM_CLOSE, PLAT_WM_SYSCOMMAND, PLAT_WM_EXITMENULOOP})
    vx_inp_window_message(nullptr, m, PLAT_SC_CLOSE, 0);
  EXPECT_EQ(vx_inp_active(), 1);
  EXPECT_EQ(nums(vx_inp_state(DIK_UP), vx_inp_state(508)), nums(VX_INP_DOWN, 128));
}

intptr_t input_proc(PLAT_WINDOW* w, uint32_t m, uintptr_t wp, intptr_t lp) {
  vx_inp_window_message(w, m, wp, lp);
  return plat_def_window_proc(w, m, wp, lp);
}

// Gaining the focus and a left click post the private message, which activates when dispatched.
TEST_F(InpFocus, FocusAndClickPostThePrivateMessage) {
  PLAT_WINDOW* w = plat_window_create("InpTest", "Input", 0, 0, 64, 64, PLAT_WS_HIDDEN, input_proc);
  ASSERT_NE(w, nullptr);
  for (uint32_t m : {PLAT_WM_SETFOCUS, PLAT_WM_LBUTTONDOWN}) {
    vx_inp_activate(0);
    plat_send_message(w, m, 0, 0);
    EXPECT_EQ(vx_inp_active(), 0);  // not yet
    int posted = 0;
    PLAT_MSG msg{};
    while (plat_peek_message(&msg, 1)) {
      if (msg.message == 0x445 && msg.window == w) posted++;
      plat_dispatch_message(&msg);
    }
    EXPECT_EQ(posted, 1) << m;
    EXPECT_EQ(vx_inp_active(), 1) << m;
  }
  plat_window_destroy(w);
  PLAT_MSG msg{};
  while (plat_peek_message(&msg, 1)) {
  }
}

TEST_F(InpFocus, NothingHappensWhileStopped) {
  vx_inp_deinit();
  plat_null_input_set_foreground(1);
  vx_inp_window_message(nullptr, PLAT_WM_ACTIVATE, PLAT_WA_ACTIVE, 0);
  EXPECT_EQ(plat_null_input_cursor_shown(), 1);
  EXPECT_EQ(plat_null_input_mouse_acquired(), 0);
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

TEST_F(InpPaste, CtrlVPastesOnceAndWaitsForVUp) {
  EXPECT_FALSE(vx_inp_paste_pending());
  ctrl_v(USB_LCTRL);
  EXPECT_EQ(vx_inp_paste_state(), 1);
  EXPECT_TRUE(vx_inp_paste_pending());
  EXPECT_EQ(vx_inp_paste(buffer, 20), 6);
  EXPECT_STREQ(buffer, "abFrog");
  EXPECT_EQ(vx_inp_paste_state(), 2);
  EXPECT_EQ(vx_inp_paste(buffer, 20), 6);  // once only
  EXPECT_STREQ(buffer, "abFrog");
  key(USB_LCTRL, 0);
  poll();
  EXPECT_EQ(vx_inp_paste_state(), 2);  // V is still down
  key(USB_V, 0);
  poll();
  EXPECT_EQ(vx_inp_paste_state(), 0);
  EXPECT_FALSE(vx_inp_paste_pending());
}

TEST_F(InpPaste, RightCtrlAndWindowsKeysAlsoRequestButVOrCtrlAloneDoNot) {
  for (uint32_t modifier : {USB_RCTRL, USB_LWIN, 0xE7u}) {
    ctrl_v(modifier);
    EXPECT_EQ(vx_inp_paste_state(), 1) << modifier;
    vx_inp_paste(buffer, 20);
    key(modifier, 0);
    key(USB_V, 0);
    poll();
    EXPECT_EQ(vx_inp_paste_state(), 0);
  }
  std::strcpy(buffer, "ab");
  key(USB_V, 1);
  poll();
  EXPECT_EQ(vx_inp_paste_state(), 0);
  key(USB_V, 0);
  key(USB_LCTRL, 1);
  poll();
  EXPECT_EQ(vx_inp_paste_state(), 0);
  EXPECT_EQ(vx_inp_paste(buffer, 20), 2);
  EXPECT_STREQ(buffer, "ab");
}

TEST_F(InpPaste, TextIsCutToTheRoomLeft) {
  struct Case {
    const char* what;
    std::string clipboard, before;
    int room;
    const char* after;
  };
  const Case cases[] = {
      {"cut to the room left", "Frog", "abc", 5, "abcFr"},
      {"a full buffer: the request is used up all the same", "Frog", "abcde", 5, "abcde"},
      {"a UTF-8 character is not split", "x\xC3\xA9y", "", 2, "x"},  // x, e acute (2 bytes), y
      {"an empty clipboard keeps the text", "", "ab", 20, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    clipboard_text = c.clipboard;
    ctrl_v(USB_LCTRL);
    std::strcpy(buffer, c.before.c_str());
    EXPECT_EQ(vx_inp_paste(buffer, c.room), int(std::strlen(c.after)));
    EXPECT_STREQ(buffer, c.after);
    EXPECT_EQ(vx_inp_paste_state(), 2);
    key(USB_LCTRL, 0);
    key(USB_V, 0);
    poll();
  }
  EXPECT_EQ(vx_inp_paste(nullptr, 5), 0);
  // The platform clipboard is the default; the null build's is empty.
  vx_inp_set_clipboard(nullptr);
  ctrl_v(USB_LCTRL);
  std::strcpy(buffer, "ab");
  EXPECT_EQ(vx_inp_paste(buffer, 20), 2);
  EXPECT_STREQ(buffer, "ab");
}

}  // namespace
