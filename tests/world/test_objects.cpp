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

TEST_F(Objects, OddWidthRoundsHalfUpAndZeroWidthCoversTwoColumns) {
  w.sprites[6].width = 21;  // (21 + 1) / 2 = 11: first column trunc((30 - 11) / 12) = 1
  const int o = Create_Object(6, 30, 0, 6);
  EXPECT_EQ(w.objects[o].column, 1);
  EXPECT_EQ(listed(1, 0), std::vector<int>{o});
  EXPECT_EQ(listed(3, 0), std::vector<int>{o});
  const int z = Create_Object(7, 30, 0, 18);
  EXPECT_EQ(w.objects[z].column, 2);
  EXPECT_EQ(listed(2, 1), std::vector<int>{z});
  EXPECT_EQ(listed(3, 1), std::vector<int>{z});
  EXPECT_TRUE(listed(4, 1).empty());
}

TEST_F(Objects, FootprintPartlyOutsideTheWorld) {
  const int o = Create_Object(1, 2, 0, 6);  // trunc(-8 / 12) = 0: columns 0..2
  EXPECT_EQ(w.objects[o].column, 0);
  EXPECT_EQ(listed(0, 0), std::vector<int>{o});
  const int p = Create_Object(1, -20, 0, 6);  // trunc(-30 / 12) = -2: columns -2..0
  EXPECT_EQ(w.objects[p].column, -2);
  EXPECT_EQ(listed(0, 0), (std::vector<int>{o, p}));
  EXPECT_EQ(listed(1, 0), std::vector<int>{o});
  const int q = Create_Object(1, 114, 0, 200);  // row 16: outside, listed nowhere
  EXPECT_EQ(w.objects[q].row, 16);
  int total = 0;
  for (int i = 0; i < 100; i++) total += w.tiles_obj[i].count;
  EXPECT_EQ(total, 3 + 1) << "o in 3 cells, p in 1, q in none";
}

// ---------------------------------------------------------------- moving
TEST_F(Objects, MovingToTheSamePlaceReentersAtTheEndOfEachList) {
  const int a = Create_Object(1, 30, 0, 54);
  const int b = Create_Object(2, 30, 0, 54);
  for (int c = 1; c <= 3; c++) EXPECT_EQ(listed(c, 4), (std::vector<int>{a, b}));
  Object_Set_Position(a, 30, 0, 54);
  for (int c = 1; c <= 3; c++) EXPECT_EQ(listed(c, 4), (std::vector<int>{b, a}));
}

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

TEST_F(Objects, AFullCellListsNoSixteenthObject) {
  std::vector<int> made;
  for (int i = 0; i < 16; i++) made.push_back(Create_Object(1, 66, 0, 66));
  EXPECT_EQ(listed(5, 5).size(), size_t(WORLD_CELL_OBJECTS));
  EXPECT_EQ(listed(5, 5).back(), made[14]);
  // The sixteenth is placed (its record knows its cell) but not listed.
  EXPECT_EQ(w.objects[made[15]].column, 4);
  Object_Set_Position(made[0], 6, 0, 6);
  EXPECT_EQ(listed(5, 5).size(), 14u) << "the unlisted one does not come back by itself";
  Object_Set_Position(made[15], 66, 0, 66);
  EXPECT_EQ(listed(5, 5).back(), made[15]);
}

TEST_F(Objects, PlaceAllRebuildsTheLists) {
  const int a = Create_Object(1, 30, 0, 54);
  const int b = Create_Object(2, 30, 0, 54);
  w.tiles_obj[4 * 10 + 2].count = 0;
  w.objects[a].x = 90;  // moved by hand, without Object_Set_Position
  Objects_Place_All(1);
  EXPECT_EQ(listed(2, 4), std::vector<int>{b});
  EXPECT_EQ(listed(7, 4), std::vector<int>{a});
  Objects_Place_All(2);
  EXPECT_TRUE(listed(7, 4).empty()) << "objects before `first` are left out";
  EXPECT_EQ(w.objects[a].column, 6) << "and keep their record";
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

TEST_F(Objects, ObjectNumber997IsTheLast) {
  for (int i = 1; i <= WORLD_MAX_CREATED; i++) ASSERT_EQ(Create_Object(1, 6, 0, 6), i);
  EXPECT_TRUE(record.messages.empty());
  EXPECT_EQ(Create_Object(1, 6, 0, 6), -1);
  ASSERT_EQ(record.messages.size(), 1u);
  EXPECT_EQ(record.messages[0].text, "Error: I cant create more objects\n\n");
  EXPECT_EQ(nums(record.messages[0].stops, w.object_count), nums(1, WORLD_MAX_CREATED));
}

// ---------------------------------------------------------------- private animations
TEST_F(Objects, FirstAnimationTakesPrivateEntries) {
  const int o = Create_Object(1, 30, 0, 54);
  const int run = Sprite_Bitmap_Animation("RUN");
  const int bitmaps = w.sprite_bitmap_count, animations = w.animation_count;
  ASSERT_EQ(asign_animation_to_object(o, run, 2, 1), 1);
  const OBJECT_ESTUFF& e = w.Object_EStuff[o];
  EXPECT_EQ(nums(e.bitmap, e.animation, e.loops, w.sprite_bitmap_count, w.animation_count),
            nums(bitmaps, animations, 2, bitmaps + 1, animations + 1));
  const ANIMATION& a = w.animated_bitmap_index[e.animation];
  EXPECT_EQ(nums(a.kind, a.frame, a.target, a.time_left, a.active, a.loops, a.object, a.frame_count),
            nums(ANIM_KIND_SPRITE_BITMAPS, 1, e.bitmap, 5, 1, 2, o, 3));
  // The private sprite bitmap shows frame 1 (A1, 10 x 12 in a 16 x 16 texture).
  const SPRITE_BITMAP_ENTRY& mine = w.sprite_bitmap_index[e.bitmap];
  EXPECT_EQ(nums(mine.image_width, mine.texture_height, mine.texture, mine.animation, w.objects[o].bitmap),
            nums(10, 16, w.sprite_bitmap_index[Find_Sprite_Bitmap("A1")].texture, e.animation, e.bitmap));
  // The source animation is not changed.
  EXPECT_EQ(nums(w.animated_bitmap_index[run].object, w.animated_bitmap_index[run].frame), nums(-1, 0));
}

TEST_F(Objects, LaterAnimationsReuseTheEntries) {
  const int o = Create_Object(1, 30, 0, 54);
  const int run = Sprite_Bitmap_Animation("RUN");
  asign_animation_to_object(o, run, 2, 1);
  const int bitmaps = w.sprite_bitmap_count, animations = w.animation_count;
  const OBJECT_ESTUFF before = w.Object_EStuff[o];
  ASSERT_EQ(asign_animation_to_object(o, run, -1, 0), 1);
  EXPECT_EQ(w.sprite_bitmap_count, bitmaps);
  EXPECT_EQ(w.animation_count, animations);
  EXPECT_EQ(w.Object_EStuff[o].bitmap, before.bitmap);
  EXPECT_EQ(nums(w.animated_bitmap_index[before.animation].frame, w.animated_bitmap_index[before.animation].loops),
            nums(0, -1));
  // A loop count of 99999 is kept as a 16-bit value, as the record holds it.
  asign_animation_to_object(o, run, 99999, 0);
  EXPECT_EQ(w.animated_bitmap_index[before.animation].loops, int16_t(99999));
}

TEST_F(Objects, AnimationLimits) {
  const int o = Create_Object(1, 30, 0, 54);
  const int bitmaps = w.sprite_bitmap_count, animations = w.animation_count;
  w.sprite_bitmap_count = WORLD_SPRITE_BITMAPS - 1;
  EXPECT_EQ(asign_animation_to_object(o, 0, 1, 0), 0);
  ASSERT_EQ(record.messages.size(), 1u);
  EXPECT_EQ(record.messages[0].text, "Error: Too many Sprite Bitmaps! ( asign_animation_to_object )");
  w.sprite_bitmap_count = bitmaps;
  w.animation_count = WORLD_ANIMATIONS - 1;
  EXPECT_EQ(asign_animation_to_object(o, 0, 1, 0), 0);
  EXPECT_EQ(record.messages[1].text, "Error: Too many animated Bitmaps! ( asign_animation_to_object )");
  EXPECT_EQ(w.Object_EStuff[o].bitmap, -1);
  w.animation_count = animations;
}

TEST_F(Objects, BadNumbersChangeNothing) {
  const int count = w.sprite_bitmap_count;
  EXPECT_EQ(
      nums(asign_animation_to_object(1000, 0, 1, 0), asign_animation_to_object(1, 5, 1, 0), Object_From_Sprite(-1)),
      nums(0, 0, 0));
  Object_Set_Position(1000, 1, 2, 3);
  EXPECT_EQ(w.sprite_bitmap_count, count);
  EXPECT_TRUE(record.messages.empty());
}

}  // namespace
