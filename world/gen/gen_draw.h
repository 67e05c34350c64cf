// gen_draw: the simple primitives of the gen layer (pixel, line, rectangle outline, circle outline) and reading one pixel.
//
// The bitmap argument is the surface drawn on (normally the virtual
// screen): its width and height bound the drawing; coordinates are pixels
// of the screen rectangle, origin top left. Colours are 0xRRGGBB. Each
// function answers 1 when it drew (or had nothing to draw), 0 without a
// context or bitmap.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

// One point, only when (x, y) lies inside the bitmap's rectangle and the
// bitmap has a pixel block; 0 otherwise.
int gen_draw_pixel(VX_BITMAP* bitmap, int x, int y, uint32_t colour);
// One line from (x1, y1) to (x2, y2), both ends included.
int gen_draw_line(VX_BITMAP* bitmap, int x1, int y1, int x2, int y2, uint32_t colour);
// The outline of `rect` (its outermost pixels), unless it lies wholly
// outside the bitmap or is empty.
int gen_draw_rectangle(VX_BITMAP* bitmap, const VX_RECT* rect, uint32_t colour);
// A closed outline through the points of gen_draw_circle_points; nothing
// for radius <= 0 or a circle wholly outside the bitmap.
int gen_draw_circle(VX_BITMAP* bitmap, int cx, int cy, int radius, uint32_t colour);
// The pixel (x, y) of the bitmap as 0xRRGGBB: from its pixel block (8 bits
// through its palette, the index itself without one; 15/16 bits in the
// screen's packing), from the pieces of its tile set, or, for a bitmap with
// neither (the virtual screen), from the frame buffer. 0 outside.
uint32_t gen_get_pixel(VX_BITMAP* bitmap, int x, int y);

// 4-bit pixel access is not provided: both show "Function not created yet" and answer 0.
int gen_draw_pixel_04(VX_BITMAP* bitmap, int x, int y, uint32_t colour);
uint32_t gen_get_pixel_04(VX_BITMAP* bitmap, int x, int y);

// The points of a circle outline, as x, y pairs into `xy` (room for `max`
// points): first (cx + r - 1, cy), then (cx + trunc(r cos a), cy + trunc(r
// sin a)) for a = s, 2s, ... below 360 degrees, with s = 360 / r in whole
// degrees (1 when r >= 360). The count, 0 for r <= 0 or too little room.
int gen_draw_circle_points(int cx, int cy, int radius, int* xy, int max);
