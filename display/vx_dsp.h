// The display layer: the application descriptor, the main window and its window procedure.
#pragma once
#include <cstdint>
#include "platform/platform.h"

// One offered window or full-screen size; a width of 0 ends a table.
struct VX_WINDOW_SIZE {
  int16_t width, height;
  int16_t role;  // bit 0: the low-res full-screen size, bit 1: the high-res one
};

typedef intptr_t (*VX_WNDPROC)(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// The application descriptor. The game fills one for the whole run; the
// display layer keeps a pointer to it and writes the *_out flags.
struct VX_APP {
  uint32_t debug;            // non-zero: name every allocation; zero: write Fullscreen=1 at start
  const char* class_name;    // window class and single-instance name
  const char* title;         // window title and caption of fatal error boxes
  const char* menu_name;
  const char* resource_name;
  const char* icon_name;
  const char* cursor_name;   // null: the standard arrow
  const VX_WINDOW_SIZE* window_sizes;
  int16_t pos_x, pos_y;      // default window position; negative centres on that axis
  int16_t base_width, base_height;  // the virtual screen and the default client size
  int16_t min_width;
  int16_t margin_x;
  int16_t min_height;
  int16_t margin_y;
  uint32_t game_menu_pos;
  uint32_t language_menu_pos;
  void* languages;           // the game's language list
  void (*menu_hook)();       // after the menu was loaded in a new language
  uint32_t display_menu_pos;
  uint32_t resolution_menu_pos;
  uint32_t all_modes_menu_pos;
  uint32_t mode_check_offset;
  uint32_t default_fullscreen;
  uint32_t* running_out;
  uint32_t* ready_out;
  uint32_t* fullscreen_out;
  uint32_t* lowres_out;
  uint32_t* highres_out;
  void* instance;
  const char* command_line;
  int show_command;
  VX_WNDPROC window_proc;    // the game's procedure; it chains to vx_dsp_window_proc
  PLAT_WINDOW* window;       // out: the main window
  void (*redraw_hook)();     // the screen must be redrawn
};

// Keeps `app` for the run and creates the main window. 1, or 0 when the
// program must exit.
int vx_app_start(VX_APP* app);
// Releases the window and the display state. Safe to call twice.
void vx_dsp_deinit();
// The display layer's part of the window procedure: activation, closing,
// and everything else to the platform's default procedure.
intptr_t vx_dsp_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
// Moves the virtual screen to the visible surface.
void vx_dsp_present();
// The descriptor handed to vx_app_start, or null.
VX_APP* vx_dsp_app();
