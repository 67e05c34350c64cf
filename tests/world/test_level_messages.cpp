// Level definition messages: every kind of broken line, its exact text, and whether loading stops or goes on.
#include "tests/world/test_level_util.h"

using namespace level_test;

namespace {

const WORLD_TABLES& w = world_tables;

struct Case {
  const char* what;
  std::string def;
  std::string message;  // the text after "Error: "
  bool stops;
};

// n lines, each with its number in place of the '@'.
std::string repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; i++) {
    std::string l = line;
    l.replace(l.find('@'), 1, std::to_string(i));
    s += l + "\r\n";
  }
  return s;
}

const std::string TILES = SLOTS + "#A = a.png\r\n#B = b.png\r\n^S = s.png\r\n%5 = A, A, NULL, NULL, NULL, NULL\r\n";
const std::string SPRITES = TILES + "&3 = S, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n";
const std::string IN = " in Load_Level(t.def, (null))";
const std::string IN_ = " in Load_Level (t.def, (null))";

std::vector<Case> cases() {
  std::string frames41 = ">W = ";
  for (int i = 0; i < 41; i++) frames41 += "A, 1, ";
  std::string cell31 = "*3, 4 = 5, 24, 0, 1";
  for (int i = 0; i < 31; i++) cell31 += ", 30, 1, 1";
  std::string lf_only;  // 400 lines ending in LF alone read as one line of 13200 bytes
  for (int i = 0; i < 400; i++) lf_only += "; a comment line of LF-only text\n";
  std::string points31 = "+3 = ";
  for (int i = 0; i < 31; i++) points31 += std::to_string(i) + ", 0, 0, 1, 0, ";
  return {
      {"line too long", "@a 1" + std::string(9996, ' ') + "\r\n", "ERROR : Line is too long! ( maximun 9999 )", true},
      {"LF-only file too long", lf_only, "ERROR : Line is too long! ( maximun 9999 )", true},
      {"background without H", "@j sky.png\r\n", "Parameter missing in Background (hor)" + IN, true},
      {"background H too small", "@j sky.png, 90, 120\r\n", "*Scale 90 for background should be at least 100" + IN,
       false},
      {"background without V", "@j sky.png, 150\r\n", "Parameter missing in Background (ver)" + IN, true},
      {"background V too small", "@j sky.png 150 50\r\n", "Scale 50 for background should be at least 100" + IN, false},
      {"bitmap before the slot sizes", "#A = a.png\r\n@d 32\r\n@e 32\r\n@f 256\r\n", "ERROR FATAL" + IN, true},
      {"@d after the first # line", "@e 32\r\n@f 256\r\n#A = a.png\r\n@d 32\r\n", "ERROR FATAL" + IN, true},
      {"sprite bitmap before the slot sizes", "^A = a.png\r\n", "ERROR FATAL" + IN, true},
      {"names are case-blind", SLOTS + "#wall = a.png\r\n#WALL = b.png\r\n", "Bitmap name WALL already exist" + IN,
       true},
      {"wall repeats a floor name", SLOTS + "#A = a.png\r\n$a = b.png\r\n", "Bitmap name a already exist" + IN, true},
      {"1000 bitmaps", SLOTS + repeat("#B@ = a.png", 1000), "Too many bitmaps" + IN, true},
      {"repeated sprite bitmap", SLOTS + "^S = a.png\r\n^s = b.png\r\n", "Sprite Bitmap name s already exist" + IN,
       true},
      {"1500 sprite bitmaps", SLOTS + repeat("^S@ = a.png", 1500), "Too many Sprite Bitmaps" + IN, true},
      {"repeated animated bitmap name", TILES + ">a = A, 5\r\n", "Bitmap name a already exist  in Load_Level(t.def, (null))",
       false},
      {"repeated animated sprite name", TILES + "<S = S, 5\r\n", "Sprite Bitmap name S already exist" + IN, false},
      {"unknown frame", TILES + ">W = A, 5, NOPE, 5\r\n", "Bitmap NOPE doesn't exist" + IN, true},
      {"unknown sprite frame", TILES + "<W = S, 5, A, 5\r\n", "Sprite Bitmap A doesn't exist" + IN, true},
      {"frame without delay", TILES + ">W = A, 5, B\r\n", "Delay Parameter missing in animated bitmap W" + IN, true},
      {"41 frames", TILES + frames41 + "\r\n", "You cant have more than 40 frames in animated bitmap W" + IN, false},
      {"no frame", TILES + ">W =\r\n", "Animated bitmap W should have at least 1 frame" + IN, true},
      {"300 animations", TILES + repeat(">W@ = A, 1", 300), "Too many animated Bitmaps" + IN, true},
      {"300 sprite animations", TILES + repeat("<W@ = S, 1", 300), "Too many animated Bitmaps" + IN, true},
      {"tile 0", TILES + "%0 = A, A, A, A, A, A\r\n", "Wrong tile number 0" + IN, true},
      {"tile 300", TILES + "%300 = A, A, A, A, A, A\r\n", "Wrong tile number 300" + IN, true},
      {"tile twice", TILES + "%5 = A, A, A, A, A, A\r\n", "Tile number 5 already defined" + IN, true},
      {"tile with five faces", TILES + "%6 = A, A, A, A, A\r\n", "Very Few parameters in tile number 6" + IN, true},
      {"floor '!'", TILES + "%6 = A!, A, NULL, NULL, NULL, NULL\r\n",
       "ERROR: You can't use the property '!' for floors - Tile 6" + IN, true},
      {"lower floor '!'", TILES + "%6 = A, A!, NULL, NULL, NULL, NULL\r\n",
       "ERROR: You can't use the property '!' for floors - Tile 6" + IN, true},
      {"unknown face", TILES + "%6 = A, A, NULL, NOPE!, NULL, NULL\r\n", "Bitmap name NOPE doesn't exist" + IN, true},
      {"sprite 299", TILES + "&299 = S, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n", "Wrong sprite number 299" + IN, true},
      {"sprite -1", TILES + "&-1 = S, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n", "Wrong sprite number -1" + IN, true},
      {"sprite twice", SPRITES + "&3 = S, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n", "Sprite number 3 already defined" + IN,
       true},
      {"sprite with 11 values", TILES + "&4 = S, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0\r\n",
       "Very Few parameters in sprite number 4" + IN, true},
      {"sprite of a floor bitmap", TILES + "&4 = A, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n",
       "Sprite Bitmap name A doesn't exist" + IN, true},
      {"moving cell of an undefined tile", TILES + "*3, 4 = 6, 24, 0, 1, 36, 12, 50, 24, 12, 50\r\n",
       "Tile number 6 used by an animated cell (z:3, x:4) is NOT defined" + IN, true},
      {"moving cell without mode", TILES + "*3, 4 = 5, 24, 0\r\n", "Parameters missing in moving cell (z:3, x:4)" + IN,
       true},
      {"moving cell without x", TILES + "*3\r\n", "Parameters missing in moving cell (z:3, x:0)" + IN, true},
      {"moving cell upside down", TILES + "*3, 4 = 5, 0, 24, 1, 36, 12, 50, 24, 12, 50\r\n",
       "The down face altitude cant be higher than the up face in moving cell (z:3, x:4)" + IN, false},
      {"moving cell without speed", TILES + "*3, 4 = 5, 24, 0, 1, 36, 12, 50, 24\r\n",
       "Speed parameter missing in moving cell (z:3, x:4)" + IN, true},
      {"moving cell without delay", TILES + "*3, 4 = 5, 24, 0, 1, 36, 12, 50, 24, 12\r\n",
       "Delay parameter missing in moving cell (z:3, x:4)" + IN, true},
      {"moving cell with one frame", TILES + "*3, 4 = 5, 24, 0, 1, 36, 12, 50\r\n",
       "Moving cell (z:3, x:4) should have at least 2 frames" + IN, false},
      {"moving cell with 31 frames", TILES + cell31 + "\r\n",
       "You can't have more than 30 frames per moving cell (z:3, x:4)" + IN, false},
      {"animated object of an undefined sprite", SPRITES + "+7 = 0, 0, 0, 1, 0\r\n",
       "Sprite number 7 used by an animated object, is NOT defined" + IN, true},
      {"way point without Y", SPRITES + "+3 = 0\r\n", "'Y' parameter missing in animated object 3" + IN_, true},
      {"way point without Z", SPRITES + "+3 = 0, 0, 0, 1, 0, 5, 5\r\n",
       "'Z' parameter missing in animated object 3" + IN_, true},
      {"way point without speed", SPRITES + "+3 = 0, 0, 0\r\n", "Speed parameter missing in animated object 3" + IN_,
       true},
      {"way point without delay", SPRITES + "+3 = 0, 0, 0, 1\r\n", "Delay parameter missing in animated object 3" + IN_,
       true},
      {"animated object without way points", SPRITES + "+3 =\r\n",
       "Animated object 3 should have at least 1 frame" + IN_, false},
      {"animated object with 31 way points", SPRITES + points31 + "\r\n",
       "You can't have more than 30 way points in animated object 3" + IN_, false},
      {"super animated bitmap without delay", SLOTS + "]FIRE = gfx\\fire, 3\r\n",
       "Parameters missing in super animated bitmap" + IN, true},
      {"super animated bitmap of no frame", SLOTS + "]FIRE = gfx\\fire, 0, 10\r\n",
       "Animated bitmap FIRE should have at least 1 frame" + IN, true},
      {"world over 10000 cells", "@a 101\r\n@b 100\r\n", "World size 101 x 100 is more than 10000 cells" + IN, true},
      {"negative world", "@a -1\r\n", "World size -1 x 100 is more than 10000 cells" + IN, true},
  };
}

class LevelMessages : public LevelTest, public testing::WithParamInterface<int> {};

TEST_P(LevelMessages, TextAndOutcome) {
  const Case c = cases()[size_t(GetParam())];
  const int result = load(c.def);
  std::vector<std::string> engine;  // Engine_Error texts only (not picture boxes)
  for (const Message& m : record.messages)
    if (m.caption == "Error") engine.push_back(m.text);
  ASSERT_EQ(engine.size(), 1u) << c.what << ": " << testing::PrintToString(texts());
  EXPECT_EQ(engine[0], "Error: " + c.message) << c.what;
  EXPECT_EQ(record.messages.back().stops, c.stops ? 1 : 0) << c.what;
  EXPECT_EQ(result, c.stops ? LEVEL_STOPPED : LEVEL_LOADED) << c.what;
  EXPECT_EQ(Engine_Error_Stopped(), c.stops ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(EveryBrokenLine, LevelMessages, testing::Range(0, int(cases().size())));

// ---------------------------------------------------------------- what is kept when loading goes on

TEST_F(LevelTest, StoppedLoadLeavesTablesForFreeLevel) {
  EXPECT_EQ(load(TILES + "%5 = A, A, A, A, A, A\r\n"), LEVEL_STOPPED);
  EXPECT_NE(w.tiles, nullptr);
  EXPECT_NE(w.buffer, nullptr);
  Free_Level();
  EXPECT_EQ(w.tiles, nullptr);
  EXPECT_EQ(w.buffer, nullptr);
  EXPECT_EQ(w.bitmap_count, 0);
}

// ---------------------------------------------------------------- without a sink
TEST(LevelStops, StopEndsTheProcessWithAFailureStatus) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string def = SLOTS + "#A = a.png\r\n%300 = A, A, A, A, A, A\r\n";
  EXPECT_EXIT(
      {
        Engine_Error_Sink(nullptr, nullptr);
        Level_Texture_Hooks(fake_upload, fake_delete);
        Load_Level_Memory("t.def", reinterpret_cast<const uint8_t*>(def.data()), def.size(), nullptr, nullptr, 0, 0);
        std::fprintf(stderr, "still running\n");
        std::exit(3);
      },
      testing::ExitedWithCode(1), "Error: Error: Wrong tile number 300 in Load_Level\\(t.def, \\(null\\)\\)");
}


}  // namespace
