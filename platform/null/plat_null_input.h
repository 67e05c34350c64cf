// Test controls of the null build's input devices: tests press keys, move the mouse and attach joysticks here.
#pragma once
#include <cstdint>

// Everything released and emptied: no keys down, no movement, no joysticks,
// devices unacquired, in the foreground, cursor shown, buttons not swapped
// (unless PS_MOUSE_BUTTONS_SWAPPED is 1).
void plat_null_input_reset();

// A key by USB HID usage (as the SDL build receives it), pressed or let go.
void plat_null_input_key(uint32_t usage, int down);
// Adds movement that the next mouse read returns (and empties).
void plat_null_input_mouse_move(int x, int y, int z);
void plat_null_input_mouse_button(int button, int down);  // 0 left, 1 right, 2 middle, 3 fourth
// Whether the main window has the focus: out of the foreground the mouse
// cannot be acquired, and leaving it releases the mouse.
void plat_null_input_set_foreground(int foreground);
void plat_null_input_set_swapped(int swapped);
int plat_null_input_cursor_shown();
int plat_null_input_keyboard_acquired();
int plat_null_input_mouse_acquired();

// Joysticks: up to 32 attached devices. Attach returns the new device's id
// (0 when full); ids are never reused within a run.
uint32_t plat_null_input_joystick_attach(int axes, int buttons);
void plat_null_input_joystick_detach(uint32_t id);
// Raw axis values, -32768 to 32767.
void plat_null_input_joystick_axes(uint32_t id, int x, int y, int z, int rz);
void plat_null_input_joystick_button(uint32_t id, int button, int down);
// Input lost: the device's next reads fail until it is acquired again.
void plat_null_input_joystick_lose(uint32_t id);
// Marks the device as a recognised game controller (1) or a plain joystick
// (0, as attached); its next opening reports it so.
void plat_null_input_joystick_set_controller(uint32_t id, int controller);
// Makes opening the device fail (1) or work again (0).
void plat_null_input_joystick_refuse_open(uint32_t id, int refuse);
