// Window placement arithmetic: the minimum client size, the 4:3 snap, the fixed size, the menu bar and the work-area clamp.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

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

}  // namespace

TEST(DspPlace, Placement) {
  struct Case {
    const char* what;
    std::function<void(VX_DSP_PLACE&)> setup;
    int x, y, w, h;                  // asked for: position and client size
    int wx, wy, ww, wh, cw, ch;      // the window and the client it gets
  };
  const auto none = [](VX_DSP_PLACE&) {};
  const auto free_aspect = [](VX_DSP_PLACE& p) { p.keep_aspect = 0; };
  const Case cases[] = {
      // ---- inside: sizes that fit
      {"base size stays", none, 100, 50, 640, 480, 100, 50, 640, 480, 640, 480},
      // Width moved 260, height 120: the height follows the width (480 x 900 / 640).
      {"snap: height follows", none, 0, 0, 900, 600, 0, 0, 900, 675, 900, 675},
      // Width moved 60, height 120: the width follows the height (640 x 600 / 480).
      {"snap: width follows", none, 0, 0, 700, 600, 0, 0, 800, 600, 800, 600},
      // Width moved 161, height 121: the height follows, rounded down (480 x 801 / 640 = 600.75).
      {"snap rounds down", none, 0, 0, 801, 601, 0, 0, 801, 600, 801, 600},
      {"without keep_aspect any size above the minimum", free_aspect, 0, 0, 900, 500, 0, 0, 900, 500, 900, 500},
      {"the menu bar adds to the window, not to the picture", [](VX_DSP_PLACE& p) { p.bar_h = 20; }, 10, 10, 640, 480,
       10, 10, 640, 500, 640, 480},
      // ---- outside: too small, off the work area
      {"never below the minimum", none, 0, 0, 300, 200, 0, 0, 640, 480, 640, 480},
      {"never below the minimum height", free_aspect, 0, 0, 900, 100, 0, 0, 900, 480, 900, 480},
      {"left of or above the work area: moved in",
       [](VX_DSP_PLACE& p) { p.work_x = 40, p.work_y = 30; }, -200, 10, 640, 480, 40, 30, 640, 480, 640, 480},
      {"beyond the right edge: back to the origin", none, 1024, 100, 640, 480, 0, 100, 640, 480, 640, 480},
      {"beyond the bottom edge: back to the origin", none, 100, 740, 640, 480, 100, 0, 640, 480, 640, 480},
      {"partly outside on the right stays", none, 900, 100, 640, 480, 900, 100, 640, 480, 640, 480},
      {"larger than the work area is shortened", [](VX_DSP_PLACE& p) { p.bar_h = 20; }, 0, 0, 1200, 900, 0, 0, 1024,
       740, 1024, 720},
      // ---- special cases
      {"fixed size keeps the base size", [](VX_DSP_PLACE& p) { p.fixed_size = 1; }, 0, 0, 1000, 900, 0, 0, 640, 480,
       640, 480},
      {"full screen covers the mode", [](VX_DSP_PLACE& p) { p.fullscreen = 1, p.bar_h = 20; }, 300, 200, 640, 480, 0, 0,
       1024, 768, 1024, 768},
      {"no work area: no clamp", [](VX_DSP_PLACE& p) { p.work_w = p.work_h = 0; }, -50, -60, 640, 480, -50, -60, 640,
       480, 640, 480},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VX_DSP_PLACE p = game_window();
    c.setup(p);
    const VX_DSP_PLACED r = place(p, c.x, c.y, c.w, c.h);
    EXPECT_EQ((std::vector<int>{r.window.x, r.window.y, r.window.width, r.window.height, r.client_w, r.client_h}),
              (std::vector<int>{c.wx, c.wy, c.ww, c.wh, c.cw, c.ch}));
  }
}

// The picture inside a client area of another aspect: the largest 4:3
// rectangle, centred. Expected sizes worked by hand from 640 : 480.
TEST(DspAspectFit, PictureKeepsFourToThreeBetweenBars) {
  const struct {
    int area_w, area_h, x, y, w, h;
  } cases[] = {
      {640, 480, 0, 0, 640, 480},    // at the aspect
      {906, 680, 0, 0, 906, 680},    // the snap's rounding (640 * 680 / 480 cut down) fills it
      {1280, 679, 187, 0, 905, 679}, // wider: bars left and right
      {642, 480, 1, 0, 640, 480},    // two pixels too wide
      {640, 800, 0, 160, 640, 480},  // taller: bars above and below
  };
  for (const auto& c : cases) {
    const VX_DSP_RECT r = vx_dsp_aspect_fit(c.area_w, c.area_h, 640, 480);
    EXPECT_EQ((std::vector<int>{r.x, r.y, r.width, r.height}), (std::vector<int>{c.x, c.y, c.w, c.h})) << c.area_w;
  }
  const VX_DSP_RECT none = vx_dsp_aspect_fit(900, 500, 0, 0);
  EXPECT_EQ(none.width * 1000 + none.height, 900500) << "no base size: the whole area";
}
