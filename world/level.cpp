// Level loading: the two passes over the .def, the tables and their allocation names, the steps after the file, level freeing and name lookups.
#include "world/level.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "core/vx_mem.h"
#include "world/engine_error.h"
#include "world/image/img_load.h"
#include "world/level_internal.h"
#include "world/map.h"
#include "world/objects.h"

WORLD_TABLES world_tables = {};

namespace {

struct LevelState {
  LEVEL_TEXTURE_LOAD load;      // null: Level_Texture_Load
  LEVEL_TEXTURE_DELETE remove;  // null: nothing to release
  int picture_failures;
};
LevelState lv_st = {};

// Every table starts cleared; a failed allocation shows "Can't allocate
// more memory" before the caller's own message.
void* table_alloc(size_t size, const char* alloc_name) {
  void* p = vx_mem_calloc(1, size);
  if (!p) {
    Engine_Box("Can't allocate more memory", "Error");
    return nullptr;
  }
  vx_mem_name(p, alloc_name);
  return p;
}

template <typename T>
void table_free(T*& p) {
  if (p) vx_mem_free(p);
  p = nullptr;
}

void parameters_default() {
  WORLD_TABLES& w = world_tables;
  w.world_width = WORLD_DEFAULT_WIDTH;
  w.world_depth = WORLD_DEFAULT_DEPTH;
  w.cell_size = WORLD_DEFAULT_CELL_SIZE;
  w.floor_bitmap_size = WORLD_DEFAULT_FLOOR_BITMAP;
  w.wall_bitmap_width = WORLD_DEFAULT_WALL_WIDTH;
  w.wall_bitmap_height = WORLD_DEFAULT_WALL_HEIGHT;
  w.start_x = WORLD_DEFAULT_START;
  w.start_z = WORLD_DEFAULT_START;
  w.far_limit = WORLD_DEFAULT_FAR_LIMIT;
  w.background_h_scale = WORLD_DEFAULT_BACKGROUND_SCALE;
  w.background_v_scale = WORLD_DEFAULT_BACKGROUND_SCALE;
}

bool has_tables() {
  const WORLD_TABLES& w = world_tables;
  return w.tiles || w.sprites || w.objects || w.Object_EStuff || w.bitmap_index || w.sprite_bitmap_index ||
         w.animated_bitmap_index || w.mov_cell_index || w.Ani_Objects_Index || w.tile_buffer || w.world ||
         w.tiles_obj || w.buffer || w.background.pixels;
}

// The tables made right after the .def opened, in order, with their
// allocation names and messages.
int alloc_tables(const LEVEL_PASS& pass) {
  WORLD_TABLES& w = world_tables;
  struct Table {
    void** slot;
    size_t size;
    const char* alloc_name;
    const char* what;
  };
  const Table tables[] = {
      {reinterpret_cast<void**>(&w.tiles), sizeof(TILE) * WORLD_TILES, "tiles in load level", "tiles"},
      {reinterpret_cast<void**>(&w.sprites), sizeof(SPRITE) * WORLD_SPRITES, "sprites in load level", "sprites"},
      {reinterpret_cast<void**>(&w.objects), sizeof(OBJECT) * WORLD_OBJECTS, "objects in load level", "objects"},
      {reinterpret_cast<void**>(&w.Object_EStuff), sizeof(OBJECT_ESTUFF) * WORLD_OBJECTS,
       "objects e_stuff in load level", "Object_EStuff"},
      {reinterpret_cast<void**>(&w.bitmap_index), sizeof(BITMAP_ENTRY) * WORLD_BITMAPS, "bitmap index in load level",
       "bitmap index"},
      {reinterpret_cast<void**>(&w.sprite_bitmap_index), sizeof(SPRITE_BITMAP_ENTRY) * WORLD_SPRITE_BITMAPS,
       "sprite bitmap index in load level", "sprite bitmap index"},
      {reinterpret_cast<void**>(&w.animated_bitmap_index), sizeof(ANIMATION) * WORLD_ANIMATIONS,
       "animated sprite bitmap index in load level", "animated bitmap index"},
      {reinterpret_cast<void**>(&w.mov_cell_index), sizeof(MOV_CELL) * WORLD_MOV_CELLS, "mov cell index in load level",
       "mov_cell_index"},
      {reinterpret_cast<void**>(&w.Ani_Objects_Index), sizeof(ANI_OBJECT) * WORLD_ANI_OBJECTS,
       "ani objects index in load level", "Ani_Objects_Index"},
  };
  for (const Table& t : tables) {
    *t.slot = table_alloc(t.size, t.alloc_name);
    if (!*t.slot) {
      Engine_Stop("Not enough memory for '%s' in Load_Level(%s, %s)", t.what, pass.def_name, pass.map_name);
      return 0;
    }
  }
  return 1;
}

// Both passes over the .def: count the floor and wall lines, then handle
// every line in order.
int read_def(LEVEL_SOURCE* def, LEVEL_PASS* pass) {
  char* line = world_tables.buffer;
  int length = 0, r;
  while ((r = Level_Read_Line(def, line, &length)) == LEVEL_LINE) {
    if (line[0] == '#') pass->floor_count++;
    if (line[0] == '$') pass->wall_count++;
  }
  Level_Source_Close(def);
  if (r == LEVEL_LINE_STOP) return 0;
  if (!Level_Source_Open(def)) return 1;  // gone between the passes: an empty file
  while ((r = Level_Read_Line(def, line, &length)) == LEVEL_LINE) {
    if (!Level_Tile_Buffer(pass) || !Level_Handle_Line(pass, line, length)) {
      Level_Source_Close(def);
      return 0;
    }
  }
  Level_Source_Close(def);
  return r != LEVEL_LINE_STOP;
}

// Every animated object becomes an object standing on its first way point.
int add_animated_objects() {
  WORLD_TABLES& w = world_tables;
  for (int i = 0; i < w.ani_object_count; i++) {
    ANI_OBJECT& a = w.Ani_Objects_Index[i];
    const int n = w.object_count + 1;
    if (n > WORLD_MAX_CREATED + 1) {
      Engine_Stop("I cant create more objects\n\n");
      return 0;
    }
    OBJECT& o = w.objects[n];
    std::memset(&o, 0, sizeof o);
    o.sprite = a.object;
    o.x = a.x[0];
    o.y = a.y[0];
    o.z = a.z[0];
    o.tint = 0;
    o.brightness = 15;
    o.column = WORLD_NOT_ENTERED;
    w.object_count = int16_t(n);
    a.object = int16_t(n);
  }
  return 1;
}

int world_size_ok(const LEVEL_PASS& pass) {
  const WORLD_TABLES& w = world_tables;
  const long long cells = static_cast<long long>(w.world_width) * w.world_depth;
  if (w.world_width >= 0 && w.world_depth >= 0 && cells <= WORLD_CELLS) return 1;
  Engine_Stop("World size %d x %d is more than %d cells in Load_Level(%s, %s)", w.world_width, w.world_depth,
              WORLD_CELLS, pass.def_name, pass.map_name);
  return 0;
}

int level_load(LEVEL_SOURCE* def, LEVEL_SOURCE* map, uint8_t add_objects) {
  WORLD_TABLES& w = world_tables;
  if (has_tables()) Free_Level();
  parameters_default();
  lv_st.picture_failures = 0;
  LEVEL_PASS pass = {};
  pass.def_name = def->name ? def->name : "(null)";
  pass.map_name = map && map->name ? map->name : "(null)";

  w.buffer = static_cast<char*>(table_alloc(WORLD_LINE_BUFFER, "buffer in load level"));
  if (!w.buffer) {
    Engine_Stop("Not enough memory for 'buffer' in Load_Level(%s, %s)", pass.def_name, pass.map_name);
    return LEVEL_STOPPED;
  }
  if (!Level_Source_Open(def)) return LEVEL_NO_DEF;
  if (!alloc_tables(pass) || !read_def(def, &pass) || !world_size_ok(pass)) {
    Level_Source_Close(def);
    return LEVEL_STOPPED;
  }

  w.world = static_cast<CELL*>(table_alloc(sizeof(CELL) * WORLD_CELLS, "world in load level"));
  if (!w.world) {
    Engine_Stop("Not enough memory for 'world' in Load_Level (%s, %s)", pass.def_name, pass.map_name);
    return LEVEL_STOPPED;
  }
  w.tiles_obj = static_cast<TILES_OBJ*>(table_alloc(sizeof(TILES_OBJ) * WORLD_CELLS, "tiles obj in load level"));
  if (!w.tiles_obj) {
    Engine_Stop("Not enough memory for 'tiles_obj' in Load_Level (%s, %s)", pass.def_name, pass.map_name);
    return LEVEL_STOPPED;
  }
  World_Reset();
  if (!Map_Read(map, &pass)) return LEVEL_STOPPED;
  if (add_objects && !add_animated_objects()) return LEVEL_STOPPED;
  for (int o = 1; o <= w.object_count; o++)
    if (!Object_From_Sprite(o)) return LEVEL_STOPPED;
  Objects_Place_All(1);
  table_free(w.buffer);
  return LEVEL_LOADED;
}

int find_name(const char* name, const char* table, size_t stride, int count) {
  if (!name) return WORLD_NAME_ABSENT;
  char key[WORLD_NAME_LEN];
  Level_Name_Copy(key, name, static_cast<int>(std::strlen(name)));
  if (!std::strcmp(key, "NULL")) return WORLD_NAME_NULL;
  if (!table) return WORLD_NAME_ABSENT;
  for (int i = 0; i < count; i++)
    if (!std::strncmp(table + size_t(i) * stride, key, WORLD_NAME_LEN)) return i;
  return WORLD_NAME_ABSENT;
}

}  // namespace

// ---------------------------------------------------------------- sources
int Level_Source_Open(LEVEL_SOURCE* src) {
  Level_Source_Close(src);
  src->pos = 0;
  src->ended = 0;
  if (src->data) return 1;
  if (!src->name) return 0;
  src->file = vx_io_fopen(src->name, "rb");
  return src->file != nullptr;
}

void Level_Source_Close(LEVEL_SOURCE* src) {
  if (src->file) vx_io_fclose(src->file);
  src->file = nullptr;
}

int Level_Source_Getc(LEVEL_SOURCE* src) {
  if (src->data) return src->pos < src->size ? src->data[src->pos++] : -1;
  return src->file ? vx_io_fgetc(src->file) : -1;
}

size_t Level_Source_Read(LEVEL_SOURCE* src, void* out, size_t bytes) {
  if (src->data) {
    const size_t n = std::min(bytes, src->size - src->pos);
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
    return n;
  }
  return src->file ? vx_io_fread(out, 1, bytes, src->file) : 0;
}

void Level_Name_Copy(char* out, const char* name, int length) {
  int n = 0;
  for (; n < length && n < WORLD_NAME_LEN - 1 && name[n]; n++) {
    const char c = name[n];
    out[n] = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  }
  std::memset(out + n, 0, size_t(WORLD_NAME_LEN - n));
}

// ---------------------------------------------------------------- textures
uint32_t Level_Texture_Load(const char* file, int load_flags, GEN_TEXTURE_SIZES* sizes) {
  // The name without its filtering mark; the sizes an upload would report
  // (sides enlarged to powers of two).
  char name[VX_IO_PATH_MAX];
  std::snprintf(name, sizeof name, "%s", file ? file : "");
  size_t n = std::strlen(name);
  if (n && name[n - 1] == '!') name[n - 1] = 0;
  VX_BITMAP picture = {};
  if (!vx_img_load(&picture, name, load_flags)) {
    Engine_Box(file ? file : "", "Can't load bitmap!");
    return 0;
  }
  if (sizes)
    *sizes = {picture.width, picture.height, int16_t(std::bit_ceil(unsigned(picture.width))),
              int16_t(std::bit_ceil(unsigned(picture.height)))};
  vx_bit_free(&picture);
  return 0;
}

void Level_Texture_Hooks(LEVEL_TEXTURE_LOAD load, LEVEL_TEXTURE_DELETE remove) {
  lv_st.load = load;
  lv_st.remove = remove;
}

uint32_t Level_Upload(const char* file, int load_flags, GEN_TEXTURE_SIZES* sizes) {
  GEN_TEXTURE_SIZES got = {};
  const uint32_t texture = lv_st.load ? lv_st.load(file, load_flags, &got) : Level_Texture_Load(file, load_flags, &got);
  // Without a context a picture that loaded reports its sizes and handle 0.
  if (!texture && got.image_width <= 0) lv_st.picture_failures++;
  if (sizes) *sizes = got;
  return texture;
}

int Level_Picture_Failures() { return lv_st.picture_failures; }

// ---------------------------------------------------------------- loading
int Load_Level(const char* def_file, const char* map_file, uint8_t add_animated_objects) {
  LEVEL_SOURCE def = {}, map = {};
  def.name = def_file;
  map.name = map_file;
  return level_load(&def, map_file ? &map : nullptr, add_animated_objects);
}

int Load_Level_Memory(const char* def_name, const uint8_t* def, size_t def_size, const char* map_name,
                      const uint8_t* map, size_t map_size, uint8_t add_animated_objects) {
  static const uint8_t empty = 0;
  LEVEL_SOURCE d = {}, m = {};
  d.name = def_name;
  d.data = def ? def : &empty;
  d.size = def ? def_size : 0;
  m.name = map_name;
  m.data = map;
  m.size = map_size;
  return level_load(&d, map ? &m : nullptr, add_animated_objects);
}

void Free_Level() {
  WORLD_TABLES& w = world_tables;
  table_free(w.tiles_obj);
  table_free(w.world);
  // Animated entries share their frames' textures: each handle goes once.
  const int total = (w.sprite_bitmap_index ? w.sprite_bitmap_count : 0) + (w.bitmap_index ? w.bitmap_count : 0);
  if (total > 0) {
    auto* handles = static_cast<uint32_t*>(vx_mem_malloc(sizeof(uint32_t) * size_t(total)));
    int n = 0;
    for (int i = 0; w.sprite_bitmap_index && i < w.sprite_bitmap_count && handles; i++)
      handles[n++] = w.sprite_bitmap_index[i].texture;
    for (int i = 0; w.bitmap_index && i < w.bitmap_count && handles; i++) handles[n++] = w.bitmap_index[i].texture;
    std::sort(handles, handles + n);
    for (int i = 0; i < n && lv_st.remove; i++)
      if (handles[i] && (i == 0 || handles[i] != handles[i - 1])) lv_st.remove(handles[i]);
    if (handles) vx_mem_free(handles);
  }
  vx_bit_free(&w.background);
  w.background = {};
  table_free(w.tile_buffer);
  w.tile_buffer_size = 0;
  table_free(w.Ani_Objects_Index);
  table_free(w.mov_cell_index);
  table_free(w.animated_bitmap_index);
  table_free(w.sprite_bitmap_index);
  table_free(w.bitmap_index);
  table_free(w.Object_EStuff);
  table_free(w.objects);
  table_free(w.sprites);
  table_free(w.tiles);
  table_free(w.buffer);
  w.bitmap_count = w.sprite_bitmap_count = w.animation_count = 0;
  w.mov_cell_count = w.ani_object_count = 0;
  w.object_count = 0;
}

int Find_Bitmap(const char* name) {
  const WORLD_TABLES& w = world_tables;
  return find_name(name, reinterpret_cast<const char*>(w.bitmap_index), sizeof(BITMAP_ENTRY),
                   w.bitmap_index ? w.bitmap_count : 0);
}

int Find_Sprite_Bitmap(const char* name) {
  const WORLD_TABLES& w = world_tables;
  return find_name(name, reinterpret_cast<const char*>(w.sprite_bitmap_index), sizeof(SPRITE_BITMAP_ENTRY),
                   w.sprite_bitmap_index ? w.sprite_bitmap_count : 0);
}

int Sprite_Bitmap_Animation(const char* name) {
  const int i = Find_Sprite_Bitmap(name);
  if (i < 0) return -1;
  return world_tables.sprite_bitmap_index[i].animation;
}
