// Picture loading: picks the decoder by the file name, reads the file through the file layer and fills a bitmap.
//
// Every decoder clears the bitmap first and, on success, leaves it owning a
// pixel block (rows top first, no padding, (width x bpp + 7) / 8 bytes a
// row) and possibly a palette; the caller releases both with vx_bit_free.
// On failure the bitmap is left cleared and owns nothing.
#pragma once
#include <cstddef>
#include <cstdint>

#include "display/vx_bit.h"

// Load flag bit 0: give palette-based pictures their palette (and grey
// PNGs of 4 or 8 bits a made-up grey ramp). Without it, palette-based
// pictures come without a palette (a colour-type 3 PNG keeps its own).
constexpr int VX_IMG_PALETTE = 1;
// Bitmap flag bit 0: the palette is a made-up grey ramp.
constexpr uint8_t VX_IMG_GREY_RAMP = 1;

enum VX_IMG_FORMAT {
  VX_IMG_UNKNOWN = 0,
  VX_IMG_PCX = 1,
  VX_IMG_PNG = 2,
  VX_IMG_TGA = 3,
  VX_IMG_JPEG = 4,
};

// What a decoder stored, for readers that must tell apart pixels of the
// same depth (a 16-bit grey PNG and an 8-bit grey-and-alpha one both have
// 16 bits per pixel). Filled on success when the caller passes one.
struct VX_IMG_INFO {
  int format;       // VX_IMG_FORMAT
  int channels;     // samples per pixel: 1 grey or index, 2 grey + alpha, 3 colour, 4 colour + alpha
  int sample_bits;  // 1, 2, 4, 8 or 16 (16: big-endian, as PNG stores them); 5 for 15-bit TGA words
  int indexed;      // 1 when pixels are palette indexes (the bitmap may still lack a palette)
};

// The format an upper-cased copy of `name` names: ".PCX" or ".PCC", then
// ".PNG", then ".TGA", then ".JPG", ".JPE" or ".JPEG", each searched
// anywhere in the name ("picture.png.bak" is a PNG). VX_IMG_UNKNOWN for none.
int vx_img_format_of(const char* name);

// Loads picture `name` (a file-layer name) into `bitmap`. 1, or 0 when the
// name has no known extension (no message), the file cannot be read, the
// format is not supported (PCX and TGA show their "not supported yet"
// box) or the data are broken. The pixel block and the palette are named
// with the file name in the memory tracker.
int vx_img_load(VX_BITMAP* bitmap, const char* name, int flags);
// As vx_img_load; `info` (may be null) tells what was stored.
int vx_img_load_info(VX_BITMAP* bitmap, const char* name, int flags, VX_IMG_INFO* info);

// Decodes `size` bytes of format `format` (VX_IMG_FORMAT) from memory, as
// the loader does after reading the file. `name` is only used in messages
// (null reads as ""). 1 or 0.
int vx_img_decode(int format, VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags,
                  const char* name, VX_IMG_INFO* info);

// Why the last vx_img_load or vx_img_decode failed, in one short line
// ("missing file", "progressive JPEG is not supported", "truncated data",
// ...); "" after a success. Tools print it; the game keeps its own messages.
const char* vx_img_reason();

// Caps the pixel block any decoder may allocate, in bytes; 0 (the start
// value) leaves only the record's own bound of 32767 x 32767 pixels. Fuzz
// targets use it to keep hostile headers from asking for gigabytes.
void vx_img_set_limit(size_t max_bytes);
size_t vx_img_limit();

// Writes the decoded picture as width x height pixels of red, green, blue,
// alpha bytes into `out` (width x height x 4 bytes). Indexes go through the
// palette (alpha from an RGBA palette, else 255) or, without one, read as
// grey levels; grey samples fill red, green and blue; 16-bit samples are
// rounded to 8 bits; 5-bit channels repeat their top bits (31 gives 255).
// Pictures without alpha get 255. 1, or 0 when `info` does not fit the bitmap.
int vx_img_expand_rgba(const VX_BITMAP* bitmap, const VX_IMG_INFO* info, uint8_t* out);
