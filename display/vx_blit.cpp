// Blitting and scaling: dispatch of the plain and transparent copies, bitmap resizing and the resize lists.
#include "display/vx_blit.h"

#include <cstdio>
#include <cstring>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_dsp3d.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"

namespace {

struct RectEntry {
  VX_RECT* rect;  // the caller's
  VX_RECT base;   // its values when added or modified
};
struct PointEntry {
  VX_POINT_FLOAT* point;
  VX_POINT_FLOAT base;
};

struct BlitState {
  RectEntry rects[VX_DSP_RESIZE_MAX];
  int rect_count;
  PointEntry points[VX_DSP_RESIZE_MAX];
  int point_count;
  uint8_t* scale;   // the scale line buffer
  long scale_size;  // its size in bytes
};
BlitState st = {};

void box(const char* text) { vx_dsp_error_box(text, nullptr, PLAT_MB_OK); }

// ---------------------------------------------------------------- pixels
// One pixel of each depth class, copied whole.
struct P24 {
  uint8_t c[3];
};
struct P32 {
  uint8_t c[4];
};
static_assert(sizeof(P24) == 3 && sizeof(P32) == 4, "pixels are packed");
bool same(uint8_t a, uint8_t b) { return a == b; }
bool same(uint16_t a, uint16_t b) { return a == b; }
bool same(const P24& a, const P24& b) { return a.c[0] == b.c[0] && a.c[1] == b.c[1] && a.c[2] == b.c[2]; }

// What one copy does, after centring and clipping: `rows` x `cols`
// destination pixels from (dx, dy). Unmapped: source pixel (sx + c, sy + r).
// Mapped (scaled or doubled): source column sx + offsets[c], source row
// sy + ((y0 + r * ystep) >> 16); with `scan` the rows whose index counted
// from the unclipped rectangle's top (r + phase) is odd are left alone.
struct Plan {
  int dx, dy, rows, cols;
  int sx, sy;
  bool mapped, scan;
  uint64_t y0, ystep;
  int phase;
};

template <typename Px, bool Transp>
void run_unmapped(const Plan& p, VX_BITMAP* dest, const VX_BITMAP* src, Px key) {
  const long dpitch = long(dest->width) * sizeof(Px), spitch = long(src->width) * sizeof(Px);
  uint8_t* drow = dest->pixels + p.dy * dpitch + p.dx * long(sizeof(Px));
  const uint8_t* srow = src->pixels + p.sy * spitch + p.sx * long(sizeof(Px));
  for (int r = 0; r < p.rows; r++, drow += dpitch, srow += spitch) {
    if constexpr (!Transp) {
      std::memcpy(drow, srow, size_t(p.cols) * sizeof(Px));
    } else {
      Px* d = reinterpret_cast<Px*>(drow);
      const Px* s = reinterpret_cast<const Px*>(srow);
      for (int c = 0; c < p.cols; c++)
        if (!same(s[c], key)) d[c] = s[c];
    }
  }
}

template <typename Px, bool Transp>
void run_mapped(const Plan& p, VX_BITMAP* dest, const VX_BITMAP* src, Px key, const int32_t* offsets) {
  const long dpitch = long(dest->width) * sizeof(Px), spitch = long(src->width) * sizeof(Px);
  uint8_t* drow = dest->pixels + p.dy * dpitch + p.dx * long(sizeof(Px));
  const uint8_t* sbase = src->pixels + p.sy * spitch + p.sx * long(sizeof(Px));
  uint64_t yacc = p.y0;
  for (int r = 0; r < p.rows; r++, drow += dpitch, yacc += p.ystep) {
    if (p.scan && ((r + p.phase) & 1)) continue;
    Px* d = reinterpret_cast<Px*>(drow);
    const Px* s = reinterpret_cast<const Px*>(sbase + long(yacc >> 16) * spitch);
    for (int c = 0; c < p.cols; c++) {
      Px v = s[offsets[c]];
      if constexpr (Transp) {
        if (same(v, key)) continue;
      }
      d[c] = v;
    }
  }
}

// The scale line buffer: one source column offset per destination column.
int32_t* scale_line(int cols) {
  long need = long(cols) * long(sizeof(int32_t));
  if (need < 3000) need = 3000;
  if (!st.scale || need > st.scale_size) {
    void* grown = vx_mem_realloc(st.scale, size_t(need));
    if (!grown) return nullptr;
    vx_mem_name(grown, "VX_DSP bit_copy_transp_soft realloc scale line buffer");
    st.scale = static_cast<uint8_t*>(grown);
    st.scale_size = need;
  }
  return reinterpret_cast<int32_t*>(st.scale);
}

// Source rectangle within the source bitmap, for the mapped paths.
VX_RECT clip_to(const VX_RECT& r, const VX_BITMAP* b) {
  int x0 = r.x < 0 ? 0 : r.x, y0 = r.y < 0 ? 0 : r.y;
  int x1 = r.x + r.width > b->width ? b->width : r.x + r.width;
  int y1 = r.y + r.height > b->height ? b->height : r.y + r.height;
  return {int16_t(x0), int16_t(y0), int16_t(x1 > x0 ? x1 - x0 : 0), int16_t(y1 > y0 ? y1 - y0 : 0)};
}

// Unscaled plan: centring, clipping against both bitmaps. 0 when nothing is inside.
int plan_plain(Plan* p, const VX_BITMAP* dest, const VX_BITMAP* src, VX_RECT d, VX_RECT s, uint32_t flags) {
  int dx = d.x, dy = d.y, dw = d.width, dh = d.height;
  int sx = s.x, sy = s.y, sw = s.width, sh = s.height;
  if (flags & VX_BIT_CENTER) {
    if (sw <= dw) dx += (dw - sw) / 2; else sx += (sw - dw) / 2, sw -= (sw - dw) / 2;
    if (sh <= dh) dy += (dh - sh) / 2; else sy += (sh - dh) / 2, sh -= (sh - dh) / 2;
  }
  if (dx < 0) sx -= dx, sw += dx, dw += dx, dx = 0;
  if (dy < 0) sy -= dy, sh += dy, dh += dy, dy = 0;
  if (dx + dw > dest->width) dw = dest->width - dx;
  if (dy + dh > dest->height) dh = dest->height - dy;
  int w = sw < dw ? sw : dw, h = sh < dh ? sh : dh;
  // A source rectangle reaching outside its bitmap is cut too.
  if (sx < 0) dx -= sx, w += sx, sx = 0;
  if (sy < 0) dy -= sy, h += sy, sy = 0;
  if (sx + w > src->width) w = src->width - sx;
  if (sy + h > src->height) h = src->height - sy;
  if (w < 1 || h < 1 || dx >= dest->width || dy >= dest->height) return 0;
  *p = {dx, dy, h, w, sx, sy, false, false, 0, 0, 0};
  return 1;
}

// Mapped plan for scaling (flag 2) and double size (flag 8): 16.16 steps,
// the column offsets into the scale line buffer. 0 when nothing is inside.
int plan_mapped(Plan* p, const VX_BITMAP* dest, const VX_BITMAP* src, VX_RECT d, VX_RECT s, uint32_t flags,
                int32_t** offsets) {
  s = clip_to(s, src);
  int dx = d.x, dy = d.y, dw = d.width, dh = d.height;
  int sw = s.width, sh = s.height;
  if (sw < 1 || sh < 1 || dw < 1 || dh < 1) return 0;
  uint64_t xstep, ystep;
  bool scan = false;
  if (flags & VX_BIT_SCALE) {
    xstep = (uint64_t(sw) << 16) / uint64_t(dw);
    ystep = (uint64_t(sh) << 16) / uint64_t(dh);
    if (flags & VX_BIT_UNIFORM) xstep = ystep = (flags & VX_BIT_BY_HEIGHT) ? ystep : xstep;
    if (!xstep || !ystep) return 0;
  } else {
    // Double size: two destination pixels per source pixel; centring works
    // on the halved destination sizes.
    xstep = ystep = 0x8000;
    scan = (flags & VX_BIT_UNIFORM) != 0;
    int hw = dw / 2, hh = dh / 2;
    if (flags & VX_BIT_CENTER) {
      if (sw <= hw) dx += hw - sw; else s.x = int16_t(s.x + (sw - hw) / 2), sw -= (sw - hw) / 2;
      if (sh <= hh) dy += hh - sh; else s.y = int16_t(s.y + (sh - hh) / 2), sh -= (sh - hh) / 2;
    }
  }
  // Clip the destination; a cut at the left or top starts the source further in.
  int cut_x = dx < 0 ? -dx : 0, cut_y = dy < 0 ? -dy : 0;
  dx += cut_x, dy += cut_y, dw -= cut_x, dh -= cut_y;
  if (dx + dw > dest->width) dw = dest->width - dx;
  if (dy + dh > dest->height) dh = dest->height - dy;
  if (dw < 1 || dh < 1) return 0;
  // Stop where the source runs out (a uniform factor may leave it short).
  uint64_t x0 = uint64_t(cut_x) * xstep, y0 = uint64_t(cut_y) * ystep;
  uint64_t xend = uint64_t(sw) << 16, yend = uint64_t(sh) << 16;
  if (x0 >= xend || y0 >= yend) return 0;
  uint64_t cols = (xend - x0 + xstep - 1) / xstep, rows = (yend - y0 + ystep - 1) / ystep;
  if (cols > uint64_t(dw)) cols = uint64_t(dw);
  if (rows > uint64_t(dh)) rows = uint64_t(dh);
  int32_t* offs = scale_line(int(cols));
  if (!offs) return 0;
  uint64_t xacc = x0;
  for (uint64_t c = 0; c < cols; c++, xacc += xstep) offs[c] = int32_t(xacc >> 16);
  *offsets = offs;
  *p = {dx, dy, int(rows), int(cols), s.x, s.y, true, scan, y0, ystep, cut_y};
  return 1;
}

template <typename Px, bool Transp>
int copy_family(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT& d, const VX_RECT& s, uint32_t flags, Px key) {
  Plan p;
  if (flags & (VX_BIT_SCALE | VX_BIT_DOUBLE)) {
    int32_t* offsets = nullptr;
    if (plan_mapped(&p, dest, src, d, s, flags, &offsets)) run_mapped<Px, Transp>(p, dest, src, key, offsets);
  } else if (plan_plain(&p, dest, src, d, s, flags)) {
    run_unmapped<Px, Transp>(p, dest, src, key);
  }
  return 1;
}

int bytes_per_pixel(int bpp) {
  switch (bpp) {
    case VX_BIT_BPP8: return 1;
    case VX_BIT_BPP15:
    case VX_BIT_BPP16: return 2;
    case VX_BIT_BPP24: return 3;
    case VX_BIT_BPP32: return 4;
    default: return 0;
  }
}

// The software path: the family member of the source depth.
int copy_soft(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect, uint32_t flags,
              bool transparent) {
  if (src->bpp == VX_BIT_BPP4) {
    box("VX_BIT_BPP4 isn't implemented yet in vx_bit_copy ()");
    return 0;
  }
  int bytes = bytes_per_pixel(src->bpp);
  if (!bytes) {
    box(transparent ? "Unknown bitmap type in vx_bit_copy_transp_soft_bitmap ()"
                    : "Unknown bitmap type in vx_bit_copy_soft_bitmap ()");
    return 0;
  }
  // The members write pixels of the source's size: the destination must match.
  if (bytes_per_pixel(dest->bpp) != bytes || !dest->pixels || !src->pixels) return 0;
  VX_RECT d = dest_rect ? *dest_rect : VX_RECT{0, 0, dest->width, dest->height};
  VX_RECT s = src_rect ? *src_rect : VX_RECT{0, 0, src->width, src->height};
  switch (bytes) {
    case 1:
      return transparent ? copy_family<uint8_t, true>(dest, src, d, s, flags, uint8_t(0))
                         : copy_family<uint8_t, false>(dest, src, d, s, flags, uint8_t(0));
    case 2: {
      uint16_t key = vx_screen_packing()->key;
      return transparent ? copy_family<uint16_t, true>(dest, src, d, s, flags, key)
                         : copy_family<uint16_t, false>(dest, src, d, s, flags, key);
    }
    case 3: {
      P24 key = {{255, 0, 255}};
      return transparent ? copy_family<P24, true>(dest, src, d, s, flags, key)
                         : copy_family<P24, false>(dest, src, d, s, flags, key);
    }
    default:
      // 32 bits have no key: the transparent member writes every pixel.
      return copy_family<P32, false>(dest, src, d, s, flags, P32{});
  }
}

int copy_any(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect, uint32_t flags,
             bool transparent) {
  if (!dest || !src) return 0;
  if (vx_screen_mode_is_set() && !(flags & VX_BIT_SOFT)) {
    if (VX_BIT_COPY_FN fn = vx_screen_copy_get(transparent)) return fn(dest, src, dest_rect, src_rect, flags);
  }
  return copy_soft(dest, src, dest_rect, src_rect, flags, transparent);
}

int copy_3d(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect, uint32_t flags) {
  if (!dest || !src) return 0;
  VX_RECT d = dest_rect ? *dest_rect : VX_RECT{0, 0, dest->width, dest->height};
  VX_RECT s = src_rect ? *src_rect : VX_RECT{0, 0, src->width, src->height};
  return vx_dsp_3d_interface()->vx_bit_3d_put(src, &d, &s, flags);
}

// ---------------------------------------------------------------- resize lists
// Factors of the virtual screen against its base size; 1 before a screen exists.
void factors(float* sx, double* sy) {
  const VX_BITMAP* s = vx_screen();
  int bw = vx_screen_base_width(), bh = vx_screen_base_height();
  *sx = bw > 0 ? float(double(s->width) / double(bw)) : 1.0f;
  *sy = bh > 0 ? double(s->height) / double(bh) : 1.0;
}

void rect_scale(RectEntry& e, float sx, double sy) {
  // Truncated toward zero, as the integer conversion does.
  e.rect->x = int16_t(double(e.base.x) * sx);
  e.rect->width = int16_t(double(e.base.width) * sx);
  e.rect->y = int16_t(double(e.base.y) * sy);
  e.rect->height = int16_t(double(e.base.height) * sy);
}

void point_scale(PointEntry& e, float sx, double sy) {
  e.point->x = e.base.x * sx;
  e.point->y = float(double(e.base.y) * sy);
}

int rect_find(const VX_RECT* rect) {
  for (int i = 0; i < st.rect_count; i++)
    if (st.rects[i].rect == rect) return i;
  return -1;
}

int point_find(const VX_POINT_FLOAT* point) {
  for (int i = 0; i < st.point_count; i++)
    if (st.points[i].point == point) return i;
  return -1;
}

void warn(const char* format, const char* file, int line, const char* caption) {
  char text[512];
  std::snprintf(text, sizeof text, format, file ? file : "", line);
  vx_dsp_error_box(text, caption, PLAT_MB_OK);
}

}  // namespace

int vx_bit_copy(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect,
                uint32_t flags) {
  return copy_any(dest, src, dest_rect, src_rect, flags, false);
}

int vx_bit_copy_transp(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect,
                       uint32_t flags) {
  return copy_any(dest, src, dest_rect, src_rect, flags, true);
}

int vx_bit_copy_dbg(const char* file, int line, VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect,
                    const VX_RECT* src_rect, uint32_t flags) {
  vx_error_detail("vx_bit_copy (), file %s, line %d", file ? file : "", line);
  return vx_bit_copy(dest, src, dest_rect, src_rect, flags);
}

int vx_bit_copy_transp_dbg(const char* file, int line, VX_BITMAP* dest, VX_BITMAP* src,
                           const VX_RECT* dest_rect, const VX_RECT* src_rect, uint32_t flags) {
  vx_error_detail("vx_bit_copy_transp (), file %s, line %d", file ? file : "", line);
  return vx_bit_copy_transp(dest, src, dest_rect, src_rect, flags);
}

int vx_bit_copy_3d(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect,
                   uint32_t flags) {
  return copy_3d(dest, src, dest_rect, src_rect, flags);
}

int vx_bit_copy_transp_3d(VX_BITMAP* dest, VX_BITMAP* src, const VX_RECT* dest_rect, const VX_RECT* src_rect,
                          uint32_t flags) {
  return copy_3d(dest, src, dest_rect, src_rect, flags);
}

void vx_bit_scale_buffer_free() {
  if (st.scale) vx_mem_free(st.scale);
  st.scale = nullptr;
  st.scale_size = 0;
}

long vx_bit_scale_buffer_size() { return st.scale ? st.scale_size : 3000; }

int vx_bit_resize(VX_BITMAP* bitmap, const VX_RECT* new_rect, const VX_RECT* src_rect) {
  if (!bitmap) {
    box("Invalid bitmap pointer in vx_bit_resize\n");
    return 0;
  }
  if (!new_rect && !src_rect) {
    box("Invalid rectangle pointers in vx_bit_resize\n");
    return 0;
  }
  if (new_rect && (new_rect->width < 1 || new_rect->height < 1)) {
    box("Invalid rectangle destination size in vx_bit_resize\n");
    return 0;
  }
  if (src_rect && (src_rect->width < 1 || src_rect->height < 1 || src_rect->x >= bitmap->width ||
                   src_rect->y >= bitmap->height)) {
    box("Invalid rectangle source size in vx_bit_resize\n");
    return 0;
  }
  VX_BITMAP fresh;
  if (!vx_bit_alloc(&fresh, new_rect ? new_rect : src_rect, bitmap->bpp)) {
    box("Can't allocate bitmap in vx_bit_resize\n");
    return 0;
  }
  fresh.palette = vx_pal_ref(bitmap->palette);
  if (!vx_bit_copy(&fresh, bitmap, nullptr, src_rect, VX_BIT_SOFT | VX_BIT_SCALE)) {
    vx_bit_free(&fresh);
    return 0;
  }
  // The old pixels, texture and palette reference go; the rest of the
  // record (flags, key, the other parts' words) stays.
  vx_bit_free(bitmap);
  bitmap->x = fresh.x;
  bitmap->y = fresh.y;
  bitmap->width = fresh.width;
  bitmap->height = fresh.height;
  bitmap->palette = fresh.palette;
  bitmap->pixels = fresh.pixels;
  return 1;
}

int vx_dsp_rect_add(VX_RECT* rect) {
  if (!rect || rect_find(rect) >= 0 || st.rect_count >= VX_DSP_RESIZE_MAX) return 0;
  RectEntry& e = st.rects[st.rect_count++];
  e = {rect, *rect};
  float sx;
  double sy;
  factors(&sx, &sy);
  rect_scale(e, sx, sy);
  return 1;
}

int vx_dsp_rect_modify(VX_RECT* rect) {
  int i = rect ? rect_find(rect) : -1;
  if (i < 0) return 0;
  st.rects[i].base = *rect;
  float sx;
  double sy;
  factors(&sx, &sy);
  rect_scale(st.rects[i], sx, sy);
  return 1;
}

int vx_dsp_rect_remove(VX_RECT* rect) {
  int i = rect ? rect_find(rect) : -1;
  if (i < 0) return 0;
  for (int j = i + 1; j < st.rect_count; j++) st.rects[j - 1] = st.rects[j];
  st.rect_count--;
  return 1;
}

int vx_dsp_point_float_add(VX_POINT_FLOAT* point) {
  if (!point || point_find(point) >= 0 || st.point_count >= VX_DSP_RESIZE_MAX) return 0;
  PointEntry& e = st.points[st.point_count++];
  e = {point, *point};
  float sx;
  double sy;
  factors(&sx, &sy);
  point_scale(e, sx, sy);
  return 1;
}

int vx_dsp_point_float_modify(VX_POINT_FLOAT* point) {
  int i = point ? point_find(point) : -1;
  if (i < 0) return 0;
  st.points[i].base = *point;
  float sx;
  double sy;
  factors(&sx, &sy);
  point_scale(st.points[i], sx, sy);
  return 1;
}

int vx_dsp_point_float_remove(VX_POINT_FLOAT* point) {
  int i = point ? point_find(point) : -1;
  if (i < 0) return 0;
  for (int j = i + 1; j < st.point_count; j++) st.points[j - 1] = st.points[j];
  st.point_count--;
  return 1;
}

int vx_dsp_rect_add_dbg(const char* file, int line, VX_RECT* rect) {
  if (rect && rect_find(rect) >= 0) {
    warn("Warning: Rectangle already added to the resize list. file %s, line %d", file, line,
         "in vx_dsp_rect_add ()");
    return 0;
  }
  return vx_dsp_rect_add(rect);
}

int vx_dsp_rect_modify_dbg(const char* file, int line, VX_RECT* rect) {
  if (!rect || rect_find(rect) < 0) {
    warn("Warning: Rectangle not in the resize list. file %s, line %d", file, line, "in vx_dsp_rect_modify ()");
    return 0;
  }
  return vx_dsp_rect_modify(rect);
}

int vx_dsp_point_float_add_dbg(const char* file, int line, VX_POINT_FLOAT* point) {
  if (point && point_find(point) >= 0) {
    warn("Warning: Point_float already added to the resize list. file %s, line %d", file, line,
         "in vx_dsp_point_float_add ()");
    return 0;
  }
  return vx_dsp_point_float_add(point);
}

int vx_dsp_point_float_modify_dbg(const char* file, int line, VX_POINT_FLOAT* point) {
  if (!point || point_find(point) < 0) {
    warn("Warning: Point_float not in the resize list. file %s, line %d", file, line,
         "in vx_dsp_point_float_modify ()");
    return 0;
  }
  return vx_dsp_point_float_modify(point);
}

void vx_dsp_resize_lists_rescale() {
  float sx;
  double sy;
  factors(&sx, &sy);
  for (int i = 0; i < st.rect_count; i++) rect_scale(st.rects[i], sx, sy);
  for (int i = 0; i < st.point_count; i++) point_scale(st.points[i], sx, sy);
}

void vx_dsp_resize_lists_clear() {
  st.rect_count = 0;
  st.point_count = 0;
}
