// Baseline JPEG decoder: Huffman-coded 8 x 8 blocks of up to three components, decoded into 24-bit red, green, blue pixels.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/image/img_load.h"

// 1 when the data start with the SOI marker (FF D8).
int vx_img_jpeg_test(const uint8_t* data, size_t size);
// Decodes a whole JPEG file held in memory into `bitmap` (cleared first).
// `flags`: VX_IMG_PALETTE. `name` is only used in messages (may be null);
// `info` (may be null) receives what was stored. 1, or 0 with the bitmap
// cleared.
int vx_img_jpeg_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char* name,
                       VX_IMG_INFO* info);
