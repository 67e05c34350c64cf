// The world renderer's OpenGL output: screen polygons in normalised device coordinates with a homogeneous weight per vertex, lines and points, the projection stack around a frame.
//
// A vertex at pixel (x, y) and depth D of a viewport of W x H pixels (the
// size the last frame_begin gave, 320 x 200 before the first) goes to
// OpenGL as (x x 2 / W - 1,
// -(y x 2 / H - 1), D / 2560 - 1), each multiplied by the weight w = D x
// 0.0256, with w as its fourth coordinate; OpenGL then interpolates the
// texture coordinates with perspective. Blending is source alpha over one
// minus source alpha (left off for polygons it cannot change); texturing
// is off after a frame. A world texture handle of gen_atlas draws from its
// page; any other non-zero texture is an OpenGL texture name.
//
// Polygons are held and sent in batches: they reach the frame buffer
// before the next line, point, picture or frame begin, and at the latest
// at frame end (a polygon outside a frame goes at once). Within a frame,
// and when the context has a depth buffer, the z sent is replaced by the
// polygon's place in the order given (later nearer) and the depth test
// keeps the picture of that order while opaque polygons go first, nearest
// first; a polygon that reaches beyond the depth range above keeps its z
// and goes alone in its turn, so OpenGL clips it as before. Frame begin
// clears the depth buffer (and the stencil, unused, with it); the depth
// test is off outside this output.
// Every function does nothing while the gen layer has no context.
#pragma once
#include "world/render_out.h"

// Fills every entry of `output` with the OpenGL functions below. The
// program installs it with Render_Output_Set (world/render.h).
void Render_Output_GL(RENDER_OUTPUT* output);

void Render_GL_Frame_Begin(int width, int height);  // viewport size kept; projection stack selected, pushed, identity
void Render_GL_Frame_End();    // popped; blending off
void Render_GL_Polygon(const RENDER_POLYGON* polygon);
void Render_GL_Line(int x1, int y1, int x2, int y2, uint32_t colour);
void Render_GL_Point(int x, int y, uint32_t colour);
// The screen rectangle of gen_wrap while a context exists; the picture
// drawn with gen_bit_put scaled to `dest` (GEN_DRAW_SCALE).
int Render_GL_Screen(VX_RECT* screen);
int Render_GL_Picture(VX_BITMAP* bitmap, const VX_RECT* dest, const VX_RECT* src);

// What this output has asked of OpenGL since the program started: draw
// calls (each glBegin or array draw) and texture binds. A benchmark reads it
// before and after its frames.
struct RENDER_GL_STATS {
  long long draws;
  long long binds;
};
RENDER_GL_STATS Render_GL_Stats();

// The homogeneous coordinates of a vertex (x, y, z, w) as handed to OpenGL
// for a viewport of width x height pixels (a size below 1 counts as 1).
void Render_GL_Clip_Coordinates(const RENDER_VERTEX& vertex, int width, int height, double out[4]);
