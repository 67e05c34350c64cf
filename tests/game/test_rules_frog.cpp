// The frog on a small board: which direction wins, refused hops, the hop's length at both speeds, water, logs and home.
#include "tests/game/test_rules_util.h"

namespace rules_test {
namespace {

using FrogHop = RulesTest;

// ---------------------------------------------------------------- directions

TEST_F(FrogHop, LeftWinsOverRightRightOverUpUpOverDown) {
  // Each row: the keys held, the hop that starts and the facing.
  struct Case {
    int up, down, left, right, hop_dir, facing;
  };
  const Case cases[] = {
      {1, 1, 1, 1, 3, 3},  // all four: left
      {1, 1, 0, 1, 4, 2},  // right over up and down
      {1, 1, 0, 0, 1, 0},  // up over down
      {0, 1, 0, 0, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "keys u" << c.up << " d" << c.down << " l" << c.left << " r" << c.right);
    g_game.frog.hop_dir = 0;
    g_game.frog.col = 1;  // all four neighbours free
    g_game.frog.row = kStartRow;
    press(c.up, c.down, c.left, c.right);
    EXPECT_EQ(frog_hop_start(), 1);
    EXPECT_EQ(g_game.frog.hop_dir, c.hop_dir);
    EXPECT_EQ(g_game.frog.facing, c.facing);
  }
}

// ---------------------------------------------------------------- the hop

TEST_F(FrogHop, HopTakes32StepsAndLandsOnTheNextCellCentre) {
  FROG& f = g_game.frog;
  const float x0 = f.x, z0 = f.z;
  press(0, 0, 1, 0);
  game_step();  // starts the hop (step 8), moves from the next step on
  press(0, 0, 0, 0);
  ASSERT_EQ(f.hop_dir, 3);
  EXPECT_EQ(count_of(effects(), 8), 1);
  EXPECT_FLOAT_EQ(f.hop_step, kCell / 32.0f);
  EXPECT_EQ(steps_until_landed(), 32);
  EXPECT_FLOAT_EQ(f.x, x0 - kCell);
  EXPECT_FLOAT_EQ(f.z, z0) << "a sideways hop keeps z";
  EXPECT_EQ(f.col, kStartCol - 1);
  EXPECT_EQ(f.state, FROG_PLAYING);
  EXPECT_EQ(f.hop_counter, 0);
}

// ---------------------------------------------------------------- water and logs

TEST_F(FrogHop, HopIntoWaterDrownsWithTimer160AndSplashEffect) {
  FROG& f = g_game.frog;
  f.z = 2 * kCell + kCell / 2 + 4;  // row 2, next to the water
  f.row = 2;
  press(1, 0, 0, 0);
  game_step();
  press(0, 0, 0, 0);
  steps_until_landed();
  EXPECT_EQ(f.state, FROG_DROWNING);
  EXPECT_EQ(f.state_timer, 160);
  EXPECT_EQ(count_of(effects(), 2), 1);
  EXPECT_EQ(frog_animation().frame_count, 3) << "the splash animation";
}

TEST_F(FrogHop, FrogOnALogDoesNotDrownAndMovesWithIt) {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  f.z = 1 * kCell + kCell / 2 + 4;
  f.row = 1;
  // A log moving right under the frog, in a free record.
  TRAFFIC& log = gs.logs[5];
  log.object = Create_Object(5, GAME_OFF_BOARD, GAME_OFF_BOARD, GAME_OFF_BOARD);
  log.active = 1;
  log.direction = LANE_RIGHT;
  log.speed = 0.25f;
  log.x = f.x;
  log.z = 1 * kCell + kCell / 2 + 2;
  log.row = log.col = 1;
  const float x0 = f.x;
  for (int i = 0; i < 4; i++) game_step();
  EXPECT_EQ(f.state, FROG_PLAYING);
  EXPECT_EQ(f.log_index, 5);
  EXPECT_NEAR(f.x, x0 + 1.0f, 1e-4);
}

// ---------------------------------------------------------------- home

TEST_F(FrogHop, HopOntoHomeRaisesTheCellWhileTheTimerIsAtLeast20) {
  FROG& f = g_game.frog;
  // From the water row (invincible, so it does not drown) up onto the home pad at column 2.
  g_game.invincible = 1;
  g_game.invincible_timer = 100000;
  f.z = 1 * kCell + kCell / 2 + 4;
  f.row = 1;
  press(1, 0, 0, 0);
  game_step();
  press(0, 0, 0, 0);
  steps_until_landed();
  ASSERT_EQ(f.state, FROG_HOME);
  ASSERT_EQ(f.state_timer, 120);
  const CELL* home = World_Cell(kStartCol, 0);
  const CELL* hedge = World_Cell(kStartCol + 1, 0);
  // Timer 119 .. 20 raises the cell: 100 steps of one unit.
  for (int i = 0; i < 100; i++) game_step();
  EXPECT_EQ(f.state_timer, 20);
  for (int k = 0; k < 4; k++) {
    EXPECT_EQ(home->up[k], 100);
    EXPECT_EQ(home->down[k], 100);
  }
  EXPECT_EQ(hedge->up[0], 12) << "the neighbours stay";
  EXPECT_FLOAT_EQ(f.y, 100.0f) << "the frog stands on the rising cell";
  game_step();
  EXPECT_EQ(home->up[0], 100) << "timer 19: no more rise";
  for (int i = 0; i < 19; i++) game_step();
  EXPECT_EQ(f.state, FROG_HOME);
  game_step();
  EXPECT_EQ(f.state, FROG_TIME_BONUS);
  EXPECT_EQ(f.state_timer, 0);
  EXPECT_EQ(g_game.bonus_chunks, 0);
}

}  // namespace
}  // namespace rules_test
