// The input module's state, shared by its source files (vx_inp*.cpp) and nothing else.
#pragma once
#include <array>
#include <cstdint>

#include "platform/plat_input.h"
#include "toolkit/vx_inp.h"

typedef std::array<uint8_t, VX_INP_BLOCK> INP_BLOCK;

// One slot of the joystick table; the slot number is the joystick's index.
struct INP_JOY_SLOT {
  uint32_t id;  // the platform's device id, 0 for an empty slot
  int axes;     // axes the device reports; Z and rotation Z are read from 3 up
  int controller;  // 1 for a recognised game controller (standard button layout)
};

// Module state of the input layer. Written only by toolkit/vx_inp*.cpp.
struct INP_STATE {
  int started;
  int module = -1;  // number of "Input" in the error registry
  const VX_INP_SETTINGS* settings;
  std::array<uint8_t, VX_INP_KEYS> keys, keys_prev;
  INP_BLOCK pad, pad_prev;
  std::array<INP_BLOCK, VX_INP_MAX_JOYSTICKS> joy, joy_prev;
  std::array<INP_JOY_SLOT, VX_INP_MAX_JOYSTICKS> slots;
  std::array<uint32_t, VX_INP_MAX_JOYSTICKS> refused;  // ids removed by the calibration check
  uint32_t joy_serial;   // the platform's device serial at the last enumeration
  int too_many_shown;    // the box about a 17th joystick was shown
  int inactive;          // set while the application is not in the foreground
  int pointer_free;      // the mouse is left to the player while active (vx_inp_pointer_free)
  int swapped;           // the system's mouse-button swap
  int paste;             // 0 idle, 1 requested, 2 done, waiting for V to be let go
  int pad_menus;         // game controllers also press the menu keys (vx_inp_pad_menus_set)
  int threshold = VX_INP_MOUSE_THRESHOLD;
  int mouse_mode = 1;
  PLAT_MOUSE_STATE raw;  // the last poll's mouse movement and buttons
  VX_INP_CLIPBOARD clipboard;
};
extern INP_STATE vx_inp_shared;

// Raises an error of module "Input", shown when the debug setting is on.
void vx_inp_raise(int code);
// Clears every state block and its previous copy, and the raw mouse movement.
void vx_inp_clear_states();

// ---- vx_inp_joy.cpp
// Drops slots whose device has gone and opens newly attached devices into
// the first free slots.
void vx_inp_joy_enumerate();
void vx_inp_joy_close_all();
// Reads every joystick into its block (cleared first); enumerates again
// when devices were attached or detached.
void vx_inp_joy_poll();
// With the menu switch on, presses the menu keys of every game controller
// into the keyboard block; after the keyboard was read.
void vx_inp_joy_menu_keys();
