// Fuzz target: the WAV reader and the effect it makes, loaded, played, mixed and freed on the null audio device.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "platform/null/plat_null_audio.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_engine.h"
#include "sound/vx_snd.h"

static void start_once() {
  if (!fuzz_engine_start("fuzz_wav", vx_snd_deinit)) return;
  plat_window_create("FuzzWav", "Fuzz", 0, 0, 64, 64, PLAT_WS_HIDDEN, plat_def_window_proc);
  static uint32_t active, music_on = 1, effects_on = 1, quality = 4;
  static int32_t music_volume = 70, effects_volume = 80;
  static VX_SOUND_PARAMS params = {1, &active, &music_on, &effects_on, &music_volume, &effects_volume, &quality, 0, 0};
  if (!vx_snd_init(&params)) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen("fuzz.wav", "wb");
  if (!out) return 0;
  if (size) std::fwrite(data, 1, size, out);
  std::fclose(out);
  const long long used = vx_mem_used();
  VX_SOUND* s = vx_snd_load("fuzz.wav");
  if (s) {
    static int16_t mixed[2 * 512];
    vx_snd_play(s, 1);
    vx_snd_pan_set(s, -30);
    plat_audio_null_render(mixed, 512);
    vx_snd_play(s, 0);
    vx_snd_volume_set(s, 50);
    plat_audio_null_render(mixed, 512);
    vx_snd_stop(s);
    vx_snd_free(s);
  }
  // A refused file and a freed effect leave nothing behind.
  if (vx_mem_used() != used) std::abort();
  return 0;
}
