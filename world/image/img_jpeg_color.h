// The JPEG decoder's last stage: component planes brought to the picture's size, and YCbCr rows turned into RGB pixels.
#pragma once
#include <cstddef>
#include <cstdint>

// A decoded component: whole 8 x 8 blocks, of which `width` x `height`
// samples lie inside the picture (the rest is block padding).
struct VX_JPEG_PLANE {
  const uint8_t* samples;  // top row first, rows `stride` bytes apart; stride is a multiple of 8
  size_t stride;
  int ring;                // 0: every row is held; else the last `ring` rows, row r at r % ring
  int h, v;                // the component's sampling factors (1..4)
  int hmax, vmax;          // the frame's largest sampling factors
  int width, height;       // ceil(picture width x h / hmax), ceil(picture height x v / vmax)
};

// Row `r` of a plane.
inline const uint8_t* vx_img_jpeg_plane_at(const VX_JPEG_PLANE* p, int r) {
  return p->samples + size_t(p->ring ? r % p->ring : r) * p->stride;
}

// Extra bytes that `out` of vx_img_jpeg_plane_row needs past the picture's
// width, and extra entries that `work` needs past the plane's width.
constexpr size_t VX_JPEG_ROW_SLACK = 32;

// Row `y` (0 .. picture height - 1) of `plane` at the picture's size (a
// ring must hold the plane rows y / (vmax / v) - 1 to y / (vmax / v) + 1):
// `picture_width` samples. A plane at full size gives its own row; a plane
// halved across, down or both is interpolated with the triangle filter
// (3/4 of the nearer sample, 1/4 of the next one beyond it, edges
// repeated; planes of two samples or fewer across are repeated instead);
// other ratios repeat the nearest sample. `out` holds picture_width +
// VX_JPEG_ROW_SLACK bytes and `work` plane width + VX_JPEG_ROW_SLACK
// entries, both of them initialised once (their slack is read, never used).
// Returns the row: a pointer into the plane or `out`.
const uint8_t* vx_img_jpeg_plane_row(const VX_JPEG_PLANE* plane, int y, int picture_width, uint16_t* work,
                                     uint8_t* out);

// `width` pixels of bytes R, G, B from Y, Cb and Cr rows, with the JFIF
// formulas in 16.16 fixed point: R = Y + (((Cr - 128) 91881) >> 16),
// G = Y - ((Cb 22554 + Cr 46802 - 8877568) >> 16),
// B = Y + (((Cb - 128) 116130) >> 16), each clamped to 0..255.
void vx_img_jpeg_ycc_rgb(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* rgb, size_t width);
// `width` pixels of bytes R, G, B, all three the grey level of `y`.
void vx_img_jpeg_grey_rgb(const uint8_t* y, uint8_t* rgb, size_t width);
