// rulesim: runs the rules of one level without a window, from recorded input or the bot, and prints the frog's states.
//
// Usage: rulesim --level level\levelN.def [--steps N] [--input FILE]
//                [--seed S | --rand FILE] [--lives N] [--trace] [--bot]
//                [--record FILE]
//        rulesim --demo N
// Run it from the game's data folder (where "level\..." and "gfx\..." lie);
// `/` may stand for `\`. The map is the .def path with ".map" for its last
// four characters.
//   --level FILE  the level definition; the level number K is the number in
//                 its file name ("level3.def" gives 3, else 0)
//   --steps N     run at most N steps (default: the input's length with
//                 --input, else 20000)
//   --input FILE  one direction code per line for successive steps: 0 none,
//                 1 up, 2 down, 3 left, 4 right; "CODE xCOUNT" repeats it;
//                 blank lines and lines starting with '#' are skipped
//   --seed S      srand(S) before the level is set up (default 1)
//   --rand FILE   little-endian 32-bit values (at most 30720) as the rand
//                 table; every random value then comes from the table
//   --lives N     lives of the game (default 3)
//   --trace       also prints "step=N rand=V" for every random value drawn
//                 (step 0: level set-up and the first start of a life)
//   --bot         the bot plays player 1 instead of the input file (--steps
//                 still limits the run)
//   --record FILE writes the code applied at every step, in the input
//                 file's format (runs of one code as "CODE xCOUNT")
//   --demo N      replays the attract sequence's demo of level N from
//                 "data\demoN.dat" and "data\demoN.rnd" as the game starts
//                 it, to its end: a lost life, the end of the movement table
//                 or the next level
// A code is applied to player 1 as a demo applies it: the up, down, left or
// right action is set for that step, the others cleared.
//
// Output: the state after the start of the life as "step=0 ...", then one
// line per change of the frog's state after step N:
//   step=N state=S timer=T lives=L score=C time=M:SS:TT cell=COL,ROW
// and at the end
//   end step=N state=S lives=L score=C time=M:SS:TT cell=COL,ROW level=K
// where K is the level number after the run (K + 1, wrapped, when the next
// level was requested). The run ends when the steps are used up, when the
// next level is requested (the frog left in state 8) or at game over
// (state 3). Engine messages go to standard error.
// Exit status: 0 (with --bot: only when the level was completed), 1 when the
// level could not be set up or the bot did not complete it, 2 for bad usage
// or unreadable files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "tools/bot/bot.h"
#include "tools/bot/demo_rec.h"
#include "game/game_random.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/rules.h"
#include "platform/platform.h"
#include "world/engine_error.h"

namespace {

constexpr int kDefaultSteps = 20000;

struct Options {
  std::string level;
  long steps = -1;
  const char* input = nullptr;
  unsigned seed = 1;
  int seed_given = 0;
  const char* rand_file = nullptr;
  int lives = 3;
  int trace = 0;
  int bot = 0;
  const char* record = nullptr;
  int demo = -1;
};

int usage() {
  std::fprintf(stderr,
               "usage: rulesim --level level\\levelN.def [--steps N] [--input FILE] [--seed S | --rand FILE]\n"
               "               [--lives N] [--trace] [--bot] [--record FILE]\n"
               "       rulesim --demo N\n");
  return 2;
}

void print_message(const char* caption, const char* text, int, void*) {
  if (caption && std::strcmp(caption, "Error") != 0)
    std::fprintf(stderr, "%s: %s\n", caption, text);
  else
    std::fprintf(stderr, "%s\n", text);
}

int parse(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; i++) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--level" && more) {
      o->level = argv[++i];
    } else if (a == "--steps" && more) {
      o->steps = std::strtol(argv[++i], nullptr, 10);
    } else if (a == "--input" && more) {
      o->input = argv[++i];
    } else if (a == "--seed" && more) {
      o->seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
      o->seed_given = 1;
    } else if (a == "--rand" && more) {
      o->rand_file = argv[++i];
    } else if (a == "--lives" && more) {
      o->lives = std::atoi(argv[++i]);
    } else if (a == "--trace") {
      o->trace = 1;
    } else if (a == "--record" && more) {
      o->record = argv[++i];
    } else if (a == "--bot") {
      o->bot = 1;
    } else if (a == "--demo" && more) {
      o->demo = std::atoi(argv[++i]);
    } else {
      return 0;
    }
  }
  if (o->demo >= 0) return o->level.empty();
  return !o->level.empty() && o->lives > 0;
}

// Direction codes, one a line, "CODE xCOUNT" repeating one.
int read_input(const char* path, std::vector<uint8_t>* codes) {
  FILE* f = std::fopen(path, "r");
  if (!f) return 0;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    const char* p = line;
    while (*p == ' ' || *p == '\t') p++;
    if (*p == '#' || *p == '\n' || *p == '\r' || *p == 0) continue;
    int code = 0, count = 1;
    if (std::sscanf(p, "%d x%d", &code, &count) < 1 || code < 0 || code > 4 || count < 0) {
      std::fclose(f);
      return 0;
    }
    codes->insert(codes->end(), static_cast<size_t>(count), static_cast<uint8_t>(code));
  }
  std::fclose(f);
  return 1;
}

int read_rand(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return 0;
  uint8_t b[4];
  int n = 0;
  while (n < GAME_RAND_VALUES && std::fread(b, 1, 4, f) == 4)
    g_game.rand_table[n++] = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                                  uint32_t(b[3]) << 24);
  std::fclose(f);
  g_game.random_from_table = 1;
  return 1;
}

std::string file_layer_name(const std::string& path) {
  std::string s = path;
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

int level_number_of(const std::string& def) {
  const size_t slash = def.find_last_of("\\/");
  const std::string base = slash == std::string::npos ? def : def.substr(slash + 1);
  for (size_t i = 0; i < base.size(); i++)
    if (base[i] >= '0' && base[i] <= '9') return std::atoi(base.c_str() + i);
  return 0;
}

void print_state(const char* prefix, long step, int with_timer) {
  const GameState& gs = g_game;
  const FROG& f = gs.frog;
  std::printf("%sstep=%ld state=%d ", prefix, step, f.state);
  if (with_timer) std::printf("timer=%d ", f.state_timer);
  std::printf("lives=%d score=%d time=%d:%02d:%02d cell=%d,%d", gs.lives, gs.score, gs.time_min, gs.time_sec,
              gs.time_tick, f.col, f.row);
}

// Prints the values drawn since the last call, for --trace.
void flush_trace(const std::vector<int32_t>& drawn, int count, int* printed, long step) {
  for (; *printed < count && *printed < static_cast<int>(drawn.size()); (*printed)++)
    std::printf("step=%ld rand=%d\n", step, drawn[static_cast<size_t>(*printed)]);
  if (count > static_cast<int>(drawn.size())) *printed = count;
}

// The applied codes in the input file's format.
int write_codes(const char* path, const std::vector<uint8_t>& codes) {
  FILE* f = std::fopen(path, "w");
  if (!f) return 0;
  for (size_t i = 0; i < codes.size();) {
    size_t n = 1;
    while (i + n < codes.size() && codes[i + n] == codes[i]) n++;
    if (n == 1)
      std::fprintf(f, "%d\n", codes[i]);
    else
      std::fprintf(f, "%d x%zu\n", codes[i], n);
    i += n;
  }
  return std::fclose(f) == 0;
}

void apply_code(int code) {
  for (int a = 0; a < 4; a++) g_game.player1.actions[a] = 0;
  // Codes 1..4 are actions 0..3: up, down, left, right.
  if (code >= 1 && code <= 4) g_game.player1.actions[code - 1] = 128;
}

// The demo of level `level` as the attract sequence plays it.
int run_demo(int level) {
  game_state_reset(&g_game);
  DEMO_RUN run;
  const int status = demo_replay(level, &run, stdout) ? 0 : 1;
  level_unload();
  game_random_tables_free();
  return status;
}

int run(const Options& o) {
  if (o.demo >= 0) return run_demo(o.demo);
  std::vector<uint8_t> codes;
  if (o.input && !read_input(o.input, &codes)) {
    std::fprintf(stderr, "rulesim: cannot read the input file %s\n", o.input);
    return 2;
  }
  game_state_reset(&g_game);
  if (!game_random_tables_alloc()) return 1;
  if (o.rand_file && !read_rand(o.rand_file)) {
    std::fprintf(stderr, "rulesim: cannot read the rand file %s\n", o.rand_file);
    game_random_tables_free();
    return 2;
  }
  std::srand(o.seed);
  std::vector<int32_t> drawn(o.trace ? 1 << 20 : 0);
  int drawn_count = 0, printed = 0;
  if (o.trace) game_random_record(drawn.data(), static_cast<int>(drawn.size()), &drawn_count);

  // A new game at this level, as the new-game action starts one.
  const std::string def = file_layer_name(o.level);
  std::string map = def;
  if (map.size() >= 4) map.replace(map.size() - 4, 4, ".map");
  std::snprintf(g_game.def_path, sizeof g_game.def_path, "%s", def.c_str());
  std::snprintf(g_game.map_path, sizeof g_game.map_path, "%s", map.c_str());
  g_game.level_number = level_number_of(def);
  g_game.lives_per_game = o.lives;
  g_game.lives = o.lives;
  g_game.score = 0;
  g_game.attract_mode = 0;
  int status = 0;
  if (!level_setup(g_game.def_path, g_game.map_path)) {
    status = 1;
  } else {
    start_life();
    bot_reset();
    const long steps = o.steps >= 0 ? o.steps : (o.input && !o.bot ? static_cast<long>(codes.size()) : kDefaultSteps);
    flush_trace(drawn, drawn_count, &printed, 0);
    print_state("", 0, 1);
    std::printf("\n");
    std::vector<uint8_t> applied;
    int last_state = g_game.frog.state;
    long step = 0;
    while (step < steps && !g_game.load_level_request && g_game.frog.state != FROG_GAME_OVER) {
      int code = 0;
      if (o.bot)
        code = bot_choose();
      else if (step < static_cast<long>(codes.size()))
        code = codes[static_cast<size_t>(step)];
      apply_code(code);
      applied.push_back(static_cast<uint8_t>(code));
      game_step();
      step++;
      flush_trace(drawn, drawn_count, &printed, step);
      if (g_game.frog.state != last_state) {
        last_state = g_game.frog.state;
        print_state("", step, 1);
        std::printf("\n");
      }
    }
    print_state("end ", step, 0);
    std::printf(" level=%d\n", g_game.level_number);
    if (o.bot) {
      const BOT_STATS bs = bot_stats();
      std::fprintf(stderr, "bot: %d plans, %d to a home tile, %d nodes\n", bs.plans, bs.goal_plans, bs.nodes);
      if (!g_game.load_level_request) status = 1;
    }
    if (o.record && !write_codes(o.record, applied)) {
      std::fprintf(stderr, "rulesim: cannot write %s\n", o.record);
      status = 2;
    }
  }
  game_random_record(nullptr, 0, nullptr);
  level_unload();
  game_random_tables_free();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, &o) || (o.rand_file && o.seed_given)) return usage();

  plat_set_boxes(0);
  VX_ERROR_SETTINGS quiet = {0};
  vx_error_init(&quiet);
  VX_MEM_SETTINGS mem = {0, 0};
  vx_mem_init(&mem);
  VX_IO_SETTINGS io = {0, nullptr, nullptr};
  vx_io_init(&io);
  Engine_Error_Sink(print_message, nullptr);

  const int status = run(o);
  std::fflush(stdout);

  Engine_Error_Sink(nullptr, nullptr);
  vx_io_deinit();
  vx_mem_deinit();
  vx_error_deinit();
  return status;
}
