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

TEST_F(FrogHop, RefusedDirectionsStillTurnTheFrogAndDoNotStopTheNext) {
  FROG& f = g_game.frog;
  // From the start cell, right is the raised cell (a corner step of 12).
  press(0, 0, 0, 1);
  EXPECT_EQ(frog_hop_start(), 0);
  EXPECT_EQ(f.hop_dir, 0);
  EXPECT_EQ(f.facing, 2) << "a refused direction still turns the frog";
  EXPECT_TRUE(effects().empty());
  // Right of the raised cell: left refused by height, right by the board's
  // edge, up taken.
  f.col = 4;
  press(1, 0, 1, 1);
  EXPECT_EQ(frog_hop_start(), 1);
  EXPECT_EQ(f.hop_dir, 1);
  EXPECT_EQ(f.facing, 0);
  // At the left edge: a refused left does not stop a right.
  f.hop_dir = 0;
  f.col = 0;
  f.row = 2;
  press(0, 0, 1, 1);
  EXPECT_EQ(frog_hop_start(), 1);
  EXPECT_EQ(f.hop_dir, 4);
  EXPECT_EQ(f.facing, 2);
  // Above the empty row: down refused (a cell of tile 0 does not exist).
  f.hop_dir = 0;
  f.col = kStartCol;
  f.row = 4;
  press(0, 1, 0, 0);
  EXPECT_EQ(frog_hop_start(), 0);
  EXPECT_EQ(f.facing, 1);
}

TEST_F(FrogHop, EveryDirectionRefusedLeavesTheLastOneLookedAtAsFacing) {
  FROG& f = g_game.frog;
  // Row 0, column 1 is a raised hedge between home pads: from the home pad
  // at column 0 left is off the board, right is 12 higher, up is off the
  // board; down (water, level) is the only way.
  f.col = 0;
  f.row = 0;
  press(1, 0, 1, 1);
  EXPECT_EQ(frog_hop_start(), 0);
  EXPECT_EQ(f.facing, 0) << "left, then right, then up were looked at";
  EXPECT_TRUE(effects().empty());
}

TEST_F(FrogHop, NoNewHopWhileOneIsUnderWay) {
  FROG& f = g_game.frog;
  press(1, 0, 0, 0);
  ASSERT_EQ(frog_hop_start(), 1);
  press(0, 0, 1, 0);
  EXPECT_EQ(frog_hop_start(), 0);
  EXPECT_EQ(f.hop_dir, 1);
  EXPECT_EQ(f.facing, 0) << "not even turned";
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

TEST_F(FrogHop, HopShowsFrameCounterDivFour) {
  FROG& f = g_game.frog;
  press(0, 0, 1, 0);
  game_step();
  press(0, 0, 0, 0);
  std::vector<int> frames;
  for (int i = 0; i < 32; i++) {
    game_step();
    const ANIMATION& a = frog_animation();
    ASSERT_EQ(a.frame_count, 8) << "step " << i;
    frames.push_back(a.frame);
  }
  EXPECT_EQ(frames.front(), 0);
  EXPECT_EQ(frames[4], 1);
  EXPECT_EQ(frames.back(), 7);
  EXPECT_EQ(f.hop_dir, 0);
}

TEST_F(FrogHop, SlowFrogHopTakes64StepsShowingIdleFramesBetween) {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  gs.speed_effect = SPEED_SLOW;
  gs.speed_effect_timer = 1600;
  press(1, 0, 0, 0);
  game_step();
  press(0, 0, 0, 0);
  ASSERT_EQ(f.hop_dir, 1);
  int steps = 0, idle_steps = 0;
  while (f.hop_dir != 0 && steps < 200) {
    const int counter = f.hop_counter;
    game_step();
    steps++;
    if (f.hop_dir != 0 && f.hop_counter == counter) {
      idle_steps++;
      EXPECT_EQ(frog_animation().frame_count, 11) << "a waiting step shows the idle animation";
    }
  }
  EXPECT_EQ(steps, 64);
  EXPECT_EQ(idle_steps, 32);
  EXPECT_EQ(f.row, kStartRow - 1);
}

TEST_F(FrogHop, FastFrogHopsTwiceAsFast) {
  g_game.speed_effect = SPEED_FAST;
  g_game.speed_effect_timer = 1600;
  press(1, 0, 0, 0);
  game_step();
  press(0, 0, 0, 0);
  EXPECT_EQ(steps_until_landed(), 16);
}

TEST_F(FrogHop, StandingFrogRunsItsIdleCycleOf41Steps) {
  FROG& f = g_game.frog;
  f.idle_counter = 0;
  for (int i = 0; i < 40; i++) frog_update();
  EXPECT_EQ(f.idle_counter, 40);
  EXPECT_EQ(frog_animation().frame, 39 / 4);
  frog_update();
  EXPECT_EQ(f.idle_counter, 0);
  EXPECT_EQ(frog_animation().frame, 10);
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

TEST_F(FrogHop, DriftingIntoWaterDrownsWithTimer80AndNoEffect) {
  FROG& f = g_game.frog;
  f.z = 1 * kCell + kCell / 2 + 4;  // on the water, riding nothing
  f.row = 1;
  game_step();
  EXPECT_EQ(f.state, FROG_DROWNING);
  EXPECT_EQ(f.state_timer, 80);
  EXPECT_EQ(count_of(effects(), 2), 0);
}

TEST_F(FrogHop, InvincibleFrogDoesNotDrown) {
  FROG& f = g_game.frog;
  g_game.invincible = 1;
  g_game.invincible_timer = 1000;
  f.z = 1 * kCell + kCell / 2 + 4;
  f.row = 1;
  game_step();
  EXPECT_EQ(f.state, FROG_PLAYING);
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
