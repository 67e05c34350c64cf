// PNG decoder: chunks, one zlib stream, the five row filters and Adam7 interlacing, samples kept as the file stores them.
#include "world/image/img_png.h"

#include <zlib.h>

#include <array>
#include <cstring>

#include "core/vx_mem.h"
#include "world/image/img_read.h"

namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

constexpr uint32_t chunk_type(const char (&t)[5]) {
  return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 | uint32_t(uint8_t(t[2])) << 8 |
         uint8_t(t[3]);
}
constexpr uint32_t kIHDR = chunk_type("IHDR");
constexpr uint32_t kPLTE = chunk_type("PLTE");
constexpr uint32_t kIDAT = chunk_type("IDAT");
constexpr size_t kInflateRatio = 1032;  // most bytes one byte of deflate data unpacks to
constexpr uint32_t kIEND = chunk_type("IEND");

struct Chunk {
  uint32_t type;
  const uint8_t* data;
  size_t length;  // cut to what the file holds when the last chunk is truncated
};

// Reads the next chunk: length, type, data and CRC (read, not checked).
// 0 at the end of the data.
int next_chunk(VX_IMG_READ* r, Chunk* c) {
  if (vx_img_read_left(r) < 8) return 0;
  size_t length = vx_img_read_be32(r);
  c->type = vx_img_read_be32(r);
  if (length > vx_img_read_left(r)) length = vx_img_read_left(r);
  c->data = vx_img_read_take(r, length);
  c->length = length;
  if (vx_img_read_left(r) >= 4) vx_img_read_skip(r, 4);
  else r->cur = r->end;
  return 1;
}

struct Header {
  uint32_t width, height;
  int depth, colour, compression, filter, interlace;
};

// Samples per pixel by colour type, 0 for a colour type PNG does not have.
int samples_of(int colour) {
  switch (colour) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

// The bit depths the PNG standard allows for each colour type.
bool depth_allowed(int colour, int depth) {
  switch (colour) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

// The Paeth predictor: of left, above and upper-left, the one closest to
// left + above - upper-left; ties go to left, then above.
inline uint8_t paeth(int a, int b, int c) {
  int pa = b - c, pb = a - c, pc = a + b - 2 * c;
  pa = pa < 0 ? -pa : pa;
  pb = pb < 0 ? -pb : pb;
  pc = pc < 0 ? -pc : pc;
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// Undoes one row's filter: `in` (n bytes after the filter byte) into `out`,
// with `prior` the row above as decoded (zeros for the first row) and `bpp`
// bytes per pixel (at least 1).
void unfilter(int filter, const uint8_t* in, const uint8_t* prior, uint8_t* out, size_t n, size_t bpp) {
  size_t i = 0;
  switch (filter) {
    case 1:  // sub
      for (; i < bpp && i < n; i++) out[i] = in[i];
      for (; i < n; i++) out[i] = uint8_t(in[i] + out[i - bpp]);
      break;
    case 2:  // up
      for (; i < n; i++) out[i] = uint8_t(in[i] + prior[i]);
      break;
    case 3:  // average
      for (; i < bpp && i < n; i++) out[i] = uint8_t(in[i] + (prior[i] >> 1));
      for (; i < n; i++) out[i] = uint8_t(in[i] + ((out[i - bpp] + prior[i]) >> 1));
      break;
    case 4:  // Paeth; on the left edge left and upper-left are 0, so above wins
      for (; i < bpp && i < n; i++) out[i] = uint8_t(in[i] + prior[i]);
      for (; i < n; i++) out[i] = uint8_t(in[i] + paeth(out[i - bpp], prior[i], prior[i - bpp]));
      break;
    default:  // 0 (none), and any unknown filter leaves the row as it is
      std::memcpy(out, in, n);
      break;
  }
}

// The seven Adam7 passes: first column, first row, column step, row step.
struct Pass {
  uint32_t x0, y0, dx, dy;
};
constexpr std::array<Pass, 7> kAdam7 = {{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};

uint32_t pass_size(uint32_t full, uint32_t start, uint32_t step) {
  return full > start ? (full - start + step - 1) / step : 0;
}

struct Image {
  Header h;
  int bits;        // bits per pixel
  size_t bpp;      // bytes per pixel for filtering, at least 1
  size_t row;      // bytes per full row
  uint8_t* zero;   // a row of zeros: the "row above" of every first row
};

// Unfilters `rows` rows of `n` bytes each from `raw` (each row led by its
// filter byte) into `out`, rows `stride` bytes apart. Returns the raw bytes used.
size_t unfilter_rows(const Image& im, const uint8_t* raw, uint32_t rows, size_t n, uint8_t* out, size_t stride) {
  const uint8_t* prior = im.zero;
  for (uint32_t y = 0; y < rows; y++) {
    uint8_t* o = out + size_t(y) * stride;
    unfilter(raw[0], raw + 1, prior, o, n, im.bpp);
    prior = o;
    raw += n + 1;
  }
  return size_t(rows) * (n + 1);
}

// Spreads one decoded pass (rows of `n` bytes in `pass`) into the bitmap.
void spread_pass(const Image& im, const Pass& p, const uint8_t* pass, uint32_t pw, uint32_t ph, size_t n,
                 uint8_t* pixels) {
  for (uint32_t y = 0; y < ph; y++) {
    const uint8_t* src = pass + size_t(y) * n;
    uint8_t* dst = pixels + size_t(p.y0 + y * p.dy) * im.row;
    if (im.bits >= 8) {
      for (uint32_t x = 0; x < pw; x++)
        std::memcpy(dst + size_t(p.x0 + x * p.dx) * im.bpp, src + size_t(x) * im.bpp, im.bpp);
      continue;
    }
    const int bits = im.bits, mask = (1 << bits) - 1;
    for (uint32_t x = 0; x < pw; x++) {
      size_t from = size_t(x) * bits, to = size_t(p.x0 + x * p.dx) * bits;
      int v = (src[from >> 3] >> (8 - bits - int(from & 7))) & mask;
      dst[to >> 3] = uint8_t(dst[to >> 3] | v << (8 - bits - int(to & 7)));
    }
  }
}

// Bytes the inflated stream must hold: every row of every pass with its filter byte.
bool raw_size(const Image& im, size_t* out) {
  size_t total = 0;
  for (const Pass& p : kAdam7) {
    uint32_t pw = im.h.interlace ? pass_size(im.h.width, p.x0, p.dx) : im.h.width;
    uint32_t ph = im.h.interlace ? pass_size(im.h.height, p.y0, p.dy) : im.h.height;
    if (pw && ph) {
      size_t n = vx_img_row_bytes(pw, size_t(im.bits)), rows;
      if (!n || !vx_img_mul(n + 1, ph, &rows) || !vx_img_add(total, rows, &total)) return false;
    }
    if (!im.h.interlace) break;
  }
  *out = total;
  return true;
}

voidpf z_alloc(voidpf, uInt items, uInt size) {
  size_t n;
  return vx_img_mul(items, size, &n) ? vx_mem_malloc(n) : nullptr;
}
void z_free(voidpf, voidpf p) { vx_mem_free(p); }

// Inflates the IDAT chunks from `chunks` on, in order, as one zlib stream
// into `out` (`size` bytes). Succeeds when `out` was filled.
bool inflate_idat(VX_IMG_READ chunks, uint8_t* out, size_t size) {
  z_stream z = {};
  z.zalloc = z_alloc;
  z.zfree = z_free;
  if (inflateInit_(&z, "1.1.3", int(sizeof z)) != Z_OK) return false;
  size_t done = 0;
  int ret = Z_OK;
  Chunk c;
  while (done < size && ret != Z_STREAM_END && next_chunk(&chunks, &c) && c.type != kIEND) {
    if (c.type != kIDAT) continue;
    z.next_in = const_cast<Bytef*>(c.data);
    z.avail_in = uInt(c.length);
    while (z.avail_in && done < size) {
      size_t room = size - done;
      z.next_out = out + done;
      z.avail_out = uInt(room > 0x40000000u ? 0x40000000u : room);
      uInt before = z.avail_out;
      ret = inflate(&z, Z_NO_FLUSH);
      done += before - z.avail_out;
      if (ret == Z_STREAM_END) break;
      if (ret != Z_OK && ret != Z_BUF_ERROR) {
        inflateEnd(&z);
        vx_img_reason_set("damaged compressed data");
        return false;
      }
    }
  }
  inflateEnd(&z);
  if (done < size) vx_img_reason_set("truncated data");
  return done == size;
}

// Unfilters the inflated stream into the bitmap, pass by pass when interlaced.
bool unfilter_image(const Image& im, const uint8_t* raw, uint8_t* pixels) {
  if (!im.h.interlace) {
    unfilter_rows(im, raw, im.h.height, im.row, pixels, im.row);
    return true;
  }
  size_t most = 0;
  for (const Pass& p : kAdam7) {
    uint32_t pw = pass_size(im.h.width, p.x0, p.dx), ph = pass_size(im.h.height, p.y0, p.dy);
    if (pw && ph && vx_img_row_bytes(pw, size_t(im.bits)) * ph > most)
      most = vx_img_row_bytes(pw, size_t(im.bits)) * ph;
  }
  auto* pass = static_cast<uint8_t*>(vx_mem_malloc(most ? most : 1));
  if (!pass) return false;
  for (const Pass& p : kAdam7) {
    uint32_t pw = pass_size(im.h.width, p.x0, p.dx), ph = pass_size(im.h.height, p.y0, p.dy);
    if (!pw || !ph) continue;  // an empty pass has no rows, not even filter bytes
    size_t n = vx_img_row_bytes(pw, size_t(im.bits));
    raw += unfilter_rows(im, raw, ph, n, pass, n);
    spread_pass(im, p, pass, pw, ph, n, pixels);
  }
  vx_mem_free(pass);
  return true;
}

// Walks the chunks once: the header, the palette and the bytes of image data.
bool scan_chunks(VX_IMG_READ r, Header* h, const uint8_t** plte, size_t* plte_len, size_t* idat_bytes) {
  bool have_header = false, have_data = false;
  Chunk c;
  while (next_chunk(&r, &c) && c.type != kIEND) {
    if (c.type == kIHDR && !have_header) {
      if (c.length < 13) return false;
      VX_IMG_READ f;
      vx_img_read_init(&f, c.data, c.length);
      h->width = vx_img_read_be32(&f);
      h->height = vx_img_read_be32(&f);
      h->depth = int(vx_img_read_u8(&f));
      h->colour = int(vx_img_read_u8(&f));
      h->compression = int(vx_img_read_u8(&f));
      h->filter = int(vx_img_read_u8(&f));
      h->interlace = int(vx_img_read_u8(&f));
      have_header = true;
    } else if (c.type == kPLTE && !*plte) {
      *plte = c.data;
      *plte_len = c.length;
    } else if (c.type == kIDAT && c.length) {
      have_data = true;
      *idat_bytes += c.length;
    }
  }
  return have_header && have_data;
}

// The PLTE chunk as the bitmap's palette: length / 3 colours, at most 256.
bool take_palette(VX_BITMAP* bitmap, const uint8_t* plte, size_t len) {
  size_t count = len / 3 > 256 ? 256 : len / 3;
  if (!count || !vx_img_alloc_palette(bitmap, int(count), 0)) return false;
  std::memcpy(bitmap->palette->colours, plte, count * 3);
  return true;
}

}  // namespace

int vx_img_png_test(const uint8_t* data, size_t size) {
  return data && size >= kSignature.size() && !std::memcmp(data, kSignature.data(), kSignature.size());
}

int vx_img_png_decode(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags, const char*,
                      VX_IMG_INFO* info) {
  if (!bitmap) return 0;
  std::memset(bitmap, 0, sizeof *bitmap);
  if (!vx_img_png_test(data, size)) {
    vx_img_reason_set("not a PNG file");
    return 0;
  }
  VX_IMG_READ r;
  vx_img_read_init(&r, data + kSignature.size(), size - kSignature.size());
  Image im = {};
  const uint8_t* plte = nullptr;
  size_t plte_len = 0;
  size_t idat_bytes = 0;
  if (!scan_chunks(r, &im.h, &plte, &plte_len, &idat_bytes)) {
    vx_img_reason_set("truncated data (no header or no image data)");
    return 0;
  }
  const Header& h = im.h;
  int samples = samples_of(h.colour);
  if (h.filter != 0 || h.compression != 0 || h.interlace > 1 || !depth_allowed(h.colour, h.depth)) return 0;
  if (h.colour == 3 && (!plte || plte_len < 3)) return 0;
  im.bits = samples * h.depth;
  im.bpp = size_t(im.bits + 7) / 8;
  im.row = vx_img_row_bytes(h.width, size_t(im.bits));
  if (h.width > 0x7FFFFFFFu || h.height > 0x7FFFFFFFu) return 0;
  // Deflate makes at most 258 bytes of one 2-bit code, 1032 of a byte: a
  // picture larger than its data can unpack to is refused before any block.
  size_t raw_bytes, most;
  if (!raw_size(im, &raw_bytes) || !vx_img_mul(idat_bytes, kInflateRatio, &most) || raw_bytes > most + 64) return 0;
  if (!vx_img_alloc(bitmap, long(h.width), long(h.height), im.bits)) return vx_img_fail(bitmap);
  auto* raw = static_cast<uint8_t*>(vx_mem_malloc(raw_bytes));
  im.zero = static_cast<uint8_t*>(vx_mem_calloc(im.row, 1));
  bool ok = raw && im.zero && inflate_idat(r, raw, raw_bytes) && unfilter_image(im, raw, bitmap->pixels);
  if (raw) vx_mem_free(raw);
  if (im.zero) vx_mem_free(im.zero);
  if (!ok) return vx_img_fail(bitmap);

  if (plte && (h.colour == 3 || (flags & VX_IMG_PALETTE)) && !take_palette(bitmap, plte, plte_len))
    return vx_img_fail(bitmap);
  if (!bitmap->palette && (flags & VX_IMG_PALETTE) && (im.bits == 4 || im.bits == 8)) {
    if (!vx_img_alloc_palette(bitmap, im.bits == 4 ? 16 : 256, 1)) return vx_img_fail(bitmap);
    bitmap->flags |= VX_IMG_GREY_RAMP;
  }
  if (info) *info = {VX_IMG_PNG, samples, h.depth, h.colour == 3};
  return 1;
}
