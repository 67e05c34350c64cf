// The window's menu bar drawn with the game's menu font: its rows above the picture, and what each presented frame puts on the screen, paused or not.
#include "tests/display/dsp_fixture.h"
#include "toolkit/vx_font_bar.h"
#include "world/image/img_load.h"

using namespace dsp_test;

namespace {

std::vector<VX_RECT> drawn, projections;  // what the 3D back end was given
int redraws = 0;

// Presents one frame; the lowest row drawn (over the drawable area, then the picture's own).
int frame() {
  drawn.clear();
  projections.clear();
  vx_dsp_present();
  EXPECT_EQ(projections.size(), 2u);
  int y = 0;
  for (const VX_RECT& r : drawn) y = std::max(y, r.y + r.height);
  return y;
}

}  // namespace

TEST_F(DspTest, TheMenuFontDrawsTheBarAboveThePictureOnEveryFrameAndAtOnceWhenPaused) {
  const fs::path file = fs::path(PS_DATATREE) / "data" / "menu.fnt";
  if (!fs::exists(file)) GTEST_SKIP() << "the game's data tree is not built: " << file;
  static const VX_FONT_SETTINGS fonts = {0};
  VX_FONT font = {};
  vx_font_picture_loader_set(vx_img_load);
  ASSERT_TRUE(vx_font_init(&fonts) && vx_font_load(&font, file.c_str(), VX_FONT_LOAD_PALETTE | VX_FONT_LOAD_TRIM));
  static VX_DSP_3D_INTERFACE table3d = *fake_table();
  table3d.vx_bit_3d_put = [](VX_BITMAP*, const VX_RECT* d, const VX_RECT*, uint32_t) { return drawn.push_back(*d), 1; };
  table3d.vx_dsp_3d_resize = [](const VX_RECT* r) { return projections.push_back(*r), 1; };
  app.table_3d = &table3d;
  app.redraw_hook = [] { redraws++; };
  write_settings("[Display]\nFullscreen=0\nWindowPosition=100,50,640,480\n");
  ASSERT_TRUE(start(VX_DSP_3D) && vx_font_bar_start(&font));

  EXPECT_EQ(nums(vx_dsp_client_rect().y, vx_dsp_client_rect().height), nums(50 + VX_MENU_BAR_HEIGHT, 480));
  EXPECT_EQ(vx_dsp_menu_bar_title_rect(0).width, vx_font_bar_text_width("&Game") + 2 * VX_MENU_TITLE_PAD);
  send(PLAT_WM_LBUTTONDOWN, PLAT_MK_LBUTTON, plat_makelong(300, 300));  // play runs
  EXPECT_EQ(frame(), VX_MENU_BAR_HEIGHT) << "the bar alone";
  EXPECT_GE(drawn.size(), 2u + 20u) << "the bar, its edge and the letters of four titles";
  EXPECT_EQ(nums(projections[0].height, projections[1].height), nums(480 + VX_MENU_BAR_HEIGHT, 480));

  // Paused by the open popup, each change is presented at once over the picture drawn again.
  const int updates = fake().updates, before = redraws;
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_F10);
  EXPECT_EQ(nums(running, fake().updates - updates, redraws - before), nums(0, 1, 1));
  const VX_DSP_RECT box = vx_dsp_menu_bar_popup_box(0);
  EXPECT_EQ(frame(), box.y + box.height + 4) << "the Game popup and its shadow";
  const uint32_t exit_y = static_cast<uint32_t>(box.y + VX_MENU_ROW + VX_MENU_SEPARATOR_ROW + 5);
  for (uint32_t x : {30u, 40u}) send(PLAT_WM_MOUSEMOVE, 0, plat_makelong(static_cast<uint32_t>(box.x) + x, exit_y));
  EXPECT_EQ(nums(vx_dsp_menu_bar_state()->item, redraws - before), nums(2, 2)) << "onto Exit once, within it not again";
  send(PLAT_WM_KEYDOWN, PLAT_VK_ESCAPE);
  EXPECT_EQ(nums(redraws - before, frame()), nums(3, VX_MENU_BAR_HEIGHT));
  vx_font_bar_stop();
  vx_font_free(&font);
  vx_font_deinit();
}
