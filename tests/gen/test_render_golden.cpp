// Golden pictures drawn on the off-screen GL context and compared within a tolerance: the world renderer's view of the small test level and of every game level, and the window's menu bar with a popup open.
//
// The level viewer (build/tools/levelview, or the program PS_LEVELVIEW
// names) draws with the game's renderer; this suite runs it as a child
// process. The menu bar is drawn here by the font module's drawer with the
// game's menu font. Without the viewer, the font, or a GL context, the tests skip.
#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "display/vx_bit_save.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"
#include "gen_fixture.h"
#include "toolkit/vx_font_bar.h"
#include "world/image/img_load.h"

namespace {

using gen_test::GenFileTest;
using gen_test::GenGlTest;
namespace fs = std::filesystem;

constexpr int kNoContext = 3;  // the viewer's exit status when no GL context can be made

fs::path viewer() {
  if (const char* p = std::getenv("PS_LEVELVIEW")) return p;
  // Beside the tests: <build>/tests/test_gen and <build>/tools/levelview.
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : self.parent_path().parent_path() / "tools" / "levelview";
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// The renderer's test level and its data root (its map compiled from view.txt).
fs::path level_folder() { return fs::path(PS_TEST_DATA) / "world" / "render"; }

// Runs the viewer on a level of `folder` (the test level unless `level`
// names one), its standard error into OUT.err; its exit status.
int view(const std::string& options, const fs::path& out, const fs::path& folder = level_folder(),
         const std::string& level = "view.def view.map") {
  // The viewer loads Mesa, whose blocks a sanitizer build would report as
  // leaks at exit (see gen_leak_options.cpp): leak reports off for it too.
  const std::string cmd = "ASAN_OPTIONS=detect_leaks=0 " + quoted(viewer()) + " -C " + quoted(folder) + " " + options + " " + level + " " +
                          quoted(out) + " > /dev/null 2> " + quoted(fs::path(out.string() + ".err"));
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Per pixel, the largest difference of the three channels.
struct Difference {
  double mean = 0;  // of the per-pixel differences
  int over = 0;     // pixels that differ by more than the threshold
  int pixels = 0;
};

Difference compare(const VX_BITMAP& a, const VX_BITMAP& b, int threshold) {
  Difference d;
  const int step_a = a.bpp / 8, step_b = b.bpp / 8;
  d.pixels = a.width * a.height;
  long long sum = 0;
  for (int i = 0; i < d.pixels; i++) {
    int worst = 0;
    for (int k = 0; k < 3; k++) worst = std::max(worst, std::abs(a.pixels[i * step_a + k] - b.pixels[i * step_b + k]));
    sum += worst;
    d.over += worst > threshold;
  }
  d.mean = double(sum) / d.pixels;
  return d;
}

// Checks a drawn picture against its golden file. Drivers may round texels
// and edges apart; the scene may not move. At most `over_per_10000` of the
// pixels may lie far from it.
void expect_golden(const VX_BITMAP& got, const fs::path& golden, int over_per_10000 = 100) {
  VX_BITMAP want = {};
  if (vx_img_load(&want, golden.c_str(), 0) != 1 || got.width != want.width || got.height != want.height) {
    ADD_FAILURE() << "no golden picture of this size: " << golden;
  } else {
    const Difference d = compare(got, want, 48);
    EXPECT_LT(d.mean, 2.0);
    EXPECT_LT(d.over, d.pixels * over_per_10000 / 10000) << "pixels far from the golden picture " << golden;
  }
  vx_bit_free(&want);
}

class RenderGolden : public GenFileTest {
 protected:
  void SetUp() override {
    GenFileTest::SetUp();
    if (!fs::exists(viewer())) GTEST_SKIP() << "the level viewer is not built: " << viewer();
  }
  // Draws the view into `name` in the test's folder and loads it.
  // A game level may report messages of its own (status 1) as long as the picture is written.
  void draw(const std::string& options, const char* name, VX_BITMAP* out, const fs::path& folder = level_folder(),
            const std::string& level = "view.def view.map") {
    const int status = view(options, folder_ / name, folder, level);
    if (status == kNoContext) GTEST_SKIP() << "no GL context can be made here";
    ASSERT_TRUE(status == 0 || (status == 1 && level.find("view.def") == std::string::npos && fs::exists(folder_ / name)))
        << "levelview " << options << " " << level;
    // An error box of the engine (say, a background it cannot fit to the
    // screen) does not change the status: its text does show.
    std::ifstream err(folder_ / (std::string(name) + ".err"));
    const std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("Error"), std::string::npos) << text;
    ASSERT_EQ(vx_img_load(out, (folder_ / name).c_str(), 0), 1);
    ASSERT_GE(out->bpp, 24);
  }
};

// From behind the near edge, lit as the game draws, over the level's
// background: the checkered floor in perspective, the water, the bank with
// its gap and ramp, the far bank and its towers, trees and cars.
TEST_F(RenderGolden, ViewFromBehindTheNearEdge) {
  VX_BITMAP got = {};
  draw("-s 320x240 -c 100,25,196 -b -a", "view.tga", &got);
  expect_golden(got, level_folder() / "view_320x240.png");
  vx_bit_free(&got);
}

// Every game level over its background, objects and lighting as the game has them, against pictures drawn when
// each polygon went to GL on its own. The camera, over the middle column at height 50, stands three rows behind
// the last road (the second road on levels 11, 14 and 21): a road, the river, the far bank and the sky show.
// PS_GOLDEN_DIR=FOLDER keeps the pictures drawn (see tests/fixtures/world/levels/README.md).
TEST_F(RenderGolden, EveryGameLevel) {
  const fs::path data = PS_DATATREE;
  if (!fs::exists(data / "level" / "level0.def")) GTEST_SKIP() << "the game's levels are not built: " << data;
  constexpr std::array<int, 22> kCameraZ = {174, 198, 186, 234, 198, 222, 210, 210, 210, 222, 198,
                                            186, 210, 210, 222, 246, 270, 198, 222, 222, 210, 222};
  const char* keep = std::getenv("PS_GOLDEN_DIR");
  for (int i = 0; i < int(kCameraZ.size()); i++) {
    const std::string name = "level" + std::to_string(i);
    SCOPED_TRACE(name);
    VX_BITMAP got = {};
    draw("-a -b -s 320x240 -c 150,50," + std::to_string(kCameraZ[i]), "level.tga", &got, data,
         "level/" + name + ".def level/" + name + ".map");
    if (HasFatalFailure() || IsSkipped()) return;
    const std::string picture = name + "_320x240";
    if (keep) fs::copy_file(folder_ / "level.tga", fs::path(keep) / (picture + ".tga"), fs::copy_options::overwrite_existing);
    // Drawn on the same driver as the golden pictures: seams along the cells
    // (a texture page's edge gutter lost) move a few dozen pixels.
    expect_golden(got, fs::path(PS_TEST_DATA) / "world" / "levels" / (picture + ".png"), 5);
    vx_bit_free(&got);
  }
}

TEST_F(RenderGolden, LightingAndTheCameraChangeThePicture) {
  VX_BITMAP lit = {}, unlit = {}, moved = {};
  draw("-s 160x120 -c 100,25,196", "lit.tga", &lit);
  draw("-s 160x120 -c 100,25,196 -u", "unlit.tga", &unlit);
  draw("-s 160x120 -c 60,70,200", "moved.tga", &moved);
  // The water is tinted blue at brightness 13 when lit: the unlit picture shows its own colours.
  EXPECT_GT(compare(lit, unlit, 16).over, 0);
  EXPECT_GT(compare(lit, moved, 16).over, lit.width * lit.height / 10);
  vx_bit_free(&lit);
  vx_bit_free(&unlit);
  vx_bit_free(&moved);
}

// Editor mode outlines a cell and writes its corner heights in white.
TEST_F(RenderGolden, EditorModeWritesInWhite) {
  VX_BITMAP plain = {}, editor = {};
  draw("-s 320x240 -c 100,25,196", "plain.tga", &plain);
  draw("-s 320x240 -c 100,25,196 -e", "editor.tga", &editor);
  int white = 0;
  for (int i = 0; i < editor.width * editor.height; i++) {
    const uint8_t* e = editor.pixels + i * (editor.bpp / 8);
    const uint8_t* p = plain.pixels + i * (plain.bpp / 8);
    white += e[0] == 255 && e[1] == 255 && e[2] == 255 && !(p[0] == 255 && p[1] == 255 && p[2] == 255);
  }
  EXPECT_GT(white, 40);  // the outline and four numbers at least
  EXPECT_LT(compare(plain, editor, 48).over, plain.width * plain.height / 20);  // the scene itself unchanged
  vx_bit_free(&plain);
  vx_bit_free(&editor);
}

// The Sound popup on Sound Effects, Digital Music checked, the keys F2 and
// F3, the Music Quality arrow, and the Display title greyed as this game's
// display flags make it. PS_GOLDEN_OUT=file.tga writes the picture drawn.
TEST_F(GenGlTest, MenuBarSoundPopup) {
  const fs::path file = fs::path(PS_DATATREE) / "data" / "menu.fnt";
  if (!fs::exists(file)) GTEST_SKIP() << "the game's data tree is not built: " << file;
  vx_screen_copy_set(vx_bit_copy_3d, vx_bit_copy_transp_3d);  // copies go to GL, as while a mode is set
  vx_screen_mode_set_flag(1);
  static const VX_FONT_SETTINGS fonts = {0};
  static VX_APP app = {};
  VX_FONT font = {};
  app.menu_name = "PONDSPRINT";
  vx_font_picture_loader_set(vx_img_load);
  ASSERT_TRUE(vx_font_init(&fonts) && vx_font_load(&font, file.c_str(), VX_FONT_LOAD_PALETTE | VX_FONT_LOAD_TRIM) &&
              vx_dsp_menu_load(&app) && vx_font_bar_start(&font));
  vx_dsp_menu_enable_pos(vx_dsp_menu_bar(), 1, 0);
  vx_dsp_menu_check(VX_CMD_DIGITAL_MUSIC, 1);
  vx_dsp_menu_bar_open(2);
  for (int i = 0; i < 2; i++) vx_dsp_menu_bar_message(PLAT_WM_KEYDOWN, PLAT_VK_DOWN, 0);
  vx_font_bar_draw(gen_test::kScreenW, gen_test::kScreenH);

  VX_BITMAP got = {}, want = {};
  const VX_RECT whole = {0, 0, gen_test::kScreenW, gen_test::kScreenH};
  ASSERT_EQ(vx_bit_alloc(&got, &whole, VX_BIT_BPP24), 1);
  for (int i = 0; i < whole.width * whole.height; i++)
    for (int c = 0, rgb = int(read(i % whole.width, i / whole.width)); c < 3; c++) got.pixels[i * 3 + c] = uint8_t(rgb >> (16 - 8 * c));
  if (const char* out = std::getenv("PS_GOLDEN_OUT")) vx_bit_save(&got, out, nullptr, VX_BIT_SAVE_DIRECT);
  ASSERT_EQ(vx_img_load(&want, PS_TEST_DATA "/toolkit/menu_bar_sound.png", 0), 1);
  const Difference d = compare(got, want, 64);  // the scaled letters may be filtered a little apart
  EXPECT_LT(d.mean, 2.0);
  EXPECT_LT(d.over, d.pixels / 200) << "pixels far from the golden picture";
  vx_bit_free(&got);
  vx_bit_free(&want);
  vx_font_bar_stop();
  vx_font_free(&font);
  vx_font_deinit();
  vx_screen_mode_set_flag(0);
  vx_screen_copy_set(nullptr, nullptr);
}

}  // namespace
