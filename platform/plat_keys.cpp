// Keyboard tables: USB HID key usages to Windows virtual keys and PC scan
// codes, the key messages built from them, and the characters keys give.
#include <array>
#include "platform/plat_input.h"
#include "platform/plat_internal.h"

namespace {

struct KEY_ROW {
  uint8_t usage;  // USB HID keyboard page usage (equal to the SDL scancode)
  uint8_t vk;     // Windows virtual-key code
  uint8_t scan;   // PC scan code set 1 (the make code)
  uint8_t ext;    // 1 for the keys that send the 0xE0 prefix
};

// The PC set-1 scan codes are those of the IBM keyboard; with the extended
// flag added as 0x80 they are DirectInput's key numbers (Up 0x48 + 0x80 =
// 200). Pause is the odd one: it sends E1 1D 45, DirectInput numbers it 0xC5,
// so it is given here as scan 0x45 extended, and Num Lock as 0x45 plain.
constexpr KEY_ROW KEY_ROWS[] = {
    {0x04, 'A', 0x1E, 0}, {0x05, 'B', 0x30, 0}, {0x06, 'C', 0x2E, 0}, {0x07, 'D', 0x20, 0},
    {0x08, 'E', 0x12, 0}, {0x09, 'F', 0x21, 0}, {0x0A, 'G', 0x22, 0}, {0x0B, 'H', 0x23, 0},
    {0x0C, 'I', 0x17, 0}, {0x0D, 'J', 0x24, 0}, {0x0E, 'K', 0x25, 0}, {0x0F, 'L', 0x26, 0},
    {0x10, 'M', 0x32, 0}, {0x11, 'N', 0x31, 0}, {0x12, 'O', 0x18, 0}, {0x13, 'P', 0x19, 0},
    {0x14, 'Q', 0x10, 0}, {0x15, 'R', 0x13, 0}, {0x16, 'S', 0x1F, 0}, {0x17, 'T', 0x14, 0},
    {0x18, 'U', 0x16, 0}, {0x19, 'V', 0x2F, 0}, {0x1A, 'W', 0x11, 0}, {0x1B, 'X', 0x2D, 0},
    {0x1C, 'Y', 0x15, 0}, {0x1D, 'Z', 0x2C, 0},
    {0x1E, '1', 0x02, 0}, {0x1F, '2', 0x03, 0}, {0x20, '3', 0x04, 0}, {0x21, '4', 0x05, 0},
    {0x22, '5', 0x06, 0}, {0x23, '6', 0x07, 0}, {0x24, '7', 0x08, 0}, {0x25, '8', 0x09, 0},
    {0x26, '9', 0x0A, 0}, {0x27, '0', 0x0B, 0},
    {0x28, PLAT_VK_RETURN, 0x1C, 0}, {0x29, PLAT_VK_ESCAPE, 0x01, 0}, {0x2A, PLAT_VK_BACK, 0x0E, 0},
    {0x2B, PLAT_VK_TAB, 0x0F, 0}, {0x2C, PLAT_VK_SPACE, 0x39, 0},
    {0x2D, PLAT_VK_OEM_MINUS, 0x0C, 0}, {0x2E, PLAT_VK_OEM_PLUS, 0x0D, 0}, {0x2F, PLAT_VK_OEM_4, 0x1A, 0},
    {0x30, PLAT_VK_OEM_6, 0x1B, 0}, {0x31, PLAT_VK_OEM_5, 0x2B, 0}, {0x32, PLAT_VK_OEM_5, 0x2B, 0},
    {0x33, PLAT_VK_OEM_1, 0x27, 0}, {0x34, PLAT_VK_OEM_7, 0x28, 0}, {0x35, PLAT_VK_OEM_3, 0x29, 0},
    {0x36, PLAT_VK_OEM_COMMA, 0x33, 0}, {0x37, PLAT_VK_OEM_PERIOD, 0x34, 0}, {0x38, PLAT_VK_OEM_2, 0x35, 0},
    {0x39, PLAT_VK_CAPITAL, 0x3A, 0},
    {0x3A, PLAT_VK_F1, 0x3B, 0}, {0x3B, PLAT_VK_F1 + 1, 0x3C, 0}, {0x3C, PLAT_VK_F1 + 2, 0x3D, 0},
    {0x3D, PLAT_VK_F1 + 3, 0x3E, 0}, {0x3E, PLAT_VK_F1 + 4, 0x3F, 0}, {0x3F, PLAT_VK_F1 + 5, 0x40, 0},
    {0x40, PLAT_VK_F1 + 6, 0x41, 0}, {0x41, PLAT_VK_F1 + 7, 0x42, 0}, {0x42, PLAT_VK_F1 + 8, 0x43, 0},
    {0x43, PLAT_VK_F1 + 9, 0x44, 0}, {0x44, PLAT_VK_F1 + 10, 0x57, 0}, {0x45, PLAT_VK_F1 + 11, 0x58, 0},
    {0x46, PLAT_VK_SNAPSHOT, 0x37, 1}, {0x47, PLAT_VK_SCROLL, 0x46, 0}, {0x48, PLAT_VK_PAUSE, 0x45, 1},
    {0x49, PLAT_VK_INSERT, 0x52, 1}, {0x4A, PLAT_VK_HOME, 0x47, 1}, {0x4B, PLAT_VK_PRIOR, 0x49, 1},
    {0x4C, PLAT_VK_DELETE, 0x53, 1}, {0x4D, PLAT_VK_END, 0x4F, 1}, {0x4E, PLAT_VK_NEXT, 0x51, 1},
    {0x4F, PLAT_VK_RIGHT, 0x4D, 1}, {0x50, PLAT_VK_LEFT, 0x4B, 1}, {0x51, PLAT_VK_DOWN, 0x50, 1},
    {0x52, PLAT_VK_UP, 0x48, 1},
    {0x53, PLAT_VK_NUMLOCK, 0x45, 0}, {0x54, PLAT_VK_DIVIDE, 0x35, 1}, {0x55, PLAT_VK_MULTIPLY, 0x37, 0},
    {0x56, PLAT_VK_SUBTRACT, 0x4A, 0}, {0x57, PLAT_VK_ADD, 0x4E, 0}, {0x58, PLAT_VK_RETURN, 0x1C, 1},
    {0x59, PLAT_VK_NUMPAD0 + 1, 0x4F, 0}, {0x5A, PLAT_VK_NUMPAD0 + 2, 0x50, 0}, {0x5B, PLAT_VK_NUMPAD0 + 3, 0x51, 0},
    {0x5C, PLAT_VK_NUMPAD0 + 4, 0x4B, 0}, {0x5D, PLAT_VK_NUMPAD0 + 5, 0x4C, 0}, {0x5E, PLAT_VK_NUMPAD0 + 6, 0x4D, 0},
    {0x5F, PLAT_VK_NUMPAD0 + 7, 0x47, 0}, {0x60, PLAT_VK_NUMPAD0 + 8, 0x48, 0}, {0x61, PLAT_VK_NUMPAD0 + 9, 0x49, 0},
    {0x62, PLAT_VK_NUMPAD0, 0x52, 0}, {0x63, PLAT_VK_DECIMAL, 0x53, 0},
    {0x64, PLAT_VK_OEM_102, 0x56, 0}, {0x65, PLAT_VK_APPS, 0x5D, 1},
    {0xE0, PLAT_VK_CONTROL, 0x1D, 0}, {0xE1, PLAT_VK_SHIFT, 0x2A, 0}, {0xE2, PLAT_VK_MENU, 0x38, 0},
    {0xE3, PLAT_VK_LWIN, 0x5B, 1}, {0xE4, PLAT_VK_CONTROL, 0x1D, 1}, {0xE5, PLAT_VK_SHIFT, 0x36, 0},
    {0xE6, PLAT_VK_MENU, 0x38, 1}, {0xE7, PLAT_VK_RWIN, 0x5C, 1},
};

constexpr std::array<KEY_ROW, 256> make_key_table() {
  std::array<KEY_ROW, 256> t{};
  for (const KEY_ROW& r : KEY_ROWS) t[r.usage] = r;
  return t;
}
constexpr std::array<KEY_ROW, 256> KEY_TABLE = make_key_table();
static_assert(KEY_TABLE[0x29].scan == 1 && KEY_TABLE[0x28].scan == 28, "Esc and Enter");
static_assert(KEY_TABLE[0x52].scan + 0x80 == 200 && KEY_TABLE[0x50].scan + 0x80 == 203, "Up and Left");

// Keys that make no window message here but do have a DirectInput number:
// F13 to F15, keypad '=' and ',', the Japanese and Brazilian keys, power and
// the volume keys. The numbers are again the set-1 make codes, +0x80 after
// an 0xE0 prefix.
struct USAGE_NUMBER {
  uint8_t usage;
  uint8_t number;
};
constexpr USAGE_NUMBER EXTRA_NUMBERS[] = {
    {0x66, 0xDE},  // Power (E0 5E)
    {0x67, 0x59},  // keypad =
    {0x68, 0x64}, {0x69, 0x65}, {0x6A, 0x66},  // F13, F14, F15
    {0x7F, 0xA0},  // Mute (E0 20)
    {0x80, 0xB0},  // Volume up (E0 30)
    {0x81, 0xAE},  // Volume down (E0 2E)
    {0x85, 0x7E},  // keypad , (Brazilian keypad .)
    {0x87, 0x73},  // International 1: Ro / Brazilian /?
    {0x88, 0x70},  // International 2: Katakana/Hiragana
    {0x89, 0x7D},  // International 3: Yen
    {0x8A, 0x79},  // International 4: Henkan (convert)
    {0x8B, 0x7B},  // International 5: Muhenkan (no convert)
};

constexpr std::array<uint8_t, 256> make_number_table() {
  std::array<uint8_t, 256> t{};
  for (const KEY_ROW& r : KEY_ROWS) t[r.usage] = static_cast<uint8_t>(r.scan | (r.ext ? 0x80 : 0));
  for (const USAGE_NUMBER& e : EXTRA_NUMBERS) t[e.usage] = e.number;
  return t;
}
constexpr std::array<uint8_t, 256> NUMBER_TABLE = make_number_table();
static_assert(NUMBER_TABLE[0x52] == 200 && NUMBER_TABLE[0x51] == 208, "Up and Down");
static_assert(NUMBER_TABLE[0xE4] == 157 && NUMBER_TABLE[0xE6] == 184, "right Ctrl and right Alt");
static_assert(NUMBER_TABLE[0] == 0, "key number 0 is never set");

// US layout: the unshifted and shifted characters of the OEM keys.
struct OEM_CHARS {
  uint8_t vk;
  char plain, shifted;
};
constexpr OEM_CHARS OEM_ROWS[] = {
    {PLAT_VK_OEM_1, ';', ':'},     {PLAT_VK_OEM_PLUS, '=', '+'}, {PLAT_VK_OEM_COMMA, ',', '<'},
    {PLAT_VK_OEM_MINUS, '-', '_'}, {PLAT_VK_OEM_PERIOD, '.', '>'}, {PLAT_VK_OEM_2, '/', '?'},
    {PLAT_VK_OEM_3, '`', '~'},     {PLAT_VK_OEM_4, '[', '{'},     {PLAT_VK_OEM_5, '\\', '|'},
    {PLAT_VK_OEM_6, ']', '}'},     {PLAT_VK_OEM_7, '\'', '"'},    {PLAT_VK_OEM_102, '\\', '|'},
};
constexpr char SHIFTED_DIGITS[] = ")!@#$%^&*(";

}  // namespace

int plat_key_message(const PLAT_KEY_EVENT* key, PLAT_MSG* msg) {
  if (!key || !msg || key->usage > 255) return 0;
  const KEY_ROW& row = KEY_TABLE[key->usage];
  if (row.vk == 0) return 0;
  uint32_t vk = row.vk;
  // Letters follow the layout (the key under Q on a French keyboard is 'A').
  if (row.vk >= 'A' && row.vk <= 'Z' && key->layout_char >= 'a' && key->layout_char <= 'z')
    vk = key->layout_char - 'a' + 'A';
  // Alt makes system keys (Ctrl+Alt is AltGr and is not); F10 and Alt
  // itself are system keys on their own.
  int sys = (key->alt && !key->ctrl) || vk == PLAT_VK_F10 || vk == PLAT_VK_MENU;
  uint32_t lp = 1u | (static_cast<uint32_t>(row.scan) << 16);
  if (row.ext) lp |= PLAT_KEY_LPARAM_EXTENDED;
  if (key->alt && !key->ctrl) lp |= PLAT_KEY_LPARAM_ALT;
  if (!key->down) lp |= PLAT_KEY_LPARAM_REPEAT | PLAT_KEY_LPARAM_UP;
  else if (key->repeat) lp |= PLAT_KEY_LPARAM_REPEAT;
  if (key->down)
    msg->message = sys ? PLAT_WM_SYSKEYDOWN : PLAT_WM_KEYDOWN;
  else
    msg->message = sys ? PLAT_WM_SYSKEYUP : PLAT_WM_KEYUP;
  msg->wparam = vk;
  // lparam carries 32 bits, as on Windows; on a 64-bit build they are not sign-extended.
  msg->lparam = static_cast<intptr_t>(lp);
  return 1;
}

uint32_t plat_input_key_number(uint32_t usage) { return usage < 256 ? NUMBER_TABLE[usage] : 0; }

uint32_t plat_key_char(uint32_t vk, int shift, int caps, int ctrl) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return vk - 'A' + 1;
    return (shift != caps) ? vk : vk - 'A' + 'a';
  }
  if (ctrl) return 0;
  if (vk >= '0' && vk <= '9') return shift ? static_cast<uint32_t>(SHIFTED_DIGITS[vk - '0']) : vk;
  if (vk >= PLAT_VK_NUMPAD0 && vk <= PLAT_VK_NUMPAD0 + 9) return '0' + (vk - PLAT_VK_NUMPAD0);
  switch (vk) {
    case PLAT_VK_SPACE: return ' ';
    case PLAT_VK_RETURN: return '\r';
    case PLAT_VK_BACK: return 8;
    case PLAT_VK_TAB: return 9;
    case PLAT_VK_ESCAPE: return 27;
    case PLAT_VK_MULTIPLY: return '*';
    case PLAT_VK_ADD: return '+';
    case PLAT_VK_SUBTRACT: return '-';
    case PLAT_VK_DECIMAL: return '.';
    case PLAT_VK_DIVIDE: return '/';
    default: break;
  }
  for (const OEM_CHARS& o : OEM_ROWS)
    if (o.vk == vk) return static_cast<uint8_t>(shift ? o.shifted : o.plain);
  return 0;
}
