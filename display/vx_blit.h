// Blitting and scaling: the plain and transparent bitmap copies, bitmap resizing and the resize lists of the virtual screen.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

// Copy flags.
constexpr uint32_t VX_BIT_CENTER = 1;     // centre the smaller rectangle in the larger (not with 2)
constexpr uint32_t VX_BIT_SCALE = 2;      // scale the source rectangle to the destination rectangle
constexpr uint32_t VX_BIT_UNIFORM = 4;    // with 2: one factor for both axes; with 8: scan lines
constexpr uint32_t VX_BIT_DOUBLE = 8;     // double size (without 2)
constexpr uint32_t VX_BIT_BY_HEIGHT = 16; // with 2 and 4: the factor from the heights (else widths)
constexpr uint32_t VX_BIT_SOFT = 128;     // force the software path

// Copies `src_rect` of `src` (null: all of it) into `dest_rect` of `dest`
// (null: all of it); rectangles are x, y, width, height in pixels and are
// not changed. While a mode is set and flags < 128, the copy goes to the
// copy routine the mode set installed (the 3D back end's put), whatever
// the destination; copies between bitmaps in memory then pass
// VX_BIT_SOFT. Otherwise the software member of the source depth runs (8,
// 15/16, 24, 32; 4 bits and unknown depths: a box, result 0); both bitmaps
// must then have the same depth class. The transparent copy skips index 0
// (8 bits), the screen's magenta key (16), (255, 0, 255) (24); 32-bit
// copies have no key. Clipping cuts whatever falls outside `dest`. 1 when
// the copy ran (also when nothing was inside), 0 on a refusal.
int vx_bit_copy(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect,
                uint32_t flags);
int vx_bit_copy_transp(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect,
                       uint32_t flags);
// As above, after recording "vx_bit_copy (), file %s, line %d" (or
// "vx_bit_copy_transp (), ...") as the error module's detail line.
int vx_bit_copy_dbg(const char* file, int line, VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect,
                    const VX_RECT* src_rect, uint32_t flags);
int vx_bit_copy_transp_dbg(const char* file, int line, VX_BITMAP* dest, VX_BITMAP* src,
                           const VX_RECT* dest_rect, const VX_RECT* src_rect, uint32_t flags);

// Copy routines for the mode set to install (vx_screen_copy_set) with the
// 3D back end: they hand the source and the rectangles to the 3D table's
// put (null rectangles resolved to the whole bitmaps first).
int vx_bit_copy_3d(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect,
                   uint32_t flags);
int vx_bit_copy_transp_3d(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect,
                          const VX_RECT* src_rect, uint32_t flags);

// Rescales `bitmap` in place to new_rect's size (null: src_rect's size),
// from its src_rect (null: the whole bitmap), keeping its depth and sharing
// its palette. Boxes and result 0 for a null bitmap, both rectangles null,
// a new size below 1, a bad source rectangle, or no memory. 1 when done.
int vx_bit_resize(VX_BITMAP* bitmap, const VX_RECT* new_rect, const VX_RECT* src_rect);

// Frees the scale line buffer (it grows again on the next scaled copy).
void vx_bit_scale_buffer_free();
// Its current size in bytes (3000 until a row needs more).
long vx_bit_scale_buffer_size();

// ---------------------------------------------------------------- resize lists
// The caller's rectangles and float points that follow the virtual
// screen's size: each keeps the values it had when added (or modified) as
// its base, and is rewritten as base x (virtual size / base size) now and
// after each resize. The caller keeps the objects alive until removed.
// Add: 1, or 0 when it is already listed or the list is full. Modify (the
// caller changed the values: they become the new base): 1, or 0 when not
// listed. Remove: 1, or 0 when not listed. The _dbg variants show the
// warning boxes ("Warning: Rectangle already added to the resize list.
// file %s, line %d" and the like) on those 0 results.
constexpr int VX_DSP_RESIZE_MAX = 256;  // entries per list
struct VX_POINT_FLOAT {
  float x, y;
};
int vx_dsp_rect_add(VX_RECT* rect);
int vx_dsp_rect_modify(VX_RECT* rect);
int vx_dsp_rect_remove(VX_RECT* rect);
int vx_dsp_point_float_add(VX_POINT_FLOAT* point);
int vx_dsp_point_float_modify(VX_POINT_FLOAT* point);
int vx_dsp_point_float_remove(VX_POINT_FLOAT* point);
int vx_dsp_rect_add_dbg(const char* file, int line, VX_RECT* rect);
int vx_dsp_rect_modify_dbg(const char* file, int line, VX_RECT* rect);
int vx_dsp_point_float_add_dbg(const char* file, int line, VX_POINT_FLOAT* point);
int vx_dsp_point_float_modify_dbg(const char* file, int line, VX_POINT_FLOAT* point);
// Rewrites every listed rectangle and point for the current virtual screen
// size (vx_screen_resize calls it).
void vx_dsp_resize_lists_rescale();
// Empties both lists (the callers' objects are not touched).
void vx_dsp_resize_lists_clear();
