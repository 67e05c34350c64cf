// Fuzz target of the high-score file: any file loads as a table or is refused; a loaded table shows its lines, takes scores, is named through every input code, saves and frees all it took.
//
// Input: the score file; its last 16 bytes also pick the name-entry codes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "game/highscore.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_engine.h"

static void start_once() { fuzz_engine_start("fuzz_highscore"); }

// Every shown text of the table and of the name being entered.
static void show(const HIGH_SCORES* t) {
  char line[128];
  for (int rank = 0; rank <= 6; rank++) high_scores_line_text(t, rank, line, sizeof line);
  high_scores_line_text(t, 1, line, 4);
  for (int size : {1, 4, 128}) high_scores_name_text(line, size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen("fuzz.ini", "wb");
  if (!out) return 0;
  if (size) std::fwrite(data, 1, size, out);
  std::fclose(out);
  const long long used = vx_mem_used();
  HIGH_SCORES* t = high_scores_load("fuzz.ini", "High-Scores");
  if (t) {
    if (t->count < 1 || t->max_name < 0) std::abort();
    show(t);
    static constexpr int kCodes[] = {4, 8, 16, 32, 4, 32, 8, 0};
    for (int score : {-1, 0, 1000000, 0x7fffffff}) {
      if (!high_scores_offer(t, score)) continue;
      const size_t tail = size < 16 ? size : 16;
      for (size_t i = 0; i < tail; i++) {
        high_scores_name_input(kCodes[data[size - tail + i] & 7]);
        show(t);
      }
      high_scores_name_input(1);
      if (high_scores_named_entry()) std::abort();  // a finished name is no longer edited
    }
    if (high_scores_offer(t, 0x7fffffff)) high_scores_name_input(4);
    // The saved file loads again with the same shape.
    if (high_scores_save(t, "saved.ini", "High-Scores")) {
      HIGH_SCORES* again = high_scores_load("saved.ini", "High-Scores");
      high_scores_free(again);
    }
    high_scores_free(t);
    if (high_scores_named_entry() || high_scores_cursor() != -1) std::abort();
  }
  if (vx_mem_used() != used) std::abort();
  return 0;
}
