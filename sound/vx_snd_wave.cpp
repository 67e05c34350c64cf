// Sound effects: WAV files read through the file layer, each uploaded into a static buffer of its own, and the effect table through which the effects volume reaches them.
#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "sound/vx_snd.h"
#include "sound/vx_snd_internal.h"

namespace {

constexpr uint16_t kFormatPcm = 1;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Reads exactly `n` bytes; a short read leaves the rest zero, which no
// chunk id or format tag matches.
void read_bytes(VX_IO_FILE* f, uint8_t* out, size_t n) {
  std::memset(out, 0, n);
  vx_io_fread(out, 1, n, f);
}

// Bytes from the current position to the end of the file.
long bytes_left(VX_IO_FILE* f) {
  const long here = vx_io_ftell(f);
  if (here < 0 || vx_io_fseek(f, 0, SEEK_END) != 0) return 0;
  const long end = vx_io_ftell(f);
  vx_io_fseek(f, here, SEEK_SET);
  return end > here ? end - here : 0;
}

int wave_fail(VX_IO_FILE* f, int code, const char* name) {
  if (f) vx_io_fclose(f);
  return vx_snd_fail_file(code, name);
}

char* copy_name(const char* name) {
  const size_t n = std::strlen(name) + 1;
  char* copy = static_cast<char*>(vx_mem_alloc_named(n, "Sound effect name"));
  if (copy) std::memcpy(copy, name, n);
  return copy;
}

// Frees what the record owns and the record itself.
void free_record(VX_SOUND* sound) {
  if (sound->data) vx_mem_free(sound->data);
  if (sound->name) vx_mem_free(sound->name);
  if (sound->file) vx_io_fclose(sound->file);
  vx_mem_free(sound);
}

int slot_of(const VX_SOUND* sound) {
  const VX_SND_STATE& s = vx_snd_st;
  for (int i = 0; i < s.effect_capacity; i++)
    if (s.effects[i] == sound) return i;
  return -1;
}

// The buffer volume of an effect whose own volume is `own`.
int32_t buffer_volume(int own) {
  const VX_SND_STATE& s = vx_snd_st;
  return s.effects_on ? vx_snd_volume_db(s.effects_volume * own / 100) : -10000;
}

// Both arrays grow by ten zeroed entries. A failure keeps the old ones.
void grow_table() {
  VX_SND_STATE& s = vx_snd_st;
  const int cap = s.effect_capacity + VX_SND_TABLE_STEP;
  auto* effects = static_cast<VX_SOUND**>(vx_mem_realloc(s.effects, cap * sizeof(VX_SOUND*)));
  if (!effects) {
    vx_dsp_error_box("Sound effect buffer reallocation error", "Sound Effects Disabled", PLAT_MB_OK);
    return;
  }
  s.effects = effects;
  std::memset(s.effects + s.effect_capacity, 0, VX_SND_TABLE_STEP * sizeof(VX_SOUND*));
  auto* volumes = static_cast<int*>(vx_mem_realloc(s.effect_volumes, cap * sizeof(int)));
  if (!volumes) {
    vx_dsp_error_box("Sound effect volume buffer reallocation error", "Sound Effects Disabled", PLAT_MB_OK);
    return;
  }
  s.effect_volumes = volumes;
  std::memset(s.effect_volumes + s.effect_capacity, 0, VX_SND_TABLE_STEP * sizeof(int));
  s.effect_capacity = cap;
}

// Puts a loaded effect in the first free slot with volume 100.
void table_add(VX_SOUND* sound) {
  VX_SND_STATE& s = vx_snd_st;
  const int slot = slot_of(nullptr);
  if (slot < 0) return;  // a growth failed before: the effect plays, outside the table
  s.effects[slot] = sound;
  s.effect_volumes[slot] = 100;
  if (++s.effect_count == s.effect_capacity) grow_table();
}

// Copies the samples into the buffer: lock the whole (once more after
// restoring lost memory), copy the one or two parts, unlock.
int upload(VX_SOUND* sound) {
  void *p1 = nullptr, *p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  int r = plat_audio_buffer_lock(sound->buffer, 0, sound->data_size, &p1, &n1, &p2, &n2);
  if (r == PLAT_AUDIO_LOST) {
    plat_audio_buffer_restore(sound->buffer);
    r = plat_audio_buffer_lock(sound->buffer, 0, sound->data_size, &p1, &n1, &p2, &n2);
  }
  if (r != 1) return vx_snd_fail(VX_SND_LOCK);
  std::memcpy(p1, sound->data, n1);
  if (p2 && n2) std::memcpy(p2, sound->data + n1, n2);
  if (!plat_audio_buffer_unlock(sound->buffer, p1, n1, p2, n2)) return vx_snd_fail(VX_SND_UNLOCK);
  return 1;
}

// A format the device takes: PCM whose block is one sample per channel.
bool format_fits(const VX_WAVE_FORMAT& w) {
  return w.channels >= 1 && w.block_align == w.channels * (w.bits_per_sample / 8) && w.bits_per_sample % 8 == 0;
}

}  // namespace

// ---------------------------------------------------------------- reading

int vx_snd_wave_read(VX_SOUND* sound) {
  const char* name = sound->name;
  VX_IO_FILE* f = vx_io_fopen(name, "rb");
  if (!f) return wave_fail(nullptr, VX_SND_OPEN_WAVE, name);
  // "RIFF", its size, "WAVE", and the first sub-chunk's id and size.
  uint8_t head[20];
  read_bytes(f, head, sizeof head);
  if (std::memcmp(head, "RIFF", 4) != 0) return wave_fail(f, VX_SND_NOT_RIFF, name);
  if (std::memcmp(head + 8, "WAVE", 4) != 0 || std::memcmp(head + 12, "fmt ", 4) != 0)
    return wave_fail(f, VX_SND_NOT_WAVE, name);
  // The next chunk begins right after the format chunk, whatever its size.
  const long next = static_cast<long>(sizeof head) + static_cast<long>(le32(head + 16));
  uint8_t fmt[16];
  read_bytes(f, fmt, sizeof fmt);
  VX_WAVE_FORMAT& w = sound->format;
  w = {le16(fmt), le16(fmt + 2), le32(fmt + 4), le32(fmt + 8), le16(fmt + 12), le16(fmt + 14), 0};
  if (w.format_tag != kFormatPcm) return wave_fail(f, VX_SND_NOT_PCM, name);
  uint8_t chunk[8] = {};
  if (vx_io_fseek(f, next, SEEK_SET) == 0) read_bytes(f, chunk, sizeof chunk);
  if (std::memcmp(chunk, "data", 4) != 0) return wave_fail(f, VX_SND_BAD_DATA_CHUNK, name);
  // A size past the end of the file (a writer that never came back to fill
  // it in, or a cut file) takes what is there.
  const long left = bytes_left(f);
  uint32_t size = le32(chunk + 4);
  if (static_cast<long long>(size) > left) size = static_cast<uint32_t>(left);
  sound->data = static_cast<uint8_t*>(vx_mem_alloc_named(size ? size : 1, "Sound effect samples"));
  if (!sound->data) return wave_fail(f, VX_SND_OPEN_WAVE, name);
  sound->data_size = static_cast<uint32_t>(vx_io_fread(sound->data, 1, size, f));
  vx_io_fclose(f);
  return 1;
}

// ---------------------------------------------------------------- effects

VX_SOUND* vx_snd_load(const char* file_name) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised || !file_name) return nullptr;
  auto* sound = static_cast<VX_SOUND*>(vx_mem_alloc_named(sizeof(VX_SOUND), "VX_SOUND"));
  if (!sound || s.effects_failed) {
    if (sound) vx_mem_free(sound);
    vx_snd_fail(VX_SND_ALLOC_SOUND);
    return nullptr;
  }
  std::memset(sound, 0, sizeof *sound);
  sound->name = copy_name(file_name);
  if (!sound->name || !vx_snd_wave_read(sound)) {
    free_record(sound);
    vx_snd_fail(VX_SND_LOAD_WAVE);
    return nullptr;
  }
  const VX_WAVE_FORMAT& w = sound->format;
  sound->desc = {PLAT_AUDIO_STATIC | PLAT_AUDIO_CTRL_PAN | PLAT_AUDIO_CTRL_VOLUME, sound->data_size,
                 {static_cast<int>(w.sample_rate), w.bits_per_sample, w.channels}};
  if (!s.device_open) {
    free_record(sound);
    vx_snd_fail(VX_SND_NO_DEVICE);
    return nullptr;
  }
  if (format_fits(w)) sound->buffer = plat_audio_buffer_create(&sound->desc);
  if (!sound->buffer) {
    free_record(sound);
    vx_snd_fail(VX_SND_CREATE_BUFFER);
    return nullptr;
  }
  if (!upload(sound)) {
    plat_audio_buffer_release(sound->buffer);
    free_record(sound);
    return nullptr;
  }
  vx_mem_free(sound->data);
  sound->data = nullptr;
  plat_audio_buffer_set_volume(sound->buffer, buffer_volume(100));
  table_add(sound);
  return sound;
}

int vx_snd_play(VX_SOUND* sound, int loop) {
  if (!vx_snd_st.initialised) return 0;
  if (!sound) return vx_snd_fail(VX_SND_NULL_SOUND);
  if (!sound->buffer) return vx_snd_fail(VX_SND_NO_BUFFER);
  uint32_t status = 0;
  if (!plat_audio_buffer_status(sound->buffer, &status)) return vx_snd_fail(VX_SND_STATUS);
  // From the start, also when it still sounds.
  if (!plat_audio_buffer_set_position(sound->buffer, 0)) return vx_snd_fail(VX_SND_SET_POSITION);
  if (!plat_audio_buffer_play(sound->buffer, loop)) return vx_snd_fail(VX_SND_PLAY);
  return 1;
}

int vx_snd_stop(VX_SOUND* sound) {
  if (!vx_snd_st.initialised) return 0;
  if (!sound) return vx_snd_fail(VX_SND_NULL_SOUND);
  if (!sound->buffer) return vx_snd_fail(VX_SND_NO_BUFFER);
  if (!plat_audio_buffer_stop(sound->buffer)) return vx_snd_fail(VX_SND_STOP);
  return 1;
}

int vx_snd_is_playing(VX_SOUND* sound) {
  if (!vx_snd_st.initialised) return 0;
  if (!sound) return vx_snd_fail(VX_SND_NULL_SOUND);
  if (!sound->buffer) return vx_snd_fail(VX_SND_NO_BUFFER);
  uint32_t status = 0;
  if (!plat_audio_buffer_status(sound->buffer, &status)) return vx_snd_fail(VX_SND_STATUS);
  return static_cast<int>(status & (PLAT_AUDIO_PLAYING | PLAT_AUDIO_LOOPING));
}

int vx_snd_volume_set(VX_SOUND* sound, int volume) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised) return 0;
  if (!sound) return vx_snd_fail(VX_SND_NULL_SOUND);
  if (!sound->buffer) return vx_snd_fail(VX_SND_NO_BUFFER);
  volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
  const int slot = slot_of(sound);
  if (slot >= 0) s.effect_volumes[slot] = volume;
  if (!plat_audio_buffer_set_volume(sound->buffer, buffer_volume(volume))) return vx_snd_fail(VX_SND_SET_VOLUME);
  return 1;
}

int vx_snd_pan_set(VX_SOUND* sound, int pan) {
  if (!vx_snd_st.initialised) return 0;
  if (!sound) return vx_snd_fail(VX_SND_NULL_SOUND);
  if (!sound->buffer) return vx_snd_fail(VX_SND_NO_BUFFER);
  if (!plat_audio_buffer_set_pan(sound->buffer, vx_snd_pan_db(pan))) return vx_snd_fail(VX_SND_SET_PAN);
  return 1;
}

int vx_snd_free(VX_SOUND* sound) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised) return 0;
  if (!sound) return vx_snd_fail(VX_SND_NULL_SOUND);
  uint32_t status = 0;
  if (sound->buffer && plat_audio_buffer_status(sound->buffer, &status) && status) plat_audio_buffer_stop(sound->buffer);
  PLAT_AUDIO_BUFFER* buffer = sound->buffer;
  const int slot = slot_of(sound);
  if (slot >= 0) {
    s.effects[slot] = nullptr;
    s.effect_volumes[slot] = 0;
    s.effect_count--;
  }
  free_record(sound);
  if (!buffer) return vx_snd_fail(VX_SND_NO_BUFFER);
  if (!plat_audio_buffer_release(buffer)) return vx_snd_fail(VX_SND_RELEASE_BUFFER);
  return 1;
}

// ---------------------------------------------------------------- the table

void vx_snd_effects_apply() {
  const VX_SND_STATE& s = vx_snd_st;
  for (int i = 0; i < s.effect_capacity; i++) {
    VX_SOUND* sound = s.effects[i];
    if (sound && sound->buffer && !plat_audio_buffer_set_volume(sound->buffer, buffer_volume(s.effect_volumes[i])))
      vx_snd_fail(VX_SND_SET_VOLUME);
  }
}

void vx_snd_effects_table_free() {
  VX_SND_STATE& s = vx_snd_st;
  if (s.effects) vx_mem_free(s.effects);
  if (s.effect_volumes) vx_mem_free(s.effect_volumes);
  s.effects = nullptr;
  s.effect_volumes = nullptr;
  s.effect_capacity = s.effect_count = 0;
}
