// The JPEG decoder's inverse DCT: 8 x 8 dequantised coefficients to samples, in exact integer arithmetic.
#pragma once
#include <cstddef>
#include <cstdint>

// `coef`: 64 quantised coefficients in row-major order (row = vertical
// frequency), 16-byte aligned; all zeros on return. `q`: the quantisation
// table in the same order (each coefficient becomes the product, saturated
// to 16 bits). Writes the 8 x 8 samples, level-shifted by 128, rounded and
// clamped to 0..255, to `out` (rows `stride` bytes apart). Uses SSE2 where
// the target has it.
void vx_img_jpeg_idct(int16_t* coef, const int16_t* q, uint8_t* out, size_t stride);
// The same computation without vector instructions: the same samples bit
// for bit for every input (kept for targets without SSE2, and for tests).
void vx_img_jpeg_idct_portable(int16_t* coef, const int16_t* q, uint8_t* out, size_t stride);
// The samples of a block whose only non-zero coefficient is the DC term,
// `dc` after dequantisation: one value, the one vx_img_jpeg_idct gives.
uint8_t vx_img_jpeg_idct_dc(int16_t dc);
