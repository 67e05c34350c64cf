// The frog: its three views in any pose, the eight hop frames and eleven idle frames of each direction, and the drowning splash.
#include "tools/artgen/ag_frog.h"

#include <cmath>

#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr int kSize = 32;  // a frame in art pixels
constexpr double kPi = 3.14159265358979323846;

void skin_ball(AG_CANVAS* c, double x, double y, double rx, double ry) {
  ag_ball(c, x, y, rx, ry, AGP_FROG_DARK, AGP_FROG, AGP_FROG_LIGHT, AG_CLEAR);
}

// A skin ball with a dark rim, so that it stands apart from the parts behind it.
void rimmed_ball(AG_CANVAS* c, double x, double y, double rx, double ry) {
  ag_ellipse(c, x, y, rx + 1, ry + 1, AGP_FROG_DARK);
  skin_ball(c, x, y, rx, ry);
}

// An eye seen from the front or side: white ball, pupil looking at
// (look_x, look_y) in -1..1, a green lid over its top.
void eye(AG_CANVAS* c, double x, double y, double r, double look_x, double look_y, bool closed) {
  skin_ball(c, x, y - 0.6, r + 0.9, r + 0.7);
  if (closed) {
    ag_line(c, int(x - r + 0.5), int(y), int(x), int(y + 1), AGP_INK);
    ag_line(c, int(x), int(y + 1), int(x + r - 0.5), int(y), AGP_INK);
    return;
  }
  ag_ellipse(c, x, y + 0.3, r, r * 0.95, AGP_WHITE);
  ag_ellipse(c, x + look_x * r * 0.35, y + 0.6 + look_y * r * 0.3, r * 0.55, r * 0.7, AGP_INK);
  ag_set(c, int(x + look_x * r * 0.35 - r * 0.3), int(y + look_y * r * 0.3), AGP_WHITE);
}

void foot(AG_CANVAS* c, double x, double y, double dir) {
  // A flat webbed foot with three toes spread towards `dir` (-1 left, 1 right, 0 down).
  ag_ellipse(c, x, y, 3.2, 1.4, AGP_FROG_DARK);
  for (int k = -1; k <= 1; k++) {
    const double tx = x + dir * 3.2 + (dir == 0 ? k * 2.4 : 0), ty = y + (dir == 0 ? 0.9 : k * 0.9);
    ag_set(c, int(tx), int(ty), AGP_FROG);
  }
}

void draw_back(AG_CANVAS* c, const AG_FROG_POSE& p, double cx, double base) {
  const double sx = 1 + 0.14 * p.squash, sy = 1 - 0.18 * p.squash;
  const double b = base - p.lift;
  // Hind legs: folded thighs at the sides, or stretched down behind the body.
  for (int side = -1; side <= 1; side += 2) {
    if (p.legs > 0.01) {
      const double hx = cx + side * 6, hy = b - 7 * sy;
      const double fx = cx + side * (7 + 3 * p.legs), fy = b + 1 + 5 * p.legs;
      ag_thick_line(c, hx, hy, fx, fy - 1, 3.2, AGP_FROG_DARK);
      ag_thick_line(c, hx, hy - 0.5, fx - side * 0.5, fy - 1.5, 1.4, AGP_FROG);
      foot(c, fx + side * 1.5, fy, side);
    } else {
      foot(c, cx + side * 10.5, b - 1, side);
    }
    skin_ball(c, cx + side * 7.8 * sx, b - 5 * sy, 4.6 * sx, 4.2 * sy);
  }
  // Body and back with spots, then the eye bumps seen from behind.
  rimmed_ball(c, cx, b - 9 * sy, 8.8 * sx, 7.6 * sy);
  ag_ellipse(c, cx - 3, b - 8 * sy, 1.8, 1.3, AGP_FROG_SPOT);
  ag_ellipse(c, cx + 3.5, b - 6 * sy, 1.5, 1.1, AGP_FROG_SPOT);
  ag_ellipse(c, cx + 1, b - 11 * sy, 1.3, 1.0, AGP_FROG_SPOT);
  ag_line(c, int(cx), int(b - 15 * sy), int(cx), int(b - 4 * sy), AGP_FROG_LIGHT);
  for (int side = -1; side <= 1; side += 2) {
    rimmed_ball(c, cx + side * 5 * sx, b - 16 * sy, 3.2, 2.8);
    ag_set(c, int(cx + side * 5 * sx - 1), int(b - 18 * sy), AGP_WHITE);
  }
}

void draw_front(AG_CANVAS* c, const AG_FROG_POSE& p, double cx, double base) {
  const double sx = 1 + 0.14 * p.squash, sy = 1 - 0.18 * p.squash;
  const double b = base - p.lift;
  for (int side = -1; side <= 1; side += 2) {
    if (p.legs > 0.01) {
      // Legs stretched back and down behind the body: only the feet show below.
      foot(c, cx + side * (8 + 2 * p.legs), b + 2 * p.legs, side);
    } else {
      foot(c, cx + side * 10.5, b - 1, side);
    }
    skin_ball(c, cx + side * 8.5 * sx, b - 5 * sy, 4.2 * sx, 4 * sy);
  }
  // Body with its pale belly and puffed throat.
  skin_ball(c, cx, b - 8 * sy, 9 * sx, 7.5 * sy);
  ag_ellipse(c, cx, b - 5 * sy, 6 * sx, 4.5 * sy, AGP_FROG_BELLY);
  if (p.throat > 0.05) {
    ag_ellipse(c, cx, b - 7.5 * sy, 3.5 + 1.5 * p.throat, 1.5 + 2 * p.throat, AGP_FROG_BELLY);
    ag_set(c, int(cx - 1), int(b - 8.5 * sy), AGP_WHITE);
  }
  // Front arms with three fingers; reaching down in the air.
  for (int side = -1; side <= 1; side += 2) {
    const double ax = cx + side * 5 * sx, hand = b - 0.5 + 2.5 * p.legs;
    ag_thick_line(c, ax, b - 6 * sy, ax + side * 0.5, hand - 1, 2.4, AGP_FROG);
    ag_set(c, int(ax + side * 0.5 - 1), int(hand), AGP_FROG_DARK);
    ag_set(c, int(ax + side * 0.5), int(hand), AGP_FROG_DARK);
    ag_set(c, int(ax + side * 0.5 + 1), int(hand), AGP_FROG_DARK);
  }
  // Head: wide, with a smile and pink cheeks, the eyes on top.
  skin_ball(c, cx, b - 12.5 * sy, 9 * sx, 5.2 * sy);
  const double my = b - 10.5 * sy;
  ag_line(c, int(cx - 5 * sx), int(my - 1), int(cx - 3 * sx), int(my), AGP_INK);
  ag_line(c, int(cx - 3 * sx), int(my), int(cx + 3 * sx), int(my), AGP_INK);
  ag_line(c, int(cx + 3 * sx), int(my), int(cx + 5 * sx), int(my - 1), AGP_INK);
  ag_set(c, int(cx - 6.5 * sx), int(my - 1.5), AGP_PINK);
  ag_set(c, int(cx + 6.5 * sx), int(my - 1.5), AGP_PINK);
  for (int side = -1; side <= 1; side += 2) eye(c, cx + side * 4.8 * sx, b - 16.5 * sy, 2.6, -0.15 * side, 0.3, p.eyes);
}

void draw_side(AG_CANVAS* c, const AG_FROG_POSE& p, double cx, double base) {
  const double sx = 1 + 0.12 * p.squash, sy = 1 - 0.18 * p.squash;
  const double b = base - p.lift;
  // Far legs first (darker), then the body, then the near legs.
  const double reach = p.legs;
  // Hind leg: thigh at the back, shin and foot under it, or stretched back.
  auto hind_leg = [&](double shift, bool far) {
    const AG_RGBA dark = far ? AGP_LEAF_DARK : AGP_FROG_DARK;
    if (reach > 0.01) {
      const double hx = cx - 6 + shift, hy = b - 6 * sy;
      const double kx = cx - 11 - 3 * reach + shift, ky = b - 3 + 2 * reach;
      const double fx = cx - 14 - 2 * reach + shift, fy = b + 1 + 2 * reach;
      ag_thick_line(c, hx, hy, kx, ky, 3.4, dark);
      ag_thick_line(c, kx, ky, fx, fy, 2.2, dark);
      ag_ellipse(c, fx - 1.5, fy + 0.5, 3, 1.2, dark);
    } else {
      ag_ellipse(c, cx - 4 + shift, b - 1, 6.5 * sx, 1.5, dark);
      ag_set(c, int(cx + 2.5 + shift), int(b - 1), far ? dark : AGP_FROG);
    }
  };
  auto front_leg = [&](double shift, bool far) {
    const AG_RGBA col = far ? AGP_LEAF_DARK : AGP_FROG;
    const double ax = cx + 5 * sx + shift, ay = b - 6 * sy;
    const double hx = ax + 1.5 + 3 * reach, hy = b - 0.5 - 1.5 * reach;
    ag_thick_line(c, ax, ay, hx, hy, 2.4, col);
    ag_set(c, int(hx), int(hy + 1), far ? AGP_LEAF_DARK : AGP_FROG_DARK);
    ag_set(c, int(hx + 1), int(hy + 1), far ? AGP_LEAF_DARK : AGP_FROG_DARK);
  };
  hind_leg(2, true);
  front_leg(-1.5, true);
  // Body: a rounded teardrop, rear low, head high at the right, tipped up
  // while the frog leaps.
  const double tip = reach * 2.5;
  skin_ball(c, cx - 2.5, b - 7.5 * sy + tip * 0.3, 8.5 * sx, 6.5 * sy);
  skin_ball(c, cx + 4.5 * sx, b - 10 * sy - tip, 6.5 * sx, 5.3 * sy);
  ag_ellipse(c, cx + 0.5, b - 4.2 * sy + tip * 0.2, 7 * sx, 2.6 * sy, AGP_FROG_BELLY);
  if (p.throat > 0.05) ag_ellipse(c, cx + 6 * sx, b - 6.5 * sy - tip, 2 + 1.6 * p.throat, 1 + 1.6 * p.throat, AGP_FROG_BELLY);
  ag_ellipse(c, cx - 4, b - 10 * sy, 1.6, 1.1, AGP_FROG_SPOT);
  ag_ellipse(c, cx - 0.5, b - 12 * sy, 1.2, 0.9, AGP_FROG_SPOT);
  // Mouth line and nostril.
  const double my = b - 8.5 * sy - tip;
  ag_line(c, int(cx + 4 * sx), int(my), int(cx + 10.5 * sx), int(my - 1), AGP_INK);
  ag_set(c, int(cx + 9.5 * sx), int(my - 4), AGP_FROG_DARK);
  eye(c, cx + 4.5 * sx, b - 15 * sy - tip, 2.6, 0.5, 0.1, p.eyes);
  hind_leg(0, false);
  // Near thigh over the body.
  rimmed_ball(c, cx - 5.5, b - 5 * sy, 4.4 * sx, 3.7 * sy);
  front_leg(0, false);
}

// One frame: the frog over its shadow, which stays on the ground and
// shrinks as the frog rises.
AG_CANVAS frog_frame(int view, const AG_FROG_POSE& pose) {
  AG_CANVAS frame = ag_canvas(kSize, kSize);
  const double shadow = 1.0 - pose.lift / 22.0;
  ag_ellipse(&frame, 16, 30.5, 10.5 * shadow, 2 * shadow, AGP_SHADOW);
  AG_CANVAS frog = ag_canvas(kSize, kSize);
  ag_frog_draw(&frog, view, pose, view == AG_FROG_RIGHT ? 17 : 16, 30);
  ag_blit(&frame, &frog, 0, 0);
  return frame;
}

// The hop: sitting, crouch, push off, three frames in the air, landing and settling.
constexpr AG_FROG_POSE kHop[8] = {
    {0, 0, 0, 0, 0},     {0, 0.7, 0, 0, 0},   {3, -0.8, 0.8, 0, 0}, {7, -0.5, 1, 0, 0},
    {9, -0.2, 1, 0, 0},  {7, 0, 0.6, 0, 0},   {2, 0.2, 0.2, 0, 0},  {0, 0.6, 0, 0, 0},
};

// Idle: one slow breath, the throat filling and emptying, the body swelling a little.
constexpr double kBreath[11] = {0, 0.15, 0.4, 0.7, 0.9, 1, 0.9, 0.7, 0.4, 0.15, 0};

// The drowning splash: the frog sinks in a crown of water, rings spread and fade.
AG_CANVAS drown_frame(int f) {
  AG_CANVAS c = ag_canvas(kSize, kSize);
  const double cx = 16, wy = 28;  // water line, near the frog's ground row
  // The disturbed water round the spot, down to the bottom row.
  ag_ellipse(&c, cx, 30, 9 - f * 0.5, 2, ag_alpha(AGP_WATER_LIGHT, 150));
  // Rings on the water, growing and fading.
  for (int k = 0; k < 2; k++) {
    const double age = f - 1 - k * 2.5;
    if (age < 0) continue;
    const double r = 5 + age * 2.2;
    if (r > 15.5) continue;
    const AG_RGBA col = age < 3 ? AGP_FOAM : AGP_WATER_LIGHT;
    for (int y = 0; y < kSize; y++)
      for (int x = 0; x < kSize; x++) {
        const double dx = x + 0.5 - cx, dy = y + 0.5 - wy, ry = r * 0.3;
        const double outer = std::hypot(dx / r, dy / ry), inner = std::hypot(dx / (r - 2), dy / (ry - 1.2));
        if (outer <= 1.0 && inner > 1.0) ag_put(&c, x, y, col);
      }
  }
  // The frog going under: drawn, then everything below the water line cut off.
  if (f < 4) {
    AG_CANVAS frog = ag_canvas(kSize, kSize);
    const AG_FROG_POSE pose = {0, f == 0 ? -0.6 : 0.0, f == 0 ? 1.0 : 0.0, 0, f >= 2};
    ag_frog_draw(&frog, AG_FROG_FRONT, pose, cx, wy + 2 + f * 5.5);
    for (int y = int(wy); y < kSize; y++)
      for (int x = 0; x < kSize; x++) ag_set(&frog, x, y, AG_CLEAR);
    ag_blit(&c, &frog, 0, 0);
  }
  // The crown of the splash and its falling drops.
  if (f <= 4) {
    const double h = f == 0 ? 5 : f == 1 ? 10 : f == 2 ? 12 : f == 3 ? 9 : 5;
    for (int k = -3; k <= 3; k++) {
      const double x = cx + k * 3.3 * (1 + f * 0.12), top = wy - h * (1 - std::fabs(k) * 0.18);
      ag_thick_line(&c, cx + k * 1.5, wy, x, top, k == 0 ? 2.2 : 1.6, k % 2 ? AGP_WATER_LIGHT : AGP_FOAM);
      ag_ellipse(&c, x, top - 1.2, 1.1, 1.1, AGP_WHITE);
    }
  }
  if (f >= 2 && f <= 6) {
    // Drops falling back, spreading out.
    for (int k = 0; k < 6; k++) {
      const double a = kPi * (0.15 + 0.14 * k), spread = 4 + (f - 2) * 2.5;
      const double x = cx + std::cos(a) * spread * (k % 2 ? 1.2 : 1.0) * (k < 3 ? 1 : -1);
      const double y = wy - 12 + (f - 2) * (f - 2) * 1.3 + std::sin(a) * 2;
      if (y < wy) ag_ellipse(&c, x, y, 0.9, 1.2, k % 2 ? AGP_FOAM : AGP_WATER_LIGHT);
    }
  }
  // Bubbles rising where the frog went down.
  if (f >= 4) {
    const int n = 8 - f;
    for (int k = 0; k < n; k++) ag_ellipse(&c, cx - 3 + k * 3, wy - 1 - (k % 2), 1, 1, AGP_FOAM);
  }
  ag_outline(&c, ag_alpha(AGP_WATER_DEEP, 200));
  return c;
}

}  // namespace

void ag_frog_draw(AG_CANVAS* c, int view, const AG_FROG_POSE& pose, double cx, double base) {
  AG_CANVAS frog = ag_canvas(c->width, c->height);
  if (view == AG_FROG_BACK) draw_back(&frog, pose, cx, base);
  else if (view == AG_FROG_FRONT) draw_front(&frog, pose, cx, base);
  else draw_side(&frog, pose, cx, base);
  ag_outline(&frog, AGP_INK);
  ag_blit(c, &frog, 0, 0);
}

void ag_frog_make(AG_OUTPUT* out) {
  struct Dir {
    const char* hop;
    const char* idle;
    int view;
    bool mirror;
  };
  constexpr Dir kDirs[4] = {{"gfx/frog_up", "gfx/idle_up", AG_FROG_BACK, false},
                            {"gfx/frog_down", "gfx/idle_down", AG_FROG_FRONT, false},
                            {"gfx/frog_right", "gfx/idle_right", AG_FROG_RIGHT, false},
                            {"gfx/frog_left", "gfx/idle_left", AG_FROG_RIGHT, true}};
  for (const Dir& d : kDirs) {
    for (int f = 0; f < 8; f++) {
      AG_CANVAS c = frog_frame(d.view, kHop[f]);
      ag_emit_png(out, ag_frame_name(d.hop, f), d.mirror ? ag_mirror(&c) : c, AG_SPRITE);
    }
    for (int f = 0; f < 11; f++) {
      const AG_FROG_POSE pose = {0, 0.18 * kBreath[f], 0, kBreath[f], 0};
      AG_CANVAS c = frog_frame(d.view, pose);
      ag_emit_png(out, ag_frame_name(d.idle, f), d.mirror ? ag_mirror(&c) : c, AG_SPRITE);
    }
  }
  for (int f = 0; f < 8; f++) ag_emit_png(out, ag_frame_name("gfx/drown", f), drown_frame(f), AG_SPRITE);
}
