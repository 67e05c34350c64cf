// The game's window-procedure hook: closing runs the shutdown; the rest goes down the chain.
#include "game/game_front.h"

#include "display/vx_dsp.h"
#include "game/game_main.h"
#include "sound/vx_snd.h"
#include "toolkit/vx_inp.h"

intptr_t game_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (message == PLAT_WM_CLOSE) {
    // The shutdown releases the display, which destroys the window and so
    // posts PLAT_WM_QUIT; the message goes no further down the chain.
    game_shutdown();
    return 0;
  }
  // The game's own menu-bar commands (Help Topics 41001, About 41002) are
  // handled here once the front end lands.
  // The chain: the game (above), then the input layer's procedure, then the
  // sound layer's (its commands 51001-51005), and last the display layer,
  // whose answer is the procedure's answer.
  vx_inp_window_message(window, message, wparam, lparam);
  vx_snd_window_proc(window, message, wparam, lparam);
  return vx_dsp_window_proc(window, message, wparam, lparam);
}
