// TGA decoder: colour-mapped (type 1), true-colour (type 2) and run-length true-colour (type 10) pictures.
#include "world/image/img_tga.h"

#include <cstring>

#include "world/image/img_read.h"

namespace {

constexpr size_t kHeaderSize = 18;
constexpr int kTopFirst = 0x20;  // descriptor bit 5: rows stored top row first

enum TgaType { kColourMapped = 1, kTrueColour = 2, kRunLength = 10 };

struct Header {
  int id_length, map_type, type;
  int map_first, map_length, map_bits;
  int width, height, bits, descriptor;
};

void read_header(VX_IMG_READ* r, Header* h) {
  h->id_length = int(vx_img_read_u8(r));
  h->map_type = int(vx_img_read_u8(r));
  h->type = int(vx_img_read_u8(r));
  h->map_first = int(vx_img_read_le16(r));
  h->map_length = int(vx_img_read_le16(r));
  h->map_bits = int(vx_img_read_u8(r));
  vx_img_read_skip(r, 4);  // x and y origin
  h->width = int(vx_img_read_le16(r));
  h->height = int(vx_img_read_le16(r));
  h->bits = int(vx_img_read_u8(r));
  h->descriptor = int(vx_img_read_u8(r));
}

// Bytes of one colour-map entry; 15- and 16-bit entries take two.
int map_entry_bytes(int bits) { return (bits + 7) / 8; }

// A 5-bit channel as 8 bits, its top bits repeated below (31 gives 255).
uint8_t five_to_8(int v) { return uint8_t((v & 31) << 3 | (v & 31) >> 2); }

// Reads the colour map into a 256-colour RGB palette. Entries are stored
// blue, green, red (24 and 32 bits; alpha is dropped) or as little-endian
// 5-5-5 words (channels widened to 8 bits); entry i lands on index first + i, past 255 it is skipped.
bool read_colour_map(VX_IMG_READ* r, const Header& h, VX_BITMAP* bitmap) {
  const int entry = map_entry_bytes(h.map_bits);
  if (entry < 1 || entry > 4) return false;  // entries are 8, 15, 16, 24 or 32 bits
  const uint8_t* map = vx_img_read_take(r, size_t(entry) * size_t(h.map_length));
  if (!map || !vx_img_alloc_palette(bitmap, 256, 0)) return false;
  uint8_t* colours = bitmap->palette->colours;
  for (int i = 0; i < h.map_length; i++) {
    int index = h.map_first + i;
    if (index > 255) break;
    const uint8_t* e = map + size_t(i) * entry;
    uint8_t* c = colours + index * 3;
    if (entry >= 3) {
      c[0] = e[2], c[1] = e[1], c[2] = e[0];
    } else if (entry == 2) {
      int v = e[0] | e[1] << 8;
      c[0] = five_to_8(v >> 10), c[1] = five_to_8(v >> 5), c[2] = five_to_8(v);
    } else {
      c[0] = c[1] = c[2] = e[0];
    }
  }
  return true;
}

// The stored row that holds file row `n` (file rows run bottom up unless bit 5).
size_t target_row(const Header& h, int n) { return size_t(h.descriptor & kTopFirst ? n : h.height - 1 - n); }

// Types 1 and 2: rows in one block, or bottom up row by row.
bool read_raw(VX_IMG_READ* r, const Header& h, uint8_t* pixels, size_t row) {
  if (h.descriptor & kTopFirst) return vx_img_read_bytes(r, pixels, row * size_t(h.height));
  for (int n = 0; n < h.height; n++)
    if (!vx_img_read_bytes(r, pixels + target_row(h, n) * row, row)) return false;
  return true;
}

// Type 10: packets until every pixel is filled. A header byte below 128
// is followed by (byte & 127) + 1 raw pixels, otherwise by one pixel to
// repeat that often; pixels run left to right, row after row.
bool read_runs(VX_IMG_READ* r, const Header& h, uint8_t* pixels, size_t row, size_t pixel) {
  int x = 0, n = 0;
  uint8_t* dst = pixels + target_row(h, 0) * row;
  while (n < h.height) {
    uint32_t head = vx_img_read_u8(r);
    if (r->fail) return false;
    int count = int(head & 127) + 1;
    const uint8_t* repeat = head >= 128 ? vx_img_read_take(r, pixel) : nullptr;
    if (head >= 128 && !repeat) return false;
    for (int i = 0; i < count && n < h.height; i++) {
      const uint8_t* p = repeat ? repeat : vx_img_read_take(r, pixel);
      if (!p) return false;
      std::memcpy(dst + size_t(x) * pixel, p, pixel);
      if (++x == h.width) {
        x = 0;
        if (++n < h.height) dst = pixels + target_row(h, n) * row;
      }
    }
  }
  return true;
}

// 24- and 32-bit pixels are stored blue, green, red (alpha): swap to red first.
void swap_red_blue(uint8_t* pixels, size_t count, size_t pixel) {
  for (size_t i = 0; i < count; i++, pixels += pixel) {
    uint8_t t = pixels[0];
    pixels[0] = pixels[2];
    pixels[2] = t;
  }
}

bool type_supported(const Header& h) {
  if (h.type == kColourMapped) return h.bits == 8;
  if (h.type == kTrueColour || h.type == kRunLength)
    return h.bits == 15 || h.bits == 16 || h.bits == 24 || h.bits == 32;
  return false;
}

}  // namespace

int vx_img_tga_test(const uint8_t* data, size_t size) {
  if (!data || size < kHeaderSize) return 0;
  VX_IMG_READ r;
  vx_img_read_init(&r, data, size);
  Header h;
  read_header(&r, &h);
  return (h.type == kColourMapped || h.type == kTrueColour || h.type == kRunLength) && h.width > 0 &&
         h.height > 0;
}

int vx_img_tga_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char* name,
                      VX_IMG_INFO* info) {
  if (!bitmap) return 0;
  std::memset(bitmap, 0, sizeof *bitmap);
  VX_IMG_READ r;
  vx_img_read_init(&r, data, size);
  Header h;
  read_header(&r, &h);
  if (r.fail) {
    vx_img_reason_set("truncated data");
    return 0;
  }
  if (!type_supported(h)) {
    vx_img_reason_set(h.type == kColourMapped || h.type == kTrueColour || h.type == kRunLength
                          ? "TGA depth not supported"
                          : "unknown TGA type");
    return vx_img_unsupported("TGA", name);
  }
  const int bpp = h.bits == 16 ? 15 : h.bits;  // 16-bit pixels are 5-5-5 words (bit 15 is an attribute)
  const size_t pixel = size_t(h.bits + 7) / 8;
  if (!vx_img_read_skip(&r, size_t(h.id_length))) return 0;
  // The data left must be able to hold the picture: raw pixels one for one,
  // runs at most 128 pixels from a count byte and one pixel.
  const size_t count = size_t(h.width) * size_t(h.height);
  const size_t least = h.type == kRunLength ? (count + 127) / 128 * (1 + pixel) : count * pixel;
  if (least > vx_img_read_left(&r)) {
    vx_img_reason_set("truncated data");
    return 0;
  }
  if (!vx_img_alloc(bitmap, h.width, h.height, bpp)) return vx_img_fail(bitmap);
  if (h.map_type) {
    if (h.type == kColourMapped && (flags & VX_IMG_PALETTE)) {
      if (!read_colour_map(&r, h, bitmap)) return vx_img_fail(bitmap);
    } else if (!vx_img_read_skip(&r, size_t(map_entry_bytes(h.map_bits)) * size_t(h.map_length))) {
      return vx_img_fail(bitmap);
    }
  }
  const size_t row = size_t(h.width) * pixel;
  bool ok = h.type == kRunLength ? read_runs(&r, h, bitmap->pixels, row, pixel)
                                 : read_raw(&r, h, bitmap->pixels, row);
  if (!ok) {
    vx_img_reason_set(r.fail ? "truncated data" : "damaged data");
    return vx_img_fail(bitmap);
  }
  if (pixel >= 3) swap_red_blue(bitmap->pixels, size_t(h.width) * size_t(h.height), pixel);
  if (info) {
    if (h.type == kColourMapped) *info = {VX_IMG_TGA, 1, 8, 1};
    else *info = {VX_IMG_TGA, h.bits == 32 ? 4 : 3, pixel == 2 ? 5 : 8, 0};
  }
  return 1;
}
