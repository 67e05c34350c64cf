// The bounding box of a bitmap's inked pixels.
#include "display/vx_bit_box.h"

#include <cstring>

#include "display/vx_screen.h"

namespace {

// Blank-pixel tests by depth; `p` points at the pixel's first byte.
bool blank8(const uint8_t* p) { return p[0] == 0; }
bool blank16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v == vx_screen_packing()->key;
}
bool blank24(const uint8_t* p) { return p[0] == 255 && p[1] == 0 && p[2] == 255; }
bool blank32(const uint8_t* p) { return p[3] == 0; }
bool never_blank(const uint8_t*) { return false; }

}  // namespace

int vx_bit_bounding_box(const VX_BITMAP* bitmap, const VX_RECT* area, VX_RECT* out) {
  VX_RECT a = area ? *area : VX_RECT{0, 0, bitmap ? bitmap->width : int16_t(0), bitmap ? bitmap->height : int16_t(0)};
  *out = {a.x, a.y, 0, 0};
  if (!bitmap || !bitmap->pixels) return 0;
  int x0 = a.x < 0 ? 0 : a.x, y0 = a.y < 0 ? 0 : a.y;
  int x1 = a.x + a.width < bitmap->width ? a.x + a.width : bitmap->width;
  int y1 = a.y + a.height < bitmap->height ? a.y + a.height : bitmap->height;
  if (x0 >= x1 || y0 >= y1) return 0;

  bool (*blank)(const uint8_t*) = never_blank;
  int bytes = 1;
  switch (bitmap->bpp) {
    case VX_BIT_BPP8: blank = blank8, bytes = 1; break;
    case VX_BIT_BPP15:
    case VX_BIT_BPP16: blank = blank16, bytes = 2; break;
    case VX_BIT_BPP24: blank = blank24, bytes = 3; break;
    case VX_BIT_BPP32: blank = blank32, bytes = 4; break;
    default:
      // Depths without a blank value (4 bits and others): the whole area.
      *out = {int16_t(x0), int16_t(y0), int16_t(x1 - x0), int16_t(y1 - y0)};
      return 1;
  }
  const long pitch = long(bitmap->width) * bytes;
  int left = x1, right = x0 - 1, top = y1, bottom = y0 - 1;
  for (int y = y0; y < y1; y++) {
    const uint8_t* row = bitmap->pixels + y * pitch;
    int first = x0;
    while (first < x1 && blank(row + long(first) * bytes)) first++;
    if (first == x1) continue;
    int last = x1 - 1;
    while (blank(row + long(last) * bytes)) last--;
    if (first < left) left = first;
    if (last > right) right = last;
    if (y < top) top = y;
    bottom = y;
  }
  if (right < left) return 0;
  *out = {int16_t(left), int16_t(top), int16_t(right - left + 1), int16_t(bottom - top + 1)};
  return 1;
}
