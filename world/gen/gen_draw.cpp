// gen_draw: points, lines, rectangle and circle outlines through OpenGL, and reading one pixel of a bitmap or of the frame buffer.
#include "world/gen/gen_draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "display/vx_app.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"
#include "world/gen/gen_bit.h"
#include "world/gen/gen_wrap.h"

namespace {

constexpr int kCirclePointsMax = 360;
constexpr double kPi = 3.14159265358979323846;

// Pixel centres: a vertex at x + 0.5 lights pixel x under GL's rules.
constexpr float kCentre = 0.5f;

void colour_on(uint32_t colour) {
  gen_bit_flush();
  glDisable(GL_TEXTURE_2D);
  glColor3ub(GLubyte(colour >> 16), GLubyte(colour >> 8), GLubyte(colour));
}

void vertex(int x, int y) { glVertex2f(float(x) + kCentre, float(y) + kCentre); }

// Lines through `n` points (x, y pairs) drawn as `mode`, then every point
// itself: which end pixels a line lights differs between GL drivers (the
// diamond-exit rule leaves out the last one), the points make them sure.
void outline(const int* xy, int n, GLenum mode, uint32_t colour) {
  colour_on(colour);
  if (n > 1) {
    glBegin(mode);
    for (int i = 0; i < n; i++) vertex(xy[i * 2], xy[i * 2 + 1]);
    glEnd();
  }
  glBegin(GL_POINTS);
  for (int i = 0; i < n; i++) vertex(xy[i * 2], xy[i * 2 + 1]);
  glEnd();
}

// 1 when the box [x0, x1] x [y0, y1] touches the bitmap's rectangle.
bool touches(const VX_BITMAP* b, int x0, int y0, int x1, int y1) {
  return x1 >= 0 && y1 >= 0 && x0 < b->width && y0 < b->height;
}

// A pixel of a block as 0xRRGGBB.
uint32_t rgb(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }

// One channel of a 16-bit word in the screen's packing, as 8 bits (the
// packing keeps each channel's top bits: the lower ones come back 0).
uint8_t unpack(uint16_t word, const VX_SCREEN_PACKING* p, int channel) {
  const int shift = p->shift[channel];
  const uint32_t moved = shift >= 0 ? uint32_t(word) >> shift : uint32_t(word) << -shift;
  return uint8_t(moved & (0xFFu << (8 - p->bits[channel])));
}

uint32_t read_block(const VX_BITMAP* b, int x, int y) {
  const uint8_t* row = b->pixels + long(y) * vx_bit_row_bytes(b->width, b->bpp);
  switch (b->bpp) {
    case VX_BIT_BPP8: {
      const uint8_t index = row[x];
      if (!b->palette) return index;
      uint8_t r, g, bl;
      vx_pal_colour(b->palette, index, &r, &g, &bl);
      return rgb(r, g, bl);
    }
    case VX_BIT_BPP15:
    case VX_BIT_BPP16: {
      const uint16_t word = uint16_t(row[x * 2] | (row[x * 2 + 1] << 8));
      const VX_SCREEN_PACKING* p = vx_screen_packing();
      return rgb(unpack(word, p, 0), unpack(word, p, 1), unpack(word, p, 2));
    }
    case VX_BIT_BPP24: return rgb(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]);
    case VX_BIT_BPP32: return rgb(row[x * 4], row[x * 4 + 1], row[x * 4 + 2]);
    default: return 0;
  }
}

// The pixel from the tile set piece that holds it.
uint32_t read_pieces(const VX_BITMAP* b, int x, int y) {
  VX_RECT place;
  for (int i = 0; const VX_BITMAP* piece = gen_bit_piece(b, i, &place); i++) {
    if (x >= place.x && x < place.x + place.width && y >= place.y && y < place.y + place.height)
      return read_block(piece, x - place.x, y - place.y);
  }
  return 0;
}

uint32_t read_frame_buffer(int x, int y) {
  if (!gen_wrap_ready()) return 0;
  gen_bit_flush();
  const VX_RECT screen = gen_wrap_screen();
  GLubyte px[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(screen.x + x, gen_wrap_buffer_row(&screen, y), 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
  return rgb(px[0], px[1], px[2]);
}

}  // namespace

int gen_draw_pixel(VX_BITMAP* bitmap, int x, int y, uint32_t colour) {
  if (!bitmap || !bitmap->pixels || !gen_wrap_ready()) return 0;
  if (x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return 0;
  if (bitmap->bpp == VX_BIT_BPP4) return gen_draw_pixel_04(bitmap, x, y, colour);
  const int xy[2] = {x, y};
  outline(xy, 1, GL_POINTS, colour);
  return 1;
}

int gen_draw_line(VX_BITMAP* bitmap, int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!bitmap || !gen_wrap_ready()) return 0;
  const int xy[4] = {x1, y1, x2, y2};
  outline(xy, 2, GL_LINES, colour);
  return 1;
}

int gen_draw_rectangle(VX_BITMAP* bitmap, const VX_RECT* rect, uint32_t colour) {
  if (!bitmap || !rect || !gen_wrap_ready()) return 0;
  if (rect->width < 1 || rect->height < 1) return 1;
  const int x0 = rect->x, y0 = rect->y, x1 = rect->x + rect->width - 1, y1 = rect->y + rect->height - 1;
  if (!touches(bitmap, x0, y0, x1, y1)) return 1;
  if (x0 == x1 || y0 == y1) return gen_draw_line(bitmap, x0, y0, x1, y1, colour);
  const int xy[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
  outline(xy, 4, GL_LINE_LOOP, colour);
  return 1;
}

int gen_draw_circle(VX_BITMAP* bitmap, int cx, int cy, int radius, uint32_t colour) {
  if (!bitmap || !gen_wrap_ready()) return 0;
  if (radius <= 0 || !touches(bitmap, cx - radius, cy - radius, cx + radius, cy + radius)) return 1;
  int xy[kCirclePointsMax * 2];
  const int n = gen_draw_circle_points(cx, cy, radius, xy, kCirclePointsMax);
  outline(xy, n, GL_LINE_LOOP, colour);
  return 1;
}

uint32_t gen_get_pixel(VX_BITMAP* bitmap, int x, int y) {
  if (!bitmap || x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return 0;
  if (bitmap->pixels) {
    if (bitmap->bpp == VX_BIT_BPP4) return gen_get_pixel_04(bitmap, x, y);
    return read_block(bitmap, x, y);
  }
  GEN_TEXTURE_INFO info;
  if (gen_bit_texture_info(bitmap, &info)) return info.kind == GEN_TEX_TILES ? read_pieces(bitmap, x, y) : 0;
  return read_frame_buffer(x, y);
}

int gen_draw_pixel_04(VX_BITMAP*, int, int, uint32_t) {
  vx_dsp_error_box("Function not created yet", nullptr, PLAT_MB_OK);
  return 0;
}

uint32_t gen_get_pixel_04(VX_BITMAP*, int, int) {
  vx_dsp_error_box("Function not created yet", nullptr, PLAT_MB_OK);
  return 0;
}

int gen_draw_circle_points(int cx, int cy, int radius, int* xy, int max) {
  if (radius <= 0 || !xy || max < 1) return 0;
  const int step = radius >= 360 ? 1 : 360 / radius;
  int n = 0;
  xy[n * 2] = cx + radius - 1;
  xy[n * 2 + 1] = cy;
  n++;
  for (int a = step; a < 360; a += step) {
    if (n == max) return 0;
    const double rad = a * kPi / 180.0;
    xy[n * 2] = cx + int(std::trunc(radius * std::cos(rad)));
    xy[n * 2 + 1] = cy + int(std::trunc(radius * std::sin(rad)));
    n++;
  }
  return n;
}
