// Helpers of the rules tests: a small board built in memory, a frog on it, and records of the effects and messages the rules ask for.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "game/game_random.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/messages.h"
#include "game/rules.h"
#include "game/texts.h"
#include "world/engine_error.h"
#include "world/level.h"
#include "world/map.h"
#include "world/objects.h"
#include "world/world_tables.h"

namespace rules_test {

// The board, 5 columns by 6 rows of 12 units, far row first:
//   row 0  home   hedge  home   hedge  home      (hedge raised 12)
//   row 1  water  water  water  water  water
//   row 2  grass  grass  grass  grass  grass
//   row 3  grass  grass  START  raised grass     (raised: corners 12)
//   row 4  grass  grass  grass  grass  grass
//   row 5  empty  empty  empty  empty  empty     (tile 0: no cell)
constexpr int kGrass = 42, kWater = 44, kHome = 45, kHedge = 46;
constexpr int kColumns = 5, kRows = 6, kCell = 12;
constexpr int kStartCol = 2, kStartRow = 3;

inline std::vector<int>& effects() {
  static std::vector<int> v;
  return v;
}
inline std::vector<int>& messages() {
  static std::vector<int> v;
  return v;
}
inline void record_effect(int n) { effects().push_back(n); }
inline void record_message(int n) { messages().push_back(n); }
inline int count_of(const std::vector<int>& v, int n) {
  int c = 0;
  for (int x : v) c += x == n;
  return c;
}

inline uint32_t fake_upload(const char*, int, GEN_TEXTURE_SIZES* sizes) {
  *sizes = GEN_TEXTURE_SIZES{32, 32, 32, 32};
  return 1;
}
inline void fake_delete(uint32_t) {}
inline void sink(const char*, const char*, int, void*) {}

inline void put16(std::vector<uint8_t>* b, int v) {
  b->push_back(uint8_t(v));
  b->push_back(uint8_t(v >> 8));
}

// The level text: hop animations of 8 frames, idle ones of 11, so that the
// frame count of the frog's running animation tells which one it shows.
inline std::string board_def() {
  std::string s = "@a 5\r\n@b 6\r\n@c 12\r\n@d 32\r\n@e 32\r\n@f 256\r\n#A = a.png\r\n^S = s.png\r\n";
  for (int t : {kGrass, kWater, kHome, kHedge}) s += "%" + std::to_string(t) + " = A, A, NULL, NULL, NULL, NULL\r\n";
  for (const char* name : {"HOP_UP", "HOP_DOWN", "HOP_RIGHT", "HOP_LEFT"}) {
    s += std::string("<") + name + " = S, 3";
    for (int i = 1; i < 8; i++) s += ", S, 3";
    s += "\r\n";
  }
  for (const char* name : {"IDLE_UP", "IDLE_DOWN", "IDLE_RIGHT", "IDLE_LEFT"}) {
    s += std::string("<") + name + " = S, 3";
    for (int i = 1; i < 11; i++) s += ", S, 3";
    s += "\r\n";
  }
  s += "<SPLASH = S, 6, S, 6, S, 6\r\n<BONUS = S, 8, S, 8\r\n";
  for (int sp : {1, 5, 6, 7, 8, 10, 11, 80}) s += "&" + std::to_string(sp) + " = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n";
  return s;
}

inline std::vector<uint8_t> board_map() {
  std::vector<OBJECT> objects(2);
  for (OBJECT& o : objects) {
    std::memset(&o, 0, sizeof o);
    o.brightness = 15;
  }
  objects[0].sprite = 1;  // the frog, at its start cell
  objects[0].x = kStartCol * kCell + kCell / 2;
  objects[0].z = kStartRow * kCell + kCell / 2 + 4;
  objects[1].sprite = 80;  // a bonus spot, off the board until used
  objects[1].x = objects[1].y = objects[1].z = GAME_OFF_BOARD;
  std::vector<uint8_t> b;
  put16(&b, MAP_MARK);
  for (int i = 0; i < 4; i++) b.push_back(uint8_t(kCell >> (8 * i)));
  put16(&b, int(objects.size()));
  OBJECT zero;
  std::memset(&zero, 0, sizeof zero);
  auto append = [&](const void* p, size_t n) {
    b.insert(b.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  };
  append(&zero, sizeof zero);
  for (const OBJECT& o : objects) append(&o, sizeof o);
  put16(&b, kRows);
  put16(&b, kColumns);
  for (int r = 0; r < kRows; r++)
    for (int c = 0; c < kColumns; c++) {
      CELL cell;
      std::memset(&cell, 0, sizeof cell);
      cell.brightness = 15;
      int height = 0;
      if (r == 0) cell.tile = int16_t(c % 2 ? kHedge : kHome), height = c % 2 ? 12 : 0;
      if (r == 1) cell.tile = kWater;
      if (r >= 2 && r <= 4) cell.tile = kGrass;
      if (r == 3 && c == 3) height = 12;
      for (int k = 0; k < 4; k++) cell.up[k] = int16_t(height);
      append(&cell, sizeof cell);
    }
  return b;
}

// Every test gets the board loaded, the frog standing on its start cell in
// state 0 with a full clock, and clean effect and message records.
class RulesTest : public testing::Test {
 protected:
  void SetUp() override {
    VX_ERROR_SETTINGS quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;  // the tracker keeps a pointer to it
    mem = {0, 1 << 23};
    vx_mem_init(&mem);
    Engine_Error_Sink(sink, nullptr);
    Level_Texture_Hooks(fake_upload, fake_delete);
    const std::string def = board_def();
    const std::vector<uint8_t> map = board_map();
    ASSERT_EQ(Load_Level_Memory("board.def", reinterpret_cast<const uint8_t*>(def.data()), def.size(), "board.map",
                                map.data(), map.size(), 0),
              LEVEL_LOADED);
    game_state_reset(&g_game);
    GameState& gs = g_game;
    gs.water_tile = kWater;
    gs.home_tile = kHome;
    gs.time_limit = 2;
    gs.lives = gs.lives_per_game = 3;
    gs.level_number = 4;
    gs.level_loaded = 1;
    gs.splash_anim_num = Sprite_Bitmap_Animation("SPLASH");
    for (int i = 0; i < GAME_BONUS_TYPES; i++) gs.bonus_anim_num[i] = Sprite_Bitmap_Animation("BONUS");
    FROG& f = gs.frog;
    f.object = 1;
    const char* names[8] = {"HOP_UP", "HOP_DOWN", "HOP_RIGHT", "HOP_LEFT",
                            "IDLE_UP", "IDLE_DOWN", "IDLE_RIGHT", "IDLE_LEFT"};
    for (int i = 0; i < 8; i++) f.anim_num[i] = Sprite_Bitmap_Animation(names[i]);
    f.frog_start_x = kStartCol * kCell + kCell / 2;
    f.frog_start_z = kStartRow * kCell + kCell / 2 + 4;
    gs.bonus_spot_count = 1;
    BONUS& b = gs.bonus_spots[0];
    b.object = 2;
    b.col = kStartCol;
    b.row = kStartRow;
    b.x = f.frog_start_x;
    b.z = kStartRow * kCell + kCell / 2;
    b.y = GAME_OFF_BOARD;
    gs.time_up_object = Create_Object(5, GAME_OFF_BOARD, GAME_OFF_BOARD, GAME_OFF_BOARD);
    ASSERT_TRUE(game_random_tables_alloc());
    start_life();
    gs.frog.state = FROG_PLAYING;
    gs.bonus_countdown = 1000000;  // no bonus falls unless a test wants one
    effects().clear();
    messages().clear();
    play_effect_hook_set(record_effect);
    message_draw_hook_set(record_message);
  }
  void TearDown() override {
    play_effect_hook_set(nullptr);
    message_draw_hook_set(nullptr);
    game_random_tables_free();
    Free_Level();
    Level_Texture_Hooks(nullptr, nullptr);
    Engine_Error_Sink(nullptr, nullptr);
    EXPECT_EQ(vx_mem_deinit(), 1) << "a block was left allocated";
    vx_error_deinit();
    game_state_reset(&g_game);
  }

  // Player 1's direction actions: up, down, left, right.
  static void press(int up, int down, int left, int right) {
    uint8_t* a = g_game.player1.actions;
    a[0] = uint8_t(up ? 128 : 0);
    a[1] = uint8_t(down ? 128 : 0);
    a[2] = uint8_t(left ? 128 : 0);
    a[3] = uint8_t(right ? 128 : 0);
  }
  // Steps until the hop ends (at most `limit`); the number of steps taken.
  static int steps_until_landed(int limit = 200) {
    int n = 0;
    while (g_game.frog.hop_dir != 0 && n < limit) {
      game_step();
      n++;
    }
    return n;
  }
  // The running animation of the frog's object: its frame count tells hop
  // (8) from idle (11).
  static const ANIMATION& frog_animation() {
    const OBJECT_ESTUFF& e = world_tables.Object_EStuff[g_game.frog.object];
    return world_tables.animated_bitmap_index[e.animation];
  }
  // Demo-table values for the next draws, read from position 0.
  static void next_random(std::initializer_list<int> values) {
    g_game.random_from_table = 1;
    game_random_reset_positions();
    int i = 0;
    for (int v : values) g_game.rand_table[i++] = v;
  }
};

}  // namespace rules_test
