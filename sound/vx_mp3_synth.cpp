// Layer III polyphase synthesis: 32 subband samples at a time into 32 PCM samples through the 512-tap window.
#include <cmath>
#include <mutex>

#include "sound/vx_mp3_dec.h"

namespace {

#include "sound/vx_mp3_window.inc"

struct SYNTH_TABLES {
  float matrix[64][32];  // cos((16 + i)(2k + 1) pi / 64)
  float window[512];
};
SYNTH_TABLES st;

void build_tables() {
  for (int i = 0; i < 64; i++)
    for (int k = 0; k < 32; k++) st.matrix[i][k] = float(std::cos((16 + i) * (2 * k + 1) * 3.14159265358979323846 / 64));
  for (int i = 0; i < 512; i++) st.window[i] = float(WINDOW[i] / 65536.0);
}

void init_once() {
  static std::once_flag once;
  std::call_once(once, build_tables);
}

inline int16_t to_pcm(float v) {
  float s = v * 32768.0f;
  if (s >= 32767.0f) return 32767;
  if (s <= -32768.0f) return -32768;
  return int16_t(std::lrint(s));
}

}  // namespace

void vx_mp3_synth(VX_MP3_DECODER* d, int ch, const float in[18][32], int16_t* pcm, int stride) {
  init_once();
  float* v = d->synth[ch];
  int off = d->synth_pos[ch];
  for (int t = 0; t < 18; t++) {
    off = (off - 64) & 1023;
    for (int i = 0; i < 64; i++) {
      float s = 0;
      for (int k = 0; k < 32; k++) s += st.matrix[i][k] * in[t][k];
      v[(off + i) & 1023] = s;
    }
    for (int j = 0; j < 32; j++) {
      float s = 0;
      for (int i = 0; i < 8; i++) {
        s += st.window[j + 64 * i] * v[(off + i * 128 + j) & 1023];
        s += st.window[j + 64 * i + 32] * v[(off + i * 128 + 96 + j) & 1023];
      }
      pcm[(t * 32 + j) * stride] = to_pcm(s);
    }
  }
  d->synth_pos[ch] = off;
}
