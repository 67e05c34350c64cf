// A bot that plays player 1 (for rulesim and the level tests; not part of the game): each step it picks a direction code from what it sees of the board.
//
// The bot looks at the level (tiles, corner heights, arrows, car sizes) and
// at the cars and logs on the board, which move at constant speed along
// their direction, and plans hops that keep the frog alive on its way to a
// home tile. It predicts new cars at their spawn cells conservatively (any
// step once the last car from there is far enough) and never counts on
// logs that are not there yet. It reads no random value and changes no
// state: its only output is the direction code, applied as a demo applies
// one (1 sets player 1's up action for that step, 2 down, 3 left, 4 right).
// It predicts the frog with the rules' own motion (game/motion.h).
#pragma once
#include "game/motion.h"

// Direction codes of demos, rulesim input files and the bot: the hop directions.
enum BotCode { BOT_NONE = 0, BOT_UP = MOTION_UP, BOT_DOWN = MOTION_DOWN, BOT_LEFT = MOTION_LEFT, BOT_RIGHT = MOTION_RIGHT };

// Forgets the current plan (a new level or life; also safe at any time).
void bot_reset();

// The code for the coming step, decided from g_game and the world as they
// are before that step runs. Presses only on the step where a hop can
// start (frog playing and standing by the step's hop test).
int bot_choose();

// Planning statistics since bot_reset, for tools and tests.
struct BOT_STATS {
  int plans;       // searches run
  int nodes;       // search nodes expanded in all
  int goal_plans;  // searches that found a way to a home tile
};
BOT_STATS bot_stats();
