// Glyph styling: coverage ramp, fill gradient, outline ring and drop shadow, composed by alpha.
#include "tools/fontgen/fg_style.h"

#include <algorithm>
#include <cmath>

namespace {

// A colour in 0-1 channels with straight alpha.
struct Colour {
  double r, g, b, a;
};

Colour from_rgba(AG_RGBA c, double cover) { return {c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0 * cover}; }

// `top` laid over `under`, straight alpha.
Colour over(Colour top, Colour under) {
  const double a = top.a + under.a * (1.0 - top.a);
  if (a <= 0.0) return {0, 0, 0, 0};
  auto ch = [&](double t, double u) { return (t * top.a + u * under.a * (1.0 - top.a)) / a; };
  return {ch(top.r, under.r), ch(top.g, under.g), ch(top.b, under.b), a};
}

uint8_t byte_of(double v) { return uint8_t(std::clamp(int(std::lround(v * 255.0)), 0, 255)); }

// Coverage 0-255 through the ramp, 0-1.
double ramp(uint8_t v, const FG_STYLE& s) {
  const double c = v / 255.0;
  if (s.hi <= s.lo) return c >= s.lo ? 1.0 : 0.0;
  return std::clamp((c - s.lo) / (s.hi - s.lo), 0.0, 1.0);
}

// Pixels the ring and the shadow add on each side.
struct Pads {
  int left, right, top, bottom;
};
Pads pads_of(const FG_STYLE& s) {
  const int r = s.outline.a > 0 && s.ring > 0 ? int(std::ceil(s.ring)) : 0;
  const bool shade = s.shadow.a > 0;
  return {r + (shade ? std::max(0, -s.shadow_dx) : 0), r + (shade ? std::max(0, s.shadow_dx) : 0),
          r + (shade ? std::max(0, -s.shadow_dy) : 0), r + (shade ? std::max(0, s.shadow_dy) : 0)};
}

}  // namespace

FG_INK fg_style_box(const FG_GLYPH& g, const FG_STYLE& s) {
  if (g.width < 1 || g.rows < 1) return {ag_canvas(0, 0), 0, 0};
  const Pads p = pads_of(s);
  return {ag_canvas(g.width + p.left + p.right, g.rows + p.top + p.bottom), g.left - p.left, g.top + p.top};
}

FG_INK fg_style_glyph(const FG_GLYPH& g, const FG_STYLE& s, int ascent) {
  FG_INK ink = fg_style_box(g, s);
  if (ink.pic.width < 1) return ink;
  const bool ring = s.outline.a > 0 && s.ring > 0;
  const int r = ring ? int(std::ceil(s.ring)) : 0;
  const bool shade = s.shadow.a > 0;
  const Pads p = pads_of(s);
  const int pl = p.left, pt = p.top;
  const int w = ink.pic.width, h = ink.pic.height;

  // The fill mask on the padded grid.
  std::vector<double> fill(size_t(w) * size_t(h), 0.0), edge(fill.size(), 0.0);
  for (int y = 0; y < g.rows; y++)
    for (int x = 0; x < g.width; x++)
      fill[size_t(y + pt) * size_t(w) + size_t(x + pl)] = ramp(g.coverage[size_t(y) * size_t(g.width) + size_t(x)], s);
  auto at = [&](const std::vector<double>& m, int x, int y) {
    return x < 0 || y < 0 || x >= w || y >= h ? 0.0 : m[size_t(y) * size_t(w) + size_t(x)];
  };

  // The ring: the fill spread over a disc of radius `ring`, its rim softened
  // over one pixel (a hard ring takes the whole disc).
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      double e = 0.0;
      for (int j = -r; j <= r && ring; j++)
        for (int i = -r; i <= r; i++) {
          const double d = std::sqrt(double(i * i + j * j));
          const double weight = s.hard ? (d <= s.ring + 0.5 ? 1.0 : 0.0) : std::clamp(s.ring + 1.0 - d, 0.0, 1.0);
          e = std::max(e, at(fill, x + i, y + j) * weight);
        }
      edge[size_t(y) * size_t(w) + size_t(x)] = std::max(e, at(fill, x, y));
    }

  const int baseline = ink.top;  // canvas row of the first pixel below the baseline
  for (int y = 0; y < h; y++) {
    // Fill colour: `top` at the ascent, `bottom` at the baseline, `under` below.
    const double above = baseline - y - 0.5;  // pixel centre, pixels above the baseline
    const AG_RGBA body = above >= 0 ? ag_mix(s.bottom, s.top, ascent > 0 ? above / ascent : 1.0) : s.under;
    for (int x = 0; x < w; x++) {
      Colour c = {0, 0, 0, 0};
      if (shade) c = from_rgba(s.shadow, at(ring ? edge : fill, x - s.shadow_dx, y - s.shadow_dy));
      if (ring) c = over(from_rgba(s.outline, at(edge, x, y)), c);
      c = over(from_rgba(body, at(fill, x, y)), c);
      if (s.hard) c.a = c.a >= 0.5 ? 1.0 : 0.0;
      const AG_RGBA out = {byte_of(c.r), byte_of(c.g), byte_of(c.b), byte_of(c.a)};
      ag_set(&ink.pic, x, y, out.a ? out : AG_CLEAR);
    }
  }
  return ink;
}
