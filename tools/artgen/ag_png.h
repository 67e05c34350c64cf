// ag_png: writes pictures as PNG files (grey, RGB, palette and RGBA, 8 bits a sample; palettes of 1 to 8 bits an index).
//
// The writer is deterministic: the same pixels always give the same bytes
// (per-row filter chosen by a fixed rule, zlib at level 9, no time chunk),
// so two builds of the data tree are identical.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// PNG colour types this writer makes.
enum AG_PNG_COLOUR {
  AG_PNG_GREY = 0,     // 1 byte a pixel
  AG_PNG_RGB = 2,      // 3 bytes a pixel, red first
  AG_PNG_PALETTE = 3,  // 1 byte a pixel: an index into `palette`
  AG_PNG_RGBA = 6,     // 4 bytes a pixel, alpha last (0 transparent)
};

// A picture to encode. `pixels` holds height rows of width pixels, top row
// first, no padding, in the layout of `colour`. For AG_PNG_PALETTE,
// `palette` holds `palette_count` (1 to 256) RGB triples and every index
// must be below the count; the file uses the fewest bits an index (1, 2,
// 4 or 8) that the count allows.
struct AG_PNG_IMAGE {
  int width, height;  // 1 to 65535 each
  int colour;         // AG_PNG_COLOUR
  const uint8_t* pixels;
  const uint8_t* palette;
  int palette_count;
};

// Encodes `image` as a whole PNG file into `out` (replaced). 1, or 0 for a
// bad size, colour type, palette or index (out is then empty).
int ag_png_encode(const AG_PNG_IMAGE* image, std::vector<uint8_t>* out);

// The CRC-32 of PNG chunks (and of zip and gzip): reflected, polynomial 0xEDB88320.
uint32_t ag_png_crc(const uint8_t* data, size_t size, uint32_t crc = 0);

// Encodes width x height RGBA pixels in the smallest exact form: palette
// when every pixel is opaque and there are at most 256 colours, RGB when
// every pixel is opaque, else RGBA. `force_rgba` keeps RGBA (sprites).
int ag_png_encode_auto(int width, int height, const uint8_t* rgba, int force_rgba, std::vector<uint8_t>* out);
