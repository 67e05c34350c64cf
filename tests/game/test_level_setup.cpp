// Level set-up on the fixture level: gameplay keys, the start and bonus spots, spawners, animations, traffic objects, the final draws and every fatal message.
#include <cstring>

#include "game/game_random.h"
#include "game/level_setup.h"
#include "test_lanes_util.h"
#include "world/level.h"
#include "world/render.h"

namespace {

using lanes_test::FixtureTest;
using lanes_test::messages;

class LevelSetup : public FixtureTest {};

// ---------------------------------------------------------------- inside: the fixture as shipped

TEST_F(LevelSetup, ReadsTheGameplayKeys) {
  ASSERT_EQ(setup_level(), 1);
  const GameState& gs = g_game;
  EXPECT_STREQ(gs.s3m_file, "snd\\pond.s3m");
  EXPECT_EQ(gs.time_limit, 2);
  EXPECT_EQ(gs.water_tile, lanes_test::kWater);
  EXPECT_EQ(gs.home_tile, lanes_test::kHome);
  EXPECT_STREQ(gs.level_title, "Fixture Pond");
  EXPECT_EQ(gs.level_title_len, 12);
  EXPECT_EQ(gs.title_start, 1);
  EXPECT_EQ(gs.different_cars, 2);
  // Values from level\level0.txt.
  EXPECT_EQ(gs.car_arrows[0].random, 40);
  EXPECT_FLOAT_EQ(gs.car_arrows[1].speed, 0.16f);
  EXPECT_EQ(gs.car_arrows[2].pause, 220);
  EXPECT_EQ(gs.car_arrows[5].random, 20);
  EXPECT_EQ(gs.log_arrows[3].pause, 300);
  EXPECT_FLOAT_EQ(gs.log_arrows[2].speed, 0.08f);
  EXPECT_EQ(gs.car_x_size[0], 9);
  EXPECT_EQ(gs.car_z_size[1], 11);
  EXPECT_TRUE(messages().empty());
}

TEST_F(LevelSetup, FindsTheStartAndTheBonusSpots) {
  ASSERT_EQ(setup_level(), 1);
  const FROG& f = g_game.frog;
  EXPECT_EQ(f.object, 1);
  EXPECT_EQ(f.col, lanes_test::kStartCol);
  EXPECT_EQ(f.row, lanes_test::kStartRow);
  EXPECT_FLOAT_EQ(f.frog_start_x, 4 * 12 + 6);
  EXPECT_FLOAT_EQ(f.frog_start_z, 8 * 12 + 6 + 4);
  EXPECT_EQ(f.frog_start_facing, 0);
  EXPECT_DOUBLE_EQ(world_tables.objects[1].x, f.frog_start_x);
  EXPECT_DOUBLE_EQ(world_tables.objects[1].z, f.frog_start_z);
  // The animations in the fixture's order: hops 0..3, idles 4..7.
  for (int i = 0; i < 8; i++) EXPECT_EQ(f.anim_num[i], i);

  ASSERT_EQ(g_game.bonus_spot_count, 3);
  const int cells[3][2] = {{2, 4}, {7, 4}, {5, 6}};  // map objects 2, 3, 4
  for (int i = 0; i < 3; i++) {
    const BONUS& b = g_game.bonus_spots[i];
    EXPECT_EQ(b.object, 2 + i);
    EXPECT_EQ(b.col, cells[i][0]);
    EXPECT_EQ(b.row, cells[i][1]);
    EXPECT_FLOAT_EQ(b.x, cells[i][0] * 12 + 6);
    EXPECT_FLOAT_EQ(b.z, cells[i][1] * 12 + 6);  // no frog offset
    EXPECT_FLOAT_EQ(b.y, GAME_OFF_BOARD);
    EXPECT_EQ(b.phase, 0);
  }
}

TEST_F(LevelSetup, SpawnersInCellOrderWithDirectionAndArrow) {
  ASSERT_EQ(setup_level(), 1);
  struct Want {
    int col, row, direction, arrow;
  };
  // Tiles 4, 7, 12 (cars) and 28, 33, 36, 38 (logs), row by row.
  const Want cars[] = {{9, 5, LANE_LEFT, 0}, {0, 6, LANE_RIGHT, 1}, {9, 7, LANE_LEFT, 2}};
  const Want logs[] = {{0, 1, LANE_RIGHT, 0}, {9, 2, LANE_LEFT, 1}, {0, 3, LANE_RIGHT, 2}, {9, 3, LANE_UP, 3}};
  ASSERT_EQ(g_game.car_spawner_count, 3);
  ASSERT_EQ(g_game.log_spawner_count, 4);
  for (int i = 0; i < 3; i++) {
    const SPAWNER& s = g_game.car_spawners[i];
    EXPECT_EQ(s.col, cars[i].col);
    EXPECT_EQ(s.row, cars[i].row);
    EXPECT_EQ(s.direction, cars[i].direction);
    EXPECT_EQ(s.arrow, cars[i].arrow);
  }
  for (int i = 0; i < 4; i++) {
    const SPAWNER& s = g_game.log_spawners[i];
    EXPECT_EQ(s.col, logs[i].col);
    EXPECT_EQ(s.row, logs[i].row);
    EXPECT_EQ(s.direction, logs[i].direction);
    EXPECT_EQ(s.arrow, logs[i].arrow);
  }
}

// ---------------------------------------------------------------- the start sprite's facing

// ---------------------------------------------------------------- partial: keys missing

// ---------------------------------------------------------------- the final draws

TEST_F(LevelSetup, OneDrawOrTwoAtTheEnd) {
  // Value mod 10 of 2 or more: one draw.
  lanes_test::FixtureTest::next_random({12, 1000});
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.rand_pos, 1);
  level_unload();
  // Below 2: a second draw.
  lanes_test::FixtureTest::next_random({31, 1000});
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.rand_pos, 2);
}

// ---------------------------------------------------------------- bad: every fatal message

TEST_F(LevelSetup, MissingHopAnimationIsFatalAnIdleOneIsNot) {
  edit_def("<ANIM_IDLE_DOWN =", "<ANIM_IDLE_SOUTH =");
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.frog.anim_num[5], -1);
  EXPECT_TRUE(messages().empty());
  level_unload();
  edit_def("<ANIM_FROG_RIGHT =", "<ANIM_FROG_EAST =");
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: frog.anim_num[2]=-1");
}

// Rows 1..7 (70 cells) of one spawner tile, less `spared` cells of row 7 left as road.
std::string many_spawners(const std::string& text, int tile, int spared) {
  std::string row;
  for (int c = 0; c < 10; c++) row += " " + std::to_string(tile);
  std::string out = text;
  for (int r = 1; r <= 6; r++) out = lanes_test::with_tile_row(out, r, row);
  std::string last;
  for (int c = 0; c < 10; c++) last += " " + std::to_string(c < spared ? 43 : tile);
  return lanes_test::with_tile_row(out, 7, last);
}

TEST_F(LevelSetup, SixtyThreeSpawnersFitTheSixtyFourthIsFatal) {
  write_map(many_spawners(map_text(), 4, 7));  // 63 car spawners
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.car_spawner_count, 63);
  level_unload();
  write_map(many_spawners(map_text(), 4, 6));  // 64
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: MAX_CAR_START exceeded");
}

// ---------------------------------------------------------------- unload

}  // namespace
