// Players: ten action values per player, made each frame from bound keyboard, mouse and joystick controls.
//
// Every action has, in each of five configurations, three bound controls:
// one in the keyboard slot, one in the mouse slot, one in the joystick slot
// (input codes of toolkit/vx_inp.h; a slot may hold a code of another
// device, and keyboard code 0, a key that is never down, means unbound).
// Joystick codes are read on the player's own joystick: the player's number.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int VX_PLAY_ACTIONS = 10;
constexpr int VX_PLAY_CONFIGS = 5;  // configurations 1-5

// Special values of vx_play_setup and vx_play_setup_list.
constexpr int VX_PLAY_KEEP = -1;          // leave the action as it is
constexpr int VX_PLAY_UNBIND_KEY = -2;    // (list only) unbind the keyboard slot
constexpr int VX_PLAY_UNBIND_MOUSE = -3;  // (list only) unbind the mouse slot
constexpr int VX_PLAY_UNBIND_JOY = -4;    // (list only) unbind the joystick slot

// The game's player record: 536 bytes, zeroed by vx_play_add. The module
// writes `actions` and `joystick` once per frame and never touches `game`.
struct VX_PLAYER {
  // Each action's value this frame: 0 idle, else what the first enabled
  // configuration with a non-zero value gives, its three controls' values
  // OR-ed (128 for keys and buttons, 1-128 for directions: a key held with a
  // mouse move of 20 gives 128 | 20).
  uint8_t actions[VX_PLAY_ACTIONS];
  uint8_t joystick[40];  // copy of the player's joystick block (codes 500-539), zeros without one
  uint8_t game[486];     // the game's own fields
};
static_assert(sizeof(VX_PLAYER) == 536, "the player record is 536 bytes");
static_assert(offsetof(VX_PLAYER, joystick) == 10 && offsetof(VX_PLAYER, game) == 50, "player layout");

struct VX_PLAY_SETTINGS {
  int debug;  // non-zero shows this module's errors
};

// Error codes of module "Player".
enum VX_PLAY_ERROR {
  VX_PLAY_ERR_NULL = 0,        // a missing player
  VX_PLAY_ERR_UNKNOWN = 1,     // a player never registered
  VX_PLAY_ERR_NO_CONTROL = 2,  // a code that names no control
  VX_PLAY_ERR_SPARE = 3,
  VX_PLAY_ERR_CONFIG = 4,      // a configuration outside 1-5
};

// Keeps a copy of the settings, registers module "Player". 1, or 0 for
// missing settings. 1 at once when started.
int vx_play_init(const VX_PLAY_SETTINGS* settings);
// Frees every binding record; the players are forgotten.
void vx_play_deinit();

// Registers a player record, zeroes it and binds the defaults in all five
// configurations (only configuration 1 enabled); its number is the count of
// players registered before it. Defaults, action: keyboard / mouse / joystick:
//   0: 200 Up / 400 / 500      1: 208 Down / 401 / 501
//   2: 203 Left / 402 / 502    3: 205 Right / 403 / 503
//   4: 23 I / 404 / 504        5: 24 O / 405 / 505
//   6: 57 Space / 408 (409 when the mouse buttons are swapped) / 508
//   7: 28 Enter / 409 (408 when swapped) / 509
//   8: 28 / 28 / 28            9: 1 Esc / 1 / 1
// Players after the first have no mouse bindings. 0 for a missing or
// already registered player.
int vx_play_add(VX_PLAYER* player);
int vx_play_remove(VX_PLAYER* player);  // 1, or 0 for a missing or unknown player

// Enables `configuration` (1-5) and binds action i to code ci in the slot
// of the code's device; VX_PLAY_KEEP leaves an action as it is. A code that
// names no control raises code 2 and is not bound (the others are; the
// result is then 0). A configuration outside 1-5 raises code 4 and changes
// nothing. 1 when every code was bound.
int vx_play_setup(VX_PLAYER* player, int configuration, int c0, int c1, int c2, int c3, int c4, int c5,
                  int c6, int c7, int c8, int c9);
// The same from ten codes, where -2, -3 and -4 unbind the action's
// keyboard, mouse or joystick slot.
int vx_play_setup_list(VX_PLAYER* player, const int16_t codes[VX_PLAY_ACTIONS], int configuration);

// Writes every registered player's actions and joystick copy; once per
// frame, after vx_inp_poll.
void vx_play_update();

// 0 for keyboard codes (0-255), 400 for mouse codes (400-439), 500 for
// joystick codes (500-539); 0 with code 2 raised for anything else.
int vx_play_control_device(int code);

// Read access, for tests and option screens.
int vx_play_count();
int vx_play_number(const VX_PLAYER* player);             // -1 when not registered
int vx_play_enabled(const VX_PLAYER* player, int configuration);  // 0 or 1
// The code bound in one slot (device 0 keyboard, 400 mouse, 500 joystick),
// -1 for an unknown player, configuration, action or device.
int vx_play_binding(const VX_PLAYER* player, int configuration, int action, int device);
