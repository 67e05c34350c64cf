// Baseline JPEG decoder: markers, Huffman tables, entropy-coded scans, the inverse DCT and JFIF colour conversion.
#include "world/image/img_jpeg.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "core/vx_mem.h"
#include "world/image/img_jpeg_idct.h"
#include "world/image/img_read.h"

namespace {

// Marker codes (the byte after FF).
constexpr uint8_t kSOF0 = 0xC0, kDHT = 0xC4, kSOI = 0xD8, kEOI = 0xD9, kSOS = 0xDA, kDQT = 0xDB,
                  kDRI = 0xDD, kRST0 = 0xD0, kRST7 = 0xD7, kTEM = 0x01;
constexpr int kMaxComponents = 3;
constexpr int kFastBits = 9;  // Huffman codes up to this length are found with one table look-up

// Natural (row-major) position of the coefficient at each zig-zag position.
constexpr std::array<uint8_t, 64> make_zigzag() {
  std::array<uint8_t, 64> z = {};
  int k = 0;
  for (int s = 0; s < 15; s++) {  // anti-diagonals, alternating direction
    for (int i = 0; i <= s; i++) {
      int row = s & 1 ? i : s - i, col = s - row;
      if (row < 8 && col < 8) z[size_t(k++)] = uint8_t(row * 8 + col);
    }
  }
  return z;
}
constexpr std::array<uint8_t, 64> kZigzag = make_zigzag();
static_assert(kZigzag[1] == 1 && kZigzag[2] == 8 && kZigzag[3] == 16 && kZigzag[63] == 63);

struct Huffman {
  std::array<uint16_t, 1 << kFastBits> fast;  // (length << 8) | symbol; 0 for longer codes
  // For AC tables: codes whose run/size symbol and value bits fit in the
  // look-up together, as (value << 8) | (run << 4) | total bits; 0 for others.
  std::array<int32_t, 1 << kFastBits> fast_ac;
  std::array<int32_t, 17> maxcode;            // largest code of each length, -1 for none
  std::array<int32_t, 17> offset;             // symbol index minus first code, per length
  std::array<uint8_t, 256> values;
  int defined;
};

struct Component {
  int id, h, v, tq;  // identifier, sampling factors, quantisation table
  int td, ta;        // Huffman tables of the current scan
  int bw, bh;        // 8 x 8 blocks across and down the plane (whole MCUs)
  size_t stride;     // bytes of a plane row: bw x 8
  uint8_t* plane;    // decoded samples
  int pred;          // DC prediction
};

struct Jpeg {
  VX_IMG_READ r;
  std::array<Huffman, 4> dc, ac;
  std::array<std::array<float, 64>, 4> q;  // dequantisation in zig-zag order, the IDCT's scale folded in
  std::array<int, 4> q_defined;
  std::array<Component, kMaxComponents> comp;
  int ncomp, width, height, hmax, vmax, mcux, mcuy;
  int restart;   // MCUs between restart markers, 0 for none
  int frame;     // a baseline frame header was read
  int produced;  // at least one scan was decoded
};

// ---------------------------------------------------------------- Huffman tables
// Builds the canonical code of T.81 Annex C from the 16 code counts and the
// symbols. False when the counts do not form a prefix code.
bool build_huffman(Huffman* t, const uint8_t* counts, const uint8_t* symbols, int total) {
  t->fast.fill(0);
  t->maxcode.fill(-1);
  std::memcpy(t->values.data(), symbols, size_t(total));
  int32_t code = 0, k = 0;
  for (int len = 1; len <= 16; len++) {
    int n = counts[len - 1];
    t->offset[size_t(len)] = k - code;
    for (int i = 0; i < n; i++, k++, code++) {
      if (code >= (1 << len)) return false;  // more codes than this length has room for
      if (len <= kFastBits) {
        int first = code << (kFastBits - len), span = 1 << (kFastBits - len);
        for (int f = 0; f < span; f++) t->fast[size_t(first + f)] = uint16_t(len << 8 | t->values[size_t(k)]);
      }
    }
    if (n) t->maxcode[size_t(len)] = code - 1;
    code <<= 1;
  }
  // A symbol with size s is followed by s value bits (T.81 F.1.2.2); when
  // code and value fit in the look-up, the value can be read from the index.
  t->fast_ac.fill(0);
  for (int i = 0; i < (1 << kFastBits); i++) {
    int f = t->fast[size_t(i)], len = f >> 8, run = (f >> 4) & 15, size = f & 15;
    if (!f || !size || len + size > kFastBits) continue;
    int v = (i >> (kFastBits - len - size)) & ((1 << size) - 1);
    if (v < (1 << (size - 1))) v -= (1 << size) - 1;
    t->fast_ac[size_t(i)] = int32_t(uint32_t(v) << 8) | run << 4 | (len + size);
  }
  t->defined = 1;
  return true;
}

// ---------------------------------------------------------------- entropy-coded data
// Bits of a scan, most significant first. Stuffed FF 00 pairs read as FF;
// at a marker or the end of the data the reader stops and supplies zeros.
struct Bits {
  const uint8_t* cur;
  const uint8_t* end;
  uint64_t acc;  // left-aligned
  int n;         // valid bits in acc
  int stopped;   // a marker or the end was reached
  int broken;    // a code matched no table entry
};

void fill(Bits* b) {
  while (b->n <= 56) {
    uint64_t byte = 0;
    if (!b->stopped) {
      if (b->cur < b->end && b->cur[0] != 0xFF) {
        byte = *b->cur++;
      } else if (b->end - b->cur >= 2 && b->cur[1] == 0x00) {
        byte = 0xFF;
        b->cur += 2;
      } else {
        b->stopped = 1;  // the cursor stays on the marker
      }
    }
    b->acc |= byte << (56 - b->n);
    b->n += 8;
  }
}

int decode_symbol(Bits* b, const Huffman& t) {
  if (b->n < 16) fill(b);
  uint16_t f = t.fast[size_t(b->acc >> (64 - kFastBits))];
  if (f) {
    int len = f >> 8;
    b->acc <<= len;
    b->n -= len;
    return f & 0xFF;
  }
  for (int len = kFastBits + 1; len <= 16; len++) {
    int32_t code = int32_t(b->acc >> (64 - len));
    if (code <= t.maxcode[size_t(len)]) {
      b->acc <<= len;
      b->n -= len;
      return t.values[size_t(code + t.offset[size_t(len)]) & 255];
    }
  }
  b->broken = 1;
  return 0;
}

// The next `s` bits (1 to 16) as a signed value (T.81 F.2.2.1: EXTEND).
int receive_extend(Bits* b, int s) {
  if (b->n < s) fill(b);
  int v = int(b->acc >> (64 - s));
  b->acc <<= s;
  b->n -= s;
  return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
}

// Decodes one 8 x 8 block of component `c` and writes its samples.
// `coef` is all zeros on entry and is left so.
void decode_block(Jpeg* j, Bits* b, Component* c, float* coef, uint8_t* out) {
  const std::array<float, 64>& q = j->q[size_t(c->tq)];
  int t = decode_symbol(b, j->dc[size_t(c->td)]);
  if (t > 16) t = 16;
  int diff = t ? receive_extend(b, t) : 0;
  // Real DC values lie within +-2048; clamping keeps broken data from overflowing.
  c->pred = c->pred + diff > 65535 ? 65535 : c->pred + diff < -65535 ? -65535 : c->pred + diff;
  coef[0] = float(c->pred) * q[0];
  const Huffman& ac = j->ac[size_t(c->ta)];
  std::array<uint8_t, 64> stored;  // natural positions written, to clear afterwards
  int n = 0;
  for (int k = 1; k < 64 && !b->broken;) {
    if (b->n < 16) fill(b);
    int32_t f = ac.fast_ac[size_t(b->acc >> (64 - kFastBits))];
    int value;
    if (f) {  // code and value in one look-up
      b->acc <<= f & 15;
      b->n -= f & 15;
      k += (f >> 4) & 15;
      value = f >> 8;
    } else {
      int rs = decode_symbol(b, ac), run = rs >> 4, s = rs & 15;
      if (!s) {
        if (run != 15) break;  // end of block
        k += 16;
        continue;
      }
      k += run;
      value = receive_extend(b, s);
    }
    if (k > 63) break;
    int z = kZigzag[size_t(k)];
    coef[z] = float(value) * q[size_t(k)];
    stored[size_t(n++)] = uint8_t(z);
    k++;
  }
  if (n == 0) vx_img_jpeg_idct_flat(coef[0], out, c->stride);  // smooth areas: a block of one value
  else vx_img_jpeg_idct(coef, out, c->stride);
  coef[0] = 0;
  for (int i = 0; i < n; i++) coef[stored[size_t(i)]] = 0;
}

// At the end of a restart interval: drops the bits left, steps over the
// RSTn marker (searching forward when the data lost it), resets the DC
// predictions and forgets a broken code: decoding resumes there.
void restart(Jpeg* j, Bits* b) {
  const uint8_t* p = b->cur;
  while (b->end - p >= 2 && !(p[0] == 0xFF && p[1] >= kRST0 && p[1] <= kRST7)) p++;
  b->cur = b->end - p >= 2 ? p + 2 : b->end;
  b->acc = 0;
  b->n = 0;
  b->stopped = 0;
  b->broken = 0;
  for (int i = 0; i < j->ncomp; i++) j->comp[size_t(i)].pred = 0;
}

// ---------------------------------------------------------------- segments
bool read_dqt(Jpeg* j, VX_IMG_READ* s) {
  while (vx_img_read_left(s)) {
    uint32_t pq = vx_img_read_u8(s), tq = pq & 15;
    pq >>= 4;
    if (pq > 1 || tq > 3) return false;
    for (size_t k = 0; k < 64; k++) {
      uint32_t v = pq ? vx_img_read_be16(s) : vx_img_read_u8(s);
      j->q[tq][k] = float(v) * 0.25f;  // the two 1-D passes of the IDCT each leave out a factor 1/2
    }
    if (s->fail) return false;
    j->q_defined[tq] = 1;
  }
  return true;
}

bool read_dht(Jpeg* j, VX_IMG_READ* s) {
  while (vx_img_read_left(s)) {
    uint32_t tc = vx_img_read_u8(s), th = tc & 15;
    tc >>= 4;
    const uint8_t* counts = vx_img_read_take(s, 16);
    if (!counts || tc > 1 || th > 3) return false;
    int total = 0;
    for (int i = 0; i < 16; i++) total += counts[i];
    const uint8_t* symbols = vx_img_read_take(s, size_t(total));
    if (total > 256 || !symbols) return false;
    if (!build_huffman(tc ? &j->ac[th] : &j->dc[th], counts, symbols, total)) return false;
  }
  return true;
}

bool read_sof0(Jpeg* j, VX_IMG_READ* s) {
  int precision = int(vx_img_read_u8(s));
  j->height = int(vx_img_read_be16(s));
  j->width = int(vx_img_read_be16(s));
  j->ncomp = int(vx_img_read_u8(s));
  if (s->fail || precision != 8 || !j->width || !j->height || (j->ncomp != 1 && j->ncomp != 3)) return false;
  j->hmax = j->vmax = 1;
  for (int i = 0; i < j->ncomp; i++) {
    Component& c = j->comp[size_t(i)];
    c.id = int(vx_img_read_u8(s));
    uint32_t hv = vx_img_read_u8(s);
    c.h = int(hv >> 4), c.v = int(hv & 15);
    c.tq = int(vx_img_read_u8(s));
    if (s->fail || c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3) return false;
    j->hmax = c.h > j->hmax ? c.h : j->hmax;
    j->vmax = c.v > j->vmax ? c.v : j->vmax;
  }
  size_t pixels;
  if (vx_img_limit() && (!vx_img_mul(size_t(j->width) * 3, size_t(j->height), &pixels) || pixels > vx_img_limit()))
    return false;
  if (j->width > 32767 || j->height > 32767) return false;
  j->mcux = (j->width + 8 * j->hmax - 1) / (8 * j->hmax);
  j->mcuy = (j->height + 8 * j->vmax - 1) / (8 * j->vmax);
  for (int i = 0; i < j->ncomp; i++) {
    Component& c = j->comp[size_t(i)];
    c.bw = j->mcux * c.h;
    c.bh = j->mcuy * c.v;
    c.stride = size_t(c.bw) * 8;
    c.plane = static_cast<uint8_t*>(vx_mem_calloc(c.stride, size_t(c.bh) * 8));
    if (!c.plane) return false;
  }
  j->frame = 1;
  return true;
}

// Reads a scan header and decodes the scan's entropy-coded data, leaving
// the reader at the marker that ends it.
bool read_sos(Jpeg* j, VX_IMG_READ* s) {
  int ns = int(vx_img_read_u8(s));
  if (!j->frame || ns < 1 || ns > j->ncomp) return false;
  std::array<Component*, kMaxComponents> in = {};
  for (int i = 0; i < ns; i++) {
    int id = int(vx_img_read_u8(s));
    uint32_t tables = vx_img_read_u8(s);
    for (int k = 0; k < j->ncomp; k++)
      if (j->comp[size_t(k)].id == id) in[size_t(i)] = &j->comp[size_t(k)];
    Component* c = in[size_t(i)];
    if (!c) return false;
    c->td = int(tables >> 4), c->ta = int(tables & 15);
    if (c->td > 3 || c->ta > 3 || !j->dc[size_t(c->td)].defined || !j->ac[size_t(c->ta)].defined ||
        !j->q_defined[size_t(c->tq)])
      return false;
    c->pred = 0;
  }
  if (s->fail) return false;
  Bits b = {j->r.cur, j->r.end, 0, 0, 0, 0};
  alignas(16) float coef[64] = {};
  long done = 0;
  // A broken code ends the scan; with restart markers only its interval:
  // the MCUs up to the next marker keep what they had.
  const bool resync = j->restart > 0;
  if (ns == 1) {  // one component: its blocks in raster order, each block an MCU
    Component* c = in[0];
    int bw = ((j->width * c->h + j->hmax - 1) / j->hmax + 7) / 8;
    int bh = ((j->height * c->v + j->vmax - 1) / j->vmax + 7) / 8;
    for (int by = 0; by < bh && (resync || !b.broken); by++)
      for (int bx = 0; bx < bw && (resync || !b.broken); bx++, done++) {
        if (resync && done && done % j->restart == 0) restart(j, &b);
        if (b.broken) continue;
        decode_block(j, &b, c, coef, c->plane + size_t(by) * 8 * c->stride + size_t(bx) * 8);
      }
  } else {
    for (int my = 0; my < j->mcuy && (resync || !b.broken); my++)
      for (int mx = 0; mx < j->mcux && (resync || !b.broken); mx++, done++) {
        if (resync && done && done % j->restart == 0) restart(j, &b);
        if (b.broken) continue;
        for (int i = 0; i < ns; i++) {
          Component* c = in[size_t(i)];
          for (int v = 0; v < c->v; v++)
            for (int h = 0; h < c->h; h++) {
              size_t row = size_t(my * c->v + v) * 8, col = size_t(mx * c->h + h) * 8;
              decode_block(j, &b, c, coef, c->plane + row * c->stride + col);
            }
        }
      }
  }
  j->r.cur = b.cur;
  j->produced = 1;
  return true;
}

// Walks the markers from after SOI to EOI (or the end of the data).
bool read_markers(Jpeg* j) {
  VX_IMG_READ& r = j->r;
  for (;;) {
    // Markers may be preceded by fill bytes FF; stray data bytes are stepped over.
    while (vx_img_read_left(&r) >= 2 && !(r.cur[0] == 0xFF && r.cur[1] != 0x00 && r.cur[1] != 0xFF)) r.cur++;
    if (vx_img_read_left(&r) < 2) return true;
    uint8_t code = r.cur[1];
    r.cur += 2;
    if (code == kEOI) return true;
    if (code == kTEM || code == kSOI || (code >= kRST0 && code <= kRST7)) continue;  // no length
    uint32_t length = vx_img_read_be16(&r);
    if (r.fail || length < 2) return true;
    VX_IMG_READ seg;
    const uint8_t* body = vx_img_read_take(&r, length - 2);
    if (!body) return true;  // a segment cut off by the end of the file
    vx_img_read_init(&seg, body, length - 2);
    bool ok = true;
    switch (code) {
      case kSOF0: ok = j->frame || read_sof0(j, &seg); break;
      case kDHT: ok = read_dht(j, &seg); break;
      case kDQT: ok = read_dqt(j, &seg); break;
      case kDRI: j->restart = int(vx_img_read_be16(&seg)); break;
      case kSOS: ok = read_sos(j, &seg); break;
      default: break;  // every other segment, other frame types included, is skipped
    }
    if (!ok) return false;
  }
}

uint8_t clamp255(int v) { return uint8_t(std::min(std::max(v, 0), 255)); }

// Row y of component c at the picture's size, into `out` (width samples).
// Halved sides are interpolated with the triangle filter: each output
// sample takes 3/4 of the nearest stored sample and 1/4 of the next one
// beyond it (the stored samples sit between output pairs), edges repeated.
// Other ratios take the nearest stored sample. `work` holds width values.
void upsample_row(const Jpeg& j, const Component& c, int y, uint16_t* work, uint8_t* out) {
  const int fh = j.hmax / c.h, fv = j.vmax / c.v;
  const int cw = (j.width * c.h + j.hmax - 1) / j.hmax, ch = (j.height * c.v + j.vmax - 1) / j.vmax;
  // Planes of one or two samples across are only repeated, as the common decoders do.
  if (j.hmax % c.h || j.vmax % c.v || fh > 2 || fv > 2 || (fh == 2 && cw <= 2)) {
    const uint8_t* row = c.plane + size_t(y * c.v / j.vmax) * c.stride;
    for (int x = 0; x < j.width; x++) out[x] = row[x * c.h / j.hmax];
    return;
  }
  // Vertical step, in quarters (at most 1020).
  const int r = y / fv;
  const uint8_t* near = c.plane + size_t(r) * c.stride;
  if (fv == 1) {
    for (int i = 0; i < cw; i++) work[i] = uint16_t(near[i] * 4);
  } else {
    int f = y & 1 ? (r + 1 < ch ? r + 1 : r) : (r > 0 ? r - 1 : 0);
    const uint8_t* far = c.plane + size_t(f) * c.stride;
    for (int i = 0; i < cw; i++) work[i] = uint16_t(near[i] * 3 + far[i]);
  }
  if (fh == 1) {
    for (int x = 0; x < j.width; x++) out[x] = uint8_t((work[x] + 2) >> 2);
    return;
  }
  // Horizontal step; `out` has room for one sample past the width, which
  // an odd width fills with a sample nobody reads.
  out[0] = uint8_t((work[0] * 4 + 8) >> 4);
  for (int i = 0; i + 1 < cw; i++) {
    out[2 * i + 1] = uint8_t((work[i] * 3 + work[i + 1] + 7) >> 4);
    out[2 * i + 2] = uint8_t((work[i + 1] * 3 + work[i] + 8) >> 4);
  }
  out[2 * cw - 1] = uint8_t((work[cw - 1] * 4 + 7) >> 4);
}

static_assert(std::endian::native == std::endian::little, "interleave() packs bytes into little-endian words");

// Red, green and blue rows into `w` pixels of three bytes, four pixels
// (three 32-bit words) at a time.
void interleave(const uint8_t* r, const uint8_t* g, const uint8_t* b, size_t w, uint8_t* o) {
  size_t x = 0;
  for (; x + 4 <= w; x += 4, o += 12) {
    const uint32_t words[3] = {
        uint32_t(r[x]) | uint32_t(g[x]) << 8 | uint32_t(b[x]) << 16 | uint32_t(r[x + 1]) << 24,
        uint32_t(g[x + 1]) | uint32_t(b[x + 1]) << 8 | uint32_t(r[x + 2]) << 16 | uint32_t(g[x + 2]) << 24,
        uint32_t(b[x + 2]) | uint32_t(r[x + 3]) << 8 | uint32_t(g[x + 3]) << 16 | uint32_t(b[x + 3]) << 24};
    std::memcpy(o, words, sizeof words);  // little-endian: the first byte is the lowest
  }
  for (; x < w; x++, o += 3) o[0] = r[x], o[1] = g[x], o[2] = b[x];
}

// Upsamples the planes to the picture's size and converts YCbCr to RGB with
// the JFIF formulas in 16.16 fixed point; grey pictures copy Y.
bool output(const Jpeg& j, VX_BITMAP* bitmap) {
  if (!vx_img_alloc(bitmap, j.width, j.height, 24)) return false;
  const size_t w = size_t(j.width), row = (w + 5) & ~size_t(1);  // even: the work row after three stays aligned
  // Three full-width rows of samples (with a spare sample) plus the filter's work row.
  auto* rows = static_cast<uint8_t*>(vx_mem_malloc(row * 3 + sizeof(uint16_t) * w));
  if (!rows) return false;
  auto* work = reinterpret_cast<uint16_t*>(rows + row * 3);
  uint8_t *ry = rows, *rb = rows + row, *rr = rows + 2 * row;
  for (int y = 0; y < j.height; y++) {
    uint8_t* o = bitmap->pixels + size_t(y) * w * 3;
    upsample_row(j, j.comp[0], y, work, ry);
    if (j.ncomp == 1) {
      for (size_t x = 0; x < w; x++, o += 3) o[0] = o[1] = o[2] = ry[x];
      continue;
    }
    upsample_row(j, j.comp[1], y, work, rb);
    upsample_row(j, j.comp[2], y, work, rr);
    // Converted in place (Y becomes red, Cb green, Cr blue), a loop the
    // compiler turns into vector code; then interleaved.
    for (size_t x = 0; x < w; x++) {
      int Y = ry[x], Cb = rb[x], Cr = rr[x];
      ry[x] = clamp255(Y + (((Cr - 128) * 91881) >> 16));
      rb[x] = clamp255(Y - ((Cb * 22554 + Cr * 46802 - 8877568) >> 16));
      rr[x] = clamp255(Y + (((Cb - 128) * 116130) >> 16));
    }
    interleave(ry, rb, rr, w, o);
  }
  vx_mem_free(rows);
  return true;
}

}  // namespace

int vx_img_jpeg_test(const uint8_t* data, size_t size) {
  return data && size >= 2 && data[0] == 0xFF && data[1] == kSOI;
}

int vx_img_jpeg_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int, const char*,
                       VX_IMG_INFO* info) {
  if (!bitmap) return 0;
  std::memset(bitmap, 0, sizeof *bitmap);
  if (!vx_img_jpeg_test(data, size)) return 0;
  auto* j = static_cast<Jpeg*>(vx_mem_calloc(1, sizeof(Jpeg)));
  if (!j) return 0;
  vx_img_read_init(&j->r, data + 2, size - 2);
  bool ok = read_markers(j) && j->produced && output(*j, bitmap);
  for (int i = 0; i < kMaxComponents; i++)
    if (j->comp[size_t(i)].plane) vx_mem_free(j->comp[size_t(i)].plane);
  vx_mem_free(j);
  if (!ok) return vx_img_fail(bitmap);
  if (info) *info = {VX_IMG_JPEG, 3, 8, 0};
  return 1;
}
