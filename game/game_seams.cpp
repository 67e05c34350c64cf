// The game services the rules call, in the form they take until their own modules land: no high-score table, no help page, and an attract sequence that starts a new game.
#include "game/game_seams.h"

#include "display/vx_dsp.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/rules.h"

void present_frame() { vx_dsp_present(); }

void hiscore_offer(int) {}

void help_open() {}

void help_draw() {}

void attract_next() { game_new_game(0); }

int attract_demo_step() { return 0; }

void attract_picture_draw() {}

const char* attract_rolling_line() { return credits_line(g_game.message_index); }
