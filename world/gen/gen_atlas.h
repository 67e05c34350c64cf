// gen_atlas: the world's textures packed into a few large OpenGL textures (pages), so that a frame's polygons rarely change the bound texture.
//
// Each picture (RGBA, top row first) takes a rectangle of a page with a
// gutter of its own edge texels copied around it: sampling at its border,
// linear or nearest, sees what a texture of its own with clamped edges
// would. Nearest and linear pictures go to pages of their own filter.
// Pages have no mipmaps. A handle names one picture (never 0; bit 30 set,
// so it cannot be mistaken for an OpenGL texture name of this program);
// removed handles go stale. A page is deleted with its last picture.
// Everything needs the context of gen_wrap.
#pragma once
#include <cstdint>

constexpr uint32_t GEN_ATLAS_TAG = 0x40000000;  // set in every atlas handle
constexpr int GEN_ATLAS_GUTTER = 2;              // texels of copied edge around a picture
constexpr int GEN_ATLAS_PAGE_MAX = 2048;         // page side when the context allows it
constexpr int GEN_ATLAS_ENTRIES = 4096;          // pictures at once

// Where a picture lies: its page's OpenGL texture name and side, and its
// texel rectangle there (gutter excluded). opaque: every texel has alpha 255.
struct GEN_ATLAS_PLACE {
  uint32_t page;
  int page_size;
  int x, y, width, height;
  int nearest;
  int opaque;
};

// Places a width x height picture on a page of its filter. The handle, or
// 0 without a context, with a side of 0 or above the page side, when the
// table is full or GL refuses a page.
uint32_t gen_atlas_add(const uint8_t* rgba, int width, int height, int nearest);
// Frees the picture's place (deleting its page when it was the last); a
// stale or foreign handle does nothing. 1 when a picture was removed.
int gen_atlas_remove(uint32_t handle);
// 1 and *out filled for a live handle; 0 otherwise.
int gen_atlas_find(uint32_t handle, GEN_ATLAS_PLACE* out);
// Texture coordinate (s, t) of the page for (u, v) of the picture (0 to 1 across and down it).
void gen_atlas_map(const GEN_ATLAS_PLACE& place, float u, float v, float* s, float* t);
// Deletes every page and forgets every picture (the context is going).
void gen_atlas_free_all();
// Pages alive now.
int gen_atlas_pages();
