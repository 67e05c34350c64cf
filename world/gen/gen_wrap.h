// gen_wrap: the OpenGL context and display of the gen layer, its 2D pixel projection, snapshots, and the 3D interface table it fills.
//
// The display layer installs the table:
//   VX_DSP_3D_INTERFACE table;
//   gen_wrap_get_interface(&table);
//   vx_dsp_3d_interface_set(&table);
// The window handed to init must have been created with PLAT_WS_OPENGL.
// Draw coordinates are pixels of the screen rectangle, origin top left.
#pragma once
#include <cstdint>

#include "display/vx_dsp3d.h"
#include "platform/platform.h"

// Fills all fifteen entries of `table`, in its order: init, deinit, video
// mode set, resize, flush, put, save (snapshot request), free, screen
// clear, display update, pixel, line, rectangle, circle, read a pixel.
void gen_wrap_get_interface(VX_DSP_3D_INTERFACE* table);

// Creates the context for `window` (double buffer, RGBA, 32 colour bits,
// the deepest depth buffer available, stencil; failures: the box
// "ChoosePixelFormat failed" or "SetPixelFormat failed" captioned "Error",
// then a quit request and result 0), writes the renderer report to the
// history, clears the screen and sets the 2D projection for `screen`.
// *renderer and *vendor (may be null) receive the GL names, owned here
// ("" without a context). 8 when the renderer name does not contain
// "Generic" (hardware), else 0. A second call for the same window keeps
// its context.
int gen_wrap_init(PLAT_WINDOW* window, const VX_RECT* screen, const char** renderer, const char** vendor);
// Writes the system report ([System] Vendor, Renderer, TextureRamMax,
// TextureRamCurrent of the settings file), turns the scissor test off,
// releases every texture and the context. 1, or 0 when there was no context.
int gen_wrap_deinit();
// The display settings change for the window of init (before init: the
// main window): full screen in that mode, or windowed. 1, or 0 after a box
// captioned "ChangeDisplaySettings Failed" saying why.
int gen_wrap_video_mode_set(int width, int height, int depth, int refresh, int fullscreen);
// The 2D projection for `screen` (x, y: the screen's offset in the window):
// viewport and scissor box = screen, orthographic pixels with y down,
// scissor test on. 1, or 0 without a context or for a null rectangle.
int gen_wrap_resize(const VX_RECT* screen);
// Waits until all drawing is done. 1, or 0 without a context.
int gen_wrap_flush();
// The snapshot request: `rect` of the screen (null: all of it; clipped to
// the screen) is written to `file_name` at the next display update as a
// 24-bit picture through vx_bit_save. `bitmap` and `flags` are not used. 1
// when the request was taken, 0 when one is already pending (it is kept)
// or the rectangle is empty.
int gen_wrap_snapshot(VX_BITMAP* bitmap, const char* file_name, const VX_RECT* rect, uint32_t flags);
// Clears the whole window to black (scissor test off, then on again). 1 or 0.
int gen_wrap_screen_clear();
// Writes a pending snapshot, shows the frame and clears the colour buffer
// to black. 1, or 0 without a context.
int gen_wrap_display_update();

// ---------------------------------------------------------------- state
// 1 while a context is current.
int gen_wrap_ready();
// The screen rectangle of init or the last resize.
VX_RECT gen_wrap_screen();
// The names the context reported ("" without one).
const char* gen_wrap_renderer();
const char* gen_wrap_vendor();
// 1 while a snapshot waits for the display update.
int gen_wrap_snapshot_pending();
// The frame-buffer row (counted from the bottom, as GL counts) of screen
// row `y` for the screen rectangle `screen`.
int gen_wrap_buffer_row(const VX_RECT* screen, int y);

// 8 when `renderer` does not contain "Generic" (a hardware renderer), else 0.
int gen_wrap_hardware_flag(const char* renderer);
// The box text for a plat_display_mode_set result other than OK.
const char* gen_wrap_display_error_text(int result);
