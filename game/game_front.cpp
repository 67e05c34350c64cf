// The game's window-procedure hook: closing runs the shutdown; the rest goes down the chain.
#include "game/game_front.h"

#include "display/vx_dsp.h"
#include "game/game_main.h"

intptr_t game_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (message == WM_CLOSE) {
    // The shutdown releases the display, which destroys the window and so
    // posts WM_QUIT; the message goes no further down the chain.
    game_shutdown();
    return 0;
  }
  // The menu-bar commands of the game, then the input and sound layers'
  // procedures, join here as those modules land.
  return vx_dsp_window_proc(window, message, wparam, lparam);
}
