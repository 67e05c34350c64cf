// The software mixer: voices that step through signed 8-bit samples into 32-bit sums, and the output stage.
//
// A voice's position is a 48.16 value whose whole part names the current
// source sample; f, its low 16 bits, lies between the previous sample and
// the current one. The value of a voice at a frame (16.16, 8-bit range):
//   nearest   the previous sample below f = 32768, else the current one
//   linear    prev x 65536 + (cur - prev) x f
//   quadratic s1 x 65536 + (s1 - s0) x f + (((s0 - 2 s1 + s2) x f x f) >> 17)
//             s2 the current sample, s1 the previous, s0 the one before; when
//             the mixer turns to another voice than the one it mixed last (or
//             a note starts), s0 and s1 start equal to the current sample and
//             are then shifted along as the position moves on. Towards the
//             end of a step (f near 65536) the value nears s1 + (s2 - s0) / 2,
//             not s2: it meets the next sample only where s0 - 2 s1 + s2 is 0,
//             and bright samples gain a little high-frequency edge from it.
// The value times the voice's left and right gains, shifted right by 16, is
// added to the frame's 32-bit sums; the output stage shifts the sums right
// by VX_MIX_SUM_SHIFT into 16-bit samples, clamped.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int VX_MIX_SUM_SHIFT = 8;
constexpr int32_t VX_MIX_FULL_GAIN = 65536;  // a full-scale sample reaches 16-bit full scale
constexpr int32_t VX_MIX_MAX_GAIN = 1 << 18;

// The sample a voice plays. `data` must have two readable bytes in front of
// it (they are read as the samples before the first one).
struct VX_MIX_SOURCE {
  const int8_t* data;
  uint32_t length;
  uint32_t loop_start, loop_end;  // used when `loop` is 1 (loop_start < loop_end <= length)
  uint8_t loop;
};

// `voices` voices of which those from `first_spare` on carry fading notes;
// blocks of at most `block_frames`; `fade` and `ramp` as vx_mod_start. 1/0.
int vx_mix_start(int voices, int first_spare, int block_frames, int fade, int ramp);
void vx_mix_shutdown();
// Output rate (sets the ramp length, about 0.7 ms) and the output mode bits of vx_mod.h.
void vx_mix_format(uint32_t rate, uint32_t mode);

// Starts `source` on `voice` at sample `offset` (past the loop end a looping
// sample wraps into its loop; past the end a one-shot sample stays silent).
// The gains start at zero and glide to those of the next vx_mix_set when
// ramping is on. The sound the voice had fades out on a spare voice.
void vx_mix_play(int voice, const VX_MIX_SOURCE* source, uint32_t offset);
// Ends the voice's sound (fading when fading is on).
void vx_mix_stop(int voice);
// Every voice silent at once, no fades.
void vx_mix_silence();
// Step in source samples per output frame (16.16) and the gains
// (VX_MIX_FULL_GAIN full scale, 0..VX_MIX_MAX_GAIN).
void vx_mix_set(int voice, uint32_t step, int32_t left, int32_t right);
int vx_mix_playing(int voice);

// Mixes `frames` frames into `out` in the output mode, in blocks.
void vx_mix_render(void* out, size_t frames);
// Mixes `frames` (at most one block) into `sums` (left, right interleaved),
// without the output stage.
void vx_mix_sums(int32_t* sums, int frames);
