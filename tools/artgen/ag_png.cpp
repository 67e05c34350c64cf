// PNG writer: header, palette, filtered and deflated image data, end chunk; and the choice of the smallest exact layout.
#include "tools/artgen/ag_png.h"

#include <zlib.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

constexpr std::array<uint32_t, 256> make_crc_table() {
  std::array<uint32_t, 256> t = {};
  for (uint32_t n = 0; n < 256; n++) {
    uint32_t c = n;
    for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[n] = c;
  }
  return t;
}
constexpr std::array<uint32_t, 256> kCrcTable = make_crc_table();

void put_be32(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(uint8_t(v >> 24));
  out->push_back(uint8_t(v >> 16));
  out->push_back(uint8_t(v >> 8));
  out->push_back(uint8_t(v));
}

// One chunk: length, type, data, CRC of type and data.
void put_chunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data, size_t size) {
  put_be32(out, uint32_t(size));
  const size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  if (size) out->insert(out->end(), data, data + size);
  put_be32(out, ag_png_crc(out->data() + start, size + 4));
}

int samples_of(int colour) {
  switch (colour) {
    case AG_PNG_GREY:
    case AG_PNG_PALETTE: return 1;
    case AG_PNG_RGB: return 3;
    case AG_PNG_RGBA: return 4;
    default: return 0;
  }
}

int index_bits(int count) { return count <= 2 ? 1 : count <= 4 ? 2 : count <= 16 ? 4 : 8; }

inline uint8_t paeth(int a, int b, int c) {
  int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// Filters one row of n bytes (bpp bytes a pixel, at least 1) with `filter`
// into out; `prior` is the row above (zeros for the first).
void filter_row(int filter, const uint8_t* row, const uint8_t* prior, uint8_t* out, size_t n, size_t bpp) {
  for (size_t i = 0; i < n; i++) {
    const int a = i >= bpp ? row[i - bpp] : 0, b = prior[i], c = i >= bpp ? prior[i - bpp] : 0;
    switch (filter) {
      case 1: out[i] = uint8_t(row[i] - a); break;
      case 2: out[i] = uint8_t(row[i] - b); break;
      case 3: out[i] = uint8_t(row[i] - ((a + b) >> 1)); break;
      case 4: out[i] = uint8_t(row[i] - paeth(a, b, c)); break;
      default: out[i] = row[i]; break;
    }
  }
}

// Sum of the filtered bytes read as signed values: the usual estimate of
// how well a row will compress (smaller is better).
size_t row_cost(const uint8_t* f, size_t n) {
  size_t s = 0;
  for (size_t i = 0; i < n; i++) s += f[i] < 128 ? f[i] : 256 - f[i];
  return s;
}

// The packed rows of the picture (indexes packed high bits first for
// palettes of fewer than 8 bits), each filtered, with its filter byte.
bool filtered_data(const AG_PNG_IMAGE& im, int bits, std::vector<uint8_t>* raw) {
  const size_t w = size_t(im.width), row_bytes = (w * size_t(bits) + 7) / 8;
  const size_t bpp = size_t(bits + 7) / 8;
  std::vector<uint8_t> row(row_bytes), prior(row_bytes, 0), best(row_bytes), trial(row_bytes);
  raw->clear();
  raw->reserve((row_bytes + 1) * size_t(im.height));
  const int samples = samples_of(im.colour);
  for (int y = 0; y < im.height; y++) {
    const uint8_t* src = im.pixels + size_t(y) * w * size_t(samples);
    if (bits >= 8) {
      std::memcpy(row.data(), src, row_bytes);
    } else {
      std::fill(row.begin(), row.end(), 0);
      for (size_t x = 0; x < w; x++) {
        const size_t bit = x * size_t(bits);
        row[bit >> 3] |= uint8_t(src[x] << (8 - bits - int(bit & 7)));
      }
    }
    // Palettes and sub-byte rows compress best unfiltered; the others get
    // the cheapest of the five filters (ties go to the lower number).
    int chosen = 0;
    filter_row(0, row.data(), prior.data(), best.data(), row_bytes, bpp);
    if (im.colour != AG_PNG_PALETTE && bits >= 8) {
      size_t best_cost = row_cost(best.data(), row_bytes);
      for (int f = 1; f <= 4; f++) {
        filter_row(f, row.data(), prior.data(), trial.data(), row_bytes, bpp);
        const size_t c = row_cost(trial.data(), row_bytes);
        if (c < best_cost) {
          best_cost = c;
          chosen = f;
          best.swap(trial);
        }
      }
    }
    raw->push_back(uint8_t(chosen));
    raw->insert(raw->end(), best.begin(), best.end());
    prior.swap(row);
  }
  return true;
}

bool deflate_all(const std::vector<uint8_t>& raw, std::vector<uint8_t>* z) {
  uLongf size = compressBound(uLong(raw.size()));
  z->assign(size, 0);
  if (compress2(z->data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK) return false;
  z->resize(size);
  return true;
}

}  // namespace

uint32_t ag_png_crc(const uint8_t* data, size_t size, uint32_t crc) {
  crc = ~crc;
  for (size_t i = 0; i < size; i++) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

int ag_png_encode(const AG_PNG_IMAGE* image, std::vector<uint8_t>* out) {
  if (!out) return 0;
  out->clear();
  if (!image || !image->pixels || image->width < 1 || image->height < 1 || image->width > 65535 ||
      image->height > 65535 || !samples_of(image->colour))
    return 0;
  const AG_PNG_IMAGE& im = *image;
  int bits = samples_of(im.colour) * 8;
  if (im.colour == AG_PNG_PALETTE) {
    if (!im.palette || im.palette_count < 1 || im.palette_count > 256) return 0;
    const size_t n = size_t(im.width) * size_t(im.height);
    for (size_t i = 0; i < n; i++)
      if (im.pixels[i] >= im.palette_count) return 0;
    bits = index_bits(im.palette_count);
  }
  std::vector<uint8_t> raw, z;
  if (!filtered_data(im, bits, &raw) || !deflate_all(raw, &z)) return 0;

  out->insert(out->end(), kSignature.begin(), kSignature.end());
  std::vector<uint8_t> ihdr;
  put_be32(&ihdr, uint32_t(im.width));
  put_be32(&ihdr, uint32_t(im.height));
  ihdr.push_back(uint8_t(im.colour == AG_PNG_PALETTE ? bits : 8));
  ihdr.push_back(uint8_t(im.colour));
  ihdr.insert(ihdr.end(), {0, 0, 0});  // deflate, adaptive filtering, no interlace
  put_chunk(out, "IHDR", ihdr.data(), ihdr.size());
  if (im.colour == AG_PNG_PALETTE) put_chunk(out, "PLTE", im.palette, size_t(im.palette_count) * 3);
  put_chunk(out, "IDAT", z.data(), z.size());
  put_chunk(out, "IEND", nullptr, 0);
  return 1;
}

int ag_png_encode_auto(int width, int height, const uint8_t* rgba, int force_rgba, std::vector<uint8_t>* out) {
  if (!rgba || width < 1 || height < 1) return out ? (out->clear(), 0) : 0;
  const size_t n = size_t(width) * size_t(height);
  bool opaque = !force_rgba;
  for (size_t i = 0; opaque && i < n; i++) opaque = rgba[i * 4 + 3] == 255;
  AG_PNG_IMAGE im = {width, height, AG_PNG_RGBA, rgba, nullptr, 0};
  if (!opaque) return ag_png_encode(&im, out);
  // Colours numbered in order of first appearance, so the palette is fixed
  // by the pixels alone.
  std::map<uint32_t, int> index;
  std::vector<uint8_t> palette, indexes(n);
  for (size_t i = 0; i < n && index.size() <= 256; i++) {
    const uint32_t key = uint32_t(rgba[i * 4]) << 16 | uint32_t(rgba[i * 4 + 1]) << 8 | rgba[i * 4 + 2];
    auto it = index.find(key);
    if (it == index.end()) {
      it = index.emplace(key, int(index.size())).first;
      palette.insert(palette.end(), {rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]});
    }
    indexes[i] = uint8_t(it->second);
  }
  if (index.size() <= 256) {
    im = {width, height, AG_PNG_PALETTE, indexes.data(), palette.data(), int(index.size())};
    return ag_png_encode(&im, out);
  }
  std::vector<uint8_t> rgb(n * 3);
  for (size_t i = 0; i < n; i++) std::memcpy(&rgb[i * 3], &rgba[i * 4], 3);
  im = {width, height, AG_PNG_RGB, rgb.data(), nullptr, 0};
  return ag_png_encode(&im, out);
}
