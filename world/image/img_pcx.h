// PCX decoder: run-length coded 8-bit, 24-bit (three planes) and 4-bit (four bit planes) pictures.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/image/img_load.h"

// 1 when the header has manufacturer 10 and version 5.
int vx_img_pcx_test(const uint8_t* data, size_t size);
// Decodes a whole PCX file held in memory into `bitmap` (cleared first).
// `flags`: VX_IMG_PALETTE. `name` is only used in messages (may be null);
// `info` (may be null) receives what was stored. 1, or 0 with the bitmap
// cleared.
int vx_img_pcx_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char* name,
                      VX_IMG_INFO* info);
