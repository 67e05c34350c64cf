// Level definition reading: the line reader's bytes, the tokens, and the tables each well-formed line kind fills.
#include "tests/world/test_level_util.h"

using namespace level_test;

namespace {

const WORLD_TABLES& w = world_tables;

// ---------------------------------------------------------------- lines
TEST_F(LevelTest, CrLfLinesEachDeclareOneThing) {
  ASSERT_EQ(load("@a 20\r\n@b 30\r\n@c 16\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 20);
  EXPECT_EQ(w.world_depth, 30);
  EXPECT_EQ(w.cell_size, 16);
  EXPECT_TRUE(record.messages.empty());
}

TEST_F(LevelTest, LineFeedOnlyFileReadsAsOneLine) {
  // The lone LFs are dropped: "@a 20@b 30@c 16" sets only world_width.
  ASSERT_EQ(load("@a 20\n@b 30\n@c 16\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 20);
  EXPECT_EQ(w.world_depth, WORLD_DEFAULT_DEPTH);
  EXPECT_EQ(w.cell_size, WORLD_DEFAULT_CELL_SIZE);
}

TEST_F(LevelTest, CarriageReturnSwallowsTheNextByteWhateverItIs) {
  // The '@' after the lone CR goes, so "b 30" is a comment line.
  ASSERT_EQ(load("@a 20\r@b 30\r\n@c 16\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 20);
  EXPECT_EQ(w.world_depth, WORLD_DEFAULT_DEPTH);
  EXPECT_EQ(w.cell_size, 16);
}

TEST_F(LevelTest, ControlBytesAreDroppedInsideLines) {
  ASSERT_EQ(load(std::string("@a\t 20\r\n@b\x01" "30\r\n@c 1\x1f" "6\r\n")), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 20);
  EXPECT_EQ(w.world_depth, 30);
  EXPECT_EQ(w.cell_size, 16);
}

TEST_F(LevelTest, Byte255EndsTheFile) {
  ASSERT_EQ(load("@a 20\r\n@c 1\xff" "6\r\n@b 30\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 20);
  EXPECT_EQ(w.cell_size, 1);  // the line in progress still counts
  EXPECT_EQ(w.world_depth, WORLD_DEFAULT_DEPTH);
}

TEST_F(LevelTest, LastLineWithoutLineEndIsRead) {
  ASSERT_EQ(load("@a 20\r\n@b 30"), LEVEL_LOADED);
  EXPECT_EQ(w.world_depth, 30);
}

TEST_F(LevelTest, LineOf9999BytesIsKept) {
  const std::string line = "@a 7" + std::string(9999 - 4, ' ');
  ASSERT_EQ(load(line + "\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 7);
  EXPECT_TRUE(record.messages.empty());
}

TEST_F(LevelTest, CommentsNeedNoMark) {
  ASSERT_EQ(load(" @a 20\r\n;@b 30\r\nx@c 16\r\n@z 5\r\n@A 5\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, WORLD_DEFAULT_WIDTH);
  EXPECT_EQ(w.world_depth, WORLD_DEFAULT_DEPTH);
  EXPECT_EQ(w.cell_size, WORLD_DEFAULT_CELL_SIZE);
  EXPECT_TRUE(record.messages.empty());
}

TEST_F(LevelTest, EmptyDefGivesAnEmptyLevelWithDefaults) {
  ASSERT_EQ(load(""), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 100);
  EXPECT_EQ(w.world_depth, 100);
  EXPECT_EQ(w.cell_size, 12);
  EXPECT_EQ(w.floor_bitmap_size, 32);
  EXPECT_EQ(w.wall_bitmap_width, 32);
  EXPECT_EQ(w.wall_bitmap_height, 256);
  EXPECT_EQ(w.start_x, 10);
  EXPECT_EQ(w.start_z, 10);
  EXPECT_EQ(w.far_limit, 100);
  EXPECT_EQ(w.background_h_scale, 150);
  EXPECT_EQ(w.background_v_scale, 150);
  EXPECT_EQ(w.object_count, 0);
  EXPECT_EQ(w.tile_buffer, nullptr);
  EXPECT_EQ(w.buffer, nullptr) << "the line buffer goes when loading ends";
  // The reset world: empty cells at full brightness.
  EXPECT_EQ(w.world[9999].tile, 0);
  EXPECT_EQ(w.world[9999].brightness, 15);
}

// ---------------------------------------------------------------- parameters
TEST_F(LevelTest, EveryParameterLine) {
  ASSERT_EQ(load("@a 40\r\n@b 50\r\n@c 24\r\n@d 64\r\n@e 16\r\n@f 128\r\n@g 3\r\n@h 4\r\n@i 77\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 40);
  EXPECT_EQ(w.world_depth, 50);
  EXPECT_EQ(w.cell_size, 24);
  EXPECT_EQ(w.floor_bitmap_size, 64);
  EXPECT_EQ(w.wall_bitmap_width, 16);
  EXPECT_EQ(w.wall_bitmap_height, 128);
  EXPECT_EQ(w.start_x, 3);
  EXPECT_EQ(w.start_z, 4);
  EXPECT_EQ(w.far_limit, 77);
}

TEST_F(LevelTest, EqualsAfterParameterReadsZero) {
  ASSERT_EQ(load("@g=16\r\n@h -5x\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.start_x, 0);
  EXPECT_EQ(w.start_z, -5);
}

TEST_F(LevelTest, ASecondLevelStartsFromTheDefaults) {
  ASSERT_EQ(load("@a 40\r\n@c 24\r\n"), LEVEL_LOADED);
  ASSERT_EQ(load("@b 20\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.world_width, 100);
  EXPECT_EQ(w.world_depth, 20);
  EXPECT_EQ(w.cell_size, 12);
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
}

TEST_F(LevelTest, TileBufferWaitsForAllThreeSlotSizes) {
  ASSERT_EQ(load("@d 32\r\n@e 32\r\n; no @f\r\n"), LEVEL_LOADED);
  EXPECT_EQ(w.tile_buffer, nullptr);
  ASSERT_EQ(load("@f 64\r\n@e 32\r\n@d 16\r\n;\r\n"), LEVEL_LOADED);
  ASSERT_NE(w.tile_buffer, nullptr);
  // No floor or wall line: one row of each.
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
  EXPECT_EQ(w.bitmap_index[1].percent, 2);
  EXPECT_EQ(w.bitmap_index[1].hash, 0);
  EXPECT_EQ(w.bitmap_index[2].hash, 1);
  EXPECT_EQ(w.bitmap_index[3].percent, 7);
  EXPECT_EQ(w.bitmap_index[3].hash, 1);
  EXPECT_EQ(w.bitmap_index[0].animated, 0);
  EXPECT_EQ(w.bitmap_index[0].texture, 100u);
  EXPECT_EQ(w.bitmap_index[4].texture, 104u);
  // File names keep their case; commas belong to them; '%' and '#' end them; '!' is passed on.
  ASSERT_EQ(record.uploads.size(), 5u);
  EXPECT_EQ(record.uploads[0].file, "gfx\\grass.png");
  EXPECT_EQ(record.uploads[1].file, "gfx\\road.png");
  EXPECT_EQ(record.uploads[2].file, "gfx\\w,1.png");
  EXPECT_EQ(record.uploads[4].file, "gfx\\near.png!");
  EXPECT_EQ(record.uploads[0].flags, 1);
}

TEST_F(LevelTest, NameLookupsAreCaseBlind) {
  ASSERT_EQ(load(SLOTS + "#Wall = a.png\r\n^Hero = h.png\r\n"), LEVEL_LOADED);
  EXPECT_EQ(Find_Bitmap("wall"), 0);
  EXPECT_EQ(Find_Bitmap("WALL"), 0);
  EXPECT_EQ(Find_Bitmap("null"), WORLD_NAME_NULL);
  EXPECT_EQ(Find_Bitmap("NULL"), WORLD_NAME_NULL);
  EXPECT_EQ(Find_Bitmap("HERO"), WORLD_NAME_ABSENT);
  EXPECT_EQ(Find_Sprite_Bitmap("hErO"), 0);
  EXPECT_EQ(Find_Sprite_Bitmap("wall"), WORLD_NAME_ABSENT);
  EXPECT_EQ(Sprite_Bitmap_Animation("nothing"), -1);
  EXPECT_EQ(Sprite_Bitmap_Animation("hero"), 0) << "a plain sprite bitmap keeps animation 0";
}

TEST_F(LevelTest, LongNamesAreCutTo39Characters) {
  const std::string name(60, 'N');
  ASSERT_EQ(load(SLOTS + "#" + name + " = a.png\r\n"), LEVEL_LOADED);
  EXPECT_EQ(std::strlen(w.bitmap_index[0].name), 39u);
  EXPECT_EQ(Find_Bitmap(name.c_str()), 0);
  EXPECT_EQ(Find_Bitmap(std::string(39, 'n').c_str()), 0);
}

TEST_F(LevelTest, SpriteBitmapTakesTheUploadSizesAndDropsTheHashMark) {
  record.sizes["h.png"] = {20, 30, 32, 32};
  ASSERT_EQ(load(SLOTS + "^HERO = h.png%3#\r\n"), LEVEL_LOADED);
  const SPRITE_BITMAP_ENTRY& e = w.sprite_bitmap_index[0];
  EXPECT_STREQ(e.name, "HERO");
  EXPECT_EQ(e.percent, 3);
  EXPECT_EQ(e.image_width, 20);
  EXPECT_EQ(e.image_height, 30);
  EXPECT_EQ(e.texture_width, 32);
  EXPECT_EQ(e.texture_height, 32);
  EXPECT_EQ(e.texture, 100u);
  EXPECT_EQ(record.uploads[0].file, "h.png");
}

TEST_F(LevelTest, FailedUploadsAreCountedAndLoadingGoesOn) {
  ASSERT_EQ(load(SLOTS + "#A = missing.png\r\n^B = missing2.png\r\n#C = c.png\r\n"), LEVEL_LOADED);
  EXPECT_EQ(Level_Picture_Failures(), 2);
  EXPECT_EQ(w.bitmap_index[0].texture, 0u);
  EXPECT_EQ(w.bitmap_count, 2);
  EXPECT_EQ(w.sprite_bitmap_count, 1);
}

// ---------------------------------------------------------------- animations
TEST_F(LevelTest, AnimatedBitmapStartsAsACopyOfItsFirstFrame) {
  ASSERT_EQ(load(SLOTS + "#A = a.png%4#\r\n#B = b.png\r\n>*WAVE = a, 7, B, 9, a, 11\r\n"), LEVEL_LOADED);
  ASSERT_EQ(w.bitmap_count, 3);
  const BITMAP_ENTRY& e = w.bitmap_index[2];
  EXPECT_STREQ(e.name, "WAVE");
  EXPECT_EQ(e.animated, 1);
  EXPECT_EQ(e.percent, 4);
  EXPECT_EQ(e.hash, 1);
  EXPECT_EQ(e.texture, w.bitmap_index[0].texture);
  ASSERT_EQ(w.animation_count, 1);
  const ANIMATION& a = w.animated_bitmap_index[0];
  EXPECT_EQ(a.kind, ANIM_KIND_BITMAPS);
  EXPECT_EQ(a.target, 2);
  EXPECT_EQ(a.frame_count, 3);
  EXPECT_EQ(a.frame, 0);
  EXPECT_EQ(a.frames[0], 0);
  EXPECT_EQ(a.frames[1], 1);
  EXPECT_EQ(a.frames[2], 0);
  EXPECT_EQ(a.delays[2], 11);
  EXPECT_EQ(a.time_left, 7.0);
  EXPECT_EQ(a.ping_pong, 1);
  EXPECT_EQ(a.direction, ANIM_FORWARD);
  // The reset after the file: active, endless, no owner.
  EXPECT_EQ(a.active, 1);
  EXPECT_EQ(a.loops, -1);
  EXPECT_EQ(a.object, -1);
}

TEST_F(LevelTest, AnimatedSpriteBitmapKeepsItsAnimationNumber) {
  record.sizes["s.png"] = {20, 30, 32, 32};
  ASSERT_EQ(load(SLOTS + "^S = s.png%5\r\n^T = t.png\r\n<RUN = S, 3, T, 3\r\n"), LEVEL_LOADED);
  const SPRITE_BITMAP_ENTRY& e = w.sprite_bitmap_index[2];
  EXPECT_STREQ(e.name, "RUN");
  EXPECT_EQ(e.animation, 0);
  EXPECT_EQ(e.image_width, 20);
  EXPECT_EQ(e.texture_height, 32);
  EXPECT_EQ(e.percent, 5);
  EXPECT_EQ(e.texture, w.sprite_bitmap_index[0].texture);
  EXPECT_EQ(w.animated_bitmap_index[0].kind, ANIM_KIND_SPRITE_BITMAPS);
  EXPECT_EQ(w.animated_bitmap_index[0].ping_pong, 0);
  EXPECT_EQ(Sprite_Bitmap_Animation("run"), 0);
}

TEST_F(LevelTest, FramesMayBeNullOrOtherAnimations) {
  ASSERT_EQ(load(SLOTS + "#A = a.png\r\n>ONE = A, 1\r\n>TWO = ONE, 2, NULL, 3\r\n"), LEVEL_LOADED);
  const ANIMATION& a = w.animated_bitmap_index[1];
  EXPECT_EQ(a.frames[0], 1);
  EXPECT_EQ(a.frames[1], -1);
}

TEST_F(LevelTest, SuperAnimatedBitmapGeneratesItsLines) {
  ASSERT_EQ(load(SLOTS + "]FIRE = gfx\\fire, 3, 10\r\n"), LEVEL_LOADED);
  ASSERT_EQ(record.uploads.size(), 3u);
  EXPECT_EQ(record.uploads[0].file, "gfx\\fire00.png");
  EXPECT_EQ(record.uploads[1].file, "gfx\\fire01.png");
  EXPECT_EQ(record.uploads[2].file, "gfx\\fire02.png");
  ASSERT_EQ(w.sprite_bitmap_count, 4);
  EXPECT_EQ(Find_Sprite_Bitmap("FIRE00"), 0);
  EXPECT_EQ(Find_Sprite_Bitmap("fire02"), 2);
  EXPECT_EQ(Find_Sprite_Bitmap("FIRE"), 3);
  const int anim = Sprite_Bitmap_Animation("fire");
  ASSERT_EQ(anim, 0);
  const ANIMATION& a = w.animated_bitmap_index[anim];
  EXPECT_EQ(a.frame_count, 3);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(a.frames[i], i);
    EXPECT_EQ(a.delays[i], 10);
  }
  EXPECT_EQ(a.ping_pong, 0);
  EXPECT_EQ(a.target, 3);
}

TEST_F(LevelTest, SuperAnimatedBitmapWithPingPong) {
  ASSERT_EQ(load(SLOTS + "]*GLOW = g, 2, 4\r\n"), LEVEL_LOADED);
  EXPECT_EQ(record.uploads[1].file, "g01.png");
  EXPECT_EQ(w.animated_bitmap_index[0].ping_pong, 1);
  EXPECT_EQ(w.animated_bitmap_index[0].frame_count, 2);
}

// ---------------------------------------------------------------- tiles and sprites
TEST_F(LevelTest, TileFacesAreStoredInSlotOrderWithWallMarks) {
  ASSERT_EQ(load(SLOTS + "#F0 = a.png\r\n#F1 = a.png\r\n$W2 = a.png\r\n$W3 = a.png\r\n$W4 = a.png\r\n$W5 = a.png\r\n"
                         "%7 = f0, F1, W2!, W3, W4!, w5\r\n%5 = F0, F0, NULL, NULL, NULL, NULL\r\n"),
            LEVEL_LOADED);
  const TILE& t = w.tiles[7];
  EXPECT_EQ(t.defined, 1);
  // Slots hold faces 0, 1, 5, 3, 2, 4: bitmaps F0=0, F1=1, W2=2, W3=3, W4=4, W5=5.
  const int16_t slots[6] = {0, 1, 5, 3, 2, 4};
  for (int i = 0; i < 6; i++) EXPECT_EQ(t.faces[i], slots[i]) << "slot " << i;
  for (int f = 0; f < 6; f++) EXPECT_EQ(t.faces[TILE_FACE_SLOT[f]], f);
  EXPECT_EQ(t.marks[0], 1);  // face 2
  EXPECT_EQ(t.marks[1], 0);
  EXPECT_EQ(t.marks[2], 1);  // face 4
  EXPECT_EQ(t.marks[3], 0);
  const TILE& two_floors = w.tiles[5];
  EXPECT_EQ(two_floors.faces[0], 0);
  EXPECT_EQ(two_floors.faces[1], 0);
  for (int i = 2; i < 6; i++) EXPECT_EQ(two_floors.faces[i], -1);
  EXPECT_EQ(w.tiles[6].defined, 0);
}

TEST_F(LevelTest, SpriteWithPercentagesOfTheImage) {
  record.sizes["hero.png"] = {20, 30, 32, 32};
  ASSERT_EQ(load(SLOTS + "^HERO = hero.png\r\n&3 = HERO, -50, -100, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
                         "&298 = hero, 40, 12, 2, 4, 5, 6, 7, 8, 9, 10, -11\r\n&0 = NULL, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0\r\n"),
            LEVEL_LOADED);
  const SPRITE& s = w.sprites[3];
  EXPECT_EQ(s.defined, 1);
  EXPECT_EQ(s.bitmap, 0);
  EXPECT_EQ(s.height, 15) << "half the picture's 30";
  EXPECT_EQ(s.width, 20) << "all of the picture's 20";
  const SPRITE& t = w.sprites[298];
  EXPECT_EQ(t.height, 40);
  EXPECT_EQ(t.width, 12);
  EXPECT_EQ(t.translucency, 2);
  EXPECT_EQ(t.params[0], 4);
  EXPECT_EQ(t.params[7], -11);
  EXPECT_EQ(w.sprites[0].bitmap, -1);
  // Reading a sprite sets its bitmap's texture sizes to the image sizes.
  EXPECT_EQ(w.sprite_bitmap_index[0].texture_width, 20);
  EXPECT_EQ(w.sprite_bitmap_index[0].texture_height, 30);
}

// ---------------------------------------------------------------- moving cells and animated objects
TEST_F(LevelTest, MovingCellRecord) {
  ASSERT_EQ(load(SLOTS + "#A = a.png\r\n%42 = A, A, NULL, NULL, NULL, NULL\r\n*3, 4 = 42, 24, 0, 1, 36, 12, 50, 24, 12, 50\r\n"
                         "*7,2=42,10,10,2,10,1,1,20,1,1,0,1,1\r\n"),
            LEVEL_LOADED);
  ASSERT_EQ(w.mov_cell_count, 2);
  const MOV_CELL& m = w.mov_cell_index[0];
  EXPECT_EQ(m.z, 3);
  EXPECT_EQ(m.x, 4);
  EXPECT_EQ(m.tile, 42);
  EXPECT_EQ(m.up, 24);
  EXPECT_EQ(m.down, 0);
  EXPECT_EQ(m.mode, 1);
  EXPECT_EQ(m.frame_count, 2);
  EXPECT_EQ(m.altitudes[0], 36);
  EXPECT_EQ(m.speeds[1], 12);
  EXPECT_EQ(m.delays[1], 50);
  EXPECT_EQ(m.current, WORLD_WAITING);
  EXPECT_EQ(m.pause, WORLD_WAITING);
  EXPECT_EQ(m.frame, 0);
  EXPECT_EQ(w.mov_cell_index[1].frame_count, 3);
  EXPECT_EQ(w.mov_cell_index[1].z, 7);
  EXPECT_EQ(w.mov_cell_index[1].x, 2);
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
  const ANI_OBJECT& a = w.Ani_Objects_Index[0];
  EXPECT_EQ(a.object, 3) << "the sprite number until the object exists";
  EXPECT_EQ(a.frame_count, 2);
  EXPECT_EQ(a.travel_time[0], 2.0);  // 24 units at 12
  EXPECT_EQ(a.travel_time[1], 2.0);
  EXPECT_EQ(a.vx[0], 12.0);
  EXPECT_EQ(a.vx[1], -12.0);
  EXPECT_EQ(a.vz[0], 0.0);
  EXPECT_EQ(a.travel_left, 2.0);
  EXPECT_EQ(a.pause, WORLD_WAITING);
  EXPECT_EQ(a.delay[1], 7);
  // A 3-4-5 leg at speed 1 takes 5; a speed of 0 makes the leg back take no time.
  const ANI_OBJECT& b = w.Ani_Objects_Index[1];
  EXPECT_EQ(b.travel_time[0], 5.0);
  EXPECT_DOUBLE_EQ(b.vx[0], 0.6);
  EXPECT_DOUBLE_EQ(b.vy[0], 0.8);
  EXPECT_EQ(b.travel_time[1], 0.0);
  EXPECT_EQ(b.vx[1], 0.0);
  EXPECT_EQ(w.object_count, 0) << "not added unless asked";
}

TEST_F(LevelTest, AnimatedObjectsBecomeObjectsWhenAsked) {
  const Bytes map = map_bytes(12, {object_at(1, 30, 0, 30)}, 10, 10, [](int, int) { return cell_of(1); });
  ASSERT_EQ(load(basic_def() + "+3 = 18, 2, 54, 12, 5, 42, 2, 54, 12, 7\r\n", &map, 1), LEVEL_LOADED);
  ASSERT_EQ(w.object_count, 2);
  const OBJECT& o = w.objects[2];
  EXPECT_EQ(o.sprite, 3);
  EXPECT_EQ(o.x, 18.0);
  EXPECT_EQ(o.y, 2.0);
  EXPECT_EQ(o.z, 54.0);
  EXPECT_EQ(o.brightness, 15);
  EXPECT_EQ(o.tint, 0);
  EXPECT_EQ(o.width, 20) << "set up from its sprite";
  EXPECT_EQ(o.row, 4);
  EXPECT_EQ(w.Ani_Objects_Index[0].object, 2);
}

}  // namespace
