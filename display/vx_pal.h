// Palettes: reference-counted colour tables, shared grey ramps, palette files and the 16-bit screen packing.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

// vx_pal_alloc options.
constexpr int VX_PAL_OPT_RGB = 1;   // 3 bytes per colour (else RGBA, 4 bytes)
constexpr int VX_PAL_OPT_GREY = 4;  // without a source: entry i is grey i x (256 / (count - 1))

// A new palette of `count` colours with one reference, colours zeroed, or
// a grey ramp (VX_PAL_OPT_GREY, alpha 255), or the first min(count,
// source->count) colours of `source` converted between RGB and RGBA (alpha
// 255 where the source has none). Null when count is 0 or memory runs out.
// Blocks: "VX_DSP pal_alloc mypalette buffer" and "VX_DSP pal_alloc
// mypalette->color buffer" (RGB) / "VX_DSP pal_alloc mypalette->color_alpha buffer" (RGBA).
VX_PALETTE* vx_pal_alloc(const VX_PALETTE* source, int count, int options);
// As vx_pal_alloc, the blocks named "vx_pal_alloc (VX_PALETTE *)" and
// "vx_pal_alloc (VX_PALETTE_RGB *)" / "vx_pal_alloc (VX_PALETTE_RGBA *)" at the caller's file and line.
VX_PALETTE* vx_pal_alloc_dbg(const char* file, int line, const VX_PALETTE* source, int count, int options);
// Drops one reference; the last one frees colours and record. A type other
// than RGB or RGBA shows "Wrong palette type" (the record is still freed).
// Null does nothing.
void vx_pal_free(VX_PALETTE* palette);
// Adds one reference and returns the palette (null passes through).
VX_PALETTE* vx_pal_ref(VX_PALETTE* palette);

// A shared grey RGB palette of `count` colours: the same record for the same
// count, one more reference per call (the first call's palette has one);
// the caller frees each reference, and the last free takes it off the list.
VX_PALETTE* vx_pal_grayscale_get(int count);

// A 256-colour RGB palette read from the last 768 bytes of a file (red,
// green, blue per entry), one reference. Null when the file cannot be
// opened or is shorter than 768 bytes.
VX_PALETTE* vx_pal_load(const char* file_name);

// Red, green, blue (0-255) as one 16-bit word in the screen's packing
// (vx_screen_masks_set); top bits of each channel, no rounding.
uint16_t vx_pal_pack16(int r, int g, int b);
// Colour (r, g, b) of entry `index` (RGB or RGBA palettes); black outside.
void vx_pal_colour(const VX_PALETTE* palette, int index, uint8_t* r, uint8_t* g, uint8_t* b);
