// The software mixer: per-voice inner loops by interpolation and gain ramp, loop handling by blocks, the output stage.
//
// A voice is mixed in runs: the frames up to the sample's end (or loop end)
// and up to the end of a gain ramp are computed first, and each run goes
// through one inner loop with no test per frame. Only frames whose look-back
// crosses a loop seam, or follows a voice switch in quadratic mode, take the
// general path that keeps s0, s1 and s2 as a stream.
#include "sound/vx_mix.h"

#include <cstring>

#include "core/vx_mem.h"
#include "sound/vx_mod.h"

namespace {

struct VOICE {
  const int8_t* data;
  uint32_t length, loop_start, loop_end;
  uint8_t loop;
  uint8_t active;
  uint8_t wrapped;  // the position went round the loop at least once
  uint8_t fading;   // ends when its ramp to zero ends
  uint8_t fresh;    // a note started: the quadratic history starts over
  uint64_t pos;     // 48.16
  uint32_t step;    // 16.16
  int32_t gain_l, gain_r;
  int32_t target_l, target_r;
  int ramp_left;               // frames left in the ramp
  int64_t ramp_l, ramp_r;      // gains during a ramp, 16 fraction bits
  int64_t delta_l, delta_r;
  int32_t s0, s1, s2;          // quadratic history as a stream
  int flat;                    // advances left before the history matches the sample data
};

struct MIXER {
  int started;
  VOICE* voices;
  int count, first_spare, next_spare;
  int block;
  int fade, ramp;
  int ramp_frames;
  uint32_t rate, mode;
  int32_t* sums;
  int last_voice;
};

MIXER mix;

// Quality from the mode bits: 0 nearest, 1 linear, 2 quadratic.
int quality() { return (mix.mode & VX_MOD_QUADRATIC) ? 2 : (mix.mode & VX_MOD_LINEAR) ? 1 : 0; }

// The source sample at stream position i: past the loop end the stream
// goes on from the loop start; before the loop start, once wrapped, it
// comes from the loop's end; before the sample's start it is silent.
int32_t fetch(const VOICE* v, int64_t i) {
  if (v->loop) {
    int64_t len = int64_t(v->loop_end) - v->loop_start;
    if (i >= int64_t(v->loop_end)) i = v->loop_start + (i - v->loop_start) % len;
    else if (v->wrapped && i < int64_t(v->loop_start)) i = int64_t(v->loop_end) - 1 - (v->loop_start - 1 - i) % len;
  } else if (i >= int64_t(v->length)) {
    return 0;
  }
  return i < 0 ? 0 : v->data[i];
}

// Brings the position back into the loop, or ends a voice that ran off its
// sample. 0 when the voice ended.
int normalise(VOICE* v) {
  uint64_t idx = v->pos >> 16;
  if (v->loop) {
    if (idx < v->loop_end) return 1;
    uint64_t len = v->loop_end - v->loop_start;
    v->pos -= ((idx - v->loop_start) / len * len) << 16;
    v->wrapped = 1;
    return 1;
  }
  if (idx < v->length) return 1;
  v->active = 0;
  return 0;
}

void end_ramp(VOICE* v) {
  v->gain_l = v->target_l;
  v->gain_r = v->target_r;
  v->ramp_left = 0;
  if (v->fading) v->active = 0;
}

// One run of frames through the fast path: no loop seam behind the look-back,
// no voice end and no ramp end inside the run.
template <int Q, bool RAMP>
void run(VOICE* v, int32_t* out, int n) {
  const int8_t* s = v->data;
  uint64_t pos = v->pos;
  const uint64_t step = v->step;
  int32_t gl = v->gain_l, gr = v->gain_r;
  int64_t rl = v->ramp_l, rr = v->ramp_r;
  const int64_t dl = v->delta_l, dr = v->delta_r;
  for (int i = 0; i < n; i++) {
    if constexpr (RAMP) {
      gl = int32_t(rl >> 16);
      gr = int32_t(rr >> 16);
      rl += dl;
      rr += dr;
    }
    const int64_t idx = int64_t(pos >> 16);
    const int32_t f = int32_t(pos & 0xFFFF);
    if constexpr (Q == 0) {
      // v x gain >> 16 with v = sample x 65536 is exactly sample x gain.
      const int32_t x = s[idx - 1 + (f >> 15)];
      out[2 * i] += x * gl;
      out[2 * i + 1] += x * gr;
    } else {
      int32_t val;
      if constexpr (Q == 1) {
        const int32_t p = s[idx - 1], c = s[idx];
        val = p * 65536 + (c - p) * f;
      } else {
        const int32_t a = s[idx - 2], b = s[idx - 1], c = s[idx];
        val = b * 65536 + (b - a) * f + int32_t((int64_t(a - 2 * b + c) * f * f) >> 17);
      }
      out[2 * i] += int32_t((int64_t(val) * gl) >> 16);
      out[2 * i + 1] += int32_t((int64_t(val) * gr) >> 16);
    }
    pos += step;
  }
  v->pos = pos;
  if constexpr (RAMP) {
    v->ramp_l = rl;
    v->ramp_r = rr;
    v->ramp_left -= n;
    v->gain_l = int32_t(rl >> 16);
    v->gain_r = int32_t(rr >> 16);
    if (v->ramp_left == 0) end_ramp(v);
  }
}

using RUN = void (*)(VOICE*, int32_t*, int);
constexpr RUN RUNS[3][2] = {{run<0, false>, run<0, true>}, {run<1, false>, run<1, true>}, {run<2, false>, run<2, true>}};

// One frame through the general path, for frames near a loop seam or after
// a voice switch.
void slow_frame(VOICE* v, int32_t* out, int q) {
  const int64_t idx = int64_t(v->pos >> 16);
  const int32_t f = int32_t(v->pos & 0xFFFF);
  int32_t val;
  if (q == 0) {
    val = fetch(v, idx - 1 + (f >> 15)) * 65536;
  } else if (q == 1) {
    const int32_t p = fetch(v, idx - 1), c = fetch(v, idx);
    val = p * 65536 + (c - p) * f;
  } else {
    val = v->s1 * 65536 + (v->s1 - v->s0) * f + int32_t((int64_t(v->s0 - 2 * v->s1 + v->s2) * f * f) >> 17);
  }
  int32_t gl = v->gain_l, gr = v->gain_r;
  if (v->ramp_left > 0) {
    gl = int32_t(v->ramp_l >> 16);
    gr = int32_t(v->ramp_r >> 16);
    v->ramp_l += v->delta_l;
    v->ramp_r += v->delta_r;
    v->gain_l = int32_t(v->ramp_l >> 16);
    v->gain_r = int32_t(v->ramp_r >> 16);
    if (--v->ramp_left == 0) end_ramp(v);
  }
  out[0] += int32_t((int64_t(val) * gl) >> 16);
  out[1] += int32_t((int64_t(val) * gr) >> 16);
  v->pos += v->step;
  if (q == 2) {
    const int64_t now = int64_t(v->pos >> 16);
    const int64_t adv = now - idx;
    if (adv >= 3) {
      v->s0 = fetch(v, now - 2);
      v->s1 = fetch(v, now - 1);
      v->s2 = fetch(v, now);
    } else if (adv == 2) {
      v->s0 = v->s2;
      v->s1 = fetch(v, now - 1);
      v->s2 = fetch(v, now);
    } else if (adv == 1) {
      v->s0 = v->s1;
      v->s1 = v->s2;
      v->s2 = fetch(v, now);
    }
    v->flat = adv >= v->flat ? 0 : v->flat - int(adv);
  }
}

void mix_voice(VOICE* v, int32_t* out, int n, int q, bool switched) {
  if (q == 2 && (switched || v->fresh)) {
    v->s2 = v->s1 = v->s0 = fetch(v, int64_t(v->pos >> 16));
    v->flat = 2;
  }
  v->fresh = 0;
  while (n > 0 && v->active) {
    if (!normalise(v)) return;
    const int64_t idx = int64_t(v->pos >> 16);
    const bool fast = q == 2 ? v->flat == 0 && (!v->wrapped || idx >= int64_t(v->loop_start) + 2)
                             : !v->wrapped || idx >= int64_t(v->loop_start) + 1;
    if (!fast) {
      slow_frame(v, out, q);
      out += 2;
      n--;
      continue;
    }
    const uint64_t end = uint64_t(v->loop ? v->loop_end : v->length) << 16;
    const uint64_t frames_left = v->step ? (end - v->pos + v->step - 1) / v->step : uint64_t(n);
    int seg = frames_left < uint64_t(n) ? int(frames_left) : n;
    const bool ramp = v->ramp_left > 0;
    if (ramp && seg > v->ramp_left) seg = v->ramp_left;
    RUNS[q][ramp](v, out, seg);
    out += 2 * seg;
    n -= seg;
    if (q == 2) {
      const int64_t now = int64_t(v->pos >> 16);
      v->s0 = fetch(v, now - 2);
      v->s1 = fetch(v, now - 1);
      v->s2 = fetch(v, now);
    }
  }
}

VOICE* voice_at(int n) { return mix.started && n >= 0 && n < mix.count ? &mix.voices[n] : nullptr; }

void start_ramp(VOICE* v) {
  v->ramp_left = mix.ramp_frames;
  v->ramp_l = int64_t(v->gain_l) << 16;
  v->ramp_r = int64_t(v->gain_r) << 16;
  v->delta_l = ((int64_t(v->target_l) << 16) - v->ramp_l) / v->ramp_left;
  v->delta_r = ((int64_t(v->target_r) << 16) - v->ramp_r) / v->ramp_left;
}

// Moves what `v` plays onto a spare voice that fades it out.
void fade_out_copy(const VOICE* v) {
  if (!mix.fade || !v->active || (!v->gain_l && !v->gain_r && !v->target_l && !v->target_r)) return;
  if (mix.first_spare >= mix.count) return;
  if (mix.next_spare < mix.first_spare || mix.next_spare >= mix.count) mix.next_spare = mix.first_spare;
  VOICE* spare = &mix.voices[mix.next_spare++];
  *spare = *v;
  spare->target_l = spare->target_r = 0;
  spare->fading = 1;
  start_ramp(spare);
}

void output(void* out, size_t at, const int32_t* sums, int n) {
  const bool stereo = mix.mode & VX_MOD_STEREO, wide = mix.mode & 1;
  int16_t* o16 = static_cast<int16_t*>(out) + at * (stereo ? 2 : 1);
  uint8_t* o8 = static_cast<uint8_t*>(out) + at * (stereo ? 2 : 1);
  auto clamp = [](int64_t x) { return int32_t(x < -32768 ? -32768 : x > 32767 ? 32767 : x); };
  for (int i = 0; i < n; i++) {
    int32_t l = clamp(sums[2 * i] >> VX_MIX_SUM_SHIFT), r = clamp(sums[2 * i + 1] >> VX_MIX_SUM_SHIFT);
    if (!stereo) l = clamp((int64_t(sums[2 * i]) + sums[2 * i + 1]) >> (VX_MIX_SUM_SHIFT + 1));
    if (wide) {
      if (stereo) {
        o16[2 * i] = int16_t(l);
        o16[2 * i + 1] = int16_t(r);
      } else {
        o16[i] = int16_t(l);
      }
    } else if (stereo) {
      o8[2 * i] = uint8_t((l + 32768) >> 8);
      o8[2 * i + 1] = uint8_t((r + 32768) >> 8);
    } else {
      o8[i] = uint8_t((l + 32768) >> 8);
    }
  }
}

}  // namespace

int vx_mix_start(int voices, int first_spare, int block_frames, int fade, int ramp) {
  vx_mix_shutdown();
  if (voices < 1 || block_frames < 1 || first_spare < 0) return 0;
  vx_mem_align_push(16);
  mix.voices = static_cast<VOICE*>(vx_mem_alloc_named(sizeof(VOICE) * size_t(voices), "VX_MIX voices"));
  mix.sums = static_cast<int32_t*>(vx_mem_alloc_named(sizeof(int32_t) * 2 * size_t(block_frames), "VX_MIX sums"));
  vx_mem_align_pop();
  if (!mix.voices || !mix.sums) {
    if (mix.voices) vx_mem_free(mix.voices);
    if (mix.sums) vx_mem_free(mix.sums);
    mix = MIXER{};
    return 0;
  }
  std::memset(mix.voices, 0, sizeof(VOICE) * size_t(voices));
  mix.count = voices;
  mix.first_spare = first_spare;
  mix.next_spare = first_spare;
  mix.block = block_frames;
  mix.fade = fade;
  mix.ramp = ramp;
  mix.last_voice = -1;
  mix.started = 1;
  vx_mix_format(44100, VX_MOD_16BIT | VX_MOD_STEREO);
  return 1;
}

void vx_mix_shutdown() {
  if (!mix.started) return;
  vx_mem_free(mix.voices);
  vx_mem_free(mix.sums);
  mix = MIXER{};
}

void vx_mix_format(uint32_t rate, uint32_t mode) {
  mix.rate = rate ? rate : 44100;
  mix.mode = mode;
  mix.ramp_frames = int(mix.rate / 1400) > 1 ? int(mix.rate / 1400) : 1;
}

void vx_mix_play(int n, const VX_MIX_SOURCE* src, uint32_t offset) {
  VOICE* v = voice_at(n);
  if (!v) return;
  fade_out_copy(v);
  *v = VOICE{};
  if (!src || !src->data || !src->length) return;
  v->data = src->data;
  v->length = src->length;
  v->loop = src->loop && src->loop_start < src->loop_end && src->loop_end <= src->length;
  v->loop_start = v->loop ? src->loop_start : 0;
  v->loop_end = v->loop ? src->loop_end : 0;
  v->pos = uint64_t(offset) << 16;
  v->active = 1;
  v->fresh = 1;
  normalise(v);
}

void vx_mix_stop(int n) {
  VOICE* v = voice_at(n);
  if (!v || !v->active) return;
  if (mix.fade && mix.ramp_frames > 1) {
    v->target_l = v->target_r = 0;
    v->fading = 1;
    start_ramp(v);
  } else {
    v->active = 0;
  }
}

void vx_mix_silence() {
  for (int i = 0; i < mix.count; i++) mix.voices[i] = VOICE{};
  mix.last_voice = -1;
}

void vx_mix_set(int n, uint32_t step, int32_t left, int32_t right) {
  VOICE* v = voice_at(n);
  if (!v || !v->active) return;
  auto limit = [](int32_t g) { return g < 0 ? 0 : g > VX_MIX_MAX_GAIN ? VX_MIX_MAX_GAIN : g; };
  left = limit(left);
  right = limit(right);
  v->step = step;
  if (v->fading || (left == v->target_l && right == v->target_r)) return;
  v->target_l = left;
  v->target_r = right;
  if (mix.ramp && mix.ramp_frames > 1) start_ramp(v);
  else end_ramp(v);
}

int vx_mix_playing(int n) {
  const VOICE* v = voice_at(n);
  return v && v->active;
}

void vx_mix_sums(int32_t* sums, int frames) {
  std::memset(sums, 0, sizeof(int32_t) * 2 * size_t(frames));
  if (!mix.started) return;
  const int q = quality();
  for (int i = 0; i < mix.count; i++) {
    VOICE* v = &mix.voices[i];
    if (!v->active) continue;
    mix_voice(v, sums, frames, q, i != mix.last_voice);
    mix.last_voice = i;
  }
}

void vx_mix_render(void* out, size_t frames) {
  size_t done = 0;
  while (done < frames) {
    int n = frames - done < size_t(mix.block) ? int(frames - done) : mix.block;
    vx_mix_sums(mix.sums, n);
    output(out, done, mix.sums, n);
    done += size_t(n);
  }
}
