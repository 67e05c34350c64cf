// Key messages built from physical keys, and the characters keys give.
#include <gtest/gtest.h>
#include "platform/plat_internal.h"

namespace {

// USB HID keyboard usages (the numbers SDL uses for its scancodes).
constexpr uint32_t USB_A = 0x04, USB_Q = 0x14, USB_1 = 0x1E, USB_ENTER = 0x28, USB_ESC = 0x29;
constexpr uint32_t USB_F4 = 0x3D, USB_F10 = 0x43, USB_F12 = 0x45, USB_UP = 0x52, USB_LEFT = 0x50;
constexpr uint32_t USB_KP_ENTER = 0x58, USB_LALT = 0xE2, USB_RALT = 0xE6, USB_PAUSE = 0x48;
constexpr uint32_t USB_NUMLOCK = 0x53;

PLAT_MSG key(uint32_t usage, int down = 1, int alt = 0, int ctrl = 0, int repeat = 0, uint32_t layout = 0) {
  PLAT_KEY_EVENT k{usage, layout, down, repeat, alt, ctrl};
  PLAT_MSG m{};
  EXPECT_EQ(plat_key_message(&k, &m), 1) << "usage " << usage;
  return m;
}

uint32_t scan(const PLAT_MSG& m) { return static_cast<uint32_t>((m.lparam >> 16) & 0xFF); }
bool has(const PLAT_MSG& m, uint32_t bit) { return (static_cast<uint32_t>(m.lparam) & bit) != 0; }

// Scan codes: the IBM PC set-1 make codes, which DirectInput numbers the same
// way (its DIK_ constants), extended keys with 0x80 added.
TEST(PlatKeys, PlainKeysGiveVirtualKeyAndScanCode) {
  PLAT_MSG m = key(USB_ESC);
  EXPECT_EQ(m.message, WM_KEYDOWN);
  EXPECT_EQ(m.wparam, VK_ESCAPE);
  EXPECT_EQ(scan(m), 1u);
  EXPECT_EQ(m.lparam & 0xFFFF, 1);  // repeat count
  EXPECT_FALSE(has(m, KEY_LPARAM_EXTENDED | KEY_LPARAM_ALT | KEY_LPARAM_REPEAT | KEY_LPARAM_UP));
  m = key(USB_ENTER);
  EXPECT_EQ(m.wparam, VK_RETURN);
  EXPECT_EQ(plat_key_number(m.lparam), 28u);
  m = key(USB_A);
  EXPECT_EQ(m.wparam, static_cast<uintptr_t>('A'));
  EXPECT_EQ(scan(m), 0x1Eu);
  m = key(USB_1);
  EXPECT_EQ(m.wparam, static_cast<uintptr_t>('1'));
  EXPECT_EQ(scan(m), 2u);
  m = key(USB_F12);
  EXPECT_EQ(m.wparam, VK_F12);
  EXPECT_EQ(scan(m), 0x58u);
}

TEST(PlatKeys, ExtendedKeysCarryTheFlag) {
  PLAT_MSG m = key(USB_UP);
  EXPECT_EQ(m.wparam, VK_UP);
  EXPECT_EQ(scan(m), 72u);
  EXPECT_TRUE(has(m, KEY_LPARAM_EXTENDED));
  EXPECT_EQ(plat_key_number(m.lparam), 200u);
  EXPECT_EQ(plat_key_number(key(USB_LEFT).lparam), 203u);
  m = key(USB_KP_ENTER);
  EXPECT_EQ(m.wparam, VK_RETURN);
  EXPECT_EQ(plat_key_number(m.lparam), 156u);
  EXPECT_EQ(plat_key_number(key(USB_RALT, 1, 1).lparam), 184u);
  EXPECT_EQ(plat_key_number(key(USB_PAUSE).lparam), 0xC5u);
  EXPECT_EQ(plat_key_number(key(USB_NUMLOCK).lparam), 0x45u);
}

TEST(PlatKeys, ReleaseAndRepeatBits) {
  PLAT_MSG m = key(USB_A, 0);
  EXPECT_EQ(m.message, WM_KEYUP);
  EXPECT_TRUE(has(m, KEY_LPARAM_UP));
  EXPECT_TRUE(has(m, KEY_LPARAM_REPEAT));
  m = key(USB_A, 1, 0, 0, 1);
  EXPECT_EQ(m.message, WM_KEYDOWN);
  EXPECT_TRUE(has(m, KEY_LPARAM_REPEAT));
  EXPECT_FALSE(has(m, KEY_LPARAM_UP));
}

TEST(PlatKeys, AltMakesSystemKeys) {
  PLAT_MSG m = key(USB_F4, 1, 1);
  EXPECT_EQ(m.message, WM_SYSKEYDOWN);
  EXPECT_EQ(m.wparam, VK_F4);
  EXPECT_TRUE(has(m, KEY_LPARAM_ALT));
  m = key(USB_ENTER, 0, 1);
  EXPECT_EQ(m.message, WM_SYSKEYUP);
  m = key(USB_LALT, 1, 1);
  EXPECT_EQ(m.message, WM_SYSKEYDOWN);
  EXPECT_EQ(m.wparam, VK_MENU);
  EXPECT_TRUE(has(m, KEY_LPARAM_ALT));
  m = key(USB_LALT, 0, 0);  // Alt let go: still a system key, Alt no longer held
  EXPECT_EQ(m.message, WM_SYSKEYUP);
  EXPECT_FALSE(has(m, KEY_LPARAM_ALT));
}

TEST(PlatKeys, F10IsASystemKeyWithoutAlt) {
  PLAT_MSG m = key(USB_F10);
  EXPECT_EQ(m.message, WM_SYSKEYDOWN);
  EXPECT_FALSE(has(m, KEY_LPARAM_ALT));
}

TEST(PlatKeys, CtrlAltIsNotASystemKey) {
  PLAT_MSG m = key(USB_Q, 1, 1, 1);
  EXPECT_EQ(m.message, WM_KEYDOWN);
  EXPECT_FALSE(has(m, KEY_LPARAM_ALT));
}

TEST(PlatKeys, LettersFollowTheLayoutScanCodesThePosition) {
  PLAT_MSG m = key(USB_Q, 1, 0, 0, 0, 'a');  // the Q position of a French keyboard
  EXPECT_EQ(m.wparam, static_cast<uintptr_t>('A'));
  EXPECT_EQ(scan(m), 0x10u);
  m = key(USB_Q, 1, 0, 0, 0, '^');  // a non-letter keeps the position's key
  EXPECT_EQ(m.wparam, static_cast<uintptr_t>('Q'));
}

TEST(PlatKeys, UnknownUsagesGiveNoMessage) {
  PLAT_MSG m{nullptr, 0x4321, 1, 2, 3};
  PLAT_KEY_EVENT k{0, 0, 1, 0, 0, 0};
  EXPECT_EQ(plat_key_message(&k, &m), 0);
  k.usage = 0x99;
  EXPECT_EQ(plat_key_message(&k, &m), 0);
  k.usage = 1000;
  EXPECT_EQ(plat_key_message(&k, &m), 0);
  EXPECT_EQ(plat_key_message(nullptr, &m), 0);
  EXPECT_EQ(m.message, 0x4321u);
}

TEST(PlatKeys, LettersWithShiftAndCapsLock) {
  EXPECT_EQ(plat_key_char('A', 0, 0, 0), static_cast<uint32_t>('a'));
  EXPECT_EQ(plat_key_char('A', 1, 0, 0), static_cast<uint32_t>('A'));
  EXPECT_EQ(plat_key_char('A', 0, 1, 0), static_cast<uint32_t>('A'));
  EXPECT_EQ(plat_key_char('A', 1, 1, 0), static_cast<uint32_t>('a'));
  EXPECT_EQ(plat_key_char('C', 0, 0, 1), 3u);
}

TEST(PlatKeys, DigitsPunctuationAndControls) {
  EXPECT_EQ(plat_key_char('1', 0, 0, 0), static_cast<uint32_t>('1'));
  EXPECT_EQ(plat_key_char('1', 1, 0, 0), static_cast<uint32_t>('!'));
  EXPECT_EQ(plat_key_char('0', 1, 0, 0), static_cast<uint32_t>(')'));
  EXPECT_EQ(plat_key_char(VK_OEM_2, 1, 0, 0), static_cast<uint32_t>('?'));
  EXPECT_EQ(plat_key_char(VK_OEM_7, 0, 0, 0), static_cast<uint32_t>('\''));
  EXPECT_EQ(plat_key_char(VK_NUMPAD0 + 7, 0, 0, 0), static_cast<uint32_t>('7'));
  EXPECT_EQ(plat_key_char(VK_RETURN, 0, 0, 0), 13u);
  EXPECT_EQ(plat_key_char(VK_ESCAPE, 0, 0, 0), 27u);
  EXPECT_EQ(plat_key_char(VK_BACK, 0, 0, 0), 8u);
  EXPECT_EQ(plat_key_char(VK_SPACE, 1, 0, 0), static_cast<uint32_t>(' '));
}

TEST(PlatKeys, KeysWithoutCharacters) {
  for (uint32_t vk : {VK_F1, VK_F4, VK_F12, VK_UP, VK_SHIFT, VK_CONTROL, VK_MENU, VK_HOME, VK_DELETE})
    EXPECT_EQ(plat_key_char(vk, 0, 0, 0), 0u) << vk;
  EXPECT_EQ(plat_key_char('1', 0, 0, 1), 0u);
}

}  // namespace
