// The null build's input devices: states that tests set, read through the same contract as the SDL build.
#include "platform/null/plat_null_input.h"

#include <array>
#include <cstdio>
#include <cstring>
#include "platform/plat_input.h"
#include "platform/platform.h"

namespace {

constexpr int MAX_DEVICES = 32;

struct NULL_JOY {
  uint32_t id;  // 0: free entry
  int attached;
  int refuse_open;
  int acquired;  // cleared by attach and by a lost input
  PLAT_JOY_INFO info;
  PLAT_JOY_STATE state;
};

}  // namespace

static struct {
  int started;
  std::array<uint8_t, 256> usage_down;
  int keyboard_acquired;
  int mouse_acquired;
  int foreground;
  int cursor_shown;
  int swapped;
  PLAT_MOUSE_STATE mouse;  // movement gathered since the last read, and the buttons
  std::array<NULL_JOY, MAX_DEVICES> devices;
  std::array<int, PLAT_MAX_JOYSTICKS> slots;  // device entry + 1, 0 for an empty slot
  uint32_t next_id;
  uint32_t serial;
} null_in = {0, {}, 0, 0, 1, 1, 0, {}, {}, {}, 0, 0};

static int env_swapped() {
  char buf[8];
  return plat_getenv("PS_MOUSE_BUTTONS_SWAPPED", buf, sizeof buf) && std::strcmp(buf, "1") == 0;
}

static NULL_JOY* device(uint32_t id) {
  if (id == 0) return nullptr;
  for (NULL_JOY& d : null_in.devices)
    if (d.id == id) return &d;
  return nullptr;
}

static NULL_JOY* slot_device(int slot) {
  if (slot < 0 || slot >= PLAT_MAX_JOYSTICKS || null_in.slots[slot] == 0) return nullptr;
  return &null_in.devices[null_in.slots[slot] - 1];
}

// ---------------------------------------------------------------- the contract

int plat_input_start() {
  null_in.started = 1;
  return 1;
}

void plat_input_stop() {
  null_in.started = 0;
  null_in.keyboard_acquired = 0;
  null_in.mouse_acquired = 0;
  null_in.cursor_shown = 1;
  for (int slot = 0; slot < PLAT_MAX_JOYSTICKS; slot++) plat_input_joystick_close(slot);
}

int plat_input_joysticks_available() { return null_in.started; }
void plat_input_update() {}

int plat_input_keyboard_acquire(int acquire) {
  null_in.keyboard_acquired = acquire && null_in.started;
  return acquire ? null_in.keyboard_acquired : 1;
}

int plat_input_keyboard_read(uint8_t keys[PLAT_KEYS]) {
  if (!null_in.keyboard_acquired) return 0;
  std::memset(keys, 0, PLAT_KEYS);
  for (uint32_t usage = 0; usage < 256; usage++)
    if (null_in.usage_down[usage]) {
      uint32_t n = plat_input_key_number(usage);
      if (n) keys[n] = 0x80;
    }
  return 1;
}

int plat_input_mouse_acquire(int acquire) {
  if (!acquire) {
    null_in.mouse_acquired = 0;
    return 1;
  }
  if (!null_in.started || !null_in.foreground) return 0;
  if (!null_in.mouse_acquired) null_in.mouse.x = null_in.mouse.y = null_in.mouse.z = 0;
  null_in.mouse_acquired = 1;
  return 1;
}

int plat_input_mouse_read(PLAT_MOUSE_STATE* state) {
  if (!null_in.mouse_acquired || !state) return 0;
  *state = null_in.mouse;
  null_in.mouse.x = null_in.mouse.y = null_in.mouse.z = 0;
  return 1;
}

int plat_input_buttons_swapped() { return null_in.swapped || env_swapped(); }
void plat_input_show_cursor(int show) { null_in.cursor_shown = show != 0; }

int plat_input_joystick_devices() {
  int n = 0;
  for (const NULL_JOY& d : null_in.devices) n += d.id && d.attached;
  return n;
}

uint32_t plat_input_joystick_device_id(int index) {
  for (const NULL_JOY& d : null_in.devices) {
    if (!d.id || !d.attached) continue;
    if (index-- == 0) return d.id;
  }
  return 0;
}

uint32_t plat_input_joystick_serial() { return null_in.serial; }

int plat_input_joystick_open(uint32_t id, int slot, PLAT_JOY_INFO* info) {
  if (!null_in.started || slot < 0 || slot >= PLAT_MAX_JOYSTICKS) return 0;
  plat_input_joystick_close(slot);
  NULL_JOY* d = device(id);
  if (!d || !d->attached || d->refuse_open) return 0;
  null_in.slots[slot] = static_cast<int>(d - null_in.devices.data()) + 1;
  d->acquired = 0;
  if (info) *info = d->info;
  return 1;
}

void plat_input_joystick_close(int slot) {
  NULL_JOY* d = slot_device(slot);
  if (!d) return;
  null_in.slots[slot] = 0;
  if (!d->attached) *d = NULL_JOY{};  // a detached device goes once nothing holds it
}

uint32_t plat_input_joystick_id(int slot) {
  NULL_JOY* d = slot_device(slot);
  return d ? d->id : 0;
}

int plat_input_joystick_attached(int slot) {
  NULL_JOY* d = slot_device(slot);
  return d && d->attached;
}

int plat_input_joystick_acquire(int slot) {
  NULL_JOY* d = slot_device(slot);
  if (!d || !d->attached) return 0;
  d->acquired = 1;
  return 1;
}

int plat_input_joystick_read(int slot, PLAT_JOY_STATE* state) {
  NULL_JOY* d = slot_device(slot);
  if (!d || !d->attached || !d->acquired || !state) return 0;
  *state = d->state;
  return 1;
}

// ---------------------------------------------------------------- test controls

void plat_null_input_reset() {
  int started = null_in.started;
  uint32_t next_id = null_in.next_id;
  uint32_t serial = null_in.serial;
  null_in = {};
  null_in.started = started;
  null_in.foreground = 1;
  null_in.cursor_shown = 1;
  null_in.next_id = next_id;
  null_in.serial = serial + 1;
}

void plat_null_input_key(uint32_t usage, int down) {
  if (usage < 256) null_in.usage_down[usage] = down != 0;
}

void plat_null_input_mouse_move(int x, int y, int z) {
  null_in.mouse.x += x;
  null_in.mouse.y += y;
  null_in.mouse.z += z;
}

void plat_null_input_mouse_button(int button, int down) {
  if (button >= 0 && button < PLAT_MOUSE_BUTTONS) null_in.mouse.buttons[button] = down ? 0x80 : 0;
}

void plat_null_input_set_foreground(int foreground) {
  null_in.foreground = foreground != 0;
  if (!foreground) null_in.mouse_acquired = 0;
}

void plat_null_input_set_swapped(int swapped) { null_in.swapped = swapped != 0; }
int plat_null_input_cursor_shown() { return null_in.cursor_shown; }
int plat_null_input_keyboard_acquired() { return null_in.keyboard_acquired; }
int plat_null_input_mouse_acquired() { return null_in.mouse_acquired; }

uint32_t plat_null_input_joystick_attach(int axes, int buttons) {
  for (NULL_JOY& d : null_in.devices) {
    if (d.id) continue;
    d = NULL_JOY{};
    d.id = ++null_in.next_id;
    d.attached = 1;
    d.info.axes = axes;
    d.info.buttons = buttons;
    std::snprintf(d.info.name, sizeof d.info.name, "Null joystick %u", d.id);
    null_in.serial++;
    return d.id;
  }
  return 0;
}

void plat_null_input_joystick_set_controller(uint32_t id, int controller) {
  if (NULL_JOY* d = device(id)) d->info.controller = controller != 0;
}

void plat_null_input_joystick_detach(uint32_t id) {
  NULL_JOY* d = device(id);
  if (!d) return;
  // The entry stays until no slot refers to it, as an open SDL device does.
  d->attached = 0;
  d->acquired = 0;
  int in_slot = 0;
  for (int s : null_in.slots) in_slot |= s == static_cast<int>(d - null_in.devices.data()) + 1;
  if (!in_slot) *d = NULL_JOY{};
  null_in.serial++;
}

void plat_null_input_joystick_axes(uint32_t id, int x, int y, int z, int rz) {
  NULL_JOY* d = device(id);
  if (!d) return;
  d->state.x = x;
  d->state.y = y;
  d->state.z = z;
  d->state.rz = rz;
}

void plat_null_input_joystick_button(uint32_t id, int button, int down) {
  NULL_JOY* d = device(id);
  if (d && button >= 0 && button < PLAT_JOY_BUTTONS) d->state.buttons[button] = down ? 0x80 : 0;
}

void plat_null_input_joystick_lose(uint32_t id) {
  if (NULL_JOY* d = device(id)) d->acquired = 0;
}

void plat_null_input_joystick_refuse_open(uint32_t id, int refuse) {
  if (NULL_JOY* d = device(id)) d->refuse_open = refuse != 0;
}
