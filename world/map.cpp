// The world grid: its reset, the map file reader with cell-size rescaling, and the height of an upper face at a point.
#include "world/map.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "world/engine_error.h"
#include "world/level_internal.h"
#include "world/world_tables.h"

namespace {

bool read_i16(LEVEL_SOURCE* src, int16_t* out) {
  uint8_t b[2];
  if (Level_Source_Read(src, b, 2) != 2) return false;
  *out = static_cast<int16_t>(b[0] | (b[1] << 8));
  return true;
}

bool read_i32(LEVEL_SOURCE* src, int32_t* out) {
  uint8_t b[4];
  if (Level_Source_Read(src, b, 4) != 4) return false;
  *out = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  return true;
}

bool tile_defined(int t) { return t >= 1 && t < WORLD_TILES && world_tables.tiles && world_tables.tiles[t].defined; }

// Object records 0..N. A map may bring at most 999 objects; records past
// the table are read and dropped so that the grid is still found.
// Returns false when the file ends inside them.
bool read_objects(LEVEL_SOURCE* src, int n, int stored_cell_size) {
  WORLD_TABLES& w = world_tables;
  const int records = n + 1 > 0 ? n + 1 : 0;
  int complete = 0;
  for (int i = 0; i < records; i++) {
    OBJECT o;
    if (Level_Source_Read(src, &o, sizeof o) != sizeof o) break;
    if (i < WORLD_OBJECTS) w.objects[i] = o;
    complete++;
  }
  const int kept = std::min(complete, WORLD_MAX_MAP_OBJECTS + 1);
  w.object_count = static_cast<int16_t>(kept > 0 ? kept - 1 : 0);
  if (stored_cell_size > 0) {
    // Positions follow the level's cell size (y is a height and stays).
    const double now = w.cell_size, then = stored_cell_size;
    for (int i = 0; i < kept; i++) {
      OBJECT& o = w.objects[i];
      const double x = o.x, z = o.z;
      o.x = x * now / then;
      o.z = z * now / then;
    }
  }
  return complete == records;
}

}  // namespace

void World_Reset() {
  WORLD_TABLES& w = world_tables;
  for (int i = 0; w.animated_bitmap_index && i < w.animation_count; i++) {
    ANIMATION& a = w.animated_bitmap_index[i];
    a.active = 1;
    a.loops = -1;
    a.object = -1;
  }
  const long long cells = static_cast<long long>(std::max(w.world_width, 0)) * std::max(w.world_depth, 0);
  const int n = static_cast<int>(std::min<long long>(cells, WORLD_CELLS));
  for (int i = 0; w.world && i < n; i++) {
    CELL& c = w.world[i];
    std::memset(&c, 0, sizeof c);
    c.brightness = 15;
    if (w.tiles_obj) w.tiles_obj[i].count = 0;
  }
  for (int i = 0; w.Object_EStuff && i < WORLD_OBJECTS; i++) w.Object_EStuff[i].bitmap = -1;
}

int Map_Read(LEVEL_SOURCE* src, const LEVEL_PASS* pass) {
  WORLD_TABLES& w = world_tables;
  w.object_count = 0;
  if (!src || !Level_Source_Open(src)) return 1;  // no map: an empty world, no message
  int16_t first = 0, n = 0;
  int32_t stored_cell_size = 0;
  bool ok = read_i16(src, &first);
  if (ok && first == MAP_MARK) {
    ok = read_i32(src, &stored_cell_size) && read_i16(src, &n);
  } else if (ok) {
    n = first;
    stored_cell_size = 0;
    std::fputs("Reading a map saved in the OLD format...\n", stdout);
  }
  ok = ok && read_objects(src, n, stored_cell_size);
  int16_t rows = 0, columns = 0;
  ok = ok && read_i16(src, &rows) && read_i16(src, &columns);
  if (ok && (rows != w.world_depth || columns != w.world_width))
    std::fputs("WARNING!. Height or Size of the world\nhas changed.\n", stdout);
  const int read_rows = ok ? std::min<int>(rows, w.world_depth) : 0;
  for (int r = 0; r < read_rows && ok; r++) {
    for (int c = 0; c < columns; c++) {
      CELL cell;
      if (Level_Source_Read(src, &cell, sizeof cell) != sizeof cell) {
        ok = false;
        break;
      }
      // Columns past the world are dropped, but their tiles must exist too.
      const int t = cell.tile;
      if (t != 0 && !tile_defined(t)) {
        Level_Source_Close(src);
        Engine_Stop("Tile number %d used in the map file %s is not defined in the def file %s!", t, pass->map_name,
                    pass->def_name);
        return 0;
      }
      if (c < w.world_width) w.world[r * w.world_width + c] = cell;
    }
  }
  Level_Source_Close(src);
  const int cells = std::max(w.world_width, 0) * std::max(w.world_depth, 0);
  for (int i = 0; i < cells; i++) {
    CELL& c = w.world[i];
    if (c.tint < 0 || c.tint > 15) c.tint = 0;
    if (c.brightness < 0 || c.brightness > 15) c.brightness = 15;
  }
  return 1;
}

double World_Up_Height(double x, double z) {
  const int unit = World_Cell_Unit();
  const int row = World_Trunc(z / unit), column = World_Trunc(x / unit);
  const CELL* c = World_Cell(column, row);
  if (!c || c->tile == 0) return WORLD_NO_HEIGHT;
  const int h0 = c->up[0], h1 = c->up[1], h2 = c->up[2];
  if (h0 == h1 && h0 == h2) return h0;
  // Whole-unit steps across the cell: the offset is trunc(x) mod cell size.
  if (h0 == h1) return h0 + double(World_Trunc(x) % unit) * (h2 - h0) / unit;
  return h1 + double(World_Trunc(z) % unit) * (h0 - h1) / unit;
}
