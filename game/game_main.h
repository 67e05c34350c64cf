// The program's entry, start-up, main loop and shutdown.
#pragma once
#include <cstdint>
#include "platform/platform.h"

// Runs start-up; 1 when the game can run, 0 when it must end (the failure was shown).
int game_startup(void* instance, const char* command_line, int show_state);
// Pumps messages, draws and steps until PLAT_WM_QUIT; returns the quit code.
int game_main_loop();
// Stops everything in reverse order; run once, on PLAT_WM_CLOSE.
void game_shutdown();
// The display layer asks for a redraw (after a mode switch).
void game_redraw();
