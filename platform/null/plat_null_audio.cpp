// The null build's audio device: a notional output that tests configure, make fail and read back by mixing on demand.
#include <array>
#include <cstring>

#include "platform/null/plat_null_audio.h"
#include "platform/plat_audio_internal.h"

namespace {

struct NullAudio {
  int bits16, stereo;
  int min_rate, max_rate;
  std::array<int, PLAT_AUDIO_OP_COUNT> fail;
  int lose_next;
  int open, playing;
  PLAT_AUDIO_FORMAT format;
};

constexpr NullAudio kDefaults = {1, 1, 8000, 48000, {}, 0, 0, 0, {}};
NullAudio na = kDefaults;

}  // namespace

// ---------------------------------------------------------------- the backend

int plat_be_audio_open(PLAT_AUDIO_CAPS* caps) {
  caps->bits16 = na.bits16;
  caps->stereo = na.stereo;
  na.open = 1;
  na.playing = 0;
  return 1;
}

int plat_be_audio_format(const PLAT_AUDIO_FORMAT* format) {
  if (!na.open || format->rate < na.min_rate || format->rate > na.max_rate) return 0;
  na.format = *format;
  na.playing = 0;
  return 1;
}

int plat_be_audio_play() {
  na.playing = na.open;
  return na.open;
}

void plat_be_audio_close() {
  na.open = na.playing = 0;
  na.format = {};
}

int plat_be_audio_refuses(PLAT_AUDIO_OP op) { return op >= 0 && op < PLAT_AUDIO_OP_COUNT && na.fail[op]; }

int plat_be_audio_lose_lock() {
  const int lose = na.lose_next;
  na.lose_next = 0;
  return lose;
}

// ---------------------------------------------------------------- test controls

void plat_audio_null_reset() {
  plat_audio_close();
  na = kDefaults;
}

void plat_audio_null_caps(int bits16, int stereo) {
  na.bits16 = bits16;
  na.stereo = stereo;
}

void plat_audio_null_rates(int min_rate, int max_rate) {
  na.min_rate = min_rate;
  na.max_rate = max_rate;
}

void plat_audio_null_fail(PLAT_AUDIO_OP op, int fail) {
  if (op >= 0 && op < PLAT_AUDIO_OP_COUNT) na.fail[op] = fail;
}

void plat_audio_null_lose_next_lock() { na.lose_next = 1; }

int plat_audio_null_render(void* out, int frames) {
  if (!na.playing || frames <= 0) return 0;
  const uint32_t frame = static_cast<uint32_t>(na.format.bits / 8 * na.format.channels);
  plat_audio_mix(static_cast<uint8_t*>(out), frame * static_cast<uint32_t>(frames));
  return 1;
}

void plat_audio_null_format(int* rate, int* bits, int* channels) {
  if (rate) *rate = na.format.rate;
  if (bits) *bits = na.format.bits;
  if (channels) *channels = na.format.channels;
}

int plat_audio_null_buffers() { return plat_audio_buffer_count(); }
