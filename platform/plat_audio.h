// The audio device: sound buffers mixed into one output stream, in the manner of a DirectSound device.
//
// The device is opened, its output (the primary buffer) created and given a
// format, then started; from then on every buffer that plays is mixed into
// it. Two kinds of buffer:
// - a static buffer holds one whole sound in its own format (8, 16, 24 or
//   32-bit integer PCM, one or two channels, any rate): it is written once
//   (lock, copy, unlock) and converted at that unlock to the output's sample
//   rate and 16-bit samples, so mixing never converts it again;
// - a streaming buffer holds samples in the output's own format and rate. It
//   plays looping and is written in slices behind its play cursor while it
//   plays; the writer must keep away from the part around the cursor.
// Volume and pan are in hundredths of a decibel: volume 0 is full and
// -10000 silent; pan below 0 attenuates the right channel by that much, above
// 0 the left one. Offsets and sizes are bytes in the buffer's own format.
//
// Mixing runs on the device's thread (SDL build) or when a test asks for
// output (null build); every function may be called from any thread.
#pragma once
#include <cstdint>

#include "platform/platform.h"

struct PLAT_AUDIO_FORMAT {
  int rate;      // frames per second
  int bits;      // bits per sample: 8 (unsigned), 16, 24 or 32 (signed)
  int channels;  // 1 or 2; two are interleaved left, right
};

// What the output can take; with neither bit it is 8-bit mono.
struct PLAT_AUDIO_CAPS {
  int bits16;  // 1: 16-bit samples
  int stereo;  // 1: two channels
};

// ---------------------------------------------------------------- the device
// Opens the default output device: 0 when there is none (on the SDL build
// the "dummy" driver counts as none).
int plat_audio_open();
// The window the device works for (the main window). 1 or 0.
int plat_audio_cooperate(PLAT_WINDOW* window);
int plat_audio_caps(PLAT_AUDIO_CAPS* caps);  // 1 or 0
// The output: created once, then its format set (8 or 16 bits, 1 or 2
// channels; 0 when the device refuses the format, which then stays as it
// was), then started. Set the format before making buffers.
int plat_audio_output_create();
int plat_audio_output_format(const PLAT_AUDIO_FORMAT* format);
int plat_audio_output_play();
// Stops the output, releases every buffer still there and closes the device.
void plat_audio_close();

// ---------------------------------------------------------------- buffers
struct PLAT_AUDIO_BUFFER;  // opaque; live from create to release

constexpr uint32_t PLAT_AUDIO_STATIC = 0x1;       // a whole sound, converted at unlock; else streaming
constexpr uint32_t PLAT_AUDIO_CTRL_VOLUME = 0x2;  // volume may be set
constexpr uint32_t PLAT_AUDIO_CTRL_PAN = 0x4;     // pan may be set

struct PLAT_AUDIO_BUFFER_DESC {
  uint32_t flags;            // PLAT_AUDIO_* bits
  uint32_t bytes;            // size, a whole number of frames of `format`
  PLAT_AUDIO_FORMAT format;  // streaming: the output's own format
};

// Status bits.
constexpr uint32_t PLAT_AUDIO_PLAYING = 0x1;
constexpr uint32_t PLAT_AUDIO_LOOPING = 0x4;

// Lock's answer when the buffer lost its memory: restore it, then lock again.
constexpr int PLAT_AUDIO_LOST = -1;

// A new buffer, silent, stopped at position 0, volume 0, pan 0; null when
// the output is not there or the description is refused (bad format, size
// 0 or not whole frames, over 256 MB before or after conversion, a
// streaming buffer not in the output's rate).
PLAT_AUDIO_BUFFER* plat_audio_buffer_create(const PLAT_AUDIO_BUFFER_DESC* desc);
int plat_audio_buffer_release(PLAT_AUDIO_BUFFER* buffer);  // 1 or 0 (stops it first)
// The `bytes` from `offset` (wrapping past the end) as one or two parts to
// write: 1, 0 on failure, or PLAT_AUDIO_LOST.
int plat_audio_buffer_lock(PLAT_AUDIO_BUFFER* buffer, uint32_t offset, uint32_t bytes, void** part1,
                           uint32_t* bytes1, void** part2, uint32_t* bytes2);
// Ends a lock with the parts it gave; a static buffer is converted here. 1 or 0.
int plat_audio_buffer_unlock(PLAT_AUDIO_BUFFER* buffer, void* part1, uint32_t bytes1, void* part2,
                             uint32_t bytes2);
int plat_audio_buffer_restore(PLAT_AUDIO_BUFFER* buffer);  // 1 or 0; the contents must be written again
// Plays from the current position, once or looping (`loop` non-zero); a
// buffer that plays goes on from where it is. A buffer played once stops
// at its end and goes back to position 0. 1 or 0.
int plat_audio_buffer_play(PLAT_AUDIO_BUFFER* buffer, int loop);
int plat_audio_buffer_stop(PLAT_AUDIO_BUFFER* buffer);  // keeps the position
int plat_audio_buffer_status(PLAT_AUDIO_BUFFER* buffer, uint32_t* status);
int plat_audio_buffer_set_position(PLAT_AUDIO_BUFFER* buffer, uint32_t offset);
// The play cursor: where the next samples mixed are taken from.
int plat_audio_buffer_position(PLAT_AUDIO_BUFFER* buffer, uint32_t* play);
int plat_audio_buffer_set_volume(PLAT_AUDIO_BUFFER* buffer, int32_t volume);  // -10000..0
int plat_audio_buffer_set_pan(PLAT_AUDIO_BUFFER* buffer, int32_t pan);        // -10000..10000
