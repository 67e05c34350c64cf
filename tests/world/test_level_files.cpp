// Loading the fixture level from its files through the file layer, with the pictures measured by the default upload.
#include "tests/world/test_level_util.h"
#include "world/anim.h"
#include "world/objects.h"

using namespace level_test;

namespace {

const WORLD_TABLES& w = world_tables;

// The fixture folder is the current folder, as the game's data root is.
class LevelFiles : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    Level_Texture_Hooks(nullptr, nullptr);  // the real upload: no context, so pictures are measured
    saved = std::filesystem::current_path();
    std::filesystem::current_path(fixture(""));
  }
  void TearDown() override {
    std::filesystem::current_path(saved);
    LevelTest::TearDown();
  }
  std::filesystem::path saved;
};

TEST_F(LevelFiles, PondLoadsCleanlyWithItsPicturesMeasured) {
  ASSERT_EQ(Load_Level("level\\pond.def", "level\\pond.map", 1), LEVEL_LOADED);
  EXPECT_TRUE(record.messages.empty()) << testing::PrintToString(texts());
  EXPECT_EQ(Level_Picture_Failures(), 0);
  // width, depth, start x and z, background scales; 5 bitmaps; HERO, CAR, FIRE00..02, FIRE; 2 animations.
  EXPECT_EQ(nums(w.world_width, w.world_depth, w.start_x, w.start_z, w.background_h_scale, w.background_v_scale,
                 w.bitmap_count, w.sprite_bitmap_count, w.animation_count),
            nums(12, 10, 5, 8, 150, 120, 5, 6, 2));
  EXPECT_EQ(nums(w.background.width, w.background.height), nums(16, 8)) << "sky.png, kept at its size without a screen";
  // The '&100' line set the car's texture sizes to the image's.
  const SPRITE_BITMAP_ENTRY& car = w.sprite_bitmap_index[Find_Sprite_Bitmap("car")];
  EXPECT_EQ(nums(car.image_width, car.image_height, car.texture_width), nums(24, 12, 24));
  const SPRITE_BITMAP_ENTRY& fire = w.sprite_bitmap_index[Find_Sprite_Bitmap("fire01")];
  EXPECT_EQ(nums(fire.image_width, fire.texture_width), nums(4, 4));
  // HERO is 20 x 30: the sprite "-50, -100" is 15 high and 20 wide.
  EXPECT_EQ(nums(w.sprites[1].height, w.sprites[1].width, w.sprites[100].params[7]), nums(15, 20, 8));
  EXPECT_EQ(w.bitmap_index[Find_Bitmap("road")].percent, 2);
  EXPECT_EQ(w.bitmap_index[Find_Bitmap("water")].hash, 1);
  EXPECT_EQ(w.tiles[25].marks[0], 1);
  EXPECT_EQ(w.tiles[43].faces[0], Find_Bitmap("SHIMMER"));
  // The map.
  EXPECT_EQ(nums(w.world[0].tile, w.world[2 * 12 + 5].tile, w.world[4 * 12 + 6].tile, w.world[7 * 12].tint,
                 w.world[7 * 12].brightness),
            nums(42, 1, 43, 3, 12));
  EXPECT_EQ(World_Up_Height(6, 6), 12.0);
  EXPECT_EQ(World_Up_Height(6.5, 9 * 12 + 3), 6.0) << "the sloped cell of row 9";
  // Objects 1..3 from the map, 4 from the animated object.
  ASSERT_EQ(w.object_count, 4);
  EXPECT_EQ(nums(w.objects[1].sprite, w.objects[1].x, w.objects[2].tint, w.objects[2].brightness, w.objects[3].x,
                 w.objects[3].width, w.objects[4].sprite, w.objects[4].z),
            nums(1, 66, 3, 9, 90.5, 20, 100, 6));
  // The frog (object 1, 20 wide at x 66, z 114) is listed in row 9, columns 4 to 6.
  const TILES_OBJ& cell = w.tiles_obj[9 * 12 + 4];
  ASSERT_EQ(cell.count, 1);
  EXPECT_EQ(cell.objects[0], 1);
}

TEST_F(LevelFiles, LevelRunsItsSteps) {
  ASSERT_EQ(Load_Level("level\\pond.def", "level\\pond.map", 1), LEVEL_LOADED);
  const int fire = Sprite_Bitmap_Animation("FIRE");
  ASSERT_GE(fire, 0);
  ASSERT_EQ(asign_animation_to_object(2, fire, -1, 2), 1);
  for (int i = 0; i < 100; i++) {
    Animations_Step(3);
    Moving_Cells_Step(3);
    Animated_Objects_Step(3);
  }
  EXPECT_TRUE(record.messages.empty());
  EXPECT_EQ(w.world[3 * 12 + 4].tile, 42) << "the moving cell";
}

}  // namespace
