// The JPEG decoder's inverse DCT in 32-bit integer arithmetic: the Loeffler-Ligtenberg-Moschytz factorisation with 13-bit constants, columns first.
//
// The 8-point inverse transform x[n] = X0 + sqrt 2 sum over k >= 1 of
// X[k] cos((2n + 1) k pi / 16) (the 2-D result is 8 times the samples)
// splits into an even half E[n] of X0, X2, X4, X6 and an odd half O[n] of
// X1, X3, X5, X7: x[n] = E[n] + O[n], x[7 - n] = E[n] - O[n], n = 0..3.
// The factorisation of Loeffler, Ligtenberg and Moschytz (ICASSP 1989)
// computes them with 12 multiplications by the constants below, scaled by
// 2^13 and rounded. All its intermediate sums are exact in 32 bits, so the
// rotations can be multiplied out: each output is a sum of products of the
// inputs with fixed integer weights (those the factorisation gives, not the
// rounded cosines), which is what pairs of 16-bit multiply-adds compute.
//
// Pass 1 transforms the columns and keeps 2 bits more than the samples need
// (results scaled by 4, rounded, saturated to 16 bits); pass 2 transforms
// the rows, removes the 13 + 2 + 3 bits of scale with rounding, adds the
// level shift of 128 and clamps to 0..255. Decoders that implement the same
// factorisation with the same rounding produce the same samples.
#include "world/image/img_jpeg_idct.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kConstBits = 13, kPass1Bits = 2;
constexpr int32_t fix(double x) { return int32_t(x * (1 << kConstBits) + 0.5); }

// The factorisation's constants.
constexpr int32_t c0298 = fix(0.298631336), c0390 = fix(0.390180644), c0541 = fix(0.541196100),
                  c0765 = fix(0.765366865), c0899 = fix(0.899976223), c1175 = fix(1.175875602),
                  c1501 = fix(1.501321110), c1847 = fix(1.847759065), c1961 = fix(1.961570560),
                  c2053 = fix(2.053119869), c2562 = fix(2.562915447), c3072 = fix(3.072711026);

// Even half: t0 = (X0 + X4) 2^13, t1 = (X0 - X4) 2^13, a rotation of X2 and X6
// into t2 and t3; E = {t0 + t3, t1 + t2, t1 - t2, t0 - t3}.
constexpr int32_t kW04 = 1 << kConstBits;
constexpr int32_t kT3x2 = c0541 + c0765, kT3x6 = c0541;  // t3 = X2 kT3x2 + X6 kT3x6
constexpr int32_t kT2x2 = c0541, kT2x6 = c0541 - c1847;  // t2 = X2 kT2x2 + X6 kT2x6

// Odd half: weights of X1, X3, X5, X7 in O[n], from the rotations of the
// sums X7 + X1, X5 + X3, X7 + X3, X5 + X1 and of their total by c1175.
constexpr std::array<std::array<int32_t, 4>, 4> kOdd = {{
    {c1501 - c0899 - c0390 + c1175, c1175, c1175 - c0390, c1175 - c0899},
    {c1175, c3072 - c2562 - c1961 + c1175, c1175 - c2562, c1175 - c1961},
    {c1175 - c0390, c1175 - c2562, c2053 - c2562 - c0390 + c1175, c1175},
    {c1175 - c0899, c1175 - c1961, c1175, c0298 - c0899 - c1961 + c1175},
}};
// O[0] weighs X1 by sqrt 2 cos(pi / 16) = 1.38704 (11363 / 8192), and so on.
static_assert(kOdd[0][0] == 11363 && kOdd[1][1] == -2259 && kOdd[2][2] == 2261 && kOdd[3][3] == -11363);

constexpr int32_t kRound1 = 1 << (kConstBits - kPass1Bits - 1);
constexpr int kShift1 = kConstBits - kPass1Bits;
constexpr int kShift2 = kConstBits + kPass1Bits + 3;
constexpr int32_t kRound2 = (1 << (kShift2 - 1)) + (128 << kShift2);  // rounding and the level shift

// No sum overflows 32 bits for any 16-bit inputs: the largest output adds
// 2^15 times the weights' magnitudes and the pass-2 rounding.
constexpr int64_t max_odd_weights() {
  int64_t most = 0;
  for (const auto& w : kOdd) {
    int64_t sum = 0;
    for (int32_t v : w) sum += v < 0 ? -v : v;
    most = sum > most ? sum : most;
  }
  return most;
}
constexpr int64_t kMaxWeights =
    2 * kW04 + (kT2x2 - kT2x6 > kT3x2 + kT3x6 ? kT2x2 - kT2x6 : kT3x2 + kT3x6) + max_odd_weights();
static_assert(kMaxWeights * 32768 + kRound2 < (int64_t(1) << 31));

inline int32_t sat16(int32_t v) { return v < -32768 ? -32768 : v > 32767 ? 32767 : v; }
inline uint8_t sat8(int32_t v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// One 8-point transform of x[0], x[step], ..., x[7 step], `bias` added to
// every output before the shift, the results into y[0..7] unshifted.
inline void transform(const int32_t* x, int step, int32_t bias, int32_t* y) {
  const int32_t X0 = x[0], X1 = x[step], X2 = x[2 * step], X3 = x[3 * step], X4 = x[4 * step],
                X5 = x[5 * step], X6 = x[6 * step], X7 = x[7 * step];
  const int32_t t0 = X0 * kW04 + X4 * kW04 + bias, t1 = X0 * kW04 - X4 * kW04 + bias;
  const int32_t t3 = X2 * kT3x2 + X6 * kT3x6, t2 = X2 * kT2x2 + X6 * kT2x6;
  const int32_t e[4] = {t0 + t3, t1 + t2, t1 - t2, t0 - t3};
  for (int n = 0; n < 4; n++) {
    const std::array<int32_t, 4>& w = kOdd[size_t(n)];
    const int32_t o = X1 * w[0] + X3 * w[1] + X5 * w[2] + X7 * w[3];
    y[n] = e[n] + o;
    y[7 - n] = e[n] - o;
  }
}

#if defined(__SSE2__)
// Two 16-bit weights repeated in every 32-bit lane, for _mm_madd_epi16
// over pairs (a, b) interleaved by _mm_unpack*_epi16(a, b).
inline __m128i weights(int32_t a, int32_t b) {
  return _mm_set1_epi32(int32_t(uint32_t(uint16_t(a)) | uint32_t(uint16_t(b)) << 16));
}

template <bool High>
inline __m128i interleave(__m128i a, __m128i b) {
  return High ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b);
}

// The transform of four of the eight lanes (the low or high half) of the
// lines r[0..7], each output shifted right by `shift`, as 32-bit lanes.
template <bool High>
inline void half_pass(const __m128i* r, __m128i bias, int shift, __m128i* y) {
  const __m128i p04 = interleave<High>(r[0], r[4]), p26 = interleave<High>(r[2], r[6]);
  const __m128i p13 = interleave<High>(r[1], r[3]), p57 = interleave<High>(r[5], r[7]);
  const __m128i t0 = _mm_add_epi32(_mm_madd_epi16(p04, weights(kW04, kW04)), bias);
  const __m128i t1 = _mm_add_epi32(_mm_madd_epi16(p04, weights(kW04, -kW04)), bias);
  const __m128i t3 = _mm_madd_epi16(p26, weights(kT3x2, kT3x6));
  const __m128i t2 = _mm_madd_epi16(p26, weights(kT2x2, kT2x6));
  const __m128i e[4] = {_mm_add_epi32(t0, t3), _mm_add_epi32(t1, t2), _mm_sub_epi32(t1, t2), _mm_sub_epi32(t0, t3)};
  for (int n = 0; n < 4; n++) {
    const std::array<int32_t, 4>& w = kOdd[size_t(n)];
    const __m128i o = _mm_add_epi32(_mm_madd_epi16(p13, weights(w[0], w[1])), _mm_madd_epi16(p57, weights(w[2], w[3])));
    y[n] = _mm_srai_epi32(_mm_add_epi32(e[n], o), shift);
    y[7 - n] = _mm_srai_epi32(_mm_sub_epi32(e[n], o), shift);
  }
}

// Transforms the eight lines r[0..7] (frequency k in r[k], one transform
// per 16-bit lane) in place, saturating the results to 16 bits.
inline void pass(__m128i* r, __m128i bias, int shift) {
  __m128i lo[8], hi[8];
  half_pass<false>(r, bias, shift, lo);
  half_pass<true>(r, bias, shift, hi);
  for (int n = 0; n < 8; n++) r[n] = _mm_packs_epi32(lo[n], hi[n]);
}

// r[i] lane j becomes r[j] lane i.
inline void transpose(__m128i* r) {
  const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4), r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5), r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6), r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7), r[7] = _mm_unpackhi_epi64(b3, b7);
}
#endif

}  // namespace

void vx_img_jpeg_idct_portable(int16_t* coef, const int16_t* q, uint8_t* out, size_t stride) {
  int32_t in[64], ws[64], y[8];
  for (int i = 0; i < 64; i++) in[i] = sat16(coef[i] * q[i]);
  std::memset(coef, 0, 64 * sizeof *coef);
  for (int c = 0; c < 8; c++) {  // columns: ws[n * 8 + c]
    transform(in + c, 8, kRound1, y);
    for (int n = 0; n < 8; n++) ws[n * 8 + c] = sat16(y[n] >> kShift1);
  }
  for (int n = 0; n < 8; n++, out += stride) {  // rows
    transform(ws + n * 8, 1, kRound2, y);
    for (int m = 0; m < 8; m++) out[m] = sat8(y[m] >> kShift2);
  }
}

void vx_img_jpeg_idct(int16_t* coef, const int16_t* q, uint8_t* out, size_t stride) {
#if defined(__SSE2__)
  __m128i r[8];
  const __m128i zero = _mm_setzero_si128();
  for (int k = 0; k < 8; k++) {  // dequantise: 32-bit products, saturated to 16 bits
    const __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(coef + 8 * k));
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 8 * k));
    const __m128i lo = _mm_mullo_epi16(c, m), hi = _mm_mulhi_epi16(c, m);
    r[k] = _mm_packs_epi32(_mm_unpacklo_epi16(lo, hi), _mm_unpackhi_epi16(lo, hi));
    _mm_store_si128(reinterpret_cast<__m128i*>(coef + 8 * k), zero);
  }
  pass(r, _mm_set1_epi32(kRound1), kShift1);  // r[n]: sample row n, lanes = columns
  transpose(r);
  pass(r, _mm_set1_epi32(kRound2), kShift2);  // r[m]: sample column m, lanes = rows
  transpose(r);
  for (int n = 0; n < 8; n += 2, out += 2 * stride) {
    const __m128i v = _mm_packus_epi16(r[n], r[n + 1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stride), _mm_unpackhi_epi64(v, v));
  }
#else
  vx_img_jpeg_idct_portable(coef, q, out, stride);
#endif
}

uint8_t vx_img_jpeg_idct_dc(int16_t dc) {
  // Every pass-1 output is X0 2^13 rounded to 2 fraction bits; pass 2 sees it alone again.
  const int32_t w = sat16((dc * kW04 + kRound1) >> kShift1);
  return sat8((w * kW04 + kRound2) >> kShift2);
}
