// fg_style: turns a glyph's coverage into a coloured RGBA picture with a fill gradient, an outline and a drop shadow.
//
// The game draws text over busy pictures (roads, water, grass), scaled
// with nearest-pixel sampling, and blends by alpha; a dark ring and a
// shadow keep light letters readable on light and dark ground alike.
// Fully transparent pixels are written as four zero bytes, so a reader
// that looks for inked pixels by alpha or by any non-zero byte agrees.
#pragma once
#include "tools/artgen/ag_canvas.h"
#include "tools/fontgen/fg_raster.h"

struct FG_STYLE {
  AG_RGBA top, bottom;  // fill colour at the top of the ascent and at the baseline
  AG_RGBA under;        // fill colour of descenders (below the baseline)
  AG_RGBA outline;      // ring colour; alpha 0 for no ring
  double ring;          // ring radius in pixels (1 = one pixel all round)
  AG_RGBA shadow;       // alpha 0 for no shadow
  int shadow_dx, shadow_dy;
  // Coverage below `lo` becomes clear and above `hi` solid, a straight ramp
  // between: a narrow ramp keeps edges crisp once pixels are enlarged.
  double lo, hi;
  int hard;  // 1: every pixel ends fully opaque or fully clear
};

// A styled glyph: its picture and where the picture's top-left pixel lies
// from the pen (left, pixels to the right) and the baseline (top, pixels
// above it), as in FG_GLYPH.
struct FG_INK {
  AG_CANVAS pic;
  int left, top;
};

// The picture fg_style_glyph would paint, its size and place only (the
// pixels left clear): for measuring many sizes cheaply.
FG_INK fg_style_box(const FG_GLYPH& g, const FG_STYLE& s);
// Paints `g` in style `s`. `ascent` is the height above the baseline where
// the fill reaches colour `top`. A blank glyph gives a 0 x 0 picture.
FG_INK fg_style_glyph(const FG_GLYPH& g, const FG_STYLE& s, int ascent);
