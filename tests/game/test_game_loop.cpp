// The fixed-step clock: owed steps, the 20-step cap, frozen menus, demo skips and the highlight pulse.
#include <gtest/gtest.h>

#include <vector>

#include "game/game_loop.h"
#include "game/game_state.h"

namespace {

int rules_steps = 0;
int demo_resets = 0;
int menu_shown_flag = 0;
std::vector<float> anim_rates_seen;

void count_step() {
  rules_steps++;
  anim_rates_seen.push_back(g_game.anim_rate);
}
void count_reset() { demo_resets++; }
int menu_shown() { return menu_shown_flag; }
const GAME_STEP_HOOKS kHooks = {count_step, count_reset, menu_shown};

class GameLoop : public testing::Test {
 protected:
  void SetUp() override {
    game_state_reset(&g_game);
    rules_steps = demo_resets = menu_shown_flag = 0;
    anim_rates_seen.clear();
    g_game.app_active = 1;
    g_game.app_ready = 1;
  }
  // The timer's view of a stall: one tick every 10 ms of it.
  void stall(int ms) {
    for (int t = 0; t < ms / GAME_STEP_MS; t++) game_tick();
  }
};

TEST_F(GameLoop, StallOf500msRunsExactlyTwentyStepsAndDropsTheRest) {
  stall(500);
  EXPECT_EQ(g_game.pending_steps.load(), 50);
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 20);
  EXPECT_EQ(rules_steps, 20);
  EXPECT_EQ(g_game.pending_steps.load(), 0);
  // The next frame owes nothing: the 30 dropped steps are gone for good.
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 0);
  EXPECT_EQ(rules_steps, 20);
}

TEST_F(GameLoop, ShortFramesRunWhatIsOwed) {
  stall(30);
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 3);
  EXPECT_EQ(rules_steps, 3);
  stall(200);  // exactly at the cap
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 20);
  EXPECT_EQ(rules_steps, 23);
  for (float r : anim_rates_seen) EXPECT_FLOAT_EQ(r, 0.3f);
}

TEST_F(GameLoop, InactiveOrUnreadyWindowOwesNothing) {
  g_game.app_active = 0;
  stall(500);
  EXPECT_EQ(g_game.pending_steps.load(), 0);
  g_game.app_active = 1;
  g_game.app_ready = 0;
  stall(500);
  EXPECT_EQ(g_game.pending_steps.load(), 0);
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 0);
  EXPECT_EQ(rules_steps, 0);
}

TEST_F(GameLoop, ShownMenuConsumesStepsWithoutRunningTheRules) {
  menu_shown_flag = 1;
  stall(100);
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 10);
  EXPECT_EQ(rules_steps, 0);
  EXPECT_EQ(g_game.pending_steps.load(), 0);
  menu_shown_flag = 0;
  stall(20);
  game_run_owed_steps(&g_game, &kHooks);
  EXPECT_EQ(rules_steps, 2);
}

TEST_F(GameLoop, SkipResetsDemoPositionsInsteadOfSteppingAndIsClearedAfter) {
  g_game.skip_steps = 1;
  stall(50);
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 5);
  EXPECT_EQ(demo_resets, 5);
  EXPECT_EQ(rules_steps, 0);
  EXPECT_EQ(g_game.skip_steps, 0);
  // With nothing owed the flag is cleared as well.
  g_game.skip_steps = 1;
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 0);
  EXPECT_EQ(g_game.skip_steps, 0);
}

TEST_F(GameLoop, NegativeOwedCountIsResetToZero) {
  g_game.pending_steps.store(-7);
  g_game.skip_steps = 1;
  EXPECT_EQ(game_run_owed_steps(&g_game, &kHooks), 0);
  EXPECT_EQ(g_game.pending_steps.load(), 0);
  EXPECT_EQ(g_game.skip_steps, 0);
  EXPECT_EQ(rules_steps, 0);
}

TEST(GameHighlight, PulsesThrough150To158TurningOnceOutsideTheBand) {
  game_state_reset(&g_game);
  EXPECT_EQ(g_game.highlight_colour, 150);
  std::vector<int> seen;
  uint32_t now = 1000;
  for (int i = 0; i < 24; i++) {
    ASSERT_EQ(game_highlight_pulse(&g_game, now), 1);
    seen.push_back(g_game.highlight_colour);
    now += 20;
  }
  const std::vector<int> expected = {151, 152, 153, 154, 155, 156, 157, 158, 159, 158, 157, 156,
                                     155, 154, 153, 152, 151, 150, 149, 150, 151, 152, 153, 154};
  EXPECT_EQ(seen, expected);
}

TEST(GameHighlight, WaitsForTheIntervalAcrossTickWrap) {
  game_state_reset(&g_game);
  uint32_t now = 0xFFFFFFF0u;
  g_game.pulse_due = now;
  ASSERT_EQ(game_highlight_pulse(&g_game, now), 1);
  EXPECT_EQ(g_game.highlight_colour, 151);
  EXPECT_EQ(game_highlight_pulse(&g_game, now + 19), 0);  // due at now + 20, past the wrap
  EXPECT_EQ(g_game.highlight_colour, 151);
  EXPECT_EQ(game_highlight_pulse(&g_game, now + 20), 1);
  EXPECT_EQ(g_game.highlight_colour, 152);
}

}  // namespace
