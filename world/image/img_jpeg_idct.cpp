// The JPEG decoder's inverse DCT in single-precision floating point, as two passes of an 8-point transform over four lanes at once.
//
// The 8-point inverse transform x[n] = sum over k of a(k) X[k] cos((2n + 1) k pi / 16)
// (a(0) = 1 / sqrt 2, else 1; the factor 1/2 is folded into the
// dequantisation) splits into an even half (X0, X2, X4, X6), a 4-point
// transform, and an odd half (X1, X3, X5, X7), a 4 x 4 product:
// x[n] = E[n] + O[n] and x[7 - n] = E[n] - O[n] for n = 0..3.
//
// Each pass works on four columns (or rows) at once in the compiler's
// four-lane vectors, which become SSE or NEON registers.
#include "world/image/img_jpeg_idct.h"

#include <cstring>

namespace {

typedef float V4 __attribute__((vector_size(16)));

// c[k] = cos(k pi / 16).
constexpr float c1 = 0.980785280f, c2 = 0.923879533f, c3 = 0.831469612f, c4 = 0.707106781f,
                c5 = 0.555570233f, c6 = 0.382683432f, c7 = 0.195090322f;

inline V4 load(const float* p) {
  V4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// One 8-point inverse transform in each of four lanes: x[k] holds
// coefficient k of four lines; on return x[n] holds their sample n.
inline void idct8(V4* x) {
  const V4 t0 = (x[0] + x[4]) * c4, t1 = (x[0] - x[4]) * c4;
  const V4 t2 = x[2] * c2 + x[6] * c6, t3 = x[2] * c6 - x[6] * c2;
  const V4 e0 = t0 + t2, e1 = t1 + t3, e2 = t1 - t3, e3 = t0 - t2;
  const V4 o0 = x[1] * c1 + x[3] * c3 + x[5] * c5 + x[7] * c7;
  const V4 o1 = x[1] * c3 - x[3] * c7 - x[5] * c1 - x[7] * c5;
  const V4 o2 = x[1] * c5 - x[3] * c1 + x[5] * c7 + x[7] * c3;
  const V4 o3 = x[1] * c7 - x[3] * c5 + x[5] * c3 - x[7] * c1;
  x[0] = e0 + o0, x[7] = e0 - o0;
  x[1] = e1 + o1, x[6] = e1 - o1;
  x[2] = e2 + o2, x[5] = e2 - o2;
  x[3] = e3 + o3, x[4] = e3 - o3;
}

// Transforms the 8 x 8 block `in` along its columns and writes the result
// transposed to `out` (out[c * 8 + r] = result[r][c]), so that a second
// call transforms the rows and restores the orientation.
void pass(const float* in, float* out) {
  for (int half = 0; half < 2; half++) {
    V4 x[8];
    for (int k = 0; k < 8; k++) x[k] = load(in + k * 8 + half * 4);
    idct8(x);
    // x[n][i] is sample n of column half * 4 + i.
    for (int i = 0; i < 4; i++)
      for (int n = 0; n < 8; n++) out[(half * 4 + i) * 8 + n] = x[n][i];
  }
}

inline uint8_t to_sample(float v) {
  v += 128.5f;  // level shift, and rounding by truncation below
  v = v < 0.0f ? 0.0f : v > 255.0f ? 255.0f : v;
  return uint8_t(int(v));
}

}  // namespace

void vx_img_jpeg_idct(const float* coef, uint8_t* out, size_t stride) {
  alignas(16) float t[64], v[64];
  pass(coef, t);  // columns; t holds the block transposed
  pass(t, v);     // rows; v holds the samples in row-major order
  for (int r = 0; r < 8; r++, out += stride)
    for (int c = 0; c < 8; c++) out[c] = to_sample(v[r * 8 + c]);
}

void vx_img_jpeg_idct_flat(float dc, uint8_t* out, size_t stride) {
  // Each pass multiplies a lone DC term by cos(pi / 4): one half in all.
  uint8_t v = to_sample(dc * 0.5f);
  for (int row = 0; row < 8; row++, out += stride) std::memset(out, v, 8);
}
