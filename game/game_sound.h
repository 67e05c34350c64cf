// The game's sound: the sound manager's start and stop with the game's settings, the effects of the sound list played by number, and the one music piece that plays.
#pragma once

constexpr int GAME_EFFECTS = 11;  // lines of data\sndlist.txt

// Starts the sound manager with the game's defaults (music and effects on,
// volumes 70 and 80, medium quality, the Sound popup second in the menu
// bar). 1 when it runs; 0 when there is no usable device, and the game then
// runs silent.
int game_sound_start();
// Loads the 11 effects of data\sndlist.txt, one file name per line, into
// their slots (freeing those loaded before); a line whose file does not load
// leaves its slot empty. 0 after the fatal message "Can't load sound list
// file!" when the list cannot be opened.
int game_sound_effects_load();
// The sound manager's volumes as the menus show them: 0..100, -2 while
// switched off, -1 when that sound could not start.
int game_music_volume();
int game_effects_volume();
// Frees the loaded effects.
void game_sound_effects_free();
// Stops the music, frees the effects and stops the sound manager.
void game_sound_stop();

// Plays sound effect n (1..11) when effects are enabled. n is a line of
// "data\sndlist.txt": 1 hit by a car, 2 splash, 3 leaving, 4 take-off,
// 5 bonus tick, 6 bonus end, 7 bonus appears, 8 hop, 9..11 pick-ups. An
// effect whose line has not been loaded plays nothing.
void play_effect(int n);
// Calls `hook` with n on every play_effect (null: none). For tests.
void play_effect_hook_set(void (*hook)(int n));

// Stops and frees the playing music; loads and plays the music file `path`
// (nothing for "" or a piece that does not load), remembering it for
// music_stop.
void music_stop();
void music_play(const char* path);
// The front end's piece, "snd\mainmenu.s3m", in place of whatever plays:
// asked for when the main menu first shows and whenever play returns to it.
void music_menu();
// The music's share of the timer tick (timer thread): the playing piece's refill while music is on.
void music_tick();
