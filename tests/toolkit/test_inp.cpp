// The input layer's keyboard table, code space, held and released keys, mouse pad, and the error table.
#include <array>
#include <map>
#include <string>

#include "tests/toolkit/test_inp_fixture.h"

namespace {

// ---------------------------------------------------------------- key table
// Reference numbers: the DIK_ constants of DirectInput's dinput.h, which are
// the PC set-1 make codes with 0x80 added after an 0xE0 prefix.
TEST(InpKeyTable, KeyNumbers) {
  const std::map<uint32_t, uint32_t> numbers = {
      // Extended keys.
      {0x52, 200}, {0x51, 208}, {0x50, 203}, {0x4F, 205},  // Up, Down, Left, Right
      {0xE4, 157}, {0xE6, 184},                            // right Ctrl, right Alt
      {0xE3, 219}, {0xE7, 220}, {0x65, 221},               // left / right Windows, Apps
      {0x58, 156}, {0x54, 181},                            // keypad Enter, keypad /
      {0x4A, 199}, {0x4D, 207}, {0x4B, 201}, {0x4E, 209},  // Home, End, PgUp, PgDn
      {0x49, 210}, {0x4C, 211},                            // Insert, Delete
      {0x46, 183}, {0x48, 197},                            // Print Screen (SysRq), Pause
      // Plain keys.
      {0x29, 1},  {0x28, 28}, {0x2C, 57}, {0x2A, 14}, {0x2B, 15},  // Esc, Enter, Space, Backspace, Tab
      {0xE0, 29}, {0xE1, 42}, {0xE5, 54}, {0xE2, 56},              // left Ctrl, Shifts, left Alt
      {0x39, 58}, {0x53, 69}, {0x47, 70},                          // Caps, Num and Scroll Lock
      {0x3A, 59}, {0x43, 68}, {0x44, 87}, {0x45, 88},              // F1, F10, F11, F12
      {0x5F, 71}, {0x60, 72}, {0x61, 73}, {0x5C, 75}, {0x5D, 76},  // keypad 7 8 9 4 5
      {0x5E, 77}, {0x59, 79}, {0x5A, 80}, {0x5B, 81}, {0x62, 82},  // keypad 6 1 2 3 0
      {0x63, 83}, {0x55, 55}, {0x56, 74}, {0x57, 78},              // keypad . * - +
      {0x64, 86}, {0x68, 100}, {0x6A, 102},                        // the ISO extra key, F13, F15
      // Outside the table: 0 (0x03 is the keyboard's error usage).
      {0, 0}, {0x03, 0}, {0xFF, 0}, {256, 0}, {0xFFFFFFFFu, 0},
  };
  for (auto [usage, number] : numbers) EXPECT_EQ(plat_input_key_number(usage), number) << "usage " << usage;
  // F1 to F10 run on without a gap.
  for (uint32_t f = 0; f < 10; f++) EXPECT_EQ(plat_input_key_number(0x3A + f), 59 + f);
}

TEST(InpKeyTable, NoTwoKeysShareANumber) {
  std::map<uint32_t, uint32_t> owner;
  for (uint32_t usage = 0; usage < 256; usage++) {
    uint32_t n = plat_input_key_number(usage);
    if (!n) continue;
    // The US backslash key and the ISO "#" key are one key position (scan 0x2B).
    if (usage == 0x32) {
      EXPECT_EQ(n, 43u);
      continue;
    }
    EXPECT_EQ(owner.count(n), 0u) << "number " << n << " from usages " << owner[n] << " and " << usage;
    owner[n] = usage;
  }
}

// The key table and the character table agree on letters and digits.
TEST(InpKeyTable, LettersAndDigitsGiveTheirCharacters) {
  for (uint32_t i = 0; i < 26; i++) {
    int n = static_cast<int>(plat_input_key_number(USB_A + i));
    EXPECT_EQ(vx_inp_char(n, 0), 'a' + static_cast<int>(i));
    EXPECT_EQ(vx_inp_char(n, 1), 'A' + static_cast<int>(i));
  }
  const char digits[] = "1234567890";  // usages 0x1E-0x27
  const char shifted[] = "!@#$%^&*()";
  for (uint32_t i = 0; i < 10; i++) {
    int n = static_cast<int>(plat_input_key_number(0x1E + i));
    EXPECT_EQ(vx_inp_char(n, 0), digits[i]);
    EXPECT_EQ(vx_inp_char(n, 1), shifted[i]);
  }
}

TEST(InpChars, PunctuationAndControls) {
  const std::array<std::array<int, 3>, 17> rows = {{
      {55, '*', '*'},  {40, '\'', '"'}, {41, '`', '~'},  {26, '[', '{'}, {27, ']', '}'}, {12, '-', '_'},
      {13, '=', '+'},  {53, '/', '?'},  {43, '\\', '|'}, {51, ',', '<'}, {39, ';', ':'}, {52, '.', '>'},
      {57, ' ', ' '},  {1, 1, 1},       {14, 8, 8},      {15, 9, 9},     {28, 19, 19},
  }};
  for (const auto& r : rows) {
    EXPECT_EQ(vx_inp_char(r[0], 0), r[1]) << "key " << r[0];
    EXPECT_EQ(vx_inp_char(r[0], 1), r[2]) << "key " << r[0];
  }
  for (int code : {0, 200, 59, 255, 256, 400, -1}) EXPECT_EQ(vx_inp_char(code, 0), 0) << code;
}

// ---------------------------------------------------------------- code space

TEST_F(InpTest, HeldKeyIsDownEveryFrameAndReleasedOnce) {
  key(USB_UP, 1);
  for (int frame = 0; frame < 30; frame++) {
    poll();
    EXPECT_EQ(vx_inp_state(DIK_UP), VX_INP_DOWN) << frame;
    EXPECT_EQ(vx_inp_released(DIK_UP), 0) << frame;
  }
  key(USB_UP, 0);
  poll();
  EXPECT_EQ(nums(vx_inp_state(DIK_UP), vx_inp_released(DIK_UP)), nums(0, 1));
  poll();
  EXPECT_EQ(vx_inp_released(DIK_UP), 0);
}

TEST_F(InpTest, KeysArriveUnderTheirNumbers) {
  key(USB_RCTRL, 1);
  key(USB_ESC, 1);
  poll();
  EXPECT_EQ(vx_inp_state(157), VX_INP_DOWN);
  EXPECT_EQ(vx_inp_state(29), 0);  // the left Ctrl is a key of its own
  EXPECT_EQ(vx_inp_state(DIK_ESCAPE), VX_INP_DOWN);
  EXPECT_EQ(vx_inp_state_of(5, DIK_ESCAPE), VX_INP_DOWN);  // the joystick number is ignored
}

TEST_F(InpTest, CodesNamingNoControlReadZero) {
  for (int c = 0; c < VX_INP_KEYS; c++) vx_inp_set_state(c, 0x80);
  for (int c = 400; c < 440; c++) vx_inp_set_state(c, 0x80);
  for (int c = 500; c < 540; c++) vx_inp_set_state(c, 0x80);
  for (int code : {256, 300, 399, 440, 499, 540, 1000, 65535, -1}) {
    vx_inp_set_state(code, 0x80);
    EXPECT_EQ(vx_inp_state(code), 0) << code;
    EXPECT_EQ(vx_inp_state_of(0, code), 0) << code;
    EXPECT_EQ(vx_inp_released(code), 0) << code;
  }
  EXPECT_EQ(nums(vx_inp_state(255), vx_inp_state(439), vx_inp_state(539)), nums(0x80, 0x80, 0x80));
}

TEST_F(InpTest, SetStateWritesKeyboardMouseAndJoystickZero) {
  vx_inp_set_state(DIK_SPACE, 0x80);
  vx_inp_set_state(VX_INP_MOUSE_LEFT, 33);
  vx_inp_set_state(VX_INP_JOY_BUTTON1, 128);
  EXPECT_EQ(nums(vx_inp_state(DIK_SPACE), vx_inp_state(VX_INP_MOUSE_LEFT), vx_inp_state_of(0, VX_INP_JOY_BUTTON1),
                 vx_inp_state_of(1, VX_INP_JOY_BUTTON1), vx_inp_state_of(16, VX_INP_JOY_BUTTON1),
                 vx_inp_state_of(-1, VX_INP_JOY_BUTTON1)),
            nums(0x80, 33, 128, 0, 0, 0));
  // The previous copy is untouched: nothing reads as let go.
  EXPECT_EQ(vx_inp_released(DIK_SPACE), 0);
  // The next poll takes the devices' own states again.
  poll();
  EXPECT_EQ(nums(vx_inp_state(DIK_SPACE), vx_inp_released(DIK_SPACE)), nums(0, 1));
}

TEST_F(InpTest, AnyPrefersMouseThenJoystickThenLowestKey) {
  poll();
  EXPECT_EQ(vx_inp_any(), 0);
  key(USB_LSHIFT, 1);
  poll();
  EXPECT_EQ(vx_inp_any(), DIK_LSHIFT);  // alone, Shift counts
  key(USB_Z, 1);
  poll();
  EXPECT_EQ(vx_inp_any(), DIK_Z);  // Shift (42) yields to Z (44)
  key(USB_A, 1);
  poll();
  EXPECT_EQ(vx_inp_any(), DIK_A);  // A (30) is lower than Shift
  vx_inp_set_state(VX_INP_JOY_BUTTON1 + 2, 128);
  EXPECT_EQ(vx_inp_any(), VX_INP_JOY_BUTTON1 + 2);
  plat_null_input_mouse_move(0, 40, 0);
  poll();
  EXPECT_EQ(vx_inp_any(), VX_INP_MOUSE_DOWN);
}

TEST_F(InpTest, NothingAnswersBeforeStartOrAfterStop) {
  key(USB_UP, 1);
  poll();
  vx_inp_deinit();
  EXPECT_EQ(vx_inp_state(DIK_UP), 0);
  vx_inp_poll();
  EXPECT_EQ(nums(vx_inp_state(DIK_UP), vx_inp_released(DIK_UP)), nums(0, 0));
  ASSERT_EQ(vx_inp_init(&settings), 1);
  poll();
  EXPECT_EQ(vx_inp_state(DIK_UP), VX_INP_DOWN);
}

// ---------------------------------------------------------------- mouse pad

class InpMouse : public InpTest {
 protected:
  // The first poll acquires the mouse; movement from before that is dropped.
  void SetUp() override {
    InpTest::SetUp();
    poll();
  }
  void move(int x, int y) {
    plat_null_input_mouse_move(x, y, 0);
    poll();
  }
  std::array<uint8_t, 4> dirs() {
    return {vx_inp_state(400), vx_inp_state(401), vx_inp_state(402), vx_inp_state(403)};
  }
  using D = std::array<uint8_t, 4>;  // up, down, left, right
};

TEST_F(InpMouse, PadDirections) {
  struct Step {
    char op;  // 'm' move (a, b), 'p' poll, 'd' decay a
    int a, b;
    D want;  // up, down, left, right afterwards
  };
  struct Case {
    const char* what;
    int mode, diagonal;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"threshold of eight", 1, 0,
       {{'m', 5, 0, {0, 0, 0, 0}}, {'m', 8, -8, {0, 0, 0, 0}}, {'m', 9, 0, {0, 0, 0, 9}}, {'m', 0, -9, {9, 0, 0, 0}}}},
      {"mode 1 clears the pad every poll", 1, 0, {{'m', 20, 0, {0, 0, 0, 20}}, {'p', 0, 0, {0, 0, 0, 0}}}},
      // Up and right are not a pair the diagonal rule splits.
      {"clamp to 128", 1, 0, {{'m', 500, -1000, {128, 0, 0, 128}}, {'m', -129, 0, {0, 0, 128, 0}}}},
      {"diagonals keep the larger axis; ties keep up and down; up-right and down-left are left alone", 1, 0,
       {{'m', -20, -5, {0, 0, 20, 0}},
        {'m', -20, -10, {0, 0, 20, 0}},
        {'m', -10, -20, {20, 0, 0, 0}},
        {'m', -20, -20, {20, 0, 0, 0}},
        {'m', 20, 10, {0, 0, 0, 20}},
        {'m', 10, 20, {0, 20, 0, 0}},
        {'m', 20, 20, {0, 20, 0, 0}},
        {'m', 30, -12, {12, 0, 0, 30}},
        {'m', -12, 30, {0, 30, 12, 0}}}},
      {"the diagonal setting keeps both axes", 1, 1, {{'m', -20, -10, {10, 0, 20, 0}}, {'m', 20, 30, {0, 30, 0, 20}}}},
      {"decay does nothing in mode 1", 1, 0, {{'m', 30, 0, {0, 0, 0, 30}}, {'d', 10, 0, {0, 0, 0, 30}}}},
      {"mode 2 adds, keeps, decays and caps", 2, 0,
       {{'m', 20, 0, {0, 0, 0, 20}},
        {'m', 30, 0, {0, 0, 0, 50}},
        {'p', 0, 0, {0, 0, 0, 50}},
        {'d', 15, 0, {0, 0, 0, 35}},
        {'d', 0, 0, {0, 0, 0, 35}},
        {'d', -5, 0, {0, 0, 0, 35}},
        {'d', 100, 0, {0, 0, 0, 0}},
        {'m', 0, 100, {0, 100, 0, 0}},
        {'m', 0, 100, {0, 128, 0, 0}}}},
      // Left 40 against right 40: the tie drops left.
      {"mode 2 drops the smaller opposite", 2, 1,
       {{'m', 40, 0, {0, 0, 0, 40}},
        {'m', -20, 0, {0, 0, 0, 40}},
        {'m', -40, 0, {0, 0, 0, 40}},
        {'m', 0, -30, {30, 0, 0, 40}},
        {'m', 0, 20, {30, 0, 0, 40}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vx_inp_mouse_mode(c.mode);
    settings.mouse_diagonal = c.diagonal;  // kept by pointer: takes effect at once
    vx_inp_mouse_decay(1000);
    poll();
    int n = 0;
    for (const Step& s : c.steps) {
      if (s.op == 'm') move(s.a, s.b);
      if (s.op == 'p') poll();
      if (s.op == 'd') vx_inp_mouse_decay(s.a);
      EXPECT_EQ(dirs(), s.want) << "step " << n++;
    }
  }
}

TEST_F(InpMouse, RawMovementAndReleasedDirections) {
  VX_INP_MOUSE_RAW raw{};
  move(5, 3);
  vx_inp_mouse(&raw);
  EXPECT_EQ(nums(raw.x, raw.y), nums(5, 3)) << "the raw movement is kept below the threshold too";
  move(500, -1000);
  vx_inp_mouse(&raw);
  EXPECT_EQ(nums(raw.x, raw.y), nums(500, -1000)) << "and not clamped";
  move(20, 0);
  poll();
  EXPECT_EQ(vx_inp_released(VX_INP_MOUSE_RIGHT), 1);
}

TEST_F(InpMouse, ButtonsAreLevelsAndReleaseOnce) {
  plat_null_input_mouse_button(0, 1);
  plat_null_input_mouse_button(3, 1);
  poll();
  EXPECT_EQ(nums(vx_inp_state(408), vx_inp_state(409), vx_inp_state(411)), nums(128, 0, 128));
  for (int c : {404, 405, 406, 407, 412, 439}) EXPECT_EQ(vx_inp_state(c), 0) << c;
  vx_inp_mouse_mode(2);  // in accumulate mode too, a button let go reads 0
  plat_null_input_mouse_button(0, 0);
  poll();
  EXPECT_EQ(nums(vx_inp_state(408), vx_inp_released(408), vx_inp_state(411)), nums(0, 1, 128));
}

TEST_F(InpMouse, ButtonSwapExchangesOnlyTheRawMask) {
  plat_null_input_mouse_button(0, 1);  // the physical left button
  poll();
  VX_INP_MOUSE_RAW raw{};
  vx_inp_mouse(&raw);
  EXPECT_EQ(vx_inp_buttons_swapped(), 0);
  EXPECT_EQ(raw.buttons, 1);
  plat_null_input_set_swapped(1);
  EXPECT_EQ(vx_inp_buttons_swapped(), 0);  // read at start and on activation only
  vx_inp_activate(1);
  EXPECT_EQ(vx_inp_buttons_swapped(), 1);
  plat_null_input_mouse_button(2, 1);
  poll();
  vx_inp_mouse(&raw);
  EXPECT_EQ(raw.buttons, 2 | 4);  // left is the secondary button now
  EXPECT_EQ(vx_inp_state(408), 128);  // the pad keeps physical buttons
  EXPECT_EQ(vx_inp_state(410), 128);
  // The swap is also read at start.
  vx_inp_deinit();
  ASSERT_EQ(vx_inp_init(&settings), 1);
  EXPECT_EQ(vx_inp_buttons_swapped(), 1);
}

TEST_F(InpMouse, NoMovementOutOfTheForeground) {
  plat_null_input_set_foreground(0);
  move(50, 0);
  EXPECT_EQ(dirs(), (D{0, 0, 0, 0}));
  // Back in the foreground the mouse is acquired again at the next poll;
  // movement from before does not count.
  plat_null_input_set_foreground(1);
  poll();
  EXPECT_EQ(plat_null_input_mouse_acquired(), 1);
  EXPECT_EQ(dirs(), (D{0, 0, 0, 0}));
  move(50, 0);
  EXPECT_EQ(dirs(), (D{0, 0, 0, 50}));
}

// ---------------------------------------------------------------- errors and checks

TEST_F(InpTest, ErrorTableIsVerbatim) {
  int module = -1;
  for (int m = 0; m < vx_error_module_count(); m++)
    if (std::string(vx_error_module_name(m)) == "Input") module = m;
  ASSERT_GE(module, 0);
  const char* expected[] = {
      "Couldn't create DirectInput!",
      "Couldn't initialize keyboard!",
      "Couldn't initialize joystick",
      "Couldn't initialize mouse",
      "Joystick IDInput::CreateDevice FAILED\n!",
      "Joystick IDInputDevice SetDataFormat FAILED!",
      "Joystick IDInputDevice SetCooperativeLevel FAILED!",
      "Joystick IDInputDevice SetProperty Range FAILED for X!",
      "Joystick IDInputDevice SetProperty Range  FAILED for Y!",
      "Joystick IDInputDevice SetProperty Range  FAILED for Z!",
      "Joystick IDInputDevice SetProperty Deadzone FAILED for X!",
      "Joystick IDInputDevice SetProperty Deadzone FAILED for Y!",
      "Joystick IDInputDevice SetProperty Deadzone FAILED for Z!",
      "Joystick couldn't convert to Device2!",
      "Joystick acquisition failed",
      "Don't have a current joystick device",
      "Mouse SetDataFormat",
      "Mouse SetCooperativeLevel",
      "Keyboard SetDataFormat",
      "Keyboard SetCooperativeLevel",
  };
  for (int code = 0; code < 20; code++) EXPECT_STREQ(vx_error_message(module, code), expected[code]) << code;
}

TEST_F(InpTest, PlatformCheckPasses) {
  VX_INP_SYSTEM sys{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(vx_inp_check_directx(&sys), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // no box
  EXPECT_EQ(sys.platform, 3);
  EXPECT_GE(sys.version, 0x0500);
  EXPECT_EQ(vx_inp_check_directx(nullptr), 1);
  vx_inp_restore_system_keys();
}

}  // namespace
