// Input devices: the joystick table, axis scaling with the dead zone, per-frame reads, calibration.
#include <algorithm>

#include "core/vx_error.h"
#include "toolkit/vx_inp_internal.h"

namespace {

INP_STATE& st = vx_inp_shared;

constexpr int AXIS_TRAVEL = 32767;  // a raw axis runs from -32768 to 32767
// The dead zone, in the device interface's units of 1/10000 of the travel:
// the half of it around the centre reads 0, the rest is spread over 1-128.
constexpr int DEAD_ZONE = 5000;
constexpr int DEAD_RAW = AXIS_TRAVEL * DEAD_ZONE / 10000;
constexpr int AXIS_RANGE = 128;

constexpr int CALIBRATION_POLLS = 1000;
constexpr int CALIBRATION_LIMIT = 700;  // off-centre readings (both axes counted) that fail the check

// Block indexes (code - 500).
constexpr int JOY_UP = 0, JOY_DOWN = 1, JOY_LEFT = 2, JOY_RIGHT = 3;
constexpr int JOY_Z_MINUS = 4, JOY_Z_PLUS = 5, JOY_RZ_MINUS = 6, JOY_RZ_PLUS = 7, JOY_BUTTON1 = 8;

// Keyboard numbers a controller presses while it drives the menus.
constexpr int KEY_ESC = 1, KEY_ENTER = 28, KEY_UP = 200, KEY_DOWN = 208, KEY_LEFT = 203, KEY_RIGHT = 205;

constexpr const char* kTooManyCaption = "vx_inp_init_joy ()";
constexpr const char* kTooManyText = "More than 16 joysticks connected to this computer!?!? You must be kidding!";
constexpr const char* kUncalibratedCaption = "Warning!";
constexpr const char* kUncalibratedText =
    "Warning!  Your joystick appears to be uncalibrated!\nYou should either calibrate it or disable "
    "it.\n\nUntil your joystick is successfully calibrated, you will not be able to use the joystick "
    "with this program.";

// These two boxes are shown whatever the debug setting says.
void show_box(const char* text, const char* caption) {
  plat_message_box(plat_window_main(), text, caption, PLAT_MB_OK | PLAT_MB_ICONEXCLAMATION);
}

// An axis into a pair of block entries: below the centre sets `minus` to
// the distance, above it sets `plus`.
void put_axis(INP_BLOCK& block, int raw, int minus, int plus) {
  int v = vx_inp_axis(raw);
  if (v < 0) block[minus] = static_cast<uint8_t>(-v);
  if (v > 0) block[plus] = static_cast<uint8_t>(v);
}

void fill_block(int slot, const PLAT_JOY_STATE& s) {
  INP_BLOCK& b = st.joy[slot];
  put_axis(b, s.x, JOY_LEFT, JOY_RIGHT);
  put_axis(b, s.y, JOY_UP, JOY_DOWN);
  if (st.slots[slot].axes >= 3) {
    put_axis(b, s.z, JOY_Z_MINUS, JOY_Z_PLUS);
    put_axis(b, s.rz, JOY_RZ_MINUS, JOY_RZ_PLUS);
  }
  for (int i = 0; i < PLAT_JOY_BUTTONS; i++)
    if (s.buttons[i] & 0x80) b[JOY_BUTTON1 + i] = VX_INP_DOWN;
}

bool in_table(uint32_t id) {
  return std::any_of(st.slots.begin(), st.slots.end(), [id](const INP_JOY_SLOT& s) { return s.id == id; });
}

bool refused(uint32_t id) { return std::find(st.refused.begin(), st.refused.end(), id) != st.refused.end(); }

bool attached(uint32_t id) {
  int n = plat_input_joystick_devices();
  for (int i = 0; i < n; i++)
    if (plat_input_joystick_device_id(i) == id) return true;
  return false;
}

void close_slot(int slot) {
  plat_input_joystick_close(slot);
  st.slots[slot] = INP_JOY_SLOT{};
  st.joy[slot].fill(0);
  st.joy_prev[slot].fill(0);
}

// A refused device stays out of the table until it is unplugged.
void refuse(uint32_t id) {
  auto free_entry = std::find(st.refused.begin(), st.refused.end(), 0u);
  *(free_entry != st.refused.end() ? free_entry : st.refused.begin()) = id;
}

int first_free_slot() {
  for (int s = 0; s < VX_INP_MAX_JOYSTICKS; s++)
    if (!st.slots[s].id) return s;
  return -1;
}

}  // namespace

int vx_inp_axis(int raw) {
  int a = std::min(raw < 0 ? -raw : raw, AXIS_TRAVEL);  // -32768 counts as full travel
  if (a <= DEAD_RAW) return 0;
  int v = (a - DEAD_RAW) * AXIS_RANGE / (AXIS_TRAVEL - DEAD_RAW);
  return raw < 0 ? -v : v;
}

void vx_inp_joy_enumerate() {
  for (int s = 0; s < VX_INP_MAX_JOYSTICKS; s++)
    if (st.slots[s].id && !plat_input_joystick_attached(s)) close_slot(s);
  for (uint32_t& r : st.refused)
    if (r && !attached(r)) r = 0;
  int n = plat_input_joystick_devices();
  for (int i = 0; i < n; i++) {
    uint32_t id = plat_input_joystick_device_id(i);
    if (!id || in_table(id) || refused(id)) continue;
    int slot = first_free_slot();
    if (slot < 0) {
      if (!st.too_many_shown) show_box(kTooManyText, kTooManyCaption);
      st.too_many_shown = 1;
      break;
    }
    PLAT_JOY_INFO info{};
    if (!plat_input_joystick_open(id, slot, &info)) {
      vx_inp_raise(VX_INP_ERR_JOY_CREATE);
      continue;
    }
    // Devices that do not say how many axes they have are read as X and Y only.
    st.slots[slot] = INP_JOY_SLOT{id, info.axes > 0 ? info.axes : 2, info.controller};
  }
}

void vx_inp_joy_close_all() {
  for (int s = 0; s < VX_INP_MAX_JOYSTICKS; s++)
    if (st.slots[s].id) close_slot(s);
}

void vx_inp_joy_poll() {
  if (plat_input_joysticks_available() && plat_input_joystick_serial() != st.joy_serial) {
    st.joy_serial = plat_input_joystick_serial();
    vx_inp_joy_enumerate();
  }
  for (int s = 0; s < VX_INP_MAX_JOYSTICKS; s++) {
    st.joy[s].fill(0);
    if (!st.slots[s].id) continue;
    PLAT_JOY_STATE state{};
    if (plat_input_joystick_read(s, &state)) {
      fill_block(s, state);
      continue;
    }
    // Not acquired or input lost: acquire, and the block stays clear this frame.
    if (!plat_input_joystick_attached(s))
      vx_inp_raise(VX_INP_ERR_JOY_NONE);
    else if (!plat_input_joystick_acquire(s))
      vx_inp_raise(VX_INP_ERR_JOY_ACQUIRE);
  }
}

void vx_inp_pad_menu_keys(const uint8_t* block, uint8_t* keys) {
  if (!block || !keys) return;
  struct PadKey {
    int index;  // in the block (code - 500)
    int key;
  };
  static constexpr PadKey kPadKeys[] = {
      {JOY_BUTTON1 + PLAT_PAD_A, KEY_ENTER}, {JOY_BUTTON1 + PLAT_PAD_B, KEY_ESC},
      {JOY_BUTTON1 + PLAT_PAD_START, KEY_ESC}, {JOY_UP, KEY_UP},
      {JOY_DOWN, KEY_DOWN}, {JOY_LEFT, KEY_LEFT}, {JOY_RIGHT, KEY_RIGHT},
  };
  for (const PadKey& k : kPadKeys)
    if (block[k.index]) keys[k.key] = 0x80;
}

void vx_inp_joy_menu_keys() {
  if (!st.pad_menus) return;
  for (int s = 0; s < VX_INP_MAX_JOYSTICKS; s++)
    if (st.slots[s].id && st.slots[s].controller) vx_inp_pad_menu_keys(st.joy[s].data(), st.keys.data());
}

void vx_inp_pad_menus_set(int on) { st.pad_menus = on != 0; }
int vx_inp_pad_menus() { return st.pad_menus; }

int vx_inp_joystick_count() {
  return static_cast<int>(
      std::count_if(st.slots.begin(), st.slots.end(), [](const INP_JOY_SLOT& s) { return s.id != 0; }));
}

int vx_inp_joystick_present(int joystick) {
  return joystick >= 0 && joystick < VX_INP_MAX_JOYSTICKS && st.slots[joystick].id != 0;
}

const uint8_t* vx_inp_joystick_block(int joystick) {
  if (joystick < 0 || joystick >= VX_INP_MAX_JOYSTICKS) return nullptr;
  return st.joy[joystick].data();
}

int vx_inp_check_joysticks() {
  if (!st.started) return 1;
  for (int s = 0; s < VX_INP_MAX_JOYSTICKS; s++) {
    if (!st.slots[s].id) continue;
    int off_centre = 0;
    for (int i = 0; i < CALIBRATION_POLLS; i++) {
      plat_input_update();
      PLAT_JOY_STATE state{};
      if (!plat_input_joystick_read(s, &state)) {
        plat_input_joystick_acquire(s);
        continue;
      }
      off_centre += vx_inp_axis(state.y) != 0;
      off_centre += vx_inp_axis(state.x) != 0;
    }
    if (off_centre > CALIBRATION_LIMIT) {
      show_box(kUncalibratedText, kUncalibratedCaption);
      refuse(st.slots[s].id);
      close_slot(s);
      return 0;
    }
  }
  return 1;
}
