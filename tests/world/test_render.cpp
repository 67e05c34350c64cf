// The renderer's arithmetic and files: viewport, row table, light colours, fade, engine start and stop, transparency tables, the editor font and its text.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/vx_io.h"
#include "tests/world/test_render_util.h"

using namespace level_test;
using namespace render_test;

namespace {

// ---------------------------------------------------------------- viewport
TEST_F(RenderTest, Viewport) {
  struct Case {
    int bottom, right, proj_x, proj_y, centre_x, centre_y;
  };
  // The game calls it with the height - 1 and the width - 1.
  const Case cases[] = {
      {479, 639, 398, 396, 320, 240},   // (319 x 200) / 160 = 398.75, (239 x 166) / 100 = 396.74
      {767, 1023, 638, 635, 512, 384},  // (511 x 200) / 160, (383 x 166) / 100
      {199, 319, 198, 164, 160, 100},   // 320 x 200: not quite the start values 200 and 166
      {100, 200, 125, 83, 100, 50},     // 201 x 101
  };
  for (const Case& c : cases) {
    Set_Viewport(c.bottom, c.right);
    const RENDER_VIEW& v = render_view;
    EXPECT_EQ(nums(v.proj_x, v.proj_y, v.centre_x, v.centre_y, v.view_right, v.view_bottom),
              nums(c.proj_x, c.proj_y, c.centre_x, c.centre_y, c.right, c.bottom));
  }
  // The settings of the game stay as they were.
  EXPECT_EQ(nums(render_view.view_depth, render_view.fade_start), nums(15, 8));
}

// ---------------------------------------------------------------- row table
TEST(RenderRows, Widths) {
  struct Case {
    int depth, cell, scale, right, width;
  };
  const Case cases[] = {
      // Start viewport: n x 12 x 200 / (12 d + 10) + 159 < 319 holds for n < (12 d + 10) / 15.
      {0, 12, 200, 319, 2},    // no n: 10 / 15 < 1
      {1, 12, 200, 319, 3},    // n = 1
      {10, 12, 200, 319, 10},  // 130 / 15 = 8.7: n = 8
      {50, 12, 200, 319, 42},  // 610 / 15 = 40.7: n = 40
      // 640 x 480: n x 4776 / (12 d + 10) < 320.
      {40, 12, 398, 639, 34},  // 490 x 320 / 4776 = 32.8: n = 32
      {0, 12, 398, 639, 2},
      {50, 12, 1, 100000, 102},  // a hundred columns at most, whatever the viewport
      // Cells of 24 at 5 rows: n x 4800 / 130 < 160, n = 4; as cells of 12 at 10 rows and scale 400.
      {5, 24, 200, 319, 6},
      {10, 12, 400, 319, 6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Render_Row_Width(c.depth, c.cell, c.scale, c.right), c.width) << c.depth << " " << c.cell << " " << c.scale;
}

TEST_F(RenderTest, InitBuildsTheTableAndResetsTheSettings) {
  ASSERT_EQ(load(basic_def()), LEVEL_LOADED);
  render_view.cell_lighting = render_view.object_lighting = 1;
  render_view.fade_start = 50, render_view.fade_rate = 3.0, render_view.horizon_shift = -20;
  render_view.view_depth = 40;
  const long long used = vx_mem_used();
  Init_3D_Engine();
  const RENDER_VIEW& v = render_view;  // the view depth is the game's to set
  EXPECT_EQ(nums(v.cell_lighting, v.object_lighting, v.fade_start, v.fade_rate, v.horizon_shift, v.view_depth),
            nums(0, 0, 8, 1, 0, 40));
  ASSERT_NE(render_view.row_half_width, nullptr);
  for (int d = 0; d < RENDER_ROWS; d++) EXPECT_EQ(render_view.row_half_width[d], Render_Row_Width(d, 12, 200, 319));
  EXPECT_STREQ(vx_mem_get_name(const_cast<uint8_t*>(render_view.row_half_width)), "row lenght table in init 3d engine");
  // The polygon buffer and the row table: 1000 and 51 bytes, 12 per record.
  EXPECT_EQ(vx_mem_used() - used, 1000 + 12 + 51 + 12);
  Init_3D_Engine();  // again: the first blocks are given back
  EXPECT_EQ(vx_mem_used() - used, 1000 + 12 + 51 + 12);
  Free_3D_Engine();
  EXPECT_EQ(render_view.row_half_width, nullptr);
  EXPECT_EQ(vx_mem_used(), used);
  Free_3D_Engine();  // twice is harmless
}

// ---------------------------------------------------------------- light
TEST(RenderLight, ExactWhiteOnlyForTintZeroAtFullBrightnessAndClamping) {
  float c[3];
  Render_Light_Colour(0, 15, c);
  EXPECT_EQ(nums(c[0], c[1], c[2]), nums(1, 1, 1));
  // Tint 7 is the same grey ramp but not exactly white: 15 x 256 x 0.0002441.
  Render_Light_Colour(7, 15, c);
  for (float v : c) EXPECT_NEAR(v, 0.937344, 1e-5);
  Render_Light_Colour(0, 14, c);
  for (float v : c) EXPECT_NEAR(v, 14 * 256 * 0.0002441, 1e-5);
  // Out of range: tint -3 is 0 and brightness 99 is 15; tint 20 is 15 (black); brightness -4 is 0.
  Render_Light_Colour(-3, 99, c);
  EXPECT_EQ(c[0], 1.0f);
  Render_Light_Colour(20, 15, c);
  EXPECT_EQ(c[0] + c[1] + c[2], 0.0f);
  Render_Light_Colour(1, -4, c);
  EXPECT_EQ(c[0], 0.0f);
}

TEST(RenderLight, EachTintPicksItsChannels) {
  const float i = float(8 * 256 * 0.0002441), h = i / 2;
  const float want[16][3] = {{i, i, i}, {i, 0, 0}, {0, i, 0}, {0, 0, i}, {i, i, 0}, {i, 0, i}, {0, i, i}, {i, i, i},
                             {i, h, h}, {h, i, h}, {h, h, i}, {i, i, h}, {i, h, i}, {h, i, i}, {0, 0, 0}, {0, 0, 0}};
  for (int t = 0; t < 16; t++) {
    float c[3];
    Render_Light_Colour(t, 8, c);
    for (int k = 0; k < 3; k++) EXPECT_FLOAT_EQ(c[k], want[t][k]) << "tint " << t << " channel " << k;
  }
}

TEST_F(RenderTest, FadeByDistance) {
  struct Case {
    int start;
    double rate;
    int brightness, distance, faded;
  };
  const Case cases[] = {
      {50, 1.0, 15, 60, 5},   // the game's setting, sixty rows away
      {50, 1.0, 15, 50, 15},  // from fade_start on, not at it
      {50, 1.0, 15, 51, 14},
      {50, 1.0, 15, 70, 0},   // never below 0
      {50, 1.0, 40, 0, 15},   // a brightness above 15 is clamped
      {8, 0.5, 15, 13, 13},   // trunc(5 x 0.5) = 2
      {8, 0.5, -2, 0, 0},
  };
  for (const Case& c : cases) {
    render_view.fade_start = c.start;
    render_view.fade_rate = c.rate;
    EXPECT_EQ(Render_Fade(c.brightness, c.distance), c.faded) << c.start << " " << c.brightness << " " << c.distance;
  }
}

// ---------------------------------------------------------------- transparency tables
TEST_F(RenderTest, TransparencyTablesFromBytes) {
  std::vector<uint8_t> file = {2};
  for (int i = 0; i < 2 * RENDER_TRANSPARENCY_TABLE; i++) file.push_back(uint8_t(i * 7 + i / 65536));
  const long long used = vx_mem_used();
  ASSERT_EQ(Load_Transparency_Tables_Memory(file.data(), file.size()), 1);
  ASSERT_EQ(Render_Transparency_Count(), 2);
  EXPECT_EQ(std::memcmp(Render_Transparency_Table(0), file.data() + 1, RENDER_TRANSPARENCY_TABLE), 0);
  EXPECT_EQ(std::memcmp(Render_Transparency_Table(1), file.data() + 1 + RENDER_TRANSPARENCY_TABLE,
                        RENDER_TRANSPARENCY_TABLE), 0);
  EXPECT_EQ(Render_Transparency_Table(2), nullptr);
  EXPECT_EQ(Render_Transparency_Table(-1), nullptr);
  EXPECT_STREQ(vx_mem_get_name(const_cast<uint8_t*>(Render_Transparency_Table(0))),
               "1 tabla trans in load transparency tables");
  EXPECT_EQ(vx_mem_used() - used, 2 * (RENDER_TRANSPARENCY_TABLE + 12));
  Free_Transparency_Tables();
  EXPECT_EQ(Render_Transparency_Count(), 0);
  EXPECT_EQ(vx_mem_used(), used);
}

TEST_F(RenderTest, ShortAndEmptyTransparencyFiles) {
  const uint8_t cut[] = {3, 9, 9, 9};  // three tables announced, three bytes there
  ASSERT_EQ(Load_Transparency_Tables_Memory(cut, sizeof cut), 1);
  ASSERT_EQ(Render_Transparency_Count(), 3);
  EXPECT_EQ(nums(Render_Transparency_Table(0)[2], Render_Transparency_Table(0)[3], Render_Transparency_Table(2)[0]),
            nums(9, 0, 0));
  // Loading again replaces the tables; an empty file has none.
  ASSERT_EQ(Load_Transparency_Tables_Memory(nullptr, 0), 1);
  EXPECT_EQ(Render_Transparency_Count(), 0);
  EXPECT_TRUE(record.messages.empty());
}

// The file-layer loaders, in a folder of their own.
class RenderFiles : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("render_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_ / "data");
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    static VX_IO_SETTINGS io = {0, nullptr, nullptr};
    vx_io_init(&io);
  }
  void TearDown() override {
    vx_io_deinit();
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(folder_);
    RenderTest::TearDown();
  }
  void write(const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(folder_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::filesystem::path folder_, old_;
};

TEST_F(RenderFiles, MissingFilesEndTheProgram) {
  EXPECT_EQ(Load_Transparency_Tables(), 0);
  EXPECT_EQ(Load_Editor_Font(), 0);
  ASSERT_EQ(record.messages.size(), 2u);
  EXPECT_EQ(record.messages[0].text, "Error: Can't open the transparency tables file data\\transp.tab");
  EXPECT_EQ(record.messages[1].text, "Error: Cant open the file data\\font.dat\n");
  EXPECT_EQ(nums(record.messages[0].stops, record.messages[1].stops), nums(1, 1));
  EXPECT_FALSE(Render_Editor_Font_Loaded());
}

TEST_F(RenderFiles, TablesAndFontThroughTheFileLayer) {
  std::vector<uint8_t> file(1 + RENDER_TRANSPARENCY_TABLE, 5);
  file[0] = 1;
  write("data/transp.tab", file);
  ASSERT_EQ(Load_Transparency_Tables(), 1);
  ASSERT_EQ(Render_Transparency_Count(), 1);
  EXPECT_EQ(Render_Transparency_Table(0)[65535], 5);
  write("data/font.dat", std::vector<uint8_t>(RENDER_FONT_GLYPHS * RENDER_FONT_ROWS, 0x11));
  ASSERT_EQ(Load_Editor_Font(), 1);
  EXPECT_TRUE(Render_Editor_Font_Loaded());
  Free_3D_Engine();  // the font goes with the engine
  EXPECT_FALSE(Render_Editor_Font_Loaded());
}

// ---------------------------------------------------------------- editor font
TEST(RenderFont, CharactersMapToGlyphs) {
  EXPECT_EQ(nums(Render_Editor_Glyph('a'), Render_Editor_Glyph('z'), Render_Editor_Glyph('A'), Render_Editor_Glyph('Z'),
                 Render_Editor_Glyph('0'), Render_Editor_Glyph('9')),
            nums(0, 25, 26, 51, 52, 61));
  const char marks[] = ".,;:";
  for (int i = 0; i < 4; i++) EXPECT_EQ(Render_Editor_Glyph(marks[i]), 62 + i);
  // Code page 437: inverted question mark, inverted exclamation mark, n and N with tilde, a e i o u acute.
  const unsigned char rest[] = {0xA8, '?', 0xAD, '!', '(', ')', 0xA4, 0xA5, 0xA0, 0x82,
                                0xA1, 0xA2, 0xA3, '-', '$', '%', '/'};
  for (int i = 0; i < int(sizeof rest); i++) EXPECT_EQ(Render_Editor_Glyph(rest[i]), 66 + i) << i;
  EXPECT_EQ(Render_Editor_Glyph(' '), -1);
  for (int c : {int('#'), int('@'), int('+'), int('\t'), 0xFF}) EXPECT_EQ(Render_Editor_Glyph((unsigned char)c), 0);
}

TEST_F(RenderTest, TextIsDrawnAsPointsInsideTheViewportOnly) {
  std::vector<uint8_t> font(RENDER_FONT_GLYPHS * RENDER_FONT_ROWS, 0);
  font[0 * 7 + 0] = 0x10;      // 'a': the leftmost pixel of its first row
  font[52 * 7 + 6] = 0x01;     // '0': the rightmost pixel of its last row
  ASSERT_EQ(Load_Editor_Font_Memory(font.data(), font.size()), 1);
  Render_Editor_Text(10, 20, "a 0");
  ASSERT_EQ(seen.points.size(), 2u);
  EXPECT_EQ(nums(seen.points[0].x, seen.points[0].y), nums(10, 20));
  EXPECT_EQ(seen.points[1].x, 10 + 2 * 6 + 4);  // the space keeps its place
  EXPECT_EQ(seen.points[1].y, 26);
  // A glyph reaching past the viewport's last column or row is left out whole.
  seen.points.clear();
  Render_Editor_Text(315, 20, "a");   // columns 315..319 fit
  Render_Editor_Text(316, 20, "a");   // 316..320 do not
  Render_Editor_Text(10, 193, "a");   // rows 193..199 fit
  Render_Editor_Text(10, 194, "a");
  Render_Editor_Text(-1, 20, "a");
  ASSERT_EQ(seen.points.size(), 2u);
  EXPECT_EQ(nums(seen.points[0].x, seen.points[1].y), nums(315, 193));
}

}  // namespace
