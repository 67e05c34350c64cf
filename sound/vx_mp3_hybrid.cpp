// Layer III joint stereo (middle/side, intensity) and the hybrid filter bank: short-block reorder, antialiasing, IMDCT, windows, overlap.
#include <cmath>
#include <cstring>
#include <mutex>

#include "sound/vx_mp3_dec.h"

namespace {

constexpr double PI = 3.14159265358979323846;

struct HYBRID_TABLES {
  float pre18[18];         // 1 / (2 cos((2k + 1) pi / 72)): the DCT-IV of 18 through a DCT-II
  float pre9[9];           // 1 / (2 cos((2i + 1) pi / 36)): the odd half of the DCT-II of 18
  float cos9[9][4];        // cos(r (2i + 1) pi / 18): the DCT-II of 9
  float pre6[6];           // 1 / (2 cos((2k + 1) pi / 24)): the DCT-IV of 6 through a DCT-II
  float pre3[3];           // 1 / (2 cos((2i + 1) pi / 12)): the odd half of the DCT-II of 6
  float window[4][36];     // by block type; type 2 holds the 12-sample short window
  float alias_cs[8], alias_ca[8];
  float is_ratio[7][2];    // MPEG-1 intensity positions 0..6: left, right factors
  // Short blocks, by sampling frequency and mixed flag: for each line in
  // subband / window / line order, the line of band / window / line order
  // it comes from (-1: none, zero).
  int16_t short_order[9][2][VX_MP3_GRANULE];
};
HYBRID_TABLES ht;

void build_short_order(int rate_index, int mixed, int16_t* from) {
  const VX_MP3_BANDS* bands = vx_mp3_bands(rate_index);
  for (int i = 0; i < VX_MP3_GRANULE; i++) from[i] = int16_t(mixed && i < 36 ? i : -1);
  int first = 0, line = 0;
  if (mixed) {  // the long bands below line 36 stay; the short ones start above them
    while (first < 13 && bands->s[first] * 3 < 36) first++;
    line = bands->s[first] * 3;
  }
  for (int b = first; b < 13; b++) {
    int width = bands->s[b + 1] - bands->s[b];
    for (int w = 0; w < 3; w++)
      for (int j = 0; j < width; j++, line++) {
        int f = bands->s[b] + j;
        int dst = (f / 6) * 18 + w * 6 + f % 6;
        if (dst < VX_MP3_GRANULE && line < VX_MP3_GRANULE) from[dst] = int16_t(line);
      }
  }
}

void build_tables() {
  for (int k = 0; k < 18; k++) ht.pre18[k] = float(0.5 / std::cos(PI / 72 * (2 * k + 1)));
  for (int i = 0; i < 9; i++) ht.pre9[i] = float(0.5 / std::cos(PI / 36 * (2 * i + 1)));
  for (int r = 0; r < 9; r++)
    for (int i = 0; i < 4; i++) ht.cos9[r][i] = float(std::cos(PI / 18 * r * (2 * i + 1)));
  for (int k = 0; k < 6; k++) ht.pre6[k] = float(0.5 / std::cos(PI / 24 * (2 * k + 1)));
  for (int i = 0; i < 3; i++) ht.pre3[i] = float(0.5 / std::cos(PI / 12 * (2 * i + 1)));
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
  for (int r = 0; r < 9; r++)
    for (int m = 0; m < 2; m++) build_short_order(r, m, ht.short_order[r][m]);
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

// The transforms below run on one subband (T = float) or on four at once,
// one in each lane (T = VX_MP3_V4).

// DCT-II of 9 values, X[r] = sum x[i] cos(r (2i + 1) pi / 18). Values i and
// 8 - i meet the same cosine, added for even r and subtracted for odd r;
// the middle one counts (-1)^(r / 2) for even r and nothing for odd r.
template <typename T>
inline void dct2_9(const T* x, T* X) {
  T s[4], d[4];
  for (int i = 0; i < 4; i++) {
    s[i] = x[i] + x[8 - i];
    d[i] = x[i] - x[8 - i];
  }
  for (int r = 0; r < 9; r++) {
    const float* c = ht.cos9[r];
    X[r] = r & 1 ? d[0] * c[0] + d[1] * c[1] + d[2] * c[2] + d[3] * c[3]
                 : s[0] * c[0] + s[1] * c[1] + s[2] * c[2] + s[3] * c[3] + (r & 2 ? -x[4] : x[4]);
  }
}

// DCT-II of 3 values, X[r] = sum x[i] cos(r (2i + 1) pi / 6).
template <typename T>
inline void dct2_3(const T* x, T* X) {
  X[0] = x[0] + x[1] + x[2];
  X[1] = (x[0] - x[2]) * 0.86602540378443865f;
  X[2] = (x[0] + x[2]) * 0.5f - x[1];
}

// DCT-IV of N = 18 or 6 values, y[m] = sum x[k] cos((2m + 1)(2k + 1) pi / 4N).
// With 2 cos(a / 2) cos((m + 1/2) a) = cos(m a) + cos((m + 1) a) it is
// y[m] = C[m] + C[m + 1] (C[N] = 0) for C the DCT-II of the values scaled
// by 1 / (2 cos((2k + 1) pi / 4N)); that DCT-II splits into two of N / 2,
// over the sums and the weighted differences of the mirrored values, whose
// outputs give the even and (in neighbouring pairs) the odd outputs.
template <int N, typename T>
inline void dct4(const T* x, T* y) {
  constexpr int H = N / 2;
  const float* pre = N == 18 ? ht.pre18 : ht.pre6;
  const float* pre_half = N == 18 ? ht.pre9 : ht.pre3;
  T a[H], b[H], ea[H], eb[H + 1], c[N + 1];
  for (int i = 0; i < H; i++) {
    T u = x[i] * pre[i], v = x[N - 1 - i] * pre[N - 1 - i];
    a[i] = u + v;
    b[i] = (u - v) * pre_half[i];
  }
  if constexpr (N == 18) {
    dct2_9(a, ea);
    dct2_9(b, eb);
  } else {
    dct2_3(a, ea);
    dct2_3(b, eb);
  }
  eb[H] = T{};
  for (int r = 0; r < H; r++) {
    c[2 * r] = ea[r];
    c[2 * r + 1] = eb[r] + eb[r + 1];
  }
  c[N] = T{};
  for (int m = 0; m < N; m++) y[m] = c[m] + c[m + 1];
}

// The IMDCT of one block of 18 lines with its window into 36 samples z.
// Long (window 0, 1 or 3): z[i] = sum x[k] cos((2i + 19)(2k + 1) pi / 72) is
// the DCT-IV y of the lines read around the circle: z[i] = y[i + 9] (i < 9),
// -y[26 - i] (i < 27), -y[i - 27]. Short (window 2): three IMDCTs of 6
// lines into 12 samples, likewise z[i] = y[i + 3] (i < 3), -y[8 - i]
// (i < 9), -y[i - 9], overlapping at 6, 12 and 18.
template <typename T>
inline void imdct(const T* x, int type, T* z) {
  const float* win = ht.window[type];
  if (type != 2) {
    T y[18];
    dct4<18>(x, y);
    for (int i = 0; i < 9; i++) {
      z[i] = y[i + 9] * win[i];
      z[17 - i] = -y[i + 9] * win[17 - i];
      z[18 + i] = -y[8 - i] * win[18 + i];
      z[35 - i] = -y[8 - i] * win[35 - i];
    }
    return;
  }
  for (int i = 0; i < 36; i++) z[i] = T{};
  for (int w = 0; w < 3; w++) {
    T y[6];
    dct4<6>(x + 6 * w, y);
    T* o = z + 6 + 6 * w;
    for (int i = 0; i < 3; i++) {
      o[i] += y[i + 3] * win[i];
      o[9 + i] += -y[i] * win[9 + i];
    }
    for (int i = 3; i < 9; i++) o[i] += -y[8 - i] * win[i];
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
        illegal = !lsf && pos >= 7;
      }
    } else if (is_band) {
      pos = w < 0 ? sf_right->l[s.band] : sf_right->s[s.band][w];
      // MPEG-1 positions run 0..6 with 7 the illegal one; the 4-bit scale
      // factors of the lower bands can hold more, which count as illegal too.
      illegal = lsf ? pos == (w < 0 ? sf_right->l_max[s.band] : sf_right->s_max[s.band]) : pos >= 7;
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

void vx_mp3_hybrid(const VX_MP3_GRANULE_INFO* gi, int rate_index, float* xr, int nonzero, float* overlap,
                   int* overlap_subbands, float out[32][VX_MP3_SLOT_ROW]) {
  init_once();
  int long_subbands = gi->block_type != 2 ? 32 : gi->mixed ? 2 : 0;
  // Short blocks: from band / window / line order to subband / window / line.
  if (gi->block_type == 2) {
    const int16_t* from = ht.short_order[rate_index][gi->mixed];
    float tmp[VX_MP3_GRANULE];
    for (int i = 0; i < VX_MP3_GRANULE; i++) tmp[i] = from[i] < 0 ? 0.0f : xr[from[i]];
    std::memcpy(xr, tmp, sizeof tmp);
    nonzero = VX_MP3_GRANULE;
    while (nonzero > 0 && xr[nonzero - 1] == 0) nonzero--;
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
  // Subbands at and above `active` hold only zeros (antialiasing reaches
  // one subband up): their output is the overlap alone.
  int active = long_subbands == 32 ? (used + 1 < 32 ? used + 1 : 32) : used;
  // The overlap is kept by time slot and then subband, so that four
  // subbands' values lie side by side. Odd subbands have their odd time
  // slots negated (the frequency inversion).
  const VX_MP3_V4 odd = {1, -1, 1, -1};
  for (int sb0 = 0; sb0 < 32; sb0 += 4) {
    if (sb0 >= active && sb0 >= *overlap_subbands) {  // nothing at all
      for (int l = 0; l < 4; l++)
        for (int i = 0; i < 18; i++) out[sb0 + l][i] = 0;
      continue;
    }
    // The mixed flag puts the two lowest subbands on the normal window,
    // also with the start and stop types (as the reference decoder does):
    // those four go one by one.
    if (gi->mixed && sb0 == 0 && sb0 < active) {
      for (int sb = 0; sb < 4; sb++) {
        float z[36];
        imdct(xr + 18 * sb, sb < 2 ? 0 : sb < long_subbands ? gi->block_type : 2, z);
        for (int i = 0; i < 18; i++) {
          float v = z[i] + overlap[i * 32 + sb];
          out[sb][i] = i & sb & 1 ? -v : v;
          overlap[i * 32 + sb] = z[18 + i];
        }
      }
      continue;
    }
    VX_MP3_V4 z[36] = {};  // stays zero above `active`
    if (sb0 < active) {
      VX_MP3_V4 x[18];
      const float* p = xr + 18 * sb0;
      for (int k = 0; k < 18; k++) x[k] = VX_MP3_V4{p[k], p[18 + k], p[36 + k], p[54 + k]};
      imdct(x, sb0 < long_subbands ? gi->block_type : 2, z);
    }
    for (int i = 0; i < 18; i++) {
      float* ov = overlap + i * 32 + sb0;
      VX_MP3_V4 v = z[i] + vx_mp3_load4(ov);
      vx_mp3_store4(ov, z[18 + i]);
      if (i & 1) v *= odd;
      for (int l = 0; l < 4; l++) out[sb0 + l][i] = v[l];
    }
  }
  *overlap_subbands = (active + 3) & ~3;
}
