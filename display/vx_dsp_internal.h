// Inside the display layer only: the window and mode state shared by the vx_dsp_* and vx_app files, and their helpers.
#pragma once
#include <cstdint>

#include "display/vx_dsp.h"

// The display state. One record for the whole layer; written only by
// display/vx_dsp*.cpp and display/vx_app*.cpp, on the main thread.
struct VX_DSP_STATE {
  VX_APP* app;
  VX_DSP_PARAMS params;
  int have_params;  // vx_dsp_init ran
  PLAT_WINDOW* window;
  PLAT_WINDOW* splash;

  // The video-mode list: `capacity` entries, zero-filled, growing by 100.
  VX_VIDEO_MODE* modes;
  int capacity;
  uint16_t count, current, desktop, windowed, fullscreen_index;

  int fullscreen;
  int running;
  int minimised;
  int mode_set_done;
  int depth_is_preferred;
  int active_3d;            // a mode was set through the 3D back end's table
  int hw_3d;                // its renderer is hardware-accelerated
  int switching;            // inside vx_dsp_mode_switch: error boxes do not toggle
  int remembered_fullscreen;  // the state when minimised; -1 none
  int menu_attached;        // the menu bar is on the window (detached in full screen)
  int screen_saver_off;     // this layer switched the screen saver off
  int instance_locked;      // this process holds the single-instance lock
  int placing;              // inside vx_dsp_window_place
  int settle_ms;            // wait after a full-screen resize (250; tests set 0)
  uint32_t settle_from;     // plat_ticks() when the latest mode set began

  int win_x, win_y;         // window position (its drawable's top-left), screen pixels
  int client_w, client_h;   // the picture area of the window, without the menu bar
  VX_DSP_RECT full;         // FullPosition: the virtual screen in full screen
  int req_width, req_height, req_depth;  // Resolution: the requested start mode
  int skip_message_box;
  int settings_fullscreen;  // Fullscreen as read (or the default)
  int mode_menu_built;      // the Change Resolution popup was built once
  const char* renderer;     // the 3D back end's names, owned by it
  const char* vendor;
};
extern VX_DSP_STATE vx_dsp_st;

// The preferred depth: 16 with the 3D back end, else the parameters' (16 before them).
int vx_dsp_preferred_depth();
// 1 when the VX_DSP_3D flag is set: the 3D back end renders, in a window and in full screen.
int vx_dsp_uses_3d();
// 1 when modes go through the installed 3D table (VX_DSP_3D and a back end
// installed); without a back end the layer sets modes through the platform.
int vx_dsp_table_3d();
// The running flag, mirrored to the game.
void vx_dsp_set_running(int running);
// The full-screen flag, mirrored to the game.
void vx_dsp_set_fullscreen(int fullscreen);
// Posts the left-button click that resumes play.
void vx_dsp_post_click();
// Posts Alt+Enter to the main window.
void vx_dsp_post_alt_enter();

// ---- vx_dsp_modes.cpp
// Empties the list and makes room for `capacity` entries (zero-filled). 1 or 0.
int vx_dsp_modes_alloc(int capacity);
void vx_dsp_modes_free();
// Appends a mode, growing the list by 100 when full ("Can't allocate memory
// for list of video modes" and 0 when it cannot grow).
int vx_dsp_modes_add(const VX_VIDEO_MODE* mode);
// Reads the platform's modes (all of them: refusals happen at the switch),
// finds the desktop (appended when the list lacks it) and the requested
// start mode, and sets the four indices. 1, or 0 when no current or desktop
// mode is known; an unreadable list or desktop says so in a box first
// ("DirectDraw Init FAILED 03B" / "03C").
int vx_dsp_modes_enumerate();
// Sets the current mode: through the 3D table, else the platform, then the
// layout. 1 or 0.
int vx_dsp_video_mode_set();
// The table size with that role bit, or null.
const VX_WINDOW_SIZE* vx_dsp_table_size(int16_t role);

// ---- vx_dsp_window.cpp
// Creates the main window from the descriptor (hidden until shown). 1 or 0.
int vx_dsp_window_create();
// Window styles: the caption style (caption, sizing border) in a window, a
// popup in full screen.
void vx_dsp_window_style_caption();
void vx_dsp_window_style_popup();
// Detaches the menu bar (full screen) or puts it back (windowed), placing
// the window again when its height changes.
void vx_dsp_menu_detach();
void vx_dsp_menu_attach();

// The window placement arithmetic, without side effects (for the placement and its tests).
struct VX_DSP_PLACE {
  int fullscreen;
  int keep_aspect;
  int fixed_size;
  int base_w, base_h;      // the base (virtual screen) size
  int min_w, min_h;        // the smallest client
  int screen_w, screen_h;  // the virtual screen now: the aspect snap compares with it
  int mode_w, mode_h;      // full screen: the mode
  int bar_h;               // menu bar height above the picture, 0 when detached
  int work_x, work_y, work_w, work_h;  // the desktop's work area
};
struct VX_DSP_PLACED {
  VX_DSP_RECT window;     // the drawable area: the picture and the bar above it
  int client_w, client_h;  // the picture
};
void vx_dsp_place_compute(const VX_DSP_PLACE* in, int x, int y, int client_w, int client_h, VX_DSP_PLACED* out);
// The inputs of vx_dsp_place_compute from the current state.
VX_DSP_PLACE vx_dsp_place_inputs();
// The picture in a client area of area_w x area_h with the base aspect
// kept: the largest base_w : base_h rectangle that fits, centred (offsets
// rounded down), bars left and right (pillarbox) or above and below
// (letterbox). An area off the aspect by less than a pixel on the short
// side (the aspect snap's own rounding) is filled whole. Without a base
// size, or an empty area, the whole area.
VX_DSP_RECT vx_dsp_aspect_fit(int area_w, int area_h, int base_w, int base_h);
// Fits the virtual screen into the window's client area as it is now, with
// the aspect kept, without placing the window again (a maximised window's
// size belongs to the window manager).
void vx_dsp_window_fit_picture();

// ---- vx_dsp_menu.cpp
// The bar's height above the picture while it is attached and shown, else 0.
int vx_dsp_menu_bar_height();

// ---- vx_dsp_menu_bar.cpp
// Draws the bar and its open popups over the frame about to be presented
// (in a window, while the bar is shown).
void vx_dsp_menu_bar_overlay();
