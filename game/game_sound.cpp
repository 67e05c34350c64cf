// The game's sound: its sound settings, the effect slots of the sound list and the playing music piece, over the sound manager.
#include "game/game_sound.h"

#include <atomic>

#include "core/vx_io.h"
#include "sound/vx_music.h"
#include "sound/vx_snd.h"
#include "world/engine_error.h"

namespace {

struct GameSoundState {
  // The settings' defaults and, once the manager runs, its mirrors.
  uint32_t active, music_on, effects_on, quality;
  int32_t music_volume, effects_volume;
  VX_SOUND_PARAMS params;
  void (*effect_hook)(int n);
  VX_SOUND* effects[GAME_EFFECTS + 1];  // slot n: line n of data\sndlist.txt; null until loaded
  std::atomic<int> music;               // the music list index playing, 0 for none; the timer reads it
};
GameSoundState snd_st = {};

}  // namespace

int game_sound_start() {
  GameSoundState& s = snd_st;
  s.active = 0;
  s.music_on = s.effects_on = 1;
  s.music_volume = 70;
  s.effects_volume = 80;
  s.quality = 4;
  s.params = {0, &s.active, &s.music_on, &s.effects_on, &s.music_volume, &s.effects_volume, &s.quality, 2, 3};
  return vx_snd_init(&s.params);
}

int game_sound_effects_load() {
  game_sound_effects_free();
  VX_IO_FILE* list = vx_io_fopen("data\\sndlist.txt", "r");
  if (!list) {
    Engine_Stop("Can't load sound list file!");
    return 0;
  }
  char line[257];
  for (int n = 1; n <= GAME_EFFECTS && vx_io_fgets(line, sizeof line, list); n++)
    if (line[0]) snd_st.effects[n] = vx_snd_load(line);
  vx_io_fclose(list);
  return 1;
}

int game_music_volume() { return snd_st.music_volume; }
int game_effects_volume() { return snd_st.effects_volume; }

void game_sound_effects_free() {
  for (VX_SOUND*& effect : snd_st.effects) {
    if (effect) vx_snd_free(effect);
    effect = nullptr;
  }
}

void game_sound_stop() {
  music_stop();
  game_sound_effects_free();
  vx_snd_deinit();
}

void play_effect(int n) {
  if (snd_st.effect_hook) snd_st.effect_hook(n);
  if (n < 1 || n > GAME_EFFECTS || !snd_st.effects_on || !snd_st.effects[n]) return;
  vx_snd_play(snd_st.effects[n], 0);
}

void play_effect_hook_set(void (*hook)(int n)) { snd_st.effect_hook = hook; }

void music_stop() {
  const int index = snd_st.music.exchange(0);
  if (!index) return;
  vx_music_stop(index);
  vx_music_unload(index);
}

void music_play(const char* path) {
  if (!path || !path[0]) return;
  // One piece is kept: one asked for over another replaces it.
  music_stop();
  const int index = vx_music_load(path);
  if (!index) return;
  vx_music_play(index);
  snd_st.music.store(index);
}

void music_menu() { music_play("snd\\mainmenu.s3m"); }

void music_tick() {
  const int index = snd_st.music.load();
  if (index && snd_st.music_on) vx_music_update(index);
}
