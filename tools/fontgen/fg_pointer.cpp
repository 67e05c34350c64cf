// The pointer star: five points, ten facets lit from the upper left, a dark ring, and a sweeping glint.
#include "tools/fontgen/fg_pointer.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

enum Index : uint8_t { kClear, kRing, kDark, kAmber, kGold, kLight, kPale, kGlint };

constexpr std::array<uint8_t, FG_POINTER_COLOURS * 3> kColours = {
    0,   0,   0,    // transparent
    52,  30,  6,    // ring
    150, 78,  6,    // facets turned away from the light
    200, 120, 14,   // facets turned a little towards it
    234, 160, 28,   // facets across it
    252, 210, 72,   // facets facing it
    255, 236, 150,  // the glint's halo
    255, 255, 255,  // the glint
};

struct Point {
  double x, y;
};

// The ten corners, tips first then inner corners alternating, starting
// with the top tip.
void corners(double c, double outer, double inner, Point* p) {
  for (int k = 0; k < 10; k++) {
    const double a = -kPi / 2 + k * kPi / 5;
    const double r = (k & 1) ? inner : outer;
    p[k] = {c + r * std::cos(a), c + r * std::sin(a)};
  }
}

bool inside(const Point* p, double x, double y) {
  bool in = false;
  for (int i = 0, j = 9; i < 10; j = i++)
    if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x) in = !in;
  return in;
}

// The colour of each of the ten facets. Facet h is the triangle of the
// centre, raised to half the radius, and corners h and h + 1, which lie
// flat; it is shaded by how squarely it faces a light from the upper left
// and in front.
std::array<uint8_t, 10> facets(double c, double outer, const Point* p) {
  std::array<uint8_t, 10> out = {};
  const double light[3] = {-0.45, -0.6, 0.66};
  for (int h = 0; h < 10; h++) {
    const Point a = p[h], b = p[(h + 1) % 10];
    const double u[3] = {a.x - c, a.y - c, -outer / 2}, v[3] = {b.x - c, b.y - c, -outer / 2};
    double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    if (n[2] < 0) n[0] = -n[0], n[1] = -n[1], n[2] = -n[2];
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    const double lit = (n[0] * light[0] + n[1] * light[1] + n[2] * light[2]) / len;
    out[size_t(h)] = lit > 0.8 ? kLight : lit > 0.3 ? kGold : lit > 0.15 ? kAmber : kDark;
  }
  return out;
}

// The facet a point lies in: 0 between the top tip and the next inner
// corner clockwise, and so on.
int facet_of(double c, double x, double y) {
  double a = std::atan2(y - c, x - c) + kPi / 2;
  a = std::fmod(a + 4 * kPi, 2 * kPi);
  return std::min(9, int(a / (kPi / 5)));
}

}  // namespace

std::array<uint8_t, 768> fg_pointer_palette() {
  std::array<uint8_t, 768> p = {};
  for (size_t i = 0; i < kColours.size(); i++) p[i] = kColours[i];
  return p;
}

std::vector<uint8_t> fg_pointer_frame(int size, int frame, int frames) {
  std::vector<uint8_t> px(size_t(size) * size_t(size), kClear);
  if (size < 4) return px;
  const double c = size / 2.0;
  Point p[10];
  const double outer = size / 2.0 - 1.5;
  corners(c, outer, outer * 0.5, p);
  const std::array<uint8_t, 10> shade = facets(c, outer, p);
  // A pixel belongs to the star when most of its 4 x 4 samples do.
  std::vector<bool> star(px.size(), false);
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) {
      int hits = 0;
      for (int j = 0; j < 4; j++)
        for (int i = 0; i < 4; i++) hits += inside(p, x + (i + 0.5) / 4, y + (j + 0.5) / 4);
      star[size_t(y) * size_t(size) + size_t(x)] = hits >= 8;
    }
  auto in = [&](int x, int y) { return x >= 0 && y >= 0 && x < size && y < size && star[size_t(y) * size_t(size) + size_t(x)]; };
  // The glint: a thin diagonal band that crosses the star from its upper
  // left (frame 1) to its lower right; frame 0 has none.
  const double band = frames > 1 && frame > 0 ? 0.2 + 0.75 * (frame - 1) / (frames - 1) : -1.0;
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) {
      uint8_t& o = px[size_t(y) * size_t(size) + size_t(x)];
      if (!in(x, y)) {
        for (int j = -1; j <= 1 && o == kClear; j++)
          for (int i = -1; i <= 1; i++)
            if (in(x + i, y + j)) o = kRing;
        continue;
      }
      o = shade[size_t(facet_of(c, x + 0.5, y + 0.5))];
      const double u = (x + y + 1.0) / (2.0 * size) - band;
      if (std::fabs(u) < 0.03) o = kGlint;
      else if (std::fabs(u) < 0.06) o = kPale;
    }
  return px;
}
