// Test controls of the null build's audio device: what it offers, which operation fails, and its mixed output on demand.
#pragma once
#include <cstdint>

// Operations a test can make fail.
enum PLAT_AUDIO_OP {
  PLAT_AUDIO_OP_OPEN,       // no device
  PLAT_AUDIO_OP_COOPERATE,
  PLAT_AUDIO_OP_CAPS,
  PLAT_AUDIO_OP_OUTPUT,     // creating the output
  PLAT_AUDIO_OP_STATIC,     // creating a static buffer
  PLAT_AUDIO_OP_STREAM,     // creating a streaming buffer
  PLAT_AUDIO_OP_LOCK,
  PLAT_AUDIO_OP_UNLOCK,
  PLAT_AUDIO_OP_PLAY,
  PLAT_AUDIO_OP_STOP,
  PLAT_AUDIO_OP_STATUS,
  PLAT_AUDIO_OP_POSITION,   // setting the position
  PLAT_AUDIO_OP_VOLUME,
  PLAT_AUDIO_OP_PAN,
  PLAT_AUDIO_OP_RELEASE,
  PLAT_AUDIO_OP_COUNT
};

// Back to the defaults: a device that is there, 16-bit stereo, output rates
// from 8000 to 48000 Hz taken, nothing failing, nothing lost.
void plat_audio_null_reset();
void plat_audio_null_caps(int bits16, int stereo);
// The output formats taken: rates from `min_rate` to `max_rate`.
void plat_audio_null_rates(int min_rate, int max_rate);
void plat_audio_null_fail(PLAT_AUDIO_OP op, int fail);
// The next lock of any buffer answers PLAT_AUDIO_LOST (once).
void plat_audio_null_lose_next_lock();
// Mixes `frames` frames of output into `out` (in the output's format). 0
// and `out` untouched while the output does not play.
int plat_audio_null_render(void* out, int frames);
// The output's format as last set (zeros before).
void plat_audio_null_format(int* rate, int* bits, int* channels);
// Buffers alive now.
int plat_audio_null_buffers();
