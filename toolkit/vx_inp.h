// Input devices: the keyboard, the mouse and up to 16 joysticks in one code space, polled once per frame.
//
// Every control has a code: 0-255 keyboard keys (DirectInput key numbers:
// 1 Esc, 28 Enter, 57 Space, 200 Up, 208 Down, 203 Left, 205 Right, 42 left
// Shift, 29/157 left/right Ctrl, 219/220 left/right Windows key), 400-439
// the mouse, 500-539 joysticks. Codes 256-399, 440-499 and from 540 up name
// no control: every query answers 0 for them and setting them does nothing.
// A control's value is a byte: keys 0x80 (128) while down; mouse and
// joystick buttons 128 while down; directions the amount, 0-128.
#pragma once
#include <cstdint>
#include "platform/platform.h"

constexpr int VX_INP_KEYS = 256;            // keyboard block: one byte per key number
constexpr int VX_INP_BLOCK = 40;            // mouse pad and each joystick block: code - 400 / - 500
constexpr int VX_INP_MAX_JOYSTICKS = 16;
constexpr int VX_INP_MOUSE_THRESHOLD = 8;   // mouse counts per poll ignored on each axis
constexpr uint8_t VX_INP_DOWN = 128;        // value of a key or button held

// Mouse codes. 404-407 and 412-439 are never set by the module (always 0
// unless vx_inp_set_state writes them).
constexpr int VX_INP_MOUSE_UP = 400;
constexpr int VX_INP_MOUSE_DOWN = 401;
constexpr int VX_INP_MOUSE_LEFT = 402;
constexpr int VX_INP_MOUSE_RIGHT = 403;
constexpr int VX_INP_MOUSE_BUTTON1 = 408;  // physical buttons 1-4: 408-411 (no swap applied)
// Joystick codes: stick directions, Z and rotation Z below / above the
// centre, then buttons 1-32 as 508-539.
constexpr int VX_INP_JOY_UP = 500;
constexpr int VX_INP_JOY_DOWN = 501;
constexpr int VX_INP_JOY_LEFT = 502;
constexpr int VX_INP_JOY_RIGHT = 503;
constexpr int VX_INP_JOY_Z_MINUS = 504;
constexpr int VX_INP_JOY_Z_PLUS = 505;
constexpr int VX_INP_JOY_RZ_MINUS = 506;
constexpr int VX_INP_JOY_RZ_PLUS = 507;
constexpr int VX_INP_JOY_BUTTON1 = 508;

// The module's private window message: activate the devices (posted on
// gaining the focus and on a left click).
constexpr uint32_t VX_INP_WM_ACTIVATE = PLAT_WM_USER + 69;  // 0x445

// Settings, given at start and kept by pointer (they must outlive the module).
struct VX_INP_SETTINGS {
  int debug;           // non-zero shows this module's errors
  int mouse_diagonal;  // non-zero lets the mouse pad hold a vertical and a horizontal direction at once
};

// Raw mouse movement of the last poll.
struct VX_INP_MOUSE_RAW {
  int x, y;     // mouse counts, right and down positive
  int z;        // wheel, 120 per notch
  int buttons;  // 1 primary, 2 secondary (buttons 1 and 2 exchanged when swapped), 4 button 3, 8 button 4
};

// What the platform check found.
struct VX_INP_SYSTEM {
  int platform;  // 1 the Windows 9x family, 3 the NT family (this platform counts as 3)
  int version;   // device-interface version, 0x0701 here
};

// Error codes of module "Input".
enum VX_INP_ERROR {
  VX_INP_ERR_CREATE = 0,
  VX_INP_ERR_KEYBOARD = 1,
  VX_INP_ERR_JOYSTICK = 2,
  VX_INP_ERR_MOUSE = 3,
  VX_INP_ERR_JOY_CREATE = 4,
  VX_INP_ERR_JOY_FORMAT = 5,
  VX_INP_ERR_JOY_COOPERATIVE = 6,
  VX_INP_ERR_JOY_RANGE_X = 7,
  VX_INP_ERR_JOY_RANGE_Y = 8,
  VX_INP_ERR_JOY_RANGE_Z = 9,
  VX_INP_ERR_JOY_DEADZONE_X = 10,
  VX_INP_ERR_JOY_DEADZONE_Y = 11,
  VX_INP_ERR_JOY_DEADZONE_Z = 12,
  VX_INP_ERR_JOY_DEVICE2 = 13,
  VX_INP_ERR_JOY_ACQUIRE = 14,
  VX_INP_ERR_JOY_NONE = 15,
  VX_INP_ERR_MOUSE_FORMAT = 16,
  VX_INP_ERR_MOUSE_COOPERATIVE = 17,
  VX_INP_ERR_KEYBOARD_FORMAT = 18,
  VX_INP_ERR_KEYBOARD_COOPERATIVE = 19,
};

// Registers module "Input", starts the devices and opens the attached
// joysticks (a 17th shows the box "vx_inp_init_joy ()" once). Called after
// the main window exists. 1, or 0 when no device can be read.
int vx_inp_init(const VX_INP_SETTINGS* settings);
// Releases every device and shows the cursor. Safe to call twice.
void vx_inp_deinit();
// Reads every device; once per frame, before players and menus look at input.
void vx_inp_poll();

// Current value of a control. A joystick code gives the value on the first
// joystick (in table order) where it is non-zero.
uint8_t vx_inp_state(int code);
// Current value on one joystick (keyboard and mouse codes ignore `joystick`;
// a joystick outside 0-15 gives 0).
uint8_t vx_inp_state_of(int joystick, int code);
// 1 when the control was down at the previous poll and is up now; joystick
// codes on any joystick. Valid for exactly one poll after the release.
int vx_inp_released(int code);
// Overwrites the current value of a keyboard, mouse or joystick-0 control
// (demo playback); the previous value is left alone.
void vx_inp_set_state(int code, uint8_t value);
// The first active control: a mouse pad entry, else joystick 0, else the
// lowest key down (left Shift yields to any higher key also down); 0 for none.
int vx_inp_any();
// The character a key gives in the US layout, 0 for none. Enter gives 19,
// Backspace 8, Tab 9, Esc 1.
int vx_inp_char(int code, int shifted);

void vx_inp_mouse(VX_INP_MOUSE_RAW* out);
// 1 (the default): the mouse pad is cleared at every poll; any other value:
// it accumulates, lowered only by vx_inp_mouse_decay.
void vx_inp_mouse_mode(int mode);
// In accumulate mode, lowers the four mouse directions by `amount` (not below 0).
void vx_inp_mouse_decay(int amount);
int vx_inp_buttons_swapped();  // the system's mouse-button swap, read at start and on activation

// Clipboard paste. Ctrl+V or Windows+V at a poll requests a paste (state 1);
// vx_inp_paste then appends the clipboard's text once (state 2); the state
// returns to 0 at the first poll with V up. `buffer` holds a terminated text
// of at most `size` characters (size + 1 bytes); the paste appends at most
// size - strlen(buffer) bytes, never splitting a UTF-8 character. Returns
// the text's new length (the old one when nothing was pasted).
int vx_inp_paste(char* buffer, int size);
bool vx_inp_paste_pending();  // paste state is not 0
int vx_inp_paste_state();     // 0 idle, 1 requested, 2 done and waiting for V to be let go
// Where the paste reads its text: the platform's clipboard by default; null
// restores it. The reader fills `buf` (terminated) and returns 1, or 0 for no text.
typedef int (*VX_INP_CLIPBOARD)(char* buf, int size);
void vx_inp_set_clipboard(VX_INP_CLIPBOARD reader);

// Becoming active acquires the mouse and keyboard and hides the cursor;
// becoming inactive releases them and shows it. Either way every state
// block and its previous copy is cleared.
void vx_inp_activate(int active);
int vx_inp_active();  // 1 unless deactivated
// 1 lets the pointer go while the keyboard stays read (play paused in a
// window): the mouse is released, as when inactive, and the arrow shown,
// and activation leaves it so; its pad then stays clear. 0 takes it back
// when the module is active.
void vx_inp_pointer_free(int free);
// The module's share of the main window's procedure; called for every
// message, it answers nothing and the chain goes on.
void vx_inp_window_message(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// Calibration check: each joystick polled 1000 times; one reading off
// centre more than 700 times on either axis count shows the "Warning!" box
// and removes that joystick (until it is plugged in again); 0 then, else 1.
int vx_inp_check_joysticks();
// Platform check before anything else starts; passes on this platform (1,
// platform 3, version 0x0701). Shows the refusal box and returns 0 otherwise.
int vx_inp_check_directx(VX_INP_SYSTEM* out);
// Puts back the accessibility settings the platform check changed (none here).
void vx_inp_restore_system_keys();

// Game controllers in the menus. With the switch on, every recognised game
// controller (PLAT_JOY_INFO.controller) also presses keys at each poll, as
// vx_inp_pad_menu_keys says, so it drives the menus and screens that listen
// to those keys; its joystick codes stay as they are. Off by default; the
// start reads it from the settings file (VX_INP_PAD_MENUS_KEY of section
// VX_INP_PAD_MENUS_SECTION, 0 or 1).
constexpr const char* VX_INP_PAD_MENUS_SECTION = "Options";
constexpr const char* VX_INP_PAD_MENUS_KEY = "GamepadDrivesMenus";
void vx_inp_pad_menus_set(int on);
int vx_inp_pad_menus();
// Sets (to 0x80) the keys a controller's 40-byte joystick block stands for:
// button A (code 508) Enter, B (509) and Start (514) Esc, the stick or the
// cross pushed past the dead zone Up, Down, Left and Right. Keys it does
// not press are left as they are.
void vx_inp_pad_menu_keys(const uint8_t* block, uint8_t* keys);

// Joystick table: slots 0-15 keep their device while others come and go.
int vx_inp_joystick_count();                 // slots in use
int vx_inp_joystick_present(int joystick);   // 1 when the slot holds a device
const uint8_t* vx_inp_joystick_block(int joystick);  // its 40-byte block, null outside 0-15
// A raw axis value (-32768..32767) as the blocks hold it: -128..128, with
// the half of the travel around the centre reading 0.
int vx_inp_axis(int raw);
