// Inside the platform layer only: what the audio backends (sdl/, null/) supply to the shared buffers and mixer, and what they call there.
#pragma once
#include <cstdint>

#include "platform/null/plat_null_audio.h"
#include "platform/plat_audio.h"

// ---- the backend
// Opens the device and reads what its output can take. 1 or 0.
int plat_be_audio_open(PLAT_AUDIO_CAPS* caps);
// The output takes `format` from now on, mixing stopped until the next
// plat_be_audio_play. 1, or 0 with the format as it was.
int plat_be_audio_format(const PLAT_AUDIO_FORMAT* format);
// Mixing starts (again): plat_audio_mix is called for every piece of output.
int plat_be_audio_play();
// Closes the device; no plat_audio_mix runs any more once it returns.
void plat_be_audio_close();
// 1 when the operation is to fail (a test's request on the null build).
int plat_be_audio_refuses(PLAT_AUDIO_OP op);
// The null build's lost memory: 1 once after a test asked for it.
int plat_be_audio_lose_lock();

// ---- plat_audio.cpp
// Fills `bytes` bytes of output in the output's format with every playing buffer.
void plat_audio_mix(uint8_t* out, uint32_t bytes);
// Buffers alive.
int plat_audio_buffer_count();
