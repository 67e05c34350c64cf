// Inside the SDL backend only: what the event translation needs from the
// part that owns SDL.
#pragma once
#include <SDL.h>

// 1 when SDL video is running and the calling thread is the one that started
// it (SDL events may only be gathered there).
int plat_sdl_events_ready();
