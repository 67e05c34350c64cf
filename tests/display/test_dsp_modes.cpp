// The video-mode list: reading, lookup, the start mode, mode sets through the 3D table, refusals and the fall-back to the desktop.
#include "tests/display/dsp_fixture.h"

using namespace dsp_test;

namespace {

// The null display's default list (platform/null): 1280 x 1024, 1024 x 768,
// 800 x 600, 640 x 480 and 320 x 240 at 32 and 16 bits, 640 x 480 x 8;
// desktop 1024 x 768 x 32.
class DspModes : public DspTest {
 protected:
  // Warning.txt of the per-user folder: where boxes go while the 3D back end holds the full screen.
  std::string warnings() { return read_file((tmp.path / "xdg" / "Harrowby" / "DspTest" / "Warning.txt").string()); }
};

}  // namespace

// ---------------------------------------------------------------- lookup

TEST_F(DspModes, FindTakesTheExactDepthThenADeeperOneAndSkipsVgaModes) {
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(vx_dsp_mode_find(640, 480, 16), index_of(640, 480, 16));
  EXPECT_EQ(vx_dsp_mode_find(640, 480, 8), index_of(640, 480, 8));
  // No 24-bit modes: the first deeper one in list order (32 bits comes first).
  EXPECT_EQ(vx_dsp_mode_find(800, 600, 24), index_of(800, 600, 32));
  EXPECT_EQ(vx_dsp_mode_find(1280, 1024, 8), index_of(1280, 1024, 32));
  // Unknown sizes, too deep depths.
  EXPECT_EQ(nums(vx_dsp_mode_find(1600, 1200, 16), vx_dsp_mode_find(640, 480, 48), vx_dsp_mode_find(0, 0, 0)),
            nums(-1, -1, -1));
  vx_dsp_st.modes[index_of(640, 480, 16)].flags = VX_MODE_VGA;
  EXPECT_EQ(vx_dsp_mode_find(640, 480, 16), index_of(640, 480, 32));
}

// ---------------------------------------------------------------- the list

TEST_F(DspModes, ReadingFindsTheDesktopAndAppendsItWhenTheListLacksIt) {
  const PLAT_DISPLAY_MODE modes[] = {{800, 600, 16, 60}, {640, 480, 16, 60}};
  const PLAT_DISPLAY_MODE desktop = {1920, 1080, 32, 60};
  plat_display_null_setup(modes, 2, &desktop, 0, 0, 1920, 1050);
  ASSERT_EQ(start(VX_DSP_3D), 1);
  EXPECT_EQ(nums(vx_dsp_mode_count(), vx_dsp_mode_desktop(), vx_dsp_mode(2)->width, vx_dsp_mode_windowed()),
            nums(3, 2, 1920, 2));
}

// ---------------------------------------------------------------- the start mode

TEST_F(DspModes, FailedStartModeFallsBackToTheDesktop) {
  write_settings("[Display]\nResolution=800x600x16\n");
  fake().fail_width = 800;
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(vx_dsp_mode_current(), vx_dsp_mode_desktop());
  EXPECT_EQ(ready, 1u);
}

// A full-screen start waits 250 ms from the moment the mode is asked for:
// a mode set that itself waits 150 ms, and the work done during the wait,
// shorten the rest of it instead of adding to it.
TEST_F(DspModes, TheSettlingTimeCountsFromTheModeSetAndHoldsItsWork) {
  static uint32_t work_at, worked;
  work_at = worked = 0;
  fake().set_ms = 150;
  vx_dsp_settle_work_set([] { work_at = plat_ticks(), worked++; });
  settings_path();
  params.flags = VX_DSP_3D | VX_DSP_FULLSCREEN_ONLY;
  ASSERT_EQ(vx_app_start(&app), 1);
  const uint32_t t0 = plat_ticks();
  ASSERT_EQ(vx_dsp_init(&params), 1);
  const uint32_t took = plat_ticks() - t0;
  vx_dsp_settle_work_set(nullptr);
  EXPECT_EQ(worked, 1u);
  EXPECT_GE(work_at - t0, 150u);  // after the mode set
  EXPECT_GE(took, 250u);
  EXPECT_LT(took, 380u) << "the mode set's own wait came on top of the settling time";
}

// ---------------------------------------------------------------- switching: refusals

// ---------------------------------------------------------------- switching: failures

TEST_F(DspModes, AFailedSwitchFallsBackToTheDesktopWithTwoBoxes) {
  ASSERT_EQ(start(VX_DSP_3D), 1);
  fake().fail_width = 800;
  boxes();
  EXPECT_EQ(vx_dsp_mode_switch(index_of(800, 600, 16)), 1);
  std::string said = boxes();
  EXPECT_NE(said.find("An error occured while switching video mode. Using default video mode."), std::string::npos);
  EXPECT_NE(said.find("Requested video mode resolution was: 800x600x16."), std::string::npos);
  EXPECT_EQ(vx_dsp_mode_current(), vx_dsp_mode_desktop());
  EXPECT_EQ(vx_dsp_is_fullscreen(), 0);
}

TEST_F(DspModes, TheFullScreenPictureKeepsItsMargins) {
  app.margin_x = 40;
  app.margin_y = 20;
  write_settings("[Display]\nResolution=800x600x16\n");
  ASSERT_EQ(start(), 1);
  const VX_BITMAP* s = vx_screen();
  EXPECT_EQ(s->width, 760);
  EXPECT_EQ(s->height, 580);
  EXPECT_EQ(s->x, 20);
  EXPECT_EQ(s->y, 10);
}
