// Input devices: window-procedure share and foreground handling, paste, key characters, platform check.
#include <cstring>

#include "toolkit/vx_inp_internal.h"

namespace {

INP_STATE& st = vx_inp_shared;

constexpr int PLATFORM_NT = 3;
constexpr int PLATFORM_9X = 1;
constexpr int VERSION_NEEDED = 0x0500;
constexpr int VERSION_HERE = 0x0701;  // the NT family counts as 7.01
constexpr const char* kRefusalText =
    "Sorry, but this program requires Direct/X 5.0 or newer to be installed on a Windows 9x or Windows "
    "2000 system. Click Ok to exit.";

constexpr int CLIPBOARD_MAX = 4096;  // bytes of clipboard text taken; longer texts are not pasted

// Key-to-character tables, US layout: (key number, character) pairs, ended by
// key 0. Esc gives 1, Backspace 8, Tab 9 and Enter 19 in both.
struct KEY_CHAR {
  uint8_t code;
  uint8_t ch;
};

constexpr KEY_CHAR kPlainChars[] = {
    {11, '0'}, {2, '1'}, {3, '2'}, {4, '3'}, {5, '4'}, {6, '5'}, {7, '6'}, {8, '7'}, {9, '8'}, {10, '9'},
    {30, 'a'}, {48, 'b'}, {46, 'c'}, {32, 'd'}, {18, 'e'}, {33, 'f'}, {34, 'g'}, {35, 'h'}, {23, 'i'},
    {36, 'j'}, {37, 'k'}, {38, 'l'}, {50, 'm'}, {49, 'n'}, {24, 'o'}, {25, 'p'}, {16, 'q'}, {19, 'r'},
    {31, 's'}, {20, 't'}, {22, 'u'}, {47, 'v'}, {17, 'w'}, {45, 'x'}, {21, 'y'}, {44, 'z'},
    {55, '*'}, {40, '\''}, {41, '`'}, {26, '['}, {27, ']'}, {12, '-'}, {13, '='}, {53, '/'}, {43, '\\'},
    {51, ','}, {39, ';'}, {52, '.'}, {57, ' '}, {1, 1}, {14, 8}, {15, 9}, {28, 19}, {0, 0},
};

constexpr KEY_CHAR kShiftedChars[] = {
    {11, ')'}, {2, '!'}, {3, '@'}, {4, '#'}, {5, '$'}, {6, '%'}, {7, '^'}, {8, '&'}, {9, '*'}, {10, '('},
    {30, 'A'}, {48, 'B'}, {46, 'C'}, {32, 'D'}, {18, 'E'}, {33, 'F'}, {34, 'G'}, {35, 'H'}, {23, 'I'},
    {36, 'J'}, {37, 'K'}, {38, 'L'}, {50, 'M'}, {49, 'N'}, {24, 'O'}, {25, 'P'}, {16, 'Q'}, {19, 'R'},
    {31, 'S'}, {20, 'T'}, {22, 'U'}, {47, 'V'}, {17, 'W'}, {45, 'X'}, {21, 'Y'}, {44, 'Z'},
    {55, '*'}, {40, '"'}, {41, '~'}, {26, '{'}, {27, '}'}, {12, '_'}, {13, '+'}, {53, '?'}, {43, '|'},
    {51, '<'}, {39, ':'}, {52, '>'}, {57, ' '}, {1, 1}, {14, 8}, {15, 9}, {28, 19}, {0, 0},
};

int platform_clipboard(char* buf, int size) { return plat_clipboard_text(buf, size); }

// The longest prefix of `text` of at most `room` bytes that ends on a UTF-8
// character boundary.
size_t fit_utf8(const char* text, size_t room) {
  size_t len = std::strlen(text);
  if (len <= room) return len;
  size_t cut = room;
  while (cut > 0 && (static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80) cut--;
  return cut;
}

}  // namespace

void vx_inp_activate(int active) {
  if (!st.started) return;
  if (active) {
    st.swapped = plat_input_buttons_swapped();
    if (!st.pointer_free) plat_input_mouse_acquire(1);
    plat_input_show_cursor(st.pointer_free);
    plat_input_keyboard_acquire(1);
  } else {
    plat_input_mouse_acquire(0);
    plat_input_show_cursor(1);
    plat_input_keyboard_acquire(0);
  }
  // Keys held while switching away must not stay down, nor read as let go later.
  vx_inp_clear_states();
  st.inactive = !active;
}

int vx_inp_active() { return !st.inactive; }

void vx_inp_pointer_free(int free) {
  free = free ? 1 : 0;
  if (!st.started || free == st.pointer_free) return;
  st.pointer_free = free;
  if (st.inactive) return;  // inactive, the pointer is free already; activation decides
  plat_input_mouse_acquire(!free);
  plat_input_show_cursor(free);
}

void vx_inp_window_message(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t) {
  if (!st.started) return;
  switch (message) {
    case PLAT_WM_ACTIVATE: vx_inp_activate(plat_loword(wparam) != PLAT_WA_INACTIVE); break;
    case VX_INP_WM_ACTIVATE: vx_inp_activate(1); break;
    case PLAT_WM_KILLFOCUS:
    case PLAT_WM_ENTERMENULOOP:
    case PLAT_WM_ENTERSIZEMOVE: vx_inp_activate(0); break;
    case PLAT_WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == PLAT_SC_MINIMIZE) vx_inp_activate(0);
      if ((wparam & 0xFFF0) == PLAT_SC_RESTORE) vx_inp_activate(1);
      break;
    // Activation waits for the message queue, after the window has settled.
    case PLAT_WM_SETFOCUS:
    case PLAT_WM_LBUTTONDOWN: plat_post_message(window, VX_INP_WM_ACTIVATE, 0, 0); break;
    case PLAT_WM_SETCURSOR: plat_input_show_cursor(st.inactive || st.pointer_free); break;
    default: break;
  }
}

int vx_inp_paste(char* buffer, int size) {
  if (!buffer || size < 0) return 0;
  size_t len = strnlen(buffer, static_cast<size_t>(size));
  if (st.paste != 1) return static_cast<int>(len);
  st.paste = 2;
  char text[CLIPBOARD_MAX];
  text[0] = 0;
  VX_INP_CLIPBOARD reader = st.clipboard ? st.clipboard : platform_clipboard;
  if (!reader(text, sizeof text)) return static_cast<int>(len);
  text[sizeof text - 1] = 0;
  size_t n = fit_utf8(text, static_cast<size_t>(size) - len);
  std::memcpy(buffer + len, text, n);
  buffer[len + n] = 0;
  return static_cast<int>(len + n);
}

bool vx_inp_paste_pending() { return st.paste != 0; }
int vx_inp_paste_state() { return st.paste; }
void vx_inp_set_clipboard(VX_INP_CLIPBOARD reader) { st.clipboard = reader; }

int vx_inp_char(int code, int shifted) {
  if (code <= 0 || code >= VX_INP_KEYS) return 0;
  for (const KEY_CHAR* k = shifted ? kShiftedChars : kPlainChars; k->code; k++)
    if (k->code == code) return k->ch;
  return 0;
}

int vx_inp_check_directx(VX_INP_SYSTEM* out) {
  // No accessibility settings to switch off here, and the device interface
  // is always there: the platform counts as the NT family.
  VX_INP_SYSTEM found = {PLATFORM_NT, VERSION_HERE};
  if (out) *out = found;
  if (found.version >= VERSION_NEEDED && (found.platform == PLATFORM_9X || found.platform == PLATFORM_NT))
    return 1;
  plat_message_box(nullptr, kRefusalText, "Error", PLAT_MB_OK | PLAT_MB_ICONHAND);
  return 0;
}

void vx_inp_restore_system_keys() {}
