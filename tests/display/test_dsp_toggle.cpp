// The full-screen toggle and the minimise/restore state machine, driven through the window procedure as the platform would.
#include "tests/display/dsp_fixture.h"

using namespace dsp_test;

namespace {

class DspToggle : public DspTest {
 protected:
  // Full screen in 800 x 600 with the fake 3D back end, active.
  void start_full() {
    write_settings("[Display]\nResolution=800x600x16\nWindowPosition=100,50,640,480\n");
    ASSERT_EQ(start(), 1);
    send(PLAT_WM_ACTIVATE, PLAT_WA_ACTIVE);
    ASSERT_EQ(vx_dsp_is_fullscreen(), 1);
    ASSERT_EQ(running, 1u);
  }
  static VX_DSP_RECT window_rect() {
    VX_DSP_RECT r;
    plat_window_rect(vx_dsp_window(), &r.x, &r.y, &r.width, &r.height);
    return r;
  }
};

}  // namespace

// ---------------------------------------------------------------- the toggle

TEST_F(DspToggle, ToggleGoesToA4To3WindowAndBack) {
  start_full();
  EXPECT_EQ(vx_dsp_fullscreen_toggle(), 1);
  pump();
  EXPECT_EQ(nums(vx_dsp_is_fullscreen(), fullscreen), nums(0, 0u));
  EXPECT_FALSE(plat_display_is_fullscreen(vx_dsp_window()));
  VX_DSP_RECT r = window_rect();
  EXPECT_EQ(nums(r.x, r.y, r.width, r.height), nums(100, 50, 640, 480));
  EXPECT_EQ(vx_dsp_mode_current(), vx_dsp_mode_desktop());
  EXPECT_EQ(fake().sets.back().fullscreen, 0);
  EXPECT_GE(fake().flushes, 1);

  EXPECT_EQ(vx_dsp_fullscreen_toggle(), 0);
  pump();
  EXPECT_EQ(vx_dsp_is_fullscreen(), 1);
  EXPECT_TRUE(plat_display_is_fullscreen(vx_dsp_window()));
  // From a window, full screen is the high-res size at the preferred depth.
  EXPECT_EQ(vx_dsp_mode_current(), index_of(640, 480, 16));
  EXPECT_EQ(fake().sets.back().fullscreen, 1);
  EXPECT_EQ(running, 1u) << "the posted click resumes play";
}

TEST_F(DspToggle, F4AndAltEnterToggleWithThe3dBackEnd) {
  start_full();
  send(PLAT_WM_KEYDOWN, PLAT_VK_F4);  // posts Alt+Enter and a click
  EXPECT_EQ(nums(vx_dsp_is_fullscreen(), running), nums(0, 1));
  send(PLAT_WM_KEYDOWN, PLAT_VK_F4);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 1);
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_RETURN, PLAT_KEY_LPARAM_ALT);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 0);
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_RETURN, PLAT_KEY_LPARAM_ALT);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 1);
}

TEST_F(DspToggle, FullScreenOnly2dDisplayIgnoresAltEnter) {
  app.table_3d = nullptr;
  ASSERT_EQ(start(VX_DSP_FULLSCREEN_ONLY), 1);
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_RETURN, PLAT_KEY_LPARAM_ALT);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 1);
  EXPECT_EQ(vx_dsp_fullscreen_toggle(), 0);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 1);
}

TEST_F(DspToggle, WindowOnlyDisplayNeverGoesFullScreen) {
  ASSERT_EQ(start(VX_DSP_3D | VX_DSP_WINDOW_ONLY), 1);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 0);
  EXPECT_EQ(vx_dsp_fullscreen_toggle(), 1);
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_RETURN, PLAT_KEY_LPARAM_ALT);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 0);
}

TEST_F(DspToggle, WindowedStartStaysInAWindow) {
  write_settings("[Display]\nFullscreen=0\n");
  ASSERT_EQ(start(VX_DSP_3D), 1);
  EXPECT_EQ(vx_dsp_is_fullscreen(), 0);
  VX_DSP_RECT r = window_rect();
  EXPECT_EQ(nums(r.width, r.height), nums(640, 480));
  // Centred on the work area (1024 x 740).
  EXPECT_EQ(nums(r.x, r.y), nums(192, 130));
}

// ---------------------------------------------------------------- minimise and restore

TEST_F(DspToggle, AltTabMinimisesAndRestoringReturnsToFullScreen) {
  start_full();
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_TAB, PLAT_KEY_LPARAM_ALT);
  EXPECT_EQ(nums(vx_dsp_is_minimised(), vx_dsp_is_fullscreen(), running), nums(1, 0, 0u));
  EXPECT_TRUE(plat_window_minimised(vx_dsp_window()));
  EXPECT_FALSE(plat_display_is_fullscreen(vx_dsp_window()));

  send(PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE);
  EXPECT_EQ(nums(vx_dsp_is_minimised(), vx_dsp_is_fullscreen(), running), nums(0, 1, 1u));
  EXPECT_TRUE(plat_display_is_fullscreen(vx_dsp_window()));
  EXPECT_FALSE(plat_window_minimised(vx_dsp_window()));
}

TEST_F(DspToggle, LosingTheFocusInFullScreenMinimisesAndActivationRestores) {
  start_full();
  send(PLAT_WM_ACTIVATE, PLAT_WA_INACTIVE);
  EXPECT_EQ(nums(vx_dsp_is_minimised(), running), nums(1, 0u));
  send(PLAT_WM_ACTIVATE, PLAT_WA_ACTIVE);
  EXPECT_EQ(nums(vx_dsp_is_minimised(), vx_dsp_is_fullscreen(), running), nums(0, 1, 1u));
}

TEST_F(DspToggle, LosingTheFocusInAWindowOnlyPauses) {
  start_full();
  vx_dsp_fullscreen_toggle();
  pump();
  send(PLAT_WM_ACTIVATE, PLAT_WA_INACTIVE);
  EXPECT_EQ(nums(vx_dsp_is_minimised(), running), nums(0, 0u));
  send(PLAT_WM_LBUTTONDOWN, PLAT_MK_LBUTTON, 0);
  EXPECT_EQ(nums(running, vx_dsp_is_fullscreen()), nums(1u, 0));
}

TEST_F(DspToggle, MinimisedInAWindowComesBackAsAWindow) {
  start_full();
  vx_dsp_fullscreen_toggle();
  pump();
  send(PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE);
  EXPECT_EQ(vx_dsp_is_minimised(), 1);
  send(PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE);
  EXPECT_EQ(nums(vx_dsp_is_fullscreen(), vx_dsp_is_minimised()), nums(0, 0));
}

TEST_F(DspToggle, ACleanExitWhileMinimisedRemembersFullScreen) {
  start_full();
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_TAB, PLAT_KEY_LPARAM_ALT);
  vx_dsp_deinit();
  EXPECT_EQ(display_key("Fullscreen"), "1");
}

// ---------------------------------------------------------------- refused system commands

TEST_F(DspToggle, SystemCommandsInFullScreen) {
  start_full();
  EXPECT_EQ(send(PLAT_WM_SYSCOMMAND, PLAT_SC_SCREENSAVE), 0);
  EXPECT_EQ(send(PLAT_WM_SYSCOMMAND, PLAT_SC_MONITORPOWER | 2), 0);
  EXPECT_TRUE(plat_window_exists(vx_dsp_window()));
  EXPECT_EQ(vx_dsp_is_minimised(), 0);
  EXPECT_EQ(plat_display_null_screen_saver_allowed(), 0) << "full screen only switches the screen saver off";
  // Others are swallowed.
  EXPECT_EQ(send(PLAT_WM_SYSCOMMAND, PLAT_SC_MOVE), 1);
  EXPECT_EQ(send(PLAT_WM_SYSCOMMAND, PLAT_SC_SIZE), 1);
}

TEST_F(DspToggle, DeinitGivesTheScreenSaverAndTheDesktopBack) {
  start_full();
  PLAT_WINDOW* w = vx_dsp_window();
  vx_dsp_deinit();
  EXPECT_EQ(plat_display_null_screen_saver_allowed(), 1);
  EXPECT_FALSE(plat_window_exists(w));
  EXPECT_EQ(fake().deinits, 1);
  EXPECT_EQ(app.window, nullptr);
  vx_dsp_deinit();  // twice is harmless
}

// ---------------------------------------------------------------- move, size and the screen keys

TEST_F(DspToggle, ASizedWindowSnapsBackToTheMinimumAnd4To3) {
  start_full();
  vx_dsp_fullscreen_toggle();
  pump();
  PLAT_WINDOW* w = vx_dsp_window();
  plat_window_move(w, 100, 50, 300, 200);  // as the user's drag reports it
  pump();
  VX_DSP_RECT r = window_rect();
  EXPECT_EQ(nums(r.width, r.height), nums(640, 480));
  plat_window_move(w, 100, 50, 900, 600);
  pump();
  r = window_rect();
  EXPECT_EQ(nums(r.width, r.height), nums(900, 675));
  EXPECT_EQ(vx_screen()->width, 900);
  EXPECT_EQ(vx_screen()->height, 675);
  EXPECT_EQ(vx_dsp_client_rect().height, 675);
}

TEST_F(DspToggle, KeysOneToFourResizeTheFullScreenPictureOnly) {
  start_full();
  const int w = vx_screen()->width, h = vx_screen()->height;
  send(PLAT_WM_KEYDOWN, '1');
  EXPECT_EQ(vx_screen()->width, w - 12);
  send(PLAT_WM_KEYDOWN, '2');
  send(PLAT_WM_KEYDOWN, '2');
  EXPECT_EQ(vx_screen()->width, w);  // no wider than the mode
  send(PLAT_WM_KEYDOWN, '3');
  EXPECT_EQ(nums(vx_screen()->height, vx_screen()->y), nums(h - 12, 6));
  send(PLAT_WM_KEYDOWN, '4');
  EXPECT_EQ(nums(vx_screen()->height, vx_dsp_full_rect().height), nums(h, h));
  // In a window they do nothing.
  vx_dsp_fullscreen_toggle();
  pump();
  const int windowed = vx_screen()->width;
  send(PLAT_WM_KEYDOWN, '1');
  EXPECT_EQ(vx_screen()->width, windowed);
}
