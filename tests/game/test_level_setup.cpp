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

TEST_F(LevelSetup, TitleFollowsTheLanguage) {
  std::strcpy(g_game.language_abbrev, "fra");
  ASSERT_EQ(setup_level(), 1);
  EXPECT_STREQ(g_game.level_title, "Mare d'essai");
  EXPECT_EQ(g_game.level_title_len, 12);
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

TEST_F(LevelSetup, TrafficObjectsAndAnimations) {
  ASSERT_EQ(setup_level(), 1);
  const GameState& gs = g_game;
  EXPECT_EQ(gs.car_anim_num[0], 8);   // anim_car_1, then its down, right, left
  EXPECT_EQ(gs.car_anim_num[1], 12);  // anim_car_2
  EXPECT_EQ(gs.log_anim_num[0], 16);
  EXPECT_EQ(gs.log_anim_num[1], 17);
  for (int i = 0; i < GAME_BONUS_TYPES; i++) EXPECT_EQ(gs.bonus_anim_num[i], 18 + i);
  EXPECT_EQ(gs.splash_anim_num, 26);

  // Six map objects, then 128 cars, 128 logs and the time-up object.
  EXPECT_EQ(world_tables.object_count, 6 + 128 + 128 + 1);
  for (int i = 0; i < GAME_CARS; i++) {
    const TRAFFIC& c = gs.cars[i];
    EXPECT_EQ(c.object, 7 + i);
    EXPECT_EQ(world_tables.objects[c.object].sprite, 100);
    EXPECT_EQ(c.active, 0);
    EXPECT_EQ(c.object_ready, 0);
    EXPECT_FLOAT_EQ(c.x, GAME_OFF_BOARD);
  }
  for (int i = 0; i < GAME_LOGS; i++) {
    EXPECT_EQ(gs.logs[i].object, 7 + 128 + i);
    EXPECT_EQ(world_tables.objects[gs.logs[i].object].sprite, 150);
    EXPECT_DOUBLE_EQ(world_tables.objects[gs.logs[i].object].y, GAME_OFF_BOARD);
  }
  EXPECT_EQ(gs.time_up_object, 7 + 256);
  EXPECT_EQ(world_tables.objects[gs.time_up_object].sprite, 5);
}

TEST_F(LevelSetup, RendererAndCamera) {
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.level_loaded, 1);
  EXPECT_DOUBLE_EQ(g_game.camera_x, 126.0);
  EXPECT_DOUBLE_EQ(g_game.camera_y, 25.0);
  EXPECT_DOUBLE_EQ(g_game.camera_z, 126.0);
  EXPECT_EQ(render_view.cell_lighting, 1);
  EXPECT_EQ(render_view.object_lighting, 1);
  EXPECT_EQ(render_view.fade_start, 50);
  EXPECT_DOUBLE_EQ(render_view.fade_rate, 1.0);
  EXPECT_EQ(render_view.horizon_shift, -20);
  EXPECT_EQ(render_view.view_right, 639);  // no screen: the 640 x 480 base
  EXPECT_EQ(render_view.view_bottom, 479);
  EXPECT_NE(render_view.row_half_width, nullptr);
}

// ---------------------------------------------------------------- the start sprite's facing

TEST_F(LevelSetup, StartSpritesGiveTheirFacings) {
  // Sprite 3 looks left (3), sprite 4 right (2), sprite 2 down (1).
  const int facing[5] = {0, 0, 1, 3, 2};
  for (int sprite = 2; sprite <= 4; sprite++) {
    edit_map("object 1 sprite=1 ", "object 1 sprite=" + std::to_string(sprite) + " ");
    ASSERT_EQ(setup_level(), 1);
    EXPECT_EQ(g_game.frog.frog_start_facing, facing[sprite]) << "sprite " << sprite;
    EXPECT_EQ(g_game.frog.facing, facing[sprite]);
    level_unload();
  }
}

// ---------------------------------------------------------------- partial: keys missing

TEST_F(LevelSetup, MissingKeysKeepTheOldValues) {
  std::string keys = lanes_test::read_text(file("level0.txt"));
  keys = lanes_test::replaced(keys, "time_limit=2\r\n", "");
  keys = lanes_test::replaced(keys, "water_tile=44\r\n", "");
  keys = lanes_test::replaced(keys, "level_title.eng=Fixture Pond\r\n", "");
  keys = lanes_test::replaced(keys, "arrow_6_random=20\r\narrow_6_speed=0.2\r\narrow_6_pause=200\r\n", "");
  keys = lanes_test::replaced(keys, "car_2_x_size=11\r\n", "");
  lanes_test::write_text(file("level0.txt"), keys);
  g_game.time_limit = 7;
  g_game.water_tile = 99;
  std::strcpy(g_game.level_title, "Previous level");
  g_game.car_arrows[5] = ARROW{33, 0.5f, 44};
  g_game.car_x_size[1] = 17;
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.time_limit, 7);
  EXPECT_EQ(g_game.water_tile, 99);
  EXPECT_STREQ(g_game.level_title, "Previous level");
  EXPECT_EQ(g_game.level_title_len, 14);
  EXPECT_EQ(g_game.car_arrows[5].random, 33);
  EXPECT_FLOAT_EQ(g_game.car_arrows[5].speed, 0.5f);
  EXPECT_EQ(g_game.car_arrows[5].pause, 44);
  EXPECT_EQ(g_game.car_x_size[1], 17);
  // Keys that are there still arrive.
  EXPECT_EQ(g_game.home_tile, lanes_test::kHome);
  EXPECT_EQ(g_game.car_arrows[4].random, 20);
}

TEST_F(LevelSetup, MissingGameplayFileKeepsEverything) {
  lanes_test::fs::remove(file("level0.txt"));
  g_game.time_limit = 5;
  g_game.different_cars = 1;
  g_game.log_arrows[0] = ARROW{12, 0.25f, 90};
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.time_limit, 5);
  EXPECT_EQ(g_game.different_cars, 1);
  EXPECT_EQ(g_game.log_arrows[0].pause, 90);
}

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

TEST_F(LevelSetup, AttractModeDrawsNothingAndNeedsNoStart) {
  edit_map("object 1 sprite=1 ", "object 1 sprite=200 ");
  g_game.attract_mode = 1;
  game_random_reset_positions();
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.rand_pos, 0);
  EXPECT_TRUE(messages().empty());
}

// ---------------------------------------------------------------- bad: every fatal message

TEST_F(LevelSetup, MissingDefinitionFile) {
  EXPECT_EQ(level_setup("level\\nolevel.def", "level\\nolevel.map"), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: Error opening the level file : level\\nolevel.def");
  EXPECT_EQ(g_game.level_loaded, 0);
  EXPECT_EQ(world_tables.world, nullptr);
}

TEST_F(LevelSetup, MissingStartOutsideAttractMode) {
  edit_map("object 1 sprite=1 ", "object 1 sprite=200 ");
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: Player _must_ have a starting point!");
}

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

TEST_F(LevelSetup, MissingCarAnimation) {
  edit_keys("different_cars=2", "different_cars=3");
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: car_anim_num[i]=-1");
}

TEST_F(LevelSetup, MissingLogAnimations) {
  edit_def("<ANIM_LOG_2 =", "<ANIM_RAFT =");
  EXPECT_EQ(setup_level(), 0);
  level_unload();
  edit_def("<ANIM_LOG_1 =", "<ANIM_TRUNK =");
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0], "Error: log_anim_num[1]=-1");
  EXPECT_EQ(messages()[1], "Error: log_anim_num[0]=-1");
}

TEST_F(LevelSetup, MissingBonusAnimation) {
  edit_def("<ANIM_BONUS_5 =", "<ANIM_FREEZE =");
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: bonus_anim_num[i-1]=-1");
}

TEST_F(LevelSetup, MissingSplashAnimation) {
  edit_def("<ANIM_SPLASH =", "<ANIM_WAVE =");
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: splash_anim_num==-1");
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

TEST_F(LevelSetup, TooManyLogSpawners) {
  write_map(many_spawners(map_text(), 28, 0));  // 70
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: MAX_LOG_START exceeded");
}

// The map with `count` bonus spots (objects 2.., sprite 80 + i mod 8) in place of its objects 2..6.
std::string with_bonus_spots(const std::string& text, int count) {
  const size_t from = text.find("objects 6\n");
  const size_t to = text.find("grid ");
  std::string objects = "objects " + std::to_string(count + 1) + "\nobject 0 sprite=0 at=0,0,0 bright=0\n" +
                        "object 1 sprite=1 at=54,0,102\n";
  for (int i = 0; i < count; i++)
    objects += "object " + std::to_string(i + 2) + " sprite=" + std::to_string(80 + i % 8) + " at=" +
               std::to_string(6 + 12 * (i % 10)) + ",0," + std::to_string(6 + 12 * (i / 10)) + "\n";
  return text.substr(0, from) + objects + text.substr(to);
}

TEST_F(LevelSetup, SixtyThreeBonusSpotsFitTheSixtyFourthIsFatal) {
  write_map(with_bonus_spots(map_text(), 63));
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(g_game.bonus_spot_count, 63);
  level_unload();
  write_map(with_bonus_spots(map_text(), 64));
  EXPECT_EQ(setup_level(), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: MAX_BONUS exceeded");
}

// ---------------------------------------------------------------- unload

TEST_F(LevelSetup, UnloadFreesAndMayBeRepeated) {
  ASSERT_EQ(setup_level(), 1);
  level_unload();
  EXPECT_EQ(g_game.level_loaded, 0);
  EXPECT_EQ(world_tables.world, nullptr);
  EXPECT_EQ(render_view.row_half_width, nullptr);
  level_unload();
  // A second set-up over a loaded level replaces it.
  ASSERT_EQ(setup_level(), 1);
  ASSERT_EQ(setup_level(), 1);
  EXPECT_EQ(world_tables.object_count, 6 + 257);
}

}  // namespace
