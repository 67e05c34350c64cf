// Key messages built from physical keys, and the characters keys give.
#include <gtest/gtest.h>
#include "platform/plat_internal.h"

namespace {

// USB HID keyboard usages (the numbers SDL uses for its scancodes).
constexpr uint32_t USB_A = 0x04, USB_Q = 0x14, USB_1 = 0x1E, USB_ENTER = 0x28, USB_ESC = 0x29;
constexpr uint32_t USB_F4 = 0x3D, USB_F10 = 0x43, USB_F12 = 0x45, USB_UP = 0x52, USB_LEFT = 0x50;
constexpr uint32_t USB_KP_ENTER = 0x58, USB_LALT = 0xE2, USB_RALT = 0xE6, USB_PAUSE = 0x48;
constexpr uint32_t USB_NUMLOCK = 0x53;

// Scan codes: the IBM PC set-1 make codes, which DirectInput numbers the same
// way (its DIK_ constants), extended keys with 0x80 added.
TEST(PlatKeys, KeyMessages) {
  constexpr uint32_t EXT = PLAT_KEY_LPARAM_EXTENDED, ALT = PLAT_KEY_LPARAM_ALT, REP = PLAT_KEY_LPARAM_REPEAT, UP = PLAT_KEY_LPARAM_UP;
  struct Case {
    const char* what;
    uint32_t usage;
    int down, alt, ctrl, repeat;
    uint32_t layout;  // the letter the layout puts at the position, 0 none
    uint32_t message;
    int64_t vk, scan, number;  // -1: not looked at
    uint32_t set, clear;       // lParam bits
  };
  const Case cases[] = {
      {"Esc", USB_ESC, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, PLAT_VK_ESCAPE, 1, -1, 0, EXT | ALT | REP | UP},
      {"Enter", USB_ENTER, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, PLAT_VK_RETURN, -1, 28, 0, 0},
      {"A", USB_A, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, 'A', 0x1E, -1, 0, 0},
      {"1", USB_1, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, '1', 2, -1, 0, 0},
      {"F12", USB_F12, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, PLAT_VK_F12, 0x58, -1, 0, 0},
      {"Up is extended", USB_UP, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, PLAT_VK_UP, 72, 200, EXT, 0},
      {"Left", USB_LEFT, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, -1, -1, 203, 0, 0},
      {"keypad Enter", USB_KP_ENTER, 1, 0, 0, 0, 0, PLAT_WM_KEYDOWN, PLAT_VK_RETURN, -1, 156, 0, 0},
      {"right Alt", USB_RALT, 1, 1, 0, 0, 0, 0, -1, -1, 184, 0, 0},
      {"Pause", USB_PAUSE, 1, 0, 0, 0, 0, 0, -1, -1, 0xC5, 0, 0},
      {"Num Lock", USB_NUMLOCK, 1, 0, 0, 0, 0, 0, -1, -1, 0x45, 0, 0},
      {"release", USB_A, 0, 0, 0, 0, 0, PLAT_WM_KEYUP, -1, -1, -1, UP | REP, 0},
      {"repeat", USB_A, 1, 0, 0, 1, 0, PLAT_WM_KEYDOWN, -1, -1, -1, REP, UP},
      // Alt makes system keys.
      {"Alt+F4", USB_F4, 1, 1, 0, 0, 0, PLAT_WM_SYSKEYDOWN, PLAT_VK_F4, -1, -1, ALT, 0},
      {"Alt+Enter let go", USB_ENTER, 0, 1, 0, 0, 0, PLAT_WM_SYSKEYUP, -1, -1, -1, 0, 0},
      {"Alt itself", USB_LALT, 1, 1, 0, 0, 0, PLAT_WM_SYSKEYDOWN, PLAT_VK_MENU, -1, -1, ALT, 0},
      {"Alt let go: still a system key, Alt no longer held", USB_LALT, 0, 0, 0, 0, 0, PLAT_WM_SYSKEYUP, -1, -1, -1, 0, ALT},
      {"F10 is a system key without Alt", USB_F10, 1, 0, 0, 0, 0, PLAT_WM_SYSKEYDOWN, -1, -1, -1, 0, ALT},
      {"Ctrl+Alt is not a system key", USB_Q, 1, 1, 1, 0, 0, PLAT_WM_KEYDOWN, -1, -1, -1, 0, ALT},
      // Letters follow the layout, scan codes the position.
      {"the Q position of a French keyboard", USB_Q, 1, 0, 0, 0, 'a', PLAT_WM_KEYDOWN, 'A', 0x10, -1, 0, 0},
      {"a non-letter keeps the position's key", USB_Q, 1, 0, 0, 0, '^', PLAT_WM_KEYDOWN, 'Q', -1, -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PLAT_KEY_EVENT k{c.usage, c.layout, c.down, c.repeat, c.alt, c.ctrl};
    PLAT_MSG m{};
    ASSERT_EQ(plat_key_message(&k, &m), 1);
    const uint32_t bits = static_cast<uint32_t>(m.lparam);
    if (c.message) {
      EXPECT_EQ(m.message, c.message);
    }
    if (c.vk >= 0) {
      EXPECT_EQ(m.wparam, static_cast<uintptr_t>(c.vk));
    }
    if (c.scan >= 0) {
      EXPECT_EQ((bits >> 16) & 0xFF, static_cast<uint32_t>(c.scan));
    }
    if (c.number >= 0) {
      EXPECT_EQ(plat_key_number(m.lparam), static_cast<uint32_t>(c.number));
    }
    EXPECT_EQ(bits & c.set, c.set);
    EXPECT_EQ(bits & c.clear, 0u);
    EXPECT_EQ(bits & 0xFFFF, 1u) << "repeat count";
  }
}

TEST(PlatKeys, Characters) {
  struct Case {
    uint32_t vk;
    int shift, caps, ctrl;
    uint32_t ch;
  };
  const Case cases[] = {
      // Letters with Shift and Caps Lock; Ctrl+C.
      {'A', 0, 0, 0, 'a'}, {'A', 1, 0, 0, 'A'}, {'A', 0, 1, 0, 'A'}, {'A', 1, 1, 0, 'a'}, {'C', 0, 0, 1, 3},
      // Digits, punctuation and controls.
      {'1', 0, 0, 0, '1'}, {'1', 1, 0, 0, '!'}, {'0', 1, 0, 0, ')'}, {PLAT_VK_OEM_2, 1, 0, 0, '?'},
      {PLAT_VK_OEM_7, 0, 0, 0, '\''}, {PLAT_VK_NUMPAD0 + 7, 0, 0, 0, '7'}, {PLAT_VK_RETURN, 0, 0, 0, 13}, {PLAT_VK_ESCAPE, 0, 0, 0, 27},
      {PLAT_VK_BACK, 0, 0, 0, 8}, {PLAT_VK_SPACE, 1, 0, 0, ' '}, {'1', 0, 0, 1, 0},
      // Keys without characters.
      {PLAT_VK_F1, 0, 0, 0, 0}, {PLAT_VK_F4, 0, 0, 0, 0}, {PLAT_VK_F12, 0, 0, 0, 0}, {PLAT_VK_UP, 0, 0, 0, 0}, {PLAT_VK_SHIFT, 0, 0, 0, 0},
      {PLAT_VK_CONTROL, 0, 0, 0, 0}, {PLAT_VK_MENU, 0, 0, 0, 0}, {PLAT_VK_HOME, 0, 0, 0, 0}, {PLAT_VK_DELETE, 0, 0, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(plat_key_char(c.vk, c.shift, c.caps, c.ctrl), c.ch) << c.vk << " " << c.shift << c.caps << c.ctrl;
}

}  // namespace
