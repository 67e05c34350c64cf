// rulesim on the fixture level: the bot completes it, recorded input replays, the output lines, the rand table and bad usage.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/bot/bot.h"
#include "game/rules.h"
#include "test_lanes_util.h"

namespace {

namespace fs = std::filesystem;

// The rulesim beside this test program's folder: build/tests/test_game ->
// build/tools/rulesim.
fs::path rulesim_path() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return self.parent_path().parent_path() / "tools" / "rulesim";
}

struct SimRun {
  int status = -1;
  std::string out;
  std::vector<std::string> lines;
};

// Runs rulesim in the fixture's data root with `args`; standard error is dropped.
SimRun rulesim(const std::string& args) {
  SimRun r;
  const std::string command =
      "cd '" + (fs::path(PS_TEST_DATA) / "game").string() + "' && '" + rulesim_path().string() + "' " + args + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, p)) {
    r.out += buffer;
    std::string line = buffer;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    r.lines.push_back(line);
  }
  const int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

class Rulesim : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(rulesim_path())) GTEST_SKIP() << "rulesim is not built beside the tests";
  }
};

const char* const kLevel = "--level 'level\\level0.def'";

TEST_F(Rulesim, BotCompletesTheFixtureLevel) {
  const SimRun r = rulesim(std::string(kLevel) + " --seed 1 --bot");
  EXPECT_EQ(r.status, 0) << r.out;
  ASSERT_GE(r.lines.size(), 5u);
  EXPECT_EQ(r.lines.front().rfind("step=0 state=1 timer=20 lives=3 score=0 time=2:00:00 cell=4,8", 0), 0u)
      << r.lines.front();
  // Get ready, playing, home, time bonus, leaving; the next level is asked for.
  std::string states;
  for (const std::string& l : r.lines) {
    const size_t at = l.find(" state=");
    if (l.rfind("step=", 0) == 0 && at != std::string::npos) states += l.substr(at + 7, 1);
  }
  EXPECT_EQ(states, "10678");
  EXPECT_NE(r.lines.back().find("state=8"), std::string::npos);
  EXPECT_NE(r.lines.back().find("lives=3"), std::string::npos);
  EXPECT_NE(r.lines.back().find(" level=1"), std::string::npos) << r.lines.back();
  EXPECT_EQ(r.lines.back().rfind("end step=", 0), 0u);
}

TEST_F(Rulesim, RecordedInputReplaysTheSameRun) {
  const fs::path record = fs::temp_directory_path() / "ps_rulesim_record.txt";
  const SimRun bot = rulesim(std::string(kLevel) + " --seed 3 --bot --record '" + record.string() + "'");
  ASSERT_EQ(bot.status, 0);
  const SimRun replay = rulesim(std::string(kLevel) + " --seed 3 --input '" + record.string() + "'");
  EXPECT_EQ(replay.status, 0);
  EXPECT_EQ(replay.out, bot.out);
  fs::remove(record);
}

// ---------------------------------------------------------------- the bot in process

class Bot : public lanes_test::FixtureTest {
 protected:
  // Plays one life with the bot; the steps taken, or -1 when the level was not completed.
  static int play(unsigned seed, int limit) {
    std::srand(seed);
    g_game.lives = 1;
    if (!setup_level()) return -1;
    start_life();
    bot_reset();
    for (int step = 1; step <= limit; step++) {
      const int code = bot_choose();
      for (int a = 0; a < 4; a++) g_game.player1.actions[a] = 0;
      if (code >= 1 && code <= 4) g_game.player1.actions[code - 1] = 128;
      game_step();
      if (g_game.frog.state == FROG_HOME) return step;
      if (g_game.frog.state == FROG_SQUASHED || g_game.frog.state == FROG_DROWNING ||
          g_game.frog.state == FROG_TIME_UP)
        return -1;
    }
    return -1;
  }
};

TEST_F(Bot, ReachesAHomeTileInOneLife) {
  for (unsigned seed : {5u, 6u}) {
    const int steps = play(seed, 7000);
    EXPECT_GT(steps, 169 + 8 * 32) << "seed " << seed;  // get ready, then eight hops at least
    level_unload();
  }
  EXPECT_GT(bot_stats().plans, 0);
}

TEST_F(Bot, ChoosingChangesNothingButItsOwnPlan) {
  std::srand(2);
  ASSERT_EQ(setup_level(), 1);
  start_life();
  bot_reset();
  for (int step = 0; step < 400; step++) {
    const int rand_pos = g_game.rand_pos;
    const FROG frog = g_game.frog;
    const TRAFFIC car = g_game.cars[127];
    const std::vector<uint8_t> actions(g_game.player1.actions, g_game.player1.actions + 4);
    const int code = bot_choose();
    ASSERT_GE(code, 0);
    ASSERT_LE(code, 4);
    ASSERT_EQ(g_game.rand_pos, rand_pos);
    ASSERT_EQ(std::memcmp(&frog, &g_game.frog, sizeof frog), 0);
    ASSERT_EQ(std::memcmp(&car, &g_game.cars[127], sizeof car), 0);
    ASSERT_TRUE(std::equal(actions.begin(), actions.end(), g_game.player1.actions));
    // It presses only when a hop can start: the frog playing and standing.
    if (code != 0) {
      EXPECT_EQ(g_game.frog.state, FROG_PLAYING);
    }
    for (int a = 0; a < 4; a++) g_game.player1.actions[a] = 0;
    if (code) g_game.player1.actions[code - 1] = 128;
    game_step();
  }
}

}  // namespace
