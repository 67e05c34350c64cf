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

static int quiet_box(const char*, const char*, unsigned) { return 1; }

static void start_once() {
  static std::filesystem::path folder;
  if (!folder.empty()) return;
  folder = std::filesystem::temp_directory_path() / ("fuzz_highscore_" + std::to_string(plat_ticks()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  std::atexit([] {
    vx_io_deinit();
    std::error_code ec;
    std::filesystem::current_path(folder.parent_path(), ec);
    std::filesystem::remove_all(folder, ec);
  });
  static const VX_ERROR_SETTINGS error_settings = {0};
  vx_error_init(&error_settings);
  vx_error_set_box(quiet_box);
  plat_set_boxes(0);
  static const VX_MEM_SETTINGS mem_settings = {0, 0};
  vx_mem_init(&mem_settings);
  static const VX_IO_SETTINGS io_settings = {0, nullptr, nullptr};
  vx_io_init(&io_settings);
}

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
