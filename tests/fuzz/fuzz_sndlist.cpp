// Fuzz target of the sound list: any text as data\sndlist.txt loads the effects it names (two real ones exist), plays each slot, and freeing leaves nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "game/game_sound.h"
#include "platform/null/plat_null_audio.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_engine.h"

// A short PCM WAV: `channels` x `bits` at 11025 Hz, 64 frames of a ramp.
static void write_wav(const char* path, int channels, int bits) {
  const uint32_t frame = uint32_t(channels * bits / 8), bytes = 64 * frame;
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0};
  auto put = [&h](int at, uint32_t v, int n) {
    for (int i = 0; i < n; i++) h[at + i] = uint8_t(v >> (8 * i));
  };
  put(4, 36 + bytes, 4);
  put(22, uint32_t(channels), 2);
  put(24, 11025, 4);
  put(28, 11025 * frame, 4);
  put(32, frame, 2);
  put(34, uint32_t(bits), 2);
  put(36, 0x61746164, 4);  // "data"
  put(40, bytes, 4);
  FILE* f = std::fopen(path, "wb");
  if (!f) std::abort();
  std::fwrite(h, 1, sizeof h, f);
  for (uint32_t i = 0; i < bytes; i++) std::fputc(int(i * 7), f);
  std::fclose(f);
}

static void start_once() {
  if (!fuzz_engine_start("fuzz_sndlist", game_sound_stop)) return;
  std::filesystem::create_directories("data");
  std::filesystem::create_directories("snd");
  write_wav("snd/hit.wav", 1, 8);
  write_wav("snd/hop.wav", 2, 16);
  plat_window_create("FuzzSndList", "Fuzz", 0, 0, 64, 64, PLAT_WS_HIDDEN, plat_def_window_proc);
  if (!game_sound_start()) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen("data/sndlist.txt", "wb");
  if (!out) return 0;
  if (size) std::fwrite(data, 1, size, out);
  std::fclose(out);
  // The file layer keeps what it learns of the folders the names reach, so
  // the second load of the same list is the one that must end where it began.
  long long used = 0;
  for (int pass = 0; pass < 2; pass++) {
    used = vx_mem_used();
    if (!game_sound_effects_load()) std::abort();  // the list exists, so it loads
    static int16_t mixed[2 * 256];
    for (int n = 0; n <= GAME_EFFECTS + 1; n++) play_effect(n);
    plat_audio_null_render(mixed, 256);
    game_sound_effects_free();
  }
  if (vx_mem_used() != used) std::abort();
  return 0;
}
