// PCX decoder: run-length coded 8-bit, 24-bit (three planes) and 4-bit (four bit planes) pictures.
#include "world/image/img_pcx.h"

#include <cstring>

#include "core/vx_mem.h"
#include "world/image/img_read.h"

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kTrailingPalette = 768;  // 256 x red, green, blue at the end of 8-bit files
constexpr int kManufacturer = 10;         // ZSoft
constexpr int kVersion = 5;               // PC Paintbrush 3.0 and later

struct Header {
  int manufacturer, version, bits, planes;
  long width, height;
  size_t line;                 // bytes of one plane line
  const uint8_t* ega_palette;  // 16 x red, green, blue at byte 16
};

void read_header(const uint8_t* d, Header* h) {
  h->manufacturer = d[0];
  h->version = d[1];
  h->bits = d[3];
  long x0 = d[4] | d[5] << 8, y0 = d[6] | d[7] << 8, x1 = d[8] | d[9] << 8, y1 = d[10] | d[11] << 8;
  h->width = x1 - x0 + 1;
  h->height = y1 - y0 + 1;
  h->ega_palette = d + 16;
  h->planes = d[65];
  h->line = size_t(d[66] | d[67] << 8);
}

// The run-length stream: a byte with both top bits set repeats the next
// byte (its low six bits) times; any other byte stands for itself. Runs may
// cross line ends; past the end of the data every byte reads as 0.
struct Runs {
  VX_IMG_READ r;
  int count;      // bytes left in the current run
  uint8_t value;  // the byte of the current run
};

void decode_line(Runs* s, uint8_t* out, size_t n) {
  size_t i = 0;
  while (i < n) {
    if (s->count > 0) {
      size_t take = size_t(s->count) < n - i ? size_t(s->count) : n - i;
      std::memset(out + i, s->value, take);
      s->count -= int(take);
      i += take;
      continue;
    }
    if (!vx_img_read_left(&s->r)) {
      std::memset(out + i, 0, n - i);
      return;
    }
    uint8_t b = uint8_t(vx_img_read_u8(&s->r));
    if ((b & 0xC0) == 0xC0) {
      s->count = b & 0x3F;
      s->value = uint8_t(vx_img_read_u8(&s->r));
    } else {
      out[i++] = b;
    }
  }
}

// Four bit planes (plane 0 the lowest bit) into 4-bit pixels, the left pixel in the high half.
void combine_planes(const uint8_t* line, size_t plane_bytes, long width, uint8_t* out) {
  for (long x = 0; x < width; x++) {
    int mask = 0x80 >> (x & 7), v = 0;
    for (int p = 0; p < 4; p++)
      if (line[size_t(p) * plane_bytes + size_t(x >> 3)] & mask) v |= 1 << p;
    out[x >> 1] = uint8_t(x & 1 ? out[x >> 1] | v : v << 4);
  }
}

// The three plane lines (red, green, blue) of a row into red, green, blue pixels.
void interleave_planes(const uint8_t* line, size_t plane_bytes, long width, uint8_t* out) {
  for (long x = 0; x < width; x++) {
    out[3 * x] = line[x];
    out[3 * x + 1] = line[plane_bytes + size_t(x)];
    out[3 * x + 2] = line[2 * plane_bytes + size_t(x)];
  }
}

}  // namespace

int vx_img_pcx_test(const uint8_t* data, size_t size) {
  return data && size >= kHeaderSize && data[0] == kManufacturer && data[1] == kVersion;
}

int vx_img_pcx_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char* name,
                      VX_IMG_INFO* info) {
  if (!bitmap) return 0;
  std::memset(bitmap, 0, sizeof *bitmap);
  if (!vx_img_pcx_test(data, size)) {
    vx_img_reason_set("not a PCX file");
    return 0;
  }
  Header h;
  read_header(data, &h);
  const bool grey8 = h.bits == 8 && h.planes == 1, rgb = h.bits == 8 && h.planes == 3,
             ega = h.bits == 1 && h.planes == 4;
  if (!grey8 && !rgb && !ega) {
    vx_img_reason_set("PCX depth not supported");
    return vx_img_unsupported("PCX", name);
  }
  const int bpp = grey8 ? 8 : rgb ? 24 : 4;
  // Single-plane data end where the trailing palette begins.
  size_t end = size;
  if (h.planes == 1) end = size >= kHeaderSize + kTrailingPalette ? size - kTrailingPalette : 0;
  if (end < kHeaderSize || h.width < 1 || h.height < 1) return 0;
  if (h.line < (ega ? size_t(h.width + 7) / 8 : size_t(h.width))) return 0;
  // A run of at most 63 bytes takes two: a picture its data cannot fill
  // even so is refused before its block is made.
  if (size_t(h.line) * size_t(h.planes) * size_t(h.height) / 63 * 2 > end - kHeaderSize) {
    vx_img_reason_set("truncated data");
    return 0;
  }
  if (!vx_img_alloc(bitmap, h.width, h.height, bpp)) return vx_img_fail(bitmap);

  const size_t plane_bytes = h.line, row = vx_img_row_bytes(size_t(h.width), size_t(bpp));
  auto* line = static_cast<uint8_t*>(vx_mem_malloc(plane_bytes * size_t(h.planes)));
  if (!line) return vx_img_fail(bitmap);
  Runs s = {};
  vx_img_read_init(&s.r, data + kHeaderSize, end - kHeaderSize);
  for (long y = 0; y < h.height; y++) {
    for (int p = 0; p < h.planes; p++) decode_line(&s, line + size_t(p) * plane_bytes, plane_bytes);
    uint8_t* out = bitmap->pixels + size_t(y) * row;
    if (grey8) std::memcpy(out, line, row);
    else if (rgb) interleave_planes(line, plane_bytes, h.width, out);
    else combine_planes(line, plane_bytes, h.width, out);
  }
  vx_mem_free(line);

  if (flags & VX_IMG_PALETTE) {
    const int count = grey8 ? 256 : ega ? 16 : 0;
    if (count) {
      if (!vx_img_alloc_palette(bitmap, count, 0)) return vx_img_fail(bitmap);
      const uint8_t* source = grey8 ? data + size - kTrailingPalette : h.ega_palette;
      std::memcpy(bitmap->palette->colours, source, size_t(count) * 3);
    }
  }
  if (info) *info = rgb ? VX_IMG_INFO{VX_IMG_PCX, 3, 8, 0} : VX_IMG_INFO{VX_IMG_PCX, 1, bpp, 1};
  return 1;
}
