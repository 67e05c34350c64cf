// gen_bit: bitmaps as OpenGL textures: upload, texture objects (single or tile set), drawing as rectangles, release, memory accounting.
//
// A bitmap's `texture` field holds a handle of this module (0: none). A
// bitmap whose width and height are powers of two up to 256 gets one
// texture of its own size. Any other bitmap gets a texture object (bitmap
// flag GEN_BIT_OBJECT): a single texture padded to powers of two (the
// picture in its top-left corner), or a tile set of piece bitmaps, each
// with a texture of its own. Making a tile set frees the bitmap's pixels:
// the pieces keep the picture. Handles of released textures go stale and
// are never reused for another texture, so a copy of a bitmap record that
// outlives the texture is harmless (its stale handle reads as none).
//
// Drawing needs the context of gen_wrap; without it the draw and upload
// operations fail (result 0).
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

// Bitmap flags of this module (the record's flags byte; 1 and 2 belong to
// the loaders and the conversions).
constexpr uint8_t GEN_BIT_OBJECT = 4;   // the bitmap has a texture object
constexpr uint8_t GEN_BIT_CHANGED = 8;  // the pixels changed: the next draw uploads them again

// Draw flags of gen_bit_put (besides the copy flags of vx_bit_copy).
constexpr uint32_t GEN_DRAW_SCALE = 2;           // objects: scale the source rectangle to the destination
constexpr uint32_t GEN_DRAW_TRANSLUCENT = 0x40;  // alpha (100 - p) / 100 with translucency p >= 1
constexpr uint32_t GEN_DRAW_ALPHA_TEST = 0x100;  // texels of alpha 0 are not drawn
constexpr uint32_t GEN_DRAW_MIRROR_V = 0x200;    // top to bottom
constexpr uint32_t GEN_DRAW_MIRROR_H = 0x400;    // left to right

// What a bitmap of a given size becomes.
enum GEN_TEXTURE_KIND {
  GEN_TEX_NONE = 0,
  GEN_TEX_DIRECT = 1,  // one texture of the bitmap's own size (powers of two up to 256)
  GEN_TEX_SINGLE = 2,  // texture object: one texture padded to powers of two
  GEN_TEX_TILES = 3,   // texture object: a tile set
};

constexpr int GEN_BIT_TILE_MAX = 256;  // largest texture side this module makes
constexpr int GEN_BIT_TILE_MIN = 8;    // smallest piece of a cut axis (a shorter remainder still gets 8)
constexpr int GEN_BIT_CUT_MAX = 140;   // pieces of one axis at most (32767 / 256 + 6)

// ---------------------------------------------------------------- sizes
// 1 when `size` is a power of two (1, 2, 4, ...).
int gen_bit_is_pow2(int size);
// The power of two reached from `size` by adding its lowest set bit until
// one bit is left (100 -> 104 -> 112 -> 128); a power of two stays. 0 for size < 1.
int gen_bit_pow2_up(int size);
// The kind a width x height bitmap gets: DIRECT for powers of two up to
// 256; SINGLE when both sides are at most 256 and the padding to the next
// powers of two is at most a tenth of each padded side; TILES otherwise.
// NONE for a side below 1.
int gen_bit_kind(int width, int height);
// Cuts one axis of `size` pixels: pieces of 256 while 256 remain, then at
// most one each of 128, 64, 32, 16 and 8, and a remainder below 8 as one
// more piece of 8; an axis of 8 or less is one piece of its own size.
// Writes the piece sizes to `pieces` (room for `max`) and returns their
// count, 0 for size < 1 or too little room.
int gen_bit_cut(int size, int16_t* pieces, int max);

// ---------------------------------------------------------------- drawing
// Draws `src` of `bitmap` (null: all of it; clipped to the bitmap) at `dest`
// of the screen (null: at (0, 0) with the source's size) with the flags
// above, making or refreshing the texture first (converting the bitmap to
// 32 bits in place when it is not). A DIRECT bitmap fills `dest`; a texture
// object draws the source at its own size from dest's corner, or scaled to
// dest with GEN_DRAW_SCALE. 1, or 0 when nothing could be drawn (no
// context, empty bitmap, a texture that cannot be made).
int gen_bit_put(VX_BITMAP* bitmap, const VX_RECT* dest, const VX_RECT* src, uint32_t flags);
// Releases the bitmap's texture or texture object (pieces included),
// lowers the memory count, clears the handle and GEN_BIT_OBJECT. 1, or 0
// when there was none (a stale handle is cleared too).
int gen_bit_free(VX_BITMAP* bitmap);
// Pictures drawn by gen_bit_put wait in a batch (neighbours of one texture
// go as one draw call); this sends it. Every other drawing, screen read,
// texture change and projection change of the layer calls it first, and
// so must any other code that draws with OpenGL or reads the frame buffer.
void gen_bit_flush();
// Draws a picture once, out of sight, in each state pictures are drawn in
// (plain, translucent, alpha-tested), then clears the screen: a software
// driver builds its code for a state the first time it draws in it, and
// done while the screen settles after the mode set, that cost leaves the
// first frame the player sees.
void gen_bit_warm_up();
// Draw calls made for pictures since the program started.
long long gen_bit_draws();
// Releases every texture of this module (the bitmaps keep stale handles).
void gen_bit_free_all();

// The global translucency percentage (0-100) of GEN_DRAW_TRANSLUCENT.
void gen_bit_translucency_set(int percent);
int gen_bit_translucency();

// ---------------------------------------------------------------- inspection
struct GEN_TEXTURE_INFO {
  int kind;               // GEN_TEXTURE_KIND, NONE for no texture
  int width, height;      // texture size (DIRECT, SINGLE)
  int columns, rows;      // tile set layout (TILES); 1 x 1 otherwise
  int translucent;        // the object was made for GEN_DRAW_TRANSLUCENT
  long long bytes;        // texture memory of the texture or all its pieces
};
// 1 and *out filled when the bitmap has a live texture, else 0 (*out zeroed).
int gen_bit_texture_info(const VX_BITMAP* bitmap, GEN_TEXTURE_INFO* out);
// Piece `index` (row by row) of a tile set: its bitmap (owned by the
// object; its size is the texture's) and, in `place`, its position and
// used size in the whole picture. Null for no tile set or a bad index.
VX_BITMAP* gen_bit_piece(const VX_BITMAP* bitmap, int index, VX_RECT* place);
// Texture memory in bytes (width x height x bits / 8 of every texture
// made through gen_bit_put, and of the world's texture pages): now, and
// the highest value reached.
long long gen_bit_ram_current();
long long gen_bit_ram_max();
// Counts `bytes` (negative when freed) of a texture made outside the
// handle table (a texture page) in those figures.
void gen_bit_ram_account(long long bytes);
// Both figures back to 0: the layer has closed and reported them.
void gen_bit_ram_reset();

// ---------------------------------------------------------------- world textures
struct GEN_TEXTURE_SIZES {
  int16_t image_width, image_height;      // the picture file's size
  int16_t texture_width, texture_height;  // the texture's (powers of two)
};
// Loads picture `file` (a file-layer name; a trailing `!` is removed and
// asks for nearest-pixel instead of linear filtering) with the loader's
// `load_flags`, enlarges a side that is not a power of two to the next one
// by rescaling the picture, makes it 32 bits and places it as RGBA on a
// page of world textures (gen_atlas.h; a picture larger than a page gets
// an OpenGL texture of its own). The handle, with *sizes (may
// be null) filled; 0 after the box with the file name captioned "Can't
// load bitmap!". The texture is the caller's (gen_bit_texture_delete,
// which also deletes a plain OpenGL texture name) and not counted in the
// texture memory.
uint32_t gen_bit_texture_load(const char* file, int load_flags, GEN_TEXTURE_SIZES* sizes);
void gen_bit_texture_delete(uint32_t texture);
