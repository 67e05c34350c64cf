// Fuzz target of the attract list and the demo files: any bytes parse as a list and decode as the two tables, and a demo run over those tables with the rolling-line clock stays inside its tables and ends at the table's end.
//
// Input: the list's length (two bytes, little-endian), its text, the movement table's bytes (up to 3,840), the random table's; the last byte also counts the rolling lines.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/attract.h"
#include "game/game_random.h"
#include "game/game_state.h"

namespace {

uint8_t movement[GAME_MOVEMENT_STEPS];
int32_t rand_values[GAME_RAND_VALUES];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t list_size = size_t(data[0]) | size_t(data[1]) << 8;
  data += 2, size -= 2;
  if (list_size > size) list_size = size;
  ATTRACT_ITEM items[ATTRACT_MAX_ITEMS];
  const int count = attract_list_parse(reinterpret_cast<const char*>(data), list_size, items, ATTRACT_MAX_ITEMS);
  if (count < 0 || count > ATTRACT_MAX_ITEMS) std::abort();
  for (int i = 0; i < count; i++)
    if (std::memchr(items[i].name, 0, ATTRACT_NAME_SIZE) == nullptr) std::abort();
  data += list_size, size -= list_size;
  const size_t moves = size < GAME_MOVEMENT_STEPS ? size : GAME_MOVEMENT_STEPS;
  attract_movement_decode(data, moves, movement, GAME_MOVEMENT_STEPS);
  attract_rand_decode(data + moves, size - moves, rand_values, GAME_RAND_VALUES);
  const int lines = size ? data[size - 1] % 97 : 0;

  game_state_reset(&g_game);
  g_game.attract_mode = 1;
  g_game.player_movement_table = movement;
  g_game.rand_table = rand_values;
  int steps = 1;
  for (; !attract_demo_step(); steps++) {
    if (g_game.movement_pos <= 0 || g_game.movement_pos >= GAME_MOVEMENT_STEPS) std::abort();
    if (g_game.message_index < 0 || (lines && g_game.message_index >= lines)) std::abort();
    for (int a = 0; a < 4; a++) g_game.player1.actions[a] = 0;
    attract_clock_step(&g_game.message_timer, &g_game.message_index, lines);
  }
  if (steps != GAME_MOVEMENT_STEPS || !g_game.load_level_request) std::abort();
  for (int i = 0; i < 100; i++) game_random();  // the table read and wrapped
  game_state_reset(&g_game);
  return 0;
}
