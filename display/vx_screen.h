// The virtual screen: the bitmap all 2D drawing goes into, its palette, the screen's 16-bit packing and the mode-set state.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

// The screen's 16-bit packing, from the 16-bit mode's colour masks: per
// channel (red, green, blue) bits = set bits of the mask and shift = zero
// bits below the mask + bits - 8 (5-6-5: shifts 8, 3, -3).
struct VX_SCREEN_PACKING {
  uint32_t mask[3];
  int shift[3];
  int bits[3];
  uint16_t key;  // the packing of magenta (255, 0, 255): the 16-bit colour key
};

// A copy routine the mode set installs for copies while a mode is set (the
// 3D back end's put): same arguments as vx_bit_copy.
typedef int (*VX_BIT_COPY_FN)(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect,
                              const VX_RECT* src_rect, uint32_t flags);

// The virtual screen record, owned by this module. Everyone may draw into
// its pixels; only the window layer changes its size, position or block,
// through the functions below. A copy of the record may be handed out.
VX_BITMAP* vx_screen();
// Allocates the screen at `width` x `height` (also the base size of the
// resize lists) and depth `bpp`, block "VX_DSP virtual buffer.". Any former
// screen is freed first. 1 or 0.
int vx_screen_alloc(int width, int height, int bpp);
// Frees the screen's pixels only (the 3D back end keeps its own picture);
// size, position and palette stay.
void vx_screen_pixels_free();
// Frees the pixels, drops the screen palette and forgets the base size.
void vx_screen_free();
// The base size (640 x 480 for this game) the resize lists scale from.
int vx_screen_base_width();
int vx_screen_base_height();

// Resizes the screen to width x height. area_width x area_height > 0 centres
// it there (full screen: the mode less its margins; x, y = half the
// difference), else x = y = 0. A screen with pixels gets a new zeroed block
// ("VX_DSP resize virtual buffer"; failure: the fatal box "Sorry, I can't
// allocate enough memory! Please close other applications and try again",
// result 0, nothing changed). Then the resize lists are rescaled, the 3D
// back end is told (while a mode is set and a back end is installed), the
// resize hook redraws and the picture is presented. The caller decides
// whether the resize applies at all (not while the 3D back end owns the
// screen) and what size a fixed-size display keeps. 1 or 0.
int vx_screen_resize(int width, int height, int area_width, int area_height);
// Called after each resize to redraw the screen; null for none.
void vx_screen_resize_hook_set(void (*hook)());

// The screen palette (used for 8-bit screens and for converting the
// virtual screen without a palette of its own). Set takes one reference
// and drops the former palette's; null clears it.
void vx_screen_palette_set(VX_PALETTE* palette);
VX_PALETTE* vx_screen_palette();

// Sets the 16-bit packing from the mode's red, green and blue masks. Masks
// of 0 are refused (result 0, packing unchanged). The start-up packing is 5-6-5.
int vx_screen_masks_set(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);
const VX_SCREEN_PACKING* vx_screen_packing();
// 1 when the packing is 5-5-5 (red 0x7C00, green 0x03E0, blue 0x001F).
int vx_screen_packing_is_555();

// The mode-set state of the window layer: set while a video mode is in
// place. Copies with flags below 128 then go through the installed copy
// routines; saves with flags below 128 go to the 3D table while the 3D
// back end is active.
void vx_screen_mode_set_flag(int set);
int vx_screen_mode_is_set();
void vx_screen_3d_active_set(int active);
int vx_screen_3d_active();
// The copy routines installed by the mode set (null: the software families).
void vx_screen_copy_set(VX_BIT_COPY_FN copy, VX_BIT_COPY_FN copy_transp);
VX_BIT_COPY_FN vx_screen_copy_get(int transparent);
