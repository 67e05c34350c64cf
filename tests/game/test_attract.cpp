// The attract sequence: the list's parsing, moving on with and without a menu, the demo's movement table and its end, the rolling-line clock, and a recorded demo replayed by the game's path and by rulesim.
#include <cstring>

#include "game/attract.h"
#include "game/credits.h"
#include "game/rules.h"
#include "test_lanes_util.h"
#include "tools/bot/demo_rec.h"

namespace {

using lanes_test::FixtureTest;
namespace fs = std::filesystem;

// ---------------------------------------------------------------- the list

TEST(AttractList, ParsesEntriesUpToAnEmptyLineOrTwenty) {
  ATTRACT_ITEM items[ATTRACT_MAX_ITEMS + 1] = {};
  const std::string crlf = "1 gfx\\title.png 6000\r\n2 - 0\r\n3 12 5\r\n\r\n1 after.png 1\r\n";
  ASSERT_EQ(attract_list_parse(crlf.data(), crlf.size(), items, ATTRACT_MAX_ITEMS), 3);
  EXPECT_EQ(items[0].kind * 10000 + items[0].time, 16000);
  EXPECT_STREQ(items[0].name, "gfx\\title.png");
  EXPECT_STREQ(items[2].name, "12");

  std::string many;
  for (int i = 0; i < 21; i++) many += "1 p" + std::to_string(i) + ".png 10\n";
  EXPECT_EQ(attract_list_parse(many.data(), many.size(), items, ATTRACT_MAX_ITEMS), 20);
  EXPECT_STREQ(items[19].name, "p19.png");

  EXPECT_EQ(attract_list_parse("3 7", 3, items, ATTRACT_MAX_ITEMS), 1);  // no time, no line end
  EXPECT_EQ(attract_list_parse("", 0, items, ATTRACT_MAX_ITEMS), 0);
}

// ---------------------------------------------------------------- the clock

TEST(AttractClock, PauseThenEachLine349StepsVisible320ThenEndPause) {
  int timer = ATTRACT_START_PAUSE, index = 0, steps = 0;
  while (timer < 1) {
    attract_clock_step(&timer, &index, 3);
    steps++;
  }
  EXPECT_EQ(steps, 699);  // 7 s without a line after a game over
  EXPECT_EQ(timer, ATTRACT_LINE_STEPS);
  for (int line = 0; line < 3; line++) {
    ASSERT_EQ(index, line);
    int on_line = 0, visible = 0;
    while (index == line && timer > 0) {
      on_line++;
      visible += timer >= ATTRACT_LINE_VISIBLE_FROM;
      attract_clock_step(&timer, &index, 3);
    }
    EXPECT_EQ(on_line, 349) << "line " << line;
    EXPECT_EQ(visible, 320) << "line " << line;
  }
  EXPECT_EQ(timer, ATTRACT_END_PAUSE);
  EXPECT_EQ(index, 0);
}

// ---------------------------------------------------------------- the fixture level

class Attract : public FixtureTest {
 protected:
  void TearDown() override {
    attract_free();
    credits_free();
    FixtureTest::TearDown();
  }
  void list(const std::string& text) { lanes_test::write_text(dir_ / "data" / "demos.txt", text); }
};

TEST_F(Attract, MovementTablePositionZeroIsNeverAppliedAndTheDemoEndsAt3840) {
  GameState& gs = g_game;
  gs.attract_mode = 1;
  std::memset(gs.player_movement_table, 2, GAME_MOVEMENT_STEPS);  // down everywhere
  std::memcpy(gs.player_movement_table, "\1\4", 2);
  ASSERT_EQ(attract_demo_step(), 0);
  EXPECT_EQ(gs.player1.actions[0], 0) << "position 0 was applied";
  EXPECT_NE(gs.player1.actions[3], 0) << "the first step reads position 1";
  int steps = 1;
  while (!attract_demo_step()) steps++;
  EXPECT_EQ(steps, GAME_MOVEMENT_STEPS - 1);  // 38.39 s of demo at most
  EXPECT_EQ(gs.load_level_request, 1);
  EXPECT_EQ(gs.skip_steps, 1);
  EXPECT_EQ(gs.attract_mode, 1);
}

TEST_F(Attract, StartLifeResetsBothTablePositions) {
  g_game.attract_mode = 1;
  ASSERT_TRUE(setup_level());
  start_life();
  const int drawn = g_game.rand_pos;
  g_game.movement_pos = 1234;
  g_game.rand_pos = 30000;
  start_life();
  EXPECT_EQ(g_game.movement_pos, 0);
  EXPECT_EQ(g_game.rand_pos, drawn);  // from 0 again, not from where it was
}

TEST_F(Attract, HiddenAndLateLinesAreNotShown) {
  lanes_test::write_text(dir_ / "data" / "c.txt", "First\r\n\xf5hidden\r\nLast\r\n");
  ASSERT_TRUE(credits_load("data\\c.txt"));
  GameState& gs = g_game;
  gs.message_timer = ATTRACT_LINE_VISIBLE_FROM;
  EXPECT_STREQ(attract_rolling_line(), "First");
  gs.message_timer = ATTRACT_LINE_VISIBLE_FROM - 1;
  EXPECT_EQ(attract_rolling_line(), nullptr);
  gs.message_timer = ATTRACT_LINE_STEPS;
  for (gs.message_index = 1; gs.message_index <= 3; gs.message_index += 2) EXPECT_EQ(attract_rolling_line(), nullptr);
}

TEST_F(Attract, WithAMenuShownDemosAreSkippedAndHoldPointsPassed) {
  list("2 - 0\n3 0 0\n1 gfx\\none.png 100\n2 - 0\n");
  ASSERT_TRUE(attract_list_load("data\\demos.txt"));
  g_game.menu_active = 1;
  attract_next();
  EXPECT_EQ(attract_index(), 2) << "hold passed, demo skipped, the picture shows";
  EXPECT_EQ(g_game.attract_blocks_step, 1);
  g_game.menu_active = 0;
  attract_next();
  EXPECT_EQ(attract_index(), 3) << "without a menu the hold point stays";
  EXPECT_EQ(lanes_test::messages().size(), 0u);
}

TEST_F(Attract, MissingFilesAreFatalWithTheirMessages) {
  EXPECT_FALSE(attract_list_load("data\\demos.txt"));
  EXPECT_FALSE(attract_demo_read(0));
  lanes_test::write_text(dir_ / "data" / "demo0.dat", std::string(GAME_MOVEMENT_STEPS, '\0'));
  EXPECT_FALSE(attract_demo_read(0));
  EXPECT_EQ(lanes_test::messages(), (std::vector<std::string>{"Error: Cannot load demos.txt", "Error: Can't load demo!",
                                                "Error: Can't load rand_table!"}));
}

// ---------------------------------------------------------------- record and replay

std::string text_of(FILE* f) {
  std::string s;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, f)) s += buffer;
  return s;
}

// Steps the started demo to its end as the main loop does, the players' poll clearing the directions.
DEMO_RUN play_started_demo() {
  DEMO_RUN run;
  while (!g_game.load_level_request && run.steps < 2 * GAME_MOVEMENT_STEPS) {
    for (int a = 0; a < 4; a++) g_game.player1.actions[a] = 0;
    game_step();
    run.steps++;
    run.path.push_back({g_game.frog.x, g_game.frog.z, g_game.frog.state, g_game.score});
  }
  return run;
}


TEST_F(Attract, ARecordedDemoReplaysStepForStepInTheGameAndInRulesim) {
  const DEMO_SOURCE bot = {1, nullptr};
  DEMO_RUN recorded;
  FILE* trace = std::tmpfile();
  ASSERT_TRUE(demo_record(0, 4, &bot, &recorded, trace));
  std::rewind(trace);
  const std::string recorded_trace = text_of(trace);
  std::fclose(trace);
  EXPECT_GT(recorded.hops, 8);
  EXPECT_EQ(recorded.end, DEMO_END_LEVEL) << "the bot takes the frog home";
  ASSERT_TRUE(demo_write(0));
  level_unload();

  // The game's way: the attract list names the demo and attract_next starts it.
  game_random_tables_free();
  game_state_reset(&g_game);
  g_game.attract_mode = 1;
  list("3 0 0\n");
  ASSERT_TRUE(attract_list_load("data\\demos.txt"));
  attract_next();
  ASSERT_TRUE(g_game.level_loaded && !g_game.load_level_request);
  const DEMO_RUN replayed = play_started_demo();
  ASSERT_EQ(recorded.path.size(), replayed.path.size());
  for (size_t i = 0; i < recorded.path.size(); i++) {
    const DEMO_POINT &p = recorded.path[i], &q = replayed.path[i];
    ASSERT_TRUE(p.x == q.x && p.z == q.z && p.state == q.state && p.score == q.score) << "step " << i + 1;
  }
  EXPECT_EQ(g_game.level_number, 1) << "home reached: the next level is asked for";

  const fs::path rulesim = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "tools" / "rulesim";
  if (!fs::exists(rulesim)) GTEST_SKIP() << "rulesim is not built beside the tests";
  FILE* p = popen(("'" + rulesim.string() + "' --demo 0 2>/dev/null").c_str(), "r");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(text_of(p), recorded_trace);
  EXPECT_EQ(pclose(p), 0);
}

}  // namespace
