// Device states for the input layer: the keyboard, the mouse and up to 16 joysticks, read on demand.
//
// The input layer reads every device once per frame on the main thread
// (plat_input_update, then the reads). Keyboard and mouse follow the
// acquire model of the system's device interface: a read of a device that is
// not acquired fails, and the caller decides whether to acquire it again.
// Joysticks sit in 16 slots chosen by the caller; a slot keeps its device
// until the caller closes it, so slot numbers stay put while other devices
// come and go.
#pragma once
#include <cstdint>

constexpr int PLAT_MAX_JOYSTICKS = 16;
constexpr int PLAT_JOY_BUTTONS = 32;
constexpr int PLAT_MOUSE_BUTTONS = 4;
constexpr int PLAT_KEYS = 256;

// Relative mouse movement since the previous successful read.
struct PLAT_MOUSE_STATE {
  int32_t x, y;  // in mouse counts (pixels); right and down are positive
  int32_t z;     // wheel turn, 120 (PLAT_WHEEL_DELTA) per notch, away from the user positive
  // Physical buttons left, right, middle, fourth: 0x80 while down. The
  // system's button swap is NOT applied (see plat_input_buttons_swapped).
  uint8_t buttons[PLAT_MOUSE_BUTTONS];
};

// One joystick's state. Axes run from -32768 to 32767 with 0 at the centre;
// an axis the device lacks reads 0. X grows to the right, Y downwards.
struct PLAT_JOY_STATE {
  int32_t x, y, z, rz;  // X, Y, Z and rotation about Z
  uint8_t buttons[PLAT_JOY_BUTTONS];  // 0x80 while down
};

struct PLAT_JOY_INFO {
  int axes;        // axes the device reports (at most the four above are read)
  int buttons;     // buttons it reports (at most 32 are read)
  int controller;  // 1 for a recognised game controller, 0 for a plain joystick
  char name[64];   // the device's name, cut to fit
};

// Starts device reading; the main window need not exist yet. 1, or 0 when
// no device can be read at all. Joysticks may still be unavailable after a
// start that succeeded (plat_input_joysticks_available). 1 at once when started.
int plat_input_start();
// Releases every device, shows the cursor again. Safe to call twice.
void plat_input_stop();
int plat_input_joysticks_available();  // 1 when the joystick service runs

// Gathers new device states and attached or detached joysticks. Called once
// per frame before the reads, on the thread that pumps the window messages.
void plat_input_update();

// ---------------------------------------------------------------- keyboard
// Background, non-exclusive: acquiring always succeeds once started.
// acquire 1 acquires, 0 releases; 1 when the keyboard is acquired afterwards
// (for 0: 1 when it was released).
int plat_input_keyboard_acquire(int acquire);
// Fills 256 bytes indexed by DirectInput key number (the set-1 scan code,
// plus 0x80 for the keys that send the 0xE0 prefix: Up 200, right Ctrl 157):
// 0x80 while the key is down, else 0. Byte 0 is never set. 0 when the
// keyboard is not acquired (`keys` untouched).
int plat_input_keyboard_read(uint8_t keys[PLAT_KEYS]);
// The DirectInput key number of a USB HID keyboard usage (the SDL scan code
// numbers below 256), 0 for a usage without one.
uint32_t plat_input_key_number(uint32_t usage);

// ---------------------------------------------------------------- mouse
// Exclusive to the main window while it is in the foreground: acquiring
// fails unless the main window has the keyboard focus, and an acquired mouse
// is held by the window (relative motion, no visible pointer). 1 when the
// mouse is acquired (acquire 1) or was released (acquire 0). Losing the
// focus releases it.
int plat_input_mouse_acquire(int acquire);
// 1 and the movement since the previous read; 0 when not acquired.
int plat_input_mouse_read(PLAT_MOUSE_STATE* state);
// 1 when the system exchanges the primary and secondary mouse buttons.
// This platform has no such setting: 0 unless the environment variable
// PS_MOUSE_BUTTONS_SWAPPED is 1.
int plat_input_buttons_swapped();
// Shows (1) or hides (0) the pointer over the main window.
void plat_input_show_cursor(int show);

// ---------------------------------------------------------------- joysticks
// Attached devices, numbered 0 to count-1 in the order found; the numbers
// hold until the next plat_input_update.
int plat_input_joystick_devices();
// A device's id: non-zero, unique for the run, kept while it stays attached.
uint32_t plat_input_joystick_device_id(int index);
// Changes whenever a device is attached or detached.
uint32_t plat_input_joystick_serial();
// Opens device `id` into `slot` (0-15; a slot in use is closed first) and
// fills `info` when given. The device starts unacquired. 1 or 0.
int plat_input_joystick_open(uint32_t id, int slot, PLAT_JOY_INFO* info);
void plat_input_joystick_close(int slot);
uint32_t plat_input_joystick_id(int slot);  // the id of the device open in the slot, 0 for none
int plat_input_joystick_attached(int slot);  // 1 while the slot's device is open and attached
// 1 when the slot's device is attached and now acquired.
int plat_input_joystick_acquire(int slot);
// 1 and the device's state; 0 when the slot is empty, its device is not
// acquired or has gone (input lost).
int plat_input_joystick_read(int slot, PLAT_JOY_STATE* state);

// ---------------------------------------------------------------- game controllers
// A recognised game controller (a pad the system's controller mapping
// knows) is read in one standard layout, whatever its own numbering: the
// buttons in this order (the order of SDL's game-controller API).
enum PLAT_PAD_BUTTON {
  PLAT_PAD_A = 0, PLAT_PAD_B, PLAT_PAD_X, PLAT_PAD_Y, PLAT_PAD_BACK, PLAT_PAD_GUIDE, PLAT_PAD_START,
  PLAT_PAD_LEFT_STICK, PLAT_PAD_RIGHT_STICK, PLAT_PAD_LEFT_SHOULDER, PLAT_PAD_RIGHT_SHOULDER,
  PLAT_PAD_DPAD_UP, PLAT_PAD_DPAD_DOWN, PLAT_PAD_DPAD_LEFT, PLAT_PAD_DPAD_RIGHT,
  PLAT_PAD_MISC, PLAT_PAD_PADDLE1, PLAT_PAD_PADDLE2, PLAT_PAD_PADDLE3, PLAT_PAD_PADDLE4, PLAT_PAD_TOUCHPAD,
  PLAT_PAD_BUTTONS
};

// One reading of a controller: sticks -32768 to 32767 (right and down
// positive), triggers 0 (released) to 32767, buttons non-zero while down.
struct PLAT_PAD_READING {
  int32_t left_x, left_y, right_x, right_y;
  int32_t trigger_left, trigger_right;
  uint8_t buttons[PLAT_PAD_BUTTONS];
};

// A controller reading as the joystick state every device gives: the left
// stick is X and Y, the directional pad pushes them fully over (it wins
// over the stick), the left trigger raises Z and the right one lowers it,
// the right stick's X is rotation Z; button k of the layout is joystick
// button k (A is button 1 of the control codes, 508).
void plat_pad_to_joy(const PLAT_PAD_READING* pad, PLAT_JOY_STATE* out);
