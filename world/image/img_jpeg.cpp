// Baseline JPEG decoder: markers, Huffman tables, entropy-coded scans into component planes, then upsampling and JFIF colour conversion.
#include "world/image/img_jpeg.h"

#include <array>
#include <bit>
#include <cstring>

#include "core/vx_mem.h"
#include "world/image/img_jpeg_color.h"
#include "world/image/img_jpeg_idct.h"
#include "world/image/img_read.h"

namespace {

// Marker codes (the byte after FF).
constexpr uint8_t kSOF0 = 0xC0, kDHT = 0xC4, kSOI = 0xD8, kEOI = 0xD9, kSOS = 0xDA, kDQT = 0xDB,
                  kDRI = 0xDD, kRST0 = 0xD0, kRST7 = 0xD7, kTEM = 0x01;
constexpr int kMaxComponents = 3;
constexpr int kFastBits = 10;  // Huffman codes up to this length are found with one table look-up

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

// An entry of Huffman::fast_ac, for AC codes that fit the look-up together
// with the value bits that follow them (T.81 F.1.2.2): bits 0-3 the bits
// taken, 4-7 the zero run, bit 8 end of block, bits 16-31 the signed value.
// 0 means: decode the symbol the long way.
constexpr int32_t kEndOfBlock = 1 << 8;

struct Huffman {
  std::array<uint16_t, 1 << kFastBits> fast;  // (length << 8) | symbol; 0 for longer codes
  std::array<int32_t, 1 << kFastBits> fast_ac;
  std::array<int32_t, 17> maxcode;  // largest code of each length, -1 for none
  std::array<int32_t, 17> offset;   // symbol index minus first code, per length
  std::array<uint8_t, 256> values;
  int defined;
};

struct Component {
  int id, h, v, tq;  // identifier, sampling factors, quantisation table
  int td, ta;        // Huffman tables of the current scan
  int bw, bh;        // 8 x 8 blocks across and down the plane (whole MCUs)
  size_t stride;     // bytes of a plane row: bw x 8
  uint8_t* plane;    // decoded samples: every row, or a ring of `ring` rows
  int ring;          // 0, or the rows of three MCU rows (row r at r % ring)
  int pred;          // DC prediction
};

// The conversion of planes into the bitmap's pixels.
struct Output {
  VX_BITMAP* bitmap;
  std::array<VX_JPEG_PLANE, kMaxComponents> planes;
  uint8_t* buffers;  // the filter's work row, then a row per component
  uint16_t* work;
  uint8_t* rows;
  size_t row_bytes;  // of each row in `rows`
};

struct Jpeg {
  VX_IMG_READ r;
  std::array<Huffman, 4> dc, ac;
  // Quantisation tables in natural order; 16-bit entries above 32767
  // (useless in 8-bit pictures) read as 32767.
  std::array<std::array<int16_t, 64>, 4> q;
  std::array<int, 4> q_defined;
  std::array<Component, kMaxComponents> comp;
  int ncomp, width, height, hmax, vmax, mcux, mcuy;
  int restart;   // MCUs between restart markers, 0 for none
  int frame;     // a baseline frame header was read
  int produced;  // at least one scan was decoded
  // The first scan held every component: its MCU rows went through rings
  // into the bitmap as they came, and later scans are ignored.
  int streamed;
  Output out;
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
  t->fast_ac.fill(0);
  for (int i = 0; i < (1 << kFastBits); i++) {
    int f = t->fast[size_t(i)], len = f >> 8, run = (f >> 4) & 15, size = f & 15;
    if (!f) continue;
    if (!size) {  // a zero run of 16 (run 15), else the end of the block
      t->fast_ac[size_t(i)] = run == 15 ? 15 << 4 | len : kEndOfBlock | len;
      continue;
    }
    if (len + size > kFastBits) continue;
    int v = (i >> (kFastBits - len - size)) & ((1 << size) - 1);
    if (v < (1 << (size - 1))) v -= (1 << size) - 1;
    t->fast_ac[size_t(i)] = int32_t(uint32_t(v) << 16) | run << 4 | (len + size);
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
  uint64_t acc;  // left-aligned; the bits below the `n` valid ones are zero
  int n;         // valid bits in acc
  int stopped;   // a marker or the end was reached
  int broken;    // a code matched no table entry
};

// Tops the reader up to at least 57 bits. Inlined everywhere, so that a
// reader copied into local variables stays in registers.
[[gnu::always_inline]] inline void refill(Bits* b) {
  // Eight bytes without an FF among them go in at once.
  if (b->end - b->cur >= 8) {
    uint64_t w;
    std::memcpy(&w, b->cur, 8);
    if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
    const uint64_t x = ~w;  // an FF byte of w is a zero byte of x
    if (!((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull)) {
      const int take = (64 - b->n) >> 3;
      b->acc |= (w & (~0ull << (64 - 8 * take))) >> b->n;
      b->cur += take;
      b->n += 8 * take;
      return;
    }
  }
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

[[gnu::always_inline]] inline void consume(Bits* b, int bits) {
  b->acc <<= bits;
  b->n -= bits;
}

// One symbol of table `t`; needs 16 bits in the reader.
[[gnu::always_inline]] inline int decode_symbol(Bits* b, const Huffman& t) {
  const uint16_t f = t.fast[size_t(b->acc >> (64 - kFastBits))];
  if (f) {
    consume(b, f >> 8);
    return f & 0xFF;
  }
  for (int len = kFastBits + 1; len <= 16; len++) {
    const int32_t code = int32_t(b->acc >> (64 - len));
    if (code <= t.maxcode[size_t(len)]) {
      consume(b, len);
      return t.values[size_t(code + t.offset[size_t(len)]) & 255];
    }
  }
  b->broken = 1;
  return 0;
}

// The next `s` bits (1 to 16) as a signed value (T.81 F.2.2.1: EXTEND);
// needs `s` bits in the reader.
[[gnu::always_inline]] inline int receive_extend(Bits* b, int s) {
  const int v = int(b->acc >> (64 - s));
  consume(b, s);
  return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
}

inline int16_t sat16(int32_t v) { return int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

// Decodes one 8 x 8 block of component `c` and writes its samples to `out`.
// `coef` (16-byte aligned) is all zeros on entry and is left so.
void decode_block(const Jpeg& j, Bits* reader, Component* c, int16_t* coef, uint8_t* out) {
  Bits b = *reader;  // a local copy the compiler keeps in registers
  if (b.n < 32) refill(&b);  // a code and its value bits: at most 16 + 16
  // DC tables hold sizes 0..11 with a zero run nibble: the AC look-up reads
  // them as a value (size 0, "end of block", as the value 0).
  const Huffman& dc = j.dc[size_t(c->td)];
  const int32_t d = dc.fast_ac[b.acc >> (64 - kFastBits)];
  int diff;
  if (d && !(d & 0xF0)) {
    consume(&b, d & 15);
    diff = d >> 16;
  } else {
    int t = decode_symbol(&b, dc);
    if (t > 16) t = 16;
    diff = t ? receive_extend(&b, t) : 0;
  }
  // Real DC values lie within +-2048; clamping keeps broken data from overflowing.
  const int pred = c->pred + diff;
  c->pred = pred > 32767 ? 32767 : pred < -32767 ? -32767 : pred;
  coef[0] = int16_t(c->pred);
  const Huffman& ac = j.ac[size_t(c->ta)];
  bool any = false;
  for (int k = b.broken ? 64 : 1; k < 64;) {  // a broken code inside stops at once (rs 0: end of block)
    if (b.n < 32) refill(&b);  // a code and its value bits: at most 16 + 15
    const int32_t f = ac.fast_ac[b.acc >> (64 - kFastBits)];
    int value;
    if (f) {  // code and value in one look-up
      consume(&b, f & 15);
      if (f & kEndOfBlock) break;
      k += (f >> 4) & 15;
      value = f >> 16;
    } else {
      const int rs = decode_symbol(&b, ac), run = rs >> 4, s = rs & 15;
      if (!s) {
        if (run != 15) break;  // end of block (or a broken code)
        k += 16;
        continue;
      }
      k += run;
      value = receive_extend(&b, s);
    }
    if (k > 63) break;
    coef[kZigzag[size_t(k)]] = int16_t(value);  // at most 15 bits and a sign
    any = true;
    k++;
  }
  *reader = b;
  const int16_t* q = j.q[size_t(c->tq)].data();
  if (any) {
    vx_img_jpeg_idct(coef, q, out, c->stride);
    return;
  }
  // Smooth areas: a block of one value.
  const uint64_t fill = uint64_t(vx_img_jpeg_idct_dc(sat16(coef[0] * q[0]))) * 0x0101010101010101ull;
  coef[0] = 0;
  for (int row = 0; row < 8; row++, out += c->stride) std::memcpy(out, &fill, 8);
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
      const uint32_t v = pq ? vx_img_read_be16(s) : vx_img_read_u8(s);
      j->q[tq][kZigzag[k]] = int16_t(v > 32767 ? 32767 : v);
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
  if (!s->fail && precision != 8) vx_img_reason_set("JPEG samples of other than 8 bits are not supported");
  if (!s->fail && j->ncomp == 4) vx_img_reason_set("CMYK JPEG is not supported");
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
  }
  j->frame = 1;
  return true;
}

// The planes, allocated by the first scan: whole ones, or rings of three
// MCU rows (`stream`). Zeroed, so that block padding a scan does not reach
// reads as zeros.
bool alloc_planes(Jpeg* j, bool stream) {
  for (int i = 0; i < j->ncomp; i++) {
    Component& c = j->comp[size_t(i)];
    c.ring = stream ? 3 * 8 * c.v : 0;
    c.plane = static_cast<uint8_t*>(vx_mem_calloc(c.stride, size_t(stream ? c.ring : c.bh * 8)));
    if (!c.plane) return false;
  }
  return true;
}

// ---------------------------------------------------------------- conversion
// Allocates the bitmap and the conversion's rows.
bool output_begin(Jpeg* j, VX_BITMAP* bitmap) {
  Output& o = j->out;
  if (!vx_img_alloc(bitmap, j->width, j->height, 24)) return false;
  o.bitmap = bitmap;
  o.row_bytes = size_t(j->width) + VX_JPEG_ROW_SLACK;
  size_t widest = 0;
  for (int i = 0; i < j->ncomp; i++) {
    const Component& c = j->comp[size_t(i)];
    VX_JPEG_PLANE& p = o.planes[size_t(i)];
    p = {c.plane, c.stride, c.ring, c.h, c.v, j->hmax, j->vmax, (j->width * c.h + j->hmax - 1) / j->hmax,
         (j->height * c.v + j->vmax - 1) / j->vmax};
    widest = size_t(p.width) > widest ? size_t(p.width) : widest;
  }
  // Initialised once: the filters read (and never use) the rows' slack.
  const size_t work_bytes = (widest + VX_JPEG_ROW_SLACK) * sizeof(uint16_t);
  o.buffers = static_cast<uint8_t*>(vx_mem_calloc(1, work_bytes + o.row_bytes * kMaxComponents));
  if (!o.buffers) return false;
  o.work = reinterpret_cast<uint16_t*>(o.buffers);
  o.rows = o.buffers + work_bytes;
  return true;
}

// Converts picture rows y0 to y1 - 1 (clipped to the picture) into R, G, B
// pixels; grey pictures repeat Y three times.
void output_rows(const Jpeg& j, int y0, int y1) {
  const Output& o = j.out;
  const size_t w = size_t(j.width);
  for (int y = y0; y < y1 && y < j.height; y++) {
    uint8_t* px = o.bitmap->pixels + size_t(y) * w * 3;
    const uint8_t* luma = vx_img_jpeg_plane_row(&o.planes[0], y, j.width, o.work, o.rows);
    if (j.ncomp == 1) {
      vx_img_jpeg_grey_rgb(luma, px, w);
      continue;
    }
    const uint8_t* cb = vx_img_jpeg_plane_row(&o.planes[1], y, j.width, o.work, o.rows + o.row_bytes);
    const uint8_t* cr = vx_img_jpeg_plane_row(&o.planes[2], y, j.width, o.work, o.rows + 2 * o.row_bytes);
    vx_img_jpeg_ycc_rgb(luma, cb, cr, px, w);
  }
}

// Block row `row` (in blocks), column `col` of component `c`'s plane.
inline uint8_t* block_at(const Component& c, int row, int col) {
  const int r = row * 8;
  return c.plane + size_t(c.ring ? r % c.ring : r) * c.stride + size_t(col) * 8;
}

void zero_block(const Component& c, uint8_t* out) {
  for (int row = 0; row < 8; row++, out += c.stride) std::memset(out, 0, 8);
}

// Every block of a scan takes two bits at least (a one-bit difference code
// and a one-bit end of block): a first scan whose data cannot hold its
// blocks belongs to a picture too large for its file, refused before the
// planes and the bitmap are made.
bool scan_can_fill(const Jpeg* j, Component* const* in, int ns, size_t bytes) {
  size_t blocks = 0;
  for (int i = 0; i < ns; i++) {
    const size_t cols = (size_t(j->width) * size_t(in[i]->h) + size_t(j->hmax) - 1) / size_t(j->hmax);
    const size_t rows = (size_t(j->height) * size_t(in[i]->v) + size_t(j->vmax) - 1) / size_t(j->vmax);
    blocks += (cols + 7) / 8 * ((rows + 7) / 8);
  }
  return blocks <= bytes * 4 + 4;
}

// Reads a scan header and decodes the scan's entropy-coded data, leaving
// the reader at the marker that ends it. The first scan, when it holds
// every component, also converts its MCU rows into `bitmap`, one MCU row
// behind (the filters look one plane row down).
bool read_sos(Jpeg* j, VX_IMG_READ* s, VX_BITMAP* bitmap) {
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
  if (j->streamed) return true;
  const bool stream = !j->comp[0].plane && ns == j->ncomp;
  if (!j->comp[0].plane && !scan_can_fill(j, in.data(), ns, vx_img_read_left(&j->r))) return false;
  if (!j->comp[0].plane && !alloc_planes(j, stream)) return false;
  if (stream && !output_begin(j, bitmap)) return false;
  j->streamed = stream;
  Bits b = {j->r.cur, j->r.end, 0, 0, 0, 0};
  alignas(16) int16_t coef[64] = {};
  // One component: its blocks in raster order, each block an MCU, a unit
  // of 8 plane rows. Else a unit is a row of MCUs.
  Component* single = ns == 1 ? in[0] : nullptr;
  const int across = single ? ((j->width * single->h + j->hmax - 1) / j->hmax + 7) / 8 : j->mcux;
  const int units = single ? ((j->height * single->v + j->vmax - 1) / j->vmax + 7) / 8 : j->mcuy;
  const int unit_rows = single ? 8 : 8 * j->vmax;  // picture rows, when streaming
  // A broken code spoils the rest of the scan; with restart markers only
  // the rest of its interval. Spoilt MCUs are left zero.
  int left = j->restart;  // MCUs before the next restart marker
  for (int u = 0; u < units; u++) {
    for (int m = 0; m < across; m++) {
      if (j->restart && !left--) {
        restart(j, &b);
        left = j->restart - 1;
      }
      for (int i = 0; i < ns; i++) {
        Component* c = in[size_t(i)];
        const int bv = single ? 1 : c->v, bh = single ? 1 : c->h;
        for (int v = 0; v < bv; v++)
          for (int h = 0; h < bh; h++) {
            uint8_t* out = block_at(*c, u * bv + v, m * bh + h);
            if (b.broken) zero_block(*c, out);
            else decode_block(*j, &b, c, coef, out);
          }
      }
    }
    if (stream && u > 0) output_rows(*j, (u - 1) * unit_rows, u * unit_rows);
  }
  if (stream) output_rows(*j, (units - 1) * unit_rows, j->height);
  j->r.cur = b.cur;
  j->produced = 1;
  return true;
}

// A frame this decoder does not read: what kind it is, should the file
// hold no baseline frame.
void note_frame_type(uint8_t code) {
  if (code < 0xC1 || code > 0xCF || code == kDHT || code == 0xC8 || code == 0xCC) return;
  if (code == 0xC2 || code == 0xC6) vx_img_reason_set("progressive JPEG is not supported");
  else if (code >= 0xC9) vx_img_reason_set("arithmetic-coded JPEG is not supported");
  else if (code == 0xC3 || code == 0xC7) vx_img_reason_set("lossless JPEG is not supported");
  else vx_img_reason_set("extended JPEG is not supported");
}

// Walks the markers from after SOI to EOI (or the end of the data).
bool read_markers(Jpeg* j, VX_BITMAP* bitmap) {
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
      case kSOS: ok = read_sos(j, &seg, bitmap); break;
      default:  // every other segment, other frame types included, is skipped
        if (!j->frame) note_frame_type(code);
        break;
    }
    if (!ok) return false;
  }
}

}  // namespace

int vx_img_jpeg_test(const uint8_t* data, size_t size) {
  return data && size >= 2 && data[0] == 0xFF && data[1] == kSOI;
}

int vx_img_jpeg_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int, const char*,
                       VX_IMG_INFO* info) {
  if (!bitmap) return 0;
  std::memset(bitmap, 0, sizeof *bitmap);
  if (!vx_img_jpeg_test(data, size)) {
    vx_img_reason_set("not a JPEG file");
    return 0;
  }
  auto* j = static_cast<Jpeg*>(vx_mem_calloc(1, sizeof(Jpeg)));
  if (!j) return 0;
  vx_img_read_init(&j->r, data + 2, size - 2);
  bool ok = read_markers(j, bitmap) && j->produced;
  if (ok && !j->streamed) {  // scans of single components: convert the whole planes now
    ok = output_begin(j, bitmap);
    if (ok) output_rows(*j, 0, j->height);
  }
  for (int i = 0; i < kMaxComponents; i++)
    if (j->comp[size_t(i)].plane) vx_mem_free(j->comp[size_t(i)].plane);
  if (j->out.buffers) vx_mem_free(j->out.buffers);
  vx_mem_free(j);
  if (!ok) return vx_img_fail(bitmap);
  if (info) *info = {VX_IMG_JPEG, 3, 8, 0};
  return 1;
}
