// The rules' random source: rand() in play, the demo's rand_table in attract mode, and the two demo tables.
#include "game/game_random.h"

#include <cstdlib>
#include <cstring>

#include "core/vx_mem.h"
#include "game/game_state.h"
#include "world/engine_error.h"

namespace {

struct RandomState {
  int32_t* record;  // values returned, null while not recording
  int record_capacity;
  int* record_count;
};
RandomState s_random;

}  // namespace

int game_random() {
  int value;
  if ((g_game.attract_mode || g_game.random_from_table) && g_game.rand_table) {
    if (g_game.rand_pos < 0 || g_game.rand_pos >= GAME_RAND_VALUES) g_game.rand_pos = 0;
    value = g_game.rand_table[g_game.rand_pos];
    g_game.rand_pos++;
    if (g_game.rand_pos >= GAME_RAND_VALUES) g_game.rand_pos = 0;
  } else {
    value = std::rand();
  }
  if (s_random.record && s_random.record_count) {
    if (*s_random.record_count < s_random.record_capacity) s_random.record[*s_random.record_count] = value;
    (*s_random.record_count)++;
  }
  return value;
}

int game_random_tables_alloc() {
  if (!g_game.player_movement_table) {
    g_game.player_movement_table =
        static_cast<uint8_t*>(vx_mem_alloc_named(GAME_MOVEMENT_STEPS, "player movement table"));
    if (!g_game.player_movement_table) {
      Engine_Stop("Not enough memory for player_movement_table");
      return 0;
    }
    std::memset(g_game.player_movement_table, 0, GAME_MOVEMENT_STEPS);
  }
  if (!g_game.rand_table) {
    g_game.rand_table =
        static_cast<int32_t*>(vx_mem_alloc_named(GAME_RAND_VALUES * sizeof(int32_t), "rand table"));
    if (!g_game.rand_table) {
      Engine_Stop("Not enough memory for rand_table");
      return 0;
    }
    std::memset(g_game.rand_table, 0, GAME_RAND_VALUES * sizeof(int32_t));
  }
  return 1;
}

void game_random_tables_free() {
  if (g_game.player_movement_table) vx_mem_free(g_game.player_movement_table);
  if (g_game.rand_table) vx_mem_free(g_game.rand_table);
  g_game.player_movement_table = nullptr;
  g_game.rand_table = nullptr;
}

void game_random_reset_positions() {
  g_game.movement_pos = 0;
  g_game.rand_pos = 0;
}

void game_random_record(int32_t* buffer, int capacity, int* count) {
  s_random.record = buffer;
  s_random.record_capacity = buffer ? capacity : 0;
  s_random.record_count = buffer ? count : nullptr;
}
