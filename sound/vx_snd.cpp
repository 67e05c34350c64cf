// The sound manager: the audio device's start and stop, the one streaming buffer, the Sound settings, volumes, quality, the Sound menu, F2/F3 and activation.
#include "sound/vx_snd.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

#include "core/vx_error.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_dsp_menu.h"
#include "sound/vx_music.h"
#include "sound/vx_snd_internal.h"

VX_SND_STATE vx_snd_st = {};

namespace {

const char* const kErrorTable[] = {
    "Could not create DirectSound Object",
    "Could not set cooperate level",
    "Could not release DirectSound Object",
    "Null sound",
    "Unable to set current position",
    "Play error",
    "Stop error",
    "No sound buffer",
    "Could not release sound buffer",
    "Could not set volume",
    "Unable to allocate sound",
    "Unable to load wave",
    "Could not unlock sound buffer",
    "Sound not lock sound buffer",
    "Could not create secondary buffer",
    "Could not create stream buffer",
    "Null pointer to DirectSoundObj",
    "Sound stack overflow",
    "Sound stack underflow",
    "Could not open wave file",
    "This file is not in RIFF format",
    "This file is not on WAVE format",
    "This file is not in MicroSoft PCM format",
    "This file contains an invalid data chunk",
    "Could not get channel status",
    "MP3 List file doesn't exists",
    "No MP3 files in the MP3 list file",
    "Could not set pan",
};
static_assert(sizeof kErrorTable / sizeof kErrorTable[0] == VX_SND_SET_PAN + 1);

constexpr const char* kSection = "Sound";
constexpr int kRates[] = {44100, 22050, 11025};  // tried in this order; the highest taken wins

int shared_read(const int& v) { return std::atomic_ref<int>(const_cast<int&>(v)).load(); }
void shared_write(int& v, int value) { std::atomic_ref<int>(v).store(value); }

void box(const char* text, const char* caption) { vx_dsp_error_box(text, caption, PLAT_MB_OK); }

// Mirrors of the state in the game's variables.
void mirror_music_volume(int v) {
  if (vx_snd_st.has_params && vx_snd_st.params.music_volume) *vx_snd_st.params.music_volume = v;
}
void mirror_effects_volume(int v) {
  if (vx_snd_st.has_params && vx_snd_st.params.effects_volume) *vx_snd_st.params.effects_volume = v;
}
void mirror_switches() {
  const VX_SOUND_PARAMS& p = vx_snd_st.params;
  if (!vx_snd_st.has_params) return;
  if (p.music_on) *p.music_on = static_cast<uint32_t>(vx_snd_st.music_on);
  if (p.effects_on) *p.effects_on = static_cast<uint32_t>(vx_snd_st.effects_on);
}
void mirror_active() {
  if (vx_snd_st.has_params && vx_snd_st.params.active_out)
    *vx_snd_st.params.active_out = static_cast<uint32_t>(vx_snd_st.active);
}

// The settings file's path, or null while there is none.
const char* settings_file() {
  if (!vx_io_running()) return nullptr;
  const char* path = vx_io_settings_path();
  return path && path[0] ? path : nullptr;
}

// An integer key of section Sound; `fallback` when the key or the file is missing.
int read_key(const char* file, const char* key, int fallback) {
  if (!file) return fallback;
  char value[32];
  vx_io_ini_get_string(kSection, key, value, sizeof value - 1, file);
  if (vx_io_get_status(1)) return fallback;
  return std::atoi(value);
}

int clamp_volume(int v) { return std::clamp(v, 0, 100); }

// Start failures that leave the program without sound: both volumes read
// -1, the device goes, and the Sound popup stays greyed.
int start_failed(const char* text) {
  if (text) box(text, "Terminating");
  VX_SND_STATE& s = vx_snd_st;
  if (s.stream) plat_audio_buffer_release(s.stream);
  s.stream = nullptr;
  if (s.device_open) plat_audio_close();
  s.device_open = 0;
  s.music_failed = s.effects_failed = 1;
  mirror_music_volume(-1);
  mirror_effects_volume(-1);
  return 0;
}

// The streaming buffer: one second of output, with volume and pan control.
int stream_create() {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.device_open) return start_failed("m_pDirectSoundObj is NULL in create_buffer()");
  s.stream_size = static_cast<uint32_t>(s.bits / 8 * s.channels * s.rate);
  const PLAT_AUDIO_BUFFER_DESC desc = {PLAT_AUDIO_CTRL_VOLUME | PLAT_AUDIO_CTRL_PAN, s.stream_size,
                                       {s.rate, s.bits, s.channels}};
  s.stream = plat_audio_buffer_create(&desc);
  if (!s.stream) return start_failed("CreateSoundBuffer failed");
  return 1;
}

// The device, its output in the best format it takes, the streaming buffer.
int start_device() {
  VX_SND_STATE& s = vx_snd_st;
  if (!plat_audio_open()) return start_failed(nullptr);  // no device: silent, without a box
  s.device_open = 1;
  if (!plat_audio_cooperate(plat_window_main())) return start_failed("SetCooperativeLevel failed");
  PLAT_AUDIO_CAPS caps;
  if (!plat_audio_caps(&caps)) return start_failed("Get Sound Device description failed");
  s.bits = caps.bits16 ? 16 : 8;
  s.channels = caps.stereo ? 2 : 1;
  if (!plat_audio_output_create()) return start_failed("CreatePrimarySoundBuffer failed");
  // The highest rate taken (100 Hz when none is: the stream then fails).
  int highest = 100;
  for (int rate : kRates) {
    const PLAT_AUDIO_FORMAT f = {rate, s.bits, s.channels};
    if (plat_audio_output_format(&f)) highest = std::max(highest, rate);
  }
  s.rate = highest;
  const PLAT_AUDIO_FORMAT out = {s.rate, s.bits, s.channels};
  plat_audio_output_format(&out);
  plat_audio_output_play();
  return stream_create();
}

// The tables of effects and music, and the mutex. Their failures disable
// one part only.
void start_tables() {
  VX_SND_STATE& s = vx_snd_st;
  s.effects = static_cast<VX_SOUND**>(vx_mem_alloc_named(VX_SND_TABLE_STEP * sizeof(VX_SOUND*), "Sound Effect Array"));
  s.effect_volumes = static_cast<int*>(vx_mem_alloc_named(VX_SND_TABLE_STEP * sizeof(int), "Sound Effect Volume Array"));
  if (!s.effects || !s.effect_volumes) {
    box(s.effects ? "Sound effect volume buffer allocation error" : "Sound effect buffer allocation error",
        "Sound Effects Disabled");
    vx_snd_effects_table_free();
    s.effects_failed = 1;
    mirror_effects_volume(-1);
  } else {
    std::memset(s.effects, 0, VX_SND_TABLE_STEP * sizeof(VX_SOUND*));
    std::memset(s.effect_volumes, 0, VX_SND_TABLE_STEP * sizeof(int));
    s.effect_capacity = VX_SND_TABLE_STEP;
  }
  s.music = static_cast<VX_MUSIC_ENTRY*>(vx_mem_alloc_named(VX_SND_TABLE_STEP * sizeof(VX_MUSIC_ENTRY), "Module Type Array"));
  if (!s.music) {
    box("Module list array allocation error", "Music Disabled");
    s.music_failed = 1;
    mirror_music_volume(-1);
  } else {
    std::memset(s.music, 0, VX_SND_TABLE_STEP * sizeof(VX_MUSIC_ENTRY));
    s.music_capacity = VX_SND_TABLE_STEP;
  }
  s.mutex = new (std::nothrow) std::timed_mutex;
  if (!s.mutex)
    box("Couldn't create sound semaphore\nThis could cause trouble when changing music", "Sound Effects Warning");
}

// Re-applies the effects volume after the program comes back, with the switch as it is.
void go_active() {
  VX_SND_STATE& s = vx_snd_st;
  s.active = 1;
  mirror_active();
  if (s.stream) plat_audio_buffer_play(s.stream, 1);
  vx_snd_effects_apply();
}

void go_inactive() {
  VX_SND_STATE& s = vx_snd_st;
  s.active = 0;
  mirror_active();
  if (s.stream) plat_audio_buffer_stop(s.stream);
}

}  // namespace

// ---------------------------------------------------------------- shared helpers

int vx_snd_fail(int code) {
  vx_error_raise(vx_snd_st.module, code, vx_snd_st.params.debug != 0);
  return 0;
}

int vx_snd_fail_file(int code, const char* name) {
  vx_error_raise(vx_snd_st.module, code, vx_snd_st.params.debug != 0, "%s", name ? name : "");
  return 0;
}

int32_t vx_snd_volume_db(int volume) {
  if (volume >= 100) return 0;
  if (volume <= 0) return -10000;
  const double db = 2000.0 * std::log10(volume / 100.0);
  return std::clamp(static_cast<int32_t>(db), -10000, 0);  // the cast truncates toward zero
}

int32_t vx_snd_pan_db(int pan) {
  if (pan <= -100) return -10000;
  if (pan >= 100) return 10000;
  if (pan == 0) return 0;
  if (pan < 0) return static_cast<int32_t>(2000.0 * std::log10((pan + 100) / 100.0));
  return std::min(static_cast<int32_t>(-2000.0 * std::log10((100 - pan) / 100.0)), 10000);
}

uint32_t vx_snd_stream_write(uint32_t offset, const void* data, uint32_t length) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.stream || !data || length == 0) return offset;
  void *p1 = nullptr, *p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  int r = plat_audio_buffer_lock(s.stream, offset, length, &p1, &n1, &p2, &n2);
  if (r == PLAT_AUDIO_LOST) {
    plat_audio_buffer_restore(s.stream);
    r = plat_audio_buffer_lock(s.stream, offset, length, &p1, &n1, &p2, &n2);
  }
  if (r != 1) return offset;
  std::memcpy(p1, data, n1);
  if (p2 && n2) std::memcpy(p2, static_cast<const uint8_t*>(data) + n1, n2);
  plat_audio_buffer_unlock(s.stream, p1, n1, p2, n2);
  return (offset + length) % s.stream_size;
}

// ---------------------------------------------------------------- start and stop

int vx_snd_init(VX_SOUND_PARAMS* params) {
  VX_SND_STATE& s = vx_snd_st;
  if (s.initialised) return 1;
  if (!params) return 0;
  s = {};
  s.module = vx_error_register("Sound", kErrorTable);
  s.params = *params;
  s.has_params = 1;
  mirror_active();
  // The setters only store values while no piece is current.
  s.initialised = 1;
  vx_snd_settings_load();
  s.initialised = 0;
  // The Sound popup is greyed (by the marks' update) until the start is through.
  vx_snd_menu_update();
  if (!start_device()) return 0;
  s.output = vx_music_engine_start()
                 ? static_cast<uint8_t*>(vx_mem_alloc_named(s.stream_size, "DAM output buffer"))
                 : nullptr;
  if (s.output) {
    std::memset(s.output, s.bits == 8 ? 128 : 0, s.stream_size);  // silence
  } else {
    s.music_failed = 1;
    mirror_music_volume(-1);
  }
  s.slice_size = s.stream_size / VX_SND_SLICES;
  s.next_slice = 0;
  s.initialised = 1;
  vx_snd_menu_update();
  start_tables();
  return 1;
}

void vx_snd_deinit() {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised) return;
  shared_write(s.current_music, 0);
  vx_snd_settings_save();
  if (s.output) vx_mem_free(s.output);
  s.output = nullptr;
  // Pieces still loaded make the pool report them; unloading them below
  // then only closes their entries.
  vx_music_engine_stop();
  vx_snd_effects_table_free();
  if (s.music) {
    for (int i = 1; i <= s.music_capacity; i++)
      if (s.music[i - 1].kind != VX_MUSIC_FREE) vx_music_unload(i);
    vx_mem_free(s.music);
  }
  s.music = nullptr;
  delete s.mutex;
  s.mutex = nullptr;
  if (s.stream) {
    plat_audio_buffer_stop(s.stream);
    plat_audio_buffer_release(s.stream);
  }
  s.stream = nullptr;
  plat_audio_close();
  s.device_open = 0;
  s.initialised = 0;
  s.active = 0;
}

// ---------------------------------------------------------------- settings

int vx_snd_settings_load() {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.has_params) return 0;
  const VX_SOUND_PARAMS& p = s.params;
  const char* file = settings_file();
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_ON);
  s.music_on = read_key(file, "DigitalMusic", p.music_on ? static_cast<int>(*p.music_on) : 1) != 0;
  s.effects_on = read_key(file, "SoundEffects", p.effects_on ? static_cast<int>(*p.effects_on) : 1) != 0;
  const int music = read_key(file, "MusicVolume", p.music_volume ? *p.music_volume : 70);
  const int effects = read_key(file, "SoundVolume", p.effects_volume ? *p.effects_volume : 80);
  const int quality = read_key(file, "Interpolation", p.quality ? static_cast<int>(*p.quality) : 4);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_OFF);
  mirror_switches();
  if (s.music_on) {
    vx_snd_music_volume_set(music);
  } else {
    s.music_volume = clamp_volume(music);
    mirror_music_volume(-2);
  }
  if (s.effects_on) {
    vx_snd_effects_volume_set(effects);
  } else {
    s.effects_volume = clamp_volume(effects);
    mirror_effects_volume(-2);
  }
  vx_snd_quality_set(quality);
  return 1;
}

int vx_snd_settings_save() {
  const VX_SND_STATE& s = vx_snd_st;
  const char* file = settings_file();
  if (!s.has_params || !file) return 0;
  int ok = vx_io_ini_set_int(kSection, "DigitalMusic", s.music_on ? 1 : 0, file);
  ok &= vx_io_ini_set_int(kSection, "SoundEffects", s.effects_on ? 1 : 0, file);
  ok &= vx_io_ini_set_int(kSection, "MusicVolume", s.music_volume, file);
  ok &= vx_io_ini_set_int(kSection, "SoundVolume", s.effects_volume, file);
  ok &= vx_io_ini_set_int(kSection, "Interpolation", static_cast<int>(s.quality), file);
  return ok;
}

// ---------------------------------------------------------------- switches, volumes, quality

int vx_snd_music_toggle() {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised) return 0;
  s.music_on = !s.music_on;
  const int current = shared_read(s.current_music);
  if (s.music_on) {
    if (current)
      vx_music_restart(current, 0);
    else if (s.last_music)
      vx_music_play(s.last_music);
    vx_snd_music_volume_set(s.music_volume);
  } else {
    // The buffer keeps running, with silence.
    if (current) vx_music_restart(current, 1);
    mirror_music_volume(s.music_failed ? -1 : -2);
  }
  vx_snd_menu_update();
  mirror_switches();
  return s.music_on;
}

int vx_snd_effects_toggle() {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised) return 0;
  s.effects_on = !s.effects_on;
  if (s.effects_on) {
    vx_snd_effects_volume_set(s.effects_volume);
  } else {
    mirror_effects_volume(s.effects_failed ? -1 : -2);
    vx_snd_effects_apply();  // -10000 for every effect
  }
  vx_snd_menu_update();
  mirror_switches();
  return s.effects_on;
}

int vx_snd_music_volume_set(int volume) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised || s.music_failed) {
    mirror_music_volume(-1);
    return 0;
  }
  if (!s.music_on) vx_snd_music_toggle();
  s.music_volume = clamp_volume(volume);
  mirror_music_volume(s.music_volume);
  vx_music_volume_apply();
  return 1;
}

int vx_snd_effects_volume_set(int volume) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.initialised || s.effects_failed) {
    mirror_effects_volume(-1);
    return 0;
  }
  if (!s.effects_on) vx_snd_effects_toggle();
  s.effects_volume = clamp_volume(volume);
  vx_snd_effects_apply();
  mirror_effects_volume(s.effects_volume);
  return 1;
}

int vx_snd_quality_set(int quality) {
  VX_SND_STATE& s = vx_snd_st;
  if (!s.has_params) return 0;
  const bool known = quality == VX_SND_QUALITY_LOW || quality == VX_SND_QUALITY_MEDIUM || quality == VX_SND_QUALITY_HIGH;
  s.quality = known ? static_cast<uint32_t>(quality) : VX_SND_QUALITY_LOW;
  if (s.params.quality) *s.params.quality = s.quality;
  vx_music_quality_apply();
  vx_snd_menu_update();
  return 1;
}

// ---------------------------------------------------------------- menu and window procedure

void vx_snd_menu_update() {
  const VX_SND_STATE& s = vx_snd_st;
  if (!s.has_params || !s.params.sound_menu_pos) return;
  vx_dsp_menu_check(VX_CMD_DIGITAL_MUSIC, s.music_on);
  vx_dsp_menu_check(VX_CMD_SOUND_EFFECTS, s.effects_on);
  vx_dsp_menu_check(VX_CMD_QUALITY_LOW, s.quality == VX_SND_QUALITY_LOW);
  vx_dsp_menu_check(VX_CMD_QUALITY_MEDIUM, s.quality == VX_SND_QUALITY_MEDIUM);
  vx_dsp_menu_check(VX_CMD_QUALITY_HIGH, s.quality == VX_SND_QUALITY_HIGH);
  // Greyed until the start is through, and for good when it failed.
  const int bar = vx_dsp_menu_bar();
  if (bar >= 0) vx_dsp_menu_enable_pos(bar, static_cast<int>(s.params.sound_menu_pos), s.initialised);
}

int vx_snd_window_proc(PLAT_WINDOW*, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  const VX_SND_STATE& s = vx_snd_st;
  switch (message) {
    case PLAT_WM_COMMAND:
      switch (plat_loword(wparam)) {
        case VX_CMD_DIGITAL_MUSIC: vx_snd_music_toggle(); break;
        case VX_CMD_SOUND_EFFECTS: vx_snd_effects_toggle(); break;
        case VX_CMD_QUALITY_LOW: vx_snd_quality_set(VX_SND_QUALITY_LOW); break;
        case VX_CMD_QUALITY_MEDIUM: vx_snd_quality_set(VX_SND_QUALITY_MEDIUM); break;
        case VX_CMD_QUALITY_HIGH: vx_snd_quality_set(VX_SND_QUALITY_HIGH); break;
        default: break;
      }
      break;
    case PLAT_WM_KEYDOWN:
      // A held key repeats its key-down: only the first press toggles.
      if (!s.initialised || (static_cast<uint32_t>(lparam) & PLAT_KEY_LPARAM_REPEAT)) break;
      if (wparam == PLAT_VK_F2) vx_snd_music_toggle();
      if (wparam == PLAT_VK_F3) vx_snd_effects_toggle();
      break;
    case PLAT_WM_ACTIVATE:
      if (plat_loword(wparam) != PLAT_WA_INACTIVE)
        go_active();
      else
        go_inactive();
      break;
    case PLAT_WM_SYSCOMMAND: {
      const uint32_t command = static_cast<uint32_t>(wparam) & 0xFFF0;
      // SC_MOVE with 2 in its low bits is a drag by the caption.
      const bool caption_drag = command == PLAT_SC_MOVE && (wparam & 0xF) == 2;
      if (command == PLAT_SC_MINIMIZE && s.active) go_inactive();
      if ((command == PLAT_SC_RESTORE || caption_drag) && !s.active) go_active();
      break;
    }
    default: break;
  }
  return 1;
}
