// Builds S3M file images for the sound tests (header, instruments, packed patterns), and plays them on the engine.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sound/vx_mod.h"

namespace s3m_test {

struct CELL {
  int row, channel;
  int note = 255, instrument = 0, volume = 255, command = 0, info = 0;  // command: 'A'..'Z' or 0
};

struct SAMPLE {
  int type = 1;
  std::vector<uint8_t> data;  // as stored in the file
  uint32_t length = 0;        // in samples; 0: from the data
  uint32_t loop_start = 0, loop_end = 0;
  int flags = 0, volume = 64;
  uint32_t c2 = 8363;
};

struct SONG {
  uint16_t version = 0x1320, flags = 0, format = 2;
  uint8_t global_volume = 64, speed = 6, tempo = 125, master = 0xB0, pan_mark = 0;
  uint8_t channels[32] = {0, 8, 1, 9, 2, 10, 3, 11, 255, 255, 255, 255, 255, 255, 255, 255,
                          255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  uint8_t pans[32] = {};
  std::vector<uint8_t> orders = {0, 255};
  std::vector<SAMPLE> samples;
  std::vector<std::vector<CELL>> patterns = {{}};
};

// Where the parts of a built image lie.
struct LAYOUT { size_t instrument_ptrs, pattern_ptrs; std::vector<size_t> patterns, samples; };

inline void put16(std::vector<uint8_t>& v, size_t at, uint32_t x) { v[at] = uint8_t(x), v[at + 1] = uint8_t(x >> 8); }
inline void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) { put16(v, at, x & 0xFFFF), put16(v, at + 2, x >> 16); }
inline size_t align16(std::vector<uint8_t>& v) { return v.resize((v.size() + 15) & ~size_t(15)), v.size(); }

inline std::vector<uint8_t> build(const SONG& s, LAYOUT* out = nullptr) {
  LAYOUT l;
  std::vector<uint8_t> v(96);
  v[28] = 0x1A, v[29] = 16;
  put16(v, 32, uint32_t(s.orders.size()));
  put16(v, 34, uint32_t(s.samples.size()));
  put16(v, 36, uint32_t(s.patterns.size()));
  put16(v, 38, s.flags), put16(v, 40, s.version), put16(v, 42, s.format);
  std::memcpy(v.data() + 44, "SCRM", 4);
  v[48] = s.global_volume, v[49] = s.speed, v[50] = s.tempo, v[51] = s.master, v[53] = s.pan_mark;
  std::memcpy(v.data() + 64, s.channels, 32);
  v.insert(v.end(), s.orders.begin(), s.orders.end());
  l.instrument_ptrs = v.size();
  l.pattern_ptrs = l.instrument_ptrs + 2 * s.samples.size();
  v.resize(l.pattern_ptrs + 2 * s.patterns.size());
  if (s.pan_mark == 252) v.insert(v.end(), s.pans, s.pans + 32);
  std::vector<size_t> instruments;
  for (size_t i = 0; i < s.samples.size(); i++) {
    const SAMPLE& smp = s.samples[i];
    size_t at = align16(v);
    instruments.push_back(at);
    put16(v, l.instrument_ptrs + 2 * i, uint32_t(at / 16));
    v.resize(at + 80);
    v[at] = uint8_t(smp.type);
    put32(v, at + 16, smp.length ? smp.length : uint32_t(smp.data.size() / ((smp.flags & 4) ? 2 : 1)));
    put32(v, at + 20, smp.loop_start), put32(v, at + 24, smp.loop_end), put32(v, at + 32, smp.c2);
    v[at + 28] = uint8_t(smp.volume), v[at + 31] = uint8_t(smp.flags);
  }
  for (size_t p = 0; p < s.patterns.size(); p++) {
    size_t at = align16(v);
    l.patterns.push_back(at);
    put16(v, l.pattern_ptrs + 2 * p, uint32_t(at / 16));
    v.resize(at + 2);
    for (int row = 0; row < 64; v.push_back(0), row++) {
      for (const CELL& c : s.patterns[p]) {
        if (c.row != row) continue;
        bool ni = c.note != 255 || c.instrument, vol = c.volume != 255, fx = c.command || c.info;
        v.push_back(uint8_t(c.channel | (ni ? 32 : 0) | (vol ? 64 : 0) | (fx ? 128 : 0)));
        if (ni) v.push_back(uint8_t(c.note)), v.push_back(uint8_t(c.instrument));
        if (vol) v.push_back(uint8_t(c.volume));
        if (fx) v.push_back(uint8_t(c.command ? c.command - 'A' + 1 : 0)), v.push_back(uint8_t(c.info));
      }
    }
    put16(v, at, uint32_t(v.size() - at));
  }
  for (size_t i = 0; i < s.samples.size(); i++) {
    size_t at = align16(v);
    l.samples.push_back(at);
    v[instruments[i] + 13] = uint8_t(at >> 20);
    put16(v, instruments[i] + 14, uint32_t((at >> 4) & 0xFFFF));
    v.insert(v.end(), s.samples[i].data.begin(), s.samples[i].data.end());
  }
  if (out) *out = l;
  return v;
}

// A looping sample of `n` bytes of the value `x` (unsigned in the file).
inline SAMPLE constant_sample(uint8_t x, size_t n = 64) {
  SAMPLE s;
  s.data.assign(n, x);
  s.flags = 1, s.loop_end = uint32_t(n);
  return s;
}

// The engine started with the game's constants, playing a module image.
struct PLAYER {
  VX_MOD_POOL* pool = vx_mod_pool_create();
  VX_MODULE* module = nullptr;
  explicit PLAYER(const std::vector<uint8_t>& image, uint32_t rate = 44100,
                  uint16_t mode = VX_MOD_16BIT | VX_MOD_STEREO | VX_MOD_LINEAR, uint8_t end = VX_MOD_END_LOOP) {
    vx_mod_start(128, 1, 1, 0, 0, 8, 360);
    module = vx_mod_load(image.data(), image.size(), VX_MOD_LOAD_PANS, pool);
    vx_mod_select(module);
    vx_mod_reset();
    vx_mod_set(131072, rate, mode, VX_MOD_RUNNING, end, 0, 256, 128);
  }
  explicit PLAYER(const SONG& song, uint32_t rate = 44100, uint16_t mode = VX_MOD_16BIT | VX_MOD_STEREO | VX_MOD_LINEAR)
      : PLAYER(build(song), rate, mode) {}
  ~PLAYER() {
    vx_mod_free(module, pool);
    leaked = vx_mod_pool_destroy(pool) != 1;
    vx_mod_shutdown();
  }
  static inline bool leaked = false;  // the last player's pool still held blocks
  static VX_MOD_STATUS status() {
    VX_MOD_STATUS st;
    vx_mod_status(&st);
    return st;
  }
  // 16-bit stereo frames, rendered in pieces of `chunk` frames.
  static std::vector<int16_t> render(size_t frames, size_t chunk) {
    std::vector<int16_t> out(frames * 2);
    for (size_t done = 0; done < frames; done += chunk) vx_mod_render(&out[2 * done], std::min(chunk, frames - done) * 4);
    return out;
  }
};

}  // namespace s3m_test
