// Level definition reading: the line reader's bytes, the tokens, and the tables each well-formed line kind fills.
#include "tests/world/test_level_util.h"

using namespace level_test;

namespace {

const WORLD_TABLES& w = world_tables;

// ---------------------------------------------------------------- lines and parameters
TEST_F(LevelTest, LineBytesAndParameterLines) {
  struct Case {
    const char* what;
    std::string def;
    std::vector<double> params;  // as level_params()
  };
  const std::vector<Case> cases = {
      {"empty file: the defaults", "", {100, 100, 12, 32, 32, 256, 10, 10, 100}},
      {"CR LF lines", "@a 20\r\n@b 30\r\n@c 16\r\n", {20, 30, 16, 32, 32, 256, 10, 10, 100}},
      // The lone LFs are dropped: "@a 20@b 30@c 16" sets only the width.
      {"LF-only file is one line", "@a 20\n@b 30\n@c 16\n", {20, 100, 12, 32, 32, 256, 10, 10, 100}},
      // The '@' after the lone CR goes, so "b 30" is a comment line.
      {"lone CR swallows the next byte", "@a 20\r@b 30\r\n@c 16\r\n", {20, 100, 16, 32, 32, 256, 10, 10, 100}},
      {"control bytes dropped inside lines", std::string("@a\t 20\r\n@b\x01" "30\r\n@c 1\x1f" "6\r\n"),
       {20, 30, 16, 32, 32, 256, 10, 10, 100}},
      // The line in progress still counts.
      {"byte 255 ends the file", "@a 20\r\n@c 1\xff" "6\r\n@b 30\r\n", {20, 100, 1, 32, 32, 256, 10, 10, 100}},
      {"last line without line end", "@a 20\r\n@b 30", {20, 30, 12, 32, 32, 256, 10, 10, 100}},
      {"line of 9999 bytes", "@a 7" + std::string(9999 - 4, ' ') + "\r\n", {7, 100, 12, 32, 32, 256, 10, 10, 100}},
      {"comments need no mark; unknown and upper-case keys", " @a 20\r\n;@b 30\r\nx@c 16\r\n@z 5\r\n@A 5\r\n",
       {100, 100, 12, 32, 32, 256, 10, 10, 100}},
      {"every parameter line", "@a 40\r\n@b 50\r\n@c 24\r\n@d 64\r\n@e 16\r\n@f 128\r\n@g 3\r\n@h 4\r\n@i 77\r\n",
       {40, 50, 24, 64, 16, 128, 3, 4, 77}},
      {"'=' after the key reads 0; trailing text ignored", "@g=16\r\n@h -5x\r\n",
       {100, 100, 12, 32, 32, 256, 0, -5, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(load(c.def), LEVEL_LOADED);
    EXPECT_EQ(level_params(), c.params);
    EXPECT_TRUE(record.messages.empty()) << testing::PrintToString(texts());
    Free_Level();
  }
}

TEST_F(LevelTest, EmptyDefGivesAnEmptyResetLevel) {
  ASSERT_EQ(load(""), LEVEL_LOADED);
  EXPECT_EQ(nums(w.background_h_scale, w.background_v_scale, w.object_count), nums(150, 150, 0));
  EXPECT_EQ(w.tile_buffer, nullptr);
  EXPECT_EQ(w.buffer, nullptr) << "the line buffer goes when loading ends";
  EXPECT_EQ(nums(w.world[9999].tile, w.world[9999].brightness), nums(0, 15)) << "empty cells at full brightness";
}

TEST_F(LevelTest, ASecondLevelStartsFromTheDefaults) {
  ASSERT_EQ(load("@a 40\r\n@c 24\r\n"), LEVEL_LOADED);
  ASSERT_EQ(load("@b 20\r\n"), LEVEL_LOADED);
  EXPECT_EQ(nums(w.world_width, w.world_depth, w.cell_size), nums(100, 20, 12));
}

// ---------------------------------------------------------------- tile buffer
TEST_F(LevelTest, TileBufferIsSizedFromTheFirstPassCounts) {
  // 3 floors in rows of 256 / 32 = 8 slots: 1 row of 32 x 256 bytes;
  // 10 walls in rows of 8: 2 rows of 256 x 256 bytes.
  std::string def = SLOTS;
  for (int i = 0; i < 3; i++) def += "#F" + std::to_string(i) + " = f.png\r\n";
  for (int i = 0; i < 10; i++) def += "$W" + std::to_string(i) + " = w.png\r\n";
  ASSERT_EQ(load(def), LEVEL_LOADED);
  ASSERT_NE(w.tile_buffer, nullptr);
  EXPECT_EQ(w.tile_buffer_size, size_t(32 * 256 + 2 * 256 * 256));
  EXPECT_EQ(w.bitmap_count, 13);
  // It waits for all three slot sizes, in any order; with no floor or wall line: one row of each.
  ASSERT_EQ(load("@d 32\r\n@e 32\r\n; no @f\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.tile_buffer, nullptr);
  ASSERT_EQ(load("@f 64\r\n@e 32\r\n@d 16\r\n;\r\n"), LEVEL_LOADED);
  ASSERT_NE(w.tile_buffer, nullptr);
  EXPECT_EQ(w.tile_buffer_size, size_t(16 * 256 + 64 * 256));
}

// ---------------------------------------------------------------- bitmaps
TEST_F(LevelTest, FloorAndWallBitmapsWithPercentAndHashMarks) {
  ASSERT_EQ(load(SLOTS + "#grass = gfx\\grass.png\r\n#Road=gfx\\road.png%2\r\n$WALL = gfx\\w,1.png#\r\n"
                         "#WATER = gfx\\water.png#%7\r\n$NEAR = gfx\\near.png!\r\n"),
            LEVEL_LOADED);
  ASSERT_EQ(w.bitmap_count, 5);
  EXPECT_STREQ(w.bitmap_index[0].name, "GRASS");
  EXPECT_STREQ(w.bitmap_index[1].name, "ROAD");
  // percent, hash of entries 1, 2, 3; entry 0 not animated; textures in upload order.
  EXPECT_EQ(nums(w.bitmap_index[1].percent, w.bitmap_index[1].hash, w.bitmap_index[2].hash, w.bitmap_index[3].percent,
                 w.bitmap_index[3].hash, w.bitmap_index[0].animated, w.bitmap_index[0].texture, w.bitmap_index[4].texture),
            nums(2, 0, 1, 7, 1, 0, 100, 104));
  // File names keep their case; commas belong to them; '%' and '#' end them; '!' is passed on.
  ASSERT_EQ(record.uploads.size(), 5u);
  EXPECT_EQ(record.uploads[0].file, "gfx\\grass.png");
  EXPECT_EQ(record.uploads[1].file, "gfx\\road.png");
  EXPECT_EQ(record.uploads[2].file, "gfx\\w,1.png");
  EXPECT_EQ(record.uploads[4].file, "gfx\\near.png!");
  EXPECT_EQ(record.uploads[0].flags, 1);
}

TEST_F(LevelTest, NameLookupsAreCaseBlindAndCutTo39Characters) {
  const std::string name(60, 'N');
  ASSERT_EQ(load(SLOTS + "#Wall = a.png\r\n^Hero = h.png\r\n#" + name + " = a.png\r\n"), LEVEL_LOADED);
  EXPECT_EQ(Find_Bitmap("wall"), 0);
  EXPECT_EQ(Find_Bitmap("WALL"), 0);
  EXPECT_EQ(Find_Bitmap("null"), WORLD_NAME_NULL);
  EXPECT_EQ(Find_Bitmap("NULL"), WORLD_NAME_NULL);
  EXPECT_EQ(Find_Bitmap("HERO"), WORLD_NAME_ABSENT);
  EXPECT_EQ(Find_Sprite_Bitmap("hErO"), 0);
  EXPECT_EQ(Find_Sprite_Bitmap("wall"), WORLD_NAME_ABSENT);
  EXPECT_EQ(Sprite_Bitmap_Animation("nothing"), -1);
  EXPECT_EQ(Sprite_Bitmap_Animation("hero"), 0) << "a plain sprite bitmap keeps animation 0";
  EXPECT_EQ(std::strlen(w.bitmap_index[1].name), 39u);
  EXPECT_EQ(Find_Bitmap(name.c_str()), 1);
  EXPECT_EQ(Find_Bitmap(std::string(39, 'n').c_str()), 1);
}

TEST_F(LevelTest, SpriteBitmapTakesTheUploadSizesAndDropsTheHashMark) {
  record.sizes["h.png"] = {20, 30, 32, 32};
  ASSERT_EQ(load(SLOTS + "^HERO = h.png%3#\r\n"), LEVEL_LOADED);
  const SPRITE_BITMAP_ENTRY& e = w.sprite_bitmap_index[0];
  EXPECT_STREQ(e.name, "HERO");
  EXPECT_EQ(nums(e.percent, e.image_width, e.image_height, e.texture_width, e.texture_height, e.texture),
            nums(3, 20, 30, 32, 32, 100));
  EXPECT_EQ(record.uploads[0].file, "h.png");
}

TEST_F(LevelTest, FailedUploadsAreCountedAndLoadingGoesOn) {
  ASSERT_EQ(load(SLOTS + "#A = missing.png\r\n^B = missing2.png\r\n#C = c.png\r\n"), LEVEL_LOADED);
  EXPECT_EQ(nums(Level_Picture_Failures(), w.bitmap_index[0].texture, w.bitmap_count, w.sprite_bitmap_count),
            nums(2, 0, 2, 1));
}

// ---------------------------------------------------------------- animations
TEST_F(LevelTest, AnimatedBitmapStartsAsACopyOfItsFirstFrame) {
  ASSERT_EQ(load(SLOTS + "#A = a.png%4#\r\n#B = b.png\r\n>*WAVE = a, 7, B, 9, a, 11\r\n"), LEVEL_LOADED);
  ASSERT_EQ(w.bitmap_count, 3);
  const BITMAP_ENTRY& e = w.bitmap_index[2];
  EXPECT_STREQ(e.name, "WAVE");
  EXPECT_EQ(nums(e.animated, e.percent, e.hash, e.texture), nums(1, 4, 1, w.bitmap_index[0].texture));
  ASSERT_EQ(w.animation_count, 1);
  const ANIMATION& a = w.animated_bitmap_index[0];
  // kind, target, frames, current frame, frames 0..2, last delay, time left, ping-pong, direction;
  // then the reset after the file: active, endless, no owner.
  EXPECT_EQ(nums(a.kind, a.target, a.frame_count, a.frame, a.frames[0], a.frames[1], a.frames[2], a.delays[2],
                 a.time_left, a.ping_pong, a.direction, a.active, a.loops, a.object),
            nums(ANIM_KIND_BITMAPS, 2, 3, 0, 0, 1, 0, 11, 7, 1, ANIM_FORWARD, 1, -1, -1));
}

TEST_F(LevelTest, AnimatedSpriteBitmapKeepsItsAnimationNumber) {
  record.sizes["s.png"] = {20, 30, 32, 32};
  ASSERT_EQ(load(SLOTS + "^S = s.png%5\r\n^T = t.png\r\n<RUN = S, 3, T, 3\r\n"), LEVEL_LOADED);
  const SPRITE_BITMAP_ENTRY& e = w.sprite_bitmap_index[2];
  EXPECT_STREQ(e.name, "RUN");
  EXPECT_EQ(nums(e.animation, e.image_width, e.texture_height, e.percent, e.texture),
            nums(0, 20, 32, 5, w.sprite_bitmap_index[0].texture));
  EXPECT_EQ(nums(w.animated_bitmap_index[0].kind, w.animated_bitmap_index[0].ping_pong),
            nums(ANIM_KIND_SPRITE_BITMAPS, 0));
  EXPECT_EQ(Sprite_Bitmap_Animation("run"), 0);
}

TEST_F(LevelTest, FramesMayBeNullOrOtherAnimations) {
  ASSERT_EQ(load(SLOTS + "#A = a.png\r\n>ONE = A, 1\r\n>TWO = ONE, 2, NULL, 3\r\n"), LEVEL_LOADED);
  EXPECT_EQ(nums(w.animated_bitmap_index[1].frames[0], w.animated_bitmap_index[1].frames[1]), nums(1, -1));
}

TEST_F(LevelTest, SuperAnimatedBitmapGeneratesItsLines) {
  ASSERT_EQ(load(SLOTS + "]FIRE = gfx\\fire, 3, 10\r\n]*GLOW = g, 2, 4\r\n"), LEVEL_LOADED);
  ASSERT_EQ(record.uploads.size(), 5u);
  EXPECT_EQ(record.uploads[0].file, "gfx\\fire00.png");
  EXPECT_EQ(record.uploads[2].file, "gfx\\fire02.png");
  EXPECT_EQ(record.uploads[4].file, "g01.png");
  EXPECT_EQ(nums(Find_Sprite_Bitmap("FIRE00"), Find_Sprite_Bitmap("fire02"), Find_Sprite_Bitmap("FIRE")),
            nums(0, 2, 3));
  ASSERT_EQ(Sprite_Bitmap_Animation("fire"), 0);
  const ANIMATION& a = w.animated_bitmap_index[0];
  EXPECT_EQ(nums(a.frame_count, a.frames[0], a.frames[1], a.frames[2], a.delays[0], a.delays[2], a.ping_pong, a.target),
            nums(3, 0, 1, 2, 10, 10, 0, 3));
  const ANIMATION& glow = w.animated_bitmap_index[1];  // '*': ping-pong
  EXPECT_EQ(nums(glow.ping_pong, glow.frame_count), nums(1, 2));
}

// ---------------------------------------------------------------- tiles and sprites
TEST_F(LevelTest, TileFacesAreStoredInSlotOrderWithWallMarks) {
  ASSERT_EQ(load(SLOTS + "#F0 = a.png\r\n#F1 = a.png\r\n$W2 = a.png\r\n$W3 = a.png\r\n$W4 = a.png\r\n$W5 = a.png\r\n"
                         "%7 = f0, F1, W2!, W3, W4!, w5\r\n%5 = F0, F0, NULL, NULL, NULL, NULL\r\n"),
            LEVEL_LOADED);
  const TILE& t = w.tiles[7];
  // Slots hold faces 0, 1, 5, 3, 2, 4 (bitmaps F0=0 ... W5=5); marks of faces 2, 3, 4, 5.
  EXPECT_EQ(nums(t.defined, t.faces[0], t.faces[1], t.faces[2], t.faces[3], t.faces[4], t.faces[5]),
            nums(1, 0, 1, 5, 3, 2, 4));
  EXPECT_EQ(nums(t.marks[0], t.marks[1], t.marks[2], t.marks[3]), nums(1, 0, 1, 0));
  const TILE& f = w.tiles[5];
  EXPECT_EQ(nums(f.faces[0], f.faces[1], f.faces[2], f.faces[3], f.faces[4], f.faces[5]), nums(0, 0, -1, -1, -1, -1));
  EXPECT_EQ(w.tiles[6].defined, 0);
}

TEST_F(LevelTest, SpriteWithPercentagesOfTheImage) {
  record.sizes["hero.png"] = {20, 30, 32, 32};
  ASSERT_EQ(load(SLOTS + "^HERO = hero.png\r\n&3 = HERO, -50, -100, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
                         "&298 = hero, 40, 12, 2, 4, 5, 6, 7, 8, 9, 10, -11\r\n&0 = NULL, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0\r\n"),
            LEVEL_LOADED);
  // Negative sizes are percentages: half the picture's 30 high, all of its 20 wide.
  const SPRITE& s = w.sprites[3];
  EXPECT_EQ(nums(s.defined, s.bitmap, s.height, s.width), nums(1, 0, 15, 20));
  const SPRITE& t = w.sprites[298];
  EXPECT_EQ(nums(t.height, t.width, t.translucency, t.params[0], t.params[7]), nums(40, 12, 2, 4, -11));
  EXPECT_EQ(w.sprites[0].bitmap, -1);
  // Reading a sprite sets its bitmap's texture sizes to the image sizes.
  EXPECT_EQ(nums(w.sprite_bitmap_index[0].texture_width, w.sprite_bitmap_index[0].texture_height), nums(20, 30));
}

// ---------------------------------------------------------------- moving cells and animated objects
TEST_F(LevelTest, MovingCellRecord) {
  ASSERT_EQ(load(SLOTS + "#A = a.png\r\n%42 = A, A, NULL, NULL, NULL, NULL\r\n*3, 4 = 42, 24, 0, 1, 36, 12, 50, 24, 12, 50\r\n"
                         "*7,2=42,10,10,2,10,1,1,20,1,1,0,1,1\r\n"),
            LEVEL_LOADED);
  ASSERT_EQ(w.mov_cell_count, 2);
  const MOV_CELL& m = w.mov_cell_index[0];
  EXPECT_EQ(nums(m.z, m.x, m.tile, m.up, m.down, m.mode, m.frame_count, m.altitudes[0], m.speeds[1], m.delays[1],
                 m.current, m.pause, m.frame),
            nums(3, 4, 42, 24, 0, 1, 2, 36, 12, 50, WORLD_WAITING, WORLD_WAITING, 0));
  const MOV_CELL& n = w.mov_cell_index[1];
  EXPECT_EQ(nums(n.frame_count, n.z, n.x), nums(3, 7, 2));
}

TEST_F(LevelTest, MovingCellsPastTheTableAreCheckedButNotKept) {
  std::string def = SLOTS + "#A = a.png\r\n%1 = A, A, NULL, NULL, NULL, NULL\r\n";
  for (int i = 0; i < 201; i++) def += "*0, " + std::to_string(i % 10) + " = 1, 0, 0, 0, 1, 1, 1, 2, 1, 1\r\n";
  def += "*0, 0 = 2, 0, 0, 0\r\n";  // still checked: tile 2 is not defined
  EXPECT_EQ(load(def), LEVEL_STOPPED);
  EXPECT_EQ(w.mov_cell_count, WORLD_MOV_CELLS);
  ASSERT_EQ(record.messages.size(), 1u);
}

TEST_F(LevelTest, AnimatedObjectTravelTimesAndVelocities) {
  ASSERT_EQ(load(basic_def() + "+3 = 0, 0, 6, 12, 5, 24, 0, 6, 12, 7\r\n+4 = 0, 0, 0, 1, 0, 3, 4, 0, 0, 0\r\n"),
            LEVEL_LOADED);
  ASSERT_EQ(w.ani_object_count, 2);
  // Object holds the sprite number until the object exists; 24 units at 12 take 2 each way.
  const ANI_OBJECT& a = w.Ani_Objects_Index[0];
  EXPECT_EQ(nums(a.object, a.frame_count, a.travel_time[0], a.travel_time[1], a.vx[0], a.vx[1], a.vz[0], a.travel_left,
                 a.pause, a.delay[1]),
            nums(3, 2, 2, 2, 12, -12, 0, 2, WORLD_WAITING, 7));
  // A 3-4-5 leg at speed 1 takes 5; a speed of 0 makes the leg back take no time.
  const ANI_OBJECT& b = w.Ani_Objects_Index[1];
  EXPECT_EQ(nums(b.travel_time[0], b.travel_time[1], b.vx[1]), nums(5, 0, 0));
  EXPECT_DOUBLE_EQ(b.vx[0], 0.6);
  EXPECT_DOUBLE_EQ(b.vy[0], 0.8);
  EXPECT_EQ(w.object_count, 0) << "not added unless asked";
}

TEST_F(LevelTest, AnimatedObjectsBecomeObjectsWhenAsked) {
  const Bytes map = map_bytes(12, {object_at(1, 30, 0, 30)}, 10, 10, [](int, int) { return cell_of(1); });
  ASSERT_EQ(load(basic_def() + "+3 = 18, 2, 54, 12, 5, 42, 2, 54, 12, 7\r\n", &map, 1), LEVEL_LOADED);
  ASSERT_EQ(w.object_count, 2);
  const OBJECT& o = w.objects[2];
  // Set up from its sprite: 20 wide; listed in row 4.
  EXPECT_EQ(nums(o.sprite, o.x, o.y, o.z, o.brightness, o.tint, o.width, o.row), nums(3, 18, 2, 54, 15, 0, 20, 4));
  EXPECT_EQ(w.Ani_Objects_Index[0].object, 2);
}

}  // namespace
