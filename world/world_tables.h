// The tile world's shared tables: level parameters, bitmaps, sprites, animations, tiles, moving cells, animated objects, objects and the grid.
//
// One record, `world_tables`, holds every table of the loaded level. Who
// writes what:
//   - Load_Level (world/level.cpp, world/level_lines.cpp) sets the
//     parameters and creates and fills every table; Free_Level empties them.
//   - The map reader and World_Reset (world/map.cpp) fill `world`,
//     `tiles_obj`, `objects` and `object_count` during Load_Level.
//   - The object functions (world/objects.cpp) write `objects`,
//     `object_count`, `tiles_obj`, `Object_EStuff` and add private entries
//     to `sprite_bitmap_index` and `animated_bitmap_index`.
//   - The time steps (world/anim.cpp) write the running fields of
//     `animated_bitmap_index`, the shown fields of the target entries in
//     `bitmap_index` and `sprite_bitmap_index`, `mov_cell_index`, the cells
//     the moving cells name, `Ani_Objects_Index` and the animated objects.
//   - The game may change cell heights and object fields directly; it calls
//     Object_Set_Position after moving an object.
//   - The renderer only reads (it reorders the object lists of `tiles_obj`).
// Tables are null while no level is loaded.
#pragma once
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "display/vx_bit.h"

static_assert(std::endian::native == std::endian::little,
              "cells and objects are kept in memory as the map file stores them (little-endian)");

// ---------------------------------------------------------------- limits
constexpr int WORLD_BITMAPS = 1000;         // bitmap_index records
constexpr int WORLD_BITMAPS_LOADED = 999;   // '#' and '$' lines stop when this many bitmaps exist
constexpr int WORLD_SPRITE_BITMAPS = 1500;  // sprite_bitmap_index records (a count above 1499 stops)
constexpr int WORLD_ANIMATIONS = 300;       // animated_bitmap_index records (a count above 299 stops)
constexpr int WORLD_ANIM_FRAMES = 40;       // frames of one animation
constexpr int WORLD_TILES = 300;            // tile numbers 1..299 (0 is the empty cell)
constexpr int WORLD_SPRITES = 300;          // sprite numbers 0..298
constexpr int WORLD_MOV_CELLS = 200;
constexpr int WORLD_MOV_FRAMES = 30;
constexpr int WORLD_ANI_OBJECTS = 200;
constexpr int WORLD_ANI_FRAMES = 30;
constexpr int WORLD_OBJECTS = 1000;         // object records 0..999; 0 is not an object
constexpr int WORLD_SCRATCH_OBJECT = 999;   // used by the renderer to draw a sprite at a screen position
constexpr int WORLD_MAX_CREATED = 997;      // Create_Object refuses a number above this
constexpr int WORLD_MAX_MAP_OBJECTS = 999;  // last object number a map may bring
constexpr int WORLD_CELLS = 10000;          // world_width x world_depth may not exceed it
constexpr int WORLD_CELL_OBJECTS = 15;      // objects listed per cell
constexpr int WORLD_NAME_LEN = 40;          // name field: 39 characters and the terminator
constexpr int WORLD_LINE_BUFFER = 11000;    // the loader's line buffer
constexpr int WORLD_LINE_MAX = 9999;        // bytes a .def line may keep

// Special values.
constexpr int16_t WORLD_NOT_ENTERED = -9999;  // object column: not listed in any cell
constexpr double WORLD_WAITING = -9999.0;     // moving cell altitude not started / pause: moving
constexpr double WORLD_NO_HEIGHT = -9999.0;   // World_Up_Height outside the world or over an empty cell
constexpr int WORLD_NAME_NULL = -1;           // Find_Bitmap / Find_Sprite_Bitmap for "NULL"
constexpr int WORLD_NAME_ABSENT = -10;        // ... for a name not in the table

// Parameter defaults (each `@a`..`@i` line may change one; Load_Level
// starts every level from these).
constexpr int WORLD_DEFAULT_WIDTH = 100;
constexpr int WORLD_DEFAULT_DEPTH = 100;
constexpr int WORLD_DEFAULT_CELL_SIZE = 12;
constexpr int WORLD_DEFAULT_FLOOR_BITMAP = 32;
constexpr int WORLD_DEFAULT_WALL_WIDTH = 32;
constexpr int WORLD_DEFAULT_WALL_HEIGHT = 256;
constexpr int WORLD_DEFAULT_START = 10;
constexpr int WORLD_DEFAULT_FAR_LIMIT = 100;
constexpr int WORLD_DEFAULT_BACKGROUND_SCALE = 150;

// ---------------------------------------------------------------- records
// A texture bitmap of tile faces ('#' floor and '$' wall lines, and the
// entry a '>' line makes, which shows the animation's current frame).
struct BITMAP_ENTRY {
  char name[WORLD_NAME_LEN];  // upper case, zero-terminated
  uint8_t animated;           // 0 as loaded; 1 for the entry of a '>' line
  uint8_t percent;            // the `%` value of the file name
  uint8_t hash;               // the `#` mark, 0 or 1
  uint32_t texture;           // texture handle of the upload, 0 for none
};

// A sprite bitmap ('^' lines, the entry of a '<' line, private entries of
// asign_animation_to_object).
struct SPRITE_BITMAP_ENTRY {
  char name[WORLD_NAME_LEN];  // upper case; private entries have none
  uint8_t percent;
  int16_t texture_height, texture_width;  // powers of two of the upload (an '&' line sets them to the image's)
  int16_t image_height, image_width;      // the picture file's size
  int16_t animation;                      // animation driving this entry ('<' and private entries), else 0
  uint8_t mark;                           // 0
  uint32_t texture;
};

constexpr uint8_t ANIM_KIND_BITMAPS = 0;         // frames index bitmap_index
constexpr uint8_t ANIM_KIND_SPRITE_BITMAPS = 1;  // frames index sprite_bitmap_index
constexpr uint8_t ANIM_FORWARD = 0;
constexpr uint8_t ANIM_BACKWARD = 1;

struct ANIMATION {
  uint8_t active;
  int16_t loops;       // loops left, -1 forever
  uint8_t kind;        // ANIM_KIND_*
  int16_t target;      // entry (of the kind's table) that shows the current frame
  uint8_t frame_count;
  uint8_t frame;       // current frame
  int16_t frames[WORLD_ANIM_FRAMES];  // entries of the kind's table; -1 for "NULL"
  int16_t delays[WORLD_ANIM_FRAMES];  // time units
  double time_left;    // in the current frame
  int16_t object;      // owning object, -1 none
  uint8_t ping_pong;   // 1: plays forward then backward
  uint8_t direction;   // ANIM_FORWARD or ANIM_BACKWARD
};

// Faces 0 and 1 are the cell's upper and lower floor, 2 to 5 its walls:
// 2 low x, 4 high x, 5 far (low z), 3 near (high z). `faces` keeps them in
// the slot order 0, 1, 5, 3, 2, 4; TILE_FACE_SLOT maps a face to its slot.
constexpr int TILE_FACE_SLOT[6] = {0, 1, 4, 3, 5, 2};
struct TILE {
  uint8_t defined;
  int16_t faces[6];  // bitmap_index entries by slot, -1 no bitmap
  int16_t marks[4];  // the `!` marks of faces 2, 3, 4, 5 (0 or 1)
};

struct SPRITE {
  uint8_t defined;
  int16_t bitmap;        // sprite_bitmap_index entry, -1 for "NULL"
  int16_t height, width;  // world units
  uint8_t translucency;  // quarters: alpha = 1 - 0.25 x translucency
  int16_t params[8];     // P4..P11, copied into every object made from the sprite (the game reads them)
};

constexpr uint8_t MOV_CELL_WHOLE = 0;  // both faces move
constexpr uint8_t MOV_CELL_UPPER = 1;  // only the upper face
constexpr uint8_t MOV_CELL_LOWER = 2;  // only the lower face

struct MOV_CELL {
  int16_t x, z;      // column and row
  int16_t tile;
  int16_t up, down;  // start altitudes of the upper and lower face
  uint8_t mode;      // MOV_CELL_*
  uint8_t frame_count;
  uint8_t frame;
  int16_t altitudes[WORLD_MOV_FRAMES];
  int16_t speeds[WORLD_MOV_FRAMES];  // world units per 10 time units
  int16_t delays[WORLD_MOV_FRAMES];  // pause at the altitude, time units
  double current;    // altitude now, WORLD_WAITING before the first step
  double pause;      // pause left, WORLD_WAITING while moving
};

struct ANI_OBJECT {
  int16_t object;    // the sprite number as read; the object number once the object exists
  uint8_t frame_count;
  uint8_t frame;     // current way point
  int16_t x[WORLD_ANI_FRAMES], y[WORLD_ANI_FRAMES], z[WORLD_ANI_FRAMES];
  int16_t speed[WORLD_ANI_FRAMES], delay[WORLD_ANI_FRAMES];
  double vx[WORLD_ANI_FRAMES], vy[WORLD_ANI_FRAMES], vz[WORLD_ANI_FRAMES];  // units per time unit towards the next way point
  double travel_time[WORLD_ANI_FRAMES];  // time units from this way point to the next
  double pause;        // pause left; WORLD_WAITING before the first arrival, 0 moving
  double travel_left;  // time units to the next way point
};

// A cell of the world grid, as in the map file. Corners of a face, in
// order: (low x, high z), (low x, low z), (high x, high z), (high x, low z).
#pragma pack(push, 1)
struct CELL {
  int16_t tile;         // 0 empty, else 1..299
  uint8_t reserved[2];  // 0 in a new world, kept as read
  int16_t up[4];        // upper face corner heights, world units
  int16_t down[4];      // lower face corner heights
  int8_t tint;          // colour ramp 0..15
  int8_t brightness;    // 0..15, 15 full
};

// An object, as in the map file. Offsets 2..28 are refilled from the
// sprite whenever the level loads.
struct OBJECT {
  int16_t sprite;
  int16_t bitmap;        // sprite_bitmap_index entry shown
  int16_t height, width;  // world units
  int16_t placed_width;  // width at the last placement
  uint8_t translucency;  // quarters
  uint8_t mirror_h;      // flag, drawn mirrored left to right
  uint8_t mirror_v;      // flag, drawn mirrored top to bottom
  int16_t params[8];     // the sprite's P4..P11
  double x, y, z;        // x the horizontal centre, y the foot, world units
  int16_t column, row;   // where last entered; column WORLD_NOT_ENTERED = not entered
  int8_t tint;
  int8_t brightness;
};
#pragma pack(pop)
static_assert(sizeof(CELL) == 22, "a map cell is 22 bytes");
static_assert(offsetof(CELL, up) == 4 && offsetof(CELL, down) == 12 && offsetof(CELL, tint) == 20 &&
                  offsetof(CELL, brightness) == 21,
              "cell layout of the map file");
static_assert(sizeof(OBJECT) == 59, "an object record is 59 bytes");
static_assert(offsetof(OBJECT, placed_width) == 8 && offsetof(OBJECT, translucency) == 10 &&
                  offsetof(OBJECT, params) == 13 && offsetof(OBJECT, x) == 29 && offsetof(OBJECT, y) == 37 &&
                  offsetof(OBJECT, z) == 45 && offsetof(OBJECT, column) == 53 && offsetof(OBJECT, row) == 55 &&
                  offsetof(OBJECT, tint) == 57 && offsetof(OBJECT, brightness) == 58,
              "object layout of the map file");

struct OBJECT_ESTUFF {
  int16_t bitmap;     // private sprite bitmap, -1 none yet
  int16_t animation;  // private animation
  int16_t loops;      // loops left of the private animation, kept current by Animations_Step
};

struct TILES_OBJ {
  int8_t count;                          // 0..15
  int16_t objects[WORLD_CELL_OBJECTS];   // object numbers whose footprint covers the cell
};

// ---------------------------------------------------------------- the record
struct WORLD_TABLES {
  // Parameters ('@a'..'@i').
  int32_t world_width, world_depth, cell_size;
  int32_t floor_bitmap_size, wall_bitmap_width, wall_bitmap_height;
  int32_t start_x, start_z, far_limit;
  // Background ('@j'): percentages, and the picture (pixels null: none).
  int32_t background_h_scale, background_v_scale;
  VX_BITMAP background;

  BITMAP_ENTRY* bitmap_index;                // WORLD_BITMAPS records
  int32_t bitmap_count;
  SPRITE_BITMAP_ENTRY* sprite_bitmap_index;  // WORLD_SPRITE_BITMAPS
  int32_t sprite_bitmap_count;
  ANIMATION* animated_bitmap_index;          // WORLD_ANIMATIONS
  int32_t animation_count;
  TILE* tiles;                               // WORLD_TILES, by tile number
  SPRITE* sprites;                           // WORLD_SPRITES, by sprite number
  MOV_CELL* mov_cell_index;                  // WORLD_MOV_CELLS
  int32_t mov_cell_count;
  ANI_OBJECT* Ani_Objects_Index;             // WORLD_ANI_OBJECTS
  int32_t ani_object_count;
  uint8_t* tile_buffer;                      // never filled; its existence gates the bitmap lines
  size_t tile_buffer_size;
  char* buffer;                              // the line buffer, WORLD_LINE_BUFFER bytes, only during Load_Level

  OBJECT* objects;                           // WORLD_OBJECTS
  int16_t object_count;                      // last object number
  OBJECT_ESTUFF* Object_EStuff;              // WORLD_OBJECTS
  CELL* world;                               // WORLD_CELLS; cell (row z, column x) = z x world_width + x
  TILES_OBJ* tiles_obj;                      // WORLD_CELLS, numbered like the cells
};
extern WORLD_TABLES world_tables;

// ---------------------------------------------------------------- grid helpers
// The cell size as divisor: cell_size, or 1 when a level sets it below 1.
inline int World_Cell_Unit() { return world_tables.cell_size > 0 ? world_tables.cell_size : 1; }

// A double truncated toward zero as an int, saturated to +-1e9; NaN gives
// -1e9 (outside any world).
inline int World_Trunc(double v) {
  if (!(v == v)) return -1000000000;
  if (v >= 1e9) return 1000000000;
  if (v <= -1e9) return -1000000000;
  return static_cast<int>(v);
}

// 1 when (column x, row z) is a cell of the world.
inline int World_Inside(int x, int z) {
  return x >= 0 && z >= 0 && x < world_tables.world_width && z < world_tables.world_depth;
}

// Cell (column x, row z), or null outside the world or without a world.
inline CELL* World_Cell(int x, int z) {
  if (!world_tables.world || !World_Inside(x, z)) return nullptr;
  return &world_tables.world[z * world_tables.world_width + x];
}
