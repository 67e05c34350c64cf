// Shared by the picture decoders: a bounded reading context over a byte buffer and the checked set-up of a bitmap.
//
// A reader never moves past its end: a read that does not fit sets `fail`,
// returns zeros and leaves the cursor at the end, so a decoder can read a
// whole header and test `fail` once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "display/vx_bit.h"

struct VX_IMG_READ {
  const uint8_t* cur;
  const uint8_t* end;
  int fail;  // set by the first read past the end
};

inline void vx_img_read_init(VX_IMG_READ* r, const uint8_t* data, size_t size) {
  r->cur = data;
  r->end = data ? data + size : data;
  r->fail = 0;
}
inline size_t vx_img_read_left(const VX_IMG_READ* r) { return static_cast<size_t>(r->end - r->cur); }

// Takes `n` bytes: a pointer to them, or null (fail set, cursor at the end).
inline const uint8_t* vx_img_read_take(VX_IMG_READ* r, size_t n) {
  if (n > vx_img_read_left(r)) {
    r->cur = r->end;
    r->fail = 1;
    return nullptr;
  }
  const uint8_t* p = r->cur;
  r->cur += n;
  return p;
}
inline int vx_img_read_skip(VX_IMG_READ* r, size_t n) { return vx_img_read_take(r, n) != nullptr; }
inline int vx_img_read_bytes(VX_IMG_READ* r, void* out, size_t n) {
  const uint8_t* p = vx_img_read_take(r, n);
  if (p) std::memcpy(out, p, n);
  return p != nullptr;
}
inline uint32_t vx_img_read_u8(VX_IMG_READ* r) {
  const uint8_t* p = vx_img_read_take(r, 1);
  return p ? p[0] : 0;
}
inline uint32_t vx_img_read_le16(VX_IMG_READ* r) {
  const uint8_t* p = vx_img_read_take(r, 2);
  return p ? uint32_t(p[0] | p[1] << 8) : 0;
}
inline uint32_t vx_img_read_be16(VX_IMG_READ* r) {
  const uint8_t* p = vx_img_read_take(r, 2);
  return p ? uint32_t(p[0] << 8 | p[1]) : 0;
}
inline uint32_t vx_img_read_be32(VX_IMG_READ* r) {
  const uint8_t* p = vx_img_read_take(r, 4);
  return p ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3] : 0;
}

// a x b into *out; 0 when it overflows size_t.
inline int vx_img_mul(size_t a, size_t b, size_t* out) { return !__builtin_mul_overflow(a, b, out); }
// a + b into *out; 0 when it overflows size_t.
inline int vx_img_add(size_t a, size_t b, size_t* out) { return !__builtin_add_overflow(a, b, out); }

// Bytes of one packed row of `width` pixels at `bits` bits per pixel
// ((width x bits + 7) / 8, the layout of every depth of the bitmap record,
// including 1, 2, 48 and 64 bits; 15 counts as 16); 0 when it overflows.
size_t vx_img_row_bytes(size_t width, size_t bits);

// Clears `bitmap` and gives it width x height pixels at `bpp` bits (any
// depth from 1 to 64) in a zeroed block from the memory tracker. Fails (0,
// record cleared) when a side is below 1 or above 32767, the size
// overflows, exceeds the decoders' limit (vx_img_set_limit) or memory runs out.
int vx_img_alloc(VX_BITMAP* bitmap, long width, long height, int bpp);
// Gives `bitmap` a new zeroed RGB palette of `count` colours (grey ramp
// with `grey`). 1, or 0 when memory runs out.
int vx_img_alloc_palette(VX_BITMAP* bitmap, int count, int grey);
// Notes why a decode fails; the first reason noted since the decode began
// stands (the most specific one is noted first, where the fault is seen).
void vx_img_reason_set(const char* reason);

// Frees what a failed decode left in `bitmap` and clears it. Returns 0, so
// that a decoder can `return vx_img_fail(bitmap);`.
int vx_img_fail(VX_BITMAP* bitmap);
// Shows "<format> format not supported yet. (File <name>)" in the display
// layer's error box ("PCX" or "TGA"). Returns 0.
int vx_img_unsupported(const char* format, const char* name);
