// Game controllers driving the menus: the keys a controller's block presses, and the switch at each poll.
#include "tests/toolkit/test_inp_fixture.h"

namespace {

constexpr int kButton1 = 8;  // block index of code 508; the stick's up, down, left, right are 0 to 3

// Each control held alone, grouped: the menu buttons, the directions, controls a menu has no use for.
TEST(InpPadKeys, EachControlPressesItsMenuKey) {
  const struct {
    int index, key;  // key 0: none
  } cases[] = {{kButton1 + PLAT_PAD_A, DIK_RETURN}, {kButton1 + PLAT_PAD_B, DIK_ESCAPE},
               {kButton1 + PLAT_PAD_START, DIK_ESCAPE}, {0, DIK_UP}, {1, DIK_DOWN}, {2, DIK_LEFT}, {3, DIK_RIGHT},
               {kButton1 + PLAT_PAD_X, 0}, {kButton1 + PLAT_PAD_BACK, 0}, {4, 0} /* a trigger */};
  for (const auto& c : cases) {
    uint8_t block[VX_INP_BLOCK] = {}, keys[VX_INP_KEYS] = {};
    block[c.index] = 128;
    keys[DIK_SPACE] = 0x80;  // held on the keyboard: stays held
    vx_inp_pad_menu_keys(block, keys);
    for (int k = 1; k < VX_INP_KEYS; k++)
      EXPECT_EQ(keys[k], k == c.key || k == DIK_SPACE ? 0x80 : 0) << "block " << c.index << ", key " << k;
  }
}

class InpPadMenus : public InpTest {
 protected:
  uint32_t stick = 0, pad = 0;
  void attach_devices() override {
    stick = plat_null_input_joystick_attach(2, 8);  // a plain joystick: its buttons have no names
    pad = plat_null_input_joystick_attach(4, PLAT_PAD_BUTTONS);
    plat_null_input_joystick_set_controller(pad, 1);
  }
};

TEST_F(InpPadMenus, OnlyWhenSwitchedOnAndOnlyForControllers) {
  poll();  // both acquired: read from the next poll
  plat_null_input_joystick_button(pad, PLAT_PAD_A, 1);
  for (int b = 0; b < 8; b++) plat_null_input_joystick_button(stick, b, 1);
  poll();
  EXPECT_EQ(vx_inp_pad_menus(), 0);
  EXPECT_EQ(vx_inp_state(DIK_RETURN), 0) << "off by default";
  vx_inp_pad_menus_set(1);
  poll();
  EXPECT_EQ(vx_inp_state(DIK_RETURN), 0x80);
  EXPECT_EQ(vx_inp_state(508), 128) << "the joystick code still reads as bound";
  plat_null_input_joystick_button(pad, PLAT_PAD_A, 0);
  poll();
  EXPECT_EQ(vx_inp_released(DIK_RETURN), 1);
  EXPECT_EQ(vx_inp_any(), 508) << "the plain joystick's buttons press no key";
}

}  // namespace
