// Floor and wall pictures: grass, verges, pavement, road markings, water and home pads, banks, stone, sand, wood, walls.
//
// Every floor is 32 art pixels square (one cell) and joins its own copies
// without a seam: noise wraps at the picture's edge and scattered details
// keep clear of it. The top row is the far edge of the cell.
#include <cmath>
#include <string>

#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr int kT = 32;  // a cell in art pixels
constexpr double kPi = 3.14159265358979323846;

// Three-tone ground from wrapped noise: dark below `lo`, light above `hi`.
void ground(AG_CANVAS* c, uint32_t seed, AG_RGBA dark, AG_RGBA base, AG_RGBA light, double lo, double hi) {
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++) {
      const double n = 0.65 * ag_noise(x, y, 8, seed, 4) + 0.35 * ag_noise(x, y, 4, seed + 7, 8);
      ag_set(c, x, y, n < lo ? dark : n > hi ? light : base);
    }
}

// Short grass blades: a light tip over a dark root, at hashed places.
void blades(AG_CANVAS* c, uint32_t seed, int count, AG_RGBA tip, AG_RGBA root) {
  for (int i = 0; i < count; i++) {
    const int x = int(ag_hash(i, 1, seed) % kT), y = int(ag_hash(i, 2, seed) % kT);
    ag_set(c, x, y, tip);
    ag_set(c, x, (y + 1) % kT, root);
  }
}

// A small flower: four petals round a centre.
void flower(AG_CANVAS* c, int x, int y, AG_RGBA petal, AG_RGBA centre) {
  ag_set(c, x - 1, y, petal);
  ag_set(c, x + 1, y, petal);
  ag_set(c, x, y - 1, petal);
  ag_set(c, x, y + 1, petal);
  ag_set(c, x, y, centre);
}

AG_CANVAS grass_floor(uint32_t seed) {
  AG_CANVAS c = ag_canvas(kT, kT);
  // Few dark patches: near the camera a cell is a quarter of the screen wide.
  ground(&c, seed, AGP_GRASS_DARK, AGP_GRASS, AGP_GRASS_LIGHT, 0.24, 0.66);
  blades(&c, seed + 1, 40, AGP_GRASS_HI, AGP_GRASS_DARK);
  return c;
}

// A kerb stone along the far (top) or near (bottom) edge of a cell: a
// bright top, its face and a shadow line on the side away from the road.
void kerb_band(AG_CANVAS* c, bool far) {
  if (far) {
    ag_rect(c, 0, 0, kT, 1, AGP_GREY3);
    ag_rect(c, 0, 1, kT, 3, AGP_GREY5);
    ag_rect(c, 0, 4, kT, 1, AGP_GREY4);
    ag_rect(c, 0, 5, kT, 1, AGP_GREY2);
    for (int x = 7; x < kT; x += 16) ag_rect(c, x, 1, 1, 4, AGP_GREY3);
  } else {
    ag_rect(c, 0, kT - 6, kT, 1, AGP_GREY2);
    ag_rect(c, 0, kT - 5, kT, 3, AGP_GREY5);
    ag_rect(c, 0, kT - 2, kT, 1, AGP_GREY4);
    ag_rect(c, 0, kT - 1, kT, 1, AGP_GREY3);
    for (int x = 7; x < kT; x += 16) ag_rect(c, x, kT - 5, 1, 4, AGP_GREY3);
  }
}

AG_CANVAS pavement_floor() {
  AG_CANVAS c = ag_canvas(kT, kT);
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++) {
      const double r = ag_rand(x, y, 31);
      ag_set(&c, x, y, r < 0.08 ? AGP_GREY3 : r > 0.95 ? AGP_GREY5 : AGP_GREY4);
    }
  // Four slabs a cell, joints dark on their lower and right side, light on top.
  for (int k = 0; k < kT; k += 16) {
    ag_rect(&c, 0, k, kT, 1, AGP_GREY2);
    ag_rect(&c, k, 0, 1, kT, AGP_GREY2);
    ag_rect(&c, 0, k + 1, kT, 1, AGP_GREY5);
  }
  return c;
}

AG_CANVAS road_floor() {
  AG_CANVAS c = ag_canvas(kT, kT, AGP_TAR);
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++) {
      const double n = ag_noise(x, y, 8, 51, 4), r = ag_rand(x, y, 52);
      if (n < 0.2) ag_set(&c, x, y, AGP_TAR_DARK);
      if (r < 0.05) ag_set(&c, x, y, AGP_TAR_LIGHT);
      else if (r > 0.96) ag_set(&c, x, y, AGP_TAR_DARK);
    }
  return c;
}

// One frame of water: soft diagonal bands that drift one whole wave per
// loop, and wavelets on a staggered lattice that glint in turn, each with
// its own phase. Bands are whole waves across the cell, so it tiles, and
// everything comes back after `frames` frames, so it loops.
AG_CANVAS water_floor(int frame, int frames) {
  AG_CANVAS c = ag_canvas(kT, kT);
  const double ph = 2 * kPi * frame / frames;
  const AG_RGBA mid = ag_mix(AGP_WATER, AGP_WATER_DEEP, 0.45);
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++) {
      const double u = 2 * kPi * x / kT, v = 2 * kPi * y / kT;
      const double f = std::sin(u + 2 * v - ph) + 0.5 * std::sin(2 * u - v + ph);
      ag_set(&c, x, y, f > 0.75 ? mid : f < -1.1 ? AGP_WATER_DEEP : AGP_WATER);
    }
  for (int j = 0; j < 4; j++)
    for (int i = 0; i < 4; i++) {
      // The lattice jittered a little, so the cells' repeat shows less.
      const int x = i * 8 + (j % 2) * 4 + 2 + int(ag_hash(i, j, 73) % 3) - 1;
      const int y = j * 8 + 3 + int(ag_hash(i, j, 74) % 3) - 1;
      const int stage = int((frame + ag_hash(i, j, 72) % frames) % frames) * 6 / frames;
      auto px = [&](int dx, int dy, AG_RGBA col) { ag_set(&c, (x + dx + kT) % kT, (y + dy + kT) % kT, col); };
      switch (stage) {
        case 1:
        case 5: px(0, 0, AGP_WATER_LIGHT); break;
        case 2:
        case 4:
          for (int d = -1; d <= 1; d++) px(d, 0, AGP_WATER_LIGHT);
          for (int d = -1; d <= 1; d++) px(d, 1, AGP_WATER_DEEP);
          break;
        case 3:
          px(-2, 0, AGP_WATER_LIGHT);
          px(2, 0, AGP_WATER_LIGHT);
          for (int d = -1; d <= 1; d++) px(d, -1, d ? AGP_WATER_LIGHT : AGP_FOAM);
          for (int d = -2; d <= 2; d++) px(d, 1, AGP_WATER_DEEP);
          break;
        default: break;
      }
    }
  return c;
}

// A lily pad with a flower and a golden ring: the frog's home.
AG_CANVAS home_floor(int frame, int frames) {
  AG_CANVAS c = water_floor(frame, frames);
  const double cx = 16, cy = 16.5;
  // The ring pulses gently with the water.
  const double glow = 14.5 + 0.5 * std::sin(2 * kPi * frame / frames);
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++) {
      const double d = std::hypot(x + 0.5 - cx, (y + 0.5 - cy) * 1.1);
      if (d > glow - 1.2 && d <= glow) ag_set(&c, x, y, ((x + y + frame) / 2) % 3 ? AGP_YELLOW : AGP_YELLOW_LIGHT);
    }
  AG_CANVAS pad = ag_canvas(kT, kT);
  ag_ball(&pad, cx, cy, 11.5, 10, AGP_GREEN_DARK, AGP_GREEN, AGP_GREEN_LIGHT, AG_CLEAR);
  // The notch of the leaf, then its veins.
  const double notch[] = {cx, cy, cx + 3, cy + 11, cx - 3, cy + 11};
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++)
      if (ag_get(&pad, x, y).a) {
        const double px = x + 0.5, py = y + 0.5;
        if (py > cy && std::fabs(px - cx) < (py - cy) * 0.32) ag_set(&pad, x, y, AG_CLEAR);
      }
  (void)notch;
  for (int k = 0; k < 6; k++) {
    const double a = kPi * (0.75 + 0.3 * k);
    ag_line(&pad, int(cx), int(cy), int(cx + std::cos(a) * 9), int(cy - std::sin(a) * 8), AGP_GREEN_DARK);
  }
  ag_outline(&pad, AGP_GREEN_DARK);
  ag_blit(&c, &pad, 0, 0);
  // A pink water lily on the upper left of the pad.
  ag_ellipse(&c, 11, 11.5, 3.2, 2.4, AGP_PINK);
  ag_ellipse(&c, 11, 11, 2.2, 1.5, AGP_PINK_LIGHT);
  ag_set(&c, 8, 10, AGP_PINK);
  ag_set(&c, 14, 10, AGP_PINK);
  ag_set(&c, 11, 8, AGP_PINK_LIGHT);
  ag_set(&c, 11, 11, AGP_YELLOW);
  ag_set(&c, 10, 11, AGP_YELLOW);
  return c;
}

// Grass meeting water along one edge: a strip of sand with a wet line.
AG_CANVAS bank_floor(bool far) {
  AG_CANVAS c = grass_floor(91);
  for (int x = 0; x < kT; x++) {
    const int depth = 6 + int(2.5 * std::sin(2 * kPi * x / kT * 2) + 1.2 * std::sin(2 * kPi * x / kT * 3 + 1));
    for (int k = 0; k < depth; k++) {
      const int y = far ? k : kT - 1 - k;
      AG_RGBA col = k < 2 ? AGP_SAND_DARK : AGP_SAND;
      if (k == depth - 1) col = AGP_SAND_LIGHT;
      if (k >= 2 && ag_rand(x, y, 92) < 0.1) col = AGP_SAND_LIGHT;
      ag_set(&c, x, y, col);
    }
    // Foam where the sand meets the water.
    if ((x / 3) % 3 != 1) ag_set(&c, x, far ? 0 : kT - 1, AGP_FOAM);
    // A dark grass edge against the sand.
    const int edge = far ? depth : kT - 1 - depth;
    ag_set(&c, x, edge, AGP_GRASS_DARK);
  }
  return c;
}

AG_CANVAS stone_floor() {
  AG_CANVAS c = ag_canvas(kT, kT, AGP_GREY1);
  // Staggered rows of rounded cobbles, each with its own shade.
  for (int row = 0; row < 4; row++)
    for (int col = -1; col < 4; col++) {
      const int x = col * 8 + (row % 2) * 4, y = row * 8;
      const double r = ag_rand(uint32_t(col + 4), uint32_t(row), 101);
      AG_RGBA base = r < 0.33 ? AGP_GREY3 : r < 0.66 ? AGP_GREY4 : AG_RGBA{134, 128, 136, 255};
      for (int j = 1; j < 7; j++)
        for (int i = 1; i < 7; i++) {
          if ((i == 1 || i == 6) && (j == 1 || j == 6)) continue;
          AG_RGBA col = base;
          if (j == 1 || i == 1) col = ag_mix(base, AGP_WHITE, 0.35);
          if (j == 6 || i == 6) col = ag_mix(base, AGP_GREY1, 0.5);
          ag_set(&c, (x + i + kT) % kT, y + j, col);
        }
    }
  return c;
}

AG_CANVAS sand_floor() {
  AG_CANVAS c = ag_canvas(kT, kT);
  ground(&c, 111, AGP_SAND_DARK, AGP_SAND, AGP_SAND_LIGHT, 0.18, 0.75);
  // Wind ripples: whole waves across the cell.
  for (int x = 0; x < kT; x++)
    for (int k = 0; k < 4; k++) {
      const int y = k * 8 + 3 + int(std::lround(1.5 * std::sin(2 * kPi * x / kT + k)));
      ag_set(&c, x, y, AGP_SAND_DARK);
      ag_set(&c, x, y - 1, AGP_SAND_LIGHT);
    }
  // A small pink shell.
  ag_ellipse(&c, 22, 21, 2.5, 2, AGP_PINK);
  ag_set(&c, 21, 20, AGP_PINK_LIGHT);
  ag_line(&c, 22, 19, 22, 22, AGP_RED_DARK);
  return c;
}

AG_CANVAS dock_floor() {
  AG_CANVAS c = ag_canvas(kT, kT);
  // Four planks across the cell, each with grain and its ends offset.
  for (int p = 0; p < 4; p++) {
    const int y0 = p * 8;
    const int joint = int(ag_hash(p, 0, 121) % 24) + 4;
    for (int y = y0; y < y0 + 8; y++)
      for (int x = 0; x < kT; x++) {
        const double g = ag_noise(x * 0.25, y * 2.0, 2, 122 + p, 0);
        AG_RGBA col = g < 0.3 ? AGP_WOOD_DARK : g > 0.72 ? AGP_WOOD_LIGHT : AGP_WOOD;
        if (y == y0) col = AGP_WOOD_LIGHT;
        if (y == y0 + 7) col = AGP_EARTH_DARK;
        if (x == joint) col = AGP_EARTH_DARK;
        ag_set(&c, x, y, col);
      }
    ag_set(&c, joint - 2, y0 + 2, AGP_GREY4);
    ag_set(&c, joint - 2, y0 + 5, AGP_GREY4);
    ag_set(&c, joint + 2, y0 + 2, AGP_GREY4);
    ag_set(&c, joint + 2, y0 + 5, AGP_GREY4);
  }
  return c;
}

AG_CANVAS mud_floor() {
  AG_CANVAS c = ag_canvas(kT, kT);
  ground(&c, 131, AGP_EARTH_DARK, AGP_EARTH, AGP_WOOD, 0.35, 0.8);
  const int puddles[2][2] = {{9, 10}, {22, 23}};
  for (const auto& p : puddles) {
    ag_ellipse(&c, p[0], p[1], 4.5, 2.2, AGP_EARTH_DARK);
    ag_ellipse(&c, p[0], p[1] + 0.3, 3.6, 1.5, AGP_WATER_DEEP);
    ag_set(&c, p[0] - 1, p[1] - 1, AGP_WATER_LIGHT);
    ag_set(&c, p[0], p[1] - 1, AGP_WATER_LIGHT);
  }
  return c;
}

AG_CANVAS ice_floor() {
  AG_CANVAS c = ag_canvas(kT, kT);
  ground(&c, 141, AGP_GLASS, AGP_ICE, AGP_GLASS_LIGHT, 0.3, 0.7);
  ag_line(&c, 3, 5, 12, 11, AGP_WHITE);
  ag_line(&c, 12, 11, 10, 20, AGP_WHITE);
  ag_line(&c, 12, 11, 24, 14, AGP_WHITE);
  ag_line(&c, 24, 14, 28, 25, AGP_WHITE);
  ag_set(&c, 20, 4, AGP_WHITE);
  ag_set(&c, 6, 26, AGP_WHITE);
  return c;
}

AG_CANVAS snow_floor() {
  AG_CANVAS c = ag_canvas(kT, kT);
  ground(&c, 151, AGP_GREY5, AGP_WHITE, AGP_WHITE, 0.3, 2.0);
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++)
      if (ag_noise(x, y, 8, 152, 4) < 0.22) ag_set(&c, x, y, AGP_ICE);
  for (int i = 0; i < 5; i++) {
    const int x = 2 + int(ag_hash(i, 1, 153) % 28), y = 2 + int(ag_hash(i, 2, 153) % 28);
    flower(&c, x, y, AGP_GLASS_LIGHT, AGP_WHITE);
  }
  return c;
}

// ---------------------------------------------------------------- walls
AG_CANVAS brick_wall() {
  AG_CANVAS c = ag_canvas(kT, kT, AGP_GREY4);
  for (int row = 0; row < 4; row++)
    for (int b = -1; b < 2; b++) {
      const int x = b * 16 + (row % 2) * 8, y = row * 8;
      const double r = ag_rand(uint32_t(b + 2), uint32_t(row), 161);
      const AG_RGBA base = r < 0.3 ? AGP_BRICK_DARK : r < 0.8 ? AGP_BRICK : AGP_BRICK_LIGHT;
      for (int j = 0; j < 7; j++)
        for (int i = 0; i < 15; i++) {
          AG_RGBA col = base;
          if (j == 0) col = ag_mix(base, AGP_WHITE, 0.2);
          if (j == 6) col = ag_mix(base, AGP_INK, 0.3);
          ag_set(&c, (x + i + kT) % kT, y + j, col);
        }
    }
  return c;
}

AG_CANVAS stone_wall() {
  AG_CANVAS c = ag_canvas(kT, kT, AGP_GREY1);
  const int widths[4][3] = {{12, 10, 10}, {8, 14, 10}, {10, 10, 12}, {14, 8, 10}};
  for (int row = 0; row < 4; row++) {
    int x = (row * 5) % 7;
    for (int b = 0; b < 3; b++) {
      const int w = widths[row][b];
      const AG_RGBA base = ag_rand(uint32_t(b), uint32_t(row), 171) < 0.5 ? AGP_GREY3 : AGP_GREY4;
      for (int j = 1; j < 8; j++)
        for (int i = 1; i < w; i++) {
          AG_RGBA col = base;
          if (j == 1) col = AGP_GREY5;
          if (j == 7 || i == w - 1) col = AGP_GREY2;
          ag_set(&c, (x + i) % kT, row * 8 + j, col);
        }
      x += w;
    }
  }
  return c;
}

AG_CANVAS wood_wall() {
  AG_CANVAS c = ag_canvas(kT, kT);
  for (int b = 0; b < 4; b++)
    for (int y = 0; y < kT; y++)
      for (int x = b * 8; x < b * 8 + 8; x++) {
        const double g = ag_noise(x * 2.0, y * 0.25, 2, 181 + b, 0);
        AG_RGBA col = g < 0.3 ? AGP_WOOD_DARK : g > 0.7 ? AGP_WOOD_LIGHT : AGP_WOOD;
        if (x == b * 8) col = AGP_WOOD_LIGHT;
        if (x == b * 8 + 7) col = AGP_EARTH_DARK;
        ag_set(&c, x, y, col);
      }
  for (int b = 0; b < 4; b++) {
    ag_set(&c, b * 8 + 3, 4, AGP_GREY4);
    ag_set(&c, b * 8 + 3, 27, AGP_GREY4);
  }
  return c;
}

AG_CANVAS hedge_wall() {
  AG_CANVAS c = ag_canvas(kT, kT, AGP_LEAF_DARK);
  for (int i = 0; i < 70; i++) {
    const int x = int(ag_hash(i, 1, 191) % kT), y = int(ag_hash(i, 2, 191) % kT);
    const AG_RGBA col = i % 3 ? AGP_GRASS : AGP_GRASS_LIGHT;
    for (int dy = -1; dy <= 1; dy++)
      for (int dx = -1; dx <= 1; dx++)
        if (dx == 0 || dy == 0) ag_set(&c, (x + dx + kT) % kT, (y + dy + kT) % kT, col);
    ag_set(&c, x, y, i % 3 ? AGP_GRASS_LIGHT : AGP_GRASS_HI);
  }
  return c;
}

AG_CANVAS earth_wall() {
  AG_CANVAS c = ag_canvas(kT, kT);
  ground(&c, 201, AGP_EARTH_DARK, AGP_EARTH, AGP_WOOD, 0.3, 0.78);
  // Layers and pebbles.
  for (int x = 0; x < kT; x++) ag_set(&c, x, 18 + int(std::lround(std::sin(2 * kPi * x / kT) * 1.5)), AGP_EARTH_DARK);
  for (int i = 0; i < 6; i++) {
    const int x = int(ag_hash(i, 1, 202) % 30) + 1, y = 10 + int(ag_hash(i, 2, 202) % 20);
    ag_set(&c, x, y, AGP_GREY3);
    ag_set(&c, x + 1, y, AGP_GREY4);
  }
  // A root hanging down.
  ag_line(&c, 9, 5, 11, 12, AGP_WOOD_LIGHT);
  ag_line(&c, 11, 12, 10, 15, AGP_WOOD_LIGHT);
  // The grass fringe on top, blades hanging over the edge.
  for (int x = 0; x < kT; x++) {
    const int len = 3 + int(ag_hash(x, 0, 203) % 3);
    for (int y = 0; y < len; y++) ag_set(&c, x, y, y == 0 ? AGP_GRASS_LIGHT : y == len - 1 ? AGP_GRASS_DARK : AGP_GRASS);
  }
  return c;
}

AG_CANVAS kerb_wall() {
  AG_CANVAS c = ag_canvas(kT, kT);
  for (int y = 0; y < kT; y++)
    for (int x = 0; x < kT; x++) {
      const double n = ag_noise(x, y, 4, 211, 8);
      ag_set(&c, x, y, n < 0.3 ? AGP_GREY3 : AGP_GREY4);
    }
  ag_rect(&c, 0, 0, kT, 2, AGP_GREY5);
  ag_rect(&c, 15, 0, 1, kT, AGP_GREY2);
  ag_rect(&c, 31, 0, 1, kT, AGP_GREY2);
  return c;
}

}  // namespace

AG_CANVAS ag_floor_art(const char* name) {
  const std::string n = name;
  if (n == "grass") return grass_floor(11);
  if (n == "road") return road_floor();
  if (n == "pavement") return pavement_floor();
  if (n == "road_line") {
    AG_CANVAS c = road_floor();
    ag_rect(&c, 4, 0, 24, 2, AGP_PAINT);
    return c;
  }
  if (n == "verge_s") {
    AG_CANVAS c = grass_floor(20);
    kerb_band(&c, false);
    return c;
  }
  if (n == "bank_n") return bank_floor(true);
  if (n == "bank_s") return bank_floor(false);
  if (n.size() == 7 && n.compare(0, 5, "water") == 0) return water_floor((n[5] - '0') * 10 + (n[6] - '0'), 6);
  return ag_canvas(0, 0);
}

void ag_floors_make(AG_OUTPUT* out) {
  ag_emit_png(out, "gfx/grass.png", grass_floor(11), AG_OPAQUE);
  {
    AG_CANVAS c = grass_floor(12);
    for (int i = 0; i < 7; i++) {
      const int x = 3 + int(ag_hash(i, 1, 13) % 26), y = 3 + int(ag_hash(i, 2, 13) % 26);
      flower(&c, x, y, i % 2 ? AGP_WHITE : AGP_YELLOW_LIGHT, i % 2 ? AGP_YELLOW : AGP_ORANGE);
    }
    ag_emit_png(out, "gfx/grass2.png", c, AG_OPAQUE);
  }
  {
    AG_CANVAS c = grass_floor(14);
    for (int i = 0; i < 5; i++) {
      const int x = 3 + int(ag_hash(i, 1, 15) % 26), y = 3 + int(ag_hash(i, 2, 15) % 26);
      ag_set(&c, x, y, AGP_GRASS_HI);
      ag_set(&c, x + 1, y, AGP_GRASS_HI);
      ag_set(&c, x, y + 1, AGP_GRASS_HI);
      ag_set(&c, x + 1, y + 1, AGP_GRASS_DARK);
    }
    ag_ellipse(&c, 22, 9, 2.5, 1.8, AGP_GREY4);
    ag_set(&c, 21, 8, AGP_GREY5);
    ag_set(&c, 23, 10, AGP_GREY3);
    ag_emit_png(out, "gfx/grass3.png", c, AG_OPAQUE);
  }
  {
    AG_CANVAS c = ag_canvas(kT, kT);
    ground(&c, 16, AGP_DRY_DARK, AGP_DRY, AGP_DRY_LIGHT, 0.33, 0.7);
    blades(&c, 17, 30, AGP_DRY_LIGHT, AGP_DRY_DARK);
    for (int i = 0; i < 6; i++) {
      const int x = 3 + int(ag_hash(i, 1, 18) % 26), y = 3 + int(ag_hash(i, 2, 18) % 26);
      const AG_RGBA leaf = i % 3 == 0 ? AGP_RED : i % 3 == 1 ? AGP_ORANGE : AGP_YELLOW_DARK;
      ag_set(&c, x, y, leaf);
      ag_set(&c, x + 1, y, leaf);
      ag_set(&c, x + 1, y + 1, leaf);
      ag_set(&c, x, y + 1, AGP_WOOD_DARK);
    }
    ag_emit_png(out, "gfx/grass_dry.png", c, AG_OPAQUE);
  }
  ag_emit_png(out, "gfx/snow.png", snow_floor(), AG_OPAQUE);
  {
    AG_CANVAS c = grass_floor(19);
    kerb_band(&c, true);
    ag_emit_png(out, "gfx/verge_n.png", c, AG_OPAQUE);
    c = grass_floor(20);
    kerb_band(&c, false);
    ag_emit_png(out, "gfx/verge_s.png", c, AG_OPAQUE);
  }
  ag_emit_png(out, "gfx/pavement.png", pavement_floor(), AG_OPAQUE);
  {
    AG_CANVAS c = pavement_floor();
    kerb_band(&c, true);
    ag_emit_png(out, "gfx/kerb_n.png", c, AG_OPAQUE);
    c = pavement_floor();
    kerb_band(&c, false);
    ag_emit_png(out, "gfx/kerb_s.png", c, AG_OPAQUE);
  }
  ag_emit_png(out, "gfx/road.png", road_floor(), AG_OPAQUE);
  {
    AG_CANVAS c = road_floor();
    ag_rect(&c, 4, 0, 24, 2, AGP_PAINT);
    ag_emit_png(out, "gfx/road_line.png", c, AG_OPAQUE);
    c = road_floor();
    ag_rect(&c, 0, 1, kT, 2, AGP_PAINT);
    ag_emit_png(out, "gfx/road_edge_n.png", c, AG_OPAQUE);
    c = road_floor();
    ag_rect(&c, 0, kT - 3, kT, 2, AGP_PAINT);
    ag_emit_png(out, "gfx/road_edge_s.png", c, AG_OPAQUE);
    c = road_floor();
    ag_rect(&c, 0, 0, kT, 1, AGP_PAINT_YELLOW);
    ag_rect(&c, 0, 2, kT, 1, AGP_PAINT_YELLOW);
    ag_emit_png(out, "gfx/road_yellow.png", c, AG_OPAQUE);
    c = road_floor();
    ag_rect(&c, 3, 0, 10, kT, AGP_PAINT);
    ag_rect(&c, 19, 0, 10, kT, AGP_PAINT);
    ag_emit_png(out, "gfx/zebra.png", c, AG_OPAQUE);
  }
  constexpr int kWaterFrames = 6;
  for (int f = 0; f < kWaterFrames; f++) ag_emit_png(out, ag_frame_name("gfx/water", f), water_floor(f, kWaterFrames), AG_OPAQUE);
  ag_emit_png(out, "gfx/bank_n.png", bank_floor(true), AG_OPAQUE);
  ag_emit_png(out, "gfx/bank_s.png", bank_floor(false), AG_OPAQUE);
  for (int f = 0; f < kWaterFrames; f++) ag_emit_png(out, ag_frame_name("gfx/home", f), home_floor(f, kWaterFrames), AG_OPAQUE);
  ag_emit_png(out, "gfx/stone.png", stone_floor(), AG_OPAQUE);
  ag_emit_png(out, "gfx/sand.png", sand_floor(), AG_OPAQUE);
  ag_emit_png(out, "gfx/dock.png", dock_floor(), AG_OPAQUE);
  ag_emit_png(out, "gfx/mud.png", mud_floor(), AG_OPAQUE);
  ag_emit_png(out, "gfx/ice.png", ice_floor(), AG_OPAQUE);

  ag_emit_png(out, "gfx/wall_brick.png", brick_wall(), AG_OPAQUE);
  ag_emit_png(out, "gfx/wall_stone.png", stone_wall(), AG_OPAQUE);
  ag_emit_png(out, "gfx/wall_wood.png", wood_wall(), AG_OPAQUE);
  ag_emit_png(out, "gfx/wall_hedge.png", hedge_wall(), AG_OPAQUE);
  ag_emit_png(out, "gfx/wall_earth.png", earth_wall(), AG_OPAQUE);
  ag_emit_png(out, "gfx/wall_kerb.png", kerb_wall(), AG_OPAQUE);
}
