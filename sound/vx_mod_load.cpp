// The S3M loader: a file image in memory becomes a module record whose every block comes from the sample pool.
//
// Layout of the file (little-endian; "para" pointers count 16-byte units):
//   0  song name (28)     28 0x1A   29 type 16
//   32 order count        34 instrument count   36 pattern count
//   38 flags              40 tracker version    42 sample format (1 signed, 2 unsigned)
//   44 "SCRM"             48 global volume      49 initial speed   50 initial tempo
//   51 master volume (bit 7 stereo)             53 252 when a default pan table follows
//   64 32 channel settings
//   96 orders, then instrument paras, pattern paras, and the 32 default pans
// Instrument (80 bytes): 0 type, 13 data para (high byte, then low word),
//   16 length, 20 loop start, 24 loop end, 28 volume, 30 packing, 31 flags
//   (1 loop, 2 stereo, 4 16-bit), 32 C2 speed, 48 name (28), 76 "SCRS".
//   Packing 0 is raw data; ModPlug Tracker writes 4 for its 4-bit ADPCM.
// Pattern: a 16-bit packed length (counting itself), then rows: a zero byte
//   ends a row; otherwise the low 5 bits name the channel, bit 5 brings note
//   and instrument, bit 6 the volume, bit 7 command and parameter.
#include <array>
#include <cstring>

#include "sound/vx_mod_data.h"

namespace {

constexpr size_t HEADER_SIZE = 96;
constexpr size_t INSTRUMENT_SIZE = 80;
constexpr uint8_t PAN_TABLE_MARK = 252;
constexpr uint16_t FLAG_FAST_SLIDES = 0x40;
constexpr uint8_t PACK_ADPCM4 = 4;

// Command letters (1 = A .. 26 = Z) to effects, one table per family of
// tracker versions. Scream Tracker 3.0x knew no panning command; every 3.x
// version plays K and L without any slide on the first tick, which files
// from other trackers do not expect. Volume slides on every tick (the
// behaviour of 3.00, and of any file with the fast-slides flag) are set
// apart by version and flag, not by table.
using FX_TABLE = std::array<uint8_t, 27>;

constexpr FX_TABLE make_table(uint8_t d, uint8_t k, uint8_t l, uint8_t x) {
  FX_TABLE t{};
  t[1] = FX_SPEED;
  t[2] = FX_JUMP;
  t[3] = FX_BREAK;
  t[4] = d;
  t[5] = FX_PORTA_DOWN;
  t[6] = FX_PORTA_UP;
  t[7] = FX_TONE_PORTA;
  t[8] = FX_VIBRATO;
  t[9] = FX_TREMOR;
  t[10] = FX_ARPEGGIO;
  t[11] = k;
  t[12] = l;
  t[15] = FX_OFFSET;
  t[17] = FX_RETRIG;
  t[18] = FX_TREMOLO;
  t[19] = FX_SPECIAL;
  t[20] = FX_TEMPO;
  t[21] = FX_FINE_VIBRATO;
  t[22] = FX_GLOBAL_VOLUME;
  t[24] = x;
  return t;
}

constexpr FX_TABLE FX_ST30 = make_table(FX_VOLSLIDE, FX_VIB_VOLSLIDE, FX_PORTA_VOLSLIDE, FX_NONE);
constexpr FX_TABLE FX_ST3 = make_table(FX_VOLSLIDE, FX_VIB_VOLSLIDE, FX_PORTA_VOLSLIDE, FX_PAN);
constexpr FX_TABLE FX_OTHER = make_table(FX_VOLSLIDE, FX_VIB_VOLSLIDE_FT, FX_PORTA_VOLSLIDE_FT, FX_PAN);

const FX_TABLE& table_for(uint16_t version) {
  if (version < 0x1310) return FX_ST30;
  if (version < 0x1400) return FX_ST3;
  return FX_OTHER;
}

// Bounded reads of the file image: any field outside it reads as absent.
struct IMAGE {
  const uint8_t* data;
  size_t size;
};

bool has(const IMAGE& im, size_t offset, size_t count) {
  return offset <= im.size && count <= im.size - offset;
}
uint32_t u16(const IMAGE& im, size_t at) { return uint32_t(im.data[at] | im.data[at + 1] << 8); }
uint32_t u32(const IMAGE& im, size_t at) { return u16(im, at) | u16(im, at + 2) << 16; }

void copy_name(char* out, const uint8_t* in, size_t n) {
  std::memcpy(out, in, n);
  out[n] = 0;
}

// The initial pans: centre for mono, else Scream Tracker's left and right
// positions by channel type; from version 0x1320 on, the file's own table
// for the channels whose entry has bit 5 set.
void set_pans(VX_MODULE* m, const IMAGE& im, size_t pan_at, uint8_t pan_mark, int option) {
  for (int c = 0; c < VX_MOD_CHANNELS; c++) {
    int type = m->channel[c] & 0x1F;
    uint8_t pan = VX_MOD_PAN_CENTRE;
    if (m->stereo && !(option & VX_MOD_LOAD_MONO)) {
      if (type < 8) pan = 3 * 8;
      else if (type < 16) pan = 12 * 8;
    }
    m->pan[c] = pan;
  }
  if (!(option & VX_MOD_LOAD_PANS) || (option & VX_MOD_LOAD_MONO) || m->version < 0x1320 ||
      pan_mark != PAN_TABLE_MARK || !has(im, pan_at, VX_MOD_CHANNELS))
    return;
  for (int c = 0; c < VX_MOD_CHANNELS; c++) {
    uint8_t v = im.data[pan_at + size_t(c)];
    if (v & 0x20) m->pan[c] = uint8_t((v & 15) * 8);
  }
}

// ModPlug's 4-bit ADPCM samples (packing 4, written by ModPlug Tracker):
// a table of 16 signed deltas, then one nibble per sample, low nibble
// first, each adding its table entry to the previous sample. The result
// is signed 8-bit whatever the header's sample format says.
void decode_adpcm4(int8_t* out, const uint8_t* in, uint32_t length) {
  const uint8_t* table = in;
  const uint8_t* nibbles = in + 16;
  uint8_t v = 0;
  for (uint32_t i = 0; i < length; i++) {
    uint8_t n = (i & 1) ? nibbles[i >> 1] >> 4 : nibbles[i >> 1] & 15;
    v = uint8_t(v + table[n]);
    out[i] = int8_t(v);
  }
}

// One instrument record; its sample data are copied into a pool block.
// 0 only when the pool refuses the block.
int load_instrument(VX_MOD_INSTRUMENT* ins, const IMAGE& im, size_t at, uint16_t format, VX_MOD_POOL* pool) {
  ins->c2_speed = 8363;
  ins->volume = 128;
  if (!has(im, at, INSTRUMENT_SIZE)) return 1;
  const uint8_t* p = im.data + at;
  copy_name(ins->name, p + 48, 28);
  if (p[0] != 1) return 1;
  uint32_t flags = p[31];
  ins->type = 1;
  ins->volume = uint8_t((p[28] > 64 ? 64 : p[28]) * 2);
  ins->c2_speed = u32(im, at + 32);
  uint32_t length = u32(im, at + 16);
  uint32_t loop_start = u32(im, at + 20), loop_end = u32(im, at + 24);
  size_t data_at = (size_t(p[13]) << 16 | u16(im, at + 14)) * 16;
  const bool adpcm = p[30] == PACK_ADPCM4 && !(flags & 4);
  if ((p[30] != 0 && !adpcm) || data_at >= im.size) return 1;  // other packings are not supported: silent
  // Stereo samples hold the left channel first; only that one is played.
  size_t width = (flags & 4) ? 2 : 1;
  size_t available = (im.size - data_at) / width;
  if (adpcm) available = im.size - data_at < 16 ? 0 : (im.size - data_at - 16) * 2;
  if (length > available) length = uint32_t(available);
  if (length == 0) return 1;
  auto* block = static_cast<int8_t*>(vx_mod_pool_alloc(pool, VX_MOD_SAMPLE_PAD + length, "S3M sample data"));
  if (!block) return 0;
  std::memset(block, 0, VX_MOD_SAMPLE_PAD);
  int8_t* d = block + VX_MOD_SAMPLE_PAD;
  if (adpcm) {
    decode_adpcm4(d, im.data + data_at, length);
  } else {
    const uint8_t* src = im.data + data_at + (width - 1);  // 16-bit: the high byte of each sample
    uint8_t flip = format == 2 ? 128 : 0;
    for (uint32_t i = 0; i < length; i++) d[i] = int8_t(uint8_t(src[i * width] ^ flip));
  }
  ins->data = d;
  ins->length = length;
  if (loop_end > length) loop_end = length;
  if ((flags & 1) && loop_start < loop_end) {
    ins->loop = 1;
    ins->loop_start = loop_start;
    ins->loop_end = loop_end;
  }
  return 1;
}

// Unpacks one pattern into its 64 x 32 cells (already empty). Packed data
// running past the pattern's length or the file end are cut there.
void unpack_pattern(uint8_t* cells, const IMAGE& im, size_t at, const FX_TABLE& fx, int fast_slides) {
  if (!has(im, at, 2)) return;
  size_t end = at + u16(im, at);
  if (end > im.size) end = im.size;
  size_t pos = at + 2;
  int row = 0;
  while (row < VX_MOD_ROWS && pos < end) {
    uint8_t what = im.data[pos++];
    if (what == 0) {
      row++;
      continue;
    }
    size_t need = ((what & 32) ? 2 : 0) + ((what & 64) ? 1 : 0) + ((what & 128) ? 2 : 0);
    if (need > end - pos) break;
    uint8_t* cell = cells + (size_t(row) * VX_MOD_CHANNELS + (what & 31)) * VX_MOD_CELL_BYTES;
    if (what & 32) {
      cell[0] = im.data[pos];
      cell[1] = im.data[pos + 1];
      pos += 2;
    }
    if (what & 64) cell[2] = im.data[pos++];
    if (what & 128) {
      uint8_t letter = im.data[pos];
      cell[3] = letter < fx.size() ? fx[letter] : uint8_t(FX_NONE);
      if (cell[3] == FX_VOLSLIDE && fast_slides) cell[3] = FX_VOLSLIDE_FAST;
      cell[4] = im.data[pos + 1];
      pos += 2;
    }
  }
}

void clear_patterns(uint8_t* cells, size_t count) {
  static constexpr uint8_t EMPTY[VX_MOD_CELL_BYTES] = {VX_MOD_NO_NOTE, 0, VX_MOD_NO_VOLUME, FX_NONE, 0};
  for (size_t i = 0; i < count; i++) std::memcpy(cells + i * VX_MOD_CELL_BYTES, EMPTY, VX_MOD_CELL_BYTES);
}

}  // namespace

VX_MODULE* vx_mod_load(const uint8_t* data, size_t size, int option, VX_MOD_POOL* pool) {
  const IMAGE im = {data, data ? size : 0};
  if (!has(im, 0, HEADER_SIZE) || std::memcmp(data + 44, "SCRM", 4) != 0) return nullptr;
  uint32_t orders = u16(im, 32), instruments = u16(im, 34), patterns = u16(im, 36);
  if (orders > VX_MOD_MAX_ORDERS || instruments > VX_MOD_MAX_INSTRUMENTS || patterns > VX_MOD_MAX_PATTERNS)
    return nullptr;
  const size_t ins_at = HEADER_SIZE + orders, pat_at = ins_at + 2 * size_t(instruments);
  const size_t pan_at = pat_at + 2 * size_t(patterns);
  if (!has(im, HEADER_SIZE, pan_at - HEADER_SIZE)) return nullptr;

  auto* m = static_cast<VX_MODULE*>(vx_mod_pool_alloc(pool, sizeof(VX_MODULE), "S3M module"));
  if (!m) return nullptr;
  std::memset(m, 0, sizeof *m);
  copy_name(m->name, data, 28);
  m->order_count = uint16_t(orders);
  m->instrument_count = uint16_t(instruments);
  m->pattern_count = uint16_t(patterns);
  m->flags = uint16_t(u16(im, 38));
  m->version = uint16_t(u16(im, 40));
  m->format = uint16_t(u16(im, 42));
  m->global_volume = uint8_t((data[48] > 64 ? 64 : data[48]) * 2);
  m->speed = data[49] ? data[49] : 6;
  m->tempo = data[50] >= 33 ? data[50] : 125;
  m->row_length = uint32_t(m->speed) * 6;
  m->stored_tempo = 600000000u / m->tempo;
  m->master_volume = data[51] & 127;
  m->stereo = data[51] >> 7;
  std::memcpy(m->channel, data + 64, VX_MOD_CHANNELS);
  set_pans(m, im, pan_at, data[53], option);

  m->orders = static_cast<uint16_t*>(vx_mod_pool_alloc(pool, 2 * size_t(orders) + 2, "S3M order list"));
  m->instruments = static_cast<VX_MOD_INSTRUMENT*>(
      vx_mod_pool_alloc(pool, sizeof(VX_MOD_INSTRUMENT) * (size_t(instruments) + 1), "S3M instruments"));
  if (m->instruments) std::memset(m->instruments, 0, sizeof(VX_MOD_INSTRUMENT) * (size_t(instruments) + 1));
  m->patterns = static_cast<uint8_t*>(
      vx_mod_pool_alloc(pool, VX_MOD_PATTERN_BYTES * (size_t(patterns) + 1), "S3M patterns"));
  if (!m->orders || !m->instruments || !m->patterns) {
    vx_mod_free(m, pool);
    return nullptr;
  }
  for (uint32_t i = 0; i < orders; i++) {
    uint8_t o = data[HEADER_SIZE + i];
    m->orders[i] = o == 254 ? VX_MOD_ORDER_SKIP : o == 255 ? VX_MOD_ORDER_END : o;
  }
  for (uint32_t i = 0; i < instruments; i++) {
    if (!load_instrument(&m->instruments[i], im, size_t(u16(im, ins_at + 2 * i)) * 16, m->format, pool)) {
      vx_mod_free(m, pool);
      return nullptr;
    }
  }
  clear_patterns(m->patterns, size_t(patterns) * VX_MOD_ROWS * VX_MOD_CHANNELS);
  const FX_TABLE& fx = table_for(m->version);
  int fast_slides = (m->flags & FLAG_FAST_SLIDES) || m->version <= 0x1300;
  for (uint32_t p = 0; p < patterns; p++) {
    size_t para = u16(im, pat_at + 2 * p);
    if (para) unpack_pattern(m->patterns + VX_MOD_PATTERN_BYTES * p, im, para * 16, fx, fast_slides);
  }
  return m;
}

void vx_mod_free(VX_MODULE* m, VX_MOD_POOL* pool) {
  if (!m) return;
  vx_mod_select_release(m);
  if (m->instruments) {
    for (int i = 0; i < m->instrument_count; i++)
      if (m->instruments[i].data) vx_mod_pool_free(pool, m->instruments[i].data - VX_MOD_SAMPLE_PAD);
  }
  vx_mod_pool_free(pool, m->instruments);
  vx_mod_pool_free(pool, m->patterns);
  vx_mod_pool_free(pool, m->orders);
  vx_mod_pool_free(pool, m);
}
