// Window placement arithmetic: the minimum client size, the 4:3 snap, the fixed size, the menu bar and the work-area clamp.
#include <gtest/gtest.h>

#include <cstring>

#include "display/vx_dsp_internal.h"

namespace {

// This game's window on the null desktop: base 640 x 480, minimum the
// same, virtual screen at base size, work area 1024 x 740 at the origin.
VX_DSP_PLACE game_window() {
  VX_DSP_PLACE p = {};
  p.keep_aspect = 1;
  p.base_w = 640;
  p.base_h = 480;
  p.min_w = 640;
  p.min_h = 480;
  p.screen_w = 640;
  p.screen_h = 480;
  p.mode_w = 1024;
  p.mode_h = 768;
  p.work_w = 1024;
  p.work_h = 740;
  return p;
}

VX_DSP_PLACED place(const VX_DSP_PLACE& p, int x, int y, int w, int h) {
  VX_DSP_PLACED out;
  std::memset(&out, 0x55, sizeof out);
  VX_DSP_PLACE copy = p;
  vx_dsp_place_compute(&copy, x, y, w, h, &out);
  EXPECT_EQ(std::memcmp(&copy, &p, sizeof p), 0) << "the inputs must not change";
  return out;
}

void expect_rect(const VX_DSP_RECT& r, int x, int y, int w, int h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, w);
  EXPECT_EQ(r.height, h);
}

}  // namespace

// ---------------------------------------------------------------- inside: sizes that fit

TEST(DspPlace, BaseSizeStaysAsItIs) {
  VX_DSP_PLACED r = place(game_window(), 100, 50, 640, 480);
  expect_rect(r.window, 100, 50, 640, 480);
  EXPECT_EQ(r.client_w, 640);
  EXPECT_EQ(r.client_h, 480);
}

TEST(DspPlace, AspectSnapFollowsTheSideThatMovedMore) {
  VX_DSP_PLACE p = game_window();
  // Width moved 260, height 120: the height follows the width (480 x 900 / 640).
  EXPECT_EQ(place(p, 0, 0, 900, 600).client_h, 675);
  EXPECT_EQ(place(p, 0, 0, 900, 600).client_w, 900);
  // Width moved 60, height 120: the width follows the height (640 x 600 / 480).
  VX_DSP_PLACED r = place(p, 0, 0, 700, 600);
  EXPECT_EQ(r.client_w, 800);
  EXPECT_EQ(r.client_h, 600);
  // Width moved 161, height 121: the height follows, rounded down (480 x 801 / 640 = 600.75).
  r = place(p, 0, 0, 801, 601);
  EXPECT_EQ(r.client_w, 801);
  EXPECT_EQ(r.client_h, 600);
}

TEST(DspPlace, WithoutKeepAspectAnySizeAboveTheMinimumStays) {
  VX_DSP_PLACE p = game_window();
  p.keep_aspect = 0;
  VX_DSP_PLACED r = place(p, 0, 0, 900, 500);
  EXPECT_EQ(r.client_w, 900);
  EXPECT_EQ(r.client_h, 500);
}

TEST(DspPlace, MenuBarAddsToTheWindowNotToThePicture) {
  VX_DSP_PLACE p = game_window();
  p.bar_h = 20;
  VX_DSP_PLACED r = place(p, 10, 10, 640, 480);
  expect_rect(r.window, 10, 10, 640, 500);
  EXPECT_EQ(r.client_h, 480);
}

// ---------------------------------------------------------------- outside: too small, off the work area

TEST(DspPlace, ClientNeverBelowTheMinimum) {
  VX_DSP_PLACE p = game_window();
  VX_DSP_PLACED r = place(p, 0, 0, 300, 200);
  EXPECT_EQ(r.client_w, 640);
  EXPECT_EQ(r.client_h, 480);
  p.keep_aspect = 0;
  r = place(p, 0, 0, 900, 100);
  EXPECT_EQ(r.client_w, 900);
  EXPECT_EQ(r.client_h, 480);
}

TEST(DspPlace, StartLeftOfOrAboveTheWorkAreaIsMovedIn) {
  VX_DSP_PLACE p = game_window();
  p.work_x = 40;
  p.work_y = 30;
  expect_rect(place(p, -200, 10, 640, 480).window, 40, 30, 640, 480);
}

TEST(DspPlace, StartBeyondTheRightOrBottomEdgeGoesBackToTheOrigin) {
  VX_DSP_PLACE p = game_window();
  expect_rect(place(p, 1024, 100, 640, 480).window, 0, 100, 640, 480);
  expect_rect(place(p, 100, 740, 640, 480).window, 100, 0, 640, 480);
}

TEST(DspPlace, PartlyOutsideOnTheRightStaysWhereItIs) {
  VX_DSP_PLACE p = game_window();
  expect_rect(place(p, 900, 100, 640, 480).window, 900, 100, 640, 480);
}

TEST(DspPlace, LargerThanTheWorkAreaIsShortened) {
  VX_DSP_PLACE p = game_window();
  p.bar_h = 20;
  VX_DSP_PLACED r = place(p, 0, 0, 1200, 900);
  expect_rect(r.window, 0, 0, 1024, 740);
  EXPECT_EQ(r.client_h, 720);
}

// ---------------------------------------------------------------- special cases

TEST(DspPlace, FixedSizeKeepsTheBaseSize) {
  VX_DSP_PLACE p = game_window();
  p.fixed_size = 1;
  VX_DSP_PLACED r = place(p, 0, 0, 1000, 900);
  EXPECT_EQ(r.client_w, 640);
  EXPECT_EQ(r.client_h, 480);
}

TEST(DspPlace, FullScreenCoversTheMode) {
  VX_DSP_PLACE p = game_window();
  p.fullscreen = 1;
  p.bar_h = 20;
  VX_DSP_PLACED r = place(p, 300, 200, 640, 480);
  expect_rect(r.window, 0, 0, 1024, 768);
  EXPECT_EQ(r.client_w, 1024);
  EXPECT_EQ(r.client_h, 768);
}

TEST(DspPlace, NoWorkAreaMeansNoClamp) {
  VX_DSP_PLACE p = game_window();
  p.work_w = p.work_h = 0;
  expect_rect(place(p, -50, -60, 640, 480).window, -50, -60, 640, 480);
}
