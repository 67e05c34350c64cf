// The program's icon: the frog sitting on a lily pad in a round pond, at the sizes desktops ask for.
//
// Drawn once at 32 x 32 art pixels. Sizes that are a multiple of 32 are
// that drawing scaled up by whole pixels, as every picture of the game is;
// 16 and 48 are the drawing at twice their size averaged down by 2 x 2
// blocks, so the small icons stay crisp without losing the frog's eyes.
#include <cstdio>

#include "tools/artgen/ag_frog.h"
#include "tools/artgen/ag_gen.h"
#include "tools/artgen/ag_palette.h"

namespace {

constexpr int kArt = 32;  // the drawing's side in art pixels

AG_CANVAS icon_art() {
  AG_CANVAS c = ag_canvas(kArt, kArt);
  // The pond: deep water with a lighter middle and two ripples.
  ag_ellipse(&c, 16, 16, 15, 15, AGP_WATER_DEEP);
  ag_ellipse(&c, 15, 15, 13, 13, AGP_WATER);
  ag_ellipse(&c, 12, 11, 6, 4, AGP_WATER_LIGHT);
  ag_line(&c, 5, 9, 9, 7, AGP_FOAM);
  ag_line(&c, 21, 5, 25, 6, AGP_FOAM);
  // The lily pad under the frog, its notch towards the viewer's right.
  ag_ellipse(&c, 16, 26, 14, 4.2, {8, 30, 30, 255});
  ag_ellipse(&c, 16, 25, 14, 4.2, {30, 86, 52, 255});
  ag_ellipse(&c, 14, 24.4, 11, 3, {44, 110, 62, 255});
  const double notch[6] = {17, 25, 31, 22.5, 31, 27.5};
  ag_polygon(&c, notch, 3, AGP_WATER_DEEP);
  // The frog, facing us, throat a little puffed, sitting on the pad's far half.
  ag_ellipse(&c, 15, 24.5, 9.5, 1.6, AGP_SHADOW);
  ag_frog_draw(&c, AG_FROG_FRONT, {0, 0, 0, 0.3, 0}, 15, 24);
  ag_outline(&c, AGP_INK);
  return c;
}

// Each `factor` x `factor` block becomes one pixel: colours averaged by
// their alpha, alpha averaged.
AG_CANVAS shrink(const AG_CANVAS& big, int factor) {
  AG_CANVAS small = ag_canvas(big.width / factor, big.height / factor);
  for (int y = 0; y < small.height; y++)
    for (int x = 0; x < small.width; x++) {
      int r = 0, g = 0, b = 0, a = 0;
      for (int dy = 0; dy < factor; dy++)
        for (int dx = 0; dx < factor; dx++) {
          const AG_RGBA p = ag_get(&big, x * factor + dx, y * factor + dy);
          r += p.r * p.a;
          g += p.g * p.a;
          b += p.b * p.a;
          a += p.a;
        }
      if (!a) continue;
      const int n = factor * factor;
      ag_set(&small, x, y,
             {uint8_t(r / a), uint8_t(g / a), uint8_t(b / a), uint8_t((a + n / 2) / n)});
    }
  return small;
}

}  // namespace

void ag_icons_make(AG_OUTPUT* out) {
  const AG_CANVAS art = icon_art();
  for (const int side : AG_ICON_SIZES) {
    const AG_CANVAS pic = side % kArt == 0 ? ag_scale(&art, side / kArt) : shrink(ag_scale(&art, side * 2 / kArt), 2);
    char name[48];
    std::snprintf(name, sizeof name, "%dx%d/pondsprint.png", side, side);
    ag_emit_png(out, name, pic, AG_SPRITE, 1);
  }
}
