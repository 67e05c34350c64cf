// FLC writer: header, frame chunks, the 256-level colour chunk, byte runs for the first frame and word deltas after.
#include "tools/fontgen/fg_flc.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kMagicFlc = 0xAF12;
constexpr uint16_t kFrameChunk = 0xF1FA;
constexpr uint16_t kColour256 = 4;
constexpr uint16_t kDeltaFlc = 7;
constexpr uint16_t kByteRun = 15;
constexpr int kHeaderSize = 128;
constexpr int kFrameHeaderSize = 16;
constexpr int kChunkHeaderSize = 6;
constexpr int kMaxRun = 127;  // a signed count byte

using Bytes = std::vector<uint8_t>;

void put16(Bytes* b, unsigned v) {
  b->push_back(uint8_t(v));
  b->push_back(uint8_t(v >> 8));
}
void put32(Bytes* b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void set16(Bytes* b, size_t at, unsigned v) {
  (*b)[at] = uint8_t(v);
  (*b)[at + 1] = uint8_t(v >> 8);
}
void set32(Bytes* b, size_t at, uint32_t v) {
  set16(b, at, v & 0xFFFF);
  set16(b, at + 2, v >> 16);
}

// A sub-chunk: size (padded to even), type, data.
void put_chunk(Bytes* frame, uint16_t type, const Bytes& data) {
  const size_t size = kChunkHeaderSize + data.size() + (data.size() & 1);
  put32(frame, uint32_t(size));
  put16(frame, type);
  frame->insert(frame->end(), data.begin(), data.end());
  if (data.size() & 1) frame->push_back(0);
}

// The 256-level colour chunk: one packet that skips nothing and sets all
// 256 entries (a count byte of 0 means 256).
Bytes colour_256(const std::array<uint8_t, 768>& pal) {
  Bytes d;
  put16(&d, 1);
  d.push_back(0);
  d.push_back(0);
  d.insert(d.end(), pal.begin(), pal.end());
  return d;
}

// One line as byte runs: a positive count repeats the next byte, a
// negative count copies that many literal bytes. The leading packet count
// byte is kept for old readers (capped at 255; readers go by the width).
void byte_run_line(const uint8_t* row, int width, Bytes* out) {
  const size_t count_at = out->size();
  out->push_back(0);
  int packets = 0;
  for (int x = 0; x < width;) {
    int run = 1;
    while (x + run < width && run < kMaxRun && row[x + run] == row[x]) run++;
    if (run >= 3 || x + run == width) {
      out->push_back(uint8_t(run));
      out->push_back(row[x]);
      x += run;
    } else {
      // Literals until a run of three starts or the count is full.
      int n = 0;
      while (x + n < width && n < kMaxRun) {
        if (x + n + 2 < width && row[x + n] == row[x + n + 1] && row[x + n] == row[x + n + 2]) break;
        n++;
      }
      out->push_back(uint8_t(-n));
      out->insert(out->end(), row + x, row + x + n);
      x += n;
    }
    packets++;
  }
  (*out)[count_at] = uint8_t(std::min(packets, 255));
}

Bytes byte_run(const FG_FLC& a, const uint8_t* pixels) {
  Bytes d;
  for (int y = 0; y < a.height; y++) byte_run_line(pixels + size_t(y) * size_t(a.width), a.width, &d);
  return d;
}

// One changed line as word packets: a column skip in bytes (at most 255),
// then a signed count: positive, that many literal words; negative, one
// word repeated. Returns the packet count.
int delta_line(const uint8_t* prev, const uint8_t* cur, int width, Bytes* out) {
  const int words = width / 2;
  auto same = [&](int w) { return prev[2 * w] == cur[2 * w] && prev[2 * w + 1] == cur[2 * w + 1]; };
  auto word_eq = [&](int a, int b) { return cur[2 * a] == cur[2 * b] && cur[2 * a + 1] == cur[2 * b + 1]; };
  int packets = 0, w = 0;
  while (true) {
    int next = w;
    while (next < words && same(next)) next++;
    if (next == words) break;
    // A skip too long for one byte advances by a packet that rewrites one
    // unchanged word.
    if ((next - w) * 2 > 255) next = w + 127;
    out->push_back(uint8_t((next - w) * 2));
    int run = 1;
    while (next + run < words && run < kMaxRun && word_eq(next, next + run)) run++;
    if (run >= 2) {
      out->push_back(uint8_t(-run));
      out->push_back(cur[2 * next]);
      out->push_back(cur[2 * next + 1]);
      w = next + run;
    } else {
      int n = 0;
      while (next + n < words && n < kMaxRun && !same(next + n) &&
             !(next + n + 1 < words && word_eq(next + n, next + n + 1)))
        n++;
      if (n == 0) n = 1;  // the forced packet of a long skip
      out->push_back(uint8_t(n));
      out->insert(out->end(), cur + 2 * next, cur + 2 * (next + n));
      w = next + n;
    }
    packets++;
  }
  return packets;
}

// The word delta of a frame against the one before: the count of coded
// lines, then per changed line an optional line skip (a negative word)
// and its packet count word with the packets. Empty when nothing changed.
Bytes delta_flc(const FG_FLC& a, const uint8_t* prev, const uint8_t* cur) {
  Bytes d;
  put16(&d, 0);
  int lines = 0, skip = 0;
  for (int y = 0; y < a.height; y++) {
    const size_t at = size_t(y) * size_t(a.width);
    if (!std::memcmp(prev + at, cur + at, size_t(a.width))) {
      skip++;
      continue;
    }
    if (skip) put16(&d, unsigned(-skip) & 0xFFFF);
    skip = 0;
    const size_t count_at = d.size();
    put16(&d, 0);
    set16(&d, count_at, unsigned(delta_line(prev + at, cur + at, a.width, &d)));
    lines++;
  }
  if (!lines) return {};
  set16(&d, 0, unsigned(lines));
  return d;
}

// A frame chunk holding `chunks` sub-chunks already laid out in `body`.
void put_frame(Bytes* out, int chunks, const Bytes& body) {
  put32(out, uint32_t(kFrameHeaderSize + body.size()));
  put16(out, kFrameChunk);
  put16(out, unsigned(chunks));
  for (int i = 0; i < 4; i++) put16(out, 0);  // delay, reserved, width and height overrides
  out->insert(out->end(), body.begin(), body.end());
}

}  // namespace

int fg_flc_encode(const FG_FLC* a, std::vector<uint8_t>* out) {
  out->clear();
  if (!a || a->width < 2 || a->width > 65534 || (a->width & 1) || a->height < 1 || a->height > 65535 ||
      a->frames.empty() || a->frames.size() > 65535)
    return 0;
  const size_t area = size_t(a->width) * size_t(a->height);
  for (const auto& f : a->frames)
    if (f.size() != area) return 0;

  out->assign(kHeaderSize, 0);
  set16(out, 4, kMagicFlc);
  set16(out, 6, unsigned(a->frames.size()));
  set16(out, 8, unsigned(a->width));
  set16(out, 10, unsigned(a->height));
  set16(out, 12, 8);  // bits a pixel
  set16(out, 14, 3);  // flags: the file was finished and closed properly
  set32(out, 16, uint32_t(std::max(a->speed, 1)));
  set16(out, 38, 1);  // aspect ratio x : y of square pixels
  set16(out, 40, 1);
  set32(out, 80, kHeaderSize);  // offset of frame 1

  for (size_t i = 0; i < a->frames.size(); i++) {
    if (i == 1) set32(out, 84, uint32_t(out->size()));  // offset of frame 2
    Bytes body;
    int chunks = 0;
    if (i == 0) {
      put_chunk(&body, kColour256, colour_256(a->palette));
      put_chunk(&body, kByteRun, byte_run(*a, a->frames[0].data()));
      chunks = 2;
    } else {
      const Bytes d = delta_flc(*a, a->frames[i - 1].data(), a->frames[i].data());
      if (!d.empty()) {
        put_chunk(&body, kDeltaFlc, d);
        chunks = 1;
      }
    }
    put_frame(out, chunks, body);
  }
  set32(out, 0, uint32_t(out->size()));
  return 1;
}
