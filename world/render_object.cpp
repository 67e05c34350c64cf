// The world renderer's sprites: objects cut to their cell's window, overlay sprites through the scratch object, the background picture and the editor overlay.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "world/objects.h"
#include "world/render.h"
#include "world/render_internal.h"
#include "world/world_tables.h"

namespace {

constexpr float kTextureEdge = 0.99f;     // sprite texture coordinates run 0 to 0.99
constexpr double kSpriteCamera = 100.0;   // overlay sprites: camera z, object z 0
constexpr double kSpriteWindow = 1500.0;  // ... and the window across
constexpr double kSpriteWindowUp = 100.0;
constexpr int kEditorAhead = 4;           // the editor's cell: four rows ahead of the camera
constexpr int16_t kEditorRow = -100;      // entered row of an object the editor writes numbers beside
constexpr uint32_t kWhite = 0xFFFFFF;

int16_t saturate16(double v) {
  if (!(v == v)) return 0;
  return int16_t(std::clamp(v, -32768.0, 32767.0));
}

// Height of the upper face under (x, z), interpolated between the four
// corners, minus the eye height; the point is held within the cell.
double face_height(const CELL* cell, int column, int row, double x, double z, double eye) {
  const double cs = World_Cell_Unit();
  const double fx = std::clamp((x - column * cs) / cs, 0.0, 1.0);  // 0 at low x
  const double fz = std::clamp((z - row * cs) / cs, 0.0, 1.0);     // 0 at the far edge
  const double far_h = cell->up[1] + (cell->up[3] - cell->up[1]) * fx;
  const double near_h = cell->up[0] + (cell->up[2] - cell->up[0]) * fx;
  const double h = far_h + (near_h - far_h) * fz;
  return h - eye;
}

// Stable sort of the cell's list by increasing z (farthest first); equal z
// keep their order. The list itself is reordered.
void sort_far_to_near(TILES_OBJ* list) {
  const OBJECT* o = world_tables.objects;
  for (int i = 1; i < list->count; i++) {
    const int16_t n = list->objects[i];
    int j = i;
    while (j > 0 && o[list->objects[j - 1]].z > o[n].z) {
      list->objects[j] = list->objects[j - 1];
      j--;
    }
    list->objects[j] = n;
  }
}

bool valid_object(int n) { return n >= 0 && n < WORLD_OBJECTS; }

// The cell whose objects are being drawn, for the polygons' record; -1
// outside a cell (overlay sprites, direct calls).
struct DrawingCell {
  int16_t column = -1, row = -1;
};
DrawingCell drawing_cell;

}  // namespace

void Render_Cell_Objects(int column, int row, int d, double x, double y, double z) {
  WORLD_TABLES& w = world_tables;
  TILES_OBJ& list = w.tiles_obj[row * w.world_width + column];
  const CELL* cell = World_Cell(column, row);
  const int count = std::clamp<int>(list.count, 0, WORLD_CELL_OBJECTS);
  for (int i = 0; i < count; i++)
    if (!valid_object(list.objects[i])) return;  // a list the game spoilt: left alone
  list.count = int8_t(count);
  sort_far_to_near(&list);
  const int t = cell->tile;
  const bool upper = t > 0 && t < WORLD_TILES && w.tiles[t].defined && w.tiles[t].faces[TILE_FACE_SLOT[0]] >= 0;
  const double cs = World_Cell_Unit();
  const double left = column * cs - x, right = (column + 1) * cs - x;
  for (int i = 0; i < count; i++) {
    const OBJECT& o = w.objects[list.objects[i]];
    double top = RENDER_WINDOW_OPEN, bottom = -RENDER_WINDOW_OPEN;
    if (upper) {
      // The sprite does not cross the face it stands on or hangs under.
      const double h = face_height(cell, column, row, o.x, o.z, y);
      if (o.y - y >= h)
        bottom = h;
      else
        top = h;
    }
    RENDER_LIGHT light = {Render_Clamp15(o.tint), Render_Fade(o.brightness, d)};
    drawing_cell = {int16_t(column), int16_t(row)};
    Draw_Object(list.objects[i], x, y, z, left, right, top, bottom,
                render_view.object_lighting ? &light : nullptr);
  }
  drawing_cell = {};
}

int Draw_Object(int object, double cam_x, double cam_y, double cam_z, double left, double right, double top,
                double bottom, const RENDER_LIGHT* light) {
  const WORLD_TABLES& w = world_tables;
  const RENDER_VIEW& v = render_view;
  RENDER_POLYGON* p = Render_Polygon();
  if (!p || !w.objects || !w.sprite_bitmap_index || !valid_object(object)) return 0;
  const OBJECT& o = w.objects[object];
  const double depth = cam_z - o.z;
  if (!(depth >= RENDER_NEAR)) return 0;
  if (o.bitmap < 0 || o.bitmap >= WORLD_SPRITE_BITMAPS) return 0;
  // The sprite's rectangle: centred on x, standing on y.
  const int32_t width = Render_Screen(o.width * v.proj_x / depth);
  const double height = o.height * v.proj_y / depth;
  const int32_t x0 = Render_Screen((o.x - cam_x) * v.proj_x / depth) - width / 2 + v.centre_x;
  const int32_t y0 = v.centre_y - Render_Screen((o.y - cam_y) * v.proj_y / depth) - Render_Screen(height);
  const int32_t x1 = x0 + width, y1 = y0 + Render_Screen(height);
  // The window, on the screen.
  const int32_t wx0 = std::max(0, v.centre_x + Render_Screen(v.proj_x * left / depth));
  const int32_t wx1 = std::min(v.view_right, v.centre_x + Render_Screen(v.proj_x * right / depth));
  const int32_t wy0 = std::max(0, v.centre_y - Render_Screen(v.proj_y * top / depth));
  const int32_t wy1 = std::min(v.view_bottom, v.centre_y - Render_Screen(v.proj_y * bottom / depth));
  const int32_t cx0 = std::max(x0, wx0), cx1 = std::min(x1, wx1);
  const int32_t cy0 = std::max(y0, wy0), cy1 = std::min(y1, wy1);
  if (cx0 >= cx1 || cy0 >= cy1) return 0;
  // Texture coordinates cut in the same proportion, then mirrored.
  float u0 = kTextureEdge * float(cx0 - x0) / float(width), u1 = kTextureEdge * float(cx1 - x0) / float(width);
  float v0 = kTextureEdge * float(cy0 - y0) / float(y1 - y0), v1 = kTextureEdge * float(cy1 - y0) / float(y1 - y0);
  if (o.mirror_h) u0 = kTextureEdge - u0, u1 = kTextureEdge - u1;
  if (o.mirror_v) v0 = kTextureEdge - v0, v1 = kTextureEdge - v1;
  const SPRITE_BITMAP_ENTRY& b = w.sprite_bitmap_index[o.bitmap];
  p->face = RENDER_FACE_OBJECT;
  p->column = drawing_cell.column;
  p->row = drawing_cell.row;
  p->object = int16_t(object);
  p->texture = b.texture;
  p->percent = b.percent;
  p->hash = 0;
  p->mark = 0;
  Render_Polygon_Colour(p, light, std::max(0.0f, 1.0f - o.translucency * 0.25f));
  const float dz = float(depth);
  p->count = 4;
  p->v[0] = {cx0, cy0, dz, u0, v0};
  p->v[1] = {cx1, cy0, dz, u1, v0};
  p->v[2] = {cx1, cy1, dz, u1, v1};
  p->v[3] = {cx0, cy1, dz, u0, v1};
  Render_Counters().objects++;
  Render_Emit(p);
  return 1;
}

int Draw_Sprite_At(int sprite, double x, double y, int tint, int brightness, int translucency, double height,
                   double width, int mirror_h, int mirror_v) {
  WORLD_TABLES& w = world_tables;
  const RENDER_VIEW& v = render_view;
  if (!w.objects || !w.sprites || !Render_Polygon() || v.proj_x == 0 || v.proj_y == 0) return 0;
  OBJECT& o = w.objects[WORLD_SCRATCH_OBJECT];
  o.sprite = saturate16(sprite);
  if (!Object_From_Sprite(WORLD_SCRATCH_OBJECT)) return 0;
  // Seen from (0, 0, 100) at depth 100, these land the sprite's top-left
  // corner on (x x proj_x / 100, y x proj_y / 100) pixels.
  o.x = x + width / 2 - v.centre_x * 100.0 / v.proj_x;
  o.y = v.centre_y * 100.0 / v.proj_y - y - height;
  o.z = 0;
  o.height = saturate16(height);
  o.width = saturate16(width);
  o.translucency = uint8_t(translucency);
  o.mirror_h = uint8_t(mirror_h);
  o.mirror_v = uint8_t(mirror_v);
  const RENDER_LIGHT light = {tint, brightness};
  const RENDER_OUTPUT& out = Render_Out();
  Render_Frame_Begin();
  const int drawn = Draw_Object(WORLD_SCRATCH_OBJECT, 0, 0, kSpriteCamera, -kSpriteWindow, kSpriteWindow,
                                kSpriteWindowUp, -kSpriteWindowUp, &light);
  out.frame_end();
  return drawn;
}

int Draw_Background() {
  VX_BITMAP& bg = world_tables.background;
  const RENDER_OUTPUT& out = Render_Out();
  VX_RECT screen = {};
  if (!out.screen(&screen) || bg.width <= 0 || bg.height <= 0 || (!bg.pixels && !bg.texture)) return 0;
  const VX_RECT dest = {0, 0, screen.width, screen.height};
  const VX_RECT src = {0, 0, bg.width, bg.height};
  return out.picture(&bg, &dest, &src);
}

// ---------------------------------------------------------------- editor overlay

void Render_Editor_Overlay(double x, double y, double z) {
  const WORLD_TABLES& w = world_tables;
  const RENDER_OUTPUT& out = Render_Out();
  const double cs = World_Cell_Unit();
  const int column = World_Trunc(x / cs), row = World_Trunc(z / cs) - kEditorAhead;
  char text[64];
  if (const CELL* cell = World_Cell(column, row)) {
    // Corners in the cell's order: (low x, near), (low x, far), (high x, near), (high x, far).
    const double depth_far = z - row * cs, depth_near = depth_far - cs;
    const double dx[4] = {column * cs - x, column * cs - x, (column + 1) * cs - x, (column + 1) * cs - x};
    const double depth[4] = {depth_near, depth_far, depth_near, depth_far};
    if (depth_near >= RENDER_NEAR) {
      int sx[4], sy[4];
      for (int k = 0; k < 4; k++) {
        sx[k] = Render_Column(dx[k], depth[k]);
        sy[k] = Render_Row(cell->up[k] - y, depth[k]);
      }
      out.line(sx[1], sy[1], sx[3], sy[3], kWhite);
      out.line(sx[3], sy[3], sx[2], sy[2], kWhite);
      out.line(sx[2], sy[2], sx[0], sy[0], kWhite);
      out.line(sx[0], sy[0], sx[1], sy[1], kWhite);
      for (int k = 0; k < 4; k++) {
        std::snprintf(text, sizeof text, "%d", cell->up[k]);
        // Left corners get their number on the left, right ones on the right.
        const int tx = k < 2 ? sx[k] - 2 - RENDER_FONT_ADVANCE * int(std::strlen(text)) : sx[k] + 3;
        Render_Editor_Text(tx, sy[k] - RENDER_FONT_ROWS / 2, text);
      }
    }
  }
  if (!w.objects) return;
  for (int n = 1; n <= w.object_count && n < WORLD_OBJECTS; n++) {
    const OBJECT& o = w.objects[n];
    const double depth = z - o.z;
    if (o.row != kEditorRow || !(depth >= RENDER_NEAR)) continue;
    // Its number and position, beside its foot.
    std::snprintf(text, sizeof text, "%d %d,%d,%d", n, int(saturate16(o.x)), int(saturate16(o.y)),
                  int(saturate16(o.z)));
    Render_Editor_Text(Render_Column(o.x - x, depth) + 3, Render_Row(o.y - y, depth), text);
  }
}
