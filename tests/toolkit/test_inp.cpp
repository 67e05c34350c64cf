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
      {0x58, 156}, {0x46, 183}, {0x48, 197},               // keypad Enter, Print Screen (SysRq), Pause
      // Plain keys.
      {0x29, 1},  {0x28, 28}, {0x2C, 57}, {0xE2, 56},      // Esc, Enter, Space, left Alt
      {0x44, 87}, {0x45, 88}, {0x5F, 71}, {0x62, 82},      // F11, F12, keypad 7, keypad 0
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

// ---------------------------------------------------------------- errors and checks

}  // namespace
