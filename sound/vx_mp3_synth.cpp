// Layer III polyphase synthesis: 32 subband samples at a time into 32 PCM samples through the 512-tap window.
//
// Four time slots go through together, one in each lane of a 4-float vector
// (the compiler's vector type: SSE on x86, NEON on ARM, plain floats
// elsewhere). Every step is the same for each slot, so the lanes never mix:
// the 32-point DCT, the 64 values it gives kept in a history laid out by
// value and then by slot, and the window sums over that history.
#include <cmath>
#include <mutex>

#include "sound/vx_mp3_dec.h"

namespace {

#include "sound/vx_mp3_window.inc"

using V4 = VX_MP3_V4;
inline V4 splat(float x) { return V4{x, x, x, x}; }

struct SYNTH_TABLES {
  // 1 / (2 cos((2i + 1) pi / 2n)) for the odd half of each DCT size n (32, 16, 8, 4, 2).
  V4 inv_cos[64];
  V4 window[512];
};
SYNTH_TABLES st;

// inv_cos entries of size n start at 64 - 2n.
inline const V4* inv_cos(int n) { return st.inv_cos + 64 - 2 * n; }

void build_tables() {
  for (int n = 32; n >= 2; n /= 2)
    for (int i = 0; i < n / 2; i++)
      st.inv_cos[64 - 2 * n + i] = splat(float(0.5 / std::cos((2 * i + 1) * 3.14159265358979323846 / (2 * n))));
  for (int i = 0; i < 512; i++) st.window[i] = splat(float(WINDOW[i] / 65536.0));
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
// Output j of slot t sums, for i = 0..7, window tap 64i + j times value j
// of slot t - 2i and tap 64i + 32 + j times value 32 + j of slot t - 2i - 1.
void vx_mp3_synth(VX_MP3_DECODER* d, int ch, const float in[32][VX_MP3_SLOT_ROW], int16_t* pcm, int stride) {
  init_once();
  float(*h)[VX_MP3_SYNTH_ROW] = d->synth[ch];
  for (int t0 = 0; t0 < 18; t0 += 4) {
    V4 c[32], tmp[64];
    for (int k = 0; k < 32; k++) c[k] = vx_mp3_load4(&in[k][t0]);
    dct<32>(c, tmp);
    int p = VX_MP3_SYNTH_HISTORY + t0;  // history column of slot t0
    for (int i = 0; i < 16; i++) vx_mp3_store4(&h[i][p], c[16 + i]);
    vx_mp3_store4(&h[16][p], V4{});
    for (int i = 17; i < 48; i++) vx_mp3_store4(&h[i][p], -c[48 - i]);
    for (int i = 48; i < 64; i++) vx_mp3_store4(&h[i][p], -c[i - 48]);
    float out[32][4];
    for (int j = 0; j < 32; j++) {
      V4 acc = {};
      for (int i = 0; i < 8; i++)
        acc += st.window[64 * i + j] * vx_mp3_load4(&h[j][p - 2 * i]) +
               st.window[64 * i + 32 + j] * vx_mp3_load4(&h[32 + j][p - 2 * i - 1]);
      vx_mp3_store4(out[j], vx_mp3_round16(acc * 32768.0f));
    }
    for (int l = 0; l < 4 && t0 + l < 18; l++)
      for (int j = 0; j < 32; j++) pcm[((t0 + l) * 32 + j) * stride] = int16_t(out[j][l]);
  }
  // The newest slots become the history of the next granule.
  for (int i = 0; i < 64; i++)
    std::memmove(h[i], h[i] + 18, VX_MP3_SYNTH_HISTORY * sizeof(float));
}
