// Music, silent: every function does nothing yet; no piece loads and none plays.
#include "sound/vx_music.h"

int vx_music_load(const char*) { return 0; }  // no module player or MP3 decoder yet

int vx_music_play(int) { return 0; }  // nothing loaded, nothing plays

int vx_music_stop(int) { return 0; }  // nothing plays

int vx_music_unload(int) { return 0; }  // nothing loaded

int vx_music_update(int) { return 0; }  // no buffer to refill yet

int vx_music_restart(int, int) { return 0; }  // no buffer to restart yet
