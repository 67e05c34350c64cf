// PNG decoder: chunks, one zlib stream, the five row filters and Adam7 interlacing, samples kept as the file stores them.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/image/img_load.h"

// 1 when the data start with the 8-byte PNG signature.
int vx_img_png_test(const uint8_t* data, size_t size);
// Decodes a whole PNG file held in memory into `bitmap` (cleared first).
// `flags`: VX_IMG_PALETTE. `name` is only used in messages (may be null);
// `info` (may be null) receives what was stored. 1, or 0 with the bitmap
// cleared.
int vx_img_png_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char* name,
                      VX_IMG_INFO* info);
