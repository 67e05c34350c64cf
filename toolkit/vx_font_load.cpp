// Bitmap fonts: reading .fnt files, cutting characters out of pictures and animation frames, the space and the character map.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_bit_box.h"
#include "display/vx_blit.h"
#include "display/vx_pal.h"
#include "toolkit/vx_anim.h"
#include "toolkit/vx_font.h"
#include "toolkit/vx_font_internal.h"

namespace {

constexpr const char* PROPERTIES = "Font Properties";
constexpr const char* CHARACTERS = "Character Properties";
constexpr int NAME_CHARS = 519;     // longest file name a section gives
constexpr int TEXT_CHARS = VX_IO_INI_LINE;
constexpr int TABLE_STEP = 10;      // the table grows by this many entries
constexpr int MAX_SIDE = 32767;     // rectangles are 16-bit signed
constexpr uint32_t SPACE = 32;

enum : int {
  TYPE_PICTURE = 1,       // a picture on the font's cell size
  TYPE_PICTURE_CELL = 2,  // a picture with a cell size of its own
  TYPE_ANIM = 4,          // animation on the font's grid (also 6)
  TYPE_ANIM_REGION = 5,   // animation region (also 7)
};

// A growable array of codes for one decoded text, freed at the end of the load.
struct Codes {
  uint32_t* data;
  int capacity;
  int count;
};

// What one load works with.
struct Loader {
  VX_FONT* font;
  const char* file;
  char folder[VX_IO_PATH_MAX];
  int flags;
  int capacity;        // table entries allocated
  bool failed;         // a section, row or character could not be loaded
  int16_t first_bpp;   // depth of the first picture: the created space's
  long last_file;      // highest number after "[File" in the file: later sections are missing
  long last_row;       // highest number after "Line" likewise
  Codes row, map_src, map_dst;
};

// ---------------------------------------------------------------- reading keys

bool read_string(const Loader* L, const char* section, const char* key, char* out, int size) {
  vx_io_ini_get_string(section, key, out, size, L->file);
  return !vx_io_get_status(1);
}

bool read_int(const Loader* L, const char* section, const char* key, int* out) {
  vx_io_ini_get_int(section, key, out, L->file);
  return !vx_io_get_status(1);
}

// Optional keys: a missing one is not reported.
bool read_int_quietly(const Loader* L, const char* section, const char* key, int* out) {
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  bool found = read_int(L, section, key, out);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  return found;
}

// A count under its name or its older one (NumFiles / NbFiles, NumLines / NbLines).
bool read_count(const Loader* L, const char* section, const char* key, const char* old_key, int* out) {
  return read_int_quietly(L, section, key, out) || read_int(L, section, old_key, out);
}

// The number after `prefix` at a line start, for the highest one seen.
void note_number(const char* p, const char* end, const char* prefix, long* highest) {
  const size_t n = std::strlen(prefix);
  if (size_t(end - p) <= n || std::memcmp(p, prefix, n) != 0) return;
  long v = 0;
  for (p += n; p < end && *p >= '0' && *p <= '9' && v < 100000000; p++) v = v * 10 + (*p - '0');
  *highest = std::max(*highest, v);
}

// Bounds the section and row loops by the numbers the file can hold, so
// that a count of millions does not read millions of missing keys. Every
// place where the string-file reader may start a line is looked at (after
// CR or LF, and every 1023 characters of a long line).
void scan_numbers(Loader* L) {
  long size = 0;
  auto* text = static_cast<char*>(vx_io_load(L->file, &size));
  if (!text) return;
  const char* end = text + size;
  long since = 0;
  for (const char* p = text; p < end; p++, since++) {
    const bool start = p == text || p[-1] == '\n' || p[-1] == '\r' || since % TEXT_CHARS == 0;
    if (p > text && (p[-1] == '\n' || p[-1] == '\r')) since = 0;
    if (!start) continue;
    note_number(p, end, "[File", &L->last_file);
    note_number(p, end, "Line", &L->last_row);
  }
  vx_mem_free(text);
}

bool join(const Loader* L, const char* name, char* out) {
  int n = std::snprintf(out, VX_IO_PATH_MAX, "%s%s", L->folder, name);
  return n >= 0 && n < VX_IO_PATH_MAX;
}

// Decodes `text` the way the font reads texts.
int decode(const Loader* L, Codes* c, const char* text) {
  const int mode = L->font->version == 2 ? VX_FONT_GROW | VX_FONT_UTF8 : VX_FONT_GROW;
  c->count = vx_font_utf_8_to_unicode(&c->data, &c->capacity, text, mode);
  return c->data ? c->count : 0;
}

// ---------------------------------------------------------------- characters

// One more table entry; its index, or -1 (reported) when memory runs out.
int new_entry(Loader* L, uint32_t code, uint8_t owner, VX_CHAR* glyph) {
  VX_FONT* f = L->font;
  if (f->char_count == L->capacity) {
    void* grown = vx_mem_realloc(f->chars, sizeof(VX_FONT_CHAR) * size_t(L->capacity + TABLE_STEP));
    if (!grown) {
      vx_font_raise(VX_FONT_ERR_MEMORY, "%s", L->file);
      return -1;
    }
    vx_mem_name(grown, "VX_FONT character table");
    f->chars = static_cast<VX_FONT_CHAR*>(grown);
    L->capacity += TABLE_STEP;
  }
  f->chars[f->char_count] = {code, owner, glyph};
  return f->char_count++;
}

void set_trim(const Loader* L, uint32_t code, const VX_BITMAP* bitmap, VX_CHAR_DATA* d) {
  d->span = d->band = d->cell;
  if (!(L->flags & VX_FONT_LOAD_TRIM)) return;
  if (code == SPACE) {
    d->span = d->band = {d->cell.x, d->cell.y, int16_t(L->font->width / 2), int16_t(L->font->height)};
    return;
  }
  VX_RECT box;
  if (vx_bit_bounding_box(bitmap, &d->cell, &box)) {
    d->span = {box.x, d->cell.y, box.width, d->cell.height};
    d->band = {d->cell.x, box.y, d->cell.width, box.height};
  } else {
    d->span.width = 0;  // a blank cell takes no room of its own
    d->band.height = 0;
  }
}

// Adds `cell` of `bitmap` as the next frame of `code`. The first frame
// added from a bitmap owns it (*taken tells). The new frame, or null.
VX_CHAR_DATA* add_char(Loader* L, uint32_t code, VX_BITMAP* bitmap, VX_RECT cell, bool* taken,
                       const char* glyph_name = "VX_CHAR", const char* frames_name = "VX_CHAR_DATA") {
  VX_FONT* f = L->font;
  int i = vx_font_find(f, code, true);
  if (i >= 0 && !(L->flags & VX_FONT_LOAD_FRAMES)) {
    if (code < 256)
      vx_font_raise(VX_FONT_ERR_TWICE, "%c", int(code));
    else
      vx_font_raise(VX_FONT_ERR_TWICE, "%04x", code);
    L->failed = true;
    return nullptr;
  }
  if (i < 0) {
    auto* glyph = static_cast<VX_CHAR*>(vx_mem_calloc(1, sizeof(VX_CHAR)));
    if (!glyph) {
      vx_font_raise(VX_FONT_ERR_MEMORY, "%s", L->file);
      L->failed = true;
      return nullptr;
    }
    vx_mem_name(glyph, glyph_name);
    i = new_entry(L, code, 1, glyph);
    if (i < 0) {
      vx_mem_free(glyph);
      L->failed = true;
      return nullptr;
    }
  }
  VX_CHAR* g = f->chars[i].glyph;
  void* grown = g->frame_count < UINT16_MAX
                    ? vx_mem_realloc(g->frames, sizeof(VX_CHAR_DATA) * (size_t(g->frame_count) + 1))
                    : nullptr;
  if (!grown) {
    vx_font_raise(VX_FONT_ERR_REALLOC, "%s", L->file);
    L->failed = true;
    return nullptr;
  }
  vx_mem_name(grown, frames_name);
  g->frames = static_cast<VX_CHAR_DATA*>(grown);
  VX_CHAR_DATA* d = &g->frames[g->frame_count++];
  *d = {uint8_t(*taken ? 0 : 1), bitmap, cell, cell, cell};
  *taken = true;
  if (!f->palette && bitmap->palette) f->palette = vx_pal_ref(bitmap->palette);
  set_trim(L, code, bitmap, d);
  return d;
}

// Adds the codes of `row` (1-based) with cells of cw x ch from `bitmap`.
void add_row(Loader* L, const Codes& codes, int row, int cw, int ch, VX_BITMAP* bitmap, bool* taken) {
  const long y = long(row - 1) * ch;
  for (int j = 0; j < codes.count; j++) {
    const long x = long(j) * cw;
    if (x > MAX_SIDE || y > MAX_SIDE) {
      L->failed = true;  // a cell no rectangle can reach
      continue;
    }
    add_char(L, codes.data[j], bitmap, {int16_t(x), int16_t(y), int16_t(cw), int16_t(ch)}, taken);
  }
}

// Frees a picture no character took.
void drop_bitmap(VX_BITMAP* bitmap, bool taken) {
  if (taken || !bitmap) return;
  vx_bit_free(bitmap);
  vx_mem_free(bitmap);
}

VX_BITMAP* new_bitmap_record(const char* name) {
  auto* b = static_cast<VX_BITMAP*>(vx_mem_calloc(1, sizeof(VX_BITMAP)));
  if (b) vx_mem_name(b, name);
  return b;
}

// Reads row `row` of `section`; false (a failure) when the key is missing.
bool read_row(Loader* L, const char* section, int row, char* text) {
  char key[24];
  std::snprintf(key, sizeof key, "Line%03d", row);
  if (!read_string(L, section, key, text, TEXT_CHARS)) {
    L->failed = true;
    return false;
  }
  decode(L, &L->row, text);
  return true;
}

// ---------------------------------------------------------------- file sections

void load_picture(Loader* L, const char* section, const char* path, int type, int rows) {
  int cw = L->font->width, ch = L->font->height;
  if (type == TYPE_PICTURE_CELL) {
    read_int_quietly(L, section, "Width", &cw);
    read_int_quietly(L, section, "Height", &ch);
  }
  VX_FONT_PICTURE_LOADER loader = vx_font_picture_loader();
  VX_BITMAP* picture = new_bitmap_record("VX_BITMAP font picture");
  if (cw < 0 || ch < 0 || cw > MAX_SIDE || ch > MAX_SIDE || !picture || !loader ||
      !loader(picture, path, L->flags & VX_FONT_LOAD_PALETTE)) {
    if (picture) vx_mem_free(picture);
    L->failed = true;
    return;
  }
  if (!L->first_bpp) L->first_bpp = picture->bpp;
  bool taken = false;
  char text[TEXT_CHARS + 1];
  for (int k = 1; k <= rows; k++) {
    if (!read_row(L, section, k, text)) continue;
    const long needed = long(cw) * L->row.count;
    if (vx_font_debug() && (picture->width < needed || picture->height < ch))
      vx_font_raise(VX_FONT_ERR_PICTURE_SMALL, "Bitmap %s [%s] is %dx%d, and characters \"%s\" are %ldx%d", path,
                    section, picture->width, picture->height, text, needed, ch);
    add_row(L, L->row, k, cw, ch, picture, &taken);
  }
  drop_bitmap(picture, taken);
}

// The region of types 5 and 7 when both its sides are 0: the bounding box
// of every inked pixel over all frames.
VX_RECT inked_region(VX_ANIM* anim) {
  vx_anim_rewind(anim);
  int x0 = MAX_SIDE, y0 = MAX_SIDE, x1 = 0, y1 = 0;
  for (int f = 0; f < anim->frame_count; f++) {
    vx_anim_step(anim);
    VX_RECT b;
    if (!vx_bit_bounding_box(&anim->picture, nullptr, &b)) continue;
    x0 = std::min<int>(x0, b.x), y0 = std::min<int>(y0, b.y);
    x1 = std::max(x1, b.x + b.width), y1 = std::max(y1, b.y + b.height);
  }
  if (x1 <= x0) return {0, 0, 0, 0};
  return {int16_t(x0), int16_t(y0), int16_t(x1 - x0), int16_t(y1 - y0)};
}

// One new bitmap of the region, from the frame now in `anim`, with `palette`.
VX_BITMAP* cut_region(VX_ANIM* anim, const VX_RECT& region, VX_PALETTE* palette) {
  VX_BITMAP* b = new_bitmap_record("VX_BITMAP font animation frame");
  VX_RECT size = {0, 0, region.width, region.height};
  if (!b || !vx_bit_alloc(b, &size, VX_BIT_BPP8)) {
    if (b) vx_mem_free(b);
    vx_font_raise(VX_FONT_ERR_MEMORY, "%dx%d", region.width, region.height);
    return nullptr;
  }
  vx_bit_copy(b, &anim->picture, nullptr, &region, VX_BIT_SOFT);
  b->palette = vx_pal_ref(palette);
  // Index 0 is the animation's background: keyed, it stays clear wherever
  // the frame is drawn, also once converted for the 3D back end.
  b->key = 0;
  b->flags |= VX_BIT_KEYED;
  return b;
}

void load_animation(Loader* L, const char* section, const char* path, int type, int rows) {
  VX_ANIM anim;
  if (!vx_anim_open(&anim, path, VX_ANIM_FLIC_FONT)) {
    L->failed = true;
    return;
  }
  const bool region_type = type == TYPE_ANIM_REGION || type == 7;
  long rw = L->font->width, rh = long(rows) * L->font->height;
  int x = 0, y = 0, w = 0, h = 0;
  VX_RECT region = {0, 0, int16_t(std::min<long>(rw, MAX_SIDE)), int16_t(std::min<long>(rh, MAX_SIDE))};
  if (region_type) {
    read_int_quietly(L, section, "X", &x);
    read_int_quietly(L, section, "Y", &y);
    read_int_quietly(L, section, "Width", &w);
    read_int_quietly(L, section, "Height", &h);
    rw = w, rh = h;
    region = {int16_t(std::clamp(x, -MAX_SIDE, MAX_SIDE)), int16_t(std::clamp(y, -MAX_SIDE, MAX_SIDE)),
              int16_t(std::clamp(w, 0, MAX_SIDE)), int16_t(std::clamp(h, 0, MAX_SIDE))};
    if (w == 0 && h == 0) region = inked_region(&anim), rw = region.width, rh = region.height;
  }
  if (rows < 1 || rw < 1 || rh < 1 || rw > MAX_SIDE || rh > MAX_SIDE || rh / rows < 1) {
    vx_anim_close(&anim);
    L->failed = true;
    return;
  }
  const int cw = region_type ? region.width : L->font->width, ch = region.height / rows;
  char text[TEXT_CHARS + 1];
  for (int k = 1; k <= rows; k++) {
    if (!read_row(L, section, k, text)) continue;
    vx_anim_rewind(&anim);
    VX_PALETTE* palette = nullptr;  // shared by the frames until a frame changes it
    for (int f = 0; f < anim.frame_count; f++) {
      vx_anim_step(&anim);
      if (anim.palette_changed || !palette) {
        VX_PALETTE* copy = vx_pal_alloc(anim.picture.palette, 256, VX_PAL_OPT_RGB);
        if (copy) vx_pal_free(palette), palette = copy;
      }
      VX_BITMAP* frame = palette ? cut_region(&anim, region, palette) : nullptr;
      if (!frame) {
        L->failed = true;
        break;
      }
      bool taken = false;
      add_row(L, L->row, k, cw, ch, frame, &taken);
      drop_bitmap(frame, taken);
    }
    vx_pal_free(palette);
  }
  vx_anim_close(&anim);
}

void load_section(Loader* L, int index) {
  char section[24], name[NAME_CHARS + 1], path[VX_IO_PATH_MAX];
  std::snprintf(section, sizeof section, L->font->version == 2 ? "File%06d" : "File%03d", index);
  int type = 0, rows = 0;
  const bool keys = read_string(L, section, "Name", name, NAME_CHARS) && read_int(L, section, "Type", &type) &&
                    read_count(L, section, "NumLines", "NbLines", &rows);
  if (!keys || !join(L, name, path) || rows < 0) {
    L->failed = true;
    return;
  }
  if (rows > L->last_row) {
    L->failed = true;  // rows past the highest Line key are missing
    rows = int(L->last_row);
  }
  switch (type) {
    case TYPE_PICTURE:
    case TYPE_PICTURE_CELL: load_picture(L, section, path, type, rows); break;
    case TYPE_ANIM:
    case TYPE_ANIM_REGION:
    case 6:
    case 7: load_animation(L, section, path, type, rows); break;
    default: L->failed = true; break;
  }
}

// ---------------------------------------------------------------- after the sections

// A font without a space gets a blank one of the cell size.
void add_space(Loader* L) {
  VX_FONT* f = L->font;
  if (vx_font_find(f, SPACE, true) >= 0 || f->width < 1 || f->height < 1) return;
  VX_BITMAP* blank = new_bitmap_record("VX_BITMAP Space Character");
  const VX_RECT cell = {0, 0, int16_t(f->width), int16_t(f->height)};
  if (!blank || !vx_bit_alloc(blank, &cell, L->first_bpp ? L->first_bpp : VX_BIT_BPP8)) {
    if (blank) vx_mem_free(blank);
    vx_font_raise(VX_FONT_ERR_MEMORY, "%s", L->file);
    L->failed = true;
    return;
  }
  bool taken = false;
  VX_CHAR_DATA* d = add_char(L, SPACE, blank, cell, &taken, "VX_CHAR Space Character", "VX_CHAR_DATA Space Character");
  if (d) d->span = d->band = {0, 0, int16_t(f->width / 2), int16_t(f->height)};
  drop_bitmap(blank, taken);
}

// Characters of MapSrc that the font lacks borrow the glyph of the
// character at the same position of MapDst.
void add_map(Loader* L) {
  char src[TEXT_CHARS + 1], dst[TEXT_CHARS + 1];
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_ON);
  bool found = read_string(L, CHARACTERS, "MapSrc", src, TEXT_CHARS) &&
               read_string(L, CHARACTERS, "MapDst", dst, TEXT_CHARS);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_OFF);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  if (!found) return;
  const int n = std::min(decode(L, &L->map_src, src), decode(L, &L->map_dst, dst));
  for (int i = 0; i < n; i++) {
    const uint32_t from = L->map_src.data[i];
    const int to = vx_font_find(L->font, L->map_dst.data[i], true);
    if (to < 0 || vx_font_find(L->font, from, true) >= 0) continue;
    if (new_entry(L, from, 0, L->font->chars[to].glyph) < 0) L->failed = true;
  }
}

// Shrinks the table to its count, sorts it and finds the default character.
void finish_table(VX_FONT* f) {
  if (f->char_count > 0) {
    if (void* shrunk = vx_mem_realloc(f->chars, sizeof(VX_FONT_CHAR) * size_t(f->char_count))) {
      vx_mem_name(shrunk, "VX_FONT character table");
      f->chars = static_cast<VX_FONT_CHAR*>(shrunk);
    }
  }
  std::sort(f->chars, f->chars + f->char_count,
            [](const VX_FONT_CHAR& a, const VX_FONT_CHAR& b) { return a.code < b.code; });
  const int space = vx_font_find(f, SPACE, false);
  f->default_char = uint16_t(space >= 0 ? space + 1 : 1);
}

void free_codes(Codes* c) {
  if (c->data) vx_mem_free(c->data);
  *c = {};
}

// [Font Properties]: 1 when the font can be loaded, the record then named
// and sized and *files the number of file sections to read.
int read_properties(Loader* L, int* files_out) {
  VX_FONT* f = L->font;
  char name[TEXT_CHARS + 1], palette_name[NAME_CHARS + 1], path[VX_IO_PATH_MAX];
  int version = 1, width = 0, height = 0, files = 0;
  const bool has_name = read_string(L, PROPERTIES, "Name", name, TEXT_CHARS);
  read_int_quietly(L, PROPERTIES, "Version", &version);
  const bool has_width = read_int(L, PROPERTIES, "Width", &width);
  const bool has_height = read_int(L, PROPERTIES, "Height", &height);
  const bool has_files = read_count(L, PROPERTIES, "NumFiles", "NbFiles", &files);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  const bool has_palette = read_string(L, PROPERTIES, "Palette", palette_name, NAME_CHARS) && palette_name[0];
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  if (has_palette) {
    f->palette = join(L, palette_name, path) ? vx_pal_load(path) : nullptr;
    if (!f->palette) {
      vx_font_raise(VX_FONT_ERR_PALETTE, "%s", path);
      return 0;
    }
  }
  if (!has_name || !has_width || !has_height || !has_files || width < 0 || height < 0 || width > MAX_SIDE ||
      height > MAX_SIDE) {
    vx_font_raise(VX_FONT_ERR_FORMAT, "%s", L->file);
    return 0;
  }
  f->version = version == 2 ? 2 : 1;
  f->width = uint16_t(width);
  f->height = uint16_t(height);
  f->name = static_cast<char*>(vx_mem_alloc_named(std::strlen(name) + 1, "VX_FONT name"));
  if (!f->name) {
    vx_font_raise(VX_FONT_ERR_MEMORY, "%s", L->file);
    return 0;
  }
  std::strcpy(f->name, name);
  if (files > L->last_file) {
    L->failed = true;  // sections past the highest [File header are missing
    files = int(L->last_file);
  }
  *files_out = files;
  return 1;
}

}  // namespace

int vx_font_load(VX_FONT* font, const char* file, int load_flags) {
  if (!font) {
    vx_font_raise(VX_FONT_ERR_POINTER);
    return 0;
  }
  *font = {};
  if (!file || !vx_io_exists(file, VX_IO_THROUGH_OPEN)) {
    vx_font_raise(VX_FONT_ERR_NO_FILE, "%s", file ? file : "");
    return 0;
  }
  Loader L = {};
  L.font = font;
  L.file = file;
  L.flags = load_flags;
  vx_io_fgetdir(file, L.folder, sizeof L.folder);
  scan_numbers(&L);
  const bool kept_open = vx_io_ini_set_mode(file, KEEP_OPEN) == 1;
  int files = 0;
  if (!read_properties(&L, &files)) {
    if (kept_open) vx_io_ini_set_mode(file, KEEP_CLOSE);
    vx_font_free(font);
    return 0;
  }
  for (int i = 1; i <= files; i++) load_section(&L, i);
  add_space(&L);
  add_map(&L);
  if (L.failed) vx_font_raise(VX_FONT_ERR_SOME_CHARS, "%s", file);
  if (kept_open) vx_io_ini_set_mode(file, KEEP_CLOSE);
  free_codes(&L.row);
  free_codes(&L.map_src);
  free_codes(&L.map_dst);
  finish_table(font);
  return 1;
}
