// Between the renderer's files: the output in use, the polygon being built, the counters, the editor font and the projection helpers.
#pragma once
#include <cstdint>

#include "world/render.h"
#include "world/world_tables.h"

// The installed output (every entry callable).
const RENDER_OUTPUT& Render_Out();
// The output's frame_begin with the viewport's size.
void Render_Frame_Begin();
// The polygon being built, in the polygon buffer; null before Init_3D_Engine.
RENDER_POLYGON* Render_Polygon();
// Hands `polygon` to the output and counts it.
void Render_Emit(const RENDER_POLYGON* polygon);
// The counters of the current frame, writable.
RENDER_STATS& Render_Counters();
// The editor font's RENDER_FONT_BUFFER bytes, null while not loaded.
const uint8_t* Render_Font();

// A screen coordinate from a projected value: truncated toward zero, kept
// within +-RENDER_SCREEN_LIMIT so that points far off screen stay whole
// numbers (the output clips them).
constexpr double RENDER_SCREEN_LIMIT = 1e7;
inline int32_t Render_Screen(double v) {
  if (!(v == v)) return 0;
  if (v > RENDER_SCREEN_LIMIT) return int32_t(RENDER_SCREEN_LIMIT);
  if (v < -RENDER_SCREEN_LIMIT) return -int32_t(RENDER_SCREEN_LIMIT);
  return int32_t(v);
}

// Screen column of a point `dx` world units right of the camera at depth D.
inline int32_t Render_Column(double dx, double depth) {
  return render_view.centre_x + Render_Screen(dx * render_view.proj_x / depth);
}
// Screen row of a point `dy` world units above the eye at depth D.
inline int32_t Render_Row(double dy, double depth) {
  return render_view.centre_y - Render_Screen(dy * render_view.proj_y / depth);
}

// Clamps to 0..15.
inline int Render_Clamp15(int v) { return v < 0 ? 0 : (v > 15 ? 15 : v); }

// Sets the polygon's colour from a light (null: white), with `alpha`.
void Render_Polygon_Colour(RENDER_POLYGON* polygon, const RENDER_LIGHT* light, float alpha);

// The editor overlay of a frame from (x, y, z): the outline of the cell
// four rows ahead in the camera column with its corner heights, and the
// numbers of the objects whose entered row is -100 (world/render_object.cpp).
void Render_Editor_Overlay(double x, double y, double z);
// Draws the objects listed in cell (column, row) at distance d rows, sorted
// far to near, each cut to the cell's x extent and kept off its upper face
// (world/render_object.cpp).
void Render_Cell_Objects(int column, int row, int d, double x, double y, double z);
