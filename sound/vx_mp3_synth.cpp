// Layer III polyphase synthesis: 32 subband samples at a time into 32 PCM samples through the 512-tap window.
//
// Four time slots go through together, one in each lane of a 4-float vector
// (the compiler's vector type: SSE on x86, NEON on ARM, plain floats
// elsewhere). Every step is the same for each slot, so the lanes never mix:
// the 32-point DCT, the 33 distinct values it gives kept in a history laid
// out by value and then by slot, and the window sums over that history.
#include <cmath>
#include <mutex>

#include "sound/vx_mp3_dec.h"

namespace {

#include "sound/vx_mp3_window.inc"

using V4 = VX_MP3_V4;
inline V4 splat(float x) { return V4{x, x, x, x}; }

// The window taps for output pair j, 32 - j (see vx_mp3_synth), scaled to
// 16-bit sample units (x 32768, exact: the taps are multiples of 2^-16).
struct TAPS {
  V4 a, b;                // output j: times value a[j], value b[j]
  V4 mirror_a, mirror_b;  // output 32 - j
};

struct SYNTH_TABLES {
  // 1 / (2 cos((2i + 1) pi / 2n)) for the odd half of each DCT size n (32, 16, 8, 4, 2).
  V4 inv_cos[64];
  TAPS taps[17][8];  // [j][i]
};
SYNTH_TABLES st;

// inv_cos entries of size n start at 64 - 2n.
inline const V4* inv_cos(int n) { return st.inv_cos + 64 - 2 * n; }

void build_tables() {
  for (int n = 32; n >= 2; n /= 2)
    for (int i = 0; i < n / 2; i++)
      st.inv_cos[64 - 2 * n + i] = splat(float(0.5 / std::cos((2 * i + 1) * 3.14159265358979323846 / (2 * n))));
  auto tap = [](int k) { return splat(float(WINDOW[k] / 2.0)); };
  for (int j = 0; j <= 16; j++)
    for (int i = 0; i < 8; i++) {
      TAPS& t = st.taps[j][i];
      t.a = tap(64 * i + j);
      t.b = -tap(64 * i + 32 + j);
      if (j > 0 && j < 16) {  // outputs 0 and 16 have no mirror
        t.mirror_a = -tap(64 * i + 32 - j);
        t.mirror_b = -tap(64 * i + 64 - j);
      }
    }
}

void init_once() {
  static std::once_flag once;
  std::call_once(once, build_tables);
}

// DCT-II in place, X[k] = sum x[i] cos((2i + 1) k pi / 2n), by splitting into
// the DCT of the sums and the DCT of the weighted differences (the odd
// outputs are neighbouring pairs of the latter). `tmp` holds 2n values. The
// size is a template argument so that the whole transform unrolls inline.
template <int N>
inline void dct(V4* x, V4* tmp) {
  if constexpr (N > 1) {
    constexpr int H = N / 2;
    V4* a = tmp;
    V4* b = tmp + H;
    const V4* w = inv_cos(N);
    for (int i = 0; i < H; i++) {
      a[i] = x[i] + x[N - 1 - i];
      b[i] = (x[i] - x[N - 1 - i]) * w[i];
    }
    dct<H>(a, tmp + N);
    dct<H>(b, tmp + N);
    for (int r = 0; r < H - 1; r++) {
      x[2 * r] = a[r];
      x[2 * r + 1] = b[r] + b[r + 1];
    }
    x[N - 2] = a[H - 1];
    x[N - 1] = b[H - 1];
  }
}

}  // namespace

// The 64 values of one slot, v[i] = sum cos((16 + i)(2k + 1) pi / 64) s[k],
// come from the 32-point DCT C of the slot by the symmetries of the cosine:
// v[i] = C[16 + i] (i < 16), 0 (i = 16), -C[48 - i] (i < 48), -C[i - 48].
// Output j of slot t sums, for i = 0..7, window tap 64i + j times v[j] of
// slot t - 2i and tap 64i + 32 + j times v[32 + j] of slot t - 2i - 1. As
// v[32 - j] = -v[j] and v[64 - j] = v[32 + j] (0 < j < 16), the history
// keeps a[j] = C[16 + j] (j < 16) and b[j] = C[16 - j] (j <= 16), with
// v[j] = a[j] and v[32 + j] = -b[j]; outputs j and 32 - j share their values.
void vx_mp3_synth(VX_MP3_DECODER* d, int ch, const float in[32][VX_MP3_SLOT_ROW], int16_t* pcm, int stride) {
  init_once();
  float(*ha)[VX_MP3_SYNTH_ROW] = d->synth[ch];  // a[0..15]
  float(*hb)[VX_MP3_SYNTH_ROW] = ha + 16;       // b[0..16]
  for (int t0 = 0; t0 < 18; t0 += 4) {
    V4 c[32], tmp[64];
    for (int k = 0; k < 32; k++) c[k] = vx_mp3_load4(&in[k][t0]);
    dct<32>(c, tmp);
    int p = VX_MP3_SYNTH_HISTORY + t0;  // history column of slot t0
    for (int j = 0; j < 16; j++) vx_mp3_store4(&ha[j][p], c[16 + j]);
    for (int j = 0; j <= 16; j++) vx_mp3_store4(&hb[j][p], c[16 - j]);
    int32_t out[32][4];
    auto put = [&](int j, V4 v) {
      VX_MP3_I4 q = __builtin_convertvector(vx_mp3_round16(v), VX_MP3_I4);
      std::memcpy(out[j], &q, sizeof q);
    };
    for (int j = 1; j < 16; j++) {
      V4 acc = {}, mirror = {};
      const TAPS* w = st.taps[j];
#pragma GCC unroll 8
      for (int i = 0; i < 8; i++) {
        V4 a = vx_mp3_load4(&ha[j][p - 2 * i]), b = vx_mp3_load4(&hb[j][p - 2 * i - 1]);
        acc += w[i].a * a + w[i].b * b;
        mirror += w[i].mirror_a * a + w[i].mirror_b * b;
      }
      put(j, acc);
      put(32 - j, mirror);
    }
    V4 first = {}, middle = {};  // outputs 0 and 16 (a[16] = 0)
    const TAPS* w0 = st.taps[0];
    const TAPS* w16 = st.taps[16];
#pragma GCC unroll 8
    for (int i = 0; i < 8; i++) {
      first += w0[i].a * vx_mp3_load4(&ha[0][p - 2 * i]) + w0[i].b * vx_mp3_load4(&hb[0][p - 2 * i - 1]);
      middle += w16[i].b * vx_mp3_load4(&hb[16][p - 2 * i - 1]);
    }
    put(0, first);
    put(16, middle);
    for (int l = 0; l < 4 && t0 + l < 18; l++) {
      int16_t* o = pcm + (t0 + l) * 32 * stride;
      for (int j = 0; j < 32; j++, o += stride) *o = int16_t(out[j][l]);
    }
  }
  // The newest slots become the history of the next granule.
  for (int r = 0; r < 33; r++) std::memmove(ha[r], ha[r] + 18, VX_MP3_SYNTH_HISTORY * sizeof(float));
}
