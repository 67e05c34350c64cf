// Objects: set-up from sprites, creation and its limit, footprints in the per-cell lists, re-entry, full lists, private animations.
#include "tests/world/test_level_util.h"
#include "world/objects.h"

using namespace level_test;

namespace {

WORLD_TABLES& w = world_tables;

// The objects listed in cell (column, row).
std::vector<int> listed(int column, int row) {
  const TILES_OBJ& t = w.tiles_obj[row * w.world_width + column];
  return std::vector<int>(t.objects, t.objects + t.count);
}

class Objects : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    // Sprites 0..5 and 100 are 20 wide and 24 high; sprite 6 is 30 wide;
    // sprite 7 is 0 wide.
    const std::string def = basic_def() + "&6 = S, 10, 30, 2, 1, 2, 3, 4, 5, 6, 7, 8\r\n&7 = S, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
                                          "^A0 = a0.png\r\n^A1 = a1.png\r\n^A2 = a2.png\r\n<RUN = A0, 4, A1, 5, A2, 6\r\n";
    record.sizes["a1.png"] = {10, 12, 16, 16};
    const Bytes map = map_bytes(12, {}, 10, 10, [](int, int) { return cell_of(1); });
    ASSERT_EQ(load(def, &map), LEVEL_LOADED);
  }
};

// ---------------------------------------------------------------- footprint
TEST_F(Objects, TwentyWideAtCellSize12CoversThreeColumns) {
  const int o = Create_Object(1, 30, 0, 54);
  ASSERT_EQ(o, 1);
  // First column trunc((30 - 10) / 12) = 1, 20 / 12 + 2 = 3 columns, row trunc(54 / 12) = 4.
  EXPECT_EQ(nums(w.objects[o].column, w.objects[o].row), nums(1, 4));
  for (int c = 0; c < 10; c++) EXPECT_EQ(listed(c, 4), (c >= 1 && c <= 3) ? std::vector<int>{1} : std::vector<int>{});
  for (int r : {3, 5}) EXPECT_TRUE(listed(2, r).empty());
}

// ---------------------------------------------------------------- moving

TEST_F(Objects, MovingLeavesTheOldCellsAndKeepsOthersInOrder) {
  const int a = Create_Object(1, 30, 0, 54);
  const int b = Create_Object(2, 42, 0, 54);
  const int c = Create_Object(3, 54, 0, 54);
  EXPECT_EQ(listed(3, 4), (std::vector<int>{a, b, c}));
  Object_Set_Position(b, 66, 5, 78);
  EXPECT_EQ(listed(3, 4), (std::vector<int>{a, c}));
  EXPECT_EQ(listed(2, 4), (std::vector<int>{a}));
  EXPECT_EQ(listed(5, 6), (std::vector<int>{b}));
  EXPECT_EQ(nums(w.objects[b].x, w.objects[b].y, w.objects[b].z), nums(66.0, 5.0, 78.0));
}

TEST_F(Objects, RemovalUsesTheWidthOfTheLastPlacement) {
  const int a = Create_Object(1, 30, 0, 54);  // columns 1..3
  w.objects[a].width = 60;                     // now 60 / 12 + 2 = 7 columns
  Object_Set_Position(a, 30, 0, 54);           // leaves 1..3, enters trunc(0 / 12) = 0..6
  EXPECT_EQ(w.objects[a].placed_width, 60);
  for (int c = 0; c <= 6; c++) EXPECT_EQ(listed(c, 4), std::vector<int>{a}) << c;
  w.objects[a].width = 0;
  Object_Set_Position(a, 30, 0, 54);  // leaves 0..6, enters 2..3
  for (int c = 0; c <= 6; c++) EXPECT_EQ(listed(c, 4).size(), (c == 2 || c == 3) ? 1u : 0u) << c;
}

// ---------------------------------------------------------------- creation
TEST_F(Objects, CreatedObjectIsSetUpFromItsSprite) {
  const int o = Create_Object(6, 30.5, 2.25, 54);
  const OBJECT& r = w.objects[o];
  EXPECT_EQ(nums(r.sprite, r.bitmap, r.height, r.width, r.placed_width, r.translucency, r.mirror_h, r.mirror_v, r.tint,
                 r.brightness, r.x, r.y),
            nums(6, 0, 10, 30, 30, 2, 0, 0, 0, 15, 30.5, 2.25));
  for (int k = 0; k < 8; k++) EXPECT_EQ(r.params[k], k + 1);
  EXPECT_EQ(w.object_count, o);
  // Refreshed after a change of sprite number, position untouched; an undefined sprite stops.
  w.objects[o].sprite = 1;
  ASSERT_EQ(Object_From_Sprite(o), 1);
  EXPECT_EQ(nums(w.objects[o].width, w.objects[o].x), nums(20, 30.5));
  w.objects[o].sprite = 9;
  EXPECT_EQ(Object_From_Sprite(o), 0);
  ASSERT_EQ(record.messages.size(), 1u);
  EXPECT_EQ(record.messages[0].text,
            "Error: Sprite 9 is NOT defined! Add a line starting with &9= in the level's .def file");
  EXPECT_EQ(record.messages[0].stops, 1);
  EXPECT_EQ(Create_Object(299, 0, 0, 0), -1);
  EXPECT_EQ(w.object_count, o) << "no object for an undefined sprite";
}

// ---------------------------------------------------------------- private animations

}  // namespace
