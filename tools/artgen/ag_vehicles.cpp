// Traffic: five cars, a lorry, a bus and a tractor, each seen from behind, from the front and from both sides, two frames each.
//
// The four views of a vehicle share one canvas (the sprite has one size in
// the world): side views fill it, front and back views stand centred in
// it, as wide as a lane. Wheels touch the bottom row. Frame 1 turns the
// wheels and bounces the body by one art pixel.
#include <cmath>
#include <functional>

#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Paint {
  AG_RGBA dark, base, light;
};

constexpr Paint kRed = {AGP_RED_DARK, AGP_RED, AGP_RED_LIGHT};
constexpr Paint kYellow = {AGP_YELLOW_DARK, AGP_YELLOW, AGP_YELLOW_LIGHT};
constexpr Paint kBlue = {AGP_BLUE_DARK, AGP_BLUE, AGP_BLUE_LIGHT};
constexpr Paint kPink = {AGP_RED_DARK, AGP_PINK, AGP_PINK_LIGHT};
constexpr Paint kWhite = {AGP_GREY3, AGP_GREY5, AGP_WHITE};
constexpr Paint kOrange = {AGP_ORANGE_DARK, AGP_ORANGE, AGP_ORANGE_LIGHT};
constexpr Paint kGreen = {AGP_GREEN_DARK, AGP_GREEN, AGP_GREEN_LIGHT};
constexpr Paint kCream = {AGP_SAND_DARK, AGP_SAND_LIGHT, AGP_WHITE};

enum View { kUp = 0, kDown = 1, kRight = 2, kLeft = 3 };
constexpr const char* kViewNames[4] = {"up", "down", "right", "left"};

// A wheel seen from the side: tyre, rim and a hub whose spokes turn 45
// degrees between frames.
void side_wheel(AG_CANVAS* c, double x, double bottom, double r, int frame) {
  const double y = bottom - r;
  ag_ellipse(c, x, y, r, r, AGP_INK);
  ag_ellipse(c, x, y, r * 0.62, r * 0.62, AGP_GREY3);
  ag_ellipse(c, x, y, r * 0.62 - 1, r * 0.62 - 1, AGP_GREY4);
  for (int k = 0; k < 2; k++) {
    const double a = kPi / 4 * frame + kPi / 2 * k;
    ag_line(c, int(x + std::cos(a) * r * 0.55), int(y + std::sin(a) * r * 0.55), int(x - std::cos(a) * r * 0.55),
            int(y - std::sin(a) * r * 0.55), AGP_GREY2);
  }
  ag_ellipse(c, x, y, 1.2, 1.2, AGP_GREY5);
}

// A tyre seen from the front or back: a dark block with a tread line that moves.
void end_wheel(AG_CANVAS* c, int x, int bottom, int w, int h, int frame) {
  ag_round_rect(c, x, bottom - h, w, h, AGP_INK);
  for (int y = bottom - h + 1 + frame; y < bottom - 1; y += 2) ag_rect(c, x + 1, y, w - 2, 1, AGP_GREY1);
}

// Shaded slab: a light top row, the base, a dark bottom band.
void slab(AG_CANVAS* c, int x, int y, int w, int h, const Paint& p) {
  ag_round_rect(c, x, y, w, h, p.base);
  ag_rect(c, x + 1, y, w - 2, 1, p.light);
  ag_rect(c, x + 1, y + h - 2, w - 2, 2, p.dark);
}

void glass(AG_CANVAS* c, const double* xy, int n) {
  ag_polygon(c, xy, n, AGP_GLASS);
  // A diagonal glint across the glass.
  double minx = xy[0], maxx = xy[0], miny = xy[1], maxy = xy[1];
  for (int i = 1; i < n; i++) {
    minx = std::fmin(minx, xy[2 * i]);
    maxx = std::fmax(maxx, xy[2 * i]);
    miny = std::fmin(miny, xy[2 * i + 1]);
    maxy = std::fmax(maxy, xy[2 * i + 1]);
  }
  AG_CANVAS mask = ag_canvas(c->width, c->height);
  ag_polygon(&mask, xy, n, AGP_WHITE);
  for (int y = int(miny); y <= int(maxy); y++)
    for (int x = int(minx); x <= int(maxx); x++) {
      if (!ag_get(&mask, x, y).a) continue;
      const double t = (x - minx) + (y - miny);
      if (std::fmod(t, 11.0) < 2.0) ag_set(c, x, y, AGP_GLASS_LIGHT);
      else if (y >= maxy - 1) ag_set(c, x, y, AGP_GLASS_DARK);
    }
}

// ---------------------------------------------------------------- cars (64 x 32)
struct CarStyle {
  Paint body;
  int roof;        // top row of the cabin
  int cabin_back;  // x where the cabin starts (side view, facing right)
  int cabin_front;
  int belt;        // top row of the lower body
  int low;         // 1: sports car (long bonnet, small cabin)
};

void car_side(AG_CANVAS* c, const CarStyle& s, int frame) {
  const int bob = frame;  // body one pixel up on frame 1
  const Paint& p = s.body;
  ag_ellipse(c, 32, 31, 28, 1.5, AGP_SHADOW);
  // Cabin with its windows, then the lower body.
  const double cab[] = {double(s.cabin_back), double(s.belt - bob), double(s.cabin_back + 6), double(s.roof - bob),
                        double(s.cabin_front - 7), double(s.roof - bob), double(s.cabin_front), double(s.belt - bob)};
  ag_polygon(c, cab, 4, p.base);
  ag_rect(c, s.cabin_back + 6, s.roof - bob, s.cabin_front - s.cabin_back - 13, 1, p.light);
  const double mid = (s.cabin_back + s.cabin_front) / 2.0 + 1;
  const double back_win[] = {s.cabin_back + 3.0, double(s.belt - bob), s.cabin_back + 7.5, s.roof + 2.0 - bob,
                             mid - 1, s.roof + 2.0 - bob, mid - 1, double(s.belt - bob)};
  const double front_win[] = {mid + 1, double(s.belt - bob), mid + 1, s.roof + 2.0 - bob,
                              s.cabin_front - 8.0, s.roof + 2.0 - bob, s.cabin_front - 3.5, double(s.belt - bob)};
  glass(c, back_win, 4);
  glass(c, front_win, 4);
  slab(c, 2, s.belt - bob, 60, 27 - s.belt, p);
  // Bonnet slope at the front and boot at the back.
  ag_set(c, 61, s.belt - bob, AG_CLEAR);
  ag_set(c, 2, s.belt - bob, AG_CLEAR);
  // Wheel arches, door line and handle, lights and bumpers.
  ag_ellipse(c, 14, 27, 6.5, 5.5, p.dark);
  ag_ellipse(c, 50, 27, 6.5, 5.5, p.dark);
  ag_line(c, int(mid), s.belt - bob + 1, int(mid), 24 - bob, p.dark);
  ag_rect(c, int(mid) + 2, s.belt - bob + 2, 3, 1, p.dark);
  ag_rect(c, 60, s.belt + 2 - bob, 2, 3, AGP_YELLOW_LIGHT);
  ag_rect(c, 2, s.belt + 2 - bob, 2, 3, AGP_RED);
  ag_rect(c, 0, 24 - bob, 5, 2, AGP_GREY4);
  ag_rect(c, 59, 24 - bob, 5, 2, AGP_GREY4);
  side_wheel(c, 14, 32, 5, frame);
  side_wheel(c, 50, 32, 5, frame);
}

// Front (down) or back (up) view of a car, 28 art pixels wide.
void car_end(AG_CANVAS* c, const CarStyle& s, int frame, bool front) {
  const int bob = frame, x0 = 18, w = 28;
  const Paint& p = s.body;
  ag_ellipse(c, 32, 31, 16, 1.5, AGP_SHADOW);
  end_wheel(c, x0 + 1, 32, 5, 6, frame);
  end_wheel(c, x0 + w - 6, 32, 5, 6, frame);
  const int roof = s.roof + (s.low ? 1 : 0);
  const double cab[] = {x0 + 4.0, double(s.belt - bob), x0 + 7.0, double(roof - bob),
                        x0 + w - 7.0, double(roof - bob), x0 + w - 4.0, double(s.belt - bob)};
  ag_polygon(c, cab, 4, p.base);
  ag_rect(c, x0 + 7, roof - bob, w - 14, 1, p.light);
  const double win[] = {x0 + 6.0, double(s.belt - bob), x0 + 8.5, roof + 2.0 - bob,
                        x0 + w - 8.5, roof + 2.0 - bob, x0 + w - 6.0, double(s.belt - bob)};
  glass(c, win, 4);
  slab(c, x0, s.belt - bob, w, 27 - s.belt, p);
  const int ly = s.belt + 3 - bob;
  if (front) {
    ag_rect(c, x0 + 2, ly, 5, 3, AGP_YELLOW_LIGHT);
    ag_rect(c, x0 + w - 7, ly, 5, 3, AGP_YELLOW_LIGHT);
    ag_rect(c, x0 + 9, ly + 1, w - 18, 3, AGP_GREY2);
    for (int x = x0 + 10; x < x0 + w - 9; x += 2) ag_rect(c, x, ly + 1, 1, 3, AGP_GREY1);
  } else {
    ag_rect(c, x0 + 2, ly, 4, 3, AGP_RED);
    ag_rect(c, x0 + w - 6, ly, 4, 3, AGP_RED);
    ag_set(c, x0 + 2, ly, AGP_RED_LIGHT);
    ag_set(c, x0 + w - 6, ly, AGP_RED_LIGHT);
  }
  ag_rect(c, x0 - 1, 24 - bob, w + 2, 2, AGP_GREY4);
  ag_rect(c, x0 + 11, 23 - bob, 6, 3, AGP_WHITE);
  ag_rect(c, x0 + 12, 24 - bob, 4, 1, AGP_GREY2);
  // Door mirrors.
  ag_rect(c, x0 - 2, s.belt - 1 - bob, 2, 2, p.dark);
  ag_rect(c, x0 + w, s.belt - 1 - bob, 2, 2, p.dark);
}

using Extra = std::function<void(AG_CANVAS*, int view, int frame)>;

AG_CANVAS car_frame(const CarStyle& s, int view, int frame, const Extra& extra) {
  AG_CANVAS c = ag_canvas(64, 32);
  if (view == kRight || view == kLeft) car_side(&c, s, frame);
  else car_end(&c, s, frame, view == kDown);
  if (extra) extra(&c, view, frame);
  // The shadow stays clear of the outline; the body gets one.
  AG_CANVAS body = ag_canvas(64, 32);
  for (size_t i = 0; i < c.px.size(); i++)
    if (c.px[i].a == 255) body.px[i] = c.px[i];
  ag_outline(&body, AGP_INK);
  AG_CANVAS out = ag_canvas(64, 32);
  for (size_t i = 0; i < c.px.size(); i++)
    if (c.px[i].a && c.px[i].a < 255) out.px[i] = c.px[i];
  ag_blit(&out, &body, 0, 0);
  return view == kLeft ? ag_mirror(&out) : out;
}

void emit_vehicle(AG_OUTPUT* out, const char* base, const std::function<AG_CANVAS(int view, int frame)>& draw) {
  for (int v = 0; v < 4; v++)
    for (int f = 0; f < 2; f++) {
      const std::string name = std::string("gfx/") + base + "_" + kViewNames[v];
      ag_emit_png(out, ag_frame_name(name.c_str(), f), draw(v, f), AG_SPRITE);
    }
}

// Roof-top extras of the cars, placed by view.
int roof_centre(int view) { return view == kRight || view == kLeft ? 31 : 32; }

// ---------------------------------------------------------------- big vehicles
// Outlines the solid pixels of `c` and keeps the translucent shadow under them.
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

// The lorry, 128 x 64: an orange cab and a white box with a stripe.
AG_CANVAS truck_frame(int view, int frame) {
  AG_CANVAS c = ag_canvas(128, 64);
  const int bob = frame;
  if (view == kRight || view == kLeft) {
    ag_ellipse(&c, 64, 62.5, 60, 2, AGP_SHADOW);
    // Chassis, box, cab.
    ag_rect(&c, 4, 46 - bob, 120, 6, AGP_GREY1);
    slab(&c, 3, 6 - bob, 88, 40, kWhite);
    ag_rect(&c, 3, 30 - bob, 88, 5, AGP_ORANGE);
    ag_rect(&c, 3, 35 - bob, 88, 1, AGP_ORANGE_DARK);
    for (int x = 13; x < 90; x += 12) ag_rect(&c, x, 8 - bob, 1, 21, AGP_GREY4);
    // Company sign: a green pad with a frog-eye pair.
    ag_ellipse(&c, 47, 19 - bob, 9, 7, AGP_GREEN);
    ag_ellipse(&c, 44, 16 - bob, 2.2, 2.2, AGP_WHITE);
    ag_ellipse(&c, 50, 16 - bob, 2.2, 2.2, AGP_WHITE);
    ag_set(&c, 44, 16 - bob, AGP_INK);
    ag_set(&c, 50, 16 - bob, AGP_INK);
    ag_line(&c, 43, 21 - bob, 51, 21 - bob, AGP_GREEN_DARK);
    const double cab[] = {94, 48.0 - bob, 94, 12.0 - bob, 114, 12.0 - bob, 124, 28.0 - bob, 124, 48.0 - bob};
    ag_polygon(&c, cab, 5, AGP_ORANGE);
    ag_rect(&c, 95, 12 - bob, 18, 1, AGP_ORANGE_LIGHT);
    ag_rect(&c, 94, 44 - bob, 31, 4, AGP_ORANGE_DARK);
    const double win[] = {104, 28.0 - bob, 104, 15.0 - bob, 113, 15.0 - bob, 120, 28.0 - bob};
    glass(&c, win, 4);
    ag_rect(&c, 97, 16 - bob, 5, 12, AGP_ORANGE_DARK);
    ag_rect(&c, 100, 31 - bob, 3, 1, AGP_INK);
    ag_rect(&c, 122, 36 - bob, 3, 4, AGP_YELLOW_LIGHT);
    ag_rect(&c, 120, 44 - bob, 7, 3, AGP_GREY4);
    ag_rect(&c, 95, 4 - bob, 2, 9, AGP_GREY3);  // exhaust stack
    for (const int x : {20, 38, 108}) {
      ag_ellipse(&c, x, 55, 9, 8, AGP_GREY1);
      side_wheel(&c, x, 64, 7, frame);
    }
  } else {
    const bool front = view == kDown;
    const int x0 = 43, w = 42;
    ag_ellipse(&c, 64, 62.5, 24, 2, AGP_SHADOW);
    end_wheel(&c, x0 + 1, 64, 7, 12, frame);
    end_wheel(&c, x0 + w - 8, 64, 7, 12, frame);
    if (front) {
      slab(&c, x0 + 2, 6 - bob, w - 4, 10, kWhite);  // the box behind the cab
      slab(&c, x0, 14 - bob, w, 40, kOrange);
      const double win[] = {x0 + 4.0, 32.0 - bob, x0 + 4.0, 18.0 - bob, x0 + w - 4.0, 18.0 - bob, x0 + w - 4.0, 32.0 - bob};
      glass(&c, win, 4);
      ag_rect(&c, x0 + 20, 18 - bob, 2, 14, AGP_ORANGE_DARK);
      ag_rect(&c, x0 + 8, 36 - bob, w - 16, 10, AGP_GREY2);
      for (int y = 37; y < 46; y += 2) ag_rect(&c, x0 + 9, y - bob, w - 18, 1, AGP_GREY3);
      ag_rect(&c, x0 + 2, 38 - bob, 5, 4, AGP_YELLOW_LIGHT);
      ag_rect(&c, x0 + w - 7, 38 - bob, 5, 4, AGP_YELLOW_LIGHT);
      ag_rect(&c, x0 - 3, 20 - bob, 3, 8, AGP_GREY2);  // mirrors
      ag_rect(&c, x0 + w, 20 - bob, 3, 8, AGP_GREY2);
    } else {
      slab(&c, x0, 6 - bob, w, 44, kWhite);
      ag_rect(&c, x0 + w / 2, 8 - bob, 1, 40, AGP_GREY3);
      for (const int y : {16, 36}) {
        ag_rect(&c, x0 + w / 2 - 4, y - bob, 3, 2, AGP_GREY2);
        ag_rect(&c, x0 + w / 2 + 2, y - bob, 3, 2, AGP_GREY2);
      }
      ag_rect(&c, x0, 30 - bob, w, 4, AGP_ORANGE);
      ag_rect(&c, x0 + 2, 42 - bob, 4, 5, AGP_RED);
      ag_rect(&c, x0 + w - 6, 42 - bob, 4, 5, AGP_RED);
      ag_rect(&c, x0 + 2, 47 - bob, 4, 2, AGP_ORANGE_LIGHT);
      ag_rect(&c, x0 + w - 6, 47 - bob, 4, 2, AGP_ORANGE_LIGHT);
    }
    ag_rect(&c, x0 - 1, 50 - bob, w + 2, 4, AGP_GREY4);
    ag_rect(&c, x0 + w / 2 - 5, 49 - bob, 10, 4, AGP_WHITE);
    ag_rect(&c, x0 + w / 2 - 4, 50 - bob, 8, 2, AGP_GREY2);
  }
  AG_CANVAS o = outlined(c);
  return view == kLeft ? ag_mirror(&o) : o;
}

// The double-decker bus, 128 x 64, green with cream bands.
AG_CANVAS bus_frame(int view, int frame) {
  AG_CANVAS c = ag_canvas(128, 64);
  const int bob = frame;
  if (view == kRight || view == kLeft) {
    ag_ellipse(&c, 64, 62.5, 60, 2, AGP_SHADOW);
    slab(&c, 3, 3 - bob, 122, 52, kGreen);
    ag_rect(&c, 3, 27 - bob, 122, 3, AGP_SAND_LIGHT);
    ag_rect(&c, 3, 50 - bob, 122, 2, AGP_SAND_LIGHT);
    for (int row = 0; row < 2; row++)
      for (int x = 8; x < 112; x += 13) {
        const double y0 = row ? 32 : 8;
        const double win[] = {double(x), y0 + 12 - bob, double(x), y0 - bob, x + 10.0, y0 - bob, x + 10.0, y0 + 12 - bob};
        glass(&c, win, 4);
      }
    // Front: the driver's big window and the door.
    const double front[] = {113, 45.0 - bob, 113, 32.0 - bob, 123, 32.0 - bob, 123, 45.0 - bob};
    glass(&c, front, 4);
    ag_rect(&c, 98, 32 - bob, 12, 18, AGP_GREEN_DARK);
    ag_rect(&c, 103, 33 - bob, 1, 16, AGP_GLASS);
    ag_rect(&c, 122, 46 - bob, 3, 3, AGP_YELLOW_LIGHT);
    ag_rect(&c, 3, 46 - bob, 2, 3, AGP_RED);
    // Route sign.
    ag_rect(&c, 112, 4 - bob, 11, 4, AGP_INK);
    ag_rect(&c, 113, 5 - bob, 9, 2, AGP_ORANGE_LIGHT);
    for (const int x : {24, 104}) {
      ag_ellipse(&c, x, 55, 9, 8, AGP_GREEN_DARK);
      side_wheel(&c, x, 64, 7, frame);
    }
  } else {
    const bool front = view == kDown;
    const int x0 = 43, w = 42;
    ag_ellipse(&c, 64, 62.5, 24, 2, AGP_SHADOW);
    end_wheel(&c, x0 + 2, 64, 7, 10, frame);
    end_wheel(&c, x0 + w - 9, 64, 7, 10, frame);
    slab(&c, x0, 3 - bob, w, 53, kGreen);
    ag_rect(&c, x0, 27 - bob, w, 3, AGP_SAND_LIGHT);
    const double top[] = {x0 + 3.0, 22.0 - bob, x0 + 3.0, 9.0 - bob, x0 + w - 3.0, 9.0 - bob, x0 + w - 3.0, 22.0 - bob};
    glass(&c, top, 4);
    if (front) {
      const double low[] = {x0 + 3.0, 45.0 - bob, x0 + 3.0, 32.0 - bob, x0 + w - 3.0, 32.0 - bob, x0 + w - 3.0, 45.0 - bob};
      glass(&c, low, 4);
      ag_rect(&c, x0 + 20, 32 - bob, 2, 13, AGP_GREEN_DARK);
      ag_rect(&c, x0 + 8, 4 - bob, w - 16, 4, AGP_INK);
      ag_rect(&c, x0 + 9, 5 - bob, w - 18, 2, AGP_ORANGE_LIGHT);
      ag_rect(&c, x0 + 2, 47 - bob, 5, 3, AGP_YELLOW_LIGHT);
      ag_rect(&c, x0 + w - 7, 47 - bob, 5, 3, AGP_YELLOW_LIGHT);
    } else {
      ag_rect(&c, x0 + 8, 34 - bob, w - 16, 10, AGP_GREEN_DARK);
      for (int y = 35; y < 44; y += 2) ag_rect(&c, x0 + 9, y - bob, w - 18, 1, AGP_GREY2);
      ag_rect(&c, x0 + 2, 46 - bob, 4, 4, AGP_RED);
      ag_rect(&c, x0 + w - 6, 46 - bob, 4, 4, AGP_RED);
    }
    ag_rect(&c, x0 - 1, 52 - bob, w + 2, 3, AGP_GREY4);
    ag_rect(&c, x0 + w / 2 - 5, 51 - bob, 10, 4, AGP_WHITE);
    ag_rect(&c, x0 + w / 2 - 4, 52 - bob, 8, 2, AGP_GREY2);
  }
  AG_CANVAS o = outlined(c);
  return view == kLeft ? ag_mirror(&o) : o;
}

// The red tractor, 64 x 64: big rear wheels, small front wheels, an open cab.
AG_CANVAS tractor_frame(int view, int frame) {
  AG_CANVAS c = ag_canvas(64, 64);
  const int bob = frame;
  if (view == kRight || view == kLeft) {
    ag_ellipse(&c, 32, 62.5, 29, 2, AGP_SHADOW);
    // Bonnet and engine, cab posts and roof, seat, exhaust.
    slab(&c, 26, 32 - bob, 34, 16, kRed);
    ag_rect(&c, 56, 36 - bob, 4, 8, AGP_GREY2);
    for (int y = 37; y < 44; y += 2) ag_rect(&c, 56, y - bob, 4, 1, AGP_GREY3);
    ag_rect(&c, 58, 34 - bob, 2, 2, AGP_YELLOW_LIGHT);
    for (int x = 30; x < 54; x += 4) ag_rect(&c, x, 38 - bob, 2, 6, AGP_RED_DARK);
    ag_rect(&c, 46, 18 - bob, 3, 15, AGP_GREY2);
    ag_rect(&c, 45, 16 - bob, 5, 3, AGP_GREY1);
    ag_rect(&c, 8, 6 - bob, 26, 3, AGP_RED_DARK);
    ag_rect(&c, 8, 9 - bob, 2, 28, AGP_GREY2);
    ag_rect(&c, 30, 9 - bob, 2, 24, AGP_GREY2);
    const double win[] = {11, 30.0 - bob, 11, 10.0 - bob, 29, 10.0 - bob, 29, 30.0 - bob};
    glass(&c, win, 4);
    ag_rect(&c, 12, 28 - bob, 16, 8, AGP_RED);
    ag_rect(&c, 12, 28 - bob, 16, 1, AGP_RED_LIGHT);
    ag_rect(&c, 22, 24 - bob, 2, 6, AGP_INK);  // steering column
    // Rear mudguard and the wheels.
    ag_ellipse(&c, 18, 45, 16, 14, AGP_RED_DARK);
    ag_ellipse(&c, 18, 47, 14, 14, AG_CLEAR);
    for (int y = 0; y < 64; y++)
      for (int x = 0; x < 64; x++)
        if (std::hypot(x + 0.5 - 18, y + 0.5 - 49) <= 13.5 && ag_get(&c, x, y).a == 255 && y > 36)
          ag_set(&c, x, y, AG_CLEAR);
    side_wheel(&c, 18, 64, 14, frame);
    // Tread lugs round the big tyre.
    for (int k = 0; k < 12; k++) {
      const double a = 2 * kPi * k / 12 + frame * kPi / 12;
      ag_set(&c, int(18 + std::cos(a) * 14), int(50 + std::sin(a) * 14), AGP_GREY1);
    }
    side_wheel(&c, 50, 64, 8, frame);
  } else {
    const bool front = view == kDown;
    ag_ellipse(&c, 32, 62.5, 24, 2, AGP_SHADOW);
    // Big rear wheels at the sides, the narrow bonnet between (front view).
    end_wheel(&c, 7, 64, 9, 28, frame);
    end_wheel(&c, 48, 64, 9, 28, frame);
    ag_rect(&c, 6, 34 - bob, 11, 3, AGP_RED_DARK);
    ag_rect(&c, 47, 34 - bob, 11, 3, AGP_RED_DARK);
    ag_rect(&c, 14, 6 - bob, 36, 3, AGP_RED_DARK);
    ag_rect(&c, 14, 9 - bob, 2, 28, AGP_GREY2);
    ag_rect(&c, 48, 9 - bob, 2, 28, AGP_GREY2);
    const double win[] = {17, 30.0 - bob, 17, 10.0 - bob, 47, 10.0 - bob, 47, 30.0 - bob};
    glass(&c, win, 4);
    if (front) {
      end_wheel(&c, 19, 64, 6, 12, frame);
      end_wheel(&c, 39, 64, 6, 12, frame);
      slab(&c, 24, 30 - bob, 16, 24, kRed);
      ag_rect(&c, 26, 36 - bob, 12, 12, AGP_GREY2);
      for (int y = 37; y < 48; y += 2) ag_rect(&c, 27, y - bob, 10, 1, AGP_GREY3);
      ag_rect(&c, 25, 32 - bob, 3, 3, AGP_YELLOW_LIGHT);
      ag_rect(&c, 36, 32 - bob, 3, 3, AGP_YELLOW_LIGHT);
      ag_rect(&c, 40, 16 - bob, 3, 15, AGP_GREY2);
    } else {
      slab(&c, 18, 30 - bob, 28, 14, kRed);
      ag_rect(&c, 29, 44 - bob, 6, 8, AGP_GREY2);  // hitch
      ag_rect(&c, 30, 50 - bob, 4, 3, AGP_GREY3);
      ag_rect(&c, 19, 33 - bob, 3, 3, AGP_RED);
      ag_rect(&c, 42, 33 - bob, 3, 3, AGP_RED);
      ag_rect(&c, 24, 24 - bob, 16, 6, AGP_GREY1);  // seat back
    }
  }
  AG_CANVAS o = outlined(c);
  return view == kLeft ? ag_mirror(&o) : o;
}

}  // namespace

AG_CANVAS ag_car_art() {
  const CarStyle red = {kRed, 6, 14, 46, 15, 0};
  return car_frame(red, kRight, 0, nullptr);
}

void ag_vehicles_make(AG_OUTPUT* out) {
  const CarStyle red = {kRed, 6, 14, 46, 15, 0};
  emit_vehicle(out, "car_red", [&](int v, int f) { return car_frame(red, v, f, nullptr); });

  const CarStyle taxi = {kYellow, 8, 12, 50, 16, 0};
  emit_vehicle(out, "car_taxi", [&](int v, int f) {
    return car_frame(taxi, v, f, [&](AG_CANVAS* c, int view, int frame) {
      const int x = roof_centre(view), y = taxi.roof - frame;
      ag_rect(c, x - 5, y - 4, 10, 4, AGP_INK);
      ag_rect(c, x - 4, y - 3, 8, 2, AGP_YELLOW_LIGHT);
      ag_rect(c, x - 2, y - 3, 1, 2, AGP_INK);
      ag_rect(c, x + 1, y - 3, 1, 2, AGP_INK);
      // Checker band along the side.
      if (view == kRight || view == kLeft)
        for (int k = 4; k < 60; k += 2) ag_set(c, k, taxi.belt + 5 - frame + (k / 2) % 2, AGP_INK);
    });
  });

  const CarStyle sport = {kBlue, 12, 22, 46, 18, 1};
  emit_vehicle(out, "car_sport", [&](int v, int f) {
    return car_frame(sport, v, f, [&](AG_CANVAS* c, int view, int frame) {
      if (view == kRight || view == kLeft) {
        ag_rect(c, 3, sport.belt + 3 - frame, 57, 2, AGP_WHITE);
        ag_rect(c, 1, sport.belt - 4 - frame, 7, 2, AGP_BLUE_DARK);  // spoiler
        ag_rect(c, 3, sport.belt - 2 - frame, 2, 2, AGP_BLUE_DARK);
      } else {
        ag_rect(c, 29, sport.roof - frame, 2, 15, AGP_WHITE);
        ag_rect(c, 33, sport.roof - frame, 2, 15, AGP_WHITE);
      }
    });
  });

  const CarStyle van = {kPink, 9, 6, 58, 16, 0};
  emit_vehicle(out, "car_van", [&](int v, int f) {
    return car_frame(van, v, f, [&](AG_CANVAS* c, int view, int frame) {
      const int x = roof_centre(view) - (view == kRight ? 6 : view == kLeft ? -6 : 0);
      const int y = van.roof - frame;
      // A big ice-cream cone on the roof.
      const double cone[] = {x - 3.5, y - 5.0, x + 3.5, y - 5.0, double(x), y + 1.0};
      ag_polygon(c, cone, 3, AGP_SAND_DARK);
      ag_set(c, x - 1, y - 4, AGP_SAND);
      ag_set(c, x + 1, y - 3, AGP_SAND);
      ag_ellipse(c, x, y - 6, 3.8, 2.4, AGP_PINK_LIGHT);
      ag_ellipse(c, x - 1, y - 6.5, 1.5, 1, AGP_WHITE);
      ag_set(c, x, y - 8.7, AGP_RED);
      // Cream band with dots on the side.
      if (view == kRight || view == kLeft) {
        ag_rect(c, 3, van.belt + 4 - frame, 58, 3, AGP_SAND_LIGHT);
        for (int k = 6; k < 58; k += 6) ag_set(c, k, van.belt + 5 - frame, AGP_RED);
      }
    });
  });

  const CarStyle police = {kWhite, 7, 13, 48, 15, 0};
  emit_vehicle(out, "car_police", [&](int v, int f) {
    return car_frame(police, v, f, [&](AG_CANVAS* c, int view, int frame) {
      const int x = roof_centre(view), y = police.roof - frame;
      // Light bar: red and blue swap between frames.
      ag_rect(c, x - 6, y - 3, 12, 3, AGP_GREY2);
      ag_rect(c, x - 5, y - 3, 4, 2, frame ? AGP_BLUE_LIGHT : AGP_RED);
      ag_rect(c, x + 1, y - 3, 4, 2, frame ? AGP_RED : AGP_BLUE_LIGHT);
      if (view == kRight || view == kLeft) {
        ag_rect(c, 3, police.belt + 3 - frame, 58, 4, AGP_BLUE);
        ag_rect(c, 26, police.belt + 4 - frame, 8, 2, AGP_WHITE);
      } else {
        ag_rect(c, 19, police.belt + 7 - frame, 26, 2, AGP_BLUE);
      }
    });
  });

  emit_vehicle(out, "truck", truck_frame);
  emit_vehicle(out, "bus", bus_frame);
  emit_vehicle(out, "tractor", tractor_frame);
}
