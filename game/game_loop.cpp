// The fixed-step clock: the timer's tick, the owed-step accounting and the highlight pulse.
#include "game/game_loop.h"

#include "display/vx_dsp.h"
#include "game/game_sound.h"

void present_frame() { vx_dsp_present(); }

void game_tick() {
  GameState& gs = g_game;
  const bool active = gs.app_active && gs.app_ready;
  if (active) gs.pending_steps.fetch_add(1);
  // While the game runs, the music is refilled only on ticks that owe steps.
  if (!active || gs.pending_steps.load() != 0) music_tick();
}

void game_tick_cb(void*) { game_tick(); }

int game_run_owed_steps(GameState* gs, const GAME_STEP_HOOKS* hooks) {
  int owed = gs->pending_steps.load();
  if (owed <= 0) {
    if (owed < 0) gs->pending_steps.store(0);
    gs->skip_steps = 0;
    return 0;
  }
  // Steps owed beyond the cap are dropped: a stall never runs more than
  // 200 ms of rules at once. Ticks that arrive while the steps run are left
  // for the next frame, so one pass never runs more than the cap either.
  if (owed > GAME_MAX_STEPS_PER_FRAME) {
    gs->pending_steps.fetch_sub(owed - GAME_MAX_STEPS_PER_FRAME);
    owed = GAME_MAX_STEPS_PER_FRAME;
  }
  for (int i = 0; i < owed; i++) {
    gs->anim_rate = 0.3f;
    if (gs->skip_steps) {
      if (hooks && hooks->reset_demo_positions) hooks->reset_demo_positions();
    } else if (!(hooks && hooks->menu_shown && hooks->menu_shown())) {
      if (hooks && hooks->run_step) hooks->run_step();
    }
    gs->pending_steps.fetch_sub(1);
  }
  gs->skip_steps = 0;
  return owed;
}

int game_highlight_pulse(GameState* gs, uint32_t now) {
  // Compared as a signed difference so the 32-bit tick counter may wrap.
  if (static_cast<int32_t>(now - gs->pulse_due) < 0) return 0;
  gs->pulse_due = now + gs->pulse_interval;
  if (gs->highlight_colour < GAME_HIGHLIGHT_LOW || gs->highlight_colour > GAME_HIGHLIGHT_HIGH)
    gs->highlight_step = -gs->highlight_step;
  gs->highlight_colour += gs->highlight_step;
  return 1;
}
