// Level backgrounds for the `@j` line: skies with dithered bands, sun or moon, clouds or stars, layered hills, a town skyline.
//
// Drawn at 320 x 240 art pixels and written at 640 x 480. The game raises
// the horizon to 30 % of the screen height, so every picture puts the
// foot of its hills at row 72 and dark ground below it.
#include <cmath>
#include <vector>

#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr int kW = 320, kH = 240, kHorizon = 72;
constexpr double kPi = 3.14159265358979323846;

// The 4 x 4 ordered-dither thresholds, 0..15.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

struct Hills {
  AG_RGBA colour, light;
  double top;        // highest row of the ridge
  double amplitude;  // rows the ridge rises and falls
  uint32_t seed;
  int trees;  // 1: a bumpy tree line on the ridge
};

struct Sky {
  std::vector<AG_RGBA> stops;  // top to horizon
  AG_RGBA ground_top, ground_bottom;
  double sun_x, sun_y, sun_r;
  AG_RGBA sun, glow;  // glow alpha 0: none
  int moon, stars, snow, city;
  int clouds;
  AG_RGBA cloud, cloud_shade;
  std::vector<Hills> hills;  // far to near
};

// A band of `stops` from row y0 to y1 with dithered steps between them.
void bands(AG_CANVAS* c, int y0, int y1, const std::vector<AG_RGBA>& stops) {
  const int n = int(stops.size());
  for (int y = y0; y < y1; y++) {
    const double t = double(y - y0) / double(y1 - y0) * (n - 1);
    const int i = std::min(int(t), n - 2);
    const double f = t - i;
    for (int x = 0; x < kW; x++) ag_set(c, x, y, f * 16 > kBayer[y & 3][x & 3] + 0.5 ? stops[i + 1] : stops[i]);
  }
}

void cloud(AG_CANVAS* c, double x, double y, double w, AG_RGBA col, AG_RGBA shade) {
  const double puffs[][3] = {{0, 0, 0.28}, {-0.3, 0.1, 0.2}, {0.32, 0.08, 0.22}, {-0.12, -0.12, 0.22},
                             {0.15, -0.15, 0.2}, {0.5, 0.15, 0.14}, {-0.5, 0.16, 0.13}};
  for (const auto& p : puffs) ag_ellipse(c, x + p[0] * w, y + p[1] * w * 0.5 + 1, p[2] * w, p[2] * w * 0.7, shade);
  for (const auto& p : puffs) ag_ellipse(c, x + p[0] * w, y + p[1] * w * 0.5 - 1, p[2] * w * 0.92, p[2] * w * 0.6, col);
  ag_rect(c, int(x - w * 0.6), int(y + w * 0.17), int(w * 1.2), 2, AG_CLEAR);
}

double ridge(double x, const Hills& h) {
  const double u = x / kW * 2 * kPi;
  double v = 0.55 * std::sin(u * 1.0 + h.seed) + 0.3 * std::sin(u * 2.3 + h.seed * 1.7) +
             0.15 * std::sin(u * 5.1 + h.seed * 0.3);
  if (h.trees) v += 0.18 * std::fabs(std::sin(x * 0.45 + h.seed)) + 0.08 * ag_rand(uint32_t(x / 3), 0, h.seed);
  return h.top + h.amplitude * (0.5 - 0.5 * v);
}

void hills(AG_CANVAS* c, const Hills& h) {
  for (int x = 0; x < kW; x++) {
    const int top = int(ridge(x, h));
    for (int y = top; y < kHorizon + 8; y++) ag_set(c, x, y, y < top + 2 && h.light.a ? h.light : h.colour);
  }
}

void skyline(AG_CANVAS* c) {
  int x = 0;
  uint32_t k = 0;
  while (x < kW) {
    const int w = 12 + int(ag_hash(k, 1, 601) % 18), h = 14 + int(ag_hash(k, 2, 601) % 34);
    const int top = kHorizon - h;
    ag_rect(c, x, top, w, h + 8, AGP_PURPLE_DARK);
    ag_rect(c, x, top, w, 1, AGP_PURPLE);
    if (ag_hash(k, 3, 601) % 3 == 0) ag_rect(c, x + w / 2 - 1, top - 5, 2, 5, AGP_PURPLE_DARK);  // antenna
    for (int wy = top + 3; wy < kHorizon - 2; wy += 4)
      for (int wx = x + 2; wx < x + w - 2; wx += 3)
        if (ag_rand(uint32_t(wx), uint32_t(wy), 602) < 0.35) ag_set(c, wx, wy, AGP_YELLOW_LIGHT);
    x += w + int(ag_hash(k, 4, 601) % 3);
    k++;
  }
}

AG_CANVAS paint(const Sky& s) {
  AG_CANVAS c = ag_canvas(kW, kH);
  bands(&c, 0, kHorizon, s.stops);
  bands(&c, kHorizon, kH, {s.ground_top, s.ground_bottom});
  if (s.stars) {
    for (int i = 0; i < 90; i++) {
      const int x = int(ag_hash(i, 1, 611) % kW), y = int(ag_hash(i, 2, 611) % (kHorizon - 10));
      ag_set(&c, x, y, i % 7 ? AGP_GREY5 : AGP_YELLOW_LIGHT);
      if (i % 11 == 0) {
        ag_set(&c, x - 1, y, AGP_GREY3);
        ag_set(&c, x + 1, y, AGP_GREY3);
        ag_set(&c, x, y - 1, AGP_GREY3);
        ag_set(&c, x, y + 1, AGP_GREY3);
      }
    }
  }
  if (s.glow.a)
    for (int y = 0; y < kHorizon - 4; y++)
      for (int x = 0; x < kW; x++) {
        const double d = std::hypot(x - s.sun_x, (y - s.sun_y) * 1.4) / (s.sun_r * 4);
        if (d < 1 && (1 - d) * 16 > kBayer[y & 3][x & 3] + 2) ag_put(&c, x, y, s.glow);
      }
  if (s.sun_r > 0) {
    // Drawn apart and cut at the horizon, so a low sun sets behind the land.
    AG_CANVAS sun = ag_canvas(kW, kH);
    ag_ellipse(&sun, s.sun_x, s.sun_y, s.sun_r, s.sun_r, s.sun);
    if (s.moon) {
      ag_ellipse(&sun, s.sun_x - 3, s.sun_y - 2, 2.5, 2.5, AGP_GREY4);
      ag_ellipse(&sun, s.sun_x + 4, s.sun_y + 3, 1.8, 1.8, AGP_GREY4);
      ag_ellipse(&sun, s.sun_x + 1, s.sun_y - 5, 1.2, 1.2, AGP_GREY4);
    }
    for (int y = kHorizon - 4; y < kH; y++)
      for (int x = 0; x < kW; x++) ag_set(&sun, x, y, AG_CLEAR);
    ag_blit(&c, &sun, 0, 0);
  }
  for (int i = 0; i < s.clouds; i++) {
    const double x = 30 + (i * 97 + int(ag_hash(i, 1, 621) % 40)) % (kW - 40), y = 12 + (i * 13) % 34;
    cloud(&c, x, y, 34 + ag_hash(i, 2, 621) % 22, s.cloud, s.cloud_shade);
  }
  if (s.city) skyline(&c);
  for (const Hills& h : s.hills) hills(&c, h);
  if (s.snow)
    for (int i = 0; i < 160; i++) {
      const int x = int(ag_hash(i, 1, 631) % kW), y = int(ag_hash(i, 2, 631) % kH);
      ag_set(&c, x, y, AGP_WHITE);
      if (i % 4 == 0) ag_set(&c, x + 1, y, AGP_GREY5);
    }
  return c;
}

}  // namespace

void ag_backgrounds_make(AG_OUTPUT* out) {
  const AG_RGBA none = AG_CLEAR;
  Sky dawn = {{{58, 52, 120, 255}, {120, 74, 150, 255}, {214, 112, 146, 255}, {250, 170, 120, 255}, {255, 214, 150, 255}},
              {64, 70, 96, 255}, {30, 34, 52, 255},
              220, 54, 14, AGP_YELLOW_LIGHT, ag_alpha(AGP_ORANGE_LIGHT, 120), 0, 0, 0, 0,
              3, {255, 200, 190, 255}, {214, 130, 150, 255},
              {{{150, 110, 160, 255}, none, 46, 18, 3, 0}, {{96, 80, 130, 255}, none, 56, 14, 7, 1},
               {{54, 58, 92, 255}, none, 62, 10, 11, 1}}};
  ag_emit_png(out, "gfx/bg_dawn.png", paint(dawn), AG_OPAQUE);

  Sky day = {{{52, 112, 214, 255}, {84, 148, 236, 255}, {130, 190, 246, 255}, {190, 226, 252, 255}},
             {46, 96, 64, 255}, {22, 52, 40, 255},
             262, 20, 11, AGP_YELLOW_LIGHT, ag_alpha(AGP_WHITE, 110), 0, 0, 0, 0,
             4, AGP_WHITE, {190, 210, 236, 255},
             {{{120, 180, 150, 255}, none, 44, 18, 3, 0}, {{70, 150, 96, 255}, {110, 180, 110, 255}, 54, 14, 5, 1},
              {{40, 110, 70, 255}, {70, 140, 84, 255}, 62, 10, 9, 1}}};
  ag_emit_png(out, "gfx/bg_day.png", paint(day), AG_OPAQUE);

  Sky dusk = {{{40, 24, 80, 255}, {96, 40, 120, 255}, {186, 64, 110, 255}, {240, 120, 70, 255}, {255, 180, 80, 255}},
              {40, 30, 56, 255}, {16, 12, 26, 255},
              110, 62, 20, {255, 200, 90, 255}, ag_alpha(AGP_ORANGE, 140), 0, 0, 0, 0,
              2, {250, 150, 120, 255}, {180, 80, 110, 255},
              {{{120, 56, 110, 255}, none, 48, 16, 13, 0}, {{70, 36, 84, 255}, none, 56, 12, 17, 1},
               {{36, 22, 52, 255}, none, 63, 9, 19, 1}}};
  ag_emit_png(out, "gfx/bg_dusk.png", paint(dusk), AG_OPAQUE);

  Sky night = {{{8, 10, 34, 255}, {16, 24, 62, 255}, {30, 44, 96, 255}, {50, 66, 124, 255}},
               {16, 28, 40, 255}, {6, 10, 18, 255},
               70, 24, 10, {236, 236, 210, 255}, ag_alpha({150, 170, 220, 255}, 70), 1, 1, 0, 0,
               1, {70, 80, 120, 255}, {44, 52, 90, 255},
               {{{36, 48, 86, 255}, none, 48, 16, 23, 0}, {{20, 36, 56, 255}, none, 56, 12, 29, 1},
                {{10, 22, 32, 255}, none, 63, 9, 31, 1}}};
  ag_emit_png(out, "gfx/bg_night.png", paint(night), AG_OPAQUE);

  Sky autumn = {{{96, 140, 200, 255}, {150, 180, 210, 255}, {214, 210, 190, 255}, {244, 224, 170, 255}},
                {92, 60, 36, 255}, {40, 26, 18, 255},
                250, 26, 10, AGP_YELLOW_LIGHT, ag_alpha(AGP_WHITE, 90), 0, 0, 0, 0,
                3, AGP_WHITE, {214, 200, 190, 255},
                {{{190, 150, 110, 255}, none, 44, 18, 37, 0}, {{210, 110, 46, 255}, {240, 160, 70, 255}, 54, 14, 41, 1},
                 {{150, 56, 36, 255}, {196, 90, 50, 255}, 62, 10, 43, 1}}};
  ag_emit_png(out, "gfx/bg_autumn.png", paint(autumn), AG_OPAQUE);

  Sky winter = {{{96, 110, 146, 255}, {130, 146, 178, 255}, {170, 184, 206, 255}, {206, 216, 230, 255}},
                {176, 190, 210, 255}, {96, 110, 140, 255},
                0, 0, 0, AG_CLEAR, AG_CLEAR, 0, 0, 1, 0,
                3, {226, 232, 240, 255}, {176, 186, 206, 255},
                {{{196, 206, 224, 255}, none, 44, 18, 47, 0}, {{226, 234, 244, 255}, AGP_WHITE, 54, 14, 53, 0},
                 {{70, 100, 96, 255}, {230, 236, 244, 255}, 62, 10, 59, 1}}};
  ag_emit_png(out, "gfx/bg_winter.png", paint(winter), AG_OPAQUE);

  Sky city = {{{30, 30, 84, 255}, {80, 48, 120, 255}, {170, 80, 120, 255}, {240, 140, 90, 255}},
              {34, 30, 50, 255}, {14, 12, 24, 255},
              60, 50, 14, {255, 190, 110, 255}, ag_alpha(AGP_ORANGE, 100), 0, 0, 0, 1,
              2, {230, 140, 130, 255}, {160, 80, 120, 255},
              {{{40, 34, 62, 255}, none, 64, 8, 61, 1}}};
  ag_emit_png(out, "gfx/bg_city.png", paint(city), AG_OPAQUE);
}
