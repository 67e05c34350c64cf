// TGA decoder: colour-mapped (type 1), true-colour (type 2) and run-length true-colour (type 10) pictures.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/image/img_load.h"

// 1 when the 18-byte header names image type 1, 2 or 10 with a size above zero.
int vx_img_tga_test(const uint8_t* data, size_t size);
// Decodes a whole TGA file held in memory into `bitmap` (cleared first).
// `flags`: VX_IMG_PALETTE. `name` is only used in messages (may be null);
// `info` (may be null) receives what was stored. 1, or 0 with the bitmap
// cleared.
int vx_img_tga_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char* name,
                      VX_IMG_INFO* info);
