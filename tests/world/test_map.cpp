// Map file and world grid: both formats, cell-size rescaling, maps larger or smaller than the world, clamping, the reset and the face height query.
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
  EXPECT_EQ(w.objects[1].sprite, 1);
  EXPECT_EQ(w.objects[1].x, 30.0);
  EXPECT_EQ(w.objects[1].y, 4.0);
  EXPECT_EQ(w.objects[2].x, 90.5);
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

TEST_F(LevelTest, MapScaledFromCellSize12To24) {
  const Bytes map = map_bytes(12, {object_at(1, 30, 5, 54), object_at(2, 6.5, 7, 0.25)}, 10, 10, numbered);
  ASSERT_EQ(load(basic_def(10, 10, 24), &map), LEVEL_LOADED);
  EXPECT_EQ(w.objects[1].x, 60.0);
  EXPECT_EQ(w.objects[1].z, 108.0);
  EXPECT_EQ(w.objects[1].y, 5.0) << "heights are not rescaled";
  EXPECT_EQ(w.objects[2].x, 13.0);
  EXPECT_EQ(w.objects[2].z, 0.5);
  EXPECT_EQ(w.objects[2].row, 0);
}

TEST_F(LevelTest, MapScaledDownAndRecordZeroToo) {
  Bytes map = map_bytes(24, {object_at(1, 36, 0, 72)}, 10, 10, numbered);
  // Record 0 (offset 8) is read and rescaled although it is not an object.
  OBJECT zero = object_at(0, 48, 0, 96);
  std::memcpy(map.data() + 8, &zero, sizeof zero);
  ASSERT_EQ(load(basic_def(10, 10, 12), &map), LEVEL_LOADED);
  EXPECT_EQ(w.objects[1].x, 18.0);
  EXPECT_EQ(w.objects[1].z, 36.0);
  EXPECT_EQ(w.objects[0].x, 24.0);
}

// ---------------------------------------------------------------- sizes
TEST_F(LevelTest, WiderMapKeepsTheWorldsColumnsAndWarns) {
  const Bytes map = map_bytes(12, {}, 100, 120, [](int r, int c) { return cell_of(1 + c % 5, r); });
  testing::internal::CaptureStdout();
  ASSERT_EQ(load(basic_def(100, 100), &map), LEVEL_LOADED);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING!. Height or Size of the world\nhas changed.\n");
  // Row r of the world holds columns 0..99 of row r of the file.
  EXPECT_EQ(w.world[0 * 100 + 99].tile, 1 + 99 % 5);
  EXPECT_EQ(w.world[1 * 100 + 0].tile, 1);
  EXPECT_EQ(w.world[1 * 100 + 0].up[0], 1);
  EXPECT_EQ(w.world[99 * 100 + 99].up[0], 99);
}

TEST_F(LevelTest, DroppedColumnsAreStillChecked) {
  const Bytes map = map_bytes(12, {}, 100, 120, [](int r, int c) { return cell_of(r == 7 && c == 110 ? 9 : 1); });
  testing::internal::CaptureStdout();
  EXPECT_EQ(load(basic_def(100, 100), &map), LEVEL_STOPPED);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(record.messages.size(), 1u);
  EXPECT_EQ(record.messages[0].text, "Error: Tile number 9 used in the map file t.map is not defined in the def file t.def!");
  EXPECT_EQ(record.messages[0].stops, 1);
}

TEST_F(LevelTest, NegativeTileNumberIsUndefined) {
  const Bytes map = map_bytes(12, {}, 10, 10, [](int r, int c) { return cell_of(r == 2 && c == 3 ? -4 : 0); });
  EXPECT_EQ(load(basic_def(), &map), LEVEL_STOPPED);
  EXPECT_EQ(record.messages[0].text, "Error: Tile number -4 used in the map file t.map is not defined in the def file t.def!");
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
  EXPECT_EQ(w.world[3 * 10 + 5].tile, 3);
  EXPECT_EQ(w.world[3 * 10 + 5].brightness, 2);
  for (const int i : {3 * 10 + 6, 4 * 10 + 0, 9 * 10 + 9}) {
    const CELL& c = w.world[i];
    EXPECT_EQ(c.tile, 0) << i;
    EXPECT_EQ(c.up[0], 0);
    EXPECT_EQ(c.down[3], 0);
    EXPECT_EQ(c.tint, 0);
    EXPECT_EQ(c.brightness, 15);
  }
}

TEST_F(LevelTest, TruncatedMapKeepsWhatWasRead) {
  Bytes map = map_bytes(12, {object_at(1, 30, 0, 54)}, 10, 10, [](int, int) { return cell_of(2, 6); });
  map.resize(map.size() - 22 * 95 - 7);  // 4 whole cells and part of a fifth
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  EXPECT_EQ(w.world[3].tile, 2);
  EXPECT_EQ(w.world[4].tile, 0);
  EXPECT_EQ(w.object_count, 1);
}

TEST_F(LevelTest, MapCutInsideTheObjectsKeepsTheWholeRecords) {
  Bytes map = map_bytes(12, {object_at(1, 30, 0, 54), object_at(2, 42, 0, 54), object_at(3, 6, 0, 6)}, 10, 10,
                        [](int, int) { return cell_of(2); });
  map.resize(8 + 59 * 3 + 20);  // records 0..2 and part of 3
  ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  EXPECT_EQ(w.object_count, 2);
  EXPECT_EQ(w.world[0].tile, 0);
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
  ASSERT_EQ(load(basic_def()), LEVEL_LOADED);
  EXPECT_EQ(w.object_count, 0);
  EXPECT_EQ(w.world[55].tile, 0);
  ASSERT_EQ(Load_Level_Memory("t.def", reinterpret_cast<const uint8_t*>(basic_def().data()), basic_def().size(),
                              "no such.map", nullptr, 0, 0),
            LEVEL_LOADED);
  const std::string def = basic_def();
  ASSERT_EQ(Load_Level_Memory("t.def", reinterpret_cast<const uint8_t*>(def.data()), def.size(), nullptr, nullptr, 0, 0),
            LEVEL_LOADED);
  EXPECT_TRUE(record.messages.empty());
  // A map file that does not exist, through the file layer: no message either.
  Free_Level();
  const std::string path = std::filesystem::temp_directory_path().string() + "/ps_world_test.def";
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
  for (int i = 0; i < 100; i++) {
    EXPECT_EQ(w.world[i].tile, 0);
    EXPECT_EQ(w.world[i].reserved[0], 0);
    EXPECT_EQ(w.world[i].up[2], 0);
    EXPECT_EQ(w.world[i].tint, 0);
    EXPECT_EQ(w.world[i].brightness, 15);
    EXPECT_EQ(w.tiles_obj[i].count, 0);
  }
  EXPECT_EQ(w.animated_bitmap_index[0].active, 1);
  EXPECT_EQ(w.animated_bitmap_index[0].loops, -1);
  EXPECT_EQ(w.animated_bitmap_index[0].object, -1);
  EXPECT_EQ(w.Object_EStuff[5].bitmap, -1);
  EXPECT_EQ(w.objects[1].sprite, 1) << "objects themselves stay";
}

// ---------------------------------------------------------------- heights
class UpHeight : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    // Row 0: a flat cell at 7, a cell sloping along x (0, 0, 12), one along
    // z (corners 1 and 3 low at 0, corners 0 and 2 high at 12), an empty cell.
    const Bytes map = map_bytes(12, {}, 10, 10, [](int r, int c) {
      CELL cell = cell_of(r == 0 && c == 3 ? 0 : 1, 7);
      if (r == 0 && c == 1) {
        const int16_t h[4] = {0, 0, 12, 12};
        std::memcpy(cell.up, h, sizeof h);
      }
      if (r == 0 && c == 2) {
        const int16_t h[4] = {12, 0, 12, 0};
        std::memcpy(cell.up, h, sizeof h);
      }
      return cell;
    });
    ASSERT_EQ(load(basic_def(), &map), LEVEL_LOADED);
  }
};

TEST_F(UpHeight, FlatCell) {
  EXPECT_EQ(World_Up_Height(5, 5), 7.0);
  EXPECT_EQ(World_Up_Height(11.99, 11.99), 7.0);
}

TEST_F(UpHeight, SlopeAlongXRisesInWholeUnitSteps) {
  EXPECT_EQ(World_Up_Height(12, 6), 0.0);
  EXPECT_EQ(World_Up_Height(17.9, 6), 5.0);  // trunc(17.9) mod 12 = 5, 5 x 12 / 12
  EXPECT_EQ(World_Up_Height(18, 6), 6.0);
  EXPECT_EQ(World_Up_Height(23.99, 0), 11.0);
}

TEST_F(UpHeight, SlopeAlongZ) {
  // h1 + (trunc(z) mod 12) x (h0 - h1) / 12: from 0 at low z toward 12.
  EXPECT_EQ(World_Up_Height(30, 0), 0.0);
  EXPECT_EQ(World_Up_Height(30, 3.5), 3.0);
  EXPECT_EQ(World_Up_Height(30, 11), 11.0);
}

TEST_F(UpHeight, OutsideOrEmptyGivesMinus9999) {
  EXPECT_EQ(World_Up_Height(40, 5), WORLD_NO_HEIGHT);   // empty cell (0, 3)
  EXPECT_EQ(World_Up_Height(120, 5), WORLD_NO_HEIGHT);  // column 10
  EXPECT_EQ(World_Up_Height(5, 120), WORLD_NO_HEIGHT);  // row 10
  EXPECT_EQ(World_Up_Height(-12.5, 5), WORLD_NO_HEIGHT);
  EXPECT_EQ(World_Up_Height(5, -13), WORLD_NO_HEIGHT);
}

TEST_F(UpHeight, SlightlyNegativeTruncatesIntoRowAndColumnZero) {
  EXPECT_EQ(World_Up_Height(-0.5, 5), 7.0);
  EXPECT_EQ(World_Up_Height(5, -0.5), 7.0);
  EXPECT_EQ(World_Up_Height(-0.5, -0.5), 7.0);
}

TEST_F(LevelTest, UpHeightWithoutALevel) { EXPECT_EQ(World_Up_Height(5, 5), WORLD_NO_HEIGHT); }

}  // namespace
