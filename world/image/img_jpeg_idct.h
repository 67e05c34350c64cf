// The JPEG decoder's inverse DCT: 8 x 8 dequantised coefficients to samples.
#pragma once
#include <cstddef>
#include <cstdint>

// `coef`: 64 dequantised coefficients in row-major order, already scaled
// by 1/4 (the 1/2 of each 1-D pass). Writes the 8 x 8 samples,
// level-shifted by 128, rounded and clamped to 0..255, to `out` (rows
// `stride` bytes apart).
void vx_img_jpeg_idct(const float* coef, uint8_t* out, size_t stride);
// The same for a block whose only coefficient is the DC term `dc` (scaled as above).
void vx_img_jpeg_idct_flat(float dc, uint8_t* out, size_t stride);
