// mg_s3m: the S3M writer. Header, order list, paragraph pointers, pan table, instruments, packed patterns, sample data.
//
// Layout written (little-endian; a paragraph is 16 bytes):
//   0   header (96): name, 0x1A, type 16, counts, flags, tracker version
//       0x1320, sample format 2 (unsigned), "SCRM", global volume, speed,
//       tempo, master volume with bit 7 (stereo), 252 (a pan table follows),
//       32 channel settings
//   96  orders (an even count, ending with 255), instrument and pattern
//       paragraph pointers, 32 default pans (bit 5 set: use the low nibble)
//   then, each on a paragraph boundary: instrument headers (80 bytes),
//   patterns (a 16-bit length counting itself, then 64 packed rows), and
//   the sample data (unsigned 8-bit).
#include "tools/musicgen/mg_s3m.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "tools/musicgen/mg_score.h"

namespace {

constexpr size_t HEADER_SIZE = 96;
constexpr size_t INSTRUMENT_SIZE = 80;
constexpr uint16_t TRACKER_VERSION = 0x1320;  // the first version whose players read the pan table
constexpr uint8_t PAN_TABLE_MARK = 252;
constexpr size_t MAX_OFFSET = size_t(0xFFFFFF) << 4;  // a 24-bit paragraph pointer (samples)
constexpr size_t MAX_HEADER_OFFSET = size_t(0xFFFF) << 4;  // a 16-bit one (instruments, patterns)

struct WRITER {
  std::vector<uint8_t>* out;
  void u8(size_t at, uint32_t v) { (*out)[at] = uint8_t(v); }
  void u16(size_t at, uint32_t v) {
    u8(at, v);
    u8(at + 1, v >> 8);
  }
  void u32(size_t at, uint32_t v) {
    u16(at, v);
    u16(at + 2, v >> 16);
  }
  void text(size_t at, const std::string& s, size_t room) {  // zero-padded, at least one zero kept
    std::memcpy(out->data() + at, s.data(), std::min(s.size(), room - 1));
  }
  // Pads to the next paragraph and makes room for `n` bytes there.
  size_t reserve(size_t n) {
    const size_t at = (out->size() + 15) & ~size_t(15);
    out->resize(at + n, 0);
    return at;
  }
};

// Channel settings: left channels take types 0-7 and right ones 8-15 in
// turn (a side that is full lends the other side's types); unused channels 255.
void channel_settings(const MG_SONG& s, WRITER* w) {
  int next_left = 0, next_right = 8;
  for (size_t c = 0; c < size_t(MG_MAX_CHANNELS); c++) {
    uint8_t type = 255;
    if (c < s.channels.size()) {
      const bool right = s.channels[c].pan >= 8;
      if ((right && next_right < 16) || next_left >= 8) type = uint8_t(next_right++);
      else type = uint8_t(next_left++);
    }
    w->u8(64 + c, type);
  }
}

std::vector<uint8_t> pack_pattern(const MG_SONG& s, const MG_PATTERN& p) {
  std::vector<uint8_t> b(2, 0);
  for (int row = 0; row < MG_ROWS; row++) {
    for (size_t c = 0; c < s.channels.size(); c++) {
      const MG_CELL& cell = mg_cell(s, p, row, int(c));
      uint8_t what = uint8_t(c);
      if (cell.note != MG_NO_NOTE || cell.instrument) what |= 0x20;
      if (cell.volume != MG_NO_VOLUME) what |= 0x40;
      if (cell.command) what |= 0x80;
      if (what == c) continue;
      b.push_back(what);
      if (what & 0x20) {
        b.push_back(cell.note);
        b.push_back(cell.instrument);
      }
      if (what & 0x40) b.push_back(cell.volume);
      if (what & 0x80) {
        b.push_back(cell.command);
        b.push_back(cell.info);
      }
    }
    b.push_back(0);
  }
  b[0] = uint8_t(b.size());
  b[1] = uint8_t(b.size() >> 8);
  return b;
}

std::string dos_name(const std::string& name) {
  std::string d = name.substr(0, 8);
  for (char& ch : d) ch = char(std::toupper(static_cast<unsigned char>(ch)));
  return d + ".SMP";
}

}  // namespace

int mg_s3m_write(const MG_SONG& s, const std::vector<MG_SAMPLE>& samples, std::vector<uint8_t>* out,
                 std::string* error) {
  auto refuse = [&](const char* why) {
    if (error) *error = why;
    return 0;
  };
  if (samples.size() != s.instruments.size()) return refuse("one sample per instrument");
  out->clear();
  WRITER w{out};
  const size_t orders = (s.orders.size() + 2) & ~size_t(1);  // the end marker, then an even count
  const size_t ins = s.instruments.size(), pats = s.patterns.size();
  const size_t ins_at = HEADER_SIZE + orders, pat_at = ins_at + 2 * ins, pan_at = pat_at + 2 * pats;
  out->assign(pan_at + MG_MAX_CHANNELS, 0);

  w.text(0, s.title, 28);
  w.u8(28, 0x1A);
  w.u8(29, 16);
  w.u16(32, uint32_t(orders));
  w.u16(34, uint32_t(ins));
  w.u16(36, uint32_t(pats));
  w.u16(40, TRACKER_VERSION);
  w.u16(42, 2);
  std::memcpy(out->data() + 44, "SCRM", 4);
  w.u8(48, uint32_t(s.global));
  w.u8(49, uint32_t(s.speed));
  w.u8(50, uint32_t(s.tempo));
  w.u8(51, uint32_t(s.master) | 0x80);
  w.u8(53, PAN_TABLE_MARK);
  channel_settings(s, &w);
  for (size_t i = 0; i < orders; i++) w.u8(HEADER_SIZE + i, i < s.orders.size() ? uint32_t(s.orders[i]) : 255);
  for (size_t c = 0; c < s.channels.size(); c++) w.u8(pan_at + c, 0x20 | uint32_t(s.channels[c].pan));

  std::vector<size_t> headers(ins);
  for (size_t i = 0; i < ins; i++) {
    headers[i] = w.reserve(INSTRUMENT_SIZE);
    w.u16(ins_at + 2 * i, uint32_t(headers[i] >> 4));
  }
  for (size_t p = 0; p < pats; p++) {
    const std::vector<uint8_t> packed = pack_pattern(s, s.patterns[p]);
    const size_t at = w.reserve(packed.size());
    std::memcpy(out->data() + at, packed.data(), packed.size());
    w.u16(pat_at + 2 * p, uint32_t(at >> 4));
  }
  if (out->size() > MAX_HEADER_OFFSET) return refuse("patterns lie past what a 16-bit paragraph pointer reaches");
  for (size_t i = 0; i < ins; i++) {
    const MG_INSTRUMENT& in = s.instruments[i];
    const MG_SAMPLE& smp = samples[i];
    const size_t data = w.reserve(smp.data.size());
    if (data > MAX_OFFSET) return refuse("sample data lie past what a paragraph pointer reaches");
    for (size_t k = 0; k < smp.data.size(); k++) w.u8(data + k, uint32_t(smp.data[k] + 128));
    const size_t h = headers[i];
    w.u8(h, 1);
    w.text(h + 1, dos_name(in.name), 13);
    w.u8(h + 13, uint32_t(data >> 20));
    w.u16(h + 14, uint32_t(data >> 4));
    w.u32(h + 16, uint32_t(smp.data.size()));
    const bool loop = smp.loop_end > smp.loop_start;
    w.u32(h + 20, loop ? smp.loop_start : 0);
    w.u32(h + 24, loop ? smp.loop_end : 0);
    w.u8(h + 28, uint32_t(in.volume));
    w.u8(h + 31, loop ? 1 : 0);
    w.u32(h + 32, smp.c2_speed);
    w.text(h + 48, in.name, 28);
    std::memcpy(out->data() + h + 76, "SCRS", 4);
  }
  return 1;
}

int mg_s3m_build(const std::string& score, std::vector<uint8_t>* out, std::string* error) {
  MG_SONG song;
  if (!mg_score_parse(score, &song, error)) return 0;
  std::vector<MG_SAMPLE> samples(song.instruments.size());
  for (size_t i = 0; i < samples.size(); i++)
    if (!mg_synth_make(song.instruments[i], &samples[i])) {
      if (error) *error = "no recipe for instrument " + song.instruments[i].name;
      return 0;
    }
  return mg_s3m_write(song, samples, out, error);
}
