// Audio buffers and their mixing, shared by the SDL and null builds: formats, the conversion of a static buffer at unlock, volume and pan, the streaming ring.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/plat_audio_internal.h"

namespace {

constexpr int MAX_BUFFERS = 256;
constexpr int MIX_CHUNK = 256;  // frames mixed per pass, in a buffer on the stack
constexpr int MIN_RATE = 1000;
constexpr int MAX_RATE = 384000;
// The largest buffer, before and after conversion (DirectSound's limit).
constexpr uint64_t MAX_BYTES = 0x0FFFFFFF;

}  // namespace

struct PLAT_AUDIO_BUFFER {
  int used;
  uint32_t flags;
  PLAT_AUDIO_FORMAT format;
  uint32_t bytes;
  uint32_t block;   // bytes per frame of `format`
  uint8_t* raw;     // the bytes as written, in `format`: for a streaming buffer the ring that plays
  int16_t* pcm;     // static: `raw` converted at unlock to the output's rate, `format.channels` per frame
  uint32_t frames;  // frames that play: of `pcm` (static) or of `raw` (streaming)
  uint32_t pos;     // the next frame mixed
  int playing, looping;
  int lost;  // lost memory: locks fail until restored
  int32_t volume, pan;
  float gain[2];  // left and right, from volume and pan
};

namespace {

struct AudioState {
  std::mutex lock;  // everything below; the mixer holds it while it mixes
  int open, output, playing;
  PLAT_AUDIO_CAPS caps;
  PLAT_AUDIO_FORMAT out;  // the output's format; rate 0 until set
  std::array<PLAT_AUDIO_BUFFER, MAX_BUFFERS> buffers;
};
AudioState aud;

using Guard = std::lock_guard<std::mutex>;

// Hundredths of a decibel to a linear factor; -10000 and below is silence.
float db_gain(int32_t hundredths) {
  return hundredths <= -10000 ? 0.0f : std::pow(10.0f, static_cast<float>(hundredths) / 2000.0f);
}

void update_gain(PLAT_AUDIO_BUFFER* b) {
  const float g = db_gain(b->volume);
  b->gain[0] = b->gain[1] = g;
  if (b->pan < 0) b->gain[1] *= db_gain(b->pan);
  if (b->pan > 0) b->gain[0] *= db_gain(-b->pan);
}

bool format_ok(const PLAT_AUDIO_FORMAT& f) {
  const bool bits = f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
  return bits && (f.channels == 1 || f.channels == 2) && f.rate >= MIN_RATE && f.rate <= MAX_RATE;
}

// A live buffer of the table, or null (also for foreign pointers).
PLAT_AUDIO_BUFFER* live(PLAT_AUDIO_BUFFER* b) {
  if (!b || b < aud.buffers.data() || b >= aud.buffers.data() + MAX_BUFFERS || !b->used) return nullptr;
  return b;
}

// One sample of frame `i`, channel `c`, scaled to 16 bits.
int sample_at(const uint8_t* raw, const PLAT_AUDIO_FORMAT& f, uint32_t block, uint32_t i, int c) {
  const uint8_t* p = raw + static_cast<size_t>(i) * block + static_cast<size_t>(c) * (f.bits / 8);
  switch (f.bits) {
    case 8: return (p[0] - 128) * 256;  // 8-bit PCM is unsigned around 128
    case 16: return static_cast<int16_t>(p[0] | p[1] << 8);
    case 24: return static_cast<int16_t>(p[1] | p[2] << 8);  // the top 16 of 24 bits
    default: return static_cast<int16_t>(p[2] | p[3] << 8);
  }
}

// A static buffer's bytes at the output's rate in 16-bit samples, by
// linear interpolation when the rates differ. Null when out of memory.
int16_t* convert(const PLAT_AUDIO_BUFFER* b, int out_rate, uint32_t* frames_out) {
  const PLAT_AUDIO_FORMAT& f = b->format;
  const uint32_t src = b->bytes / b->block;
  const uint64_t n64 = std::max<uint64_t>(1, static_cast<uint64_t>(src) * out_rate / f.rate);
  const uint32_t n = static_cast<uint32_t>(n64);
  int16_t* pcm = static_cast<int16_t*>(std::malloc(static_cast<size_t>(n) * f.channels * sizeof(int16_t)));
  if (!pcm) return nullptr;
  const double step = static_cast<double>(f.rate) / out_rate;
  for (uint32_t i = 0; i < n; i++) {
    const double at = i * step;
    const uint32_t i0 = std::min<uint32_t>(static_cast<uint32_t>(at), src - 1);
    const uint32_t i1 = std::min<uint32_t>(i0 + 1, src - 1);
    const double frac = at - i0;
    for (int c = 0; c < f.channels; c++) {
      const int a = sample_at(b->raw, f, b->block, i0, c);
      const int z = sample_at(b->raw, f, b->block, i1, c);
      pcm[static_cast<size_t>(i) * f.channels + c] = static_cast<int16_t>(std::lround(a + (z - a) * frac));
    }
  }
  *frames_out = n;
  return pcm;
}

// Adds `n` frames of a playing buffer to the stereo accumulator.
void mix_buffer(PLAT_AUDIO_BUFFER* b, float* acc, int n) {
  const int ch = b->format.channels;
  const bool is_static = b->flags & PLAT_AUDIO_STATIC;
  constexpr float scale = 1.0f / 32768.0f;
  const float gl = b->gain[0] * scale, gr = b->gain[1] * scale;
  for (int i = 0; i < n; i++) {
    if (b->pos >= b->frames) {
      b->pos = 0;
      if (!b->looping || !b->frames) {
        b->playing = 0;
        return;
      }
    }
    int l, r;
    if (is_static) {
      const int16_t* p = b->pcm + static_cast<size_t>(b->pos) * ch;
      l = p[0];
      r = ch == 2 ? p[1] : l;
    } else {
      l = sample_at(b->raw, b->format, b->block, b->pos, 0);
      r = ch == 2 ? sample_at(b->raw, b->format, b->block, b->pos, 1) : l;
    }
    acc[2 * i] += l * gl;
    acc[2 * i + 1] += r * gr;
    b->pos++;
  }
}

void write_out(const float* acc, int n, uint8_t* out) {
  const PLAT_AUDIO_FORMAT& f = aud.out;
  for (int i = 0; i < n; i++) {
    float v[2] = {acc[2 * i], acc[2 * i + 1]};
    if (f.channels == 1) v[0] = (v[0] + v[1]) * 0.5f;
    for (int c = 0; c < f.channels; c++) {
      if (f.bits == 16) {
        const long s = std::clamp(std::lround(v[c] * 32768.0f), -32768L, 32767L);
        const uint16_t u = static_cast<uint16_t>(static_cast<int16_t>(s));
        out[0] = static_cast<uint8_t>(u & 0xFF);
        out[1] = static_cast<uint8_t>(u >> 8);
        out += 2;
      } else {
        *out++ = static_cast<uint8_t>(std::clamp(std::lround(v[c] * 128.0f) + 128, 0L, 255L));
      }
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- mixing

void plat_audio_mix(uint8_t* out, uint32_t bytes) {
  Guard g(aud.lock);
  const PLAT_AUDIO_FORMAT& f = aud.out;
  const uint32_t frame = f.rate ? static_cast<uint32_t>(f.bits / 8 * f.channels) : 0;
  if (!aud.playing || !frame) {
    std::memset(out, f.bits == 8 ? 0x80 : 0, bytes);
    return;
  }
  uint32_t left = bytes / frame;
  while (left > 0) {
    const int n = static_cast<int>(std::min<uint32_t>(left, MIX_CHUNK));
    float acc[2 * MIX_CHUNK] = {};
    for (PLAT_AUDIO_BUFFER& b : aud.buffers)
      if (b.used && b.playing) mix_buffer(&b, acc, n);
    write_out(acc, n, out);
    out += static_cast<size_t>(n) * frame;
    left -= static_cast<uint32_t>(n);
  }
}

int plat_audio_buffer_count() {
  Guard g(aud.lock);
  return static_cast<int>(std::count_if(aud.buffers.begin(), aud.buffers.end(),
                                        [](const PLAT_AUDIO_BUFFER& b) { return b.used != 0; }));
}

// ---------------------------------------------------------------- the device

int plat_audio_open() {
  Guard g(aud.lock);
  if (aud.open) return 1;
  if (plat_be_audio_refuses(PLAT_AUDIO_OP_OPEN) || !plat_be_audio_open(&aud.caps)) return 0;
  aud.open = 1;
  aud.output = aud.playing = 0;
  aud.out = {};
  return 1;
}

int plat_audio_cooperate(PLAT_WINDOW* window) {
  Guard g(aud.lock);
  return aud.open && window && plat_window_exists(window) && !plat_be_audio_refuses(PLAT_AUDIO_OP_COOPERATE);
}

int plat_audio_caps(PLAT_AUDIO_CAPS* caps) {
  Guard g(aud.lock);
  if (!aud.open || !caps || plat_be_audio_refuses(PLAT_AUDIO_OP_CAPS)) return 0;
  *caps = aud.caps;
  return 1;
}

int plat_audio_output_create() {
  Guard g(aud.lock);
  if (!aud.open || plat_be_audio_refuses(PLAT_AUDIO_OP_OUTPUT)) return 0;
  aud.output = 1;
  return 1;
}

int plat_audio_output_format(const PLAT_AUDIO_FORMAT* format) {
  if (!format || !format_ok(*format) || format->bits > 16) return 0;
  int playing;
  {
    Guard g(aud.lock);
    if (!aud.output) return 0;
    playing = aud.playing;
  }
  // The backend may reopen its device, which waits for the mixer: not under the lock.
  if (!plat_be_audio_format(format)) return 0;
  {
    Guard g(aud.lock);
    aud.out = *format;
  }
  return playing ? plat_be_audio_play() : 1;
}

int plat_audio_output_play() {
  {
    Guard g(aud.lock);
    if (!aud.output || !aud.out.rate) return 0;
    if (aud.playing) return 1;
    aud.playing = 1;
  }
  return plat_be_audio_play();
}

void plat_audio_close() {
  {
    Guard g(aud.lock);
    if (!aud.open) return;
  }
  plat_be_audio_close();  // waits for a mixer that runs: not under the lock
  Guard g(aud.lock);
  for (PLAT_AUDIO_BUFFER& b : aud.buffers) {
    std::free(b.raw);
    std::free(b.pcm);
    b = {};
  }
  aud.open = aud.output = aud.playing = 0;
  aud.out = {};
}

// ---------------------------------------------------------------- buffers

PLAT_AUDIO_BUFFER* plat_audio_buffer_create(const PLAT_AUDIO_BUFFER_DESC* desc) {
  if (!desc || !format_ok(desc->format)) return nullptr;
  const PLAT_AUDIO_FORMAT& f = desc->format;
  const uint32_t block = static_cast<uint32_t>(f.bits / 8 * f.channels);
  if (desc->bytes == 0 || desc->bytes % block) return nullptr;
  const bool is_static = desc->flags & PLAT_AUDIO_STATIC;
  Guard g(aud.lock);
  if (!aud.output || !aud.out.rate) return nullptr;
  if (plat_be_audio_refuses(is_static ? PLAT_AUDIO_OP_STATIC : PLAT_AUDIO_OP_STREAM)) return nullptr;
  // The ring plays as it stands: it must be in the output's rate and a sample size the mixer reads.
  if (!is_static && (f.rate != aud.out.rate || f.bits > 16)) return nullptr;
  // A long sound at a low rate grows when converted: refused past the limit.
  const uint64_t converted = static_cast<uint64_t>(desc->bytes / block) * aud.out.rate / f.rate * f.channels * 2;
  if (desc->bytes > MAX_BYTES || (is_static && converted > MAX_BYTES)) return nullptr;
  auto slot = std::find_if(aud.buffers.begin(), aud.buffers.end(), [](const PLAT_AUDIO_BUFFER& b) { return !b.used; });
  if (slot == aud.buffers.end()) return nullptr;
  uint8_t* raw = static_cast<uint8_t*>(std::malloc(desc->bytes));
  if (!raw) return nullptr;
  std::memset(raw, f.bits == 8 ? 0x80 : 0, desc->bytes);  // silence
  PLAT_AUDIO_BUFFER& b = *slot;
  b = {};
  b.used = 1;
  b.flags = desc->flags;
  b.format = f;
  b.bytes = desc->bytes;
  b.block = block;
  b.raw = raw;
  b.frames = is_static ? 0 : desc->bytes / block;
  update_gain(&b);
  return &b;
}

int plat_audio_buffer_release(PLAT_AUDIO_BUFFER* buffer) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || plat_be_audio_refuses(PLAT_AUDIO_OP_RELEASE)) return 0;
  std::free(b->raw);
  std::free(b->pcm);
  *b = {};
  return 1;
}

int plat_audio_buffer_lock(PLAT_AUDIO_BUFFER* buffer, uint32_t offset, uint32_t bytes, void** part1,
                           uint32_t* bytes1, void** part2, uint32_t* bytes2) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || !part1 || !bytes1 || offset >= b->bytes || bytes == 0 || bytes > b->bytes) return 0;
  if (plat_be_audio_refuses(PLAT_AUDIO_OP_LOCK)) return 0;
  if (plat_be_audio_lose_lock()) b->lost = 1;
  if (b->lost) return PLAT_AUDIO_LOST;
  const uint32_t first = std::min(bytes, b->bytes - offset);
  *part1 = b->raw + offset;
  *bytes1 = first;
  if (part2) *part2 = first < bytes ? b->raw : nullptr;
  if (bytes2) *bytes2 = bytes - first;
  return 1;
}

int plat_audio_buffer_unlock(PLAT_AUDIO_BUFFER* buffer, void*, uint32_t, void*, uint32_t) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || plat_be_audio_refuses(PLAT_AUDIO_OP_UNLOCK)) return 0;
  if (!(b->flags & PLAT_AUDIO_STATIC)) return 1;  // the ring plays as written
  // A second of sound converts in about a millisecond: short enough to
  // hold the mixer back for.
  uint32_t frames = 0;
  int16_t* pcm = convert(b, aud.out.rate, &frames);
  if (!pcm) return 0;
  std::free(b->pcm);
  b->pcm = pcm;
  b->frames = frames;
  if (b->pos >= frames) b->pos = 0;
  return 1;
}

int plat_audio_buffer_restore(PLAT_AUDIO_BUFFER* buffer) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b) return 0;
  b->lost = 0;
  return 1;
}

int plat_audio_buffer_play(PLAT_AUDIO_BUFFER* buffer, int loop) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || b->lost || plat_be_audio_refuses(PLAT_AUDIO_OP_PLAY)) return 0;
  b->playing = 1;
  b->looping = loop != 0;
  return 1;
}

int plat_audio_buffer_stop(PLAT_AUDIO_BUFFER* buffer) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || plat_be_audio_refuses(PLAT_AUDIO_OP_STOP)) return 0;
  b->playing = 0;
  return 1;
}

int plat_audio_buffer_status(PLAT_AUDIO_BUFFER* buffer, uint32_t* status) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || !status || plat_be_audio_refuses(PLAT_AUDIO_OP_STATUS)) return 0;
  *status = b->playing ? (PLAT_AUDIO_PLAYING | (b->looping ? PLAT_AUDIO_LOOPING : 0)) : 0;
  return 1;
}

// A static buffer plays converted frames: offsets are mapped through the two rates.
int plat_audio_buffer_set_position(PLAT_AUDIO_BUFFER* buffer, uint32_t offset) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || offset >= b->bytes || plat_be_audio_refuses(PLAT_AUDIO_OP_POSITION)) return 0;
  uint64_t frame = offset / b->block;
  if (b->flags & PLAT_AUDIO_STATIC) frame = frame * aud.out.rate / b->format.rate;
  b->pos = static_cast<uint32_t>(frame);
  return 1;
}

int plat_audio_buffer_position(PLAT_AUDIO_BUFFER* buffer, uint32_t* play) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || !play) return 0;
  uint64_t frame = b->pos;
  if (b->flags & PLAT_AUDIO_STATIC) frame = frame * b->format.rate / aud.out.rate;
  *play = static_cast<uint32_t>(std::min<uint64_t>(frame * b->block, b->bytes - b->block));
  return 1;
}

int plat_audio_buffer_set_volume(PLAT_AUDIO_BUFFER* buffer, int32_t volume) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || !(b->flags & PLAT_AUDIO_CTRL_VOLUME) || volume < -10000 || volume > 0) return 0;
  if (plat_be_audio_refuses(PLAT_AUDIO_OP_VOLUME)) return 0;
  b->volume = volume;
  update_gain(b);
  return 1;
}

int plat_audio_buffer_set_pan(PLAT_AUDIO_BUFFER* buffer, int32_t pan) {
  Guard g(aud.lock);
  PLAT_AUDIO_BUFFER* b = live(buffer);
  if (!b || !(b->flags & PLAT_AUDIO_CTRL_PAN) || pan < -10000 || pan > 10000) return 0;
  if (plat_be_audio_refuses(PLAT_AUDIO_OP_PAN)) return 0;
  b->pan = pan;
  update_gain(b);
  return 1;
}
