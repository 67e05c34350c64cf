// The .def lines: the byte-level line reader, the tokens, the tile buffer and the handler of every line kind.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "world/engine_error.h"
#include "world/image/img_load.h"
#include "world/level.h"
#include "world/level_internal.h"
#include "world/render_internal.h"

namespace {

// The tile buffer is never read; a size beyond this counts as memory that
// cannot be had (a level asking for it has absurd bitmap slot sizes).
constexpr long long TILE_BUFFER_CAP = 32ll << 20;
// Load flag of the texture uploads: palette pictures keep their palette.
constexpr int TEXTURE_LOAD_FLAGS = VX_IMG_PALETTE;

// A piece of a line.
struct SLICE {
  const char* p;
  int n;
};

struct CURSOR {
  const char* s;
  int n;
  int i;
};

bool blank(char c) { return static_cast<uint8_t>(c) <= 32; }
bool at_end(const CURSOR& c) { return c.i >= c.n; }
bool in_set(char c, const char* set) { return c && std::strchr(set, c); }

// Skips blanks and the bytes of `extra`.
void skip(CURSOR& c, const char* extra) {
  while (c.i < c.n && (blank(c.s[c.i]) || in_set(c.s[c.i], extra))) c.i++;
}

// A token: up to a blank, the end of the line or a byte of `stops`.
SLICE take(CURSOR& c, const char* stops) {
  const int begin = c.i;
  while (c.i < c.n && !blank(c.s[c.i]) && !in_set(c.s[c.i], stops)) c.i++;
  return {c.s + begin, c.i - begin};
}

// As the standard atoi: leading blanks, a sign, digits up to the first
// other byte; saturated to 32 bits.
int atoi_at(const char* p, int n) {
  int i = 0;
  while (i < n && (p[i] == ' ' || (p[i] >= 9 && p[i] <= 13))) i++;
  bool negative = false;
  if (i < n && (p[i] == '+' || p[i] == '-')) negative = p[i++] == '-';
  long long v = 0;
  for (; i < n && p[i] >= '0' && p[i] <= '9'; i++)
    if (v < (1ll << 32)) v = v * 10 + (p[i] - '0');
  if (negative) v = -v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int>(v);
}
int number(SLICE s) { return atoi_at(s.p, s.n); }

// A zero-terminated copy of a slice; `out` holds WORLD_LINE_BUFFER bytes.
char* text(SLICE s, char* out) {
  const int n = s.n < WORLD_LINE_BUFFER - 1 ? s.n : WORLD_LINE_BUFFER - 1;
  std::memcpy(out, s.p, size_t(n));
  out[n] = 0;
  return out;
}

// ---------------------------------------------------------------- '@'
void load_background(const char* file) {
  VX_BITMAP& bg = world_tables.background;
  if (!vx_img_load(&bg, file, VX_IMG_PALETTE)) {
    Engine_Box(file, "Can't load background bitmap!");
    return;
  }
  // Stretched over the whole screen of the renderer's output, so made that
  // size once; a 4-bit picture is widened to 8 bits first, as the copy
  // that resizes works from 8 bits up.
  if (bg.bpp == VX_BIT_BPP4) vx_bit_convert(&bg, VX_BIT_BPP8);
  VX_RECT screen = {};
  if (Render_Out().screen(&screen)) {
    if (screen.width > 0 && screen.height > 0 && (screen.width != bg.width || screen.height != bg.height)) {
      const VX_RECT size = {0, 0, screen.width, screen.height};
      vx_bit_resize(&bg, &size, nullptr);
    }
  }
}

int handle_background(const LEVEL_PASS* p, const char* line, int n) {
  WORLD_TABLES& w = world_tables;
  if (w.background.pixels) return 1;  // loaded once per level
  CURSOR c = {line, n, 2};
  char file[WORLD_LINE_BUFFER];
  skip(c, "");
  load_background(text(take(c, ","), file));
  skip(c, ",");
  if (at_end(c)) {
    Engine_Stop("Parameter missing in Background (hor) in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  w.background_h_scale = number(take(c, ","));
  if (w.background_h_scale < 100)
    Engine_Error("*Scale %d for background should be at least 100 in Load_Level(%s, %s)", w.background_h_scale,
                 p->def_name, p->map_name);
  skip(c, ",");
  if (at_end(c)) {
    Engine_Stop("Parameter missing in Background (ver) in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  w.background_v_scale = number(take(c, ""));
  if (w.background_v_scale < 100)
    Engine_Error("Scale %d for background should be at least 100 in Load_Level(%s, %s)", w.background_v_scale,
                 p->def_name, p->map_name);
  return 1;
}

int handle_parameter(LEVEL_PASS* p, const char* line, int n) {
  if (n < 2) return 1;
  if (line[1] == 'j') return handle_background(p, line, n);
  // The number follows the two bytes at once: "@c 16"; "@c=16" reads 0.
  const int v = atoi_at(line + 2, n - 2);
  WORLD_TABLES& w = world_tables;
  switch (line[1]) {
    case 'a': w.world_width = v; break;
    case 'b': w.world_depth = v; break;
    case 'c': w.cell_size = v; break;
    case 'd': w.floor_bitmap_size = v, p->seen_d = 1; break;
    case 'e': w.wall_bitmap_width = v, p->seen_e = 1; break;
    case 'f': w.wall_bitmap_height = v, p->seen_f = 1; break;
    case 'g': w.start_x = v; break;
    case 'h': w.start_z = v; break;
    case 'i': w.far_limit = v; break;
    default: break;
  }
  return 1;
}

// ---------------------------------------------------------------- '#', '$', '^'
int handle_bitmap(const LEVEL_PASS* p, const char* line, int n) {
  WORLD_TABLES& w = world_tables;
  if (!w.tile_buffer) {
    Engine_Stop("ERROR FATAL in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  CURSOR c = {line, n, 1};
  skip(c, "");
  char name[WORLD_LINE_BUFFER], file[WORLD_LINE_BUFFER];
  text(take(c, "="), name);
  skip(c, "=");
  // The value runs to a blank: "FILE%n#": `%` and `#` end the file name.
  const SLICE value = take(c, "");
  int f = 0;
  while (f < value.n && value.p[f] != '%' && value.p[f] != '#') f++;
  text({value.p, f}, file);
  uint8_t percent = 0, hash = 0;
  bool percent_seen = false;
  for (int j = f; j < value.n; j++) {
    if (value.p[j] == '%' && !percent_seen) {
      percent = static_cast<uint8_t>(atoi_at(value.p + j + 1, value.n - j - 1));
      percent_seen = true;
    }
    if (value.p[j] == '#') hash = 1;
  }
  GEN_TEXTURE_SIZES sizes = {};
  if (line[0] != '^') {
    if (Find_Bitmap(name) >= 0) {
      Engine_Stop("Bitmap name %s already exist in Load_Level(%s, %s)", name, p->def_name, p->map_name);
      return 0;
    }
    if (w.bitmap_count >= WORLD_BITMAPS_LOADED) {
      Engine_Stop("Too many bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
      return 0;
    }
    BITMAP_ENTRY& e = w.bitmap_index[w.bitmap_count];
    e = {};
    Level_Name_Copy(e.name, name, WORLD_LINE_BUFFER);
    e.percent = percent;
    e.hash = hash;
    e.texture = Level_Upload(file, TEXTURE_LOAD_FLAGS, &sizes);
    w.bitmap_count++;
    return 1;
  }
  if (Find_Sprite_Bitmap(name) >= 0) {
    Engine_Stop("Sprite Bitmap name %s already exist in Load_Level(%s, %s)", name, p->def_name, p->map_name);
    return 0;
  }
  if (w.sprite_bitmap_count >= WORLD_SPRITE_BITMAPS) {
    Engine_Stop("Too many Sprite Bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  SPRITE_BITMAP_ENTRY& e = w.sprite_bitmap_index[w.sprite_bitmap_count];
  e = {};
  Level_Name_Copy(e.name, name, WORLD_LINE_BUFFER);
  e.percent = percent;
  e.texture = Level_Upload(file, TEXTURE_LOAD_FLAGS, &sizes);
  e.image_width = sizes.image_width;
  e.image_height = sizes.image_height;
  e.texture_width = sizes.texture_width;
  e.texture_height = sizes.texture_height;
  if (++w.sprite_bitmap_count > WORLD_SPRITE_BITMAPS - 1) {
    Engine_Stop("Too many Sprite Bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  return 1;
}

// ---------------------------------------------------------------- '>' and '<'
int handle_animation(const LEVEL_PASS* p, const char* line, int n) {
  WORLD_TABLES& w = world_tables;
  const bool of_sprites = line[0] == '<';
  CURSOR c = {line, n, 1};
  skip(c, "");
  uint8_t ping_pong = 0;
  if (!at_end(c) && line[c.i] == '*') ping_pong = 1, c.i++;
  char name[WORLD_LINE_BUFFER], frame_name[WORLD_LINE_BUFFER];
  text(take(c, "="), name);
  if (of_sprites ? Find_Sprite_Bitmap(name) >= 0 : Find_Bitmap(name) >= 0) {
    if (of_sprites)
      Engine_Error("Sprite Bitmap name %s already exist in Load_Level(%s, %s)", name, p->def_name, p->map_name);
    else
      Engine_Error("Bitmap name %s already exist  in Load_Level(%s, %s)", name, p->def_name, p->map_name);
  }
  skip(c, "=");
  int16_t frames[WORLD_ANIM_FRAMES] = {}, delays[WORLD_ANIM_FRAMES] = {};
  int count = 0, total = 0;
  while (!at_end(c)) {
    text(take(c, ","), frame_name);
    const int frame = of_sprites ? Find_Sprite_Bitmap(frame_name) : Find_Bitmap(frame_name);
    if (frame == WORLD_NAME_ABSENT) {
      if (of_sprites)
        Engine_Stop("Sprite Bitmap %s doesn't exist in Load_Level(%s, %s)", frame_name, p->def_name, p->map_name);
      else
        Engine_Stop("Bitmap %s doesn't exist in Load_Level(%s, %s)", frame_name, p->def_name, p->map_name);
      return 0;
    }
    skip(c, ",");
    if (at_end(c)) {
      Engine_Stop("Delay Parameter missing in animated bitmap %s in Load_Level(%s, %s)", name, p->def_name,
                  p->map_name);
      return 0;
    }
    const int delay = number(take(c, ","));
    skip(c, ",");
    if (++total == WORLD_ANIM_FRAMES + 1)
      Engine_Error("You cant have more than %i frames in animated bitmap %s in Load_Level(%s, %s)", WORLD_ANIM_FRAMES,
                   name, p->def_name, p->map_name);
    if (count < WORLD_ANIM_FRAMES) {
      frames[count] = static_cast<int16_t>(frame);
      delays[count] = static_cast<int16_t>(delay);
      count++;
    }
  }
  if (count == 0) {
    Engine_Stop("Animated bitmap %s should have at least 1 frame in Load_Level(%s, %s)", name, p->def_name,
                p->map_name);
    return 0;
  }
  // Room in the tables (a full table has stopped loading before, unless a
  // sink let it go on).
  if (!of_sprites && w.bitmap_count >= WORLD_BITMAPS) {
    Engine_Stop("Too many bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  if (of_sprites && w.sprite_bitmap_count >= WORLD_SPRITE_BITMAPS) {
    Engine_Stop("Too many Sprite Bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  if (w.animation_count >= WORLD_ANIMATIONS) {
    Engine_Stop("Too many animated Bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  // NAME becomes an entry that starts as a copy of the first frame.
  int entry;
  if (!of_sprites) {
    entry = w.bitmap_count++;
    BITMAP_ENTRY& e = w.bitmap_index[entry];
    e = {};
    Level_Name_Copy(e.name, name, WORLD_LINE_BUFFER);
    e.animated = 1;
    if (frames[0] >= 0) {
      const BITMAP_ENTRY& first = w.bitmap_index[frames[0]];
      e.percent = first.percent;
      e.hash = first.hash;
      e.texture = first.texture;
    }
  } else {
    entry = w.sprite_bitmap_count++;
    SPRITE_BITMAP_ENTRY& e = w.sprite_bitmap_index[entry];
    e = {};
    Level_Name_Copy(e.name, name, WORLD_LINE_BUFFER);
    if (frames[0] >= 0) {
      const SPRITE_BITMAP_ENTRY& first = w.sprite_bitmap_index[frames[0]];
      e.percent = first.percent;
      e.texture_height = first.texture_height;
      e.texture_width = first.texture_width;
      e.image_height = first.image_height;
      e.image_width = first.image_width;
      e.texture = first.texture;
    }
    e.animation = static_cast<int16_t>(w.animation_count);
    e.mark = 0;
  }
  ANIMATION& a = w.animated_bitmap_index[w.animation_count++];
  a = {};
  a.kind = of_sprites ? ANIM_KIND_SPRITE_BITMAPS : ANIM_KIND_BITMAPS;
  a.target = static_cast<int16_t>(entry);
  a.frame_count = static_cast<uint8_t>(count);
  a.frame = 0;
  std::memcpy(a.frames, frames, sizeof frames);
  std::memcpy(a.delays, delays, sizeof delays);
  a.time_left = delays[0];
  a.object = -1;
  a.ping_pong = ping_pong;
  a.direction = ANIM_FORWARD;
  if (of_sprites && w.sprite_bitmap_count > WORLD_SPRITE_BITMAPS - 1) {
    Engine_Stop("Too many Sprite Bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  if (w.animation_count > WORLD_ANIMATIONS - 1) {
    Engine_Stop("Too many animated Bitmaps in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  return 1;
}

// ---------------------------------------------------------------- ']'
// Replaced by FRAMES generated '^' lines and one '<' line, each handled as
// if read from the file.
int handle_super_animation(LEVEL_PASS* p, const char* line, int n) {
  CURSOR c = {line, n, 1};
  skip(c, "");
  const bool ping_pong = !at_end(c) && line[c.i] == '*';
  if (ping_pong) c.i++;
  const SLICE name = take(c, "=");
  skip(c, "=");
  const SLICE base = take(c, ",");
  skip(c, ",");
  const SLICE frames_text = take(c, ",");
  skip(c, ",");
  const SLICE delay_text = take(c, ",");
  if (!base.n || !frames_text.n || !delay_text.n) {
    Engine_Stop("Parameters missing in super animated bitmap in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  const int frames = number(frames_text), delay = number(delay_text);
  // One block holds the longest generated line: a '^' line, or the '<'
  // line with every frame (the '^' lines stop loading past 1500 entries).
  const size_t entry_bytes = size_t(name.n) + 32;
  const size_t sprite_line = size_t(name.n) + size_t(base.n) + 64;
  const size_t frame_count = frames > 0 ? size_t(frames < WORLD_SPRITE_BITMAPS ? frames : WORLD_SPRITE_BITMAPS) : 0;
  const size_t anim_line = entry_bytes + frame_count * entry_bytes;
  const size_t size = sprite_line > anim_line ? sprite_line : anim_line;
  char* g = static_cast<char*>(vx_mem_calloc(1, size));
  if (!g) {
    Engine_Box("Can't allocate more memory", "Error");
    Engine_Stop("Not enough memory for 'buffer' in Load_Level(%s, %s)", p->def_name, p->map_name);
    return 0;
  }
  vx_mem_name(g, "super animated line in load level");
  int ok = 1;
  int i = 0;
  for (; i < frames && ok; i++) {
    const int len = std::snprintf(g, size, "^%.*s%02d=%.*s%02d.png", name.n, name.p, i, base.n, base.p, i);
    ok = Level_Handle_Line(p, g, len);
  }
  if (ok) {
    size_t len = size_t(std::snprintf(g, size, "<%s%.*s=", ping_pong ? "*" : "", name.n, name.p));
    for (int k = 0; k < frames && len < size; k++)
      len += size_t(std::snprintf(g + len, size - len, "%s%.*s%02d,%d", k ? "," : "", name.n, name.p, k, delay));
    ok = Level_Handle_Line(p, g, static_cast<int>(len < size ? len : size - 1));
  }
  vx_mem_free(g);
  return ok;
}

// ---------------------------------------------------------------- '%'
int handle_tile(const LEVEL_PASS* p, const char* line, int n) {
  WORLD_TABLES& w = world_tables;
  CURSOR c = {line, n, 1};
  skip(c, "");
  const int t = number(take(c, "="));
  if (t < 1 || t >= WORLD_TILES) {
    Engine_Stop("Wrong tile number %d in Load_Level(%s, %s)", t, p->def_name, p->map_name);
    return 0;
  }
  TILE& tile = w.tiles[t];
  if (tile.defined) {
    Engine_Stop("Tile number %d already defined in Load_Level(%s, %s)", t, p->def_name, p->map_name);
    return 0;
  }
  skip(c, "=");
  TILE made = {};
  char face_name[WORLD_LINE_BUFFER];
  for (int face = 0; face < 6; face++) {
    if (face) skip(c, ",");
    if (at_end(c)) {
      Engine_Stop("Very Few parameters in tile number %d in Load_Level(%s, %s)", t, p->def_name, p->map_name);
      return 0;
    }
    SLICE s = take(c, ",");
    if (s.n && s.p[s.n - 1] == '!') {
      if (face < 2) {
        Engine_Stop("ERROR: You can't use the property '!' for floors - Tile %d in Load_Level(%s, %s)", t,
                    p->def_name, p->map_name);
        return 0;
      }
      s.n--;
      made.marks[face - 2] = 1;
    }
    const int b = Find_Bitmap(text(s, face_name));
    if (b == WORLD_NAME_ABSENT) {
      Engine_Stop("Bitmap name %s doesn't exist in Load_Level(%s, %s)", face_name, p->def_name, p->map_name);
      return 0;
    }
    made.faces[TILE_FACE_SLOT[face]] = static_cast<int16_t>(b);
  }
  made.defined = 1;
  tile = made;
  return 1;
}

// ---------------------------------------------------------------- '&'
int handle_sprite(const LEVEL_PASS* p, const char* line, int n) {
  WORLD_TABLES& w = world_tables;
  CURSOR c = {line, n, 1};
  skip(c, "");
  const int s = number(take(c, "="));
  if (s < 0 || s > WORLD_SPRITES - 2) {
    Engine_Stop("Wrong sprite number %d in Load_Level(%s, %s)", s, p->def_name, p->map_name);
    return 0;
  }
  if (w.sprites[s].defined) {
    Engine_Stop("Sprite number %d already defined in Load_Level(%s, %s)", s, p->def_name, p->map_name);
    return 0;
  }
  skip(c, "=");
  if (at_end(c)) {
    Engine_Stop("Very Few parameters in sprite number %d in Load_Level(%s, %s)", s, p->def_name, p->map_name);
    return 0;
  }
  char bitmap_name[WORLD_LINE_BUFFER];
  const int b = Find_Sprite_Bitmap(text(take(c, ","), bitmap_name));
  if (b == WORLD_NAME_ABSENT) {
    Engine_Stop("Sprite Bitmap name %s doesn't exist in Load_Level(%s, %s)", bitmap_name, p->def_name, p->map_name);
    return 0;
  }
  SPRITE_BITMAP_ENTRY* sb = b >= 0 ? &w.sprite_bitmap_index[b] : nullptr;
  if (sb) {
    sb->texture_height = sb->image_height;
    sb->texture_width = sb->image_width;
  }
  int values[11];
  for (int k = 0; k < 11; k++) {
    skip(c, ",");
    if (at_end(c)) {
      Engine_Stop("Very Few parameters in sprite number %d in Load_Level(%s, %s)", s, p->def_name, p->map_name);
      return 0;
    }
    values[k] = number(take(c, ","));
  }
  SPRITE& sp = w.sprites[s];
  sp = {};
  sp.defined = 1;
  sp.bitmap = static_cast<int16_t>(b);
  // A negative size is that percentage of the picture's size.
  int height = values[0], width = values[1];
  if (height < 0) height = static_cast<int>((sb ? sb->image_height : 0) * (-static_cast<long long>(height)) / 100);
  if (width < 0) width = static_cast<int>((sb ? sb->image_width : 0) * (-static_cast<long long>(width)) / 100);
  sp.height = static_cast<int16_t>(height);
  sp.width = static_cast<int16_t>(width);
  sp.translucency = static_cast<uint8_t>(values[2]);
  for (int k = 0; k < 8; k++) sp.params[k] = static_cast<int16_t>(values[3 + k]);
  return 1;
}

// ---------------------------------------------------------------- '*'
int handle_moving_cell(const LEVEL_PASS* p, const char* line, int n) {
  WORLD_TABLES& w = world_tables;
  CURSOR c = {line, n, 1};
  skip(c, "");
  const SLICE zs = take(c, ",");
  skip(c, ",");
  const SLICE xs = take(c, "=");
  const int z = number(zs), x = number(xs);
  int head[4];  // TILE, UP, DOWN, MODE
  for (int k = 0; k < 4; k++) {
    skip(c, ",=");
    if (!zs.n || !xs.n || at_end(c)) {
      Engine_Stop("Parameters missing in moving cell (z:%d, x:%d) in Load_Level(%s, %s)", z, x, p->def_name,
                  p->map_name);
      return 0;
    }
    head[k] = number(take(c, ","));
    if (k == 0 && (head[0] < 1 || head[0] >= WORLD_TILES || !w.tiles[head[0]].defined)) {
      Engine_Stop("Tile number %d used by an animated cell (z:%d, x:%d) is NOT defined in Load_Level(%s, %s)",
                  head[0], z, x, p->def_name, p->map_name);
      return 0;
    }
  }
  if (head[1] < head[2])
    Engine_Error(
        "The down face altitude cant be higher than the up face in moving cell (z:%d, x:%d) in Load_Level(%s, %s)", z,
        x, p->def_name, p->map_name);
  MOV_CELL m = {};
  int total = 0;
  for (;;) {
    skip(c, ",=");
    if (at_end(c)) break;
    const int altitude = number(take(c, ","));
    skip(c, ",=");
    if (at_end(c)) {
      Engine_Stop("Speed parameter missing in moving cell (z:%d, x:%d) in Load_Level(%s, %s)", z, x, p->def_name,
                  p->map_name);
      return 0;
    }
    const int speed = number(take(c, ","));
    skip(c, ",=");
    if (at_end(c)) {
      Engine_Stop("Delay parameter missing in moving cell (z:%d, x:%d) in Load_Level(%s, %s)", z, x, p->def_name,
                  p->map_name);
      return 0;
    }
    const int delay = number(take(c, ","));
    if (++total == WORLD_MOV_FRAMES + 1)
      Engine_Error("You can't have more than %i frames per moving cell (z:%d, x:%d) in Load_Level(%s, %s)",
                   WORLD_MOV_FRAMES, z, x, p->def_name, p->map_name);
    if (total <= WORLD_MOV_FRAMES) {
      m.altitudes[total - 1] = static_cast<int16_t>(altitude);
      m.speeds[total - 1] = static_cast<int16_t>(speed);
      m.delays[total - 1] = static_cast<int16_t>(delay);
    }
  }
  if (total < 2)
    Engine_Error("Moving cell (z:%d, x:%d) should have at least 2 frames in Load_Level(%s, %s)", z, x, p->def_name,
                 p->map_name);
  // The table holds 200 cells; later lines are checked but not kept.
  if (w.mov_cell_count >= WORLD_MOV_CELLS) return 1;
  m.x = static_cast<int16_t>(x);
  m.z = static_cast<int16_t>(z);
  m.tile = static_cast<int16_t>(head[0]);
  m.up = static_cast<int16_t>(head[1]);
  m.down = static_cast<int16_t>(head[2]);
  m.mode = static_cast<uint8_t>(head[3]);
  m.frame_count = static_cast<uint8_t>(total < WORLD_MOV_FRAMES ? total : WORLD_MOV_FRAMES);
  m.frame = 0;
  m.current = WORLD_WAITING;
  m.pause = WORLD_WAITING;
  w.mov_cell_index[w.mov_cell_count++] = m;
  return 1;
}

// ---------------------------------------------------------------- '+'
int handle_animated_object(const LEVEL_PASS* p, const char* line, int n) {
  WORLD_TABLES& w = world_tables;
  CURSOR c = {line, n, 1};
  skip(c, "");
  const int s = number(take(c, "="));
  if (s < 0 || s >= WORLD_SPRITES || !w.sprites[s].defined) {
    Engine_Stop("Sprite number %d used by an animated object, is NOT defined in Load_Level(%s, %s)", s, p->def_name,
                p->map_name);
    return 0;
  }
  static const char* const missing[4] = {
      "'Y' parameter missing in animated object %d in Load_Level (%s, %s)",
      "'Z' parameter missing in animated object %d in Load_Level (%s, %s)",
      "Speed parameter missing in animated object %d in Load_Level (%s, %s)",
      "Delay parameter missing in animated object %d in Load_Level (%s, %s)",
  };
  ANI_OBJECT a = {};
  int total = 0;
  skip(c, "=");
  while (!at_end(c)) {
    int v[5];
    v[0] = number(take(c, ","));
    for (int k = 1; k < 5; k++) {
      skip(c, ",");
      if (at_end(c)) {
        Engine_Stop(missing[k - 1], s, p->def_name, p->map_name);
        return 0;
      }
      v[k] = number(take(c, ","));
    }
    skip(c, ",");
    if (++total == WORLD_ANI_FRAMES + 1)
      Engine_Error("You can't have more than %i way points in animated object %d in Load_Level (%s, %s)",
                   WORLD_ANI_FRAMES, s, p->def_name, p->map_name);
    if (total <= WORLD_ANI_FRAMES) {
      const int k = total - 1;
      a.x[k] = static_cast<int16_t>(v[0]);
      a.y[k] = static_cast<int16_t>(v[1]);
      a.z[k] = static_cast<int16_t>(v[2]);
      a.speed[k] = static_cast<int16_t>(v[3]);
      a.delay[k] = static_cast<int16_t>(v[4]);
    }
  }
  if (total == 0)
    Engine_Error("Animated object %d should have at least 1 frame in Load_Level (%s, %s)", s, p->def_name,
                 p->map_name);
  if (w.ani_object_count >= WORLD_ANI_OBJECTS) return 1;  // checked, not kept
  const int count = total < WORLD_ANI_FRAMES ? total : WORLD_ANI_FRAMES;
  // Each leg runs to the next way point (the last back to the first).
  // A speed of 0 or below, or two equal way points, make a leg of no time.
  for (int k = 0; k < count; k++) {
    const int next = (k + 1) % count;
    const double dx = a.x[next] - a.x[k], dy = a.y[next] - a.y[k], dz = a.z[next] - a.z[k];
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double t = a.speed[k] > 0 ? distance / a.speed[k] : 0.0;
    a.travel_time[k] = t;
    a.vx[k] = t > 0 ? dx / t : 0.0;
    a.vy[k] = t > 0 ? dy / t : 0.0;
    a.vz[k] = t > 0 ? dz / t : 0.0;
  }
  a.object = static_cast<int16_t>(s);
  a.frame_count = static_cast<uint8_t>(count);
  a.frame = 0;
  a.pause = WORLD_WAITING;
  a.travel_left = a.travel_time[0];
  w.Ani_Objects_Index[w.ani_object_count++] = a;
  return 1;
}

}  // namespace

// ---------------------------------------------------------------- reading
int Level_Read_Line(LEVEL_SOURCE* src, char* line, int* length) {
  for (;;) {
    int n = 0;
    while (!src->ended) {
      const int c = Level_Source_Getc(src);
      if (c < 0 || c == 255) {  // the end, or the byte that ends the file
        src->ended = 1;
        break;
      }
      if (c == 13) {  // the line's end; the byte after it (LF of CR LF) goes too
        Level_Source_Getc(src);
        break;
      }
      if (c < 32) continue;
      if (n >= WORLD_LINE_MAX) {
        Engine_Stop("ERROR : Line is too long! ( maximun 9999 )");
        return LEVEL_LINE_STOP;
      }
      line[n++] = static_cast<char>(c);
    }
    line[n] = 0;
    *length = n;
    if (n > 0) return LEVEL_LINE;
    if (src->ended) return LEVEL_END;
  }
}

int Level_Tile_Buffer(LEVEL_PASS* p) {
  WORLD_TABLES& w = world_tables;
  if (w.tile_buffer || !p->seen_d || !p->seen_e || !p->seen_f) return 1;
  // Slots of one 256-byte-wide row: floors floor_bitmap_size wide, walls
  // wall_bitmap_width wide; floor rows are floor_bitmap_size high, wall
  // rows wall_bitmap_height.
  const long long per_floor_row = w.floor_bitmap_size > 0 ? 256 / w.floor_bitmap_size : 0;
  const long long per_wall_row = w.wall_bitmap_width > 0 ? 256 / w.wall_bitmap_width : 0;
  long long size = -1;
  if (per_floor_row > 0 && per_wall_row > 0 && w.wall_bitmap_height >= 0) {
    const long long rows_f = (p->floor_count - 1) / per_floor_row + 1;
    const long long rows_w = (p->wall_count - 1) / per_wall_row + 1;
    size = rows_f * w.floor_bitmap_size * 256 + rows_w * w.wall_bitmap_height * 256;
  }
  if (size > 0 && size <= TILE_BUFFER_CAP) {
    w.tile_buffer = static_cast<uint8_t*>(vx_mem_calloc(1, size_t(size)));
    if (w.tile_buffer) {
      vx_mem_name(w.tile_buffer, "tile buffer in load level");
      w.tile_buffer_size = size_t(size);
      return 1;
    }
  }
  Engine_Box("Can't allocate more memory", "Error");
  Engine_Stop("Sorry, Not enough memory for tiles in Load_Level(%s, %s)", p->def_name, p->map_name);
  return 0;
}

int Level_Handle_Line(LEVEL_PASS* pass, const char* line, int length) {
  if (length < 1) return 1;
  switch (line[0]) {
    case '@': return handle_parameter(pass, line, length);
    case '#':
    case '$':
    case '^': return handle_bitmap(pass, line, length);
    case '>':
    case '<': return handle_animation(pass, line, length);
    case ']': return handle_super_animation(pass, line, length);
    case '%': return handle_tile(pass, line, length);
    case '&': return handle_sprite(pass, line, length);
    case '*': return handle_moving_cell(pass, line, length);
    case '+': return handle_animated_object(pass, line, length);
    default: return 1;  // comments, and any other first byte
  }
}
