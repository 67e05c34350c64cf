// demorec: records one life of a level as a demo of the attract sequence and writes its two files.
//
// Usage: demorec --level N [--seed S] [--tries T] [--input FILE] [--quiet]
// Run it from the game's data folder (where "level\..." lies); it writes
// "data\demoN.dat" (the direction code of every step) and "data\demoN.rnd"
// (the random table) there.
//   --level N     the level number: "level\levelN.def" and ".map"
//   --seed S      the random table is srand(S) and then rand() (default 1)
//   --tries T     records with seeds S .. S + T - 1 and keeps the one best
//                 to watch (home reached, bonuses taken, log rides, length)
//   --input FILE  direction codes for successive steps, as rulesim reads
//                 them ("CODE" or "CODE xCOUNT" a line) instead of the bot
//   --quiet       no trace
// The kept recording is replayed from the written files, and must give the
// same frog path step for step. Output: the replay's trace in rulesim's
// form ("step=0 ...", a line per change of the frog's state, "end ..."),
// then on standard error the seed kept and what the demo shows.
// Exit status: 0, 1 when the level cannot be set up, the files cannot be
// written or the replay differs, 2 for bad usage or an unreadable input file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "game/game_random.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "platform/platform.h"
#include "tools/bot/demo_rec.h"
#include "world/engine_error.h"

namespace {

struct Options {
  int level = -1;
  unsigned seed = 1;
  int tries = 1;
  const char* input = nullptr;
  int quiet = 0;
};

int usage() {
  std::fprintf(stderr, "usage: demorec --level N [--seed S] [--tries T] [--input FILE] [--quiet]\n");
  return 2;
}

void print_message(const char*, const char* text, int, void*) { std::fprintf(stderr, "%s\n", text); }

int parse(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; i++) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--level" && more)
      o->level = std::atoi(argv[++i]);
    else if (a == "--seed" && more)
      o->seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--tries" && more)
      o->tries = std::atoi(argv[++i]);
    else if (a == "--input" && more)
      o->input = argv[++i];
    else if (a == "--quiet")
      o->quiet = 1;
    else
      return 0;
  }
  return o->level >= 0 && o->level < GAME_LEVEL_COUNT && o->tries > 0;
}

// Direction codes, one a line, "CODE xCOUNT" repeating one; '#' comments.
int read_input(const char* path, std::vector<uint8_t>* codes) {
  FILE* f = std::fopen(path, "r");
  if (!f) return 0;
  char line[256];
  int ok = 1;
  while (ok && std::fgets(line, sizeof line, f)) {
    const char* p = line;
    while (*p == ' ' || *p == '\t') p++;
    if (*p == '#' || *p == '\n' || *p == '\r' || *p == 0) continue;
    int code = 0, count = 1;
    ok = std::sscanf(p, "%d x%d", &code, &count) >= 1 && code >= 0 && code <= 4 && count >= 0;
    if (ok) codes->insert(codes->end(), static_cast<size_t>(count), static_cast<uint8_t>(code));
  }
  std::fclose(f);
  return ok;
}

int same_path(const DEMO_RUN& a, const DEMO_RUN& b) {
  if (a.steps != b.steps || a.end != b.end || a.path.size() != b.path.size()) return 0;
  for (size_t i = 0; i < a.path.size(); i++) {
    const DEMO_POINT &p = a.path[i], &q = b.path[i];
    if (p.x != q.x || p.z != q.z || p.state != q.state || p.score != q.score) return 0;
  }
  return 1;
}

// Every run starts from the game's start values, its tables freed first.
void fresh_state() {
  game_random_tables_free();
  game_state_reset(&g_game);
}

int run(const Options& o) {
  std::vector<uint8_t> script;
  if (o.input && !read_input(o.input, &script)) {
    std::fprintf(stderr, "demorec: cannot read the input file %s\n", o.input);
    return 2;
  }
  const DEMO_SOURCE source = {o.input ? 0 : 1, o.input ? &script : nullptr};
  // The best seed first, then its recording again: the tables hold the last one made.
  unsigned best_seed = o.seed;
  long best = -1;
  DEMO_RUN recorded;
  for (int t = 0; t < o.tries && o.tries > 1; t++) {
    fresh_state();
    if (!demo_record(o.level, o.seed + static_cast<unsigned>(t), &source, &recorded, nullptr)) return 1;
    level_unload();
    const long interest = demo_interest(&recorded);
    if (interest > best) {
      best = interest;
      best_seed = o.seed + static_cast<unsigned>(t);
    }
  }
  fresh_state();
  if (!demo_record(o.level, best_seed, &source, &recorded, nullptr)) return 1;
  level_unload();
  if (!demo_write(o.level)) {
    std::fprintf(stderr, "demorec: cannot write the demo files of level %d\n", o.level);
    return 1;
  }
  fresh_state();
  DEMO_RUN replayed;
  const int replay_ok = demo_replay(o.level, &replayed, o.quiet ? nullptr : stdout);
  level_unload();
  if (!replay_ok || !same_path(recorded, replayed)) {
    std::fprintf(stderr, "demorec: the demo of level %d does not replay as recorded\n", o.level);
    return 1;
  }
  static const char* const kEnds[] = {"a lost life", "the end of the table", "home reached"};
  std::fprintf(stderr, "demorec: level %d seed %u: %ld steps, %d hops, %d bonuses, %d steps on logs, ends with %s\n",
               o.level, best_seed, recorded.steps, recorded.hops, recorded.bonuses, recorded.log_steps,
               kEnds[recorded.end]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, &o)) return usage();
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
  game_random_tables_free();
  Engine_Error_Sink(nullptr, nullptr);
  vx_io_deinit();
  vx_mem_deinit();
  vx_error_deinit();
  return status;
}
