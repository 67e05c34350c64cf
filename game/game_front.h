// The game's window-procedure hook: the first link of the window-procedure chain.
#pragma once
#include <cstdint>
#include "platform/platform.h"

// Handles the game's own messages, then passes the rest down the chain:
// input, sound, and last the display layer, whose result it returns.
intptr_t game_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
