// The mixer: the three interpolations against their formulas, loops, the output formats, fades on note changes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "sound/vx_mix.h"
#include "sound/vx_mod.h"

namespace {

struct Mixer {
  Mixer(int fade, uint32_t mode) { vx_mix_start(8, 2, 360, fade, fade), vx_mix_format(44100, mode); }
  ~Mixer() { vx_mix_shutdown(); }
};

// The source stream as the header describes it: past the loop end it goes
// on from the loop start, before the first sample it is silent.
struct STREAM {
  std::vector<int8_t> data;
  int64_t loop_start = -1, loop_end = -1;
  int at(int64_t i) const {
    if (loop_end > 0 && i >= loop_end) i = loop_start + (i - loop_start) % (loop_end - loop_start);
    return i >= 0 && i < int64_t(data.size()) ? data[size_t(i)] : 0;
  }
};

// Reference frames of one voice, mixed in passes of `pass` frames; `switched`
// says whether the mixer turns to this voice anew at every pass.
std::vector<int64_t> reference(const STREAM& s, int quality, uint32_t step, uint32_t offset, int32_t gain, int frames,
                               int pass, bool switched) {
  std::vector<int64_t> out(size_t(frames), 0);
  int64_t pos = int64_t(offset) << 16;  // stream position: never wrapped
  int s0 = 0, s1 = 0, s2 = 0;
  for (int k = 0; k < frames && (s.loop_end > 0 || (pos >> 16) < int64_t(s.data.size())); k++) {
    const int64_t idx = pos >> 16, f = pos & 0xFFFF;
    if (k == 0 || (switched && k % pass == 0)) s0 = s1 = s2 = s.at(idx);
    int64_t v;
    if (quality == 0) v = int64_t(s.at(idx - 1 + (f >= 32768))) * 65536;
    else if (quality == 1) v = int64_t(s.at(idx - 1)) * 65536 + (s.at(idx) - s.at(idx - 1)) * f;
    else v = int64_t(s1) * 65536 + (s1 - s0) * f + ((int64_t(s0 - 2 * s1 + s2) * f * f) >> 17);
    out[size_t(k)] = (v * gain) >> 16;
    pos += step;
    for (int64_t i = idx + 1; i <= pos >> 16; i++) s0 = s1, s1 = s2, s2 = s.at(i);
  }
  return out;
}

TEST(Mix, InterpolationFollowsItsFormulas) {
  STREAM noise;
  uint32_t x = 7;
  for (int i = 0; i < 300; i++) noise.data.push_back(int8_t((x = x * 1103515245u + 12345u) >> 24));
  STREAM looped = noise;
  looped.loop_start = 290, looped.loop_end = 297;  // a short loop: many seams
  struct Case { const char* what; const STREAM* s; int quality; uint32_t step, offset; int voices; } const cases[] = {
      {"nearest, step 1.75", &noise, 0, 0x1C000, 0, 1},
      {"nearest, step 0.3", &noise, 0, 0x4CCD, 3, 1},
      {"linear, step 0.5", &noise, 1, 0x8000, 0, 1},
      {"linear, step 3.625 to the end", &noise, 1, 0x3A000, 5, 1},
      {"linear across a loop seam", &looped, 1, 0x9000, 285, 1},
      {"quadratic, step 0.7", &noise, 2, 0xB333, 0, 1},
      {"quadratic, step 2.5", &noise, 2, 0x28000, 9, 1},
      {"quadratic across a loop seam", &looped, 2, 0x11000, 283, 1},
      {"quadratic, two voices take turns", &noise, 2, 0xB333, 0, 2},
  };
  const uint32_t modes[] = {0, VX_MOD_LINEAR, VX_MOD_QUADRATIC};
  const int pass = 50, frames = 150;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Mixer mixer(0, VX_MOD_16BIT | VX_MOD_STEREO | modes[c.quality]);
    std::vector<int8_t> data(2, 0);  // the two readable bytes in front
    data.insert(data.end(), c.s->data.begin(), c.s->data.end());
    const bool loop = c.s->loop_end > 0;
    VX_MIX_SOURCE src = {data.data() + 2, uint32_t(c.s->data.size()), uint32_t(loop ? c.s->loop_start : 0),
                         uint32_t(loop ? c.s->loop_end : 0), uint8_t(loop)};
    auto gain = [](int v, int side) { return side ? 3 << (14 - v) : 65536 >> v; };
    for (int v = 0; v < c.voices; v++) vx_mix_play(v, &src, c.offset), vx_mix_set(v, c.step, gain(v, 0), gain(v, 1));
    std::vector<int32_t> sums(size_t(2 * frames));
    for (int at = 0; at < frames; at += pass) vx_mix_sums(&sums[size_t(2 * at)], pass);
    for (int side = 0; side < 2; side++) {
      std::vector<int64_t> want(size_t(frames), 0), got;
      for (int v = 0; v < c.voices; v++) {
        std::vector<int64_t> one = reference(*c.s, c.quality, c.step, c.offset, gain(v, side), frames, pass, c.voices > 1);
        for (int k = 0; k < frames; k++) want[size_t(k)] += one[size_t(k)];
      }
      for (int k = 0; k < frames; k++) got.push_back(sums[size_t(2 * k + side)]);
      EXPECT_EQ(got, want) << (side ? "right" : "left");
    }
  }
}

TEST(Mix, OutputFormats) {
  struct Case {
    const char* what;
    uint32_t mode;
    int8_t value;
    int32_t left, right;
    std::vector<int> out;  // the first frame, sample by sample (bytes for 8-bit)
  };
  const std::vector<Case> cases = {
      {"16-bit stereo", VX_MOD_16BIT | VX_MOD_STEREO, 100, 65536, 32768, {25600, 12800}},
      {"16-bit mono: the mean", VX_MOD_16BIT, 100, 65536, 32768, {19200}},
      {"8-bit stereo, unsigned", VX_MOD_STEREO, 100, 65536, 32768, {228, 178}},
      {"8-bit mono", 0, -100, 65536, 65536, {28}},
      {"clamped high", VX_MOD_16BIT | VX_MOD_STEREO, 127, 3 * 65536, 0, {32767, 0}},
      {"clamped low", VX_MOD_16BIT | VX_MOD_STEREO, -128, 2 * 65536, 65536, {-32768, -32768}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Mixer mixer(0, c.mode);
    std::vector<int8_t> data(40, c.value);
    VX_MIX_SOURCE src = {data.data() + 2, 38, 0, 38, 1};
    vx_mix_play(0, &src, 4);
    vx_mix_set(0, 0x10000, c.left, c.right);
    int16_t out16[8] = {};
    vx_mix_render(out16, 2);
    std::vector<int> got;
    for (size_t i = 0; i < c.out.size(); i++) got.push_back((c.mode & 1) ? out16[i] : reinterpret_cast<uint8_t*>(out16)[i]);
    EXPECT_EQ(got, c.out);
  }
}

// A note that takes over a voice glides from the old sound to the new one.
TEST(Mix, NoteChangesFadeWithoutAStep) {
  for (int fade : {1, 0}) {
    SCOPED_TRACE(fade ? "fading" : "cut dead");
    Mixer mixer(fade, VX_MOD_16BIT | VX_MOD_STEREO);
    std::vector<int8_t> up(64, 100), down(64, -100);
    VX_MIX_SOURCE a = {up.data() + 2, 62, 0, 62, 1}, b = {down.data() + 2, 62, 0, 62, 1};
    int16_t out[2 * 400];
    vx_mix_play(0, &a, 8), vx_mix_set(0, 0x10000, 65536, 65536), vx_mix_render(out, 200);
    vx_mix_play(0, &b, 8), vx_mix_set(0, 0x10000, 65536, 65536), vx_mix_render(out + 400, 200);
    int worst = 0;
    for (int i = 2; i < 800; i += 2) worst = std::max(worst, std::abs(out[i] - out[i - 2]));
    EXPECT_EQ(out[798], -25600) << "the new note plays in full";
    EXPECT_EQ(worst < 51200 / 20, bool(fade)) << "the largest step between frames is " << worst;
    vx_mix_stop(0), vx_mix_render(out, 200);
    EXPECT_EQ(out[398], 0) << "stopped";
  }
}

}  // namespace
