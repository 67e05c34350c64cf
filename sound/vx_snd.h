// The sound manager and sound effects: start and stop, the user's sound settings, the Sound menu and keys, and effects loaded from WAV files and played by handle.
//
// Every function here does nothing yet: the program runs silent, with the
// calls already in their places. Results are those of a manager that
// plays nothing: 0 for an operation that would have played or changed
// something, null for a load; vx_snd_init answers 1 so that the program
// goes on, and vx_snd_window_proc 1 so that the window procedure chain goes on.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// The sound start parameters, filled by the game and handed to
// vx_snd_init. The pointed-to values are the defaults of the settings and
// receive their current state (mirrors the game reads).
struct VX_SOUND_PARAMS {
  uint32_t debug;            // non-zero: name allocations and always report errors
  uint32_t* active_out;      // 1 while the program is active and music runs
  uint32_t* music_on;        // default and mirror of DigitalMusic
  uint32_t* effects_on;      // default and mirror of SoundEffects
  int32_t* music_volume;     // MusicVolume 0..100; -1 music could not start, -2 switched off
  int32_t* effects_volume;   // SoundVolume 0..100; -1 effects could not start, -2 switched off
  uint32_t* quality;         // Interpolation: 0 low, 4 medium, 8 high
  uint32_t sound_menu_pos;   // position of the Sound popup in the menu bar; 0: no menu handling
  uint32_t quality_menu_pos; // position of the Music Quality popup inside it
};

// One loaded sound effect; live from vx_snd_load to vx_snd_free.
struct VX_SOUND;

// ---------------------------------------------------------------- manager
// Starts the manager after the main window exists. 1 when the program may go on.
int vx_snd_init(VX_SOUND_PARAMS* params);
void vx_snd_deinit();
// Section "Sound" of the settings file: DigitalMusic, SoundEffects,
// MusicVolume, SoundVolume, Interpolation.
int vx_snd_settings_load();
int vx_snd_settings_save();
// Menu commands 51001 / 51002 and keys F2 / F3; the new state.
int vx_snd_music_toggle();
int vx_snd_effects_toggle();
// Interpolation 0, 4 or 8 (menu commands 51003-51005); anything else is 0.
int vx_snd_quality_set(int quality);
// Volumes 0..100 (clamped); setting one switches its sound on.
int vx_snd_music_volume_set(int volume);
int vx_snd_effects_volume_set(int volume);
// The sound layer's window procedure, before the display layer's: the
// Sound menu's commands, F2 / F3, activation. Always 1: the chain goes on.
int vx_snd_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
// The Sound menu's check marks.
void vx_snd_menu_update();

// ---------------------------------------------------------------- effects
// Loads a WAV file as an effect; null on failure.
VX_SOUND* vx_snd_load(const char* file_name);
// Plays it from the start, once or looping (`loop` non-zero). 1 or 0.
int vx_snd_play(VX_SOUND* sound, int loop);
int vx_snd_stop(VX_SOUND* sound);
int vx_snd_is_playing(VX_SOUND* sound);  // non-zero while playing
int vx_snd_volume_set(VX_SOUND* sound, int volume);  // the effect's own volume, 0..100
int vx_snd_pan_set(VX_SOUND* sound, int pan);        // -100 (left) .. 100 (right)
int vx_snd_free(VX_SOUND* sound);
