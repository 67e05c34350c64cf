// Demos made and played without a window (for demorec, rulesim --demo and the tests; not part of the game): one life of a level recorded through the game's own demo path, the two files written, and a replay from them.
//
// Recording follows the replay path exactly: the random table is made
// first (srand(seed), then rand() for every entry), attract mode is on so
// that the rules draw only from that table and level set-up draws nothing,
// the level is set up and a life started as a demo starts one, and before
// every step the chosen direction code goes into the movement table at the
// position that step reads. The game's step then applies it as it applies
// any recorded code, and player 1's actions are cleared before each step as
// the players' poll clears them. A code that does not start a hop on its
// step is taken out again (only hops are recorded), so that a direction
// held over several steps of one frame in the game changes nothing.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

// How a demo ended.
enum DemoEnd { DEMO_END_LIFE = 0, DEMO_END_TABLE = 1, DEMO_END_LEVEL = 2 };

// The frog after one step.
struct DEMO_POINT {
  float x, z;
  int state, score;
};

struct DEMO_RUN {
  long steps = 0;                 // steps run (the one that ended the demo included)
  int end = DEMO_END_LIFE;        // DemoEnd
  int bonuses = 0;                // bonuses picked up
  int log_steps = 0;              // steps spent riding a log
  int hops = 0;
  std::vector<DEMO_POINT> path;   // one point a step
};

// Where the direction codes of a recording come from: the bot, or a script
// of codes for successive steps (step k reads entry k - 1; 0 past its end).
struct DEMO_SOURCE {
  int bot;
  const std::vector<uint8_t>* script;
};

// Records one life of level `level` ("level\levelN.def" and ".map" of the
// current data folder) into the game's demo tables (allocated when needed).
// With `trace`, prints what rulesim prints: "step=0 ..." after the start of
// the life, a line per change of the frog's state and an "end ..." line.
// 1 when the level was set up.
int demo_record(int level, unsigned seed, const DEMO_SOURCE* source, DEMO_RUN* run, FILE* trace);
// Writes the demo tables as "data\demo%d.dat" and "data\demo%d.rnd" through
// the file layer. 1 or 0.
int demo_write(int level);
// Replays demo `level` from its files as the game starts one; `run` and
// `trace` as demo_record. 1 when the demo started.
int demo_replay(int level, DEMO_RUN* run, FILE* trace);
// A number saying how good a recording is to watch: reaching home, bonuses
// picked up, log rides and length count.
long demo_interest(const DEMO_RUN* run);
