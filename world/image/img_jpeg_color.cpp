// The JPEG decoder's last stage: triangle-filter upsampling of halved planes and the JFIF YCbCr to RGB conversion, with SSE2 where the target has it.
//
// The triangle filter places each stored sample of a halved plane between
// the two picture samples it covers: each of them takes 3/4 of the nearer
// stored sample and 1/4 of the next one beyond (the edge sample repeated).
// Rounding alternates so that the picture's average level stays put: with
// both sides halved, the vertical step keeps the sum 3 near + far (0..1020)
// and the horizontal one divides by 16 with 8 added on the left output of a
// pair and 7 on the right; across only, 1 on the left and 2 on the right of
// a division by 4; down only, 1 on the upper row and 2 on the lower.
#include "world/image/img_jpeg_color.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline uint8_t clamp255(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// w[i] = 3 near[i] + far[i] for i < n (far == near gives 4 near[i]). The
// vector loop runs to n rounded up to 8, within the plane's stride.
void vertical_sum(const uint8_t* near, const uint8_t* far, int n, uint16_t* w) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i < n; i += 8) {
    const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(near + i)), zero);
    const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(far + i)), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w + i), _mm_add_epi16(_mm_add_epi16(a, _mm_add_epi16(a, a)), b));
  }
#endif
  for (; i < n; i++) w[i] = uint16_t(near[i] * 3 + far[i]);
}

// Doubles the width of the n sums w[0..n-1] (w[-1] and w[n] repeat the edge
// ones): out[2i] = (3 w[i] + w[i - 1] + left) >> 4 and
// out[2i + 1] = (3 w[i] + w[i + 1] + right) >> 4. The vector loop writes up
// to 15 bytes past 2n.
void double_width(const uint16_t* w, int n, int left, int right, uint8_t* out) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i bl = _mm_set1_epi16(int16_t(left)), br = _mm_set1_epi16(int16_t(right));
  for (; i < n; i += 8) {
    const __m128i cur = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i));
    const __m128i prev = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i - 1));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i + 1));
    const __m128i three = _mm_add_epi16(cur, _mm_add_epi16(cur, cur));
    const __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(three, prev), bl), 4);
    const __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(three, next), br), 4);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i),
                     _mm_packus_epi16(_mm_unpacklo_epi16(even, odd), _mm_unpackhi_epi16(even, odd)));
  }
#endif
  for (; i < n; i++) {
    out[2 * i] = uint8_t((w[i] * 3 + w[i - 1] + left) >> 4);
    out[2 * i + 1] = uint8_t((w[i] * 3 + w[i + 1] + right) >> 4);
  }
}

// out[i] = (3 near[i] + far[i] + bias) >> 2 for i < n; the vector loop runs
// to n rounded up to 8.
void blend_rows(const uint8_t* near, const uint8_t* far, int n, int bias, uint8_t* out) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), b = _mm_set1_epi16(int16_t(bias));
  for (; i < n; i += 8) {
    const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(near + i)), zero);
    const __m128i f = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(far + i)), zero);
    const __m128i s = _mm_add_epi16(_mm_add_epi16(a, _mm_add_epi16(a, a)), _mm_add_epi16(f, b));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(_mm_srli_epi16(s, 2), zero));
  }
#endif
  for (; i < n; i++) out[i] = uint8_t((near[i] * 3 + far[i] + bias) >> 2);
}

#if defined(__SSE2__)
// Three rows of 16 bytes into 16 pixels R, G, B (48 bytes at `o`).
inline void store_rgb16(__m128i r, __m128i g, __m128i b, uint8_t* o) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i rg_lo = _mm_unpacklo_epi8(r, g), rg_hi = _mm_unpackhi_epi8(r, g);
  const __m128i b_lo = _mm_unpacklo_epi8(b, zero), b_hi = _mm_unpackhi_epi8(b, zero);
  // Four pixels of R, G, B, 0 in each register.
  __m128i p[4] = {_mm_unpacklo_epi16(rg_lo, b_lo), _mm_unpackhi_epi16(rg_lo, b_lo), _mm_unpacklo_epi16(rg_hi, b_hi),
                  _mm_unpackhi_epi16(rg_hi, b_hi)};
  const __m128i low3 = _mm_set1_epi64x(0xFFFFFF), next3 = _mm_set1_epi64x(0xFFFFFF000000);
  for (__m128i& q : p) {
    // Each 64-bit half: its two pixels in bytes 0..5; then the high half
    // moves down to bytes 6..11, leaving 12 bytes of pixels.
    const __m128i t = _mm_or_si128(_mm_and_si128(q, low3), _mm_and_si128(_mm_srli_epi64(q, 8), next3));
    q = _mm_or_si128(_mm_move_epi64(t), _mm_slli_si128(_mm_srli_si128(t, 8), 6));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_or_si128(p[0], _mm_slli_si128(p[1], 12)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_or_si128(_mm_srli_si128(p[1], 4), _mm_slli_si128(p[2], 8)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 32), _mm_or_si128(_mm_srli_si128(p[2], 8), _mm_slli_si128(p[3], 4)));
}

// R, G, B of eight pixels as 16-bit lanes, from Y and Cb - 128, Cr - 128.
// The multiplications split exactly: (v 91881) >> 16 = v + ((v 26345) >> 16),
// (u 116130) >> 16 = 2 u + ((u -14942) >> 16) and
// (u 22554 + v 46802) >> 16 = v + ((u 22554 - v 18734) >> 16), whose
// right-hand products fit 16-bit multiplies and a multiply-add.
inline void ycc8(__m128i y, __m128i u, __m128i v, __m128i* r, __m128i* g, __m128i* b) {
  const __m128i guv = _mm_set1_epi32(int32_t(uint32_t(22554) | uint32_t(uint16_t(-18734)) << 16));
  *r = _mm_add_epi16(_mm_add_epi16(y, v), _mm_mulhi_epi16(v, _mm_set1_epi16(26345)));
  *b = _mm_add_epi16(_mm_add_epi16(y, _mm_add_epi16(u, u)), _mm_mulhi_epi16(u, _mm_set1_epi16(-14942)));
  const __m128i lo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(u, v), guv), 16);
  const __m128i hi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(u, v), guv), 16);
  *g = _mm_sub_epi16(_mm_sub_epi16(y, v), _mm_packs_epi32(lo, hi));
}
#endif

}  // namespace

const uint8_t* vx_img_jpeg_plane_row(const VX_JPEG_PLANE* p, int y, int picture_width, uint16_t* work,
                                     uint8_t* out) {
  const int fh = p->hmax / p->h, fv = p->vmax / p->v;
  const bool integral = p->hmax % p->h == 0 && p->vmax % p->v == 0;
  const bool fancy = integral && fh <= 2 && fv <= 2 && !(fh == 2 && p->width <= 2);
  if (!fancy || (fh == 1 && fv == 1)) {  // repeat the nearest sample
    const uint8_t* row = vx_img_jpeg_plane_at(p, y * p->v / p->vmax);
    if (p->h == p->hmax) return row;
    for (int x = 0; x < picture_width; x++) out[x] = row[x * p->h / p->hmax];
    return out;
  }
  const int r = y / fv;  // the nearer stored row; the next one beyond it (edges repeated):
  const int f = fv == 1 ? r : y & 1 ? (r + 1 < p->height ? r + 1 : r) : (r > 0 ? r - 1 : 0);
  const uint8_t* near = vx_img_jpeg_plane_at(p, r);
  const uint8_t* far = vx_img_jpeg_plane_at(p, f);
  if (fh == 1) {  // halved down only
    blend_rows(near, far, picture_width, y & 1 ? 2 : 1, out);
    return out;
  }
  uint16_t* w = work + 1;  // w[-1] repeats w[0]
  vertical_sum(near, far, p->width, w);
  w[-1] = w[0];
  w[p->width] = w[p->width - 1];
  if (fv == 2) double_width(w, p->width, 8, 7, out);
  else double_width(w, p->width, 4, 8, out);  // sums of 4 near: (3 s + s' + 1) >> 2 on the left, + 2 on the right
  return out;
}

void vx_img_jpeg_ycc_rgb(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* rgb, size_t width) {
  size_t x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  for (; x + 16 <= width; x += 16, rgb += 48) {
    const __m128i y16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
    const __m128i cb16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
    const __m128i cr16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
    __m128i r[2], g[2], b[2];
    ycc8(_mm_unpacklo_epi8(y16, zero), _mm_sub_epi16(_mm_unpacklo_epi8(cb16, zero), half),
         _mm_sub_epi16(_mm_unpacklo_epi8(cr16, zero), half), &r[0], &g[0], &b[0]);
    ycc8(_mm_unpackhi_epi8(y16, zero), _mm_sub_epi16(_mm_unpackhi_epi8(cb16, zero), half),
         _mm_sub_epi16(_mm_unpackhi_epi8(cr16, zero), half), &r[1], &g[1], &b[1]);
    store_rgb16(_mm_packus_epi16(r[0], r[1]), _mm_packus_epi16(g[0], g[1]), _mm_packus_epi16(b[0], b[1]), rgb);
  }
#endif
  for (; x < width; x++, rgb += 3) {
    const int Y = y[x], Cb = cb[x], Cr = cr[x];
    rgb[0] = clamp255(Y + (((Cr - 128) * 91881) >> 16));
    rgb[1] = clamp255(Y - ((Cb * 22554 + Cr * 46802 - 8877568) >> 16));
    rgb[2] = clamp255(Y + (((Cb - 128) * 116130) >> 16));
  }
}

void vx_img_jpeg_grey_rgb(const uint8_t* y, uint8_t* rgb, size_t width) {
  size_t x = 0;
#if defined(__SSE2__)
  for (; x + 16 <= width; x += 16, rgb += 48) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
    store_rgb16(v, v, v, rgb);
  }
#endif
  for (; x < width; x++, rgb += 3) rgb[0] = rgb[1] = rgb[2] = y[x];
}
