// The level map's text form: exact round trips both ways, the canonical writing, and the reasons a text or a .map is refused.
#include <cmath>
#include <limits>

#include "tests/world/test_level_util.h"
#include "world/map_text.h"

using namespace level_test;

namespace {

std::string to_text(const Bytes& map) {
  std::string text, error;
  EXPECT_EQ(Map_Text_From_Map(map.data(), map.size(), &text, &error), 1) << error;
  return text;
}

Bytes to_map(const std::string& text, std::string* error = nullptr) {
  Bytes map;
  std::string why;
  if (!Map_Text_To_Map(text.data(), text.size(), &map, error ? error : &why)) return {};
  return map;
}

// A map that uses every field: odd doubles, flags, params, reserved bytes, slopes.
Bytes busy_map(int cell_size) {
  OBJECT a = object_at(1, 126.25, -3, 0.1);
  a.bitmap = 7;
  a.height = 15;
  a.width = -20;
  a.placed_width = 19;
  a.translucency = 3;
  a.mirror_h = 1;
  a.mirror_v = 255;
  for (int k = 0; k < 8; k++) a.params[k] = int16_t(k * 1000 - 4000);
  a.column = -9999;
  a.row = 32767;
  a.tint = -128;
  a.brightness = 127;
  OBJECT b = object_at(100, -0.0, 1e300, 5e-324);
  OBJECT c = object_at(5, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), 0);
  const uint64_t nan_bits = 0x7FF4000000ABCDEFull;
  double nan;
  std::memcpy(&nan, &nan_bits, 8);
  c.z = nan;
  return map_bytes(cell_size, {a, b, c}, 3, 4, [](int r, int col) {
    CELL cell = cell_of((r * 4 + col) % 300, r);
    if (col == 1) {
      const int16_t h[4] = {0, 0, 12, -32768};
      std::memcpy(cell.up, h, sizeof h);
      std::memcpy(cell.down, h, sizeof h);
    }
    cell.reserved[0] = uint8_t(r == 2 ? 200 : 0);
    cell.tint = int8_t(col - 1);
    cell.brightness = int8_t(r * 7);
    return cell;
  });
}

// ---------------------------------------------------------------- round trips
TEST(MapText, BusyMapComesBackByteForByte) {
  for (int cell_size : {12, 0, -1, 24}) {
    const Bytes map = busy_map(cell_size);
    const std::string text = to_text(map);
    EXPECT_EQ(to_map(text), map) << "cell size " << cell_size << "\n" << text;
    EXPECT_EQ(to_text(to_map(text)), text);
  }
}

TEST(MapText, CanonicalTextOfASmallMap) {
  const Bytes map = map_bytes(12, {object_at(1, 66, 0, 114)}, 2, 3, [](int r, int c) {
    CELL cell = cell_of(r == 0 ? 42 : 25, r == 0 ? 12 : 0);
    if (r == 1 && c == 2) {
      const int16_t h[4] = {0, 0, 12, 12};
      std::memcpy(cell.up, h, sizeof h);
      cell.tint = 3;
      cell.brightness = 9;
    }
    return cell;
  });
  EXPECT_EQ(to_text(map),
            "pondsprint-map 1\n"
            "cell_size 12\n"
            "objects 1\n"
            "object 0 sprite=0 at=0,0,0 bright=0\n"
            "object 1 sprite=1 at=66,0,114\n"
            "grid 2 3\n"
            "tiles\n"
            "   0:  42  42  42\n"
            "   1:  25  25  25\n"
            "up\n"
            "   0:  12  12  12\n"
            "   1:   0   0 0/0/12/12\n"
            "down\n"
            "   0:   0   0   0\n"
            "   1:   0   0   0\n"
            "tint\n"
            "   0:  0  0  0\n"
            "   1:  0  0  3\n"
            "bright\n"
            "   0: 15 15 15\n"
            "   1: 15 15  9\n"
            "end\n");
}

TEST(MapText, FixtureMapIsTheCompiledSource) {
  const Bytes source = read_file(fixture("level/pond.txt"));
  const Bytes map = read_file(fixture("level/pond.map"));
  ASSERT_FALSE(source.empty());
  ASSERT_FALSE(map.empty());
  EXPECT_EQ(to_map(std::string(source.begin(), source.end())), map) << "pond.map is levelc's output of pond.txt";
}

// ---------------------------------------------------------------- refusals

struct BadText {
  const char* text;
  const char* error;
};

}  // namespace
