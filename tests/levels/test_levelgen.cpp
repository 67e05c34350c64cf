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

bool has_line(const std::string& text, const std::string& line) {
  return text.find(line + "\r\n") != std::string::npos;
}

void quiet(const char*, const char*, int, void*) {}
uint32_t fake_upload(const char*, int, GEN_TEXTURE_SIZES* sizes) {
  *sizes = {16, 16, 16, 16};
  return 1;
}
void fake_delete(uint32_t) {}

}  // namespace

// ---------------------------------------------------------------- good sources
TEST(LevelgenGood, WritesTheParametersAndEndsDefLinesWithCrLf) {
  const Built b = build(level());
  ASSERT_TRUE(b.ok) << b.error;
  const std::string& d = b.out.def;
  EXPECT_TRUE(has_line(d, "@a 6"));
  EXPECT_TRUE(has_line(d, "@b 5"));
  EXPECT_TRUE(has_line(d, "@c 12"));
  EXPECT_TRUE(has_line(d, "@g 2"));  // the start's column and row
  EXPECT_TRUE(has_line(d, "@h 4"));
  EXPECT_TRUE(has_line(d, "@d 32"));  // copied from the include
  EXPECT_EQ(d.find("; a note"), std::string::npos);
  EXPECT_EQ(d.find("terrain"), std::string::npos);
  EXPECT_EQ(d.find("vehicle"), std::string::npos);
  for (size_t i = d.find('\n'); i != std::string::npos; i = d.find('\n', i + 1)) ASSERT_EQ(d[i - 1], '\r');
}

TEST(LevelgenGood, DeclaresEachCarTypeAsFourAnimationsAndASprite) {
  const Built b = build(level());
  ASSERT_TRUE(b.ok) << b.error;
  const std::string& d = b.out.def;
  const size_t up = d.find("]ANIM_CAR_1 = gfx\\car_up, 2, 6\r\n");
  const size_t down = d.find("]ANIM_CAR_1_DOWN = gfx\\car_down, 2, 6\r\n");
  const size_t right = d.find("]ANIM_CAR_1_RIGHT = gfx\\car_right, 2, 6\r\n");
  const size_t left = d.find("]ANIM_CAR_1_LEFT = gfx\\car_left, 2, 6\r\n");
  ASSERT_NE(up, std::string::npos);
  EXPECT_TRUE(up < down && down < right && right < left);  // consecutive animation numbers
  EXPECT_TRUE(has_line(d, "&100 = ANIM_CAR_1, 12, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0"));
  EXPECT_TRUE(has_line(d, "&101 = ANIM_CAR_2, 24, 48, 0, 0, 0, 0, 0, 0, 0, 0, 0"));
  EXPECT_TRUE(has_line(d, "]ANIM_LOG_2 = gfx\\log, 4, 10"));
  EXPECT_TRUE(has_line(d, "&151 = ANIM_LOG_2, 7, 28, 0, 0, 0, 0, 0, 0, 0, 0, 0"));
}

TEST(LevelgenGood, GameplayFileHasEveryKeyTheGameReads) {
  const Built b = build(level("music = snd\\pond.s3m\n"));
  ASSERT_TRUE(b.ok) << b.error;
  const std::string& t = b.out.txt;
  EXPECT_EQ(t.compare(0, 9, "[Music]\r\n"), 0);
  EXPECT_TRUE(has_line(t, "s3m_file=snd\\pond.s3m"));
  EXPECT_TRUE(has_line(t, "time_limit=2"));
  EXPECT_TRUE(has_line(t, "water_tile=58"));
  EXPECT_TRUE(has_line(t, "home_tile=59"));
  EXPECT_TRUE(has_line(t, "level_title.por=Lagoa"));
  EXPECT_TRUE(has_line(t, "different_cars=2"));
  EXPECT_TRUE(has_line(t, "arrow_1_speed=0.500000"));
  EXPECT_TRUE(has_line(t, "arrow_6_pause=1000"));  // unset arrows are written too
  EXPECT_TRUE(has_line(t, "car_2_x_size=23"));
  const size_t logs = t.find("[Logs]\r\n");
  ASSERT_NE(logs, std::string::npos);
  EXPECT_NE(t.find("arrow_1_random=20", logs), std::string::npos);
  EXPECT_NE(t.find("arrow_4_pause=1000", logs), std::string::npos);
  EXPECT_EQ(t.find("arrow_5_", logs), std::string::npos);
}

TEST(LevelgenGood, MusicDefaultsToTheLevelsOwnPiece) {
  const Built b = build(level(), 17);
  ASSERT_TRUE(b.ok) << b.error;
  EXPECT_TRUE(has_line(b.out.txt, "s3m_file=snd\\level17.s3m"));
}

TEST(LevelgenGood, SpawnersTakeTheirDirectionFromTheEdge) {
  const Built b = build(level());
  ASSERT_TRUE(b.ok) << b.error;
  // Road arrow 1 on the first column drives right: 1 + 4 * 0 + 2.
  EXPECT_EQ(map_cell(b.out, 5, 6, 3, 0).tile, 3);
  // River arrow 1 on the last column floats left: 26 + 4 * 0 + 3.
  EXPECT_EQ(map_cell(b.out, 5, 6, 1, 5).tile, 29);
}

TEST(LevelgenGood, LogSpawnerIsTiltedButItsCentreStaysAtTheWater) {
  const Built b = build(level());
  ASSERT_TRUE(b.ok) << b.error;
  const CELL c = map_cell(b.out, 5, 6, 1, 5);
  // Inner (low x) edge 3 above the water, outer edge 3 below.
  EXPECT_EQ(c.up[0], 3);
  EXPECT_EQ(c.up[1], 3);
  EXPECT_EQ(c.up[2], -3);
  EXPECT_EQ(c.up[3], -3);
  Cell cell;
  for (int i = 0; i < 4; i++) cell.up[i] = c.up[i];
  EXPECT_EQ(face_height(cell, 6, 8, 12), 0.0);
  // The water cell beside it cannot hop onto it.
  Cell water;
  EXPECT_FALSE(hop_allowed(water, cell, kRight));
}

TEST(LevelgenGood, ObjectsStandOnTheirCells) {
  const Built b = build(level());
  ASSERT_TRUE(b.ok) << b.error;
  const std::string& m = b.out.map_text;
  EXPECT_NE(m.find("sprite=80 at=18,2,54"), std::string::npos);   // bonus, column 1 row 4
  EXPECT_NE(m.find("sprite=1 at=30,2,58"), std::string::npos);    // start, 4 nearer than the centre
  EXPECT_NE(m.find("sprite=200 at=54,2,54"), std::string::npos);  // tree
}

TEST(LevelgenGood, HeightsGridSetsFlatAndSlopedCells) {
  const std::string grid = "|#H##H#|\n|~~~~~a|\n|......|\n|......|\n|1=====|\n|.*S.T.|\n";
  const Built b = build(level("heights\n|......|\n|......|\n|5/9...|\n|..\\...|\n|......|\n|......|\nend\n", grid));
  ASSERT_TRUE(b.ok) << b.error;
  EXPECT_EQ(map_cell(b.out, 6, 6, 2, 0).up[0], 10);
  const CELL x = map_cell(b.out, 6, 6, 2, 1);  // between 10 on its left and 18 on its right
  EXPECT_EQ(x.up[0], 10);
  EXPECT_EQ(x.up[1], 10);
  EXPECT_EQ(x.up[2], 18);
  EXPECT_EQ(x.up[3], 18);
  const CELL z = map_cell(b.out, 6, 6, 3, 2);  // between 18 ahead and the road behind
  EXPECT_EQ(z.up[1], 18);
  EXPECT_EQ(z.up[3], 18);
  EXPECT_EQ(z.up[0], 0);  // the road behind it
  EXPECT_EQ(z.up[2], 0);
}

TEST(LevelgenGood, CycleKeysBecomeMovingCellsWithTheirPhase) {
  const std::string grid = "|#H##H#|\n|~~o~~a|\n|......|\n|1=====|\n|.*S.T.|\n";
  const Built b = build(level("terrain stone = 42 1 -12\ncycle sink = 1 1 -1 2 150 100\n"
                              "key o = stone cycle sink 40\n",
                              grid));
  ASSERT_TRUE(b.ok) << b.error;
  EXPECT_TRUE(has_line(b.out.def, "*1, 2 = 42, 1, -12, 1, 1, 2, 40, -1, 2, 100, 1, 2, 110"));
}

TEST(LevelgenGood, PathsBecomeAnimatedObjectsInWorldUnits) {
  const Built b = build(level("path 200 = 1 0.5 30 2 0; 4.5 0.5 30 2 50\n"));
  ASSERT_TRUE(b.ok) << b.error;
  EXPECT_TRUE(has_line(b.out.def, "+200 = 12, 30, 6, 2, 0, 54, 30, 6, 2, 50"));
}

TEST(LevelgenGood, SameSourcesGiveTheSameBytes) {
  const std::string source = level();
  const std::string include = kInclude;
  const Built a = build(source), b = build(source);
  ASSERT_TRUE(a.ok && b.ok);
  EXPECT_EQ(a.out.def, b.out.def);
  EXPECT_EQ(a.out.txt, b.out.txt);
  EXPECT_EQ(a.out.map, b.out.map);
  EXPECT_EQ(source, level());  // the inputs are left as they were
  EXPECT_EQ(include, kInclude);
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
TEST(LevelgenBad, ReportsTheLineOfABadSetting) {
  const Built b = build(std::string(kTitles) + "time = 0\n");
  EXPECT_FALSE(b.ok);
  EXPECT_EQ(b.error, "line 8: time is 1 to 99 minutes");
}

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
  };
  for (const auto& c : cases) {
    const Built b = build(c.source);
    EXPECT_FALSE(b.ok) << c.error;
    EXPECT_EQ(b.error, c.error);
  }
}

TEST(LevelgenBad, RefusesMalformedLines) {
  const char* lines[] = {
      "arrow 7 = 10 1 10\n", "arrow 1 = 10 1\n", "log 1 = 10 fast 10\n", "key XY = grass\n",
      "key X = lava\n", "key X = grass car 9\n", "key X = grass car 1 log 1\n", "cycle c = 2 0 0 1 1 1\n",
      "light = 16 0\n", "background = a.png 50 150\n", "place 200 = 99 1\n", "grid\n|..|\n", "nonsense\n",
      "wobble = 3\n", "title xx = Hi\n",
  };
  for (const char* l : lines) {
    const Built b = build(std::string(kTitles) + l);
    EXPECT_FALSE(b.ok) << l;
    EXPECT_FALSE(b.error.empty()) << l;
  }
}

TEST(LevelgenBad, RefusesOversizedBoards) {
  std::string grid;
  for (int r = 0; r < 101; r++) grid += "|" + std::string(100, '.') + "|\n";
  const Built b = build(level("", grid));
  EXPECT_FALSE(b.ok);
  EXPECT_EQ(b.error, "the grid has more than 10000 cells");
}

TEST(LevelgenBad, ReportsIncludeErrorsAsSuch) {
  const Built b = build(level(), 3, std::string(kInclude) + "terrain bad = 0 0 0\n");
  EXPECT_FALSE(b.ok);
  EXPECT_EQ(b.error.compare(0, 9, "include: "), 0);
}

// ---------------------------------------------------------------- file names
TEST(LevelgenNames, LevelNumberComesFromTheEndOfTheName) {
  EXPECT_EQ(level_file_number("content/level12.lvl"), 12);
  EXPECT_EQ(level_file_number("level0.lvl"), 0);
  EXPECT_EQ(level_file_number("levelx.lvl"), -1);
  EXPECT_EQ(level_file_number("level12345.lvl"), -1);
}

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
