// Drawing primitives of the art generator: pixels, shapes, outlines, scaling, edge bleeding and noise.
#include "tools/artgen/ag_canvas.h"

#include <algorithm>
#include <cmath>

AG_CANVAS ag_canvas(int width, int height, AG_RGBA fill) {
  AG_CANVAS c;
  c.width = width > 0 ? width : 0;
  c.height = height > 0 ? height : 0;
  c.px.assign(size_t(c.width) * size_t(c.height), fill);
  return c;
}

AG_RGBA ag_get(const AG_CANVAS* c, int x, int y) {
  if (x < 0 || y < 0 || x >= c->width || y >= c->height) return AG_CLEAR;
  return c->px[size_t(y) * size_t(c->width) + size_t(x)];
}

void ag_set(AG_CANVAS* c, int x, int y, AG_RGBA colour) {
  if (x < 0 || y < 0 || x >= c->width || y >= c->height) return;
  c->px[size_t(y) * size_t(c->width) + size_t(x)] = colour;
}

void ag_put(AG_CANVAS* c, int x, int y, AG_RGBA s) {
  if (x < 0 || y < 0 || x >= c->width || y >= c->height || s.a == 0) return;
  AG_RGBA& d = c->px[size_t(y) * size_t(c->width) + size_t(x)];
  if (s.a == 255 || d.a == 0) {
    d = s;
    return;
  }
  // "Over" in whole numbers: out alpha = sa + da (1 - sa).
  const int sa = s.a, da = d.a * (255 - sa) / 255, oa = sa + da;
  d.r = uint8_t((s.r * sa + d.r * da) / oa);
  d.g = uint8_t((s.g * sa + d.g * da) / oa);
  d.b = uint8_t((s.b * sa + d.b * da) / oa);
  d.a = uint8_t(oa);
}

AG_RGBA ag_mix(AG_RGBA a, AG_RGBA b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto m = [t](uint8_t p, uint8_t q) { return uint8_t(std::lround(p + (q - p) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

AG_RGBA ag_alpha(AG_RGBA c, int alpha) { return {c.r, c.g, c.b, uint8_t(std::clamp(alpha, 0, 255))}; }

void ag_rect(AG_CANVAS* c, int x, int y, int w, int h, AG_RGBA colour) {
  for (int j = std::max(y, 0); j < std::min(y + h, c->height); j++)
    for (int i = std::max(x, 0); i < std::min(x + w, c->width); i++) ag_put(c, i, j, colour);
}

void ag_round_rect(AG_CANVAS* c, int x, int y, int w, int h, AG_RGBA colour) {
  for (int j = y; j < y + h; j++)
    for (int i = x; i < x + w; i++) {
      const bool edge_x = i == x || i == x + w - 1, edge_y = j == y || j == y + h - 1;
      if (!(edge_x && edge_y)) ag_put(c, i, j, colour);
    }
}

void ag_ellipse(AG_CANVAS* c, double cx, double cy, double rx, double ry, AG_RGBA colour) {
  if (rx <= 0 || ry <= 0) return;
  const int x0 = int(std::floor(cx - rx)), x1 = int(std::ceil(cx + rx));
  const int y0 = int(std::floor(cy - ry)), y1 = int(std::ceil(cy + ry));
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) ag_put(c, x, y, colour);
    }
}

void ag_ball(AG_CANVAS* c, double cx, double cy, double rx, double ry, AG_RGBA dark, AG_RGBA base, AG_RGBA light,
             AG_RGBA hi) {
  if (rx <= 0 || ry <= 0) return;
  const int x0 = int(std::floor(cx - rx)), x1 = int(std::ceil(cx + rx));
  const int y0 = int(std::floor(cy - ry)), y1 = int(std::ceil(cy + ry));
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry, d = dx * dx + dy * dy;
      if (d > 1.0) continue;
      // The sphere's normal against a light from the upper left and a little in front.
      const double nz = std::sqrt(std::max(0.0, 1.0 - d));
      const double lit = -0.45 * dx - 0.6 * dy + 0.66 * nz;
      AG_RGBA col = lit > 0.62 ? light : lit > 0.05 ? base : dark;
      if (hi.a && lit > 0.93) col = hi;
      ag_put(c, x, y, col);
    }
}

void ag_line(AG_CANVAS* c, int x0, int y0, int x1, int y1, AG_RGBA colour) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    ag_put(c, x0, y0, colour);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void ag_thick_line(AG_CANVAS* c, double x0, double y0, double x1, double y1, double width, AG_RGBA colour) {
  // Pixels within width / 2 of the segment, each painted once.
  const double r = width / 2.0;
  const int minx = int(std::floor(std::min(x0, x1) - r)), maxx = int(std::ceil(std::max(x0, x1) + r));
  const int miny = int(std::floor(std::min(y0, y1) - r)), maxy = int(std::ceil(std::max(y0, y1) + r));
  const double vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
  for (int y = miny; y <= maxy; y++)
    for (int x = minx; x <= maxx; x++) {
      const double px = x + 0.5 - x0, py = y + 0.5 - y0;
      const double t = len2 > 0 ? std::clamp((px * vx + py * vy) / len2, 0.0, 1.0) : 0.0;
      const double ex = px - t * vx, ey = py - t * vy;
      if (ex * ex + ey * ey <= r * r) ag_put(c, x, y, colour);
    }
}

void ag_polygon(AG_CANVAS* c, const double* xy, int n, AG_RGBA colour) {
  if (n < 3) return;
  double miny = xy[1], maxy = xy[1];
  for (int i = 1; i < n; i++) {
    miny = std::min(miny, xy[2 * i + 1]);
    maxy = std::max(maxy, xy[2 * i + 1]);
  }
  for (int y = int(std::floor(miny)); y <= int(std::ceil(maxy)); y++) {
    const double sy = y + 0.5;
    std::vector<double> xs;
    for (int i = 0; i < n; i++) {
      const double ax = xy[2 * i], ay = xy[2 * i + 1];
      const double bx = xy[2 * ((i + 1) % n)], by = xy[2 * ((i + 1) % n) + 1];
      if ((ay <= sy && by > sy) || (by <= sy && ay > sy)) xs.push_back(ax + (sy - ay) * (bx - ax) / (by - ay));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t k = 0; k + 1 < xs.size(); k += 2)
      for (int x = int(std::ceil(xs[k] - 0.5)); x + 0.5 <= xs[k + 1]; x++) ag_put(c, x, y, colour);
  }
}

void ag_blit(AG_CANVAS* dst, const AG_CANVAS* src, int x, int y, bool mirror) {
  for (int j = 0; j < src->height; j++)
    for (int i = 0; i < src->width; i++) {
      const AG_RGBA p = src->px[size_t(j) * size_t(src->width) + size_t(mirror ? src->width - 1 - i : i)];
      ag_put(dst, x + i, y + j, p);
    }
}

void ag_outline(AG_CANVAS* c, AG_RGBA colour, bool corners) {
  const AG_CANVAS before = *c;
  auto solid = [&](int x, int y) { return ag_get(&before, x, y).a >= 128; };
  for (int y = 0; y < c->height; y++)
    for (int x = 0; x < c->width; x++) {
      if (solid(x, y)) continue;
      bool touch = solid(x - 1, y) || solid(x + 1, y) || solid(x, y - 1) || solid(x, y + 1);
      if (!touch && corners)
        touch = solid(x - 1, y - 1) || solid(x + 1, y - 1) || solid(x - 1, y + 1) || solid(x + 1, y + 1);
      if (touch) ag_set(c, x, y, colour);
    }
}

AG_CANVAS ag_mirror(const AG_CANVAS* c) {
  AG_CANVAS m = ag_canvas(c->width, c->height);
  for (int y = 0; y < c->height; y++)
    for (int x = 0; x < c->width; x++) ag_set(&m, x, y, ag_get(c, c->width - 1 - x, y));
  return m;
}

AG_CANVAS ag_scale(const AG_CANVAS* c, int factor) {
  AG_CANVAS s = ag_canvas(c->width * factor, c->height * factor);
  for (int y = 0; y < s.height; y++)
    for (int x = 0; x < s.width; x++) ag_set(&s, x, y, ag_get(c, x / factor, y / factor));
  return s;
}

void ag_bleed(AG_CANVAS* c, int passes) {
  // Pixels already given a colour (opaque, or filled in an earlier pass).
  std::vector<uint8_t> known(c->px.size());
  for (size_t i = 0; i < c->px.size(); i++) known[i] = c->px[i].a != 0;
  for (int pass = 0; pass < passes; pass++) {
    std::vector<uint8_t> next = known;
    for (int y = 0; y < c->height; y++)
      for (int x = 0; x < c->width; x++) {
        const size_t i = size_t(y) * size_t(c->width) + size_t(x);
        if (known[i]) continue;
        int r = 0, g = 0, b = 0, n = 0;
        for (int dy = -1; dy <= 1; dy++)
          for (int dx = -1; dx <= 1; dx++) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= c->width || ny >= c->height) continue;
            const size_t k = size_t(ny) * size_t(c->width) + size_t(nx);
            if (!known[k]) continue;
            r += c->px[k].r;
            g += c->px[k].g;
            b += c->px[k].b;
            n++;
          }
        if (!n) continue;
        c->px[i] = {uint8_t(r / n), uint8_t(g / n), uint8_t(b / n), 0};
        next[i] = 1;
      }
    known.swap(next);
  }
}

void ag_recolour(AG_CANVAS* c, AG_RGBA from, AG_RGBA to) {
  for (AG_RGBA& p : c->px)
    if (p.a && p.r == from.r && p.g == from.g && p.b == from.b) p = {to.r, to.g, to.b, p.a};
}

uint32_t ag_hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B9u ^ x * 0x85EBCA6Bu ^ y * 0xC2B2AE35u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

double ag_rand(uint32_t x, uint32_t y, uint32_t seed) { return (ag_hash(x, y, seed) >> 8) / 16777216.0; }

double ag_noise(double x, double y, double period, uint32_t seed, int wrap) {
  const double fx = x / period, fy = y / period;
  const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
  const double tx = fx - ix, ty = fy - iy;
  auto at = [&](int i, int j) {
    if (wrap > 0) {
      i = ((i % wrap) + wrap) % wrap;
      j = ((j % wrap) + wrap) % wrap;
    }
    return ag_rand(uint32_t(i), uint32_t(j), seed);
  };
  // Smoothstep between the four lattice values.
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double a = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * sx;
  const double b = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * sx;
  return a + (b - a) * sy;
}
