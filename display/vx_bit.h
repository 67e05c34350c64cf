// Bitmaps and palettes: the one in-memory picture record, its allocation, palettes and depth conversion.
#pragma once
#include <cstddef>
#include <cstdint>

// A reference-counted palette. Colours are red, green, blue (RGB) or red,
// green, blue, alpha (RGBA) bytes.
constexpr uint8_t VX_PALETTE_RGB = 1;
constexpr uint8_t VX_PALETTE_RGBA = 2;
struct VX_PALETTE {
  uint32_t references;
  uint16_t count;   // number of colours
  uint8_t type;     // VX_PALETTE_RGB or VX_PALETTE_RGBA
  uint8_t* colours; // count entries of 3 or 4 bytes
};

// Flag bit of a keyed bitmap: set when a conversion turned key pixels into
// transparent ones, or by the maker of a picture whose key pixels are its
// background (the 3D back end then converts it with the key).
constexpr uint8_t VX_BIT_KEYED = 2;

// The bitmap record. Pixels run top row first without padding; a row is
// width x bytes per pixel, or (width + 1) / 2 bytes at 4 bits (the high
// nibble is the left pixel). 8 bits: palette index; 15/16 bits: one 16-bit
// word in the screen's packing; 24 bits: red, green, blue; 32 bits: red,
// green, blue, alpha.
struct VX_BITMAP {
  int16_t x, y;            // the bitmap's own position (screen put, centring offset)
  int16_t width, height;
  int16_t bpp;             // 4, 8, 15, 16, 24 or 32 (1 is known but not convertible)
  uint8_t flags;           // VX_BIT_KEYED
  uint32_t key;            // transparent palette index of an 8-bit bitmap
  uint32_t texture;        // the 3D back end's copy, 0 for none
  uint32_t extra[6];       // kept zero here; owned by the 3D back end and the animation code
  VX_PALETTE* palette;     // may be null
  uint8_t* pixels;
};

// The fixed part of both records keeps the order and offsets of the text;
// the pointers follow at the platform's alignment.
static_assert(offsetof(VX_PALETTE, count) == 4 && offsetof(VX_PALETTE, type) == 6 &&
              offsetof(VX_PALETTE, colours) == 8, "palette layout");
static_assert(offsetof(VX_BITMAP, width) == 4 && offsetof(VX_BITMAP, bpp) == 8 && offsetof(VX_BITMAP, flags) == 10 &&
              offsetof(VX_BITMAP, key) == 12 && offsetof(VX_BITMAP, texture) == 16 &&
              offsetof(VX_BITMAP, extra) == 20 && offsetof(VX_BITMAP, palette) > offsetof(VX_BITMAP, extra),
              "bitmap layout");

// A rectangle as the bitmap operations take it.
struct VX_RECT {
  int16_t x, y, width, height;
};
static_assert(sizeof(VX_RECT) == 8, "four 16-bit values");

// Depths as vx_bit_alloc and vx_bit_convert take them.
constexpr int16_t VX_BIT_BPP1 = 1;
constexpr int16_t VX_BIT_BPP4 = 4;
constexpr int16_t VX_BIT_BPP8 = 8;
constexpr int16_t VX_BIT_BPP15 = 15;
constexpr int16_t VX_BIT_BPP16 = 16;
constexpr int16_t VX_BIT_BPP24 = 24;
constexpr int16_t VX_BIT_BPP32 = 32;
// Added to a target depth: key pixels become transparent grey (127, 127, 127, 0)
// when converting to 32 bits.
constexpr int VX_BIT_CONVERT_KEY = 64;

// Bytes of pixels for a width x height bitmap at `bpp`: (width + 1) / 2 per
// row at 4 bits, 1, 2, 3 or 4 per pixel otherwise; 0 for an unknown depth.
long vx_bit_size(int width, int height, int bpp);
// Bytes of one row.
long vx_bit_row_bytes(int width, int bpp);

// Zeroes `bitmap` and gives it `rect` (x, y, width, height) and a zeroed
// pixel block of depth `bpp` (0 means 8). An unknown depth shows "Invalid
// options in parameter of vx_bit_alloc ()" and gets one byte per pixel.
// 1, or 0 for a null bitmap or rect, an area below one pixel, or no memory
// (the record is then zeroed). The block is named "VX_DSP bit_alloc bitmap buffer".
int vx_bit_alloc(VX_BITMAP* bitmap, const VX_RECT* rect, int bpp);
// As vx_bit_alloc, the block named "%dx%dx%d" (width, height, bpp) at the caller's file and line.
int vx_bit_alloc_dbg(const char* file, int line, VX_BITMAP* bitmap, const VX_RECT* rect, int bpp);
// Releases the texture through the 3D interface (when there is one), drops
// the palette reference and frees the pixels; those fields become 0/null.
// A null bitmap does nothing.
void vx_bit_free(VX_BITMAP* bitmap);

// Converts in place. `option` = target depth (4, 8, 16, 24, 32; 15 counts
// as 16) plus VX_BIT_CONVERT_KEY. 1 when converted or already at the target
// depth (then nothing changes, not even the texture); 0 with a box when the
// pair is refused, a palette is missing or memory runs out, the bitmap left
// as it was. 8-bit sources without palette use the screen palette when the
// bitmap is the virtual screen. Conversions to 24 or 32 bits that read a
// palette drop it (palette becomes null).
int vx_bit_convert(VX_BITMAP* bitmap, int option);
int vx_bit_convert_dbg(const char* file, int line, VX_BITMAP* bitmap, int option);

// Swaps the first and third byte of every pixel of a 24- or 32-bit bitmap
// (red-first <-> blue-first, the order GDI paints). 1, or 0 for other depths.
int vx_bit_swap_rb(VX_BITMAP* bitmap);
