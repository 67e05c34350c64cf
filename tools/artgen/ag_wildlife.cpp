// Animated scenery for `path` lines: a gull in flight (both directions), a double-ended river ferry, a tower crane.
//
// A gull's frames beat its wings (up, level, down, level); the gull flying
// left is the right one mirrored, since an object's animation cannot turn
// round. The ferry is the same at both ends, so it shuttles either way with
// one picture: frame 1 lifts the funnel's smoke and waves the flag. The
// crane's hook swings by a pixel and its warning lights blink.
#include <cmath>

#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

// Outlines the opaque pixels and keeps translucent ones (smoke, shadow,
// glow) under them without an outline.
AG_CANVAS outlined(const AG_CANVAS& c) {
  AG_CANVAS body = ag_canvas(c.width, c.height), out = ag_canvas(c.width, c.height);
  for (size_t i = 0; i < c.px.size(); i++) {
    if (c.px[i].a == 255) body.px[i] = c.px[i];
    else if (c.px[i].a) out.px[i] = c.px[i];
  }
  ag_outline(&body, AGP_INK);
  ag_blit(&out, &body, 0, 0);
  return out;
}

// ---------------------------------------------------------------- gull (32 x 16)
// Wing tips by frame (art pixels): raised, level, lowered, level.
constexpr double kWingTip[4][2] = {{10, 0.5}, {4, 6.5}, {9, 15}, {4, 6.5}};

void gull_wing(AG_CANVAS* c, double dx, double tx, double ty, AG_RGBA base, AG_RGBA tip) {
  const double wing[] = {13 + dx, 9, 19 + dx, 9, tx + 5 + dx, ty, tx + dx, ty};
  ag_polygon(c, wing, 4, base);
  // The outer third of the wing is black-tipped.
  const double sx = 13 + dx + (tx - 13) * 0.62, sy = 9 + (ty - 9) * 0.62;
  const double outer[] = {sx, sy, sx + 4.5, sy, tx + 5 + dx, ty, tx + dx, ty};
  ag_polygon(c, outer, 4, tip);
}

AG_CANVAS gull_frame(int frame) {
  AG_CANVAS c = ag_canvas(32, 16);
  const double tx = kWingTip[frame][0], ty = kWingTip[frame][1];
  // The far wing first, a shade darker and a little ahead of the near one.
  gull_wing(&c, 3, tx, ty, AGP_GREY3, AGP_GREY1);
  // Body, tail and head (facing right); the body rises on the downstroke.
  const double bob = frame == 2 ? -1 : 0;
  const double tail[] = {4, 8 + bob, 10, 9 + bob, 10, 11 + bob, 5, 10 + bob};
  ag_polygon(&c, tail, 4, AGP_GREY5);
  ag_ellipse(&c, 15.5, 10 + bob, 7.5, 2.6, AGP_WHITE);
  ag_rect(&c, 10, 11 + int(bob), 11, 1, AGP_GREY5);
  ag_ellipse(&c, 23, 8.5 + bob, 2.8, 2.4, AGP_WHITE);
  const double beak[] = {25, 8 + bob, 29, 9 + bob, 25, 10 + bob};
  ag_polygon(&c, beak, 3, AGP_YELLOW);
  ag_set(&c, 27, 9 + int(bob), AGP_RED);
  ag_set(&c, 24, 8 + int(bob), AGP_INK);
  gull_wing(&c, 0, tx, ty, AGP_GREY4, AGP_INK);
  return outlined(c);
}

// ---------------------------------------------------------------- ferry (64 x 32)
AG_CANVAS ferry_frame(int frame) {
  AG_CANVAS c = ag_canvas(64, 32);
  // Hull: red below the rubbing strake, white above, flat sheer, both ends alike.
  const double hull[] = {1, 19, 63, 19, 58, 30, 6, 30};
  ag_polygon(&c, hull, 4, AGP_RED);
  ag_rect(&c, 3, 19, 58, 4, AGP_WHITE);
  ag_rect(&c, 3, 23, 58, 1, AGP_INK);
  ag_rect(&c, 6, 27, 52, 3, AGP_RED_DARK);
  for (int x = 9; x < 56; x += 6) ag_rect(&c, x, 20, 3, 2, AGP_GLASS_DARK);  // portholes
  // Deck rail, saloon with windows, wheelhouse and funnel.
  for (int x = 4; x < 61; x += 3) ag_rect(&c, x, 16, 1, 3, AGP_GREY4);
  ag_rect(&c, 3, 16, 58, 1, AGP_GREY5);
  ag_rect(&c, 14, 11, 36, 8, AGP_GREY5);
  ag_rect(&c, 14, 11, 36, 1, AGP_WHITE);
  for (int x = 16; x < 48; x += 5) ag_rect(&c, x, 13, 3, 3, AGP_GLASS);
  for (int x = 16; x < 48; x += 5) ag_set(&c, x, 13, AGP_GLASS_LIGHT);
  ag_rect(&c, 24, 6, 16, 5, AGP_WHITE);
  ag_rect(&c, 25, 7, 14, 2, AGP_GLASS);
  ag_rect(&c, 23, 5, 18, 1, AGP_BLUE_DARK);
  ag_rect(&c, 29, 1, 6, 4, AGP_YELLOW);
  ag_rect(&c, 29, 1, 6, 1, AGP_INK);
  ag_rect(&c, 33, 2, 2, 3, AGP_YELLOW_DARK);
  // A lifebuoy on the saloon, the flag on a staff at one end.
  ag_ellipse(&c, 11, 14, 2.2, 2.2, AGP_RED);
  ag_set(&c, 10, 13, AGP_WHITE);
  ag_set(&c, 11, 14, AGP_GREY5);
  ag_rect(&c, 57, 6, 1, 10, AGP_GREY2);
  const double wave = frame ? 1 : 0;
  const double flag[] = {58, 6, 63, 6 + wave, 63, 10 + wave, 58, 10};
  ag_polygon(&c, flag, 4, AGP_BLUE);
  ag_rect(&c, 59, 8, 4, 1, AGP_WHITE);
  // Water lapping at the waterline (bottom row), moving between frames.
  for (int x = 4; x < 60; x++)
    if ((x + frame * 2) % 5 < 3) ag_set(&c, x, 31, AGP_FOAM);
  ag_rect(&c, 6, 30, 52, 1, AGP_WATER_LIGHT);
  AG_CANVAS o = outlined(c);
  // Smoke from the funnel: translucent puffs that rise between frames.
  const double puffs[2][3] = {{31.5, 2.5 - frame, 2.2}, {28.0 - frame * 2, 1.5 - frame, 1.6}};
  for (const auto& p : puffs) {
    for (int y = 0; y < 6; y++)
      for (int x = 20; x < 40; x++)
        if (!ag_get(&o, x, y).a && std::hypot(x + 0.5 - p[0], y + 0.5 - p[1]) <= p[2])
          ag_set(&o, x, y, ag_alpha(AGP_GREY5, 190));
  }
  return o;
}

// ---------------------------------------------------------------- tower crane (64 x 128)
void lattice(AG_CANVAS* c, int x, int y, int w, int h, bool vertical, AG_RGBA chord, AG_RGBA brace) {
  if (vertical) {
    ag_rect(c, x, y, 1, h, chord);
    ag_rect(c, x + w - 1, y, 1, h, chord);
    for (int k = y; k + w - 1 <= y + h - 1; k += w - 1) {
      ag_line(c, x, k, x + w - 1, k + w - 1, brace);
      ag_line(c, x, k, x + w - 1, k, chord);
    }
  } else {
    ag_rect(c, x, y, w, 1, chord);
    ag_rect(c, x, y + h - 1, w, 1, chord);
    for (int k = x; k + h - 1 <= x + w - 1; k += h - 1) {
      ag_line(c, k, y + h - 1, k + h - 1, y, brace);
      ag_line(c, k, y, k, y + h - 1, chord);
    }
  }
}

AG_CANVAS crane_frame(int frame) {
  AG_CANVAS c = ag_canvas(64, 128);
  ag_ellipse(&c, 20, 126.5, 16, 1.8, AGP_SHADOW);
  // Concrete footing and the mast.
  ag_rect(&c, 9, 120, 22, 8, AGP_GREY3);
  ag_rect(&c, 9, 120, 22, 1, AGP_GREY4);
  ag_rect(&c, 9, 126, 22, 2, AGP_GREY2);
  lattice(&c, 16, 26, 8, 94, true, AGP_YELLOW, AGP_YELLOW_DARK);
  // Slewing ring and the cab under the jib.
  ag_rect(&c, 14, 24, 12, 3, AGP_GREY2);
  ag_rect(&c, 24, 25, 8, 7, AGP_YELLOW);
  ag_rect(&c, 25, 26, 6, 3, AGP_GLASS);
  ag_set(&c, 25, 26, AGP_GLASS_LIGHT);
  // Jib to the right, counter-jib with its weights to the left, the tower head above.
  lattice(&c, 18, 18, 46, 6, false, AGP_YELLOW, AGP_YELLOW_DARK);
  lattice(&c, 2, 18, 16, 5, false, AGP_YELLOW, AGP_YELLOW_DARK);
  ag_rect(&c, 2, 23, 9, 7, AGP_GREY3);
  ag_rect(&c, 2, 23, 9, 1, AGP_GREY4);
  ag_rect(&c, 2, 26, 9, 1, AGP_GREY2);
  const double head[] = {16, 18, 18.5, 4, 21.5, 4, 24, 18};
  ag_polygon(&c, head, 4, AGP_YELLOW_DARK);
  ag_line(&c, 18, 17, 20, 6, AGP_YELLOW);
  // Pendant ties from the head to both ends.
  ag_line(&c, 21, 5, 56, 17, AGP_GREY2);
  ag_line(&c, 18, 5, 3, 17, AGP_GREY2);
  // Trolley, cable and hook with a bundle of planks; the cable leans with the swing.
  const int tx = 50, sway = frame ? 1 : -1;
  ag_rect(&c, tx - 2, 24, 5, 2, AGP_GREY1);
  ag_line(&c, tx, 26, tx + sway, 62, AGP_GREY1);
  const int hx = tx + sway;
  ag_rect(&c, hx - 2, 62, 5, 3, AGP_RED);
  ag_line(&c, hx, 65, hx, 67, AGP_GREY2);
  ag_line(&c, hx, 67, hx - 5, 71, AGP_GREY2);
  ag_line(&c, hx, 67, hx + 5, 71, AGP_GREY2);
  ag_rect(&c, hx - 7, 71, 15, 5, AGP_WOOD);
  ag_rect(&c, hx - 7, 71, 15, 1, AGP_WOOD_LIGHT);
  ag_rect(&c, hx - 7, 73, 15, 1, AGP_WOOD_DARK);
  ag_rect(&c, hx - 7, 75, 15, 1, AGP_WOOD_DARK);
  AG_CANVAS o = outlined(c);
  // Red warning lights on the head and at the jib's tip: lit on frame 0,
  // dark with a glow gone on frame 1.
  const int lights[2][2] = {{20, 2}, {62, 16}};
  for (const auto& l : lights) {
    ag_rect(&o, l[0] - 1, l[1], 2, 2, frame ? AGP_RED_DARK : AGP_RED_LIGHT);
    if (frame) continue;
    for (int y = l[1] - 3; y < l[1] + 5; y++)
      for (int x = l[0] - 4; x < l[0] + 4; x++) {
        const double d = std::hypot(x + 0.5 - l[0], y + 0.5 - (l[1] + 1));
        if (!ag_get(&o, x, y).a && d < 4) ag_set(&o, x, y, ag_alpha(AGP_RED_LIGHT, int(120 * (1 - d / 4))));
      }
  }
  return o;
}

}  // namespace

void ag_wildlife_make(AG_OUTPUT* out) {
  for (int f = 0; f < 4; f++) {
    const AG_CANVAS g = gull_frame(f);
    ag_emit_png(out, ag_frame_name("gfx/gull_right", f), g, AG_SPRITE);
    ag_emit_png(out, ag_frame_name("gfx/gull_left", f), ag_mirror(&g), AG_SPRITE);
  }
  for (int f = 0; f < 2; f++) ag_emit_png(out, ag_frame_name("gfx/ferry", f), ferry_frame(f), AG_SPRITE);
  for (int f = 0; f < 2; f++) ag_emit_png(out, ag_frame_name("gfx/crane", f), crane_frame(f), AG_SPRITE);
}
