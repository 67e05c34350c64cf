// The rectangle the 3D back end draws into: after every mode set it is the virtual screen as laid out, from the first full-screen start on and back in a window.
#include "tests/display/dsp_fixture.h"

using namespace dsp_test;

namespace {

// The rectangle the back end was last given, by its start or a resize.
struct Told {
  VX_RECT rect;
  int count;
};
Told& told() {
  static Told t;
  return t;
}
int record_init(PLAT_WINDOW* w, const VX_RECT* r, const char** renderer, const char** vendor) {
  told().rect = *r;
  told().count++;
  return fake_init(w, r, renderer, vendor);
}
int record_resize(const VX_RECT* r) {
  told().rect = *r;
  told().count++;
  return fake_resize(r);
}

class Dsp3dRect : public DspTest {
 protected:
  VX_DSP_3D_INTERFACE table = {};

  void SetUp() override {
    DspTest::SetUp();
    told() = Told{};
    table = *fake_table();
    table.vx_dsp_3d_init = record_init;
    table.vx_dsp_3d_resize = record_resize;
    app.table_3d = &table;
  }

  // The virtual screen's rectangle as the game reads it.
  static VX_RECT screen_rect() {
    const VX_BITMAP* s = vx_screen();
    return {s->x, s->y, s->width, s->height};
  }
  static auto parts(const VX_RECT& r) { return nums(r.x, r.y, r.width, r.height); }
};

}  // namespace

// ---------------------------------------------------------------- full-screen start

TEST_F(Dsp3dRect, AFullScreenStartDrawsOverTheWholeMode) {
  write_settings("[Display]\nResolution=1024x768x16\nFullscreen=1\n");
  ASSERT_EQ(start(), 1);
  ASSERT_EQ(vx_dsp_is_fullscreen(), 1);
  // Before the fix the back end kept its start rectangle, 640 x 480 at the
  // origin: the picture sat in the bottom-left corner of the mode.
  EXPECT_EQ(parts(told().rect), nums(0, 0, 1024, 768));
  EXPECT_EQ(parts(told().rect), parts(screen_rect()));
  EXPECT_EQ(nums(screen_out.x, screen_out.y, screen_out.width, screen_out.height), nums(0, 0, 1024, 768));
}

TEST_F(Dsp3dRect, ARememberedSmallerPictureIsCentredInTheMode) {
  write_settings("[Display]\nResolution=1024x768x16\nFullscreen=1\nFullPosition=0,0,800,600\n");
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(parts(told().rect), nums(112, 84, 800, 600));
  EXPECT_EQ(parts(told().rect), parts(screen_rect()));
}

// ---------------------------------------------------------------- windows

TEST_F(Dsp3dRect, AWindowedStartDrawsOverTheClientArea) {
  write_settings("[Display]\nFullscreen=0\nWindowPosition=10,20,800,600\n");
  ASSERT_EQ(start(VX_DSP_3D), 1);
  ASSERT_EQ(vx_dsp_is_fullscreen(), 0);
  EXPECT_EQ(parts(told().rect), nums(0, 0, 800, 600));
}
