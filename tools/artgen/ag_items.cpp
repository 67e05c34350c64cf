// Things on the board and on the screen: logs and turtles, the eight bonuses, the time-up clock, life and invincibility icons, the squashed frog.
#include <cmath>

#include "tools/artgen/ag_frog.h"
#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Outlines the solid pixels and keeps translucent ones (shadows, glows) under them.
AG_CANVAS outlined(const AG_CANVAS& c, AG_RGBA ink = AGP_INK) {
  AG_CANVAS body = ag_canvas(c.width, c.height), out = ag_canvas(c.width, c.height);
  for (size_t i = 0; i < c.px.size(); i++) {
    if (c.px[i].a == 255) body.px[i] = c.px[i];
    else if (c.px[i].a) out.px[i] = c.px[i];
  }
  ag_outline(&body, ink);
  ag_blit(&out, &body, 0, 0);
  return out;
}

// Water lapping along the bottom rows of a floating thing: a light crest
// that moves with the frame, foam at the ends.
void lapping(AG_CANVAS* c, int x0, int x1, int y, int frame) {
  for (int x = x0; x < x1; x++) {
    const int wave = ((x + frame * 2) / 3) % 4;
    ag_set(c, x, y, wave == 0 ? AGP_FOAM : AGP_WATER_LIGHT);
    ag_set(c, x, y + 1, wave == 2 ? AGP_WATER_LIGHT : AGP_WATER);
  }
  for (int k = 0; k < 3; k++) {
    ag_set(c, x0 - 1 - k, y + 1 - (k + frame) % 2, AGP_FOAM);
    ag_set(c, x1 + k, y + 1 - (k + frame + 1) % 2, AGP_FOAM);
  }
}

// ---------------------------------------------------------------- logs (64 x 16 and 32 x 32)
AG_CANVAS log_x_frame(int frame) {
  AG_CANVAS c = ag_canvas(64, 16);
  const int bob = frame == 1 || frame == 2 ? 1 : 0;
  const int top = 4 + bob, bottom = 15;
  // Bark: rows shaded round the cylinder, with furrows along it.
  for (int y = top; y < bottom; y++)
    for (int x = 4; x < 59; x++) {
      const double t = double(y - top) / (bottom - top);
      AG_RGBA col = t < 0.18 ? AGP_WOOD_LIGHT : t < 0.6 ? AGP_WOOD : AGP_WOOD_DARK;
      if (ag_rand(x / 3, y, 301) < 0.18 && t > 0.15) col = AGP_EARTH_DARK;
      ag_set(&c, x, y, col);
    }
  // The near end cut: rings; the far end rounded bark.
  ag_ellipse(&c, 59, (top + bottom) / 2.0, 3.2, (bottom - top) / 2.0, AGP_SAND_DARK);
  ag_ellipse(&c, 59, (top + bottom) / 2.0, 2.2, (bottom - top) / 2.0 - 1.5, AGP_SAND_LIGHT);
  ag_ellipse(&c, 59, (top + bottom) / 2.0, 1, 1.5, AGP_SAND_DARK);
  ag_ellipse(&c, 4, (top + bottom) / 2.0, 2.5, (bottom - top) / 2.0, AGP_WOOD_DARK);
  // A branch stub and a patch of moss.
  ag_rect(&c, 22, top - 2, 3, 3, AGP_WOOD);
  ag_set(&c, 22, top - 2, AGP_WOOD_LIGHT);
  ag_ellipse(&c, 40, top + 0.5, 4, 1.3, AGP_GRASS_LIGHT);
  ag_set(&c, 38, top, AGP_GRASS_HI);
  AG_CANVAS o = outlined(c);
  lapping(&o, 3, 61, 14, frame);
  return o;
}

// Three turtles in a row, seen from the side-front: domed shells, heads
// towards the camera, flippers paddling.
AG_CANVAS turtles_frame(int frame) {
  AG_CANVAS c = ag_canvas(64, 16);
  for (int k = 0; k < 3; k++) {
    const double x = 11 + k * 21;
    const int bob = (frame + k) % 4 == 1 ? 1 : (frame + k) % 4 == 3 ? -1 : 0;
    const double y = 9 + bob;
    // Flippers reach forward and back in turn.
    const double paddle = ((frame + k) % 2) ? 2 : -2;
    ag_ellipse(&c, x - 8, y + 3 + paddle * 0.3, 2.5, 1.2, AGP_GREEN_LIGHT);
    ag_ellipse(&c, x + 8, y + 3 - paddle * 0.3, 2.5, 1.2, AGP_GREEN_LIGHT);
    ag_ball(&c, x, y, 8.5, 6, AGP_GREEN_DARK, AGP_GREEN, AGP_GREEN_LIGHT, AG_CLEAR);
    // Shell plates.
    ag_line(&c, int(x - 4), int(y - 4), int(x - 6), int(y + 2), AGP_GREEN_DARK);
    ag_line(&c, int(x + 4), int(y - 4), int(x + 6), int(y + 2), AGP_GREEN_DARK);
    ag_line(&c, int(x - 3), int(y - 1), int(x + 3), int(y - 1), AGP_GREEN_DARK);
    ag_rect(&c, int(x - 8), int(y + 2), 17, 2, AGP_SAND_DARK);
    // Head with a smile, poking out in front.
    ag_ball(&c, x + 1, y + 3, 3, 2.5, AGP_GREEN_DARK, AGP_GREEN_LIGHT, AGP_FOAM, AG_CLEAR);
    ag_set(&c, int(x), int(y + 2), AGP_INK);
    ag_set(&c, int(x + 2), int(y + 2), AGP_INK);
  }
  AG_CANVAS o = outlined(c);
  lapping(&o, 2, 62, 14, frame);
  return o;
}

// A log coming end on, towards or away from the camera: the round cut
// face with its rings, the bark of the log going back behind it.
AG_CANVAS log_z_frame(int frame) {
  AG_CANVAS c = ag_canvas(32, 32);
  const int bob = frame == 1 || frame == 2 ? 1 : 0;
  const double cx = 16, cy = 23 + bob;
  // The log's top going away, a little narrower at the far end.
  const double back[] = {cx - 9, cy, cx - 7.5, cy - 13, cx + 7.5, cy - 13, cx + 9, cy};
  ag_polygon(&c, back, 4, AGP_WOOD);
  ag_ellipse(&c, cx, cy - 13, 7.5, 2.5, AGP_WOOD_DARK);
  for (int y = int(cy - 12); y < int(cy); y++) {
    ag_set(&c, int(cx - 3), y, AGP_WOOD_DARK);
    ag_set(&c, int(cx + 3), y, AGP_WOOD_DARK);
    ag_set(&c, int(cx - 6), y, AGP_WOOD_LIGHT);
    ag_set(&c, int(cx - 5), y, AGP_WOOD_LIGHT);
  }
  ag_ellipse(&c, cx, cy, 9, 8, AGP_WOOD_DARK);
  ag_ellipse(&c, cx, cy, 7.5, 6.6, AGP_SAND_DARK);
  ag_ellipse(&c, cx, cy, 6.2, 5.4, AGP_SAND);
  ag_ellipse(&c, cx, cy, 4.4, 3.8, AGP_SAND_LIGHT);
  ag_ellipse(&c, cx, cy, 3, 2.6, AGP_SAND);
  ag_ellipse(&c, cx, cy, 1.4, 1.2, AGP_SAND_DARK);
  ag_line(&c, int(cx + 1), int(cy - 1), int(cx + 5), int(cy - 4), AGP_SAND_DARK);  // a crack
  AG_CANVAS o = outlined(c);
  // The lower part lies in the water.
  for (int y = 28; y < 32; y++)
    for (int x = 0; x < 32; x++)
      if (o.px[size_t(y) * 32 + size_t(x)].a) ag_set(&o, x, y, y == 28 ? AGP_FOAM : AG_CLEAR);
  lapping(&o, 6, 26, 29, frame);
  for (int x = 3; x < 29; x++)
    if (!ag_get(&o, x, 31).a) ag_set(&o, x, 31, ((x + frame) % 5) ? AGP_WATER : AGP_WATER_LIGHT);
  return o;
}

// ---------------------------------------------------------------- bonuses (32 x 32)
// The four-pointed glint that circles a bonus, one place per frame.
void glint(AG_CANVAS* c, int frame) {
  const double a = kPi / 2 * frame + kPi / 4;
  const int x = int(16 + std::cos(a) * 11), y = int(14 - std::sin(a) * 10);
  ag_set(c, x, y, AGP_WHITE);
  ag_set(c, x - 1, y, AGP_YELLOW_LIGHT);
  ag_set(c, x + 1, y, AGP_YELLOW_LIGHT);
  ag_set(c, x, y - 1, AGP_YELLOW_LIGHT);
  ag_set(c, x, y + 1, AGP_YELLOW_LIGHT);
}

void star(AG_CANVAS* c, double cx, double cy, double r, AG_RGBA col, double turn = 0) {
  double xy[20];
  for (int k = 0; k < 10; k++) {
    const double a = kPi / 2 + turn + kPi * k / 5, rr = k % 2 ? r * 0.45 : r;
    xy[2 * k] = cx + std::cos(a) * rr;
    xy[2 * k + 1] = cy - std::sin(a) * rr;
  }
  ag_polygon(c, xy, 10, col);
}

void clock_face(AG_CANVAS* c, double cx, double cy, double r, const AG_RGBA body[3], int shake) {
  // Bells, legs, body, face, hands.
  ag_ball(c, cx - r * 0.75 + shake, cy - r * 0.95, r * 0.38, r * 0.32, body[0], body[1], body[2], AG_CLEAR);
  ag_ball(c, cx + r * 0.75 + shake, cy - r * 0.95, r * 0.38, r * 0.32, body[0], body[1], body[2], AG_CLEAR);
  ag_rect(c, int(cx - 1), int(cy - r - 2), 2, 3, AGP_GREY3);
  ag_thick_line(c, cx - r * 0.5, cy + r * 0.6, cx - r * 0.8, cy + r * 1.05, 2, body[0]);
  ag_thick_line(c, cx + r * 0.5, cy + r * 0.6, cx + r * 0.8, cy + r * 1.05, 2, body[0]);
  ag_ball(c, cx, cy, r, r, body[0], body[1], body[2], AG_CLEAR);
  ag_ellipse(c, cx, cy, r * 0.72, r * 0.72, AGP_WHITE);
  for (int k = 0; k < 12; k += 3) {
    const double a = 2 * kPi * k / 12;
    ag_set(c, int(cx + std::cos(a) * r * 0.58), int(cy + std::sin(a) * r * 0.58), AGP_GREY3);
  }
  ag_line(c, int(cx), int(cy), int(cx), int(cy - r * 0.5), AGP_INK);
  ag_line(c, int(cx), int(cy), int(cx + r * 0.38), int(cy), AGP_INK);
}

AG_CANVAS bonus_frame(int type, int frame) {
  AG_CANVAS c = ag_canvas(32, 32);
  const int bob = frame == 1 ? -1 : frame == 2 ? -2 : frame == 3 ? -1 : 0;
  ag_ellipse(&c, 16, 30.5, 9 + bob * 0.5, 1.6, AGP_SHADOW);
  AG_CANVAS item = ag_canvas(32, 32);
  const double cy = 15 + bob;
  switch (type) {
    case 0: {  // +1 minute: blue clock with a green "+1" badge
      const AG_RGBA body[3] = {AGP_BLUE_DARK, AGP_BLUE, AGP_BLUE_LIGHT};
      clock_face(&item, 14, cy + 1, 9, body, 0);
      ag_ellipse(&item, 23, cy + 8, 5.5, 4.5, AGP_GREEN);
      ag_rect(&item, 19, int(cy + 8), 5, 1, AGP_WHITE);  // "+"
      ag_rect(&item, 21, int(cy + 6), 1, 5, AGP_WHITE);
      ag_rect(&item, 25, int(cy + 6), 1, 5, AGP_WHITE);  // "1"
      ag_set(&item, 24, int(cy + 7), AGP_WHITE);
      break;
    }
    case 1: {  // frog fast: lightning bolt
      const double bolt[] = {19, cy - 12, 8, cy + 2, 15, cy + 2, 11, cy + 14, 24, cy - 3, 17, cy - 3, 22, cy - 12};
      ag_polygon(&item, bolt, 7, AGP_YELLOW);
      ag_line(&item, 18, int(cy - 10), 12, int(cy), AGP_YELLOW_LIGHT);
      ag_line(&item, 19, int(cy - 10), 21, int(cy - 10), AGP_WHITE);
      ag_line(&item, 14, int(cy + 7), 20, int(cy - 1), AGP_YELLOW_DARK);
      break;
    }
    case 2: {  // frog slow: snail
      ag_ellipse(&item, 15, cy + 8, 12, 3, AGP_SAND_LIGHT);
      ag_ellipse(&item, 15, cy + 9, 12, 2, AGP_SAND);
      ag_thick_line(&item, 24, cy + 7, 26, cy - 1, 2.5, AGP_SAND_LIGHT);
      ag_line(&item, 25, int(cy - 1), 24, int(cy - 6), AGP_SAND_DARK);
      ag_line(&item, 27, int(cy - 1), 29, int(cy - 5), AGP_SAND_DARK);
      ag_set(&item, 24, int(cy - 7), AGP_INK);
      ag_set(&item, 29, int(cy - 6), AGP_INK);
      ag_ball(&item, 13, cy + 1, 9, 8.5, AGP_ORANGE_DARK, AGP_ORANGE, AGP_ORANGE_LIGHT, AG_CLEAR);
      // The spiral of the shell.
      for (double t = 0; t < 4 * kPi; t += 0.05) {
        const double r = 7.5 * (1 - t / (4.4 * kPi));
        ag_set(&item, int(13 + std::cos(t) * r), int(cy + 1 + std::sin(t) * r * 0.95), AGP_WOOD_DARK);
      }
      break;
    }
    case 3: {  // points: a gold coin that turns
      const double w = frame == 0 ? 10 : frame == 1 || frame == 3 ? 7 : 2.5;
      ag_ellipse(&item, 16, cy, w + 0.8, 11, AGP_YELLOW_DARK);
      ag_ball(&item, 16, cy, w, 10, AGP_ORANGE, AGP_YELLOW, AGP_YELLOW_LIGHT, AGP_WHITE);
      if (w > 5) {
        ag_ellipse(&item, 16, cy, w - 2.5, 7.5, AGP_YELLOW_DARK);
        ag_ellipse(&item, 16, cy, w - 3.5, 6.5, AGP_YELLOW);
        AG_CANVAS s = ag_canvas(32, 32);
        star(&s, 16, cy, 5.5, AGP_YELLOW_LIGHT);
        for (int y = 0; y < 32; y++)
          for (int x = 0; x < 32; x++) {
            const AG_RGBA p = ag_get(&s, int(16 + (x - 16) * 10 / w), y);
            if (p.a && std::fabs(x + 0.5 - 16) < w - 3) ag_set(&item, x, y, p);
          }
      }
      break;
    }
    case 4: {  // mystery: a purple box with a question mark
      const double box[] = {6, cy - 6, 12, cy - 11, 27, cy - 11, 27, cy + 8, 21, cy + 13, 6, cy + 13};
      ag_polygon(&item, box, 6, AGP_PURPLE_DARK);
      ag_rect(&item, 6, int(cy - 6), 15, 19, AGP_PURPLE);
      const double lid[] = {6, cy - 6, 12, cy - 11, 27, cy - 11, 21, cy - 6};
      ag_polygon(&item, lid, 4, AGP_PURPLE_LIGHT);
      const AG_RGBA q = frame % 2 ? AGP_YELLOW_LIGHT : AGP_WHITE;
      ag_rect(&item, 10, int(cy - 3), 7, 2, q);
      ag_rect(&item, 15, int(cy - 2), 2, 4, q);
      ag_rect(&item, 12, int(cy + 2), 4, 2, q);
      ag_rect(&item, 12, int(cy + 4), 2, 2, q);
      ag_rect(&item, 12, int(cy + 8), 2, 2, q);
      break;
    }
    case 5: {  // traffic frozen: a snowflake that turns slowly
      const double turn = kPi / 12 * frame;
      for (int k = 0; k < 6; k++) {
        const double a = turn + kPi / 3 * k, ca = std::cos(a), sa = std::sin(a);
        ag_thick_line(&item, 16, cy, 16 + ca * 12, cy + sa * 12, 2.2, AGP_ICE);
        for (const double d : {5.0, 8.5}) {
          const double bx = 16 + ca * d, by = cy + sa * d;
          ag_thick_line(&item, bx, by, bx + std::cos(a + 0.8) * 4, by + std::sin(a + 0.8) * 4, 1.6, AGP_ICE);
          ag_thick_line(&item, bx, by, bx + std::cos(a - 0.8) * 4, by + std::sin(a - 0.8) * 4, 1.6, AGP_ICE);
        }
      }
      ag_ellipse(&item, 16, cy, 3, 3, AGP_WHITE);
      ag_ellipse(&item, 16, cy, 1.5, 1.5, AGP_GLASS);
      break;
    }
    case 6: {  // traffic double speed: two red chevrons with speed lines
      for (int k = 0; k < 2; k++) {
        const double x = 9 + k * 9;
        const double chev[] = {x, cy - 10, x + 9, cy, x, cy + 10, x - 4, cy + 10, x + 4, cy, x - 4, cy - 10};
        ag_polygon(&item, chev, 6, AGP_RED);
        ag_line(&item, int(x - 3), int(cy - 9), int(x + 6), int(cy), AGP_RED_LIGHT);
      }
      for (int k = 0; k < 3; k++) ag_rect(&item, 1 + (frame % 2), int(cy - 5 + k * 5), 3, 1, AGP_WHITE);
      break;
    }
    default: {  // invincible: silver shield with a red band and a gold star
      const double shield[] = {5, cy - 11, 27, cy - 11, 27, cy, 16, cy + 13, 5, cy};
      ag_polygon(&item, shield, 5, AGP_GREY4);
      const double inner[] = {8, cy - 8, 24, cy - 8, 24, cy - 1, 16, cy + 9, 8, cy - 1};
      ag_polygon(&item, inner, 5, AGP_RED);
      ag_rect(&item, 6, int(cy - 10), 20, 1, AGP_WHITE);
      star(&item, 16, cy - 1, 6.5, AGP_YELLOW);
      star(&item, 15.5, cy - 1.5, 3, AGP_YELLOW_LIGHT);
      break;
    }
  }
  item = outlined(item);
  ag_blit(&c, &item, 0, 0);
  glint(&c, frame);
  return c;
}

// ---------------------------------------------------------------- game sprites
AG_CANVAS timeup_frame(int frame) {
  AG_CANVAS c = ag_canvas(32, 32);
  ag_ellipse(&c, 16, 30.5, 10, 1.6, AGP_SHADOW);
  AG_CANVAS item = ag_canvas(32, 32);
  const int shake = frame == 1 ? -1 : frame == 3 ? 1 : 0;
  const AG_RGBA body[3] = {AGP_RED_DARK, AGP_RED, AGP_RED_LIGHT};
  clock_face(&item, 16 + shake, 17, 10, body, shake);
  // The striker between the bells.
  ag_rect(&item, 15 + shake * 2, 5, 2, 3, AGP_GREY2);
  item = outlined(item);
  ag_blit(&c, &item, 0, 0);
  // Ringing lines beside the bells.
  if (frame % 2 == 0) {
    ag_line(&c, 3, 5, 5, 7, AGP_YELLOW);
    ag_line(&c, 2, 9, 4, 9, AGP_YELLOW);
    ag_line(&c, 28, 5, 26, 7, AGP_YELLOW);
    ag_line(&c, 29, 9, 27, 9, AGP_YELLOW);
  }
  return c;
}

// A frog's head seen from the front, `w` pixels wide, for the life icons
// (drawn at the file's own resolution).
void frog_head(AG_CANVAS* c, double cx, double cy, double w) {
  AG_CANVAS h = ag_canvas(c->width, c->height);
  const double r = w / 2;
  ag_ball(&h, cx, cy, r, r * 0.68, AGP_FROG_DARK, AGP_FROG, AGP_FROG_LIGHT, AG_CLEAR);
  for (int side = -1; side <= 1; side += 2) {
    const double ex = cx + side * r * 0.52, ey = cy - r * 0.55;
    ag_ball(&h, ex, ey, r * 0.36, r * 0.34, AGP_FROG_DARK, AGP_FROG, AGP_FROG_LIGHT, AG_CLEAR);
    ag_ellipse(&h, ex, ey + 0.3, r * 0.26, r * 0.26, AGP_WHITE);
    ag_ellipse(&h, ex, ey + 0.6, r * 0.13, r * 0.17, AGP_INK);
  }
  ag_line(&h, int(cx - r * 0.45), int(cy + r * 0.22), int(cx + r * 0.45), int(cy + r * 0.22), AGP_INK);
  ag_set(&h, int(cx - r * 0.55), int(cy + r * 0.1), AGP_INK);
  ag_set(&h, int(cx + r * 0.55), int(cy + r * 0.1), AGP_INK);
  ag_outline(&h, AGP_INK);
  ag_blit(c, &h, 0, 0);
}

AG_CANVAS life_icon(int frogs) {
  AG_CANVAS c = ag_canvas(32, 32);
  if (frogs == 1) frog_head(&c, 16, 18, 22);
  else if (frogs == 2) {
    frog_head(&c, 9, 19, 15);
    frog_head(&c, 23, 19, 15);
  } else {
    frog_head(&c, 16, 10, 13);
    frog_head(&c, 9, 23, 13);
    frog_head(&c, 23, 23, 13);
  }
  return c;
}

AG_CANVAS invincible_icon() {
  AG_CANVAS c = ag_canvas(32, 32);
  // A soft golden glow behind the shield.
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) {
      const double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
      if (d < 15.5) ag_set(&c, x, y, ag_alpha(AGP_YELLOW_LIGHT, int(150 * (1 - d / 15.5))));
    }
  AG_CANVAS s = bonus_frame(7, 0);
  for (AG_RGBA& p : s.px)
    if (p.a && p.a < 255) p = AG_CLEAR;  // drop the ground shadow
  ag_blit(&c, &s, 0, 1);
  return c;
}

AG_CANVAS squashed() {
  AG_CANVAS c = ag_canvas(64, 32);
  AG_CANVAS f = ag_canvas(64, 32);
  // Flattened from above: legs and arms splayed to the edges.
  for (int side = -1; side <= 1; side += 2) {
    ag_thick_line(&f, 32 + side * 12, 22, 32 + side * 24, 28, 4, AGP_FROG);
    ag_thick_line(&f, 32 + side * 24, 28, 32 + side * 29, 21, 3.5, AGP_FROG);
    ag_ellipse(&f, 32 + side * 29.5, 20, 2.5, 2.2, AGP_FROG_DARK);
    ag_thick_line(&f, 32 + side * 12, 10, 32 + side * 22, 4, 3.5, AGP_FROG);
    ag_ellipse(&f, 32 + side * 23, 3.5, 2.5, 2, AGP_FROG_DARK);
  }
  ag_ball(&f, 32, 17, 18, 10.5, AGP_FROG_DARK, AGP_FROG, AGP_FROG_LIGHT, AG_CLEAR);
  ag_ellipse(&f, 32, 21, 11, 4.5, AGP_FROG_BELLY);
  // Crossed-out eyes and a wobbly tongue-out mouth.
  for (int side = -1; side <= 1; side += 2) {
    const int ex = 32 + side * 8, ey = 11;
    ag_ellipse(&f, ex, ey, 4.5, 4, AGP_WHITE);
    ag_thick_line(&f, ex - 2.5, ey - 2.5, ex + 2.5, ey + 2.5, 1.4, AGP_INK);
    ag_thick_line(&f, ex - 2.5, ey + 2.5, ex + 2.5, ey - 2.5, 1.4, AGP_INK);
  }
  for (int x = 25; x <= 39; x++) ag_set(&f, x, 18 + (x / 2) % 2, AGP_INK);
  ag_ellipse(&f, 35, 21, 2, 1.6, AGP_PINK);
  ag_outline(&f, AGP_INK);
  ag_blit(&c, &f, 0, 0);
  // A tyre track across it: a translucent band with tread blocks.
  for (int y = 23; y < 30; y++)
    for (int x = 0; x < 64; x++) {
      if (!ag_get(&c, x, y).a) continue;
      const bool tread = (x / 3) % 2 == 0 && y > 23 && y < 29;
      ag_put(&c, x, y, ag_alpha(AGP_GREY1, tread ? 200 : 90));
    }
  return c;
}

}  // namespace

AG_CANVAS ag_log_art() { return log_x_frame(0); }

void ag_items_make(AG_OUTPUT* out) {
  for (int f = 0; f < 4; f++) ag_emit_png(out, ag_frame_name("gfx/log_x", f), log_x_frame(f), AG_SPRITE);
  for (int f = 0; f < 4; f++) ag_emit_png(out, ag_frame_name("gfx/turtles", f), turtles_frame(f), AG_SPRITE);
  for (int f = 0; f < 4; f++) ag_emit_png(out, ag_frame_name("gfx/log_z", f), log_z_frame(f), AG_SPRITE);
  constexpr const char* kBonus[8] = {"gfx/bonus_time",    "gfx/bonus_fast",   "gfx/bonus_slow",
                                     "gfx/bonus_points",  "gfx/bonus_mystery", "gfx/bonus_freeze",
                                     "gfx/bonus_double",  "gfx/bonus_shield"};
  for (int t = 0; t < 8; t++)
    for (int f = 0; f < 4; f++) ag_emit_png(out, ag_frame_name(kBonus[t], f), bonus_frame(t, f), AG_SPRITE);
  for (int f = 0; f < 4; f++) ag_emit_png(out, ag_frame_name("gfx/timeup", f), timeup_frame(f), AG_SPRITE);
  // Life icons are shown at their own size, so they are drawn at full resolution.
  ag_emit_png(out, "gfx/life1.png", life_icon(1), AG_SPRITE, 1);
  ag_emit_png(out, "gfx/life2.png", life_icon(2), AG_SPRITE, 1);
  ag_emit_png(out, "gfx/life3.png", life_icon(3), AG_SPRITE, 1);
  ag_emit_png(out, "gfx/invincible.png", invincible_icon(), AG_SPRITE);
  ag_emit_png(out, "gfx/squashed.png", squashed(), AG_SPRITE);
}

AG_CANVAS ag_bonus_art(int type) { return bonus_frame(type, 0); }
