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

// The engine modules of the start-up, in order: the error module (showing
// its reports through the display layer's box, vx_dsp_error_box), the
// list module, the memory tracker, the string module and the file layer
// over the archive `archive_name`. 0 when the error module or the memory
// tracker cannot start.
int game_engine_start(const char* archive_name);
