// Helpers of the lanes, level set-up, random and rulesim tests: the fixture level in a scratch copy of its data root, engine messages captured, effects recorded.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "game/game_random.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "world/engine_error.h"
#include "world/level.h"
#include "world/map_text.h"
#include "world/world_tables.h"

namespace lanes_test {

namespace fs = std::filesystem;

// The fixture level's names, as the game passes them to the file layer.
inline const char* const kDef = "level\\level0.def";
inline const char* const kMap = "level\\level0.map";

// Facts of the fixture (tests/fixtures/game/README.md).
constexpr int kStartCol = 4, kStartRow = 8;
constexpr int kWater = 44, kHome = 45;

inline std::vector<std::string>& messages() {
  static std::vector<std::string> v;
  return v;
}
inline std::vector<int>& effects() {
  static std::vector<int> v;
  return v;
}
inline void sink(const char*, const char* text, int, void*) { messages().push_back(text ? text : ""); }
inline void record_effect(int n) { effects().push_back(n); }

inline std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
inline void write_text(const fs::path& p, const std::string& s) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << s;
}
// Replaces the first `from` in `text`; the test fails when it is absent.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "missing: " << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Every test runs in a scratch copy of tests/fixtures/game (so that it may
// change the level's files), with the error module, the memory tracker and
// the file layer started, engine messages captured, effects recorded and the
// demo tables allocated. At the end the level is unloaded and no block may
// be left.
class FixtureTest : public testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = fs::current_path();
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("ps_lanes_" + std::string(info->test_suite_name()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::copy(fs::path(PS_TEST_DATA) / "game", dir_, fs::copy_options::recursive);
    fs::current_path(dir_);
    // The modules keep pointers to their settings records until they stop.
    static VX_ERROR_SETTINGS quiet;
    quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;
    mem = {0, 1 << 24};
    vx_mem_init(&mem);
    static VX_IO_SETTINGS io;
    io = {0, nullptr, nullptr};
    vx_io_init(&io);
    messages().clear();
    effects().clear();
    Engine_Error_Sink(sink, nullptr);
    Engine_Error_Reset_Count();
    play_effect_hook_set(record_effect);
    game_state_reset(&g_game);
    g_game.lives = g_game.lives_per_game = 3;
    ASSERT_TRUE(game_random_tables_alloc());
  }
  void TearDown() override {
    play_effect_hook_set(nullptr);
    game_random_record(nullptr, 0, nullptr);
    level_unload();
    Free_Level();  // after a set-up that stopped before the renderer started
    game_random_tables_free();
    game_state_reset(&g_game);
    Engine_Error_Sink(nullptr, nullptr);
    vx_io_deinit();
    EXPECT_EQ(vx_mem_deinit(), 1) << "a block was left allocated";
    vx_error_deinit();
    fs::current_path(old_dir_);
    fs::remove_all(dir_);
  }

  // Sets the fixture up; ASSERT-style check by the caller.
  static int setup_level() { return level_setup(kDef, kMap); }

  // The next draws of the random source come from these values (then zeros).
  static void next_random(std::initializer_list<int> values) {
    g_game.random_from_table = 1;
    game_random_reset_positions();
    std::fill(g_game.rand_table, g_game.rand_table + GAME_RAND_VALUES, 0);
    int i = 0;
    for (int v : values) g_game.rand_table[i++] = v;
  }
  // Every draw returns `value`.
  static void constant_random(int value) {
    g_game.random_from_table = 1;
    game_random_reset_positions();
    std::fill(g_game.rand_table, g_game.rand_table + GAME_RAND_VALUES, value);
  }

  // The level's files in the scratch copy.
  fs::path file(const char* name) const { return dir_ / "level" / name; }
  // Rewrites the map from its text source after `edit`.
  void edit_map(const std::string& from, const std::string& to) { write_map(replaced(map_text(), from, to)); }
  std::string map_text() const { return read_text(file("level0.map.txt")); }
  void write_map(const std::string& text) {
    std::vector<uint8_t> map;
    std::string error;
    ASSERT_TRUE(Map_Text_To_Map(text.data(), text.size(), &map, &error)) << error;
    write_text(file("level0.map"), std::string(map.begin(), map.end()));
  }
  void edit_def(const std::string& from, const std::string& to) {
    write_text(file("level0.def"), replaced(read_text(file("level0.def")), from, to));
  }
  void edit_keys(const std::string& from, const std::string& to) {
    write_text(file("level0.txt"), replaced(read_text(file("level0.txt")), from, to));
  }

  fs::path dir_, old_dir_;
};

// The map text's tile rows, to be rewritten: row `row` (0..9) becomes `tiles`.
inline std::string with_tile_row(const std::string& text, int row, const std::string& tiles) {
  const size_t section = text.find("\ntiles\n");
  char label[16];
  std::snprintf(label, sizeof label, "\n%4d:", row);
  const size_t at = text.find(label, section);
  const size_t end = text.find('\n', at + 1);
  std::string out = text;
  out.replace(at, end - at, std::string(label) + " " + tiles);
  return out;
}

}  // namespace lanes_test
