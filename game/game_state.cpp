// The game's shared state record and its start values.
#include "game/game_state.h"

#include <cstdio>
#include <cstring>

GameState g_game;

void game_state_reset(GameState* gs) {
  gs->pending_steps.store(0);
  // Every other field is plain data: clear it as a block, then set the
  // few that do not start at zero.
  auto* first = reinterpret_cast<char*>(&gs->skip_steps);
  std::memset(first, 0, sizeof(GameState) - static_cast<size_t>(first - reinterpret_cast<char*>(gs)));
  gs->game_running = 1;
  gs->highlight_colour = GAME_HIGHLIGHT_LOW;
  gs->highlight_step = 1;
  gs->pulse_interval = 20;
  gs->anim_rate = 0.3f;
  gs->frog.can_move = 1;
  gs->background_option = 1;
  std::snprintf(gs->language_abbrev, sizeof gs->language_abbrev, "%s", "eng");
}
