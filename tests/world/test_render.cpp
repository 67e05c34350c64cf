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

// ---------------------------------------------------------------- light

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

// ---------------------------------------------------------------- editor font

}  // namespace
