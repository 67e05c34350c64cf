// Picture loading: the choice of decoder by name, the file read, the bitmap set-up shared by the decoders and RGBA expansion.
#include "world/image/img_load.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_pal.h"
#include "world/image/img_jpeg.h"
#include "world/image/img_pcx.h"
#include "world/image/img_png.h"
#include "world/image/img_read.h"
#include "world/image/img_tga.h"

namespace {

struct ImageState {
  size_t limit;        // largest pixel block a decoder may ask for, 0 = no cap
  const char* reason;  // why the last load failed, null while none is known
};
ImageState st = {0, nullptr};

constexpr uint32_t kBoxOk = 0;  // PLAT_MB_OK: one OK button
constexpr long kMaxSide = 32767;  // width and height are 16-bit signed in the record

// Case-blind search of an upper-case `needle` in `name`, which is what
// searching an upper-cased copy of the name comes to.
bool contains_upper(const char* name, const char* needle) {
  size_t n = std::strlen(needle);
  for (const char* p = name; *p; p++) {
    size_t i = 0;
    while (i < n && p[i] && (p[i] >= 'a' && p[i] <= 'z' ? p[i] - 32 : p[i]) == needle[i]) i++;
    if (i == n) return true;
  }
  return false;
}

// An 8-bit value from a `bits`-bit one, full scale staying full scale: v x 255 / (2^bits - 1),
// rounded for 16 bits, exact for 1, 2 and 4; 5-bit values repeat their top bits.
uint8_t scale_to_8(uint32_t v, int bits) {
  switch (bits) {
    case 1: return v ? 255 : 0;
    case 2: return uint8_t(v * 85);
    case 4: return uint8_t(v * 17);
    case 5: return uint8_t(v << 3 | v >> 2);
    case 16: return uint8_t((v * 255 + 32767) / 65535);
    default: return uint8_t(v);
  }
}

// Sample `i` of a row of `bits`-bit samples (PNG order: high bits first, 16-bit big-endian).
uint32_t sample_at(const uint8_t* row, size_t i, int bits) {
  switch (bits) {
    case 16: return uint32_t(row[2 * i] << 8 | row[2 * i + 1]);
    case 8: return row[i];
    default: {
      size_t bit = i * bits;
      int shift = 8 - bits - int(bit & 7);
      return (row[bit >> 3] >> shift) & ((1u << bits) - 1);
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- shared by the decoders
size_t vx_img_row_bytes(size_t width, size_t bits) {
  if (bits == 15) bits = 16;  // a 5-5-5 pixel is a whole 16-bit word
  size_t b;
  if (!vx_img_mul(width, bits, &b) || !vx_img_add(b, 7, &b)) return 0;
  return b / 8;
}

int vx_img_alloc(VX_BITMAP* bitmap, long width, long height, int bpp) {
  std::memset(bitmap, 0, sizeof *bitmap);
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || bpp < 1 || bpp > 64) return 0;
  size_t row = vx_img_row_bytes(size_t(width), size_t(bpp)), size;
  if (!row || !vx_img_mul(row, size_t(height), &size) || (st.limit && size > st.limit)) {
    vx_img_reason_set("picture too large");
    return 0;
  }
  bitmap->pixels = static_cast<uint8_t*>(vx_mem_calloc(size, 1));
  if (!bitmap->pixels) return 0;
  bitmap->width = int16_t(width);
  bitmap->height = int16_t(height);
  bitmap->bpp = int16_t(bpp);
  return 1;
}

int vx_img_alloc_palette(VX_BITMAP* bitmap, int count, int grey) {
  bitmap->palette = vx_pal_alloc(nullptr, count, VX_PAL_OPT_RGB | (grey ? VX_PAL_OPT_GREY : 0));
  return bitmap->palette != nullptr;
}

int vx_img_fail(VX_BITMAP* bitmap) {
  vx_bit_free(bitmap);
  std::memset(bitmap, 0, sizeof *bitmap);
  return 0;
}

void vx_img_reason_set(const char* reason) {
  if (!st.reason) st.reason = reason;
}

const char* vx_img_reason() { return st.reason ? st.reason : ""; }

int vx_img_unsupported(const char* format, const char* name) {
  vx_img_reason_set("kind of picture not supported");
  char text[VX_IO_PATH_MAX + 64];
  std::snprintf(text, sizeof text, "%s format not supported yet. (File %s)", format, name ? name : "");
  vx_dsp_error_box(text, nullptr, kBoxOk);
  return 0;
}

void vx_img_set_limit(size_t max_bytes) { st.limit = max_bytes; }
size_t vx_img_limit() { return st.limit; }

// ---------------------------------------------------------------- loading
int vx_img_format_of(const char* name) {
  if (!name) return VX_IMG_UNKNOWN;
  if (contains_upper(name, ".PCX") || contains_upper(name, ".PCC")) return VX_IMG_PCX;
  if (contains_upper(name, ".PNG")) return VX_IMG_PNG;
  if (contains_upper(name, ".TGA")) return VX_IMG_TGA;
  // ".JPE" also finds ".JPEG".
  if (contains_upper(name, ".JPG") || contains_upper(name, ".JPE")) return VX_IMG_JPEG;
  return VX_IMG_UNKNOWN;
}

namespace {

int decode_any(int format, VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char* name,
               VX_IMG_INFO* info) {
  switch (format) {
    case VX_IMG_PCX: return vx_img_pcx_decode(bitmap, data, size, flags, name, info);
    case VX_IMG_PNG: return vx_img_png_decode(bitmap, data, size, flags, name, info);
    case VX_IMG_TGA: return vx_img_tga_decode(bitmap, data, size, flags, name, info);
    case VX_IMG_JPEG: return vx_img_jpeg_decode(bitmap, data, size, flags, name, info);
    default:
      if (bitmap) std::memset(bitmap, 0, sizeof *bitmap);
      vx_img_reason_set("unknown kind of picture");
      return 0;
  }
}

}  // namespace

int vx_img_decode(int format, VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags,
                  const char* name, VX_IMG_INFO* info) {
  st.reason = nullptr;
  const int ok = decode_any(format, bitmap, data, size, flags, name, info);
  if (ok) st.reason = nullptr;
  else vx_img_reason_set("damaged data");
  return ok;
}

int vx_img_load_info(VX_BITMAP* bitmap, const char* name, int flags, VX_IMG_INFO* info) {
  if (!bitmap) return 0;
  std::memset(bitmap, 0, sizeof *bitmap);
  st.reason = nullptr;
  int format = vx_img_format_of(name);
  if (format == VX_IMG_UNKNOWN) {
    vx_img_reason_set("unknown kind of picture (by its name)");
    return 0;
  }
  long size = 0;
  auto* data = static_cast<uint8_t*>(vx_io_load(name, &size));
  if (!data) {
    vx_img_reason_set("missing or unreadable file");
    return 0;
  }
  int ok = vx_img_decode(format, bitmap, data, size > 0 ? size_t(size) : 0, flags, name, info);
  vx_mem_free(data);
  if (!ok) return 0;
  vx_mem_name(bitmap->pixels, name);
  if (bitmap->palette) {
    vx_mem_name(bitmap->palette, name);
    vx_mem_name(bitmap->palette->colours, name);
  }
  return 1;
}

int vx_img_load(VX_BITMAP* bitmap, const char* name, int flags) {
  return vx_img_load_info(bitmap, name, flags, nullptr);
}

// ---------------------------------------------------------------- expansion
int vx_img_expand_rgba(const VX_BITMAP* bitmap, const VX_IMG_INFO* info, uint8_t* out) {
  if (!bitmap || !info || !out || !bitmap->pixels || bitmap->width < 1 || bitmap->height < 1) return 0;
  const int ch = info->channels, bits = info->sample_bits;
  const int bpp = bits == 5 ? 15 : ch * bits;
  if (bpp != bitmap->bpp && !(bits == 5 && ch == 3)) return 0;
  if (info->indexed && ch != 1) return 0;
  const size_t w = size_t(bitmap->width), row_bytes = vx_img_row_bytes(w, size_t(bitmap->bpp));
  const VX_PALETTE* pal = info->indexed ? bitmap->palette : nullptr;
  for (int y = 0; y < bitmap->height; y++) {
    const uint8_t* row = bitmap->pixels + size_t(y) * row_bytes;
    uint8_t* o = out + size_t(y) * w * 4;
    for (size_t x = 0; x < w; x++, o += 4) {
      o[3] = 255;
      if (bits == 5) {  // little-endian 5-5-5 word, red in bits 10 to 14
        uint32_t v = uint32_t(row[2 * x] | row[2 * x + 1] << 8);
        o[0] = scale_to_8(v >> 10 & 31, 5);
        o[1] = scale_to_8(v >> 5 & 31, 5);
        o[2] = scale_to_8(v & 31, 5);
        continue;
      }
      uint32_t s0 = sample_at(row, x * ch, bits);
      if (pal) {
        vx_pal_colour(pal, int(s0), &o[0], &o[1], &o[2]);
        if (pal->type == VX_PALETTE_RGBA && s0 < pal->count) o[3] = pal->colours[s0 * 4 + 3];
        continue;
      }
      if (ch <= 2) {
        o[0] = o[1] = o[2] = scale_to_8(s0, bits);
        if (ch == 2) o[3] = scale_to_8(sample_at(row, x * ch + 1, bits), bits);
      } else {
        o[0] = scale_to_8(s0, bits);
        o[1] = scale_to_8(sample_at(row, x * ch + 1, bits), bits);
        o[2] = scale_to_8(sample_at(row, x * ch + 2, bits), bits);
        if (ch == 4) o[3] = scale_to_8(sample_at(row, x * ch + 3, bits), bits);
      }
    }
  }
  return 1;
}
