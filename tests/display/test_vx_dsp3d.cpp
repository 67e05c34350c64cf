// The 3D interface table: defaults before and after installation, and the card classification.
#include "display_fixture.h"

namespace {

using Dsp3dTest = DisplayTest;

int my_flush() { return 7; }
int my_free(VX_BITMAP*) { return 8; }

TEST_F(Dsp3dTest, EveryDefaultShowsItsMessageAndFails) {
  const VX_DSP_3D_INTERFACE* t = vx_dsp_3d_interface();
  VX_BITMAP b = {};
  VX_RECT r = {0, 0, 1, 1};
  const char* renderer = nullptr;
  const char* vendor = nullptr;
  struct Call {
    int result;
    const char* name;
  } calls[] = {
      {t->vx_dsp_3d_init(nullptr, &r, &renderer, &vendor), "vx_dsp_3d_init_default"},
      {t->vx_dsp_3d_deinit(), "vx_dsp_3d_deinit_default"},
      {t->vx_dsp_3d_video_mode_set(640, 480, 16, 60, 1), "vx_dsp_3d_video_mode_set_default"},
      {t->vx_dsp_3d_resize(&r), "vx_dsp_3d_resize_default"},
      {t->vx_dsp_3d_flush(), "vx_dsp_3d_flush_default"},
      {t->vx_bit_3d_put(&b, &r, &r, 0), "vx_bit_3d_put"},
      {t->vx_bit_3d_save(&b, "x.tga", &r, 0), "vx_bit_3d_save"},
      {t->vx_bit_3d_free(&b), "vx_bit_3d_free_default"},
      {t->vx_dsp_3d_screen_clear(), "vx_dsp_3d_screen_clear_default"},
      {t->vx_dsp_3d_display_update(), "vx_dsp_3d_display_update_default"},
      {t->vx_bit_3d_draw_pixel(&b, 0, 0, 0xFFFFFF), "vx_bit_3d_draw_pixel_default"},
      {t->vx_bit_3d__draw_line(&b, 0, 0, 1, 1, 0), "vx_bit_3d__draw_line_default"},
      {t->vx_bit_3d__draw_rectangle(&b, &r, 0), "vx_bit_3d__draw_rectangle_default"},
      {t->vx_bit_3d__draw_circle(&b, 5, 5, 3, 0), "vx_bit_3d__draw_circle_default"},
      {int(t->vx_bit_3d_get_pixel(&b, 0, 0)), "vx_bit_3d_get_pixel_default"},
  };
  std::string said = boxes();
  size_t at = 0;
  for (const Call& c : calls) {
    EXPECT_EQ(c.result, 0) << c.name;
    std::string text = std::string(c.name) + " called before calling vx_dsp_3d_interface_set ()";
    size_t found = said.find(text, at);
    EXPECT_NE(found, std::string::npos) << text;
    if (found != std::string::npos) at = found + text.size();  // in table order
  }
  EXPECT_EQ(vx_dsp_3d_installed(), 0);
}

TEST_F(Dsp3dTest, InstalledTableIsACopyWithDefaultsForEmptyEntries) {
  VX_DSP_3D_INTERFACE mine = {};
  mine.vx_dsp_3d_flush = my_flush;
  mine.vx_bit_3d_free = my_free;
  vx_dsp_3d_interface_set(&mine);
  mine.vx_dsp_3d_flush = nullptr;  // the caller's table may change or go
  const VX_DSP_3D_INTERFACE* t = vx_dsp_3d_interface();
  EXPECT_EQ(vx_dsp_3d_installed(), 1);
  EXPECT_EQ(t->vx_dsp_3d_flush(), 7);
  EXPECT_EQ(t->vx_bit_3d_free(nullptr), 8);
  EXPECT_EQ(boxes(), "");
  EXPECT_EQ(t->vx_dsp_3d_screen_clear(), 0);
  EXPECT_NE(boxes().find("vx_dsp_3d_screen_clear_default called"), std::string::npos);
  // Every entry is callable: none is null.
  const void* const* entries = reinterpret_cast<const void* const*>(t);
  for (int i = 0; i < 15; i++) EXPECT_NE(entries[i], nullptr) << i;
  vx_dsp_3d_interface_set(nullptr);
  EXPECT_EQ(vx_dsp_3d_installed(), 0);
  EXPECT_EQ(vx_dsp_3d_interface()->vx_dsp_3d_flush(), 0);
}

TEST_F(Dsp3dTest, CardClassification) {
  struct Case {
    const char* renderer;
    VX_DSP_CARD card;
  } cases[] = {
      {"RIVA TNT2/AGP (NVIDIA)", {32, 16, 32}},  // "TNT" comes before "NVIDIA"
      {"NVIDIA GeForce 256", {33, 16, 32}},
      {"3Dfx Voodoo3 (tm)", {4, 8, 16}},
      {"voodoo5", {6, 16, 32}},
      {"Voodoo Banshee", {1, 8, 16}},
      {"Rage 128 Pro", {61, 16, 32}},
      {"Mesa Intel(R) UHD", {0, 0, 0}},
      {"GDI Generic", {0, 0, 0}},
  };
  for (const Case& c : cases) {
    VX_DSP_CARD card = {9, 9, 9};
    int hit = vx_dsp_card_identify(c.renderer, &card);
    EXPECT_EQ(hit, c.card.id != 0) << c.renderer;
    EXPECT_EQ(card.id, c.card.id) << c.renderer;
    EXPECT_EQ(card.memory, c.card.memory) << c.renderer;
    EXPECT_EQ(card.depth, c.card.depth) << c.renderer;
  }
  // A software renderer is left alone even with a known key in its name.
  VX_DSP_CARD card = {};
  EXPECT_EQ(vx_dsp_card_identify("Generic TNT", &card), 0);
  EXPECT_EQ(card.id, 0u);
  EXPECT_EQ(vx_dsp_card_identify(nullptr, &card), 0);
}

}  // namespace
