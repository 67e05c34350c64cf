// gen_atlas: pages of packed world textures: shelf packing with edge gutters, handles, page lifetime.
#include "world/gen/gen_atlas.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "world/gen/gen_bit.h"
#include "world/gen/gen_mem.h"
#include "world/gen/gen_wrap.h"

namespace {

constexpr int kPages = 32;
constexpr int kShelves = 256;
constexpr int kSlotBits = 13;  // handle: tag | generation << 13 | slot + 1
static_assert(GEN_ATLAS_ENTRIES < (1 << kSlotBits), "slots fit their bits");

// A row of places of one height, filled left to right.
struct Shelf {
  int y, height, used;
};

struct Page {
  GLuint name;  // 0: a free page
  int size;
  bool nearest;
  int live;  // pictures on it
  Shelf shelves[kShelves];
  int shelf_count;
  int top;  // first row below the last shelf
};

struct Entry {
  uint8_t used;
  uint8_t opaque;
  uint8_t generation;
  uint8_t page;
  int16_t x, y, width, height;  // texels, gutter excluded
};

struct State {
  Page pages[kPages];
  Entry entries[GEN_ATLAS_ENTRIES];
  uint8_t generation;
};
State at;

int page_side() {
  GLint max = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max);
  return std::min(GEN_ATLAS_PAGE_MAX, max > 0 ? int(max) : 256);
}

// A page's texture memory, counted with the layer's other textures.
long long page_bytes(const Page& p) { return (long long)p.size * p.size * 4; }

// A new empty page of `nearest` filtering: its index, or -1.
int open_page(bool nearest) {
  for (int i = 0; i < kPages; i++) {
    Page& p = at.pages[i];
    if (p.name) continue;
    const int size = page_side();
    GLuint name = 0;
    glGetError();
    glGenTextures(1, &name);
    if (!name) return -1;
    glBindTexture(GL_TEXTURE_2D, name);
    const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (glGetError() != GL_NO_ERROR) {
      glDeleteTextures(1, &name);
      return -1;
    }
    p = Page{};
    p.name = name;
    p.size = size;
    p.nearest = nearest;
    gen_bit_ram_account(page_bytes(p));
    return i;
  }
  return -1;
}

// A w x h place (gutters included) on page `p`: its corner, or false.
// A shelf takes a box of up to its height that is at least half of it.
bool place_on(Page* p, int w, int h, int* x, int* y) {
  for (int i = 0; i < p->shelf_count; i++) {
    Shelf& s = p->shelves[i];
    if (h <= s.height && h * 2 >= s.height && s.used + w <= p->size) {
      *x = s.used, *y = s.y;
      s.used += w;
      return true;
    }
  }
  if (p->shelf_count == kShelves || p->top + h > p->size || w > p->size) return false;
  Shelf& s = p->shelves[p->shelf_count++];
  s = Shelf{p->top, h, w};
  p->top += h;
  *x = 0, *y = s.y;
  return true;
}

// The picture with its gutter: every texel of the box takes the nearest
// texel of the picture.
void pad(const uint8_t* rgba, int width, int height, uint8_t* out) {
  const int g = GEN_ATLAS_GUTTER, bw = width + 2 * g, bh = height + 2 * g;
  for (int y = 0; y < bh; y++) {
    const int sy = std::clamp(y - g, 0, height - 1);
    for (int x = 0; x < bw; x++) {
      const int sx = std::clamp(x - g, 0, width - 1);
      std::memcpy(out + (size_t(y) * bw + x) * 4, rgba + (size_t(sy) * width + sx) * 4, 4);
    }
  }
}

int slot_of(uint32_t handle) {
  if (!(handle & GEN_ATLAS_TAG)) return -1;
  const int slot = int(handle & ((1u << kSlotBits) - 1)) - 1;
  if (slot < 0 || slot >= GEN_ATLAS_ENTRIES) return -1;
  const Entry& e = at.entries[slot];
  if (!e.used || e.generation != uint8_t((handle & ~GEN_ATLAS_TAG) >> kSlotBits)) return -1;
  return slot;
}

}  // namespace

uint32_t gen_atlas_add(const uint8_t* rgba, int width, int height, int nearest) {
  if (!rgba || !gen_wrap_ready() || width < 1 || height < 1) return 0;
  const int bw = width + 2 * GEN_ATLAS_GUTTER, bh = height + 2 * GEN_ATLAS_GUTTER;
  int slot = 0;
  while (slot < GEN_ATLAS_ENTRIES && at.entries[slot].used) slot++;
  if (slot == GEN_ATLAS_ENTRIES || bw > page_side() || bh > page_side()) return 0;
  int page = -1, x = 0, y = 0;
  for (int i = 0; i < kPages && page < 0; i++)
    if (at.pages[i].name && at.pages[i].nearest == (nearest != 0) && place_on(&at.pages[i], bw, bh, &x, &y)) page = i;
  if (page < 0) {
    page = open_page(nearest != 0);
    if (page < 0 || !place_on(&at.pages[page], bw, bh, &x, &y)) return 0;
  }
  uint8_t* box = static_cast<uint8_t*>(gen_mem_malloc(__FILE__, __LINE__, size_t(bw) * bh * 4, "gen_atlas picture"));
  pad(rgba, width, height, box);
  glBindTexture(GL_TEXTURE_2D, at.pages[page].name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, bw, bh, GL_RGBA, GL_UNSIGNED_BYTE, box);
  gen_mem_free(box);
  bool opaque = true;
  for (size_t i = 0, n = size_t(width) * height; i < n && opaque; i++) opaque = rgba[i * 4 + 3] == 255;
  if (++at.generation == 0) at.generation = 1;
  Entry& e = at.entries[slot];
  e = Entry{1, uint8_t(opaque), at.generation, uint8_t(page), int16_t(x + GEN_ATLAS_GUTTER),
            int16_t(y + GEN_ATLAS_GUTTER), int16_t(width), int16_t(height)};
  at.pages[page].live++;
  return GEN_ATLAS_TAG | (uint32_t(e.generation) << kSlotBits) | uint32_t(slot + 1);
}

int gen_atlas_remove(uint32_t handle) {
  const int slot = slot_of(handle);
  if (slot < 0) return 0;
  Entry& e = at.entries[slot];
  Page& p = at.pages[e.page];
  e.used = 0;
  if (--p.live == 0 && p.name) {
    if (gen_wrap_ready()) glDeleteTextures(1, &p.name);
    gen_bit_ram_account(-page_bytes(p));
    p = Page{};
  }
  return 1;
}

int gen_atlas_find(uint32_t handle, GEN_ATLAS_PLACE* out) {
  const int slot = slot_of(handle);
  if (slot < 0 || !out) return 0;
  const Entry& e = at.entries[slot];
  const Page& p = at.pages[e.page];
  *out = GEN_ATLAS_PLACE{p.name, p.size, e.x, e.y, e.width, e.height, p.nearest, e.opaque};
  return 1;
}

void gen_atlas_map(const GEN_ATLAS_PLACE& place, float u, float v, float* s, float* t) {
  const float k = 1.0f / float(place.page_size);
  *s = (float(place.x) + u * float(place.width)) * k;
  *t = (float(place.y) + v * float(place.height)) * k;
}

void gen_atlas_free_all() {
  for (Page& p : at.pages) {
    if (p.name && gen_wrap_ready()) glDeleteTextures(1, &p.name);
    if (p.name) gen_bit_ram_account(-page_bytes(p));
    p = Page{};
  }
  for (Entry& e : at.entries) e.used = 0;
}

int gen_atlas_pages() {
  int n = 0;
  for (const Page& p : at.pages) n += p.name != 0;
  return n;
}
