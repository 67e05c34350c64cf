// Display services: the display's video modes, the desktop and its work area, a window's full-screen state, topmost, cursor and screen saver.
#pragma once
#include <cstdint>
#include "platform/platform.h"

// One video mode of the main display.
struct PLAT_DISPLAY_MODE {
  int width, height;  // pixels
  int depth;          // bits per pixel (15, 16, 24 or 32; 8 for palette modes)
  int refresh;        // Hz, 0 when the system does not say
};

// The modes the main display offers, in the system's order. -1 when they
// cannot be read (no display, or the system refused).
int plat_display_mode_count();
// Mode `index` (0 .. count - 1). 1, or 0 for a bad index or a failed read.
int plat_display_mode(int index, PLAT_DISPLAY_MODE* out);
// The mode the desktop is in. 1 or 0.
int plat_display_desktop(PLAT_DISPLAY_MODE* out);
// The usable part of the desktop (without panels and docks), in screen
// pixels. 1, or 0 with the whole desktop given when the system cannot tell.
int plat_display_work_area(int* x, int* y, int* width, int* height);

// Full screen: `window` covers the main display, which is put in `mode` (the
// closest mode the system offers); the window's new size is reported with
// PLAT_WM_MOVE and PLAT_WM_SIZE as any change. A null mode takes the window out of full
// screen; the caller then places it. Asking for the state the window is
// already in does nothing. 1, or 0 when the system refused (the window keeps
// its former state).
int plat_display_fullscreen(PLAT_WINDOW* window, const PLAT_DISPLAY_MODE* mode);
int plat_display_is_fullscreen(PLAT_WINDOW* window);
// The smallest client size the user can drag the window to (0, 0: none).
void plat_display_min_size(PLAT_WINDOW* window, int width, int height);
// 1 keeps the window above all normal windows, 0 puts it back among them.
void plat_display_topmost(PLAT_WINDOW* window, int topmost);
// Shows (1) or hides (0) the mouse pointer over the program's windows.
void plat_display_cursor(int shown);
// 0 keeps the screen saver and display power-down away while the program
// runs; 1 allows them again.
void plat_display_screen_saver(int allowed);

// ---------------------------------------------------------------- null build
// What the null display reports, for tests; the SDL build ignores these.
// Defaults: 320 x 240, 640 x 480, 800 x 600, 1024 x 768 and 1280 x 1024 at
// 16 and 32 bits (60 Hz), 640 x 480 at 8 bits, desktop 1024 x 768 x 32 at
// 60 Hz, work area 0, 0, 1024, 740 (a 28-pixel panel at the bottom).
// `count` -1 makes the mode list unreadable.
void plat_display_null_setup(const PLAT_DISPLAY_MODE* modes, int count, const PLAT_DISPLAY_MODE* desktop,
                             int work_x, int work_y, int work_width, int work_height);
// Back to the defaults, full screen allowed, no window full screen.
void plat_display_null_reset();
// 1 makes plat_display_fullscreen refuse every mode.
void plat_display_null_refuse_fullscreen(int refuse);
// The state the null display was left in: cursor shown, screen saver allowed.
int plat_display_null_cursor_shown();
int plat_display_null_screen_saver_allowed();
