// Inside the sound layer only: the manager's state record and the helpers that the manager, the effects and the music share.
#pragma once
#include <cstdint>
#include <mutex>

#include "core/vx_io.h"
#include "platform/plat_audio.h"
#include "sound/vx_snd.h"

struct VX_MOD_POOL;

// Error codes of module "Sound" (positions in its message table).
enum VX_SND_ERROR {
  VX_SND_CREATE_DEVICE = 0,
  VX_SND_COOPERATE = 1,
  VX_SND_RELEASE_DEVICE = 2,
  VX_SND_NULL_SOUND = 3,
  VX_SND_SET_POSITION = 4,
  VX_SND_PLAY = 5,
  VX_SND_STOP = 6,
  VX_SND_NO_BUFFER = 7,
  VX_SND_RELEASE_BUFFER = 8,
  VX_SND_SET_VOLUME = 9,
  VX_SND_ALLOC_SOUND = 10,
  VX_SND_LOAD_WAVE = 11,
  VX_SND_UNLOCK = 12,
  VX_SND_LOCK = 13,
  VX_SND_CREATE_BUFFER = 14,
  VX_SND_CREATE_STREAM = 15,
  VX_SND_NO_DEVICE = 16,
  VX_SND_STACK_OVERFLOW = 17,
  VX_SND_STACK_UNDERFLOW = 18,
  VX_SND_OPEN_WAVE = 19,
  VX_SND_NOT_RIFF = 20,
  VX_SND_NOT_WAVE = 21,
  VX_SND_NOT_PCM = 22,
  VX_SND_BAD_DATA_CHUNK = 23,
  VX_SND_STATUS = 24,
  VX_SND_NO_MP3_LIST = 25,
  VX_SND_EMPTY_MP3_LIST = 26,
  VX_SND_SET_PAN = 27,
};

// The "fmt " chunk of a WAV file as it is read.
struct VX_WAVE_FORMAT {
  uint16_t format_tag;  // 1: PCM, the only one taken
  uint16_t channels;
  uint32_t sample_rate;
  uint32_t avg_bytes_per_sec;
  uint16_t block_align;
  uint16_t bits_per_sample;
  uint16_t extra_size;  // 0
};

// One loaded effect: a whole WAV file in a static buffer of its own.
struct VX_SOUND {
  char* name;                   // copy of the file name (owned)
  VX_IO_FILE* file;             // open only while a file is streamed; null for effects
  PLAT_AUDIO_BUFFER_DESC desc;  // static, with volume and pan, of data_size bytes
  PLAT_AUDIO_BUFFER* buffer;
  VX_WAVE_FORMAT format;
  uint8_t* data;                // the samples while loading; freed once uploaded
  uint32_t data_size;           // bytes
};

// One entry of the music list.
constexpr uint32_t VX_MUSIC_FREE = 0;
constexpr uint32_t VX_MUSIC_MODULE = 1;  // handle: the loaded module
constexpr uint32_t VX_MUSIC_MP3 = 2;     // handle: the decoder's stream
struct VX_MUSIC_ENTRY {
  uint32_t kind;
  void* handle;
};

constexpr int VX_SND_TABLE_STEP = 10;  // effect table and music list: first size and growth
constexpr int VX_SND_SLICES = 10;      // the streaming buffer is refilled in tenths
constexpr uint32_t VX_SND_QUALITY_LOW = 0, VX_SND_QUALITY_MEDIUM = 4, VX_SND_QUALITY_HIGH = 8;

// The manager's state. Written by the manager (vx_snd.cpp) and the effects
// (vx_snd_wave.cpp) on the main thread; the music update on the timer
// thread reads the stream fields and `current_music`, and writes
// `next_slice` and `updating` under `mutex` (fields the two threads share
// are read and written through std::atomic_ref).
struct VX_SND_STATE {
  int initialised;
  int active;  // the program is the active application
  int has_params;
  VX_SOUND_PARAMS params;
  int module;  // the error module "Sound"
  int device_open;
  int bits, channels, rate;    // the output's format
  PLAT_AUDIO_BUFFER* stream;   // the looping streaming buffer of one second
  uint32_t stream_size;        // bytes
  uint8_t* output;             // "DAM output buffer", stream_size bytes
  uint32_t slice_size;         // stream_size / 10
  int next_slice;              // 0..9, the next slice to fill
  int music_on, effects_on;
  int music_volume, effects_volume;  // 0..100, kept while switched off
  int music_failed, effects_failed;  // could not start: their volumes read -1
  uint32_t quality;                  // 0, 4 or 8
  VX_SOUND** effects;                // effect table: loaded effects, null slots free
  int* effect_volumes;               // each effect's own volume 0..100
  int effect_capacity, effect_count;
  VX_MUSIC_ENTRY* music;             // the music list, indexed from 1 by callers
  int music_capacity;
  std::timed_mutex* mutex;           // keeps the music update and unloading apart
  int current_music;                 // list index of the piece that plays, 0 none
  int last_music;                    // index of the last play request, 0 none
  int updating;                      // 1 while the music update renders
  VX_MOD_POOL* pool;                 // the module player's sample pool; null once destroyed
};
extern VX_SND_STATE vx_snd_st;

// Raises `code` of module "Sound", shown in debug mode; 0. The file form
// names the file in the report's detail line.
int vx_snd_fail(int code);
int vx_snd_fail_file(int code, const char* name);

// An effective volume 0..100 in hundredths of a decibel: 100 gives 0, 0
// gives -10000, else 2000 x log10(v / 100) truncated toward zero.
int32_t vx_snd_volume_db(int volume);
// A pan -100..100 in hundredths of a decibel (negative: to the left).
int32_t vx_snd_pan_db(int pan);
// Every loaded effect's buffer volume again, from its own volume, the
// effects volume and the switch (off: -10000).
void vx_snd_effects_apply();
// Frees the effect table (not the effects in it).
void vx_snd_effects_table_free();

// Fills the record's format, data and data size from the WAV file named in
// it. 1, or 0 after error 19 to 23.
int vx_snd_wave_read(VX_SOUND* sound);

// Copies `length` bytes into the streaming buffer at `offset` (wrapping to
// its start). The offset after them, or `offset` itself when the buffer
// could not be written.
uint32_t vx_snd_stream_write(uint32_t offset, const void* data, uint32_t length);

// The music's part of the manager (vx_music.cpp). The module player and
// its pool, at start and at shutdown: 1 when they run; stopping shows "Not
// all memory was freed." when modules were left in the pool.
int vx_music_engine_start();
void vx_music_engine_stop();
// The current piece takes the music volume (modules v x 131072 / 100, MP3
// gain v / 100), or, a module only, the output mode with the quality.
void vx_music_volume_apply();
void vx_music_quality_apply();
