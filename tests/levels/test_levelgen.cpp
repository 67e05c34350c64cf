// Tests of the level generator: a level source becomes a .def, .map and gameplay file that the engine loads as built.
#define LEVELGEN_NO_MAIN
#include "tools/levelgen.cpp"

#include <gtest/gtest.h>

#include "world/engine_error.h"
#include "world/level.h"
#include "world/world_tables.h"

namespace {

// A small include: three terrains, water and home, one vehicle and raft.
const char kInclude[] =
    "; a note\n"
    "@d 32\n@e 32\n@f 32\n"
    "#G = g.png\n"
    "^S = s.png\n"
    "%1 = G, G, NULL, NULL, NULL, NULL\n%3 = G, G, NULL, NULL, NULL, NULL\n%4 = G, G, NULL, NULL, NULL, NULL\n"
    "%26 = G, G, NULL, NULL, NULL, NULL\n%28 = G, G, NULL, NULL, NULL, NULL\n%29 = G, G, NULL, NULL, NULL, NULL\n"
    "%42 = G, G, G, G, G, G\n%52 = G, G, NULL, NULL, NULL, NULL\n%58 = G, G, NULL, NULL, NULL, NULL\n"
    "%59 = G, G, NULL, NULL, NULL, NULL\n%67 = G, G, G, G, G, G\n"
    "&1 = S, 12, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&80 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "&81 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&200 = S, 24, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "vehicle red = gfx\\car 2 6 12 24 12 10\n"
    "vehicle bus = gfx\\bus 2 6 24 48 23 20\n"
    "raft log = gfx\\log 4 10 7 28\n"
    "terrain grass = 42 2 -12\nterrain road = 52 0 -12\nterrain water = 58 0 -12\n"
    "terrain home = 59 1 -12\nterrain hedge = 67 14 -12\n"
    "key . = grass\nkey = = road\nkey ~ = water\nkey H = home\nkey # = hedge\n"
    "key 1 = road car 1\nkey a = water log 1\nkey b = water log 2\n"
    "key S = grass start up\nkey * = grass bonus\nkey T = grass object 200\n";

const char kTitles[] =
    "title eng = Pond\ntitle fra = Mare\ntitle deu = Teich\ntitle esp = Estanque\n"
    "title ita = Stagno\ntitle nld = Vijver\ntitle por = Lagoa\n";

// A 6 x 5 board: homes, a river lane from the right, a road lane from the
// left, the start with a bonus and a tree.
std::string level(const std::string& extra = "", const std::string& grid = "") {
  return std::string(kTitles) + "time = 2\ncars = red bus\narrow 1 = 10 0.5 100\nlog 1 = 20 0.25 120\n" + extra +
         "grid\n" +
         (grid.empty() ? "|#H##H#|\n|~~~~~a|\n|......|\n|1=====|\n|.*S.T.|\n" : grid) + "end\n";
}

struct Built {
  int ok;
  Output out;
  std::string error;
};

Built build(const std::string& lvl, int number = 3, const std::string& include = kInclude) {
  Built b;
  b.ok = levelgen_build(include, lvl, number, &b.out, &b.error);
  return b;
}

// The CELL of (row, column) in a built .map.
CELL map_cell(const Output& out, int rows, int columns, int row, int column) {
  (void)rows;
  int16_t last;
  std::memcpy(&last, out.map.data() + 6, 2);
  const size_t grid = 8 + size_t(last + 1) * sizeof(OBJECT) + 4;
  CELL c;
  std::memcpy(&c, out.map.data() + grid + (size_t(row) * columns + column) * sizeof(CELL), sizeof c);
  return c;
}

void quiet(const char*, const char*, int, void*) {}
uint32_t fake_upload(const char*, int, GEN_TEXTURE_SIZES* sizes) {
  *sizes = {16, 16, 16, 16};
  return 1;
}
void fake_delete(uint32_t) {}

}  // namespace

// ---------------------------------------------------------------- good sources

TEST(LevelgenGood, SpawnersTakeTheirDirectionFromTheEdge) {
  const Built b = build(level());
  ASSERT_TRUE(b.ok) << b.error;
  // Road arrow 1 on the first column drives right: 1 + 4 * 0 + 2.
  EXPECT_EQ(map_cell(b.out, 5, 6, 3, 0).tile, 3);
  // River arrow 1 on the last column floats left: 26 + 4 * 0 + 3.
  EXPECT_EQ(map_cell(b.out, 5, 6, 1, 5).tile, 29);
}

TEST(LevelgenGood, TheEngineLoadsWhatItBuilds) {
  const Built b = build(level("path 200 = 1 0.5 30 2 0; 4.5 0.5 30 2 50\n"));
  ASSERT_TRUE(b.ok) << b.error;
  Engine_Error_Sink(quiet, nullptr);
  Engine_Error_Reset_Count();
  Level_Texture_Hooks(fake_upload, fake_delete);
  const int r = Load_Level_Memory("t.def", reinterpret_cast<const uint8_t*>(b.out.def.data()), b.out.def.size(),
                                  "t.map", b.out.map.data(), b.out.map.size(), 1);
  EXPECT_EQ(r, LEVEL_LOADED);
  EXPECT_EQ(Engine_Error_Count(), 0);
  EXPECT_EQ(world_tables.world_width, 6);
  EXPECT_EQ(world_tables.world_depth, 5);
  EXPECT_EQ(world_tables.ani_object_count, 1);
  EXPECT_EQ(world_tables.object_count, 4);  // start, bonus, tree and the animated object
  Free_Level();
  Level_Texture_Hooks(nullptr, nullptr);
  Engine_Error_Sink(nullptr, nullptr);
}

// ---------------------------------------------------------------- bad sources

TEST(LevelgenBad, RefusesIncompleteLevels) {
  const struct {
    std::string source, error;
  } cases[] = {
      {level("", "|#H##H#|\n|~~~~~a|\n|......|\n|1=====|\n|.*..T.|\n"), "the grid has no start"},
      {level("", "|#H##H#|\n|~~~~~a|\n|..S...|\n|1=====|\n|.*S.T.|\n"), "a second start at column 2, row 4"},
      {level("", "|#H##H#|\n|~~~~a~|\n|......|\n|1=====|\n|.*S.T.|\n"),
       "a spawner stands on no edge of the board at column 4, row 1"},
      {level("", "|#H##H#|\n|~~~~~a|\n|......|\n|1=====|\n|.*S.T|\n"), "grid rows differ in length"},
      {level("", "|#H##H#|\n|~~~~~a|\n|..X...|\n|1=====|\n|.*S.T.|\n"), "no key for the grid character 'X'"},
      {level("", "|######|\n|~~~~~a|\n|......|\n|1=====|\n|.*S.T.|\n"), "no home can be reached from the start"},
      {level("", "|#H##H#|\n|######|\n|......|\n|1=====|\n|.*S.T.|\n"), "no home can be reached from the start"},
      {level("", "|#H##H#|\n|~~~~~b|\n|......|\n|1=====|\n|.*S.T.|\n"), "log arrow 2 is not set"},
      {level("cars = lorry\n"), "unknown vehicle lorry"},
      {level("raft = duck\n"), "unknown raft duck"},
      {level("key X = grass object 211\n", "|#H##H#|\n|~~~~~a|\n|..X...|\n|1=====|\n|.*S.T.|\n"),
       "sprite 211 is placed but not declared"},
      {level("terrain odd = 77 2 -12\nkey X = odd\n", "|#H##H#|\n|~~~~~a|\n|..X...|\n|1=====|\n|.*S.T.|\n"),
       "tile 77 is used but not declared"},
      {level("heights\n|......|\n|......|\n|..?...|\n|......|\n|......|\nend\n"), "unknown height code '?'"},
      {level("heights\n|......|\n|......|\nend\n"), "the heights grid has another row count"},
      {"time = 2\n", "no title in eng"},
      // A carriage return inside a text would end the line it is written on.
      {"title eng = Po\rnd\n" + level(), "line 1: a title may not hold control characters"},
      {level("music = snd\\a\r.s3m\n"), "line 12: a music file name may not hold control characters"},
  };
  for (const auto& c : cases) {
    const Built b = build(c.source);
    EXPECT_FALSE(b.ok) << c.error;
    EXPECT_EQ(b.error, c.error);
  }
}

// ---------------------------------------------------------------- file names

// ---------------------------------------------------------------- the shipped levels
namespace {

std::string read_source(const std::string& path) {
  std::string out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

const std::string kLevels = std::string(PS_TEST_DATA) + "/../../content_src/levels/";

}  // namespace

TEST(LevelgenShipped, AllTwentyTwoLevelsBuildAndLoad) {
  const std::string include = read_source(kLevels + "common.inc");
  ASSERT_FALSE(include.empty());
  Engine_Error_Sink(quiet, nullptr);
  Level_Texture_Hooks(fake_upload, fake_delete);
  for (int n = 0; n < 22; n++) {
    const std::string source = read_source(kLevels + "level" + std::to_string(n) + ".lvl");
    ASSERT_FALSE(source.empty()) << n;
    Output out;
    std::string error;
    ASSERT_TRUE(levelgen_build(include, source, n, &out, &error)) << "level" << n << ": " << error;
    // The background picture is loaded from the data tree, which the
    // levelcheck tests cover; here the level goes without it.
    std::string def = out.def;
    const size_t bg = def.find("@j ");
    ASSERT_NE(bg, std::string::npos) << n;
    def.erase(bg, def.find("\r\n", bg) + 2 - bg);
    Engine_Error_Reset_Count();
    const int r = Load_Level_Memory("l.def", reinterpret_cast<const uint8_t*>(def.data()), def.size(), "l.map",
                                    out.map.data(), out.map.size(), 1);
    EXPECT_EQ(r, LEVEL_LOADED) << n;
    EXPECT_EQ(Engine_Error_Count(), 0) << n;
    // The names the game looks up are there.
    for (const char* name : {"anim_frog_up", "anim_idle_left", "anim_car_1", "anim_log_1", "anim_log_2",
                             "anim_bonus_8", "anim_splash"})
      EXPECT_GT(Sprite_Bitmap_Animation(name), 0) << n << " " << name;
    int cars = 0, logs = 0, homes = 0;
    const WORLD_TABLES& w = world_tables;
    for (int i = 0; i < w.world_width * w.world_depth; i++) {
      const int t = w.world[i].tile;
      cars += t >= 1 && t <= 24;
      logs += t >= 26 && t <= 41;
      homes += t == 59;
    }
    EXPECT_GE(cars, 2) << n;
    EXPECT_GE(logs, 2) << n;
    EXPECT_GE(homes, 5) << n;
    Free_Level();
  }
  Level_Texture_Hooks(nullptr, nullptr);
  Engine_Error_Sink(nullptr, nullptr);
}
