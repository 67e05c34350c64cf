// Layer III polyphase synthesis: 32 subband samples at a time into 32 PCM samples through the 512-tap window.
#include <cmath>
#include <mutex>

#include "sound/vx_mp3_dec.h"

namespace {

#include "sound/vx_mp3_window.inc"

struct SYNTH_TABLES {
  // 1 / (2 cos((2i + 1) pi / 2n)) for the odd half of each DCT size n (32, 16, 8, 4, 2).
  float inv_cos[64];
  float window[512];
};
SYNTH_TABLES st;

// inv_cos entries of size n start at 64 - 2n.
inline const float* inv_cos(int n) { return st.inv_cos + 64 - 2 * n; }

void build_tables() {
  for (int n = 32; n >= 2; n /= 2)
    for (int i = 0; i < n / 2; i++)
      st.inv_cos[64 - 2 * n + i] = float(0.5 / std::cos((2 * i + 1) * 3.14159265358979323846 / (2 * n)));
  for (int i = 0; i < 512; i++) st.window[i] = float(WINDOW[i] / 65536.0);
}

void init_once() {
  static std::once_flag once;
  std::call_once(once, build_tables);
}

// DCT-II in place, X[k] = sum x[i] cos((2i + 1) k pi / 2n), by splitting into
// the DCT of the sums and the DCT of the weighted differences (the odd
// outputs are neighbouring pairs of the latter). `tmp` holds 2n values.
void dct(float* x, int n, float* tmp) {
  if (n == 1) return;
  int h = n / 2;
  float* a = tmp;
  float* b = tmp + h;
  const float* w = inv_cos(n);
  for (int i = 0; i < h; i++) {
    a[i] = x[i] + x[n - 1 - i];
    b[i] = (x[i] - x[n - 1 - i]) * w[i];
  }
  dct(a, h, tmp + n);
  dct(b, h, tmp + n);
  for (int r = 0; r < h - 1; r++) {
    x[2 * r] = a[r];
    x[2 * r + 1] = b[r] + b[r + 1];
  }
  x[n - 2] = a[h - 1];
  x[n - 1] = b[h - 1];
}

inline int16_t to_pcm(float v) {
  float s = v * 32768.0f;
  if (s >= 32767.0f) return 32767;
  if (s <= -32768.0f) return -32768;
  return int16_t(std::lrint(s));
}

}  // namespace

// The 64 values of one slot, v[i] = sum cos((16 + i)(2k + 1) pi / 64) s[k],
// come from the 32-point DCT C of the slot by the symmetries of the cosine:
// v[i] = C[16 + i] (i < 16), 0 (i = 16), -C[48 - i] (i < 48), -C[i - 48].
void vx_mp3_synth(VX_MP3_DECODER* d, int ch, const float in[18][32], int16_t* pcm, int stride) {
  init_once();
  float* v = d->synth[ch];
  int off = d->synth_pos[ch];
  for (int t = 0; t < 18; t++) {
    off = (off - 64) & 1023;
    float c[32], tmp[64];
    for (int k = 0; k < 32; k++) c[k] = in[t][k];
    dct(c, 32, tmp);
    float* o = v + off;
    for (int i = 0; i < 16; i++) o[i] = c[16 + i];
    o[16] = 0;
    for (int i = 17; i < 48; i++) o[i] = -c[48 - i];
    for (int i = 48; i < 64; i++) o[i] = -c[i - 48];
    // Window: output j sums 8 taps from each of two 32-value runs per 128.
    float acc[32] = {};
    for (int i = 0; i < 8; i++) {
      const float* v0 = v + ((off + 128 * i) & 1023);
      const float* v1 = v + ((off + 128 * i + 96) & 1023);
      const float* d0 = st.window + 64 * i;
      for (int j = 0; j < 32; j++) acc[j] += d0[j] * v0[j] + d0[32 + j] * v1[j];
    }
    for (int j = 0; j < 32; j++) pcm[(t * 32 + j) * stride] = to_pcm(acc[j]);
  }
  d->synth_pos[ch] = off;
}
