// The game's sound: the sound manager's start and stop with the game's settings, the effects of the sound list played by number, and the one music piece that plays.
#pragma once

constexpr int GAME_EFFECTS = 11;  // lines of data\sndlist.txt

// Starts the sound manager with the game's defaults (music and effects on,
// volumes 70 and 80, medium quality, the Sound popup second in the menu
// bar). 1 when the program may go on.
int game_sound_start();
// Stops the music and the sound manager.
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
// The music's share of the timer tick (timer thread): the playing piece's refill while music is on.
void music_tick();
