// Layer III joint stereo (middle/side, intensity) and the hybrid filter bank: short-block reorder, antialiasing, IMDCT, windows, overlap.
#include <cmath>
#include <mutex>

#include "sound/vx_mp3_dec.h"

namespace {

constexpr double PI = 3.14159265358979323846;

struct HYBRID_TABLES {
  float cos_long[18][18];  // IMDCT of 18 lines into the 18 distinct samples of 36 (see vx_mp3_hybrid)
  float cos_short[6][12];  // IMDCT of 6 lines into 12 samples
  float window[4][36];     // by block type; type 2 holds the 12-sample short window
  float alias_cs[8], alias_ca[8];
  float is_ratio[7][2];    // MPEG-1 intensity positions 0..6: left, right factors
};
HYBRID_TABLES ht;

void build_tables() {
  for (int k = 0; k < 18; k++)
    for (int q = 0; q < 18; q++) {
      int i = q < 9 ? q : q + 9;
      ht.cos_long[k][q] = float(std::cos(PI / 72 * (2 * i + 1 + 18) * (2 * k + 1)));
    }
  for (int k = 0; k < 6; k++)
    for (int i = 0; i < 12; i++) ht.cos_short[k][i] = float(std::cos(PI / 24 * (2 * i + 1 + 6) * (2 * k + 1)));
  for (int i = 0; i < 36; i++) {
    double s36 = std::sin(PI / 36 * (i + 0.5));
    ht.window[0][i] = float(s36);
    ht.window[1][i] = float(i < 18 ? s36 : i < 24 ? 1 : i < 30 ? std::sin(PI / 12 * (i - 18 + 0.5)) : 0);
    ht.window[3][i] = float(i < 6 ? 0 : i < 12 ? std::sin(PI / 12 * (i - 6 + 0.5)) : i < 18 ? 1 : s36);
    ht.window[2][i] = float(i < 12 ? std::sin(PI / 12 * (i + 0.5)) : 0);
  }
  // Antialias butterflies from the published coefficients c[i].
  constexpr double C[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
  for (int i = 0; i < 8; i++) {
    double sq = std::sqrt(1 + C[i] * C[i]);
    ht.alias_cs[i] = float(1 / sq);
    ht.alias_ca[i] = float(C[i] / sq);
  }
  for (int p = 0; p < 7; p++) {
    if (p == 6) {
      ht.is_ratio[p][0] = 1, ht.is_ratio[p][1] = 0;
      continue;
    }
    double t = std::tan(p * PI / 12);
    ht.is_ratio[p][0] = float(t / (1 + t));
    ht.is_ratio[p][1] = float(1 / (1 + t));
  }
}

void init_once() {
  static std::once_flag once;
  std::call_once(once, build_tables);
}

// One band of one window in bitstream order.
struct SEGMENT {
  int16_t start, end;
  int8_t band, window;  // window -1 for a long band
};

// The bands of a granule in bitstream order; returns the count.
int segments(const VX_MP3_GRANULE_INFO* gi, const VX_MP3_BANDS* bands, SEGMENT* seg) {
  int n = 0;
  if (gi->block_type != 2) {
    for (int b = 0; b < 22; b++) seg[n++] = {bands->l[b], bands->l[b + 1], int8_t(b), -1};
    return n;
  }
  int line = 0, first = 0;
  if (gi->mixed) {
    int b = 0;
    for (; b < 22 && bands->l[b] < 36; b++) seg[n++] = {bands->l[b], bands->l[b + 1], int8_t(b), -1};
    line = bands->l[b];
    while (first < 13 && bands->s[first] * 3 < 36) first++;
  }
  for (int b = first; b < 13; b++) {
    int width = bands->s[b + 1] - bands->s[b];
    for (int w = 0; w < 3; w++, line += width)
      seg[n++] = {int16_t(line), int16_t(line + width), int8_t(b), int8_t(w)};
  }
  return n;
}

constexpr float SQRT_HALF = 0.70710678118654752f;

void mid_side(float* l, float* r, int start, int end) {
  for (int i = start; i < end; i++) {
    float m = l[i], s = r[i];
    l[i] = (m + s) * SQRT_HALF;
    r[i] = (m - s) * SQRT_HALF;
  }
}

}  // namespace

void vx_mp3_stereo(const VX_MP3_HEADER* h, const VX_MP3_GRANULE_INFO* gi, const VX_MP3_SCALEFACTORS* sf_right,
                   const VX_MP3_BANDS* bands, float xr[2][VX_MP3_GRANULE], int nonzero[2]) {
  init_once();
  int ms = h->mode_ext & 2;
  int nz = nonzero[0] > nonzero[1] ? nonzero[0] : nonzero[1];
  float* l = xr[0];
  float* r = xr[1];
  if (!(h->mode_ext & 1) || gi[0].block_type != gi[1].block_type || gi[0].mixed != gi[1].mixed) {
    if (ms) mid_side(l, r, 0, nz);
    nonzero[0] = nonzero[1] = nz;
    return;
  }
  // Intensity stereo: the bands above the right channel's last non-zero
  // band (per window for short blocks) take the left channel's values,
  // shared out by the band's intensity position.
  SEGMENT seg[48];
  int count = segments(&gi[1], bands, seg);
  int last_band[4] = {-1, -1, -1, -1};  // highest band with a non-zero right value: long, windows 0-2
  for (int k = 0; k < count; k++) {
    int any = 0;
    for (int i = seg[k].start; i < seg[k].end && i < nonzero[1]; i++)
      if (r[i] != 0) any = 1;
    if (!any) continue;
    last_band[seg[k].window + 1] = seg[k].band;
  }
  int lsf = h->version != 1;
  float io = float(gi[1].scalefac_compress & 1 ? SQRT_HALF : 0.84089641525371454);  // 2^-0.5 or 2^-0.25
  int ms_end = 0;
  // The band below, per window: in the intensity range, its position, its position illegal.
  int prev_is[4] = {0, 0, 0, 0}, prev_pos[4] = {0, 0, 0, 0}, prev_illegal[4] = {1, 1, 1, 1};
  for (int k = 0; k < count; k++) {
    const SEGMENT& s = seg[k];
    int w = s.window;
    // A short band is intensity-coded above its window's last non-zero
    // band; the long bands of a mixed block only when no window has any.
    int no_short = last_band[1] < 0 && last_band[2] < 0 && last_band[3] < 0;
    int is_band = w < 0 ? s.band > last_band[0] && (gi[1].block_type != 2 || no_short) : s.band > last_band[w + 1];
    int top = w < 0 ? s.band == 21 : s.band == 12;  // the band without a scale factor
    int pos = 0, illegal = 1;
    if (is_band && top) {
      // It repeats the band below when that one lies in the intensity
      // range too. Otherwise the lower frequencies use position 0 (both
      // channels the same) and MPEG-1 the scale factor below.
      if (prev_is[w + 1]) {
        pos = prev_pos[w + 1];
        illegal = prev_illegal[w + 1];
      } else {
        pos = lsf ? 0 : w < 0 ? sf_right->l[20] : sf_right->s[11][w];
        illegal = !lsf && pos == 7;
      }
    } else if (is_band) {
      pos = w < 0 ? sf_right->l[s.band] : sf_right->s[s.band][w];
      illegal = lsf ? pos == (w < 0 ? sf_right->l_max[s.band] : sf_right->s_max[s.band]) : pos == 7;
    }
    prev_is[w + 1] = is_band;
    prev_pos[w + 1] = pos;
    prev_illegal[w + 1] = illegal;
    if (!is_band || illegal) {
      if (ms && s.start < nz) mid_side(l, r, s.start, s.end < nz ? s.end : nz);
      if (s.end > ms_end && s.start < nz) ms_end = s.end;
      continue;
    }
    float kl, kr;
    if (!lsf) {
      kl = ht.is_ratio[pos][0];
      kr = ht.is_ratio[pos][1];
    } else if (pos == 0) {
      kl = kr = 1;
    } else if (pos & 1) {
      kl = std::pow(io, float((pos + 1) / 2));
      kr = 1;
    } else {
      kl = 1;
      kr = std::pow(io, float(pos / 2));
    }
    for (int i = s.start; i < s.end; i++) {
      float v = l[i];
      l[i] = v * kl;
      r[i] = v * kr;
    }
  }
  int n = nonzero[0] > ms_end ? nonzero[0] : ms_end;
  nonzero[0] = nonzero[1] = n > nz ? n : nz;
}

void vx_mp3_hybrid(const VX_MP3_GRANULE_INFO* gi, const VX_MP3_BANDS* bands, float* xr, int nonzero,
                   float* overlap, float out[18][32]) {
  init_once();
  int long_subbands = gi->block_type != 2 ? 32 : gi->mixed ? 2 : 0;
  // Short blocks: from band / window / line order to subband / window / line.
  if (gi->block_type == 2) {
    float tmp[VX_MP3_GRANULE];
    int first = 0, line = 0;
    if (gi->mixed) {
      while (first < 13 && bands->s[first] * 3 < 36) first++;
      line = bands->s[first] * 3;
    }
    for (int i = 0; i < VX_MP3_GRANULE; i++) tmp[i] = 0;
    for (int b = first; b < 13; b++) {
      int width = bands->s[b + 1] - bands->s[b];
      for (int w = 0; w < 3; w++)
        for (int j = 0; j < width; j++, line++) {
          int f = bands->s[b] + j;
          int dst = (f / 6) * 18 + w * 6 + f % 6;
          if (dst < VX_MP3_GRANULE && line < VX_MP3_GRANULE) tmp[dst] = xr[line];
        }
    }
    int from = gi->mixed ? 36 : 0;
    for (int i = from; i < VX_MP3_GRANULE; i++) xr[i] = tmp[i];
    nonzero = VX_MP3_GRANULE;
  }
  // Antialiasing across the boundaries between long subbands.
  int used = (nonzero + 17) / 18;  // subbands holding values
  int bounds = long_subbands < 32 ? (long_subbands ? 1 : 0) : used < 31 ? used : 31;
  for (int sb = 1; sb <= bounds; sb++) {
    float* lo = xr + 18 * sb - 1;
    float* hi = xr + 18 * sb;
    for (int i = 0; i < 8; i++) {
      float a = lo[-i], b = hi[i];
      lo[-i] = a * ht.alias_cs[i] - b * ht.alias_ca[i];
      hi[i] = b * ht.alias_cs[i] + a * ht.alias_ca[i];
    }
  }
  int active = long_subbands == 32 ? (used + 1 < 32 ? used + 1 : 32) : 32;
  for (int sb = 0; sb < 32; sb++) {
    float* ov = overlap + sb * 18;
    float z[36];
    if (sb >= active) {
      for (int i = 0; i < 18; i++) {
        out[i][sb] = ov[i];
        ov[i] = 0;
      }
    } else {
      const float* x = xr + sb * 18;
      if (sb < long_subbands) {
        // The mixed flag puts the two lowest subbands on the normal window,
        // also with the start and stop types (as the reference decoder does).
        const float* win = ht.window[gi->mixed && sb < 2 ? 0 : gi->block_type];
        // The 36 outputs of the long IMDCT hold 18 distinct values:
        // z[17 - i] = -z[i] and z[53 - i] = z[i].
        float q[18] = {};
        for (int k = 0; k < 18; k++) {
          float v = x[k];
          for (int j = 0; j < 18; j++) q[j] += v * ht.cos_long[k][j];
        }
        for (int i = 0; i < 9; i++) {
          z[i] = q[i] * win[i];
          z[17 - i] = -q[i] * win[17 - i];
          z[18 + i] = q[9 + i] * win[18 + i];
          z[35 - i] = q[9 + i] * win[35 - i];
        }
      } else {
        for (int i = 0; i < 36; i++) z[i] = 0;
        for (int w = 0; w < 3; w++) {
          float y[12] = {};
          for (int k = 0; k < 6; k++) {
            float v = x[w * 6 + k];
            for (int i = 0; i < 12; i++) y[i] += v * ht.cos_short[k][i];
          }
          for (int i = 0; i < 12; i++) z[6 + 6 * w + i] += y[i] * ht.window[2][i];
        }
      }
      for (int i = 0; i < 18; i++) {
        out[i][sb] = z[i] + ov[i];
        ov[i] = z[i + 18];
      }
    }
    if (sb & 1)
      for (int i = 1; i < 18; i += 2) out[i][sb] = -out[i][sb];
  }
}
