// The 3D interface table: the fifteen operations through which the display layer reaches the 3D back end, and the card classification.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"
#include "platform/platform.h"

// Filled by the 3D back end and installed with vx_dsp_3d_interface_set.
// Every entry of the installed table is callable: an entry the back end
// leaves null is a default that shows "<name> called before calling
// vx_dsp_3d_interface_set ()" in the error box and returns 0.
// Colours are 0xRRGGBB; coordinates are pixels of the 3D screen.
struct VX_DSP_3D_INTERFACE {
  // Creates the 3D context for `window` over `screen`; *renderer and *vendor
  // receive the back end's names (owned by it). Bit 3 (8) of the result: a
  // hardware-accelerated renderer.
  int (*vx_dsp_3d_init)(PLAT_WINDOW* window, const VX_RECT* screen, const char** renderer, const char** vendor);
  // Writes its report and releases every texture. 1 or 0.
  int (*vx_dsp_3d_deinit)();
  // Sets the display mode (refresh in Hz, 0 for the default). 1 or 0.
  int (*vx_dsp_3d_video_mode_set)(int width, int height, int depth, int refresh, int fullscreen);
  // The virtual screen now covers `screen`. 1 or 0.
  int (*vx_dsp_3d_resize)(const VX_RECT* screen);
  // Waits until all drawing is done. 1 or 0.
  int (*vx_dsp_3d_flush)();
  // Draws `src_rect` of `bitmap` into `dest_rect` of the screen with the copy
  // flags of vx_bit_copy. 1 or 0.
  int (*vx_bit_3d_put)(VX_BITMAP* bitmap, const VX_RECT* dest_rect, const VX_RECT* src_rect, uint32_t flags);
  // Writes `rect` of the screen (null: all of it) to `file_name` at the next
  // display update; `bitmap` and `flags` are vx_bit_save's. 1 or 0.
  int (*vx_bit_3d_save)(VX_BITMAP* bitmap, const char* file_name, const VX_RECT* rect, uint32_t flags);
  // Releases the bitmap's texture and sets its texture field to 0. 1 or 0.
  int (*vx_bit_3d_free)(VX_BITMAP* bitmap);
  int (*vx_dsp_3d_screen_clear)();    // clears the screen to black
  int (*vx_dsp_3d_display_update)();  // shows the finished frame
  int (*vx_bit_3d_draw_pixel)(VX_BITMAP* bitmap, int x, int y, uint32_t colour);
  int (*vx_bit_3d__draw_line)(VX_BITMAP* bitmap, int x1, int y1, int x2, int y2, uint32_t colour);
  int (*vx_bit_3d__draw_rectangle)(VX_BITMAP* bitmap, const VX_RECT* rect, uint32_t colour);
  int (*vx_bit_3d__draw_circle)(VX_BITMAP* bitmap, int cx, int cy, int radius, uint32_t colour);
  // One pixel as 0xRRGGBB.
  uint32_t (*vx_bit_3d_get_pixel)(VX_BITMAP* bitmap, int x, int y);
};
static_assert(sizeof(VX_DSP_3D_INTERFACE) == 15 * sizeof(void*), "fifteen operations");

// Copies `table` into the display layer's own table (the caller's may go
// away afterwards); each null entry, or every entry for a null table,
// becomes its default. Before the first call every entry is its default.
void vx_dsp_3d_interface_set(const VX_DSP_3D_INTERFACE* table);
// The installed table; every entry is callable. Owned by this module.
const VX_DSP_3D_INTERFACE* vx_dsp_3d_interface();
// 1 while a back end's table is installed (vx_dsp_3d_interface_set with a
// table), 0 with the defaults only.
int vx_dsp_3d_installed();

// The 3D card classification: the last three words of the mode record.
struct VX_DSP_CARD {
  uint32_t id;      // 0: unknown
  uint32_t memory;  // the card's memory figure (MB)
  uint32_t depth;   // the card's best depth
};
// Classifies `renderer`: upper-cased, searched for each key of the card
// table in order, the first hit wins. No hit, a null name, or a "Generic"
// (software) renderer leaves *out zero. 1 on a hit, else 0.
int vx_dsp_card_identify(const char* renderer, VX_DSP_CARD* out);
