// The splash picture: the title in big block letters over a sky, a river with a log, the frog on the verge and a road with a car.
//
// Drawn at 200 x 120 art pixels and written at 400 x 240 as plain RGB (the
// splash window copies 24-bit pictures as they are).
#include <cmath>

#include "tools/artgen/ag_font.h"
#include "tools/artgen/ag_frog.h"
#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr int kW = 200, kH = 120;
constexpr int kBlock = 3;  // art pixels a font pixel

// Tiles a floor picture over a band of rows.
void band(AG_CANVAS* c, const char* floor, int y0, int y1, int shift = 0) {
  const AG_CANVAS t = ag_floor_art(floor);
  if (!t.width) return;
  for (int y = y0; y < y1; y++)
    for (int x = 0; x < kW; x++) ag_set(c, x, y, ag_get(&t, (x + shift) % t.width, (y - y0) % t.height));
}

int text_width(const char* s) { return ag_title_width(s, kBlock); }

}  // namespace

int ag_title_width(const char* s, int block) {
  return int(std::char_traits<char>::length(s)) * (AG_FONT_WIDTH + 1) * block - block;
}

// Each font pixel a block, filled with a vertical ramp from `top` to
// `bottom`, outlined in ink, with a dark extrusion below right.
void ag_title_text(AG_CANVAS* c, const char* s, int x0, int y0, int block, AG_RGBA top, AG_RGBA bottom,
                   AG_RGBA side) {
  const auto font = ag_font_bytes();
  const int w = c->width, h = c->height, advance = (AG_FONT_WIDTH + 1) * block;
  AG_CANVAS face = ag_canvas(w, h);
  for (int i = 0; s[i]; i++) {
    const int g = ag_font_glyph(static_cast<unsigned char>(s[i]));
    if (g < 0) continue;
    for (int r = 0; r < AG_FONT_ROWS; r++)
      for (int col = 0; col < AG_FONT_WIDTH; col++)
        if (font[size_t(g) * AG_FONT_ROWS + size_t(r)] & (1 << (4 - col))) {
          const double t = double(r) / (AG_FONT_ROWS - 1);
          ag_rect(&face, x0 + i * advance + col * block, y0 + r * block, block, block, ag_mix(top, bottom, t));
        }
  }
  // A white glint on the top-left of every block that has none above it.
  AG_CANVAS lit = face;
  for (int y = 1; y < h; y++)
    for (int x = 0; x < w; x++)
      if (ag_get(&face, x, y).a && !ag_get(&face, x, y - 1).a) ag_set(&lit, x, y, ag_mix(top, AGP_WHITE, 0.6));
  AG_CANVAS depth = ag_canvas(w, h);
  for (int d = block; d >= 1; d--) ag_blit(&depth, &face, d, d);
  for (AG_RGBA& p : depth.px)
    if (p.a) p = side;
  ag_blit(&depth, &lit, 0, 0);
  ag_outline(&depth, AGP_INK, true);
  ag_blit(c, &depth, 0, 0);
}

void ag_splash_make(AG_OUTPUT* out) {
  AG_CANVAS c = ag_canvas(kW, kH);
  // Sky in dithered bands, a sun and two clouds, far hills.
  const AG_RGBA sky[4] = {{52, 112, 214, 255}, {84, 148, 236, 255}, {130, 190, 246, 255}, {190, 226, 252, 255}};
  constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  for (int y = 0; y < 60; y++) {
    const double t = y / 60.0 * 3;
    const int i = std::min(int(t), 2);
    for (int x = 0; x < kW; x++) ag_set(&c, x, y, (t - i) * 16 > kBayer[y & 3][x & 3] + 0.5 ? sky[i + 1] : sky[i]);
  }
  ag_ellipse(&c, 176, 14, 9, 9, AGP_YELLOW_LIGHT);
  for (const double cx : {30.0, 150.0}) {
    ag_ellipse(&c, cx, 40, 14, 5, AGP_WHITE);
    ag_ellipse(&c, cx - 6, 37, 7, 5, AGP_WHITE);
    ag_ellipse(&c, cx + 5, 36, 8, 6, AGP_WHITE);
  }
  for (int x = 0; x < kW; x++) {
    const int top = 50 + int(4 * std::sin(x * 0.05) + 2 * std::sin(x * 0.13 + 1));
    for (int y = top; y < 60; y++) ag_set(&c, x, y, y == top ? AGP_GRASS_HI : AGP_GRASS_LIGHT);
  }
  // The far bank, the river with a log, the near bank, the verge, the road, the pavement.
  band(&c, "grass", 58, 62);
  band(&c, "water03", 62, 80, 7);
  band(&c, "bank_n", 80, 90);
  band(&c, "verge_s", 90, 94, 0);
  for (int x = 0; x < kW; x++) {
    for (int y = 90; y < 94; y++) ag_set(&c, x, y, ag_get(&c, x, y));
  }
  band(&c, "road_line", 94, 112);
  band(&c, "pavement", 112, 120);
  const AG_CANVAS log = ag_log_art();
  ag_blit(&c, &log, 18, 62);
  const AG_CANVAS car = ag_car_art();
  ag_blit(&c, &car, 8, 86);
  // The frog, twice the game's size, sitting on the verge, looking at us.
  AG_CANVAS frog = ag_canvas(32, 32);
  ag_ellipse(&frog, 16, 30.5, 10.5, 2, AGP_SHADOW);
  ag_frog_draw(&frog, AG_FROG_FRONT, {0, 0, 0, 0.4, 0}, 16, 30);
  const AG_CANVAS big = ag_scale(&frog, 2);
  ag_blit(&c, &big, 120, 42);
  ag_title_text(&c, "POND", (kW - text_width("POND")) / 2 - 30, 4, kBlock, AGP_FROG_LIGHT, AGP_FROG, AGP_FROG_DARK);
  ag_title_text(&c, "SPRINT", (kW - text_width("SPRINT")) / 2 - 10, 30, kBlock, AGP_YELLOW_LIGHT, AGP_ORANGE,
                AGP_RED_DARK);
  ag_emit_png(out, "gfx/splash.png", c, AG_RGB);
}
