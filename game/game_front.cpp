// The game's window-procedure hook: closing runs the shutdown, the game's menu-bar commands come first, then the chain.
#include "game/game_front.h"

#include "display/vx_dsp.h"
#include "display/vx_dsp_menu.h"
#include "game/about_box.h"
#include "game/game_main.h"
#include "game/game_state.h"
#include "game/help_page.h"
#include "sound/vx_snd.h"
#include "toolkit/vx_inp.h"

namespace {
// The menu bar's commands the game answers first: resume play, exit, help, about.
constexpr uintptr_t kCmdResume = 40004, kCmdExit = 40005, kCmdHelp = 41001, kCmdAbout = 41002;

// The click that resumes play, as the display layer posts after its own
// commands. It lands at the picture's top-left corner, below the menu bar:
// at the window's top row it would hit the bar's first title and open it again.
void post_resume(PLAT_WINDOW* window) {
  plat_post_message(window, PLAT_WM_LBUTTONDOWN, PLAT_MK_LBUTTON,
                    plat_makelong(0, static_cast<uint32_t>(VX_MENU_BAR_HEIGHT)));
}
}  // namespace

intptr_t game_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (message == PLAT_WM_CLOSE) {
    // The shutdown releases the display, which destroys the window and so
    // posts PLAT_WM_QUIT; the message goes no further down the chain.
    game_shutdown();
    return 0;
  }
  if (message == PLAT_WM_COMMAND) {
    switch (wparam & 0xFFFF) {
      // Resume and exit are the game's: the display layer would post its own
      // click or close for them, so they go no further.
      case kCmdResume: post_resume(window); return 0;
      case kCmdExit: plat_post_message(window, PLAT_WM_CLOSE, 0, 0); return 0;
      // The help page and the about box are drawn by the game's frames and
      // take its input: play resumes under them, or they would never show
      // and the input would stay switched off from the menu loop.
      case kCmdHelp:
        help_open();
        post_resume(window);
        break;
      case kCmdAbout:
        about_box_open(g_game.language_abbrev);
        post_resume(window);
        break;
      default: break;
    }
  }
  // The chain: the game (above), then the input layer's procedure, then the
  // sound layer's (its commands 51001-51005), and last the display layer,
  // whose answer is the procedure's answer.
  vx_inp_window_message(window, message, wparam, lparam);
  vx_snd_window_proc(window, message, wparam, lparam);
  return vx_dsp_window_proc(window, message, wparam, lparam);
}
