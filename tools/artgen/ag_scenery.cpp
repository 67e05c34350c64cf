// Scenery sprites: trees, bushes, reeds, rocks, flowers, fence, street lamp, road sign, toadstool.
#include <cmath>

#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Leaves {
  AG_RGBA dark, base, light, hi;
};
constexpr Leaves kSummer = {AGP_LEAF_DARK, AGP_GRASS, AGP_GRASS_LIGHT, AGP_GRASS_HI};
constexpr Leaves kAutumn = {AGP_RED_DARK, AGP_ORANGE_DARK, AGP_ORANGE, AGP_YELLOW};

// Outlines solid pixels, keeping the translucent ground shadow under them.
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

void trunk(AG_CANVAS* c, int x, int top, int bottom, int w) {
  ag_rect(c, x, top, w, bottom - top, AGP_WOOD);
  ag_rect(c, x, top, 1, bottom - top, AGP_WOOD_LIGHT);
  ag_rect(c, x + w - 2, top, 2, bottom - top, AGP_WOOD_DARK);
  ag_rect(c, x - 2, bottom - 2, w + 4, 2, AGP_WOOD_DARK);  // roots
}

// A round crown: overlapping shaded clumps with leaf speckles.
void crown(AG_CANVAS* c, double cx, double cy, double r, const Leaves& l, uint32_t seed) {
  const double clumps[][3] = {{0, 0.25, 0.8}, {-0.5, 0.15, 0.55}, {0.5, 0.2, 0.55}, {-0.25, -0.35, 0.55},
                              {0.3, -0.3, 0.55}, {0, 0.55, 0.6}};
  for (const auto& k : clumps)
    ag_ball(c, cx + k[0] * r, cy + k[1] * r, k[2] * r, k[2] * r * 0.92, l.dark, l.base, l.light, AG_CLEAR);
  for (int i = 0; i < 40; i++) {
    const double a = ag_rand(i, 1, seed) * 2 * kPi, d = std::sqrt(ag_rand(i, 2, seed)) * r * 0.9;
    const int x = int(cx + std::cos(a) * d), y = int(cy + std::sin(a) * d);
    if (ag_get(c, x, y).a == 255) ag_set(c, x, y, y < cy ? l.hi : l.dark);
  }
}

AG_CANVAS tree(const Leaves& l, uint32_t seed) {
  AG_CANVAS c = ag_canvas(32, 64);
  ag_ellipse(&c, 16, 62.5, 11, 1.8, AGP_SHADOW);
  trunk(&c, 13, 34, 63, 6);
  ag_line(&c, 16, 44, 22, 38, AGP_WOOD);  // a branch
  crown(&c, 16, 24, 14, l, seed);
  return outlined(c);
}

void pine_layers(AG_CANVAS* c, bool snow) {
  for (int k = 0; k < 4; k++) {
    const double top = 4 + k * 11, w = 6 + k * 3.2, bottom = top + 15;
    const double tri[] = {16, top, 16 + w, bottom, 16 - w, bottom};
    ag_polygon(c, tri, 3, AGP_LEAF_DARK);
    const double lit[] = {16, top + 1, 16 - w + 2, bottom - 1, 14, bottom - 1};
    ag_polygon(c, lit, 3, AGP_GRASS);
    ag_line(c, int(16 - w + 1), int(bottom - 1), int(16 + w - 1), int(bottom - 1), AGP_LEAF_DARK);
    if (snow) {
      const double cap[] = {16, top, 16 + w * 0.55, top + 8, 16 + w * 0.2, top + 6, 16 - w * 0.1, top + 9,
                            16 - w * 0.55, top + 8};
      ag_polygon(c, cap, 5, AGP_WHITE);
      ag_line(c, int(16 - w + 1), int(bottom - 1), int(16 + w - 1), int(bottom - 1), AGP_GREY5);
    }
  }
}

AG_CANVAS pine(bool snow) {
  AG_CANVAS c = ag_canvas(32, 64);
  ag_ellipse(&c, 16, 62.5, 11, 1.8, AGP_SHADOW);
  trunk(&c, 14, 52, 63, 4);
  pine_layers(&c, snow);
  return outlined(c);
}

AG_CANVAS bush() {
  AG_CANVAS c = ag_canvas(32, 32);
  ag_ellipse(&c, 16, 30.5, 13, 1.8, AGP_SHADOW);
  crown(&c, 16, 20, 11, kSummer, 411);
  for (int i = 0; i < 7; i++) {
    const int x = 8 + int(ag_hash(i, 1, 412) % 17), y = 13 + int(ag_hash(i, 2, 412) % 12);
    ag_set(&c, x, y, AGP_RED);
    ag_set(&c, x, y - 1, AGP_RED_LIGHT);
  }
  return outlined(c);
}

AG_CANVAS reeds() {
  AG_CANVAS c = ag_canvas(32, 32);
  // Blades leaning out from one clump, three brown bulrush heads.
  const double blades[][2] = {{-10, 14}, {-6, 6}, {-2, 2}, {3, 4}, {7, 8}, {11, 16}, {-13, 20}, {13, 21}};
  for (const auto& b : blades) ag_thick_line(&c, 16 + b[0] * 0.2, 31, 16 + b[0], b[1], 1.5, AGP_GRASS_LIGHT);
  const double heads[][2] = {{11, 5}, {18, 2}, {23, 8}};
  for (const auto& h : heads) {
    ag_line(&c, 16, 31, int(h[0]), int(h[1]) + 4, AGP_GRASS);
    ag_round_rect(&c, int(h[0]) - 1, int(h[1]) + 2, 3, 7, AGP_WOOD);
    ag_set(&c, int(h[0]) - 1, int(h[1]) + 3, AGP_WOOD_LIGHT);
    ag_set(&c, int(h[0]), int(h[1]) + 1, AGP_GRASS);
  }
  return outlined(c);
}

AG_CANVAS rock() {
  AG_CANVAS c = ag_canvas(32, 32);
  ag_ellipse(&c, 16, 30.5, 13, 1.8, AGP_SHADOW);
  ag_ball(&c, 16, 22, 12, 9, AGP_GREY2, AGP_GREY3, AGP_GREY4, AGP_GREY5);
  ag_ball(&c, 24, 26, 5, 4, AGP_GREY2, AGP_GREY3, AGP_GREY4, AG_CLEAR);
  ag_ellipse(&c, 13, 14.5, 7, 2.2, AGP_GRASS);  // moss on top
  ag_ellipse(&c, 12, 14, 4, 1.2, AGP_GRASS_LIGHT);
  ag_line(&c, 18, 18, 21, 24, AGP_GREY2);
  return outlined(c);
}

AG_CANVAS flowers() {
  AG_CANVAS c = ag_canvas(32, 32);
  const struct {
    int x, top;
    AG_RGBA cup, light;
  } tulips[] = {{8, 14, AGP_RED, AGP_RED_LIGHT},       {14, 9, AGP_YELLOW, AGP_YELLOW_LIGHT},
                {20, 13, AGP_PINK, AGP_PINK_LIGHT},    {25, 17, AGP_PURPLE, AGP_PURPLE_LIGHT},
                {11, 19, AGP_ORANGE, AGP_ORANGE_LIGHT}};
  for (const auto& t : tulips) {
    ag_line(&c, t.x, t.top + 4, t.x, 31, AGP_GRASS);
    ag_ellipse(&c, t.x - 2, 27, 2, 3.5, AGP_GRASS_LIGHT);
    ag_round_rect(&c, t.x - 2, t.top, 5, 5, t.cup);
    ag_set(&c, t.x, t.top - 1, t.cup);
    ag_set(&c, t.x - 2, t.top - 1, t.cup);
    ag_set(&c, t.x + 2, t.top - 1, t.cup);
    ag_set(&c, t.x - 1, t.top + 1, t.light);
  }
  return outlined(c);
}

AG_CANVAS fence() {
  AG_CANVAS c = ag_canvas(32, 32);
  // Rails run to both edges so fences side by side join.
  ag_rect(&c, 0, 14, 32, 3, AGP_GREY5);
  ag_rect(&c, 0, 24, 32, 3, AGP_GREY5);
  ag_rect(&c, 0, 16, 32, 1, AGP_GREY3);
  ag_rect(&c, 0, 26, 32, 1, AGP_GREY3);
  for (int x = 2; x < 32; x += 8) {
    const double picket[] = {double(x), 31, double(x), 9, x + 2.5, 6, x + 5.0, 9, x + 5.0, 31};
    ag_polygon(&c, picket, 5, AGP_WHITE);
    ag_rect(&c, x + 4, 9, 1, 22, AGP_GREY4);
  }
  AG_CANVAS o = ag_canvas(32, 32);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) {
      const AG_RGBA p = ag_get(&c, x, y);
      if (p.a) ag_set(&o, x, y, p);
    }
  // Outline only above and below the rails, not at the joining edges.
  AG_CANVAS full = outlined(o);
  for (int y = 0; y < 32; y++) {
    for (const int x : {0, 31})
      if (ag_get(&o, x, y).a) ag_set(&full, x, y, ag_get(&o, x, y));
  }
  return full;
}

AG_CANVAS lamp() {
  AG_CANVAS c = ag_canvas(16, 64);
  ag_ellipse(&c, 8, 62.5, 5, 1.5, AGP_SHADOW);
  ag_rect(&c, 5, 58, 6, 6, AGP_GREY2);
  ag_rect(&c, 7, 10, 2, 50, AGP_GREY2);
  ag_rect(&c, 7, 10, 1, 50, AGP_GREY3);
  ag_rect(&c, 3, 6, 10, 2, AGP_GREY1);
  const double head[] = {4, 8, 12, 8, 11, 14, 5, 14};
  ag_polygon(&c, head, 4, AGP_YELLOW_LIGHT);
  ag_rect(&c, 6, 9, 2, 4, AGP_WHITE);
  ag_rect(&c, 7, 4, 2, 2, AGP_GREY1);
  AG_CANVAS o = outlined(c);
  // A faint glow round the lamp head.
  for (int y = 0; y < 24; y++)
    for (int x = 0; x < 16; x++)
      if (!ag_get(&o, x, y).a) {
        const double d = std::hypot(x + 0.5 - 8, y + 0.5 - 11);
        if (d < 8) ag_set(&o, x, y, ag_alpha(AGP_YELLOW_LIGHT, int(90 * (1 - d / 8))));
      }
  return o;
}

AG_CANVAS sign() {
  AG_CANVAS c = ag_canvas(32, 32);
  ag_ellipse(&c, 16, 30.5, 6, 1.5, AGP_SHADOW);
  ag_rect(&c, 15, 14, 2, 18, AGP_GREY3);
  const double tri[] = {16, 0.5, 29, 22, 3, 22};
  ag_polygon(&c, tri, 3, AGP_RED);
  const double in[] = {16, 5, 25, 20, 7, 20};
  ag_polygon(&c, in, 3, AGP_WHITE);
  // A hopping frog in black on the sign.
  ag_ellipse(&c, 16, 15, 3.5, 2.5, AGP_INK);
  ag_ellipse(&c, 14, 12, 1.2, 1.2, AGP_INK);
  ag_ellipse(&c, 18, 12, 1.2, 1.2, AGP_INK);
  ag_line(&c, 12, 16, 10, 18, AGP_INK);
  ag_line(&c, 20, 16, 22, 18, AGP_INK);
  return outlined(c);
}

AG_CANVAS mushroom() {
  AG_CANVAS c = ag_canvas(32, 32);
  ag_ellipse(&c, 16, 30.5, 9, 1.5, AGP_SHADOW);
  ag_round_rect(&c, 12, 18, 8, 13, AGP_SAND_LIGHT);
  ag_rect(&c, 17, 19, 3, 12, AGP_SAND);
  ag_ball(&c, 16, 17, 13, 9, AGP_RED_DARK, AGP_RED, AGP_RED_LIGHT, AG_CLEAR);
  ag_rect(&c, 3, 17, 27, 4, AG_CLEAR);
  for (int x = 4; x < 29; x++) ag_set(&c, x, 17, AGP_SAND);  // the gills under the cap
  const double spots[][3] = {{10, 11, 2}, {17, 9, 2.5}, {23, 13, 1.8}, {14, 15, 1.3}};
  for (const auto& s : spots) ag_ellipse(&c, s[0], s[1], s[2], s[2] * 0.85, AGP_WHITE);
  return outlined(c);
}

}  // namespace

void ag_scenery_make(AG_OUTPUT* out) {
  ag_emit_png(out, "gfx/tree.png", tree(kSummer, 401), AG_SPRITE);
  ag_emit_png(out, "gfx/pine.png", pine(false), AG_SPRITE);
  ag_emit_png(out, "gfx/tree_autumn.png", tree(kAutumn, 402), AG_SPRITE);
  ag_emit_png(out, "gfx/tree_snow.png", pine(true), AG_SPRITE);
  ag_emit_png(out, "gfx/bush.png", bush(), AG_SPRITE);
  ag_emit_png(out, "gfx/reeds.png", reeds(), AG_SPRITE);
  ag_emit_png(out, "gfx/rock.png", rock(), AG_SPRITE);
  ag_emit_png(out, "gfx/flowers.png", flowers(), AG_SPRITE);
  ag_emit_png(out, "gfx/fence.png", fence(), AG_SPRITE);
  ag_emit_png(out, "gfx/lamp.png", lamp(), AG_SPRITE);
  ag_emit_png(out, "gfx/sign.png", sign(), AG_SPRITE);
  ag_emit_png(out, "gfx/mushroom.png", mushroom(), AG_SPRITE);
}
