// Map file and world grid: both formats, cell-size rescaling, maps larger or smaller than the world, clamping, the reset and the face height query.
#include <unistd.h>

#include "tests/world/test_level_util.h"

using namespace level_test;

namespace {

const WORLD_TABLES& w = world_tables;

CELL numbered(int r, int c) {
  CELL cell = cell_of(1 + (r + c) % 5, r * 100 + c);
  cell.tint = int8_t(c % 16);
  cell.brightness = int8_t(r % 16);
  cell.reserved[0] = uint8_t(r);
  cell.reserved[1] = uint8_t(c);
  return cell;
}

// ---------------------------------------------------------------- formats
TEST_F(LevelTest, CurrentFormatFillsGridAndObjects) {
  const Bytes map = map_bytes(12, {object_at(1, 30, 4, 54), object_at(100, 90.5, 0, 30)}, 10, 10, numbered);
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  EXPECT_TRUE(record.messages.empty());
  ASSERT_EQ(w.object_count, 2);
  EXPECT_EQ(nums(w.objects[1].sprite, w.objects[1].x, w.objects[1].y, w.objects[2].x), nums(1, 30, 4, 90.5));
  for (int r = 0; r < 10; r++)
    for (int c = 0; c < 10; c++) {
      const CELL want = numbered(r, c);
      ASSERT_EQ(std::memcmp(&w.world[r * 10 + c], &want, sizeof want), 0) << r << "," << c;
    }
}

TEST_F(LevelTest, OldFormatIsReadWithItsNote) {
  const Bytes map = map_bytes(0, {object_at(1, 30, 0, 54)}, 10, 10, numbered);
  testing::internal::CaptureStdout();
  ASSERT_EQ(load(basic_def(10, 10, 24), &map), LEVEL_LOADED);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Reading a map saved in the OLD format...\n");
  ASSERT_EQ(w.object_count, 1);
  EXPECT_EQ(w.objects[1].x, 30.0) << "no stored cell size: no rescaling";
  EXPECT_EQ(w.world[0].tile, 1);
}

TEST_F(LevelTest, MapIsRescaledToTheLevelsCellSize) {
  // Cell size 12 in the file, 24 in the level: x and z double, heights stay.
  Bytes map = map_bytes(12, {object_at(1, 30, 5, 54), object_at(2, 6.5, 7, 0.25)}, 10, 10, numbered);
  ASSERT_EQ(load(basic_def(10, 10, 24), &map), LEVEL_LOADED);
  EXPECT_EQ(nums(w.objects[1].x, w.objects[1].z, w.objects[1].y, w.objects[2].x, w.objects[2].z, w.objects[2].row),
            nums(60, 108, 5, 13, 0.5, 0));
  // 24 down to 12; record 0 (offset 8) is read and rescaled although it is not an object.
  map = map_bytes(24, {object_at(1, 36, 0, 72)}, 10, 10, numbered);
  OBJECT zero = object_at(0, 48, 0, 96);
  std::memcpy(map.data() + 8, &zero, sizeof zero);
  ASSERT_EQ(load(basic_def(10, 10, 12), &map), LEVEL_LOADED);
  EXPECT_EQ(nums(w.objects[1].x, w.objects[1].z, w.objects[0].x), nums(18, 36, 24));
}

// ---------------------------------------------------------------- sizes
TEST_F(LevelTest, WiderMapKeepsTheWorldsColumnsAndWarns) {
  const Bytes map = map_bytes(12, {}, 100, 120, [](int r, int c) { return cell_of(1 + c % 5, r); });
  testing::internal::CaptureStdout();
  ASSERT_EQ(load(basic_def(100, 100), &map), LEVEL_LOADED);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING!. Height or Size of the world\nhas changed.\n");
  // Row r of the world holds columns 0..99 of row r of the file.
  EXPECT_EQ(w.world[0 * 100 + 99].tile, 1 + 99 % 5);
  EXPECT_EQ(nums(w.world[1 * 100 + 0].tile, w.world[1 * 100 + 0].up[0], w.world[99 * 100 + 99].up[0]), nums(1, 1, 99));
}

TEST_F(LevelTest, UndefinedTilesStopTheLoadEvenInDroppedColumns) {
  struct Case {
    int columns, bad_row, bad_column, tile;
  };
  // Column 110 of a 120-column map is dropped from a 100-column world but still checked; -4 is no tile.
  for (const Case c : {Case{120, 7, 110, 9}, Case{10, 2, 3, -4}}) {
    const int world = c.columns > 100 ? 100 : 10;
    const Bytes map = map_bytes(12, {}, world, c.columns,
                                [c](int r, int col) { return cell_of(r == c.bad_row && col == c.bad_column ? c.tile : 1); });
    record.messages.clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(load(basic_def(world, world), &map), LEVEL_STOPPED);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(record.messages.size(), 1u);
    EXPECT_EQ(record.messages[0].text, "Error: Tile number " + std::to_string(c.tile) +
                                           " used in the map file t.map is not defined in the def file t.def!");
    EXPECT_EQ(record.messages[0].stops, 1);
  }
}

TEST_F(LevelTest, RowsPastTheWorldAreNotRead) {
  // Row 12 has an undefined tile; the world has 10 rows, so it is never looked at.
  const Bytes map = map_bytes(12, {}, 14, 10, [](int r, int) { return cell_of(r == 12 ? 9 : 2); });
  testing::internal::CaptureStdout();
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("has changed"), std::string::npos);
  EXPECT_TRUE(record.messages.empty());
  EXPECT_EQ(w.world[9 * 10 + 9].tile, 2);
}

TEST_F(LevelTest, ShortMapLeavesTheRestEmpty) {
  const Bytes map = map_bytes(12, {}, 4, 6, [](int, int) {
    CELL c = cell_of(3, 20);
    c.tint = 5;
    c.brightness = 2;
    return c;
  });
  testing::internal::CaptureStdout();
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(nums(w.world[3 * 10 + 5].tile, w.world[3 * 10 + 5].brightness), nums(3, 2));
  for (const int i : {3 * 10 + 6, 4 * 10 + 0, 9 * 10 + 9}) {
    const CELL& c = w.world[i];
    EXPECT_EQ(c.tile, 0) << i;
    EXPECT_EQ(nums(c.up[0], c.down[3], c.tint, c.brightness), nums(0, 0, 0, 15));
  }
}

TEST_F(LevelTest, CutMapsKeepWhatWasRead) {
  Bytes map = map_bytes(12, {object_at(1, 30, 0, 54)}, 10, 10, [](int, int) { return cell_of(2, 6); });
  map.resize(map.size() - 22 * 95 - 7);  // 4 whole cells and part of a fifth
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  EXPECT_EQ(nums(w.world[3].tile, w.world[4].tile, w.object_count), nums(2, 0, 1));
  // Cut inside the objects: the whole records count, no cell is read.
  map = map_bytes(12, {object_at(1, 30, 0, 54), object_at(2, 42, 0, 54), object_at(3, 6, 0, 6)}, 10, 10,
                  [](int, int) { return cell_of(2); });
  map.resize(8 + 59 * 3 + 20);  // records 0..2 and part of 3
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  EXPECT_EQ(nums(w.object_count, w.world[0].tile), nums(2, 0));
}

TEST_F(LevelTest, MapWithMoreThan999ObjectsStopsAtTheTable) {
  std::vector<OBJECT> many(1200, object_at(1, 6, 0, 6));
  const Bytes map = map_bytes(12, many, 10, 10, [](int, int) { return cell_of(4); });
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  EXPECT_EQ(w.object_count, WORLD_MAX_MAP_OBJECTS);
  EXPECT_EQ(w.world[99].tile, 4) << "the grid after the extra records is still found";
  EXPECT_EQ(w.tiles_obj[0].count, WORLD_CELL_OBJECTS);
}

TEST_F(LevelTest, MissingOrNoMapGivesAnEmptyWorld) {
  const std::string def = basic_def();
  ASSERT_EQ(load(def), LEVEL_LOADED);
  EXPECT_EQ(nums(w.object_count, w.world[55].tile), nums(0, 0));
  ASSERT_EQ(Load_Level_Memory("t.def", reinterpret_cast<const uint8_t*>(def.data()), def.size(), "no such.map", nullptr,
                              0, 0),
            LEVEL_LOADED);
  // A map file that does not exist, through the file layer: no message either.
  const std::string path = std::filesystem::temp_directory_path().string() + "/ps_world_test_" +
                           std::to_string(getpid()) + ".def";
  { std::ofstream(path, std::ios::binary) << def; }
  ASSERT_EQ(Load_Level(path.c_str(), "no such file.map", 0), LEVEL_LOADED);
  EXPECT_EQ(w.object_count, 0);
  EXPECT_TRUE(record.messages.empty());
  std::filesystem::remove(path);
}

TEST_F(LevelTest, TintAndBrightnessAreClamped) {
  const Bytes map = map_bytes(12, {}, 1, 6, [](int, int c) {
    CELL cell = cell_of(1);
    const int8_t values[6] = {-1, 0, 15, 16, 127, -128};
    cell.tint = values[c];
    cell.brightness = values[c];
    return cell;
  });
  testing::internal::CaptureStdout();
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  testing::internal::GetCapturedStdout();
  const int tints[6] = {0, 0, 15, 0, 0, 0}, brights[6] = {15, 0, 15, 15, 15, 15};
  for (int c = 0; c < 6; c++) {
    EXPECT_EQ(w.world[c].tint, tints[c]) << c;
    EXPECT_EQ(w.world[c].brightness, brights[c]) << c;
  }
}

// ---------------------------------------------------------------- reset
TEST_F(LevelTest, WorldResetClearsTheGridAndTheObjectStuff) {
  const Bytes map = map_bytes(12, {object_at(1, 30, 0, 54)}, 10, 10, numbered);
  ASSERT_EQ(load(basic_def() + "<RUN = S, 1\r\n", &map), LEVEL_LOADED);
  ASSERT_GT(w.tiles_obj[4 * 10 + 1].count, 0);
  w.animated_bitmap_index[0].active = 0;
  w.animated_bitmap_index[0].loops = 3;
  w.Object_EStuff[5].bitmap = 7;
  World_Reset();
  CELL empty;
  std::memset(&empty, 0, sizeof empty);
  empty.brightness = 15;
  for (int i = 0; i < 100; i++) {
    ASSERT_EQ(std::memcmp(&w.world[i], &empty, sizeof empty), 0) << i;
    ASSERT_EQ(w.tiles_obj[i].count, 0) << i;
  }
  const ANIMATION& a = w.animated_bitmap_index[0];
  EXPECT_EQ(nums(a.active, a.loops, a.object, w.Object_EStuff[5].bitmap), nums(1, -1, -1, -1));
  EXPECT_EQ(w.objects[1].sprite, 1) << "objects themselves stay";
}

// ---------------------------------------------------------------- heights
TEST_F(LevelTest, UpHeight) {
  EXPECT_EQ(World_Up_Height(5, 5), WORLD_NO_HEIGHT) << "no level";
  // Row 0: a flat cell at 7, a cell sloping along x (0, 0, 12, 12), one along
  // z (corners 1 and 3 low at 0, corners 0 and 2 high at 12), an empty cell.
  const Bytes map = map_bytes(12, {}, 10, 10, [](int r, int c) {
    CELL cell = cell_of(r == 0 && c == 3 ? 0 : 1, 7);
    const int16_t along_x[4] = {0, 0, 12, 12}, along_z[4] = {12, 0, 12, 0};
    if (r == 0 && c == 1) std::memcpy(cell.up, along_x, sizeof along_x);
    if (r == 0 && c == 2) std::memcpy(cell.up, along_z, sizeof along_z);
    return cell;
  });
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  struct Case {
    double x, z, height;
  };
  const Case cases[] = {
      {5, 5, 7}, {11.99, 11.99, 7},  // flat
      // Along x in whole-unit steps: trunc(17.9) mod 12 = 5, 5 x 12 / 12.
      {12, 6, 0}, {17.9, 6, 5}, {18, 6, 6}, {23.99, 0, 11},
      // Along z: h1 + (trunc(z) mod 12) x (h0 - h1) / 12.
      {30, 0, 0}, {30, 3.5, 3}, {30, 11, 11},
      // Outside or empty: the empty cell (0, 3), column 10, row 10, below 0.
      {40, 5, WORLD_NO_HEIGHT}, {120, 5, WORLD_NO_HEIGHT}, {5, 120, WORLD_NO_HEIGHT}, {-12.5, 5, WORLD_NO_HEIGHT},
      {5, -13, WORLD_NO_HEIGHT},
      // Slightly negative truncates into row and column 0.
      {-0.5, 5, 7}, {5, -0.5, 7}, {-0.5, -0.5, 7},
  };
  for (const Case& c : cases) EXPECT_EQ(World_Up_Height(c.x, c.z), c.height) << c.x << ", " << c.z;
}

}  // namespace
