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

// ---------------------------------------------------------------- tile buffer

// ---------------------------------------------------------------- bitmaps

TEST_F(LevelTest, SpriteBitmapTakesTheUploadSizesAndDropsTheHashMark) {
  record.sizes["h.png"] = {20, 30, 32, 32};
  ASSERT_EQ(load(SLOTS + "^HERO = h.png%3#\r\n"), LEVEL_LOADED);
  const SPRITE_BITMAP_ENTRY& e = w.sprite_bitmap_index[0];
  EXPECT_STREQ(e.name, "HERO");
  EXPECT_EQ(nums(e.percent, e.image_width, e.image_height, e.texture_width, e.texture_height, e.texture),
            nums(3, 20, 30, 32, 32, 100));
  EXPECT_EQ(record.uploads[0].file, "h.png");
}

// ---------------------------------------------------------------- animations

// ---------------------------------------------------------------- tiles and sprites

// ---------------------------------------------------------------- moving cells and animated objects

}  // namespace
