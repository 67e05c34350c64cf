// The fixed-step clock: the timer's tick, the owed-step accounting and the highlight pulse.
#pragma once
#include <cstdint>
#include "game/game_state.h"

// What one owed step does, supplied by the caller so that tests can drive
// the accounting without a window or a level.
struct GAME_STEP_HOOKS {
  void (*run_step)();             // one step of the rules (game_step)
  void (*reset_demo_positions)(); // set both demo table positions to 0
  int (*menu_shown)();            // 1 while the current menu is shown
};

// Presents the frame drawn so far.
void present_frame();

// Timer callback, every 10 ms on the timer thread: owes one step while the
// application is active and ready, then services the music player.
void game_tick();
void game_tick_cb(void* user);  // the same, in the platform timer's form

// Runs the steps owed at the end of a frame: clamps `pending_steps` to 0..20,
// then for each owed step sets `anim_rate`, and either resets the demo
// positions (while `skip_steps`), or runs the rules (unless a menu is shown).
// Clears `skip_steps` afterwards. Returns the number of steps consumed.
int game_run_owed_steps(GameState* gs, const GAME_STEP_HOOKS* hooks);

// Moves the menu highlight one place when `now` (ms) has reached
// `pulse_due`: it turns once it has left the 150..158 band. Returns 1 when
// the colour changed.
int game_highlight_pulse(GameState* gs, uint32_t now);
