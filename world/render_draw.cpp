// The world renderer's frame: rows far to near, columns outside in, and each cell's faces with the near clip, the wall culling and the lighting.
#include <algorithm>

#include "world/render.h"
#include "world/render_internal.h"
#include "world/world_tables.h"

namespace {

// Corners of a face, as the cell stores them.
constexpr int NEAR_LEFT = 0;   // (low x, high z)
constexpr int FAR_LEFT = 1;    // (low x, low z)
constexpr int NEAR_RIGHT = 2;  // (high x, high z)
constexpr int FAR_RIGHT = 3;   // (high x, low z)

constexpr int kMaxViewDepth = WORLD_CELLS;  // rows beyond any world
constexpr float kFloorEdge = 1.0f;          // a floor shows its bitmap once per cell

// A cell ready for drawing: its extent relative to the camera and its
// corner heights relative to the eye, the near edge moved back to
// RENDER_NEAR when it was nearer.
struct CellView {
  int column, row, d;
  double left, right;          // x of the low and high edge minus the camera's x
  double depth_far, depth_near;
  double up[4], down[4];       // heights minus the eye height, near corners clipped
  float near_v;                // where the near edge falls across the cell: 1, less when clipped
  bool clipped;                // the near edge was nearer than RENDER_NEAR
  const TILE* tile;
  RENDER_LIGHT light;
  const RENDER_LIGHT* lit;     // &light, or null while cell lighting is off
};

// The bitmap of a face, null when it has none.
const BITMAP_ENTRY* face_bitmap(const TILE* t, int face) {
  if (!t || !world_tables.bitmap_index) return nullptr;
  const int b = t->faces[TILE_FACE_SLOT[face]];
  return b >= 0 && b < WORLD_BITMAPS ? &world_tables.bitmap_index[b] : nullptr;
}

const TILE* tile_of(const CELL* cell) {
  const int t = cell->tile;
  if (t <= 0 || t >= WORLD_TILES || !world_tables.tiles[t].defined) return nullptr;
  return &world_tables.tiles[t];
}

RENDER_VERTEX vertex(double dx, double dy, double depth, float u, float v) {
  return RENDER_VERTEX{Render_Column(dx, depth), Render_Row(dy, depth), float(depth), u, v};
}

// Starts a polygon of a face of the cell with the face's bitmap.
RENDER_POLYGON* begin_face(const CellView& cv, int face, const BITMAP_ENTRY* bitmap) {
  RENDER_POLYGON* p = Render_Polygon();
  p->face = int16_t(face);
  p->column = int16_t(cv.column);
  p->row = int16_t(cv.row);
  p->object = -1;
  p->texture = bitmap->texture;
  p->percent = bitmap->percent;
  p->hash = bitmap->hash;
  p->mark = face >= 2 ? uint8_t(cv.tile->marks[face - 2]) : 0;
  Render_Polygon_Colour(p, cv.lit, 1.0f);
  return p;
}

void emit(RENDER_POLYGON* p, std::initializer_list<RENDER_VERTEX> vs) {
  p->count = 0;
  for (const RENDER_VERTEX& v : vs) p->v[p->count++] = v;
  Render_Emit(p);
}

// ---------------------------------------------------------------- floors

// Sums of the screen rows of the far and of the near corners of a face.
void edge_rows(const CellView& cv, const double h[4], long long* far_rows, long long* near_rows) {
  *far_rows = (long long)Render_Row(h[FAR_LEFT], cv.depth_far) + Render_Row(h[FAR_RIGHT], cv.depth_far);
  *near_rows = (long long)Render_Row(h[NEAR_LEFT], cv.depth_near) + Render_Row(h[NEAR_RIGHT], cv.depth_near);
}

// A floor face: one quad when flat, else two triangles split along the
// diagonal from the far-left to the near-right corner. The bitmap's top
// edge lies along the far edge, its left edge along the low x edge.
void draw_floor(const CellView& cv, int face, const double h[4]) {
  const BITMAP_ENTRY* b = face_bitmap(cv.tile, face);
  if (!b) return;
  const RENDER_VERTEX fl = vertex(cv.left, h[FAR_LEFT], cv.depth_far, 0, 0);
  const RENDER_VERTEX fr = vertex(cv.right, h[FAR_RIGHT], cv.depth_far, kFloorEdge, 0);
  const RENDER_VERTEX nr = vertex(cv.right, h[NEAR_RIGHT], cv.depth_near, kFloorEdge, cv.near_v);
  const RENDER_VERTEX nl = vertex(cv.left, h[NEAR_LEFT], cv.depth_near, 0, cv.near_v);
  RENDER_POLYGON* p = begin_face(cv, face, b);
  if (h[0] == h[1] && h[0] == h[2] && h[0] == h[3]) {
    emit(p, {fl, fr, nr, nl});
    return;
  }
  emit(p, {fl, fr, nr});
  emit(p, {fl, nr, nl});
}

void draw_floors(const CellView& cv) {
  if (!render_view.floors_on) return;
  long long far_rows, near_rows;
  // The upper face from above: its far edge higher on the screen than its near edge.
  edge_rows(cv, cv.up, &far_rows, &near_rows);
  if (far_rows < near_rows) draw_floor(cv, 0, cv.up);
  // The lower face from below.
  edge_rows(cv, cv.down, &far_rows, &near_rows);
  if (far_rows > near_rows) draw_floor(cv, 1, cv.down);
}

// ---------------------------------------------------------------- walls

// The neighbour across wall `face` covers it: it has an upper-face bitmap,
// and on the shared edge its upper corners are not lower and its lower
// corners not higher than this cell's.
bool wall_covered(const CellView& cv, const CELL* cell, int face) {
  int nc = cv.column, nr = cv.row;
  int mine[2], theirs[2];
  switch (face) {
    case 2: nc--, mine[0] = NEAR_LEFT, mine[1] = FAR_LEFT, theirs[0] = NEAR_RIGHT, theirs[1] = FAR_RIGHT; break;
    case 4: nc++, mine[0] = NEAR_RIGHT, mine[1] = FAR_RIGHT, theirs[0] = NEAR_LEFT, theirs[1] = FAR_LEFT; break;
    case 3: nr++, mine[0] = NEAR_LEFT, mine[1] = NEAR_RIGHT, theirs[0] = FAR_LEFT, theirs[1] = FAR_RIGHT; break;
    default: return false;
  }
  const CELL* n = World_Cell(nc, nr);
  if (!n) return false;
  const TILE* nt = tile_of(n);
  if (!nt || nt->faces[TILE_FACE_SLOT[0]] < 0) return false;
  for (int k = 0; k < 2; k++)
    if (n->up[theirs[k]] < cell->up[mine[k]] || n->down[theirs[k]] > cell->down[mine[k]]) return false;
  return true;
}

// A wall between corners a and b (a drawn at the picture's left edge):
// `da`, `db` their depths, `xa`, `xb` their x minus the camera's, `ua`, `ub`
// their texture columns. The whole bitmap once, top row along the upper
// edge, bottom row along the lower edge.
void draw_wall(const CellView& cv, int face, int a, int b, double xa, double xb, double da, double db, float ua,
               float ub) {
  const BITMAP_ENTRY* bm = face_bitmap(cv.tile, face);
  if (!bm) return;
  if (cv.up[a] == cv.down[a] && cv.up[b] == cv.down[b]) return;  // no height: nothing to see
  RENDER_POLYGON* p = begin_face(cv, face, bm);
  emit(p, {vertex(xa, cv.up[a], da, ua, 0), vertex(xb, cv.up[b], db, ub, 0), vertex(xb, cv.down[b], db, ub, 1),
           vertex(xa, cv.down[a], da, ua, 1)});
}

// The picture's width used across a wall: a margin of 1.15 texels keeps
// the opposite edge from bleeding in.
float wall_width() {
  const int w = world_tables.wall_bitmap_width;
  return w > 1 ? float((w - 1.15) / w) : 0.0f;
}

// A side wall is seen from outside its cell when the camera is beyond it:
// face 2 when the camera's x is below the cell's, face 4 when above.
bool seen_from_outside(const CellView& cv, int face) { return face == 2 ? cv.left > 0 : cv.right < 0; }

void draw_side_wall(const CellView& cv, const CELL* cell, int face) {
  if (wall_covered(cv, cell, face)) return;
  // Along z the picture runs from the far end; a clipped near end shows less of it.
  const float u_near = wall_width() * cv.near_v;
  if (face == 2)
    draw_wall(cv, 2, FAR_LEFT, NEAR_LEFT, cv.left, cv.left, cv.depth_far, cv.depth_near, 0, u_near);
  else
    draw_wall(cv, 4, FAR_RIGHT, NEAR_RIGHT, cv.right, cv.right, cv.depth_far, cv.depth_near, 0, u_near);
}

// The walls behind everything else of the cell: the far wall, and the side
// walls seen from the cell's inside (through an open top, or hidden by the
// faces drawn after them). Drawing these first keeps the painter's order
// right in every column: a side wall seen from inside lies behind the
// floors, the objects and the walls seen from outside.
void draw_back_walls(const CellView& cv, const CELL* cell) {
  const float u = wall_width();
  draw_wall(cv, 5, FAR_LEFT, FAR_RIGHT, cv.left, cv.right, cv.depth_far, cv.depth_far, 0, u);
  for (int face : {2, 4})
    if (!seen_from_outside(cv, face)) draw_side_wall(cv, cell, face);
}

// The walls in front: the side walls seen from outside, then the near
// wall. A near wall nearer than RENDER_NEAR lies wholly in front of the
// near edge (behind the camera, for the camera's own row): nothing is left
// of it to draw.
void draw_front_walls(const CellView& cv, const CELL* cell) {
  for (int face : {2, 4})
    if (seen_from_outside(cv, face)) draw_side_wall(cv, cell, face);
  if (!cv.clipped && !wall_covered(cv, cell, 3))
    draw_wall(cv, 3, NEAR_LEFT, NEAR_RIGHT, cv.left, cv.right, cv.depth_near, cv.depth_near, 0, wall_width());
}

// ---------------------------------------------------------------- cells

// The cell's extent and heights seen from the camera, the near corners
// moved back to RENDER_NEAR along the face when the near edge is nearer.
void cell_view(CellView* cv, const CELL* cell, double x, double y, double z) {
  const double cs = World_Cell_Unit();
  cv->left = cv->column * cs - x;
  cv->right = (cv->column + 1) * cs - x;
  cv->depth_far = z - cv->row * cs;
  cv->depth_near = cv->depth_far - cs;
  for (int k = 0; k < 4; k++) {
    cv->up[k] = cell->up[k] - y;
    cv->down[k] = cell->down[k] - y;
  }
  cv->near_v = 1.0f;
  cv->clipped = cv->depth_near < RENDER_NEAR;
  if (cv->clipped) {
    const double t = (cv->depth_far - RENDER_NEAR) / (cv->depth_far - cv->depth_near);
    for (double* h : {cv->up, cv->down}) {
      h[NEAR_LEFT] = h[FAR_LEFT] + (h[NEAR_LEFT] - h[FAR_LEFT]) * t;
      h[NEAR_RIGHT] = h[FAR_RIGHT] + (h[NEAR_RIGHT] - h[FAR_RIGHT]) * t;
    }
    cv->depth_near = RENDER_NEAR;
    cv->near_v = float(t);
  }
}

void draw_cell(int column, int row, int d, double x, double y, double z, uint8_t editor) {
  WORLD_TABLES& w = world_tables;
  Render_Counters().cells++;
  const CELL* cell = World_Cell(column, row);
  if (!cell) return;  // outside the world: nothing to draw, in editor mode too
  const TILES_OBJ& list = w.tiles_obj[row * w.world_width + column];
  const TILE* tile = tile_of(cell);
  if (!tile && list.count == 0 && !editor) return;
  CellView cv;
  cv.column = column;
  cv.row = row;
  cv.d = d;
  cv.tile = tile;
  cv.light = {Render_Clamp15(cell->tint), Render_Fade(cell->brightness, d)};
  cv.lit = render_view.cell_lighting ? &cv.light : nullptr;
  if (tile) {
    cell_view(&cv, cell, x, y, z);
    if (render_view.walls_on) draw_back_walls(cv, cell);
    draw_floors(cv);
  }
  if (list.count) Render_Cell_Objects(column, row, d, x, y, z);
  if (tile && render_view.walls_on) draw_front_walls(cv, cell);
}

}  // namespace

void Render_World(double x, double y, double z, uint8_t editor) {
  RENDER_VIEW& v = render_view;
  const WORLD_TABLES& w = world_tables;
  Render_Counters() = RENDER_STATS{};
  const RENDER_OUTPUT& out = Render_Out();
  Render_Frame_Begin();
  const int32_t centre_y = v.centre_y;
  v.centre_y += int32_t(((long long)v.view_bottom * v.horizon_shift) / 100);
  if (w.world && w.tiles && w.tiles_obj && v.row_half_width && Render_Polygon()) {
    if (editor && !Render_Editor_Font_Loaded()) Load_Editor_Font();
    const int cs = World_Cell_Unit();
    const int cam_col = World_Trunc(x / cs), cam_row = World_Trunc(z / cs);
    const int depth = std::clamp(v.view_depth, 0, kMaxViewDepth);
    // Rows and columns outside the world draw nothing, so the loops keep to it.
    const int first_row = std::max(cam_row - depth, 0);
    const int last_row = std::min(cam_row, w.world_depth - 1);
    for (int r = first_row; r <= last_row; r++) {
      if (z - double(r) * cs < RENDER_NEAR) break;  // this row and all nearer ones lie behind the near edge
      Render_Counters().rows++;
      const int d = cam_row - r;
      const int h = v.row_half_width[std::min(d, RENDER_ROWS - 1)];
      const int lo = std::max(cam_col - h, 0), hi = std::min(cam_col + h, w.world_width - 1);
      for (int c = lo; c < std::min(cam_col, hi + 1); c++) draw_cell(c, r, d, x, y, z, editor);
      for (int c = hi; c >= std::max(cam_col, lo); c--) draw_cell(c, r, d, x, y, z, editor);
    }
    if (editor) Render_Editor_Overlay(x, y, z);
  }
  v.centre_y = centre_y;
  out.frame_end();
}
