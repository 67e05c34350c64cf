// The rules' states and totals: the clock, the time bonus, leaving and the next level, lives, bonuses, the start of a life, the head-up display, pad_text and the life icons.
#include <map>
#include <string>

#include "tests/game/test_rules_util.h"

namespace rules_test {
namespace {

// ---------------------------------------------------------------- pad_text

TEST(PadText, AlignsInsideTheWidth) {
  char out[16];
  pad_text(out, "12", 6, 1);
  EXPECT_STREQ(out, "12    ");
  pad_text(out, "ab", 7, 2);  // (7 - 2) div 2 = 2 spaces before, 3 after
  EXPECT_STREQ(out, "  ab   ");
  pad_text(out, "ab", 5, 3);
  EXPECT_STREQ(out, "   ab");
}

// ---------------------------------------------------------------- life icons

std::vector<std::pair<int, int>> icons_of(int lives) {
  LIFE_ICON icons[RULES_LIFE_ICONS_MAX];
  const int n = life_icons_layout(lives, icons);
  std::vector<std::pair<int, int>> out;
  for (int i = 0; i < n; i++) out.push_back({icons[i].sprite, icons[i].x});
  return out;
}

TEST(LifeIcons, FullIconsOfThreeFirstThenTheRest) {
  using V = std::vector<std::pair<int, int>>;
  EXPECT_EQ(icons_of(1), (V{{6, 8}}));
  EXPECT_EQ(icons_of(3), (V{{8, 8}}));
  EXPECT_EQ(icons_of(4), (V{{8, 8}, {6, 16}}));
  EXPECT_EQ(icons_of(5), (V{{8, 8}, {7, 16}}));
  EXPECT_EQ(icons_of(9), (V{{8, 8}, {8, 16}, {8, 24}}));
}

// ---------------------------------------------------------------- the clock

using Clock = RulesTest;

TEST_F(Clock, LastTickEntersTimeUp) {
  GameState& gs = g_game;
  gs.time_min = 0;
  gs.time_sec = 0;
  gs.time_tick = 1;
  game_step();
  EXPECT_EQ(gs.frog.state, FROG_PLAYING);
  EXPECT_EQ(gs.time_tick, 0);
  game_step();
  EXPECT_EQ(gs.frog.state, FROG_TIME_UP);
  EXPECT_EQ(gs.frog.state_timer, 300);
  EXPECT_EQ(gs.time_min + gs.time_sec + gs.time_tick, 0);
  EXPECT_FLOAT_EQ(gs.fall_y, 50.0f);
  EXPECT_FLOAT_EQ(gs.fall_x, gs.frog.x);
  EXPECT_FLOAT_EQ(gs.fall_z, gs.frog.z + 2.0f);
  EXPECT_FLOAT_EQ(gs.fall_target, gs.frog.y + 2.0f);
  EXPECT_DOUBLE_EQ(world_tables.objects[gs.time_up_object].y, 50.0);
}

TEST_F(Clock, BorrowsThroughSecondsAndMinutesAndStopsWithTheCheat) {
  GameState& gs = g_game;
  gs.time_min = 1;
  game_step();
  EXPECT_EQ(gs.time_min, 0);
  EXPECT_EQ(gs.time_sec, 59);
  EXPECT_EQ(gs.time_tick, 59);
  gs.no_time_cheat = 1;
  for (int i = 0; i < 100; i++) game_step();
  EXPECT_EQ(gs.time_sec, 59);
  EXPECT_EQ(gs.time_tick, 59);
}

// ---------------------------------------------------------------- time bonus

using TimeBonus = RulesTest;

// Runs a whole time bonus from `ticks` left; the points it paid.
int bonus_for(int ticks) {
  GameState& gs = g_game;
  gs.frog.state = FROG_TIME_BONUS;
  gs.frog.state_timer = 0;
  gs.bonus_chunks = 0;
  gs.time_min = ticks / 3600;
  gs.time_sec = ticks / 60 % 60;
  gs.time_tick = ticks % 60;
  const int before = gs.score;
  for (int i = 0; i < 10000 && gs.frog.state == FROG_TIME_BONUS; i++) game_step();
  return gs.score - before;
}

TEST_F(TimeBonus, PaysTruncTicksOver30PlusOne) {
  EXPECT_EQ(bonus_for(29), 1) << "0:00:29";
  EXPECT_EQ(bonus_for(30), 2) << "0:00:30";
  EXPECT_EQ(bonus_for(0), 1);
  EXPECT_EQ(bonus_for(3600), 121) << "1:00:00";
  EXPECT_EQ(g_game.time_min + g_game.time_sec + g_game.time_tick, 0);
}

TEST_F(TimeBonus, EndsInLeavingWithItsEffects) {
  bonus_for(95);
  EXPECT_EQ(g_game.frog.state, FROG_LEAVING);
  EXPECT_EQ(g_game.frog.state_timer, 200);
  EXPECT_EQ(count_of(effects(), 6), 2) << "clock empty, last point paid";
  EXPECT_EQ(count_of(effects(), 3), 1);
  EXPECT_EQ(effects().back(), 3);
}

// ---------------------------------------------------------------- leaving

using Leaving = RulesTest;

TEST_F(Leaving, TurnsClockwiseRisesAndAsksForTheNextLevel) {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  f.state = FROG_LEAVING;
  f.state_timer = 200;
  f.facing = 0;
  std::vector<int> facings;
  for (int i = 0; i < 5; i++) {
    game_step();
    facings.push_back(f.facing);
  }
  EXPECT_EQ(facings, (std::vector<int>{2, 1, 3, 0, 2}));
  EXPECT_EQ(frog_animation().frame, 0);
  const float y0 = f.y;
  while (f.state_timer > 0) game_step();
  EXPECT_FLOAT_EQ(f.y, y0 + 2.0f * 35) << "timer 34 .. 0";
  EXPECT_EQ(count_of(effects(), 4), 1);
  EXPECT_EQ(gs.level_number, 5);
  EXPECT_STREQ(gs.def_path, "level\\level5.def");
  EXPECT_STREQ(gs.map_path, "level\\level5.map");
  EXPECT_EQ(gs.load_level_request, 1);
  EXPECT_EQ(gs.skip_steps, 1);
  EXPECT_EQ(count_of(messages(), 1), 1);
}

// ---------------------------------------------------------------- lives

using Lives = RulesTest;

TEST_F(Lives, LostLifeStartsTheNextOne) {
  GameState& gs = g_game;
  gs.frog.state = FROG_SQUASHED;
  gs.frog.state_timer = 0;
  game_step();
  EXPECT_EQ(gs.lives, 2);
  EXPECT_EQ(gs.frog.state, FROG_GET_READY);
}

// ---------------------------------------------------------------- bonuses

using Bonuses = RulesTest;

TEST_F(Bonuses, AppearanceDrawsChanceSpotCountdownKindAndType) {
  GameState& gs = g_game;
  gs.frog.x = gs.frog.z = 0;  // away from the spot
  gs.frog.col = gs.frog.row = 0;
  gs.bonus_countdown = 0;
  next_random({10});  // 10 mod 1000 is not below 10
  bonuses_update();
  EXPECT_EQ(gs.bonus_spots[0].phase, 0);
  EXPECT_EQ(gs.rand_pos, 1);
  EXPECT_EQ(gs.bonus_countdown, 0) << "drawn again next step";

  next_random({1005, 0, 700, 2, 13});
  bonuses_update();
  const BONUS& b = gs.bonus_spots[0];
  EXPECT_EQ(gs.rand_pos, 5);
  EXPECT_EQ(b.phase, 1);
  EXPECT_EQ(b.type, 5);
  EXPECT_EQ(gs.bonus_countdown, 1200);
  EXPECT_FLOAT_EQ(b.y, 50.0f - 0.05f) << "dropped from 50 and fallen one step";
  EXPECT_EQ(b.fall_steps, 1);
  EXPECT_EQ(effects(), std::vector<int>{7});

  gs.bonus_countdown = 0;
  next_random({5, 0, 0, 4});  // kind 4 mod 6 is not below 3: points
  bonuses_update();
  EXPECT_EQ(gs.rand_pos, 4);
  EXPECT_EQ(b.type, 3);
}

// ---------------------------------------------------------------- start of a life

using StartLife = RulesTest;

TEST_F(StartLife, Draws328ValuesAndPutsTheFrogBackWithAFullClock) {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  f.frog_start_facing = 3;
  f.x += 30;
  f.hop_dir = 2;
  gs.invincible = gs.speed_effect = gs.traffic_effect = 1;
  gs.bonus_spots[0].phase = 2;
  gs.player1.actions[2] = 128;
  gs.player1.actions[4] = 128;
  next_random({});
  gs.rand_pos = 77;
  start_life();
  EXPECT_EQ(gs.rand_pos, 328) << "positions reset, then 164 pairs";
  EXPECT_FLOAT_EQ(f.x, f.frog_start_x);
  EXPECT_FLOAT_EQ(f.z, f.frog_start_z);
  EXPECT_EQ(f.col, kStartCol);
  EXPECT_EQ(f.row, kStartRow);
  EXPECT_EQ(f.hop_dir, 0);
  EXPECT_EQ(f.facing, 3);
  EXPECT_EQ(f.state, FROG_GET_READY);
  EXPECT_EQ(f.state_timer, 20);
  EXPECT_EQ(gs.player1.actions[2], 0);
  EXPECT_EQ(gs.player1.actions[4], 128) << "only the four directions are cleared";
  EXPECT_EQ(gs.invincible + gs.speed_effect + gs.traffic_effect, 0);
  EXPECT_EQ(gs.bonus_spots[0].phase, 0);
  EXPECT_EQ(gs.bonus_countdown, 1000);
  EXPECT_EQ(gs.time_min, 2);
  EXPECT_EQ(gs.time_sec + gs.time_tick, 0);
  EXPECT_DOUBLE_EQ(gs.camera_x, f.x);
  EXPECT_DOUBLE_EQ(gs.camera_y, 100.0);
  EXPECT_DOUBLE_EQ(gs.camera_z, f.z + 48.0);
}

TEST_F(StartLife, GetReadyLowersTheCameraThenCountsTwentyOneSteps) {
  GameState& gs = g_game;
  start_life();
  int steps = 0;
  while (gs.frog.state == FROG_GET_READY && steps < 1000) {
    game_step();
    steps++;
  }
  EXPECT_EQ(steps, 148 + 21) << "100 down to 26 at 0.5 a step, then timer 20 to -1";
  EXPECT_DOUBLE_EQ(gs.camera_y, gs.frog.y + 25.0);
}

// ---------------------------------------------------------------- the head-up display

using Hud = RulesTest;

std::vector<int> frame_messages() {
  messages().clear();
  game_frame();
  return messages();
}

TEST_F(Hud, StateMessages) {
  GameState& gs = g_game;
  using V = std::vector<int>;
  struct Case {
    int state, timer;
    V expected;
  };
  const Case cases[] = {
      {FROG_PLAYING, 0, V{3, 8}},
      {FROG_GET_READY, 20, V{3, 8, 12}},
      {FROG_SQUASHED, 10, V{3, 8}},  // the squashed frog is a sprite
      {FROG_GAME_OVER, 100, V{3, 8, 2}},
      {FROG_TIME_UP, 100, V{3, 8, 13}},
      {FROG_DROWNING, 100, V{3, 8, 14}},
      {FROG_HOME, 50, V{3, 8, 15}},
      {FROG_HOME, 19, V{3, 8, 15, 16}},
      {FROG_TIME_BONUS, 1, V{3, 8, 15, 16, 17, 18}},
      {FROG_LEAVING, 100, V{3, 8, 15, 16, 17, 18}},
  };
  for (const Case& c : cases) {
    gs.frog.state = c.state;
    gs.frog.state_timer = c.timer;
    EXPECT_EQ(frame_messages(), c.expected) << "state " << c.state << " timer " << c.timer;
  }
}

}  // namespace
}  // namespace rules_test
