// Game controllers driving the menus: the keys a controller's block presses, and the switch at each poll.
#include <algorithm>
#include <vector>

#include "tests/toolkit/test_inp_fixture.h"

namespace {

// Block indexes (code - 500): the four stick directions, Z below and above
// the centre, then the buttons from 508 in the pad layout's order.
constexpr int BLK_UP = 0, BLK_DOWN = 1, BLK_LEFT = 2, BLK_RIGHT = 3, BLK_Z_MINUS = 4;
constexpr int blk_button(int pad_button) { return 8 + pad_button; }

struct PadCase {
  const char* name;
  std::vector<int> down;  // block entries held
  std::vector<int> keys;  // keys pressed
};

// Grouped by control: the three menu buttons, the directions, and controls that mean nothing in a menu.
const PadCase kPadCases[] = {
    {"A is Enter", {blk_button(PLAT_PAD_A)}, {DIK_RETURN}},
    {"B is Esc", {blk_button(PLAT_PAD_B)}, {DIK_ESCAPE}},
    {"Start is Esc", {blk_button(PLAT_PAD_START)}, {DIK_ESCAPE}},
    {"A held while moving down", {blk_button(PLAT_PAD_A), BLK_DOWN}, {DIK_RETURN, DIK_DOWN}},
    {"up", {BLK_UP}, {DIK_UP}},
    {"left", {BLK_LEFT}, {DIK_LEFT}},
    {"right", {BLK_RIGHT}, {DIK_RIGHT}},
    {"X", {blk_button(PLAT_PAD_X)}, {}},
    {"Y", {blk_button(PLAT_PAD_Y)}, {}},
    {"Back", {blk_button(PLAT_PAD_BACK)}, {}},
    {"a trigger", {BLK_Z_MINUS}, {}},
    {"nothing held", {}, {}},
};

TEST(InpPadKeys, EachControlPressesItsMenuKey) {
  for (const PadCase& c : kPadCases) {
    uint8_t block[VX_INP_BLOCK] = {};
    for (int i : c.down) block[i] = 128;
    uint8_t keys[VX_INP_KEYS] = {};
    keys[DIK_SPACE] = 0x80;  // a key held on the keyboard stays held
    vx_inp_pad_menu_keys(block, keys);
    std::vector<int> want = c.keys;
    want.push_back(DIK_SPACE);
    for (int k = 0; k < VX_INP_KEYS; k++) {
      const bool expected = std::find(want.begin(), want.end(), k) != want.end();
      EXPECT_EQ(keys[k], expected ? 0x80 : 0) << c.name << ": key " << k;
    }
  }
}

class InpPadMenus : public InpTest {
 protected:
  uint32_t pad = 0, stick = 0;
  void attach_devices() override {
    stick = plat_null_input_joystick_attach(2, 8);  // a plain joystick first: its buttons have no names
    pad = plat_null_input_joystick_attach(4, PLAT_PAD_BUTTONS);
    plat_null_input_joystick_set_controller(pad, 1);
  }
  void SetUp() override {
    InpTest::SetUp();
    poll();  // both acquired: their blocks are read from the next poll
  }
};

TEST_F(InpPadMenus, OffByDefaultThePadGivesOnlyItsOwnCodes) {
  EXPECT_EQ(vx_inp_pad_menus(), 0);
  plat_null_input_joystick_button(pad, PLAT_PAD_A, 1);
  poll();
  EXPECT_EQ(vx_inp_state(508), 128);
  EXPECT_EQ(vx_inp_state(DIK_RETURN), 0);
  EXPECT_EQ(vx_inp_any(), 0) << "joystick 0 is the plain one; the keyboard is untouched";
}

TEST_F(InpPadMenus, SwitchedOnAPressAndReleaseIsAnEnterKeyPress) {
  vx_inp_pad_menus_set(1);
  plat_null_input_joystick_button(pad, PLAT_PAD_A, 1);
  poll();
  EXPECT_EQ(vx_inp_state(DIK_RETURN), 0x80);
  EXPECT_EQ(vx_inp_state(508), 128) << "the joystick code still reads as bound";
  plat_null_input_joystick_button(pad, PLAT_PAD_A, 0);
  poll();
  EXPECT_EQ(vx_inp_state(DIK_RETURN), 0);
  EXPECT_EQ(vx_inp_released(DIK_RETURN), 1);
  // The real key still works on its own, and the pad's Esc joins it.
  key(USB_ENTER, 1);
  plat_null_input_joystick_button(pad, PLAT_PAD_START, 1);
  poll();
  EXPECT_EQ(vx_inp_state(DIK_RETURN), 0x80);
  EXPECT_EQ(vx_inp_state(DIK_ESCAPE), 0x80);
}

TEST_F(InpPadMenus, APlainJoystickNeverPressesKeys) {
  vx_inp_pad_menus_set(1);
  for (int b = 0; b < 8; b++) plat_null_input_joystick_button(stick, b, 1);
  plat_null_input_joystick_axes(stick, 32767, -32768, 0, 0);
  poll();
  for (int k = 1; k < VX_INP_KEYS; k++) EXPECT_EQ(vx_inp_state(k), 0) << "key " << k;
}

}  // namespace
