// Demos without a window: recording one life through the game's demo path, writing the two files, replaying them, and judging a recording.
#include "tools/bot/demo_rec.h"

#include <cstdlib>
#include <cstring>

#include "core/vx_io.h"
#include "game/attract.h"
#include "game/game_random.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/rules.h"
#include "tools/bot/bot.h"

namespace {

constexpr int kBonusPicked = 350;  // the bonus text's timer on the step of a pick-up
constexpr int kHopEffect = 8;      // the effect every hop start plays
constexpr int kDemoLives = 5;      // the lives the game holds when its first demo starts

int hops_started = 0;
void count_hop(int n) { hops_started += n == kHopEffect; }

void print_state(FILE* out, const char* prefix, long step, int with_timer) {
  if (!out) return;
  const GameState& gs = g_game;
  const FROG& f = gs.frog;
  std::fprintf(out, "%sstep=%ld state=%d ", prefix, step, f.state);
  if (with_timer) std::fprintf(out, "timer=%d ", f.state_timer);
  std::fprintf(out, "lives=%d score=%d time=%d:%02d:%02d cell=%d,%d", gs.lives, gs.score, gs.time_min, gs.time_sec,
               gs.time_tick, f.col, f.row);
}

// The code for the coming step from `source`, or -1 for a replay.
int choose(const DEMO_SOURCE* source, long step) {
  if (!source) return -1;
  if (source->bot) return bot_choose();
  if (source->script && step < static_cast<long>(source->script->size()))
    return (*source->script)[static_cast<size_t>(step)];
  return 0;
}

// Runs the demo from its first step to its end. With a source the codes
// are written into the movement table before the step that reads them.
void run_steps(const DEMO_SOURCE* source, DEMO_RUN* run, FILE* trace) {
  GameState& gs = g_game;
  const int level = gs.level_number;
  *run = DEMO_RUN{};
  print_state(trace, "", 0, 1);
  if (trace) std::fprintf(trace, "\n");
  int last_state = gs.frog.state;
  play_effect_hook_set(count_hop);
  while (!gs.load_level_request) {
    const int code = choose(source, run->steps);
    const int pos = gs.movement_pos + 1;  // the position this step reads
    if (code >= 0 && pos < GAME_MOVEMENT_STEPS) gs.player_movement_table[pos] = static_cast<uint8_t>(code);
    const int hops_before = hops_started;
    for (int a = 0; a < 4; a++) gs.player1.actions[a] = 0;  // the players' poll
    game_step();
    run->steps++;
    const int hopped = hops_started != hops_before;
    run->hops += hopped;
    if (code > 0 && !hopped && pos < GAME_MOVEMENT_STEPS) gs.player_movement_table[pos] = 0;
    run->bonuses += gs.bonus_text_timer == kBonusPicked;
    run->log_steps += gs.frog.log_index != 0;
    run->path.push_back({gs.frog.x, gs.frog.z, gs.frog.state, gs.score});
    if (gs.frog.state != last_state) {
      last_state = gs.frog.state;
      print_state(trace, "", run->steps, 1);
      if (trace) std::fprintf(trace, "\n");
    }
  }
  play_effect_hook_set(nullptr);
  run->end = gs.level_number != level ? DEMO_END_LEVEL
             : gs.movement_pos >= GAME_MOVEMENT_STEPS ? DEMO_END_TABLE
                                                     : DEMO_END_LIFE;
  print_state(trace, "end ", run->steps, 0);
  if (trace) std::fprintf(trace, " level=%d\n", gs.level_number);
}

int save_table(const char* format, int level, const void* data, long size) {
  char name[GAME_PATH_LEN];
  std::snprintf(name, sizeof name, format, level);
  return vx_io_save(name, data, size);
}

}  // namespace

int demo_record(int level, unsigned seed, const DEMO_SOURCE* source, DEMO_RUN* run, FILE* trace) {
  GameState& gs = g_game;
  if (!game_random_tables_alloc()) return 0;
  std::srand(seed);
  for (int i = 0; i < GAME_RAND_VALUES; i++) gs.rand_table[i] = std::rand();
  std::memset(gs.player_movement_table, 0, GAME_MOVEMENT_STEPS);
  gs.attract_mode = 1;
  gs.attract_blocks_step = 0;
  gs.load_level_request = 0;
  gs.lives = kDemoLives;
  gs.level_number = level;
  std::snprintf(gs.def_path, sizeof gs.def_path, "level\\level%d.def", level);
  std::snprintf(gs.map_path, sizeof gs.map_path, "level\\level%d.map", level);
  if (!level_setup(gs.def_path, gs.map_path)) return 0;
  start_life();
  bot_reset();
  run_steps(source, run, trace);
  return 1;
}

int demo_write(int level) {
  const GameState& gs = g_game;
  if (!gs.player_movement_table || !gs.rand_table) return 0;
  uint8_t rnd[GAME_RAND_VALUES * 4];
  for (int i = 0; i < GAME_RAND_VALUES; i++) {
    const uint32_t v = static_cast<uint32_t>(gs.rand_table[i]);
    for (int b = 0; b < 4; b++) rnd[i * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
  }
  return save_table("data\\demo%d.dat", level, gs.player_movement_table, GAME_MOVEMENT_STEPS) &&
         save_table("data\\demo%d.rnd", level, rnd, sizeof rnd);
}

int demo_replay(int level, DEMO_RUN* run, FILE* trace) {
  GameState& gs = g_game;
  gs.attract_mode = 1;
  gs.attract_blocks_step = 0;
  gs.lives = kDemoLives;
  if (!attract_demo_start(level)) return 0;
  run_steps(nullptr, run, trace);
  return 1;
}

long demo_interest(const DEMO_RUN* run) {
  long steps = run->steps < GAME_MOVEMENT_STEPS ? run->steps : GAME_MOVEMENT_STEPS;
  long score = steps / 10 + (run->log_steps < 800 ? run->log_steps : 800) + 400L * run->bonuses;
  if (run->end == DEMO_END_LEVEL) score += 1000;
  return score;
}
