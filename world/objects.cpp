// Objects of the world: set-up from sprites, creation, the per-cell lists of the footprint, private animations.
#include "world/objects.h"

#include <cstring>

#include "world/engine_error.h"
#include "world/world_tables.h"

namespace {

bool valid_object(int object) { return world_tables.objects && object >= 0 && object < WORLD_OBJECTS; }

// Columns a width covers: w / cell_size + 2 (integer division).
int footprint_columns(int width) { return width / World_Cell_Unit() + 2; }

int footprint_first_column(double x, int width) {
  return World_Trunc((x - (width + 1) / 2) / World_Cell_Unit());
}

void unlist(int object, int column, int row, int width) {
  WORLD_TABLES& w = world_tables;
  const int columns = footprint_columns(width);
  for (int i = 0; i < columns; i++) {
    const int c = column + i;
    if (!World_Inside(c, row)) continue;
    TILES_OBJ& list = w.tiles_obj[row * w.world_width + c];
    for (int k = 0; k < list.count; k++) {
      if (list.objects[k] != object) continue;
      for (int j = k; j + 1 < list.count; j++) list.objects[j] = list.objects[j + 1];
      list.count--;
      break;
    }
  }
}

void enlist(int object, int column, int row, int width) {
  WORLD_TABLES& w = world_tables;
  const int columns = footprint_columns(width);
  for (int i = 0; i < columns; i++) {
    const int c = column + i;
    if (!World_Inside(c, row)) continue;
    TILES_OBJ& list = w.tiles_obj[row * w.world_width + c];
    if (list.count < WORLD_CELL_OBJECTS) list.objects[list.count++] = static_cast<int16_t>(object);
  }
}

}  // namespace

int Object_From_Sprite(int object) {
  WORLD_TABLES& w = world_tables;
  if (!valid_object(object) || !w.sprites) return 0;
  OBJECT& o = w.objects[object];
  const int s = o.sprite;
  if (s < 0 || s >= WORLD_SPRITES || !w.sprites[s].defined) {
    Engine_Stop("Sprite %d is NOT defined! Add a line starting with &%d= in the level's .def file", s, s);
    return 0;
  }
  const SPRITE& sp = w.sprites[s];
  o.bitmap = sp.bitmap;
  o.height = sp.height;
  o.width = sp.width;
  o.translucency = sp.translucency;
  for (int k = 0; k < 8; k++) o.params[k] = sp.params[k];
  return 1;
}

int Create_Object(int sprite, double x, double y, double z) {
  WORLD_TABLES& w = world_tables;
  if (!w.objects) return -1;
  const int n = w.object_count + 1;
  if (n > WORLD_MAX_CREATED) {
    Engine_Stop("I cant create more objects\n\n");
    return -1;
  }
  OBJECT& o = w.objects[n];
  std::memset(&o, 0, sizeof o);
  o.sprite = static_cast<int16_t>(sprite);
  if (!Object_From_Sprite(n)) return -1;
  o.column = WORLD_NOT_ENTERED;
  o.mirror_h = 0;
  o.mirror_v = 0;
  o.tint = 0;
  o.brightness = 15;
  o.placed_width = o.width;
  w.object_count = static_cast<int16_t>(n);
  Object_Set_Position(n, x, y, z);
  return n;
}

void Object_Set_Position(int object, double x, double y, double z) {
  WORLD_TABLES& w = world_tables;
  if (!valid_object(object)) return;
  OBJECT& o = w.objects[object];
  const int old_width = o.placed_width;
  o.placed_width = o.width;
  if (w.tiles_obj && o.column != WORLD_NOT_ENTERED) unlist(object, o.column, o.row, old_width);
  o.x = x;
  o.y = y;
  o.z = z;
  const int width = o.width;
  const int row = World_Trunc(z / World_Cell_Unit());
  const int column = footprint_first_column(x, width);
  // The record keeps 16-bit places; a place beyond them is outside any
  // world and is kept as the nearest value that still is.
  o.row = static_cast<int16_t>(row < -32768 ? -32768 : row > 32767 ? 32767 : row);
  o.column = static_cast<int16_t>(column < -32768 ? -32768 : column > 32767 ? 32767 : column);
  if (o.column == WORLD_NOT_ENTERED) o.column = WORLD_NOT_ENTERED - 1;
  if (w.tiles_obj) enlist(object, o.column, o.row, width);
}

void Objects_Place_All(int first) {
  WORLD_TABLES& w = world_tables;
  if (!w.objects) return;
  for (int i = 0; w.tiles_obj && i < WORLD_CELLS; i++) w.tiles_obj[i].count = 0;
  if (first < 0) first = 0;
  for (int i = first; i <= w.object_count && i < WORLD_OBJECTS; i++) {
    OBJECT& o = w.objects[i];
    o.column = WORLD_NOT_ENTERED;
    o.placed_width = o.width;
    const double x = o.x, y = o.y, z = o.z;
    Object_Set_Position(i, x, y, z);
  }
}

int asign_animation_to_object(int object, int animation, int loops, int start_frame) {
  WORLD_TABLES& w = world_tables;
  if (!valid_object(object) || !w.Object_EStuff || !w.animated_bitmap_index || !w.sprite_bitmap_index) return 0;
  if (animation < 0 || animation >= w.animation_count) return 0;
  OBJECT_ESTUFF& e = w.Object_EStuff[object];
  if (e.bitmap == -1) {
    if (w.sprite_bitmap_count >= WORLD_SPRITE_BITMAPS - 1) {
      Engine_Stop("Too many Sprite Bitmaps! ( asign_animation_to_object )");
      return 0;
    }
    if (w.animation_count >= WORLD_ANIMATIONS - 1) {
      Engine_Stop("Too many animated Bitmaps! ( asign_animation_to_object )");
      return 0;
    }
    e.bitmap = static_cast<int16_t>(w.sprite_bitmap_count++);
    e.animation = static_cast<int16_t>(w.animation_count++);
    w.sprite_bitmap_index[e.bitmap] = {};
  }
  e.loops = static_cast<int16_t>(loops);
  const ANIMATION source = w.animated_bitmap_index[animation];
  ANIMATION& a = w.animated_bitmap_index[e.animation];
  a = source;
  const int frame = start_frame >= 0 && start_frame < a.frame_count ? start_frame : 0;
  a.kind = ANIM_KIND_SPRITE_BITMAPS;
  a.frame = static_cast<uint8_t>(frame);
  a.target = e.bitmap;
  a.time_left = a.delays[frame];
  a.active = 1;
  a.loops = static_cast<int16_t>(loops);
  a.object = static_cast<int16_t>(object);
  a.direction = ANIM_FORWARD;
  SPRITE_BITMAP_ENTRY& mine = w.sprite_bitmap_index[e.bitmap];
  const int shown = a.frames[frame];
  if (shown >= 0 && shown < w.sprite_bitmap_count) {
    const SPRITE_BITMAP_ENTRY& from = w.sprite_bitmap_index[shown];
    mine.texture_height = from.texture_height;
    mine.texture_width = from.texture_width;
    mine.image_height = from.image_height;
    mine.image_width = from.image_width;
    mine.texture = from.texture;
    mine.percent = from.percent;
  }
  mine.animation = e.animation;
  mine.mark = 0;
  w.objects[object].bitmap = e.bitmap;
  return 1;
}
