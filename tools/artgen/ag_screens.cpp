// Pictures of the screens outside play: the flags of the language screen and the quiet pond at night behind the language screen and the help page.
//
// The flags are drawn at their file size, 56 x 33, one per language
// abbreviation ("gfx/lngflags/flag_eng.png"), in the national colours with
// a dark frame so they stand out on any background. The background is
// drawn at 320 x 240 art pixels and written at 640 x 480; its middle is
// kept dark and plain, because text is drawn over it.
#include <cmath>

#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr int kFlagW = 56, kFlagH = 33;

// The national colours, as each flag's official RGB values give them, rounded.
constexpr AG_RGBA kUkBlue = {1, 33, 105, 255}, kUkRed = {200, 16, 46, 255};
constexpr AG_RGBA kFrBlue = {0, 85, 164, 255}, kFrRed = {239, 65, 53, 255};
constexpr AG_RGBA kDeBlack = {0, 0, 0, 255}, kDeRed = {221, 0, 0, 255}, kDeGold = {255, 206, 0, 255};
constexpr AG_RGBA kEsRed = {170, 21, 27, 255}, kEsYellow = {241, 191, 0, 255};
constexpr AG_RGBA kItGreen = {0, 140, 69, 255}, kItRed = {205, 33, 42, 255};
constexpr AG_RGBA kPtGreen = {0, 102, 0, 255}, kPtRed = {255, 0, 0, 255}, kPtYellow = {255, 221, 0, 255},
                  kPtBlue = {0, 51, 153, 255};
constexpr AG_RGBA kFlagWhite = {255, 255, 255, 255};
constexpr AG_RGBA kFrame = {24, 24, 36, 255};

AG_CANVAS vertical_tricolour(AG_RGBA a, AG_RGBA b, AG_RGBA c) {
  AG_CANVAS f = ag_canvas(kFlagW, kFlagH, b);
  ag_rect(&f, 0, 0, 19, kFlagH, a);
  ag_rect(&f, 37, 0, 19, kFlagH, c);
  return f;
}

// A band `width` pixels wide along the line from (x0, y0) to (x1, y1).
void band(AG_CANVAS* f, double x0, double y0, double x1, double y1, double width, AG_RGBA colour) {
  const double dx = x1 - x0, dy = y1 - y0, len = std::hypot(dx, dy);
  const double nx = -dy / len * width / 2, ny = dx / len * width / 2;
  const double xy[8] = {x0 + nx, y0 + ny, x1 + nx, y1 + ny, x1 - nx, y1 - ny, x0 - nx, y0 - ny};
  ag_polygon(f, xy, 4, colour);
}

// The Union Flag: the white saltire with the red one counterchanged (in
// the upper hoist the red lies below the diagonal, in the upper fly above
// it, and turned half about in the lower half), then the cross of St
// George fimbriated in white.
AG_CANVAS union_flag() {
  AG_CANVAS f = ag_canvas(kFlagW, kFlagH, kUkBlue);
  const double w = kFlagW, h = kFlagH, s = h / 30.0;  // the flag's 30 units of height
  band(&f, 0, 0, w, h, 6 * s, kFlagWhite);
  band(&f, w, 0, 0, h, 6 * s, kFlagWhite);
  const double cx = w / 2, cy = h / 2, len = std::hypot(w, h);
  // Unit normals of the two diagonals, both pointing down the flag.
  const double nx = -h / len, ny = w / len;
  const double off = 1.0 * s;
  auto arm = [&](double x1, double y1, double sx, double sy) {
    band(&f, cx + sx * off, cy + sy * off, x1 + sx * off, y1 + sy * off, 2 * s, kUkRed);
  };
  arm(0, 0, nx, ny);     // upper hoist: below
  arm(w, h, -nx, -ny);   // lower fly: above
  arm(w, 0, nx, -ny);    // upper fly: above (the other diagonal's normal points up here)
  arm(0, h, -nx, ny);    // lower hoist: below
  const int white = static_cast<int>(std::lround(10 * s)), red = static_cast<int>(std::lround(6 * s));
  ag_rect(&f, 0, (kFlagH - white) / 2, kFlagW, white, kFlagWhite);
  ag_rect(&f, (kFlagW - white) / 2, 0, white, kFlagH, kFlagWhite);
  ag_rect(&f, 0, (kFlagH - red) / 2, kFlagW, red, kUkRed);
  ag_rect(&f, (kFlagW - red) / 2, 0, red, kFlagH, kUkRed);
  return f;
}

AG_CANVAS german_flag() {
  AG_CANVAS f = ag_canvas(kFlagW, kFlagH, kDeRed);
  ag_rect(&f, 0, 0, kFlagW, 11, kDeBlack);
  ag_rect(&f, 0, 22, kFlagW, 11, kDeGold);
  return f;
}

// Spain's civil flag: red, yellow twice as wide, red.
AG_CANVAS spanish_flag() {
  AG_CANVAS f = ag_canvas(kFlagW, kFlagH, kEsYellow);
  ag_rect(&f, 0, 0, kFlagW, 8, kEsRed);
  ag_rect(&f, 0, 25, kFlagW, 8, kEsRed);
  return f;
}

// Green two fifths, red three fifths, and on the line between them the
// armillary sphere with the shield, drawn in a few pixels.
AG_CANVAS portuguese_flag() {
  AG_CANVAS f = ag_canvas(kFlagW, kFlagH, kPtRed);
  ag_rect(&f, 0, 0, 22, kFlagH, kPtGreen);
  const double cx = 22, cy = 16.5;
  ag_ellipse(&f, cx, cy, 8.5, 8.5, kPtYellow);
  ag_ellipse(&f, cx, cy, 6.5, 6.5, ag_mix(kPtGreen, kPtRed, 0.5));
  ag_rect(&f, 14, 15, 17, 2, kPtYellow);  // the sphere's band
  ag_rect(&f, 18, 11, 9, 11, kPtRed);     // the shield
  ag_rect(&f, 19, 12, 7, 8, kFlagWhite);
  ag_rect(&f, 20, 21, 5, 1, kFlagWhite);
  constexpr int kDots[5][2] = {{22, 13}, {20, 15}, {22, 15}, {24, 15}, {22, 17}};  // the five shields' blue
  for (const auto& d : kDots) ag_rect(&f, d[0], d[1], 1, 2, kPtBlue);
  return f;
}

void frame(AG_CANVAS* f) {
  for (int x = 0; x < kFlagW; x++) {
    ag_set(f, x, 0, kFrame);
    ag_set(f, x, kFlagH - 1, kFrame);
  }
  for (int y = 0; y < kFlagH; y++) {
    ag_set(f, 0, y, kFrame);
    ag_set(f, kFlagW - 1, y, kFrame);
  }
}

void flags_make(AG_OUTPUT* out) {
  struct Flag {
    const char* abbreviation;
    AG_CANVAS art;
  };
  const Flag flags[] = {
      {"eng", union_flag()},
      {"fra", vertical_tricolour(kFrBlue, kFlagWhite, kFrRed)},
      {"deu", german_flag()},
      {"esp", spanish_flag()},
      {"ita", vertical_tricolour(kItGreen, kFlagWhite, kItRed)},
      {"por", portuguese_flag()},
  };
  for (const Flag& f : flags) {
    AG_CANVAS art = f.art;
    frame(&art);
    // RGB: a flag of few colours would otherwise be a 2-bit palette picture,
    // a depth the display's bitmaps do not have.
    ag_emit_png(out, std::string("gfx/lngflags/flag_") + f.abbreviation + ".png", art, AG_RGB, 1);
  }
}

// ---------------------------------------------------------------- background

constexpr int kW = 320, kH = 240;
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// A lily pad: a disc with a notch, a lighter rim on top, maybe a flower.
void lily_pad(AG_CANVAS* c, double x, double y, double r, int flower) {
  ag_ellipse(c, x, y + 1, r, r * 0.45, {8, 30, 30, 255});
  ag_ellipse(c, x, y, r, r * 0.45, {30, 86, 52, 255});
  ag_ellipse(c, x - r * 0.15, y - r * 0.08, r * 0.8, r * 0.32, {44, 110, 62, 255});
  const double notch[6] = {x, y, x + r * 1.1, y - r * 0.2, x + r * 1.1, y + r * 0.2};
  ag_polygon(c, notch, 3, AG_CLEAR);
  if (flower) {
    ag_ellipse(c, x - r * 0.2, y - r * 0.25, r * 0.32, r * 0.22, AGP_PINK);
    ag_ellipse(c, x - r * 0.2, y - r * 0.32, r * 0.18, r * 0.14, AGP_PINK_LIGHT);
    ag_ellipse(c, x - r * 0.2, y - r * 0.26, r * 0.07, r * 0.06, AGP_YELLOW);
  }
}

// Reeds standing at the left or right edge, dark against the water.
void reeds(AG_CANVAS* c, int x0, int x1, uint32_t seed) {
  for (int x = x0; x < x1; x += 3) {
    const int top = 120 + int(ag_hash(uint32_t(x), 1, seed) % 70);
    const int lean = int(ag_hash(uint32_t(x), 2, seed) % 5) - 2;
    ag_line(c, x, kH, x + lean, top, {14, 40, 30, 255});
    if (ag_hash(uint32_t(x), 3, seed) % 3 == 0) ag_rect(c, x + lean - 1, top, 3, 9, {70, 46, 30, 255});
  }
}

AG_CANVAS pond_at_night() {
  AG_CANVAS c = ag_canvas(kW, kH);
  // Water from deep blue at the top to green-blue below, dithered.
  const AG_RGBA stops[3] = {{8, 16, 40, 255}, {12, 34, 58, 255}, {16, 50, 60, 255}};
  for (int y = 0; y < kH; y++) {
    const double t = double(y) / kH * 2;
    const int i = std::min(int(t), 1);
    for (int x = 0; x < kW; x++) ag_set(&c, x, y, (t - i) * 16 > kBayer[y & 3][x & 3] + 0.5 ? stops[i + 1] : stops[i]);
  }
  // Ripples: short light dashes on a few rows, sparse in the middle.
  for (int i = 0; i < 220; i++) {
    const int x = int(ag_hash(uint32_t(i), 1, 701) % kW), y = int(ag_hash(uint32_t(i), 2, 701) % kH);
    const double mid = std::hypot((x - kW / 2.0) / kW, (y - kH / 2.0) / kH);
    if (mid < 0.3) continue;
    const int len = 3 + int(ag_hash(uint32_t(i), 3, 701) % 6);
    ag_rect(&c, x, y, len, 1, {40, 84, 110, 255});
  }
  // The moon's reflection, a broken column of light on the right.
  for (int y = 12; y < kH - 20; y += 3) {
    const int w = 6 + int(ag_hash(uint32_t(y), 4, 701) % 8);
    ag_rect(&c, 268 - w / 2 + int(ag_hash(uint32_t(y), 5, 701) % 5) - 2, y, w, 1, {96, 120, 140, 255});
  }
  reeds(&c, 0, 28, 711);
  reeds(&c, kW - 26, kW, 712);
  lily_pad(&c, 44, 36, 16, 1);
  lily_pad(&c, 74, 22, 9, 0);
  lily_pad(&c, 270, 212, 18, 1);
  lily_pad(&c, 236, 226, 10, 0);
  lily_pad(&c, 36, 206, 12, 0);
  lily_pad(&c, 290, 40, 11, 0);
  // Fireflies.
  for (int i = 0; i < 14; i++) {
    const int x = int(ag_hash(uint32_t(i), 6, 701) % kW), y = int(ag_hash(uint32_t(i), 7, 701) % kH);
    if (std::fabs(x - kW / 2.0) < 90 && std::fabs(y - kH / 2.0) < 70) continue;
    ag_set(&c, x, y, AGP_YELLOW_LIGHT);
    ag_put(&c, x - 1, y, ag_alpha(AGP_YELLOW, 90));
    ag_put(&c, x + 1, y, ag_alpha(AGP_YELLOW, 90));
  }
  return c;
}

}  // namespace

void ag_screens_make(AG_OUTPUT* out) {
  flags_make(out);
  ag_emit_png(out, "gfx/helpback.png", pond_at_night(), AG_OPAQUE);
}
