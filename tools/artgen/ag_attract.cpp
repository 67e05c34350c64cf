// The attract sequence's pictures: the title over the board's river and road, and a how-to-play page told in pictures only, so one picture serves every language.
//
// Both are drawn at 320 x 240 art pixels and written at 640 x 480, the
// game's screen, so the game shows them without stretching.
#include <cmath>

#include "tools/artgen/ag_frog.h"
#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr int kW = 320, kH = 240;
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Tiles a floor picture over the rows y0 .. y1 - 1.
void band(AG_CANVAS* c, const char* floor, int y0, int y1, int shift = 0) {
  const AG_CANVAS t = ag_floor_art(floor);
  if (!t.width) return;
  for (int y = y0; y < y1; y++)
    for (int x = 0; x < kW; x++) ag_set(c, x, y, ag_get(&t, (x + shift) % t.width, (y - y0) % t.height));
}

// A vertical ramp through `n` colours over rows y0 .. y1 - 1, ordered-dithered.
void ramp(AG_CANVAS* c, const AG_RGBA* stops, int n, int y0, int y1) {
  for (int y = y0; y < y1; y++) {
    const double t = double(y - y0) / (y1 - y0) * (n - 1);
    const int i = std::min(int(t), n - 2);
    for (int x = 0; x < kW; x++)
      ag_set(c, x, y, (t - i) * 16 > kBayer[y & 3][x & 3] + 0.5 ? stops[i + 1] : stops[i]);
  }
}

// The frog in a pose, `scale` times its game size, its feet at (cx, base).
void big_frog(AG_CANVAS* c, int view, const AG_FROG_POSE& pose, int scale, int cx, int base, bool mirror = false) {
  AG_CANVAS f = ag_canvas(32, 32);
  ag_ellipse(&f, 16, 30.5, 10.5, 2, AGP_SHADOW);
  ag_frog_draw(&f, view, pose, 16, 30);
  if (mirror) f = ag_mirror(&f);
  const AG_CANVAS big = ag_scale(&f, scale);
  ag_blit(c, &big, cx - 16 * scale, base - 31 * scale);
}

AG_CANVAS title_picture() {
  AG_CANVAS c = ag_canvas(kW, kH);
  const AG_RGBA sky[4] = {{40, 96, 200, 255}, {66, 132, 228, 255}, {112, 176, 242, 255}, {182, 222, 250, 255}};
  ramp(&c, sky, 4, 0, 104);
  ag_ellipse(&c, 282, 24, 14, 14, AGP_YELLOW_LIGHT);
  for (const double cx : {40.0, 250.0}) {
    ag_ellipse(&c, cx, 78, 20, 7, AGP_WHITE);
    ag_ellipse(&c, cx - 9, 74, 10, 7, AGP_WHITE);
    ag_ellipse(&c, cx + 7, 72, 11, 8, AGP_WHITE);
  }
  for (int x = 0; x < kW; x++) {
    const int top = 90 + int(5 * std::sin(x * 0.04) + 3 * std::sin(x * 0.11 + 2));
    for (int y = top; y < 104; y++) ag_set(&c, x, y, y == top ? AGP_GRASS_HI : AGP_GRASS_LIGHT);
  }
  band(&c, "grass", 102, 110);
  band(&c, "bank_n", 110, 120);
  band(&c, "water03", 120, 168, 5);
  band(&c, "bank_s", 168, 178);
  band(&c, "verge_s", 178, 186);
  band(&c, "road_line", 186, 222);
  band(&c, "pavement", 222, kH);
  const AG_CANVAS log = ag_log_art();
  ag_blit(&c, &log, 20, 122);
  ag_blit(&c, &log, 150, 142);
  ag_blit(&c, &log, 250, 124);
  const AG_CANVAS car = ag_car_art();
  ag_blit(&c, &car, 30, 184);
  const AG_CANVAS left = ag_mirror(&car);
  ag_blit(&c, &left, 230, 200);
  // The frog leaps from the verge towards the river.
  big_frog(&c, AG_FROG_BACK, {6, -0.4, 1, 0, 0}, 2, 160, 214);
  const int pond = ag_title_width("POND", 6), sprint = ag_title_width("SPRINT", 6);
  ag_title_text(&c, "POND", (kW - pond) / 2, 6, 6, AGP_FROG_LIGHT, AGP_FROG, AGP_FROG_DARK);
  ag_title_text(&c, "SPRINT", (kW - sprint) / 2, 54, 6, AGP_YELLOW_LIGHT, AGP_ORANGE, AGP_RED_DARK);
  return c;
}

// A key cap with an arrow: `dir` 0 up, 1 down, 2 left, 3 right.
void key_cap(AG_CANVAS* c, int x, int y, int dir) {
  ag_round_rect(c, x, y + 2, 24, 24, AGP_GREY2);
  ag_round_rect(c, x, y, 24, 23, AGP_GREY4);
  ag_round_rect(c, x + 2, y + 2, 20, 18, AGP_GREY5);
  const double cx = x + 12, cy = y + 11;
  static constexpr double kDx[4] = {0, 0, -1, 1}, kDy[4] = {-1, 1, 0, 0};
  const double dx = kDx[dir], dy = kDy[dir];
  const double tip[6] = {cx + dx * 7, cy + dy * 7, cx - dy * 6 + dx * 0, cy + dx * 6 + dy * 0,
                         cx + dy * 6, cy - dx * 6};
  ag_polygon(c, tip, 3, AGP_INK);
  ag_thick_line(c, cx, cy, cx - dx * 7, cy - dy * 7, 3, AGP_INK);
}

void tick(AG_CANVAS* c, int x, int y) {
  ag_thick_line(c, x, y + 8, x + 6, y + 14, 4, AGP_FROG_LIGHT);
  ag_thick_line(c, x + 6, y + 14, x + 18, y, 4, AGP_FROG_LIGHT);
}

void cross(AG_CANVAS* c, int x, int y) {
  ag_thick_line(c, x, y, x + 14, y + 14, 4, AGP_RED);
  ag_thick_line(c, x + 14, y, x, y + 14, 4, AGP_RED);
}

constexpr int kTileW = 64, kTileH = 36;

// A patch of floor `name` at (x, y), framed in ink.
void floor_tile(AG_CANVAS* c, const char* name, int x, int y) {
  const AG_CANVAS t = ag_floor_art(name);
  for (int j = 0; j < kTileH && t.width; j++)
    for (int i = 0; i < kTileW; i++) ag_set(c, x + i, y + j, ag_get(&t, i % t.width, j % t.height));
  ag_rect(c, x - 1, y - 1, kTileW + 2, 1, AGP_INK);
  ag_rect(c, x - 1, y + kTileH, kTileW + 2, 1, AGP_INK);
  ag_rect(c, x - 1, y, 1, kTileH, AGP_INK);
  ag_rect(c, x + kTileW, y, 1, kTileH, AGP_INK);
}

AG_CANVAS howto_picture() {
  AG_CANVAS c = ag_canvas(kW, kH);
  const AG_RGBA night[3] = {{10, 24, 46, 255}, {14, 40, 58, 255}, {18, 54, 58, 255}};
  ramp(&c, night, 3, 0, kH);
  // Left: the arrow keys make the frog hop.
  ag_round_rect(&c, 12, 20, 140, 200, {24, 52, 70, 255});
  key_cap(&c, 70, 46, 0);
  key_cap(&c, 44, 74, 2);
  key_cap(&c, 70, 74, 1);
  key_cap(&c, 96, 74, 3);
  ag_thick_line(&c, 82, 112, 82, 128, 3, AGP_YELLOW);
  const double head[6] = {74, 126, 90, 126, 82, 136};
  ag_polygon(&c, head, 3, AGP_YELLOW);
  big_frog(&c, AG_FROG_FRONT, {0, 0, 0, 0.5, 0}, 2, 82, 206);
  // Right: what to dodge and what to take, one row each.
  ag_round_rect(&c, 164, 20, 144, 200, {24, 52, 70, 255});
  const int rows[4] = {30, 78, 126, 174};
  floor_tile(&c, "road", 176, rows[0]);
  const AG_CANVAS car = ag_car_art();
  ag_blit(&c, &car, 208 - car.width / 2, rows[0] + 18 - car.height / 2);
  cross(&c, 270, rows[0] + 11);
  floor_tile(&c, "water03", 176, rows[1]);
  ag_ellipse(&c, 208, rows[1] + 18, 8, 4, AGP_FOAM);
  ag_ellipse(&c, 208, rows[1] + 18, 5, 2, AGP_WATER_LIGHT);
  cross(&c, 270, rows[1] + 11);
  floor_tile(&c, "water03", 176, rows[2]);
  const AG_CANVAS log = ag_log_art();
  ag_blit(&c, &log, 208 - log.width / 2, rows[2] + 18 - log.height / 2);
  AG_CANVAS rider = ag_canvas(32, 32);
  ag_frog_draw(&rider, AG_FROG_BACK, {0, 0, 0, 0, 0}, 16, 30);
  ag_blit(&c, &rider, 192, rows[2]);
  tick(&c, 268, rows[2] + 10);
  floor_tile(&c, "grass", 176, rows[3]);
  const AG_CANVAS star = ag_bonus_art(7);
  ag_blit(&c, &star, 178, rows[3] + 2);
  const AG_CANVAS points = ag_bonus_art(3);
  ag_blit(&c, &points, 206, rows[3] + 2);
  tick(&c, 268, rows[3] + 10);
  return c;
}

}  // namespace

void ag_attract_make(AG_OUTPUT* out) {
  ag_emit_png(out, "gfx/title.png", title_picture(), AG_OPAQUE);
  ag_emit_png(out, "gfx/howto.png", howto_picture(), AG_OPAQUE);
}
