// gen_bit: textures for bitmaps: the handle table, direct textures, texture objects (padded single or tile set), drawing, world textures.
#include "world/gen/gen_bit.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_blit.h"
#include "display/vx_screen.h"
#include "world/gen/gen_atlas.h"
#include "world/gen/gen_mem.h"
#include "world/gen/gen_str.h"
#include "world/gen/gen_wrap.h"
#include "world/image/img_load.h"

namespace {

// One piece of a tile set: a 32-bit bitmap of its texture's size with a
// direct texture of its own, and where its used part lies in the picture.
struct Piece {
  VX_BITMAP bitmap;
  VX_RECT place;  // x, y in the whole picture; width, height used
};

// One texture of the handle table. A handle is (generation << 16) | (slot + 1).
struct Texture {
  uint16_t generation;  // the run's texture count when made: a released slot's old handles go stale
  uint8_t kind;         // GEN_TEXTURE_KIND; NONE marks a free slot
  uint8_t translucent;
  GLuint name;                   // DIRECT and SINGLE
  int16_t width, height;         // texture size (DIRECT, SINGLE)
  int16_t image_width, image_height;  // the bitmap's size when made
  long long bytes;               // own texture memory (pieces count their own)
  Piece* pieces;                 // TILES: columns x rows, row by row
  int piece_count;
  int columns, rows;
};

// One axis of a draw: source texels [s0, s1) land on screen [d0, d1).
struct Span {
  float s0, s1, d0, d1;
};

constexpr int kGrowSlots = 256;
constexpr int kMaxSlots = 65535;
constexpr int kBits = 32;  // every texture is made from 32-bit pixels

struct State {
  Texture* slots = nullptr;
  int count = 0;
  int translucency = 0;
  float scale_x = 1.0f, scale_y = 1.0f;  // the object draw's factors; 1 outside a scaled object draw
  long long ram_current = 0, ram_max = 0;
  uint16_t made = 0;  // textures made in the run (wrapping, never 0): the next generation
};
State st;

// Pictures go to OpenGL in batches: each draw adds two triangles, in runs
// of one texture and one alpha test, and the batch goes out (in the order
// given, blended) before anything else draws, reads the screen, changes a
// texture or the projection: gen_bit_flush, which every other drawing path
// of the layer calls first.
struct PictureVertex {
  float x, y, s, t;
  float r, g, b, a;
};
struct PictureRun {
  int first, count;  // vertices
  GLuint texture;
  bool alpha_test;
};
constexpr int kPictureVertices = 6 * 2048;
constexpr int kPictureRuns = 2048;
struct PictureBatch {
  PictureVertex v[kPictureVertices];
  int count;
  PictureRun runs[kPictureRuns];
  int run_count;
};
PictureBatch pictures = {};
long long picture_draws = 0;

// ---------------------------------------------------------------- handles

uint32_t handle_of(int slot) { return (uint32_t(st.slots[slot].generation) << 16) | uint32_t(slot + 1); }

int slot_of_handle(uint32_t handle) {
  const int slot = int(handle & 0xFFFF) - 1;
  if (slot < 0 || slot >= st.count) return -1;
  const Texture& t = st.slots[slot];
  if (t.kind == GEN_TEX_NONE || t.generation != (handle >> 16)) return -1;
  return slot;
}

// A free slot (the table grows by kGrowSlots), or -1 when all 65535 are used.
int new_slot() {
  for (int i = 0; i < st.count; i++)
    if (st.slots[i].kind == GEN_TEX_NONE) return i;
  if (st.count >= kMaxSlots) return -1;
  const int first = st.count;
  void* block = st.slots;
  int count = st.count;
  gen_mem_resize(__FILE__, __LINE__, &block, &count, std::min(st.count + kGrowSlots, kMaxSlots), sizeof(Texture),
                 "gen_bit texture table");
  st.slots = static_cast<Texture*>(block);
  st.count = count;
  return first;
}

// Generations run on across tables, so a handle kept from before
// gen_bit_free_all does not name a texture of a later table.
void take_slot(int slot, int kind) {
  if (++st.made == 0) st.made = 1;
  Texture& t = st.slots[slot];
  t = Texture{};
  t.generation = st.made;
  t.kind = uint8_t(kind);
}

void account(long long bytes) {
  st.ram_current += bytes;
  if (st.ram_current > st.ram_max) st.ram_max = st.ram_current;
}

// ---------------------------------------------------------------- GL textures

// A texture filled with `rgba` (width x height x 4 bytes, top row first):
// nearest-pixel magnification, the given minification, edges clamped. 0
// when GL refuses.
GLuint upload(int width, int height, const uint8_t* rgba, GLint min_filter, GLint mag_filter) {
  gen_bit_flush();
  GLuint name = 0;
  glGetError();
  glGenTextures(1, &name);
  if (!name) return 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return 0;
  }
  return name;
}

void refill(GLuint name, int width, int height, const uint8_t* rgba) {
  gen_bit_flush();
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

// The bitmap at 32 bits; its texture handle must be 0 (the conversion
// would release it through the 3D table otherwise). A keyed bitmap's key
// pixels (an 8-bit bitmap's key index, magenta at 15 to 24 bits) become
// transparent, as the transparent copy leaves them unwritten.
bool make_32(VX_BITMAP* b) {
  const int key = (b->flags & VX_BIT_KEYED) ? VX_BIT_CONVERT_KEY : 0;
  if (b->bpp != VX_BIT_BPP32 && !vx_bit_convert(b, VX_BIT_BPP32 | key)) return false;
  return b->pixels != nullptr;
}

// A direct texture for a power-of-two bitmap: the slot, or -1.
int make_direct(VX_BITMAP* b) {
  b->texture = 0;
  if (!make_32(b)) return -1;
  const int slot = new_slot();
  if (slot < 0) return -1;
  const GLuint name = upload(b->width, b->height, b->pixels, GL_LINEAR, GL_NEAREST);
  if (!name) return -1;
  take_slot(slot, GEN_TEX_DIRECT);
  Texture& t = st.slots[slot];
  t.name = name;
  t.width = t.image_width = b->width;
  t.height = t.image_height = b->height;
  t.bytes = (long long)b->width * b->height * kBits / 8;
  t.columns = t.rows = 1;
  account(t.bytes);
  b->texture = handle_of(slot);
  b->flags &= uint8_t(~GEN_BIT_CHANGED);
  return slot;
}

// ---------------------------------------------------------------- drawing

// Cuts a span to the source texels [lo, hi); a mirrored span runs its
// destination backwards. false when nothing is left.
bool clip_span(Span* sp, float lo, float hi, bool mirror) {
  const float k = (sp->d1 - sp->d0) / (sp->s1 - sp->s0);
  const float a = std::max(sp->s0, lo), b = std::min(sp->s1, hi);
  if (b <= a) return false;
  const float d0 = mirror ? sp->d0 + (sp->s1 - b) * k : sp->d0 + (a - sp->s0) * k;
  const float d1 = mirror ? sp->d0 + (sp->s1 - a) * k : sp->d0 + (b - sp->s0) * k;
  *sp = {a, b, d0, d1};
  return true;
}

// The alpha of a picture draw: (100 - p) / 100 with the translucency p
// when asked for and p >= 1, else 1.
float alpha_of(uint32_t flags) {
  if ((flags & GEN_DRAW_TRANSLUCENT) && st.translucency >= 1) return float(100 - std::min(st.translucency, 100)) / 100.0f;
  return 1.0f;
}

// Adds texels x, y of texture `name` (width x height) to the batch as two
// triangles; the mirror flags swap the texture coordinates. Texels of
// alpha 0 are left out by the alpha test when asked for and not translucent.
void draw_textured(GLuint name, int width, int height, const Span& x, const Span& y, uint32_t flags) {
  float s0 = x.s0 / float(width), s1 = x.s1 / float(width);
  float t0 = y.s0 / float(height), t1 = y.s1 / float(height);
  if (flags & GEN_DRAW_MIRROR_H) std::swap(s0, s1);
  if (flags & GEN_DRAW_MIRROR_V) std::swap(t0, t1);
  const float alpha = alpha_of(flags);
  const bool alpha_test = alpha == 1.0f && (flags & GEN_DRAW_ALPHA_TEST);
  PictureBatch& b = pictures;
  if (b.count + 6 > kPictureVertices || b.run_count == kPictureRuns) gen_bit_flush();
  PictureRun* run = b.run_count ? &b.runs[b.run_count - 1] : nullptr;
  if (!run || run->texture != name || run->alpha_test != alpha_test) {
    run = &b.runs[b.run_count++];
    *run = PictureRun{b.count, 0, name, alpha_test};
  }
  const PictureVertex c[4] = {{x.d0, y.d0, s0, t0, 1, 1, 1, alpha},
                              {x.d0, y.d1, s0, t1, 1, 1, 1, alpha},
                              {x.d1, y.d0, s1, t0, 1, 1, 1, alpha},
                              {x.d1, y.d1, s1, t1, 1, 1, 1, alpha}};
  for (int i : {0, 1, 2, 2, 1, 3}) b.v[b.count++] = c[i];
  run->count += 6;
}

// The spans of an object draw: the source at its own size times the scale
// factors, from the destination's corner, cut to the picture.
bool object_spans(const Texture& t, const VX_RECT& dest, const VX_RECT& src, uint32_t flags, Span* x, Span* y) {
  *x = {float(src.x), float(src.x + src.width), float(dest.x), dest.x + src.width * st.scale_x};
  *y = {float(src.y), float(src.y + src.height), float(dest.y), dest.y + src.height * st.scale_y};
  return clip_span(x, 0, t.image_width, flags & GEN_DRAW_MIRROR_H) &&
         clip_span(y, 0, t.image_height, flags & GEN_DRAW_MIRROR_V);
}

// ---------------------------------------------------------------- texture objects
// The operations of a texture object, in the order of the data model.
struct ObjectOps {
  int (*draw)(Texture* t, const VX_RECT& dest, const VX_RECT& src, uint32_t flags);
  void (*release)(Texture* t);
  VX_BITMAP* (*piece)(Texture* t, int index, VX_RECT* place);
};

int single_draw(Texture* t, const VX_RECT& dest, const VX_RECT& src, uint32_t flags) {
  Span x, y;
  if (object_spans(*t, dest, src, flags, &x, &y)) draw_textured(t->name, t->width, t->height, x, y, flags);
  return 1;
}

void single_release(Texture* t) {
  gen_bit_flush();
  glDeleteTextures(1, &t->name);
  account(-t->bytes);
}

VX_BITMAP* single_piece(Texture*, int, VX_RECT*) { return nullptr; }

// Per piece, the part of the source inside it, drawn where it falls in the destination.
int tiles_draw(Texture* t, const VX_RECT& dest, const VX_RECT& src, uint32_t flags) {
  Span x, y;
  if (!object_spans(*t, dest, src, flags, &x, &y)) return 1;
  for (int i = 0; i < t->piece_count; i++) {
    const Piece& p = t->pieces[i];
    Span px = x, py = y;
    if (!clip_span(&px, p.place.x, p.place.x + p.place.width, flags & GEN_DRAW_MIRROR_H) ||
        !clip_span(&py, p.place.y, p.place.y + p.place.height, flags & GEN_DRAW_MIRROR_V))
      continue;
    const int slot = slot_of_handle(p.bitmap.texture);
    if (slot < 0) continue;
    px.s0 -= p.place.x, px.s1 -= p.place.x;
    py.s0 -= p.place.y, py.s1 -= p.place.y;
    draw_textured(st.slots[slot].name, p.bitmap.width, p.bitmap.height, px, py, flags);
  }
  return 1;
}

void tiles_release(Texture* t) {
  for (int i = 0; i < t->piece_count; i++) {
    gen_bit_free(&t->pieces[i].bitmap);
    vx_bit_free(&t->pieces[i].bitmap);
  }
  gen_mem_free(t->pieces);
  t->pieces = nullptr;
  t->piece_count = 0;
}

VX_BITMAP* tiles_piece(Texture* t, int index, VX_RECT* place) {
  if (index < 0 || index >= t->piece_count) return nullptr;
  if (place) *place = t->pieces[index].place;
  return &t->pieces[index].bitmap;
}

constexpr ObjectOps kSingleOps = {single_draw, single_release, single_piece};
constexpr ObjectOps kTilesOps = {tiles_draw, tiles_release, tiles_piece};

const ObjectOps& ops_of(const Texture& t) { return t.kind == GEN_TEX_TILES ? kTilesOps : kSingleOps; }

// A single texture padded to powers of two, the picture in its top-left corner.
int make_single(VX_BITMAP* b) {
  const int w2 = gen_bit_pow2_up(b->width), h2 = gen_bit_pow2_up(b->height);
  const size_t bytes = size_t(w2) * h2 * 4;
  auto* padded = static_cast<uint8_t*>(gen_mem_malloc(__FILE__, __LINE__, bytes, "gen_bit padded texture"));
  std::memset(padded, 0, bytes);
  for (int row = 0; row < b->height; row++)
    std::memcpy(padded + size_t(row) * w2 * 4, b->pixels + size_t(row) * b->width * 4, size_t(b->width) * 4);
  const GLuint name = upload(w2, h2, padded, GL_LINEAR, GL_NEAREST);
  gen_mem_free(padded);
  const int slot = name ? new_slot() : -1;
  if (slot < 0) {
    if (name) glDeleteTextures(1, &name);
    return -1;
  }
  take_slot(slot, GEN_TEX_SINGLE);
  Texture& t = st.slots[slot];
  t.name = name;
  t.width = int16_t(w2);
  t.height = int16_t(h2);
  t.bytes = (long long)w2 * h2 * kBits / 8;
  t.columns = t.rows = 1;
  account(t.bytes);
  return slot;
}

void free_pieces(Piece* pieces, int count) {
  Texture tmp{};
  tmp.pieces = pieces;
  tmp.piece_count = count;
  tiles_release(&tmp);
}

// A tile set: the pieces first (each a direct texture), then the object's slot.
int make_tiles(VX_BITMAP* b) {
  int16_t cols[GEN_BIT_CUT_MAX], rows[GEN_BIT_CUT_MAX];
  const int nc = gen_bit_cut(b->width, cols, GEN_BIT_CUT_MAX);
  const int nr = gen_bit_cut(b->height, rows, GEN_BIT_CUT_MAX);
  if (nc < 1 || nr < 1) return -1;
  void* block = nullptr;
  int count = 0;
  gen_mem_resize(__FILE__, __LINE__, &block, &count, nc * nr, sizeof(Piece), "gen_bit tile set");
  auto* pieces = static_cast<Piece*>(block);
  int made = 0, y = 0;
  for (int r = 0; r < nr; r++) {
    int x = 0;
    for (int c = 0; c < nc; c++) {
      Piece& p = pieces[made];
      const int used_w = std::min<int>(cols[c], b->width - x), used_h = std::min<int>(rows[r], b->height - y);
      p.place = {int16_t(x), int16_t(y), int16_t(used_w), int16_t(used_h)};
      VX_RECT size = {0, 0, int16_t(gen_bit_pow2_up(cols[c])), int16_t(gen_bit_pow2_up(rows[r]))};
      if (!vx_bit_alloc(&p.bitmap, &size, VX_BIT_BPP32)) break;
      for (int row = 0; row < used_h; row++)
        std::memcpy(p.bitmap.pixels + size_t(row) * size.width * 4,
                    b->pixels + (size_t(y + row) * b->width + x) * 4, size_t(used_w) * 4);
      if (make_direct(&p.bitmap) < 0) {
        vx_bit_free(&p.bitmap);
        break;
      }
      made++;
      x += cols[c];
    }
    if (made != (r + 1) * nc) break;
    y += rows[r];
  }
  const int slot = made == nc * nr ? new_slot() : -1;
  if (slot < 0) {
    free_pieces(pieces, made);
    return -1;
  }
  take_slot(slot, GEN_TEX_TILES);
  Texture& t = st.slots[slot];
  t.pieces = pieces;
  t.piece_count = made;
  t.columns = nc;
  t.rows = nr;
  for (int i = 0; i < made; i++) t.bytes += (long long)pieces[i].bitmap.width * pieces[i].bitmap.height * kBits / 8;
  // The pieces hold the picture now.
  vx_mem_free(b->pixels);
  b->pixels = nullptr;
  return slot;
}

// The texture object of a bitmap that is not a small power of two.
int make_object(VX_BITMAP* b, bool translucent) {
  b->texture = 0;
  if (!make_32(b)) return -1;
  const int w = b->width, h = b->height;
  const int slot = gen_bit_kind(w, h) == GEN_TEX_SINGLE ? make_single(b) : make_tiles(b);
  if (slot < 0) return -1;
  Texture& t = st.slots[slot];
  t.image_width = int16_t(w);
  t.image_height = int16_t(h);
  t.translucent = translucent ? 1 : 0;
  b->texture = handle_of(slot);
  b->flags = uint8_t((b->flags | GEN_BIT_OBJECT) & ~GEN_BIT_CHANGED);
  return slot;
}

// The bitmap's live slot; a stale handle, or one made for another size, is dropped.
int live_slot(VX_BITMAP* b) {
  if (!b->texture) return -1;
  int slot = slot_of_handle(b->texture);
  if (slot >= 0 && (st.slots[slot].image_width != b->width || st.slots[slot].image_height != b->height)) {
    gen_bit_free(b);
    slot = -1;
  }
  if (slot < 0) {
    b->texture = 0;
    b->flags &= uint8_t(~GEN_BIT_OBJECT);
  }
  return slot;
}

void release_slot(int slot) {
  Texture& t = st.slots[slot];
  if (t.kind == GEN_TEX_DIRECT) {
    glDeleteTextures(1, &t.name);
    account(-t.bytes);
  } else {
    ops_of(t).release(&t);
  }
  t = Texture{};
}

}  // namespace

// ---------------------------------------------------------------- sizes

int gen_bit_is_pow2(int size) { return size > 0 && (size & (size - 1)) == 0; }

int gen_bit_pow2_up(int size) {
  if (size < 1) return 0;
  while (!gen_bit_is_pow2(size)) size += size & -size;
  return size;
}

int gen_bit_kind(int width, int height) {
  if (width < 1 || height < 1) return GEN_TEX_NONE;
  const int max = GEN_BIT_TILE_MAX;
  if (width <= max && height <= max && gen_bit_is_pow2(width) && gen_bit_is_pow2(height)) return GEN_TEX_DIRECT;
  const int w2 = gen_bit_pow2_up(width), h2 = gen_bit_pow2_up(height);
  // The padding may be a tenth of the padded side: 10 x padding <= side.
  if (width <= max && height <= max && (w2 - width) * 10 <= w2 && (h2 - height) * 10 <= h2) return GEN_TEX_SINGLE;
  return GEN_TEX_TILES;
}

int gen_bit_cut(int size, int16_t* pieces, int max) {
  if (size < 1 || !pieces || max < 1) return 0;
  if (size <= GEN_BIT_TILE_MIN) {
    pieces[0] = int16_t(size);
    return 1;
  }
  int n = 0, left = size;
  for (int piece = GEN_BIT_TILE_MAX; piece >= GEN_BIT_TILE_MIN; piece /= 2) {
    while (left >= piece) {
      if (n == max) return 0;
      pieces[n++] = int16_t(piece);
      left -= piece;
    }
  }
  if (left > 0) {
    if (n == max) return 0;
    pieces[n++] = GEN_BIT_TILE_MIN;
  }
  return n;
}

// ---------------------------------------------------------------- drawing

int gen_bit_put(VX_BITMAP* bitmap, const VX_RECT* dest, const VX_RECT* src, uint32_t flags) {
  if (!bitmap || bitmap->width < 1 || bitmap->height < 1 || !gen_wrap_ready()) return 0;
  const VX_RECT s = src ? *src : VX_RECT{0, 0, bitmap->width, bitmap->height};
  const VX_RECT d = dest ? *dest : VX_RECT{0, 0, s.width, s.height};
  if (s.width < 1 || s.height < 1 || d.width < 1 || d.height < 1) return 1;
  int slot = live_slot(bitmap);

  if (gen_bit_kind(bitmap->width, bitmap->height) == GEN_TEX_DIRECT) {
    if (slot >= 0 && (bitmap->flags & GEN_BIT_CHANGED)) {
      if (bitmap->bpp == VX_BIT_BPP32 && bitmap->pixels) {
        refill(st.slots[slot].name, bitmap->width, bitmap->height, bitmap->pixels);
        bitmap->flags &= uint8_t(~GEN_BIT_CHANGED);
      } else {
        gen_bit_free(bitmap);
        slot = -1;
      }
    }
    if (slot < 0) slot = make_direct(bitmap);
    if (slot < 0) return 0;
    Span x = {float(s.x), float(s.x + s.width), d.x * st.scale_x, (d.x + d.width) * st.scale_x};
    Span y = {float(s.y), float(s.y + s.height), d.y * st.scale_y, (d.y + d.height) * st.scale_y};
    if (clip_span(&x, 0, bitmap->width, flags & GEN_DRAW_MIRROR_H) &&
        clip_span(&y, 0, bitmap->height, flags & GEN_DRAW_MIRROR_V))
      draw_textured(st.slots[slot].name, bitmap->width, bitmap->height, x, y, flags);
    return 1;
  }

  if (slot >= 0 && (bitmap->flags & GEN_BIT_CHANGED)) {
    // A single texture takes the new pixels; a tile set has none left to take.
    const Texture& t = st.slots[slot];
    if (t.kind == GEN_TEX_SINGLE && bitmap->pixels && bitmap->bpp == VX_BIT_BPP32)
      refill(t.name, bitmap->width, bitmap->height, bitmap->pixels);
    bitmap->flags &= uint8_t(~GEN_BIT_CHANGED);
  }
  if (slot < 0) slot = make_object(bitmap, flags & GEN_DRAW_TRANSLUCENT);
  if (slot < 0) return 0;
  if (flags & GEN_DRAW_SCALE) {
    st.scale_x = float(d.width) / float(s.width);
    st.scale_y = float(d.height) / float(s.height);
  }
  Texture* t = &st.slots[slot];
  const int result = ops_of(*t).draw(t, d, s, flags);
  st.scale_x = st.scale_y = 1.0f;
  return result;
}

void gen_bit_flush() {
  PictureBatch& b = pictures;
  if (b.count == 0) return;
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0.0f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(PictureVertex), &b.v[0].x);
  glTexCoordPointer(2, GL_FLOAT, sizeof(PictureVertex), &b.v[0].s);
  glColorPointer(4, GL_FLOAT, sizeof(PictureVertex), &b.v[0].r);
  bool testing = false;
  for (int i = 0; i < b.run_count; i++) {
    const PictureRun& r = b.runs[i];
    if (r.alpha_test != testing) {
      if (r.alpha_test)
        glEnable(GL_ALPHA_TEST);
      else
        glDisable(GL_ALPHA_TEST);
      testing = r.alpha_test;
    }
    glBindTexture(GL_TEXTURE_2D, r.texture);
    glDrawArrays(GL_TRIANGLES, r.first, r.count);
    picture_draws++;
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  b.count = b.run_count = 0;
}

long long gen_bit_draws() { return picture_draws; }

void gen_bit_warm_up() {
  if (!gen_wrap_ready()) return;
  VX_BITMAP bitmap = {};
  const VX_RECT size = {0, 0, 2, 2};
  if (!vx_bit_alloc(&bitmap, &size, VX_BIT_BPP32)) return;
  std::memset(bitmap.pixels, 255, 16);
  bitmap.pixels[3] = 0;  // one texel keyed out
  const VX_RECT dest = {0, 0, 4, 4};
  for (uint32_t flags : {0u, GEN_DRAW_TRANSLUCENT, GEN_DRAW_ALPHA_TEST}) {
    gen_bit_put(&bitmap, &dest, nullptr, flags | GEN_DRAW_SCALE);
    gen_bit_flush();  // each state its own draw
  }
  gen_bit_free(&bitmap);
  vx_bit_free(&bitmap);
  // A picture as large as the screen goes up and away once. The memory its
  // pieces and their textures take is then in place for the first
  // full-screen picture: touching fresh memory the first time costs more
  // than the copy into it.
  const VX_BITMAP* screen = vx_screen();
  const VX_RECT whole = {0, 0, int16_t(screen ? screen->width : 0), int16_t(screen ? screen->height : 0)};
  if (whole.width > 0 && whole.height > 0 && vx_bit_alloc(&bitmap, &whole, VX_BIT_BPP32)) {
    std::memset(bitmap.pixels, 0, size_t(whole.width) * size_t(whole.height) * 4);
    gen_bit_put(&bitmap, &whole, nullptr, 0);
    gen_bit_flush();
    gen_bit_free(&bitmap);
    vx_bit_free(&bitmap);
  }
  gen_wrap_screen_clear();
  // Both buffers of the window's swap chain are made and filled once
  // (black); the swaps finish the drawing above within the wait.
  gen_wrap_display_update();
  gen_wrap_display_update();
}

int gen_bit_free(VX_BITMAP* bitmap) {
  if (!bitmap) return 0;
  const int slot = bitmap->texture ? slot_of_handle(bitmap->texture) : -1;
  bitmap->texture = 0;
  bitmap->flags &= uint8_t(~GEN_BIT_OBJECT);
  if (slot < 0) return 0;
  release_slot(slot);
  return 1;
}

void gen_bit_free_all() {
  // Tile sets first: they release the direct textures of their pieces.
  for (int i = 0; i < st.count; i++)
    if (st.slots[i].kind == GEN_TEX_TILES) release_slot(i);
  for (int i = 0; i < st.count; i++)
    if (st.slots[i].kind != GEN_TEX_NONE) release_slot(i);
  gen_mem_free(st.slots);
  st.slots = nullptr;
  st.count = 0;
}

void gen_bit_translucency_set(int percent) { st.translucency = std::clamp(percent, 0, 100); }
int gen_bit_translucency() { return st.translucency; }

// ---------------------------------------------------------------- inspection

int gen_bit_texture_info(const VX_BITMAP* bitmap, GEN_TEXTURE_INFO* out) {
  if (!out) return 0;
  *out = GEN_TEXTURE_INFO{};
  const int slot = bitmap && bitmap->texture ? slot_of_handle(bitmap->texture) : -1;
  if (slot < 0) return 0;
  const Texture& t = st.slots[slot];
  out->kind = t.kind;
  out->width = t.width;
  out->height = t.height;
  out->columns = t.columns;
  out->rows = t.rows;
  out->translucent = t.translucent;
  out->bytes = t.bytes;
  return 1;
}

VX_BITMAP* gen_bit_piece(const VX_BITMAP* bitmap, int index, VX_RECT* place) {
  const int slot = bitmap && bitmap->texture ? slot_of_handle(bitmap->texture) : -1;
  if (slot < 0) return nullptr;
  Texture* t = &st.slots[slot];
  return t->kind == GEN_TEX_DIRECT ? nullptr : ops_of(*t).piece(t, index, place);
}

long long gen_bit_ram_current() { return st.ram_current; }
long long gen_bit_ram_max() { return st.ram_max; }
void gen_bit_ram_account(long long bytes) { account(bytes); }
void gen_bit_ram_reset() { st.ram_current = st.ram_max = 0; }

// ---------------------------------------------------------------- world textures

uint32_t gen_bit_texture_load(const char* file, int load_flags, GEN_TEXTURE_SIZES* sizes) {
  char name[VX_IO_PATH_MAX];
  gen_str_copy(name, sizeof name, file);
  const bool nearest = gen_str_strip_mark(name);
  VX_BITMAP picture = {}, rgba = {};
  VX_IMG_INFO info = {};
  uint32_t texture = 0;
  if (gen_wrap_ready() && vx_img_load_info(&picture, name, load_flags, &info)) {
    VX_RECT whole = {0, 0, picture.width, picture.height};
    // Every stored layout (indexes, grey, 16-bit samples) becomes RGBA bytes.
    const bool expanded = vx_bit_alloc(&rgba, &whole, VX_BIT_BPP32) && vx_img_expand_rgba(&picture, &info, rgba.pixels);
    const int tw = gen_bit_pow2_up(picture.width), th = gen_bit_pow2_up(picture.height);
    VX_RECT enlarged = {0, 0, int16_t(tw), int16_t(th)};
    const bool sized = expanded && tw <= 32767 && th <= 32767 &&
                       ((tw == picture.width && th == picture.height) || vx_bit_resize(&rgba, &enlarged, nullptr));
    // A picture too large for a page gets a texture of its own.
    const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    if (sized) texture = gen_atlas_add(rgba.pixels, rgba.width, rgba.height, nearest);
    if (sized && !texture) texture = upload(rgba.width, rgba.height, rgba.pixels, filter, filter);
    if (texture && sizes) *sizes = {picture.width, picture.height, rgba.width, rgba.height};
  }
  vx_bit_free(&picture);
  vx_bit_free(&rgba);
  if (!texture) vx_dsp_error_box(file ? file : "", "Can't load bitmap!", PLAT_MB_OK);
  return texture;
}

void gen_bit_texture_delete(uint32_t texture) {
  if (!texture || !gen_wrap_ready() || gen_atlas_remove(texture)) return;
  const GLuint name = texture;  // a texture of OpenGL's own
  gen_bit_flush();
  glDeleteTextures(1, &name);
}
