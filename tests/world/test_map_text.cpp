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

TEST(MapText, EmptyAndDegenerateMaps) {
  Bytes none;
  put16(&none, MAP_MARK);
  put32(&none, 12);
  put16(&none, -1);  // no record at all
  put16(&none, 0);
  put16(&none, 0);
  EXPECT_EQ(to_map(to_text(none)), none);
  Bytes negative;
  put16(&negative, -7);  // old format, no record
  put16(&negative, -3);
  put16(&negative, 5);  // no cells for a negative row count
  EXPECT_EQ(to_map(to_text(negative)), negative);
  const Bytes empty_rows = map_bytes(12, {}, 3, 0, [](int, int) { return cell_of(0); });
  EXPECT_EQ(to_map(to_text(empty_rows)), empty_rows);
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

TEST(MapText, HandWrittenTextWithCommentsAndDefaults) {
  const std::string text =
      "# a hand-written map\n"
      "pondsprint-map 1\n\n"
      "cell_size 12   # positions in units of 12\n"
      "objects 2\n"
      "object 0 bright=0 sprite=0\n"
      "object 1   at=66,0,114   sprite=1\n"
      "object 2 sprite=100 at=1e1,0.5,-3 mirror=1,0 params=1,2,3,4,5,6,7,8\n"
      "grid 1 2\n"
      "tiles\n 5 0\n"
      "up\n0: 3 1/2/3/4\n"
      "down\n 0 0\n"
      "tint\n 1 2\n"
      "bright\n 15 15\n"
      "reserved\n 0/0 1/255\n"
      "end\n";
  const Bytes map = to_map(text);
  ASSERT_FALSE(map.empty());
  // Header (8) and three records.
  ASSERT_EQ(map.size(), size_t(8 + 59 * 3 + 4 + 22 * 2));
  OBJECT o;
  std::memcpy(&o, map.data() + 8 + 59 * 2, sizeof o);
  EXPECT_EQ(nums(o.sprite, o.x, o.z, o.mirror_h, o.params[7], o.brightness), nums(100, 10.0, -3.0, 1, 8, 15));
  CELL c;
  std::memcpy(&c, map.data() + map.size() - 22, sizeof c);
  EXPECT_EQ(nums(c.tile, c.up[3], c.tint, c.reserved[1]), nums(0, 4, 2, 255));
  EXPECT_EQ(to_map(to_text(map)), map);
}

TEST(MapText, FixtureMapIsTheCompiledSource) {
  const Bytes source = read_file(fixture("level/pond.txt"));
  const Bytes map = read_file(fixture("level/pond.map"));
  ASSERT_FALSE(source.empty());
  ASSERT_FALSE(map.empty());
  EXPECT_EQ(to_map(std::string(source.begin(), source.end())), map) << "pond.map is levelc's output of pond.txt";
}

// ---------------------------------------------------------------- refusals
TEST(MapText, BadMapsAreRefused) {
  const Bytes map = busy_map(12);
  std::string text, error;
  for (size_t cut : {size_t(0), size_t(1), size_t(5), size_t(70), map.size() - 1}) {
    EXPECT_EQ(Map_Text_From_Map(map.data(), cut, &text, &error), 0) << cut;
    EXPECT_NE(error.find("ends"), std::string::npos) << error;
  }
  Bytes longer = map;
  longer.push_back(0);
  EXPECT_EQ(Map_Text_From_Map(longer.data(), longer.size(), &text, &error), 0);
  EXPECT_EQ(error, "1 bytes follow the last cell");
}

struct BadText {
  const char* text;
  const char* error;
};

TEST(MapText, BadTextsNameTheirLine) {
  const std::string head = "pondsprint-map 1\ncell_size 12\nobjects 0\nobject 0\ngrid 1 1\n";
  const BadText cases[] = {
      {"", "line 0: the text ends; \"pondsprint-map\" expected"},
      {"pondsprint-map 2\n", "line 1: \"pondsprint-map 1\" expected first"},
      {"pondsprint-map 1\ncell_size x\n", "line 2: \"cell_size N\" or \"format old\" expected"},
      {"pondsprint-map 1\nformat old\nobjects -1100\n", "line 3: an old-format map cannot have -1100 objects"},
      {"pondsprint-map 1\ncell_size 12\nobjects 1\nobject 0\nobject 2\n", "line 5: \"object 1\" expected"},
      {"pondsprint-map 1\ncell_size 12\nobjects 0\nobject 0 speed=3\n", "line 4: unknown object field speed"},
      {"pondsprint-map 1\ncell_size 12\nobjects 0\nobject 0 tint=1 tint=2\n", "line 4: object field tint given twice"},
      {"pondsprint-map 1\ncell_size 12\nobjects 0\nobject 0 bright=200\n",
       "line 4: bad value of object field bright: 200"},
      {"pondsprint-map 1\ncell_size 12\nobjects 0\nobject 0 at=1,2\n", "line 4: bad value of object field at: 1,2"},
      {"pondsprint-map 1\ncell_size 12\nobjects 0\nobject 0 sprite\n", "line 4: key=value expected: sprite"},
      {"pondsprint-map 1\ncell_size 12\nobjects 1\nobject 0\n", "line 4: the text ends inside the objects"},
      {"pondsprint-map 1\ncell_size 12\nobjects 0\nobject 0\ngrid 1\n", "line 5: \"grid ROWS COLUMNS\" expected"},
  };
  for (const BadText& c : cases) {
    std::string error;
    EXPECT_TRUE(to_map(c.text, &error).empty()) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  const BadText grids[] = {
      {"up\n", "line 6: section \"tiles\" expected"},
      {"tiles\n", "line 6: the text ends inside section tiles"},
      {"tiles\n 1 2\n", "line 7: row 0 of tiles needs 1 values"},
      {"tiles\n1: 1\n", "line 7: row 0 expected"},
      {"tiles\n 70000\n", "line 7: bad value in row 0, column 0: 70000"},
      {"tiles\n 1\nup\n 1/2/3\n", "line 9: bad value in row 0, column 0: 1/2/3"},
      {"tiles\n 1\nup\n 1\ndown\n 1\ntint\n 1\nbright\n 1\nreserved\n 1\n", "line 17: bad value in row 0, column 0: 1"},
      {"tiles\n 1\nup\n 1\ndown\n 1\ntint\n 1\nbright\n 1\n", "line 15: the text ends before section reserved"},
      {"tiles\n 1\nup\n 1\ndown\n 1\ntint\n 1\nbright\n 1\nend\nmore\n", "line 17: text after end"},
  };
  for (const BadText& c : grids) {
    std::string error;
    EXPECT_TRUE(to_map(head + c.text, &error).empty()) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

}  // namespace
