// Input devices: start and stop, the per-frame poll of mouse and keyboard, and the queries of the code space.
#include "toolkit/vx_inp.h"

#include <algorithm>
#include <cstring>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "toolkit/vx_inp_internal.h"

INP_STATE vx_inp_shared;

namespace {

INP_STATE& st = vx_inp_shared;

// The messages of module "Input", by error code. The odd spacing and line
// break are the messages' own.
const char* const kInputErrors[] = {
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
static_assert(std::size(kInputErrors) == VX_INP_ERR_KEYBOARD_COOPERATIVE + 1, "one message per code");

const VX_INP_SETTINGS kDefaultSettings = {0, 0};

// Pad indexes (code - 400).
constexpr int PAD_UP = 0, PAD_DOWN = 1, PAD_LEFT = 2, PAD_RIGHT = 3, PAD_BUTTON1 = 8;
constexpr int MOUSE_CLAMP = 128;
// Keys of the paste request.
constexpr int KEY_LCTRL = 29, KEY_RCTRL = 157, KEY_LWIN = 219, KEY_RWIN = 220, KEY_V = 47;
constexpr int KEY_LSHIFT = 42;
// Reads that fail for lost input are retried after acquiring at most this often.
constexpr int MAX_REACQUIRE = 2;

enum CODE_KIND { CODE_NONE, CODE_KEY, CODE_MOUSE, CODE_JOY };

CODE_KIND kind_of(int code) {
  if (code >= 0 && code < VX_INP_KEYS) return CODE_KEY;
  if (code >= 400 && code < 400 + VX_INP_BLOCK) return CODE_MOUSE;
  if (code >= 500 && code < 500 + VX_INP_BLOCK) return CODE_JOY;
  return CODE_NONE;
}

int add_capped(int value, int amount) { return std::min(value + amount, MOUSE_CLAMP); }

// Turns the clamped movement into the four pad directions and the buttons,
// then applies the diagonal rules.
void mouse_to_pad(int x, int y) {
  INP_BLOCK& pad = st.pad;
  const int t = st.threshold;
  if (x < -t) pad[PAD_LEFT] = static_cast<uint8_t>(add_capped(pad[PAD_LEFT], -x));
  if (x > t) pad[PAD_RIGHT] = static_cast<uint8_t>(add_capped(pad[PAD_RIGHT], x));
  if (y < -t) pad[PAD_UP] = static_cast<uint8_t>(add_capped(pad[PAD_UP], -y));
  if (y > t) pad[PAD_DOWN] = static_cast<uint8_t>(add_capped(pad[PAD_DOWN], y));
  // Buttons are level values in both pad modes: 128 while down, else 0.
  for (int b = 0; b < PLAT_MOUSE_BUTTONS; b++)
    pad[PAD_BUTTON1 + b] = (st.raw.buttons[b] & 0x80) ? VX_INP_DOWN : 0;
  if (!st.settings->mouse_diagonal) {
    // Up-left: keep the axis that moved more (x < y means |x| > |y| here).
    if (pad[PAD_LEFT] && pad[PAD_UP]) {
      if (x < y)
        pad[PAD_UP] = 0;
      else
        pad[PAD_LEFT] = 0;
    }
    // Down-right: a tie goes to the vertical.
    if (pad[PAD_RIGHT] && pad[PAD_DOWN]) {
      if (x <= y)
        pad[PAD_RIGHT] = 0;
      else
        pad[PAD_DOWN] = 0;
    }
  }
  // Opposite directions (possible only when the pad accumulates): the
  // smaller goes, left and up on a tie.
  if (pad[PAD_LEFT] && pad[PAD_RIGHT]) {
    if (pad[PAD_LEFT] <= pad[PAD_RIGHT])
      pad[PAD_LEFT] = 0;
    else
      pad[PAD_RIGHT] = 0;
  }
  if (pad[PAD_UP] && pad[PAD_DOWN]) {
    if (pad[PAD_UP] <= pad[PAD_DOWN])
      pad[PAD_UP] = 0;
    else
      pad[PAD_DOWN] = 0;
  }
}

void poll_mouse() {
  PLAT_MOUSE_STATE m{};
  int ok = plat_input_mouse_read(&m);
  // Lost input is retried only while the application is in the foreground
  // and holds the pointer.
  for (int i = 0; !ok && !st.inactive && !st.pointer_free && i < MAX_REACQUIRE; i++) {
    if (!plat_input_mouse_acquire(1)) break;
    ok = plat_input_mouse_read(&m);
  }
  if (!ok) return;
  st.raw = m;
  mouse_to_pad(std::clamp(m.x, -MOUSE_CLAMP, MOUSE_CLAMP), std::clamp(m.y, -MOUSE_CLAMP, MOUSE_CLAMP));
}

void poll_keyboard() {
  int ok = plat_input_keyboard_read(st.keys.data());
  for (int i = 0; !ok && !st.inactive && i < MAX_REACQUIRE; i++) {
    if (!plat_input_keyboard_acquire(1)) break;
    ok = plat_input_keyboard_read(st.keys.data());
  }
  if (!ok) st.keys.fill(0);
}

void poll_paste() {
  const bool v = st.keys[KEY_V] & 0x80;
  const bool ctrl = (st.keys[KEY_LCTRL] | st.keys[KEY_RCTRL]) & 0x80;
  const bool win = (st.keys[KEY_LWIN] | st.keys[KEY_RWIN]) & 0x80;
  if (st.paste == 0 && v && (ctrl || win))
    st.paste = 1;
  else if (st.paste == 2 && !v)
    st.paste = 0;
}

uint8_t* cell(int joystick, int code, bool previous) {
  switch (kind_of(code)) {
    case CODE_KEY: return &(previous ? st.keys_prev : st.keys)[code];
    case CODE_MOUSE: return &(previous ? st.pad_prev : st.pad)[code - 400];
    case CODE_JOY:
      if (joystick < 0 || joystick >= VX_INP_MAX_JOYSTICKS) return nullptr;
      return &(previous ? st.joy_prev : st.joy)[joystick][code - 500];
    default: return nullptr;
  }
}

}  // namespace

void vx_inp_raise(int code) {
  vx_error_raise(st.module, code, st.settings && st.settings->debug);
}

void vx_inp_clear_states() {
  st.keys.fill(0);
  st.keys_prev.fill(0);
  st.pad.fill(0);
  st.pad_prev.fill(0);
  for (INP_BLOCK& b : st.joy) b.fill(0);
  for (INP_BLOCK& b : st.joy_prev) b.fill(0);
  st.raw = PLAT_MOUSE_STATE{};
}

int vx_inp_init(const VX_INP_SETTINGS* settings) {
  if (st.started) return 1;
  VX_INP_CLIPBOARD clipboard = st.clipboard;  // a chosen reader outlives a restart
  st = INP_STATE{};
  st.clipboard = clipboard;
  st.settings = settings ? settings : &kDefaultSettings;
  st.module = vx_error_register("Input", kInputErrors);
  if (!plat_input_start()) {
    vx_inp_raise(VX_INP_ERR_CREATE);
    return 0;
  }
  st.started = 1;
  if (plat_input_joysticks_available()) {
    st.joy_serial = plat_input_joystick_serial();
    vx_inp_joy_enumerate();
  } else {
    vx_inp_raise(VX_INP_ERR_JOYSTICK);
  }
  st.swapped = plat_input_buttons_swapped();
  // The player's choice whether a game controller drives the menus too.
  if (vx_io_running() && vx_io_settings_path()[0]) {
    int on = 0;
    vx_io_ini_get_int(VX_INP_PAD_MENUS_SECTION, VX_INP_PAD_MENUS_KEY, &on, vx_io_settings_path());
    st.pad_menus = on != 0;
  }
  return 1;
}

void vx_inp_deinit() {
  if (!st.started) return;
  vx_inp_joy_close_all();
  plat_input_mouse_acquire(0);
  plat_input_keyboard_acquire(0);
  plat_input_stop();
  vx_inp_clear_states();
  st.started = 0;
}

void vx_inp_poll() {
  if (!st.started) return;
  st.pad_prev = st.pad;
  st.joy_prev = st.joy;
  st.keys_prev = st.keys;
  if (st.mouse_mode == 1) st.pad.fill(0);
  plat_input_update();
  vx_inp_joy_poll();
  poll_mouse();
  poll_keyboard();
  vx_inp_joy_menu_keys();
  poll_paste();
}

uint8_t vx_inp_state(int code) {
  if (kind_of(code) != CODE_JOY) return vx_inp_state_of(0, code);
  for (const INP_BLOCK& b : st.joy)
    if (b[code - 500]) return b[code - 500];
  return 0;
}

uint8_t vx_inp_state_of(int joystick, int code) {
  const uint8_t* c = cell(kind_of(code) == CODE_JOY ? joystick : 0, code, false);
  return c ? *c : 0;
}

int vx_inp_released(int code) {
  if (kind_of(code) != CODE_JOY) {
    const uint8_t* now = cell(0, code, false);
    return now && *cell(0, code, true) && !*now;
  }
  for (int j = 0; j < VX_INP_MAX_JOYSTICKS; j++)
    if (st.joy_prev[j][code - 500] && !st.joy[j][code - 500]) return 1;
  return 0;
}

void vx_inp_set_state(int code, uint8_t value) {
  if (uint8_t* c = cell(0, code, false)) *c = value;
}

int vx_inp_any() {
  for (int i = 0; i < VX_INP_BLOCK; i++)
    if (st.pad[i]) return 400 + i;
  for (int i = 0; i < VX_INP_BLOCK; i++)
    if (st.joy[0][i]) return 500 + i;
  int found = 0;
  for (int k = 1; k < VX_INP_KEYS; k++) {
    if (!st.keys[k]) continue;
    if (k != KEY_LSHIFT) return k;
    found = k;  // left Shift counts only when no higher key is down
  }
  return found;
}

void vx_inp_mouse(VX_INP_MOUSE_RAW* out) {
  if (!out) return;
  out->x = st.raw.x;
  out->y = st.raw.y;
  out->z = st.raw.z;
  int primary = st.swapped ? 1 : 0;
  out->buttons = ((st.raw.buttons[primary] & 0x80) ? 1 : 0) | ((st.raw.buttons[1 - primary] & 0x80) ? 2 : 0) |
                 ((st.raw.buttons[2] & 0x80) ? 4 : 0) | ((st.raw.buttons[3] & 0x80) ? 8 : 0);
}

void vx_inp_mouse_mode(int mode) { st.mouse_mode = mode; }

void vx_inp_mouse_decay(int amount) {
  if (st.mouse_mode == 1 || amount <= 0) return;
  for (int i = PAD_UP; i <= PAD_RIGHT; i++) st.pad[i] = static_cast<uint8_t>(std::max(st.pad[i] - amount, 0));
}

int vx_inp_buttons_swapped() { return st.swapped; }
