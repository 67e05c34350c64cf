// What the world hands to a 3D back end: screen polygons, lines and points, and the background picture; types only, so that a back end includes it without the world.
//
// The world fills nothing here and calls no back end by name: the program
// (the game's start-up, a tool) installs one with Render_Output_Set
// (world/render.h). Screen coordinates are pixels of the viewport, origin
// top left, x right, y down.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

constexpr int RENDER_POLYGON_BUFFER = 1000;  // bytes of the renderer's polygon buffer
constexpr int RENDER_FACE_OBJECT = 6;        // RENDER_POLYGON::face of a sprite

// One vertex of a screen polygon: whole pixel coordinates, the depth D
// (world units in front of the camera, at least the renderer's near limit
// of 5) and the texture coordinates (0 to 1 across and down the bitmap).
struct RENDER_VERTEX {
  int32_t x, y;
  float depth;
  float u, v;
};

// One finished polygon. Faces 0 and 1 are a cell's upper and lower face,
// 2 to 5 its walls (2 low x, 4 high x, 5 far, 3 near), RENDER_FACE_OBJECT
// a sprite. `percent`, `hash` and `mark` are the face bitmap's `%` value
// and `#` mark and the wall's `!` mark, passed along; no drawing depends
// on them.
struct RENDER_POLYGON {
  int16_t count;        // vertices, 3 or 4, in drawing order
  int16_t face;
  int16_t column, row;  // the cell drawn; -1 for a sprite drawn outside a cell
  int16_t object;       // the object of a sprite, else -1
  uint8_t percent, hash, mark;
  uint32_t texture;     // texture handle of the bitmap (0: none, drawn in colour)
  float colour[4];      // red, green, blue, alpha, 0 to 1
  RENDER_VERTEX v[4];
};
static_assert(sizeof(RENDER_POLYGON) <= RENDER_POLYGON_BUFFER, "a polygon fits the polygon buffer");
static_assert(alignof(RENDER_POLYGON) <= 4, "the tracker hands out blocks on 4-byte boundaries");

// Where the world's drawing goes. frame_begin and frame_end bracket a frame
// and every overlay sprite (the 3D back end selects its projection stack,
// pushes it and loads the identity, then pops it); frame_begin is told the
// viewport's size in pixels (view_right + 1, view_bottom + 1). The others
// draw in viewport pixels; colours of line and point are 0xRRGGBB.
// `screen` and `picture` serve the level's background: the 3D screen
// rectangle the picture covers (1 and *screen while the back end can draw,
// else 0), and `src` of `bitmap` drawn scaled to `dest` of that screen (1
// when drawn).
struct RENDER_OUTPUT {
  void (*frame_begin)(int width, int height);
  void (*frame_end)();
  void (*polygon)(const RENDER_POLYGON* polygon);
  void (*line)(int x1, int y1, int x2, int y2, uint32_t colour);
  void (*point)(int x, int y, uint32_t colour);
  int (*screen)(VX_RECT* screen);
  int (*picture)(VX_BITMAP* bitmap, const VX_RECT* dest, const VX_RECT* src);
};
