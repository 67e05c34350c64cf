// The game services the rules call, in the form they take until their own modules land: an attract sequence that shows level 0 without a player.
#include "game/game_seams.h"

#include <cstdio>

#include "display/vx_dsp.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/rules.h"

void present_frame() { vx_dsp_present(); }

void attract_next() {
  GameState& gs = g_game;
  level_unload();
  gs.level_number = 0;
  gs.attract_mode = 1;
  std::snprintf(gs.def_path, sizeof gs.def_path, "%s", "level\\level0.def");
  std::snprintf(gs.map_path, sizeof gs.map_path, "%s", "level\\level0.map");
  if (level_setup(gs.def_path, gs.map_path)) start_life();
}

int attract_demo_step() { return 0; }

void attract_picture_draw() {}

const char* attract_rolling_line() { return credits_line(g_game.message_index); }
