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

// ---------------------------------------------------------------- minimise and restore

TEST_F(DspToggle, LosingTheFocusInFullScreenMinimisesAndActivationRestores) {
  start_full();
  send(PLAT_WM_ACTIVATE, PLAT_WA_INACTIVE);
  EXPECT_EQ(nums(vx_dsp_is_minimised(), running), nums(1, 0u));
  send(PLAT_WM_ACTIVATE, PLAT_WA_ACTIVE);
  EXPECT_EQ(nums(vx_dsp_is_minimised(), vx_dsp_is_fullscreen(), running), nums(0, 1, 1u));
}

// ---------------------------------------------------------------- refused system commands

// ---------------------------------------------------------------- move, size and the screen keys
