// The random source: rand() or the demo table, the wrap at 30,720, the tables' memory, recording, and the golden sequence of one life that guards the demo format.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "game/game_random.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/rules.h"
#include "test_lanes_util.h"

namespace {

class RandomSource : public testing::Test {
 protected:
  void SetUp() override {
    VX_ERROR_SETTINGS quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;  // the tracker keeps a pointer to it
    mem = {0, 1 << 20};
    vx_mem_init(&mem);
    game_state_reset(&g_game);
    ASSERT_TRUE(game_random_tables_alloc());
  }
  void TearDown() override {
    game_random_record(nullptr, 0, nullptr);
    game_random_tables_free();
    game_state_reset(&g_game);
    EXPECT_EQ(vx_mem_deinit(), 1);
    vx_error_deinit();
  }
};

TEST_F(RandomSource, PlayUsesTheRuntimeGenerator) {
  std::srand(77);
  std::vector<int> expected;
  for (int i = 0; i < 20; i++) expected.push_back(std::rand());
  std::srand(77);
  g_game.rand_table[0] = -5;
  for (int i = 0; i < 20; i++) EXPECT_EQ(game_random(), expected[static_cast<size_t>(i)]);
  EXPECT_EQ(g_game.rand_pos, 0);  // the table is not touched
}

// ---------------------------------------------------------------- the golden sequence

// Every value drawn through the random source from the level's set-up to the
// end of one life (the frog completes the level), with srand(1) and the
// direction codes of golden_input.txt. The order and number of draws are part
// of the demo format: a change here breaks every recorded demo.
class GoldenRandom : public lanes_test::FixtureTest {};

std::vector<int> read_codes(const std::string& path) {
  std::vector<int> codes;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    int code = 0, count = 1;
    if (std::sscanf(line.c_str(), "%d x%d", &code, &count) < 1) continue;
    codes.insert(codes.end(), static_cast<size_t>(count), code);
  }
  return codes;
}

TEST_F(GoldenRandom, OneLifeOfTheFixtureDrawsTheRecordedSequence) {
  const std::vector<int> codes = read_codes("golden_input.txt");
  ASSERT_FALSE(codes.empty());
  std::vector<int32_t> drawn(1 << 18);
  int count = 0, seen = 0;
  std::ostringstream out;
  auto flush = [&](int step) {
    for (; seen < count && seen < static_cast<int>(drawn.size()); seen++)
      out << "step=" << step << " rand=" << drawn[static_cast<size_t>(seen)] << "\n";
  };
  std::srand(1);
  game_random_record(drawn.data(), static_cast<int>(drawn.size()), &count);
  g_game.lives = 1;
  ASSERT_EQ(setup_level(), 1);
  start_life();
  flush(0);
  int step = 0;
  while (step < static_cast<int>(codes.size()) && !g_game.load_level_request) {
    for (int a = 0; a < 4; a++) g_game.player1.actions[a] = 0;
    const int code = codes[static_cast<size_t>(step)];
    if (code >= 1 && code <= 4) g_game.player1.actions[code - 1] = 128;
    game_step();
    flush(++step);
  }
  ASSERT_LT(count, static_cast<int>(drawn.size()));
  EXPECT_EQ(g_game.load_level_request, 1) << "the recorded input no longer completes the level";
  const std::string golden = lanes_test::read_text("golden_random.txt");
  ASSERT_FALSE(golden.empty());
  const std::string got = out.str();
  if (got != golden) {
    // Point at the first line that differs.
    std::istringstream a(got), b(golden);
    std::string la, lb;
    int line = 1;
    while (std::getline(a, la) && std::getline(b, lb) && la == lb) line++;
    ADD_FAILURE() << "the random sequence differs from golden_random.txt at line " << line << ": got \"" << la
                  << "\", recorded \"" << lb << "\"";
  }
}

}  // namespace
