// Music: the music list of S3M modules and MP3 streams, and the one current piece streamed through the manager's looping buffer in tenths.
#include "sound/vx_music.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "sound/vx_mod.h"
#include "sound/vx_mp3.h"
#include "sound/vx_snd_internal.h"

namespace {

// The refill waits this long for the mutex, then skips the tick.
constexpr auto kUpdateWait = std::chrono::milliseconds(5000);
// A restart polls the refill's flag at this interval before it renders.
constexpr uint32_t kRestartPollMs = 250;
constexpr int32_t kFullScale = 131072;  // the mixer's master volume at 100

// Fields the timer thread shares with the main thread.
int shared_read(const int& v) { return std::atomic_ref<int>(const_cast<int&>(v)).load(); }
void shared_write(int& v, int value) { std::atomic_ref<int>(v).store(value); }

// The sound mutex, when there is one; the lock is empty without it.
using MusicLock = std::unique_lock<std::timed_mutex>;
MusicLock lock_waiting() { return vx_snd_st.mutex ? MusicLock(*vx_snd_st.mutex) : MusicLock(); }

// The list entry of a 1-based index, or null outside the list.
VX_MUSIC_ENTRY* entry(int index) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.music || index < 1 || index > s.music_capacity) return nullptr;
  return &s.music[index - 1];
}
VX_MUSIC_ENTRY* loaded(int index) {
  VX_MUSIC_ENTRY* e = entry(index);
  return e && e->kind != VX_MUSIC_FREE ? e : nullptr;
}

void show(const char* format, const char* name) {
  char text[VX_IO_PATH_MAX + 64];
  std::snprintf(text, sizeof text, format, name);
  vx_dsp_error_box(text, nullptr, PLAT_MB_OK);
}

void music_flag(uint32_t value) {
  if (vx_snd_st.has_params && vx_snd_st.params.active_out) *vx_snd_st.params.active_out = value;
}

// The mixer's output mode for the stream's format and the quality.
uint16_t module_mode() {
  const VX_SND_STATE& s = vx_snd_st;
  return static_cast<uint16_t>((s.channels == 2 ? VX_MOD_STEREO : 0) | (s.bits == 16 ? VX_MOD_16BIT : 0) | s.quality);
}
uint32_t module_volume() { return static_cast<uint32_t>(vx_snd_st.music_volume * kFullScale / 100); }

// Slice k starts here: a tenth of the buffer, on a whole frame, so that the
// bytes of a slice are whole samples whatever the rate; slice 10 is the end.
uint32_t slice_start(int k) {
  const VX_SND_STATE& s = vx_snd_st;
  const uint32_t frame = static_cast<uint32_t>(s.bits / 8 * s.channels);
  if (k >= VX_SND_SLICES) return s.stream_size;
  return static_cast<uint32_t>(uint64_t{s.stream_size} * static_cast<uint32_t>(k) / VX_SND_SLICES / frame * frame);
}
int slice_of(uint32_t position) {
  int k = VX_SND_SLICES - 1;
  while (k > 0 && position < slice_start(k)) k--;
  return k;
}

void fill_silence(uint32_t offset, uint32_t bytes) {
  std::memset(vx_snd_st.output + offset, vx_snd_st.bits == 8 ? 128 : 0, bytes);
}

// Renders or decodes `bytes` of the piece into the output buffer at `offset`.
int produce(const VX_MUSIC_ENTRY& e, uint32_t offset, uint32_t bytes) {
  uint8_t* at = vx_snd_st.output + offset;
  if (e.kind == VX_MUSIC_MODULE) return vx_mod_render(at, bytes);
  return vx_mp3_decode(static_cast<VX_MP3*>(e.handle), at, static_cast<long>(bytes));
}

// The whole output buffer into the stream, which plays it from the start, looping.
void stream_restart() {
  VX_SND_STATE& s = vx_snd_st;
  plat_audio_buffer_stop(s.stream);
  vx_snd_stream_write(0, s.output, s.stream_size);
  shared_write(s.next_slice, 0);
  plat_audio_buffer_set_position(s.stream, 0);
  plat_audio_buffer_play(s.stream, 1);
}

// The whole file in a block of the sample pool; null when it cannot be read.
uint8_t* read_image(const char* name, size_t* size) {
  VX_IO_FILE* f = vx_io_fopen(name, "rb");
  if (!f) return nullptr;
  uint8_t* image = nullptr;
  const long n = vx_io_fseek(f, 0, SEEK_END) == 0 ? vx_io_ftell(f) : -1;
  if (n > 0 && vx_io_fseek(f, 0, SEEK_SET) == 0)
    image = static_cast<uint8_t*>(vx_mod_pool_alloc(vx_snd_st.pool, static_cast<size_t>(n), "Music file image"));
  if (image && vx_io_fread(image, 1, static_cast<size_t>(n), f) != static_cast<size_t>(n)) {
    vx_mod_pool_free(vx_snd_st.pool, image);
    image = nullptr;
  }
  vx_io_fclose(f);
  *size = image ? static_cast<size_t>(n) : 0;
  return image;
}

VX_MODULE* load_module(const char* name) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.pool) return nullptr;
  size_t size = 0;
  uint8_t* image = read_image(name, &size);
  VX_MODULE* module = image ? vx_mod_load(image, size, VX_MOD_LOAD_PANS, s.pool) : nullptr;
  vx_mod_pool_free(s.pool, image);
  // A module that plays keeps the player; the new one is selected when it plays.
  if (module && !shared_read(s.current_music)) vx_mod_select(module);
  return module;
}

void free_piece(const VX_MUSIC_ENTRY& e) {
  VX_SND_STATE& s = vx_snd_st;
  // Once the pool is gone, the module's blocks went with it.
  if (e.kind == VX_MUSIC_MODULE && s.pool) vx_mod_free(static_cast<VX_MODULE*>(e.handle), s.pool);
  if (e.kind == VX_MUSIC_MP3) vx_mp3_close(static_cast<VX_MP3*>(e.handle));
}

// Ten more zeroed entries. Under the mutex: the refill reads the list.
void grow_list() {
  VX_SND_STATE& s = vx_snd_st;
  VX_MUSIC_ENTRY* bigger = nullptr;
  {
    MusicLock lock = lock_waiting();
    const int capacity = s.music_capacity + VX_SND_TABLE_STEP;
    bigger = static_cast<VX_MUSIC_ENTRY*>(vx_mem_realloc(s.music, capacity * sizeof(VX_MUSIC_ENTRY)));
    if (bigger) {
      std::memset(bigger + s.music_capacity, 0, VX_SND_TABLE_STEP * sizeof(VX_MUSIC_ENTRY));
      s.music = bigger;
      s.music_capacity = capacity;
    }
  }
  if (!bigger) vx_dsp_error_box("Modules buffer reallocation error", "Music Disabled", PLAT_MB_OK);
}

// Puts a piece in the first free entry; its index, or 0 when the list is
// full (a growth failed before).
int list_add(uint32_t kind, void* handle) {
  VX_SND_STATE& s = vx_snd_st;
  for (int i = 0; i < s.music_capacity; i++) {
    if (s.music[i].kind != VX_MUSIC_FREE) continue;
    s.music[i] = {kind, handle};
    if (i == s.music_capacity - 1) grow_list();
    return i + 1;
  }
  return 0;
}

}  // namespace

// ---------------------------------------------------------------- engine

int vx_music_engine_start() {
  VX_SND_STATE& s = vx_snd_st;
  if (!vx_mod_start(128, 1, 1, 0, 0, 8, 360)) return 0;
  s.pool = vx_mod_pool_create();
  if (!s.pool) {
    vx_mod_shutdown();
    return 0;
  }
  vx_mod_reset();
  return 1;
}

void vx_music_engine_stop() {
  VX_SND_STATE& s = vx_snd_st;
  vx_mod_shutdown();
  if (s.pool && !vx_mod_pool_destroy(s.pool)) vx_dsp_error_box("Not all memory was freed.", "ERROR", PLAT_MB_OK);
  s.pool = nullptr;
}

void vx_music_volume_apply() {
  const VX_SND_STATE& s = vx_snd_st;
  const VX_MUSIC_ENTRY* e = loaded(shared_read(s.current_music));
  if (!s.music_on || !e) return;
  if (e->kind == VX_MUSIC_MODULE)
    vx_mod_set(module_volume(), VX_MOD_KEEP32, VX_MOD_KEEP16, VX_MOD_KEEP8, VX_MOD_KEEP8, VX_MOD_KEEP16, VX_MOD_KEEP16,
               VX_MOD_KEEP8);
  else
    vx_mp3_gain(static_cast<VX_MP3*>(e->handle), s.music_volume);
}

void vx_music_quality_apply() {
  const VX_SND_STATE& s = vx_snd_st;
  const VX_MUSIC_ENTRY* e = loaded(shared_read(s.current_music));
  if (!s.music_on || !e || e->kind != VX_MUSIC_MODULE) return;
  vx_mod_set(VX_MOD_KEEP32, VX_MOD_KEEP32, module_mode(), VX_MOD_KEEP8, VX_MOD_KEEP8, VX_MOD_KEEP16, VX_MOD_KEEP16,
             VX_MOD_KEEP8);
}

// ---------------------------------------------------------------- pieces

int vx_music_load(const char* file_name) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised || !s.music || !s.output || !file_name) return 0;
  if (!vx_io_exists(file_name, VX_IO_THROUGH_OPEN)) {
    show("File not found %s", file_name);
    return 0;
  }
  char upper[VX_IO_PATH_MAX];
  std::snprintf(upper, sizeof upper, "%s", file_name);
  for (char* c = upper; *c; c++) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
  uint32_t kind = VX_MUSIC_FREE;
  void* handle = nullptr;
  if (std::strstr(upper, ".S3M")) {
    kind = VX_MUSIC_MODULE;
    handle = load_module(file_name);
  } else if (std::strstr(upper, ".MP3")) {
    kind = VX_MUSIC_MP3;
    const VX_MP3_FORMAT format = {s.bits, s.channels, s.rate};
    handle = vx_mp3_open(file_name, VX_MP3_IN_MEMORY | VX_MP3_LOOP, &format);
  } else {
    return 0;
  }
  if (!handle) {
    show("Could not load %s", file_name);
    return 0;
  }
  const int index = list_add(kind, handle);
  if (!index) free_piece({kind, handle});
  return index;
}

int vx_music_play(int index) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised) return 0;
  s.last_music = index;
  const VX_MUSIC_ENTRY* e = loaded(index);
  if (!s.music_on || !e || shared_read(s.current_music) || !s.stream) return 0;
  if (e->kind == VX_MUSIC_MODULE) {
    vx_mod_select(static_cast<VX_MODULE*>(e->handle));
    vx_mod_reset();
    vx_mod_set(module_volume(), static_cast<uint32_t>(s.rate), module_mode(), VX_MOD_RUNNING, VX_MOD_END_LOOP, 0, 256,
               128);
  } else {
    vx_mp3_gain(static_cast<VX_MP3*>(e->handle), s.music_volume);
  }
  produce(*e, 0, s.stream_size);
  stream_restart();
  shared_write(s.current_music, index);
  music_flag(static_cast<uint32_t>(s.active));
  return 1;
}

int vx_music_stop(int index) {
  VX_SND_STATE& s = vx_snd_st;
  const int current = shared_read(s.current_music);
  if (!s.initialised || !index || !current || !s.stream) return 0;
  const VX_MUSIC_ENTRY* e = loaded(current);
  shared_write(s.current_music, 0);
  music_flag(0);
  // The buffer keeps running, with silence: the next piece starts without
  // the device starting again.
  fill_silence(0, s.stream_size);
  stream_restart();
  if (e && e->kind == VX_MUSIC_MODULE) vx_mod_stop();
  return 1;
}

int vx_music_unload(int index) {
  VX_SND_STATE& s = vx_snd_st;
  if (!loaded(index)) return 0;
  MusicLock lock = lock_waiting();
  if (shared_read(s.current_music) == index) {
    vx_music_stop(index);
    shared_write(s.current_music, 0);
  }
  VX_MUSIC_ENTRY* e = entry(index);
  free_piece(*e);
  *e = {VX_MUSIC_FREE, nullptr};
  if (s.last_music == index) s.last_music = 0;
  return 1;
}

int vx_music_update(int index) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised || !shared_read(s.current_music) || index < 1) return 0;
  MusicLock lock;
  if (s.mutex) {
    lock = MusicLock(*s.mutex, std::defer_lock);
    if (!lock.try_lock_for(kUpdateWait)) return 0;
  }
  // Stopped or unloaded while this waited: nothing to fill.
  const VX_MUSIC_ENTRY* e = loaded(shared_read(s.current_music));
  if (!e || index > s.music_capacity) return 0;
  shared_write(s.updating, 1);
  int result = 1;
  uint32_t position = 0;
  if (plat_audio_buffer_position(s.stream, &position)) {
    const int played = slice_of(position);
    const int next = shared_read(s.next_slice);
    if (played != next) {
      // Up to the slice that plays; past a wrap, to the end of the buffer
      // only (the slices from the start follow on a later tick).
      const int count = played > next ? played - next : VX_SND_SLICES - next;
      const uint32_t offset = slice_start(next);
      const uint32_t bytes = slice_start(next + count) - offset;
      result = produce(*e, offset, bytes);
      vx_snd_stream_write(offset, s.output + offset, bytes);
      shared_write(s.next_slice, next + count >= VX_SND_SLICES ? 0 : next + count);
    }
  }
  shared_write(s.updating, 0);
  return result;
}

int vx_music_restart(int index, int silent) {
  VX_SND_STATE& s = vx_snd_st;
  const VX_MUSIC_ENTRY* e = loaded(index);
  if (!s.initialised || !e || !s.stream) return 0;
  if (e->kind == VX_MUSIC_MODULE)
    vx_mod_set(VX_MOD_KEEP32, VX_MOD_KEEP32, VX_MOD_KEEP16, silent ? VX_MOD_SILENT : VX_MOD_RUNNING, VX_MOD_KEEP8,
               VX_MOD_KEEP16, VX_MOD_KEEP16, VX_MOD_KEEP8);
  plat_audio_buffer_stop(s.stream);
  if (silent) {
    fill_silence(0, s.stream_size);
  } else {
    // A refill that is under way renders into the same buffer.
    while (shared_read(s.updating)) plat_sleep(kRestartPollMs);
    produce(*e, 0, s.stream_size);
  }
  stream_restart();
  return 1;
}
