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

}  // namespace
