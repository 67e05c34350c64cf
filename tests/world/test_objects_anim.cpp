// The time steps: frame animations with loops, ping-pong and overrun, moving cells in their three modes, animated objects along their way points.
#include "tests/world/test_level_util.h"
#include "world/anim.h"
#include "world/objects.h"

using namespace level_test;

namespace {

WORLD_TABLES& w = world_tables;

class Steps : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    record.sizes["y.png"] = {10, 12, 16, 16};
    const std::string def = basic_def() +
                            "#FA = a.png%1\r\n#FB = b.png%2#\r\n#FC = c.png%3\r\n"
                            ">ABC = FA, 1, FB, 1, FC, 1\r\n>*PP = FA, 1, FB, 1, FC, 1\r\n"
                            "^X = x.png\r\n^Y = y.png%9\r\n^Z = z.png\r\n<XYZ = X, 2, Y, 3, Z, 4\r\n"
                            "%42 = A, A, NULL, NULL, NULL, NULL\r\n"
                            "*3, 4 = 42, 24, 0, 1, 36, 12, 50, 24, 12, 50\r\n"
                            "*1, 1 = 42, 24, 4, 0, 36, 12, 0, 24, 12, 0\r\n"
                            "*2, 2 = 42, 24, 4, 2, 10, 12, 0, 4, 12, 0\r\n"
                            "*50, 50 = 42, 24, 4, 0, 10, 12, 0, 4, 12, 0\r\n"
                            "+3 = 0, 0, 6, 12, 0, 24, 0, 6, 12, 0\r\n"
                            "+4 = 0, 0, 30, 12, 3, 24, 0, 30, 12, 0\r\n";
    const Bytes map = map_bytes(12, {}, 10, 10, [](int, int) { return cell_of(1); });
    ASSERT_EQ(load(def, &map, 1), LEVEL_LOADED);
    ASSERT_TRUE(record.messages.empty());
  }

  ANIMATION& anim(const char* name) {
    const int b = Find_Bitmap(name);
    if (b >= 0) {
      for (int i = 0; i < w.animation_count; i++)
        if (w.animated_bitmap_index[i].kind == ANIM_KIND_BITMAPS && w.animated_bitmap_index[i].target == b)
          return w.animated_bitmap_index[i];
    }
    return w.animated_bitmap_index[Sprite_Bitmap_Animation(name)];
  }

  // Ends the current frame of `a` and returns the frame it went to.
  static int advance(ANIMATION& a) {
    a.time_left = 0;
    Animations_Step(1);
    return a.frame;
  }

  static std::vector<int> frames(ANIMATION& a, int n) {
    std::vector<int> out;
    for (int i = 0; i < n; i++) out.push_back(advance(a));
    return out;
  }
};

// ---------------------------------------------------------------- animations
TEST_F(Steps, LoopsAndPingPong) {
  struct Case {
    const char* anim;
    int loops;
    std::vector<int> frames;  // after each end of a frame
    int loops_after;
  };
  const Case cases[] = {
      {"ABC", -1, {1, 2, 0, 1, 2, 0, 1, 2, 0}, -1},  // forever
      {"ABC", 2, {1, 2, 0, 1, 2, 2, 2, 2, 2}, 0},    // twice, then stays on the last frame
      {"PP", -1, {1, 2, 1, 0, 1, 2, 1, 0, 1, 2, 1, 0}, -1},
      // Each return to the first frame uses a loop; once none is left the turn
      // shows the first frame once more, and playing goes on.
      {"PP", 2, {1, 2, 1, 0, 1, 2, 1, 0, 0, 1, 2, 1, 0, 0}, 0},
      {"PP", 1, {1, 2, 1, 0, 0, 1, 2, 1, 0, 0, 1, 2, 1, 0}, 0},
  };
  EXPECT_EQ(anim("ABC").loops, -1) << "as loaded";
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.anim << " loops " << c.loops);
    ANIMATION& a = anim(c.anim);
    a.frame = 0;
    a.direction = ANIM_FORWARD;
    a.loops = int16_t(c.loops);
    EXPECT_EQ(frames(a, int(c.frames.size())), c.frames);
    EXPECT_EQ(a.loops, c.loops_after);
  }
}

// ---------------------------------------------------------------- moving cells
TEST_F(Steps, MovingCellModeOneExample) {
  const CELL& c = w.world[3 * 10 + 4];
  std::vector<int> up, expected;
  for (int i = 0; i < 60; i++) {
    Moving_Cells_Step(5);
    up.push_back(c.up[0]);
    for (int k = 0; k < 4; k++) ASSERT_EQ(c.down[k], 0) << "the lower face stays";
    for (int k = 1; k < 4; k++) ASSERT_EQ(c.up[k], c.up[0]);
  }
  // Start at UP 24; rise 6 a step (12 per 10 units, steps of 5) to 36; wait
  // 50 (eleven steps: the pause must fall below 0); sink to 24; wait; again.
  expected = {24, 30, 36};
  for (int cycle = 0; cycle < 3; cycle++) {
    expected.insert(expected.end(), 11, 36);
    expected.insert(expected.end(), {30, 24});
    expected.insert(expected.end(), 11, 24);
    expected.insert(expected.end(), {30, 36});
  }
  expected.resize(60);
  EXPECT_EQ(up, expected);
  EXPECT_EQ(c.tile, 42);
}

TEST_F(Steps, ModeZeroStartsThenMovesBothFacesKeepingTheThickness) {
  const CELL& c = w.world[1 * 10 + 1];
  EXPECT_EQ(c.tile, 1);
  Moving_Cells_Step(5);  // the first step only sets the start altitudes
  EXPECT_EQ(nums(c.up[2], c.down[2], c.tile, w.mov_cell_index[1].current), nums(24, 4, 1, 24))
      << "the tile comes with the first move";
  Moving_Cells_Step(5);
  EXPECT_EQ(nums(c.up[0], c.down[0], c.tile), nums(30, 10, 42));
  Moving_Cells_Step(5);
  EXPECT_EQ(nums(c.up[3], c.down[3]), nums(36, 16));
}

// ---------------------------------------------------------------- animated objects

}  // namespace
