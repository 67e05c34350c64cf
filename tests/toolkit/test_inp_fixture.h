// Shared set-up of the input and player tests: the error module and the input layer over the null devices.
#pragma once
#include <gtest/gtest.h>

#include "core/vx_error.h"
#include "platform/null/plat_null_input.h"
#include "platform/plat_input.h"
#include "toolkit/vx_inp.h"
#include "tests/support/engine_fixture.h"

// USB HID keyboard usages (the numbers SDL gives its scan codes), the
// platform's input for the keys the tests press.
constexpr uint32_t USB_A = 0x04, USB_V = 0x19, USB_N = 0x11, USB_SPACE = 0x2C, USB_ENTER = 0x28;
constexpr uint32_t USB_ESC = 0x29, USB_RIGHT = 0x4F, USB_LEFT = 0x50, USB_DOWN = 0x51, USB_UP = 0x52;
constexpr uint32_t USB_LCTRL = 0xE0, USB_LSHIFT = 0xE1, USB_LWIN = 0xE3, USB_RCTRL = 0xE4;
constexpr uint32_t USB_Z = 0x1D;

// DirectInput key numbers (dinput.h DIK_ constants).
constexpr int DIK_ESCAPE = 1, DIK_A = 30, DIK_V = 47, DIK_Z = 44, DIK_LSHIFT = 42, DIK_SPACE = 57;
constexpr int DIK_RETURN = 28, DIK_UP = 200, DIK_DOWN = 208, DIK_LEFT = 203, DIK_RIGHT = 205;

class InpTest : public testing::Test {
 protected:
  VX_INP_SETTINGS settings = {0, 0};
  void SetUp() override {
    VX_ERROR_SETTINGS es = {0};
    vx_error_init(&es);
    plat_null_input_reset();
    attach_devices();
    vx_inp_set_clipboard(nullptr);
    ASSERT_EQ(vx_inp_init(&settings), 1);
  }
  void TearDown() override {
    vx_inp_deinit();
    vx_inp_set_clipboard(nullptr);
    plat_null_input_reset();
    vx_error_deinit();
  }
  // Devices present when the input layer starts.
  virtual void attach_devices() {}
  static void key(uint32_t usage, int down) { plat_null_input_key(usage, down); }
  // Joysticks attached now are opened at the next poll and read from the one after.
  static void poll(int times = 1) {
    for (int i = 0; i < times; i++) vx_inp_poll();
  }
};
