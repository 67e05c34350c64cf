// ag_canvas: RGBA pictures in memory and the drawing primitives the art generator paints with.
//
// Coordinates are art pixels, x to the right and y down, (0, 0) the top-left
// pixel. Every primitive clips to the canvas. Shapes cover the pixels whose
// centres lie inside them, so edges are hard (pixel art, no smoothing).
// Colours with alpha below 255 are laid over what is there; alpha 255
// replaces it.
#pragma once
#include <cstdint>
#include <vector>

struct AG_RGBA {
  uint8_t r, g, b, a;
};

struct AG_CANVAS {
  int width, height;
  std::vector<AG_RGBA> px;  // width x height, rows top first
};

constexpr AG_RGBA AG_CLEAR = {0, 0, 0, 0};

AG_CANVAS ag_canvas(int width, int height, AG_RGBA fill = AG_CLEAR);
// The pixel at (x, y); AG_CLEAR outside.
AG_RGBA ag_get(const AG_CANVAS* c, int x, int y);
// Paints one pixel (laid over for alpha below 255).
void ag_put(AG_CANVAS* c, int x, int y, AG_RGBA colour);
// Writes one pixel as it is, alpha included.
void ag_set(AG_CANVAS* c, int x, int y, AG_RGBA colour);

// ---------------------------------------------------------------- colours
// a + (b - a) x t per channel, alpha included; t is clamped to 0..1.
AG_RGBA ag_mix(AG_RGBA a, AG_RGBA b, double t);
// The colour with its alpha replaced.
AG_RGBA ag_alpha(AG_RGBA c, int alpha);

// ---------------------------------------------------------------- shapes
void ag_rect(AG_CANVAS* c, int x, int y, int w, int h, AG_RGBA colour);
// A rectangle with its four corner pixels left out (a softer box).
void ag_round_rect(AG_CANVAS* c, int x, int y, int w, int h, AG_RGBA colour);
// The ellipse of centre (cx, cy) and radii rx, ry (pixel centres at +0.5).
void ag_ellipse(AG_CANVAS* c, double cx, double cy, double rx, double ry, AG_RGBA colour);
// An ellipse shaded in bands for a light from the upper left: pixels
// facing the light get `light`, those away from it `dark`, the rest `base`;
// `hi` (alpha 0 for none) is a small highlight spot.
void ag_ball(AG_CANVAS* c, double cx, double cy, double rx, double ry, AG_RGBA dark, AG_RGBA base, AG_RGBA light,
             AG_RGBA hi);
// A line of pixels from (x0, y0) to (x1, y1), both ends included.
void ag_line(AG_CANVAS* c, int x0, int y0, int x1, int y1, AG_RGBA colour);
// A line `width` pixels thick (a disc stamped along it).
void ag_thick_line(AG_CANVAS* c, double x0, double y0, double x1, double y1, double width, AG_RGBA colour);
// The polygon of `n` points (xy pairs), even-odd rule.
void ag_polygon(AG_CANVAS* c, const double* xy, int n, AG_RGBA colour);

// ---------------------------------------------------------------- whole pictures
// Puts `src` onto `dst` with its top-left at (x, y), laid over by alpha;
// `mirror` flips it left to right first.
void ag_blit(AG_CANVAS* dst, const AG_CANVAS* src, int x, int y, bool mirror = false);
// Paints `colour` on every clear pixel (alpha below 128) that touches an
// opaque one across an edge (or also across a corner with `corners`).
void ag_outline(AG_CANVAS* c, AG_RGBA colour, bool corners = false);
// The picture flipped left to right.
AG_CANVAS ag_mirror(const AG_CANVAS* c);
// The picture `factor` times larger, each pixel a block (nearest pixel).
AG_CANVAS ag_scale(const AG_CANVAS* c, int factor);
// Gives every fully transparent pixel the colour of the nearest opaque
// pixel (alpha stays 0), so that linear filtering at an edge does not mix
// in black. Repeats up to `passes` rings outwards.
void ag_bleed(AG_CANVAS* c, int passes = 4);
// Replaces every pixel of colour `from` (alpha not compared) by `to`,
// keeping the pixel's alpha: palette swaps of a drawn picture.
void ag_recolour(AG_CANVAS* c, AG_RGBA from, AG_RGBA to);

// ---------------------------------------------------------------- noise
// A hash of three numbers: the same inputs always give the same 32 bits.
uint32_t ag_hash(uint32_t x, uint32_t y, uint32_t seed);
// The hash as a number in [0, 1).
double ag_rand(uint32_t x, uint32_t y, uint32_t seed);
// Smooth value noise in [0, 1) at (x, y) with `period` pixels between
// lattice points; wraps every `wrap` lattice cells (0: no wrap) so that
// tiles join without seams.
double ag_noise(double x, double y, double period, uint32_t seed, int wrap = 0);
