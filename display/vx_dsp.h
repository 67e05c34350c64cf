// The display layer: the application descriptor, the main window, the video modes and the switch between a window and full screen.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"
#include "display/vx_dsp3d.h"
#include "platform/platform.h"

// One offered window or full-screen size; a width of 0 ends a table.
struct VX_WINDOW_SIZE {
  int16_t width, height;
  int16_t role;  // VX_SIZE_LOWRES and/or VX_SIZE_HIGHRES
};
constexpr int16_t VX_SIZE_LOWRES = 1;   // the low-res full-screen size
constexpr int16_t VX_SIZE_HIGHRES = 2;  // the high-res full-screen size

// One language of the game's language table. The game fills the table and
// owns it; the display layer reads it for the menu bar and keeps `current`.
// An entry whose language is not included has an empty name.
constexpr int VX_LANGUAGE_TEXT = 257;  // 256 characters and the terminator
struct VX_LANGUAGE {
  char name[VX_LANGUAGE_TEXT];
  char abbreviation[VX_LANGUAGE_TEXT];  // "eng", "fra"... selects the per-language files
  char fullscreen[VX_LANGUAGE_TEXT];    // menu label of the Fullscreen / Window item in a window
  char window[VX_LANGUAGE_TEXT];        // its label in full screen
  int number;                           // the value kept as Application/Language in the settings
  int characters;                       // 1 when the file does not say
};
struct VX_LANGUAGES {
  int count;
  int current;  // index into entries; the menu bar's language command changes it
  int multi;    // the texts key MultiLanguages: the Language popup is offered
  VX_LANGUAGE* entries;
};

typedef intptr_t (*VX_WNDPROC)(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// The application descriptor. The game fills one for the whole run; the
// display layer keeps a pointer to it and is the only writer of the *_out
// flags, `window` and `languages->current`.
struct VX_APP {
  uint32_t debug;            // non-zero: name every allocation; zero: write Fullscreen=1 at start
  const char* class_name;    // window class and single-instance name
  const char* title;         // window title and caption of fatal error boxes
  const char* menu_name;     // the menu resource ("PONDSPRINT")
  const char* resource_name;
  const char* icon_name;
  const char* cursor_name;   // null: the standard arrow
  const VX_WINDOW_SIZE* window_sizes;
  int16_t pos_x, pos_y;      // default window position; negative centres on that axis
  int16_t base_width, base_height;  // the virtual screen and the default client size
  int16_t min_width;         // smallest client width and smallest mode width accepted
  int16_t margin_x;          // kept free left and right of the full-screen picture
  int16_t min_height;
  int16_t margin_y;
  uint32_t game_menu_pos;      // top-level popup holding the Language popup
  uint32_t language_menu_pos;  // the Language popup's position in it
  VX_LANGUAGES* languages;     // null: no Language popup, labels from the resource
  void (*menu_hook)();         // after the menu was loaded in a new language
  uint32_t display_menu_pos;     // the Display popup
  uint32_t resolution_menu_pos;  // Change Resolution inside the Display popup
  uint32_t all_modes_menu_pos;   // top-level popup listing every mode; 0 none
  uint32_t mode_check_offset;    // mode index + offset = its item in that popup
  uint32_t default_fullscreen;   // Fullscreen when the settings lack it
  uint32_t* running_out;     // 1 while play runs (active, not in a menu, move or size loop)
  uint32_t* ready_out;       // 1 while a video mode is in place, 0 while it changes
  uint32_t* fullscreen_out;  // the full-screen state after each mode change
  uint32_t* lowres_out;      // 1 while the current mode is the table's low-res size
  uint32_t* highres_out;     // 1 while it is the high-res size
  void* instance;
  const char* command_line;
  int show_command;
  VX_WNDPROC window_proc;    // the game's procedure; it chains to vx_dsp_window_proc
  PLAT_WINDOW* window;       // out: the main window
  void (*redraw_hook)();     // the screen must be redrawn (after a mode change)
  const VX_DSP_3D_INTERFACE* table_3d;  // the 3D back end's table, installed at start; null: defaults
  void (*input_enable)(int enabled);    // the input devices on (1) or off (0); null: none
};

// One entry of the video-mode list: eight 32-bit words.
struct VX_VIDEO_MODE {
  uint32_t width, height;
  int16_t depth;   // bits per pixel
  int16_t unused;
  uint32_t refresh;  // Hz, 0 unknown
  uint32_t flags;    // VX_MODE_*
  // Only in the mode_out copy: the 3D card classification.
  uint32_t card_id, card_memory, card_depth;
};
static_assert(sizeof(VX_VIDEO_MODE) == 32, "eight 32-bit words");
constexpr uint32_t VX_MODE_X = 1;         // a Mode X mode
constexpr uint32_t VX_MODE_VGA = 2;       // a standard VGA mode
constexpr uint32_t VX_MODE_DISABLED = 4;  // shown disabled in the all-modes popup
constexpr uint32_t VX_MODE_3D_HW = 8;     // mode_out only: hardware-accelerated 3D
constexpr uint16_t VX_MODE_NONE = 0xFFFF;  // "no mode" in the 16-bit indices

// Display start parameters, handed to vx_dsp_init and kept by copy.
struct VX_DSP_PARAMS {
  uint32_t quiet_errors;  // non-zero: error texts go to Warning.txt only
  VX_VIDEO_MODE* mode_out;  // gets the current mode (and the card words) after each mode set
  VX_BITMAP* screen_out;    // gets a copy of the virtual screen record after each mode set
  void (*resize_hook)();    // after the virtual screen was resized, to redraw it
  uint32_t keep_aspect;     // a sized window snaps back to the base aspect ratio
  uint32_t flags;           // VX_DSP_*
  uint32_t depth;           // preferred colour depth: 8, 16, 24 or 32
};
constexpr uint32_t VX_DSP_3D = 1;               // the 3D back end renders and sets the modes
constexpr uint32_t VX_DSP_FIXED_SIZE = 2;       // client and virtual screen stay at the base size
constexpr uint32_t VX_DSP_WINDOW_ONLY = 4;      // never full screen
constexpr uint32_t VX_DSP_FULLSCREEN_ONLY = 8;  // always full screen (see the toggle)

// A rectangle in screen pixels.
struct VX_DSP_RECT {
  int x, y, width, height;
};

// ---------------------------------------------------------------- start and stop
// Chooses the start mode and sets it, then loads the menu. 0 on failure
// (the caller exits); vx_app_start must have succeeded.
int vx_dsp_init(const VX_DSP_PARAMS* params);
// Saves the Display keys and the language when a mode had been set, gives
// the desktop back, stops the 3D back end, destroys the window and frees
// the mode list. Safe to call twice.
void vx_dsp_deinit();

// ---------------------------------------------------------------- modes
// The index of a mode of that size: first with exactly `depth`, else the
// first at least that deep; standard VGA modes are skipped. -1 for none.
int vx_dsp_mode_find(int width, int height, int depth);
// Switches to mode `index` (full screen or windowed as the full-screen flag
// says). 0 when refused: smaller than min_width x min_height or shallower
// than the preferred depth (two boxes tell why, nothing changes), or a bad
// index. 1 when handled, also when the mode failed and the desktop mode
// took its place.
int vx_dsp_mode_switch(int index);
// Alt+Enter and F4. Returns 1 when the result is a window.
int vx_dsp_fullscreen_toggle();
// The display commands of the menu bar (50001-50005, 50100+, 50201+,
// 50300+, 40004, 40005); 1 when `id` is one of them. A click is posted after each.
int vx_dsp_command(uint32_t id);
// The mode list, owned by this layer. Count, entry (null for a bad index)
// and the indices (VX_MODE_NONE for none).
int vx_dsp_mode_count();
const VX_VIDEO_MODE* vx_dsp_mode(int index);
int vx_dsp_mode_current();
int vx_dsp_mode_desktop();
int vx_dsp_mode_windowed();
int vx_dsp_mode_fullscreen();

// ---------------------------------------------------------------- window
// Places the window for a client (picture) size at (x, y). With `out` only
// the rectangle of the window's drawable area (menu bar included) is
// computed and nothing changes; else the window is moved there (or made
// full screen), the virtual screen follows and the picture is fitted.
int vx_dsp_window_place(int x, int y, int client_width, int client_height, VX_DSP_RECT* out);
// After a move or a size: keeps the client at least min_width x
// min_height and, with keep_aspect, at the base aspect ratio.
void vx_dsp_window_fit();
// The window's client rectangle (the picture, without the menu bar) and the
// full-screen rectangle of the virtual screen (FullPosition).
VX_DSP_RECT vx_dsp_client_rect();
VX_DSP_RECT vx_dsp_full_rect();

// ---------------------------------------------------------------- settings
// The Display keys of the settings file: Resolution, WindowPosition,
// Fullscreen, FullPosition, SkipMessageBox. Missing or malformed values
// keep the descriptor's defaults. 1 when the settings file could be read.
int vx_dsp_settings_load();
// Writes Resolution, WindowPosition, Fullscreen and FullPosition. 1 or 0.
int vx_dsp_settings_save();

// ---------------------------------------------------------------- drawing
// Moves the virtual screen to the visible surface (the 3D back end's
// display update while it renders; nothing before a mode is set).
void vx_dsp_present();
// Clears the visible surface (the 3D back end's clear, else the virtual screen).
void vx_dsp_screen_clear();

// ---------------------------------------------------------------- window procedure
// The display layer's part of the window procedure: activation, minimise
// and restore, move and size, the display keys, the menu bar and its
// commands, closing. Messages it does not handle go to the platform's default.
intptr_t vx_dsp_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// ---------------------------------------------------------------- state
VX_APP* vx_dsp_app();                    // the descriptor handed to vx_app_start, or null
const VX_DSP_PARAMS* vx_dsp_params();    // the parameters of vx_dsp_init, or null before
PLAT_WINDOW* vx_dsp_window();            // the main window, or null
int vx_dsp_is_fullscreen();
int vx_dsp_is_running();
int vx_dsp_is_minimised();
int vx_dsp_mode_is_set();                // a video mode is in place
int vx_dsp_skip_message_box();          // SkipMessageBox of the settings
// 1 while the 3D back end holds the full screen: error texts then go to
// Warning.txt only, menus are refused.
int vx_dsp_3d_owns_screen();
// Titles the main window and shows it with the descriptor's show command
// (2: minimised, else normal). vx_dsp_init does it unless a splash window
// is up; the splash shows it when it goes. Until then the window is hidden
// and untitled (the 3D back end may still replace it underneath).
void vx_dsp_show();
// Work done while the screen settles after a full-screen mode set (the 3D
// back end's first drawing, so that its cost falls into the wait): the
// wait still lasts its whole time, the work inside it. Null for none.
void vx_dsp_settle_work_set(void (*work)());
// The splash window while it is shown (error boxes step aside for it), or null.
void vx_dsp_splash_window_set(PLAT_WINDOW* splash);
PLAT_WINDOW* vx_dsp_splash_window();
