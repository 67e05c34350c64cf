// The sound manager and sound effects, silent: every function does nothing yet and answers as a manager that plays nothing.
#include "sound/vx_snd.h"

// ---------------------------------------------------------------- manager

int vx_snd_init(VX_SOUND_PARAMS*) { return 1; }  // nothing starts yet; the program goes on silent

void vx_snd_deinit() {}  // nothing was started

int vx_snd_settings_load() { return 0; }  // no settings are read yet

int vx_snd_settings_save() { return 0; }  // no settings are written yet

int vx_snd_music_toggle() { return 0; }  // music stays off

int vx_snd_effects_toggle() { return 0; }  // effects stay off

int vx_snd_quality_set(int) { return 0; }  // no mixer to set yet

int vx_snd_music_volume_set(int) { return 0; }  // no music to set yet

int vx_snd_effects_volume_set(int) { return 0; }  // no effects to set yet

int vx_snd_window_proc(PLAT_WINDOW*, uint32_t, uintptr_t, intptr_t) { return 1; }  // no commands handled yet

void vx_snd_menu_update() {}  // no Sound menu marks yet

// ---------------------------------------------------------------- effects

VX_SOUND* vx_snd_load(const char*) { return nullptr; }  // no WAV files are read yet

int vx_snd_play(VX_SOUND*, int) { return 0; }  // nothing plays yet

int vx_snd_stop(VX_SOUND*) { return 0; }  // nothing plays yet

int vx_snd_is_playing(VX_SOUND*) { return 0; }  // nothing plays yet

int vx_snd_volume_set(VX_SOUND*, int) { return 0; }  // no effect to set yet

int vx_snd_pan_set(VX_SOUND*, int) { return 0; }  // no effect to set yet

int vx_snd_free(VX_SOUND*) { return 0; }  // nothing was loaded
