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
  std::string warnings() { return read_file((root / "xdg" / "Harrowby" / "DspTest" / "Warning.txt").string()); }
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

TEST_F(DspModes, SizesADriverDoesNotKnowAreLeftOut) {
  // Some drivers list 0 x 0; with no Resolution in the settings such an
  // entry must not become the start mode.
  const PLAT_DISPLAY_MODE modes[] = {{0, 0, 0, 0}, {800, 600, 16, 0}, {1024, 768, 24, 0}};
  const PLAT_DISPLAY_MODE desktop = {1024, 768, 24, 0};
  plat_display_null_setup(modes, 3, &desktop, 0, 0, 1024, 768);
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(nums(vx_dsp_mode_count(), current_mode().width, fake().sets.front().width), nums(2, 1024u, 1024));
}

TEST_F(DspModes, ADesktopOfNoSizeStopsTheStart) {
  const PLAT_DISPLAY_MODE modes[] = {{800, 600, 16, 0}};
  const PLAT_DISPLAY_MODE desktop = {0, 0, 0, 0};
  plat_display_null_setup(modes, 1, &desktop, 0, 0, 1024, 768);
  settings_path();
  boxes();
  EXPECT_EQ(vx_app_start(&app), 0);
  EXPECT_NE(boxes().find("DirectDraw Init FAILED 03C"), std::string::npos);
}

TEST_F(DspModes, GrowsByAHundredZeroFilledEntries) {
  ASSERT_EQ(vx_dsp_modes_alloc(100), 1);
  VX_VIDEO_MODE m = {640, 480, 16, 0, 60, 0, 0, 0, 0};
  for (int i = 0; i < 150; i++) ASSERT_EQ(vx_dsp_modes_add(&m), 1);
  EXPECT_EQ(nums(vx_dsp_st.capacity, vx_dsp_st.count, vx_dsp_st.modes[150].width, vx_dsp_st.modes[199].depth),
            nums(200, 150, 0, 0));
  vx_dsp_modes_free();
}

TEST_F(DspModes, AnUnreadableListStopsTheStartWithItsBox) {
  plat_display_null_setup(nullptr, -1, nullptr, 0, 0, 1024, 768);
  settings_path();
  boxes();
  EXPECT_EQ(vx_app_start(&app), 0);
  std::string said = boxes();
  EXPECT_NE(said.find("DirectDraw Init FAILED 03B"), std::string::npos);
  EXPECT_NE(said.find("We could not determine the graphic mode."), std::string::npos);
  EXPECT_EQ(vx_dsp_window(), nullptr);
  EXPECT_EQ(app.window, nullptr);
}

// ---------------------------------------------------------------- the start mode

TEST_F(DspModes, FullScreenStartTakesTheRememberedResolution) {
  write_settings("[Display]\nResolution=800x600x16\nFullscreen=1\n");
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(vx_dsp_mode_current(), index_of(800, 600, 16));
  EXPECT_EQ(nums(vx_dsp_is_fullscreen(), fullscreen, ready), nums(1, 1u, 1u));
  ASSERT_EQ(fake().sets.size(), 1u);
  EXPECT_EQ(fake().sets[0].width, 800);
  EXPECT_EQ(fake().sets[0].fullscreen, 1);
  EXPECT_TRUE(plat_display_is_fullscreen(vx_dsp_window()));
  // The mode record handed out, with the card words of a TNT renderer.
  EXPECT_EQ(nums(mode_out.width, mode_out.card_id, mode_out.flags & VX_MODE_3D_HW), nums(800u, 32u, VX_MODE_3D_HW));
  // The virtual screen covers the mode.
  EXPECT_EQ(nums(screen_out.width, screen_out.height), nums(800, 600));
}

TEST_F(DspModes, AResolutionThatDoesNotExistKeepsTheDesktopMode) {
  write_settings("[Display]\nResolution=1600x1200x16\nFullscreen=1\n");
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(vx_dsp_mode_current(), index_of(1024, 768, 32));
}

TEST_F(DspModes, ALowerDepthIsLookedUpAgainAtThePreferredDepth) {
  write_settings("[Display]\nResolution=640x480x8\n");
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(vx_dsp_mode_current(), index_of(640, 480, 16));
  EXPECT_EQ(nums(highres, lowres), nums(1, 0)) << "the low- and high-res flags follow the mode";
}

TEST_F(DspModes, FailedStartModeFallsBackToTheDesktop) {
  write_settings("[Display]\nResolution=800x600x16\n");
  fake().fail_width = 800;
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(vx_dsp_mode_current(), vx_dsp_mode_desktop());
  EXPECT_EQ(ready, 1u);
}

TEST_F(DspModes, NoModeAtAllEndsTheStart) {
  fake().fail_all = 1;
  EXPECT_EQ(start(), 0);
  EXPECT_EQ(ready, 0u);
}

TEST_F(DspModes, WithoutABackEndThePlatformSetsTheMode) {
  app.table_3d = nullptr;
  write_settings("[Display]\nResolution=800x600x16\n");
  ASSERT_EQ(start(), 1);
  EXPECT_TRUE(fake().sets.empty());
  EXPECT_TRUE(plat_display_is_fullscreen(vx_dsp_window()));
  EXPECT_EQ(vx_dsp_3d_owns_screen(), 0);
  EXPECT_NE(vx_screen()->pixels, nullptr);
}

// ---------------------------------------------------------------- switching: refusals

TEST_F(DspModes, ModesBelow640x480AreRefusedWithBothBoxes) {
  write_settings("[Display]\nFullscreen=0\n");
  ASSERT_EQ(start(VX_DSP_3D), 1);
  const int before = vx_dsp_mode_current();
  const size_t sets = fake().sets.size();
  boxes();
  EXPECT_EQ(vx_dsp_mode_switch(index_of(320, 240, 16)), 0);
  std::string said = boxes();
  EXPECT_NE(said.find("New video mode resolution must be at least equal to 640x480x16."), std::string::npos);
  EXPECT_NE(said.find("Requested video mode resolution was: 320x240x16."), std::string::npos);
  EXPECT_EQ(vx_dsp_mode_current(), before);
  EXPECT_EQ(fake().sets.size(), sets);
}

TEST_F(DspModes, ModesBelowThePreferredDepthAreRefusedIntoWarningTxtInFullScreen) {
  ASSERT_EQ(start(), 1);
  const int before = vx_dsp_mode_current();
  boxes();
  EXPECT_EQ(vx_dsp_mode_switch(index_of(640, 480, 8)), 0);
  EXPECT_EQ(boxes(), "") << "the 3D back end holds the full screen: no box";
  EXPECT_EQ(warnings(),
            "Error: New video mode resolution must be at least equal to 640x480x16.\r\n"
            "Error: Requested video mode resolution was: 640x480x8.\r\n");
  EXPECT_EQ(vx_dsp_mode_current(), before);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 1);
}

TEST_F(DspModes, BadIndicesAreRefusedWithoutABox) {
  ASSERT_EQ(start(), 1);
  boxes();
  EXPECT_EQ(vx_dsp_mode_switch(-1), 0);
  EXPECT_EQ(vx_dsp_mode_switch(vx_dsp_mode_count()), 0);
  EXPECT_EQ(boxes(), "");
}

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

TEST_F(DspModes, WhenTheDesktopFailsTooTheProgramCloses) {
  ASSERT_EQ(start(VX_DSP_3D), 1);
  fake().fail_all = 1;
  boxes();
  int closes = 0;
  app.window_proc = [](PLAT_WINDOW* w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t {
    if (m == PLAT_WM_CLOSE) return 0;  // counted below through the queue instead
    return vx_dsp_window_proc(w, m, wp, lp);
  };
  EXPECT_EQ(vx_dsp_mode_switch(index_of(800, 600, 16)), 1);
  EXPECT_NE(boxes().find("Fatal Error: Error switching mode, Quitting!"), std::string::npos);
  PLAT_MSG m;
  while (plat_peek_message(&m, 1))
    if (m.message == PLAT_WM_CLOSE) closes++;
  EXPECT_EQ(closes, 1);
  fake().fail_all = 0;
}

TEST_F(DspModes, AFixedFullScreenOnlyDisplayFailsQuietly) {
  ASSERT_EQ(start(VX_DSP_3D | VX_DSP_FULLSCREEN_ONLY | VX_DSP_FIXED_SIZE), 1);
  fake().fail_width = 800;
  boxes();
  EXPECT_EQ(vx_dsp_mode_switch(index_of(800, 600, 16)), 1);
  EXPECT_EQ(boxes(), "");
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
