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

// ---------------------------------------------------------------- sizes

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
