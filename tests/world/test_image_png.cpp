// PNG decoder: PngSuite against ImageMagick, row filters, interlacing, palettes, the failure rules and the loader.
#include <random>

#include "tests/world/test_image_util.h"
#include "world/image/img_png.h"

using namespace img_test;

namespace {

class Png : public ImageTest {};

// Chunks that make ImageMagick convert the stored samples (it turns a
// linear-gamma picture into sRGB); the decoder keeps the samples as stored.
Bytes strip_colour_chunks(const Bytes& d) {
  Bytes out(d.begin(), d.begin() + 8);
  size_t i = 8;
  while (i + 12 <= d.size()) {
    size_t len = size_t(d[i]) << 24 | size_t(d[i + 1]) << 16 | size_t(d[i + 2]) << 8 | d[i + 3];
    if (len > d.size() - i - 12) break;
    std::string type(reinterpret_cast<const char*>(&d[i + 4]), 4);
    if (type != "gAMA" && type != "cHRM" && type != "sRGB" && type != "iCCP")
      out.insert(out.end(), d.begin() + long(i), d.begin() + long(i + 12 + len));
    i += 12 + len;
  }
  return out;
}

// The decoded 16-bit picture as RGBA samples, least significant byte first
// (ImageMagick's raw order); grey fills red, green and blue, no alpha reads 65535.
Bytes expand16(const VX_BITMAP& b, const VX_IMG_INFO& info) {
  Bytes out;
  size_t n = size_t(b.width) * size_t(b.height), ch = size_t(info.channels);
  for (size_t p = 0; p < n; p++) {
    const uint8_t* s = b.pixels + p * ch * 2;
    auto put = [&](size_t c) { out.push_back(s[2 * c + 1]), out.push_back(s[2 * c]); };
    if (ch <= 2) put(0), put(0), put(0);
    else put(0), put(1), put(2);
    if (ch == 2) put(1);
    else if (ch == 4) put(3);
    else out.push_back(0xFF), out.push_back(0xFF);
  }
  return out;
}

// Filters `rows` (each `n` bytes, `bpp` bytes per pixel) with filter `f`, as an encoder does.
Bytes filter_rows(const std::vector<Bytes>& rows, int f, size_t bpp) {
  Bytes raw;
  Bytes prior(rows[0].size(), 0);
  for (const Bytes& r : rows) {
    raw.push_back(uint8_t(f));
    for (size_t i = 0; i < r.size(); i++) {
      int a = i >= bpp ? r[i - bpp] : 0, b = prior[i], c = i >= bpp ? prior[i - bpp] : 0, pred = 0;
      if (f == 1) pred = a;
      if (f == 2) pred = b;
      if (f == 3) pred = (a + b) / 2;
      if (f == 4) {
        int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      raw.push_back(uint8_t(r[i] - pred));
    }
    prior = r;
  }
  return raw;
}

std::vector<Bytes> random_rows(int h, size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Bytes> rows(static_cast<size_t>(h), Bytes(n, 0));
  // Runs of near values, so that the predictors see ties and small steps as well as noise.
  for (Bytes& r : rows)
    for (uint8_t& v : r) v = uint8_t(rng() % 4 == 0 ? rng() : 100 + rng() % 3);
  return rows;
}

Bytes join(const std::vector<Bytes>& rows) {
  Bytes out;
  for (const Bytes& r : rows) out.insert(out.end(), r.begin(), r.end());
  return out;
}

int decode(const Bytes& png, VX_BITMAP* b, int flags = 0, VX_IMG_INFO* info = nullptr) {
  return vx_img_png_decode(b, png.data(), png.size(), flags, "test.png", info);
}

}  // namespace

// ---------------------------------------------------------------- real files
TEST_F(Png, SuiteDecodesAsImageMagickReadsIt) {
  std::vector<std::string> files = corpus_files("png/pngsuite", {".png"});
  for (const std::string& f : corpus_files("png/libpng-pngsuite", {".png"})) files.push_back(f);
  for (const std::string& f : corpus_files("png/libpng-testpngs", {".png"}))
    if (f.find("/crashers/") == std::string::npos && f.find("/badpal/") == std::string::npos) files.push_back(f);
  ASSERT_GT(files.size(), 250u);
  int compared = 0;
  const std::string temp = temp_path("img_png_ref.png");
  for (const std::string& path : files) {
    if (base_name(path)[0] == 'x') continue;  // the corrupt ones, below
    SCOPED_TRACE(path);
    write_file(temp, strip_colour_chunks(read_file(path)));
    VX_BITMAP b;
    VX_IMG_INFO info;
    ASSERT_EQ(decode_file(VX_IMG_PNG, path, &b, &info), 1);
    bool alpha = info.channels == 2 || info.channels == 4;  // tRNS is not applied
    if (info.sample_bits == 16) {
      Bytes ref = magick_rgba(temp, "", 16);
      Bytes got = expand16(b, info);
      ASSERT_EQ(got.size(), ref.size());
      for (size_t i = 0; i < got.size(); i++)
        if (alpha || i % 8 < 6) {
          ASSERT_EQ(got[i], ref[i]) << "byte " << i;
        }
    } else {
      Bytes ref = magick_rgba(temp);
      Bytes got = expand(b, info);
      ASSERT_EQ(got.size(), ref.size());
      EXPECT_EQ(compare(got, ref, alpha).max, 0);
    }
    compared++;
    vx_bit_free(&b);
  }
  std::remove(temp.c_str());
  EXPECT_GT(compared, 250);
}

// ---------------------------------------------------------------- filters
TEST_F(Png, EveryFilterUndoesItsEncoding) {
  struct Case {
    int depth, colour, width;
    size_t bpp;
  };
  // RGB 8 (3 bytes a pixel), RGBA 16 (8), grey 2 (a quarter byte: filters step 1 byte).
  for (Case c : {Case{8, 2, 13, 3}, Case{16, 6, 5, 8}, Case{2, 0, 29, 1}}) {
    size_t n = c.depth < 8 ? (size_t(c.width) * size_t(c.depth) + 7) / 8 : size_t(c.width) * c.bpp;
    std::vector<Bytes> rows = random_rows(6, n, unsigned(c.width));
    for (int f = 0; f <= 4; f++) {
      SCOPED_TRACE("depth " + std::to_string(c.depth) + " filter " + std::to_string(f));
      VX_BITMAP b;
      ASSERT_EQ(decode(make_png(ihdr(uint32_t(c.width), 6, c.depth, c.colour), filter_rows(rows, f, c.bpp)), &b), 1);
      EXPECT_EQ(Bytes(b.pixels, b.pixels + 6 * n), join(rows));
      vx_bit_free(&b);
    }
  }
}

TEST_F(Png, MadePicturesDecodeToTheirBytes) {
  const std::vector<Bytes> rows = random_rows(20, 60, 7);
  struct Case {
    const char* what;
    Bytes png, pixels;
    int bpp;
  };
  const Case cases[] = {
      {"unknown filter byte 7 leaves the row as stored", make_png(ihdr(1, 2, 8, 2), {0, 10, 20, 30, 7, 1, 2, 3}),
       {10, 20, 30, 1, 2, 3}, 24},
      // First row: above and upper-left are 0, so Paeth predicts left (sub);
      // first column: left and upper-left are 0, so it predicts above (up).
      {"Paeth at the edges", make_png(ihdr(3, 2, 8, 0), {4, 5, 1, 1, 4, 2, 3, 3}), {5, 6, 7, 7, 10, 13}, 8},
      // Pixel (1, 1) with upper-left 4: left 8 and above 2 tie left with
      // upper-left (left wins: 8 + 1); left 2 and above 8 tie above with
      // upper-left (above wins: 8 + 1).
      {"Paeth tie: left", make_png(ihdr(2, 2, 8, 0), {0, 4, 2, 4, 4, 1}), {4, 2, 8, 9}, 8},
      {"Paeth tie: above", make_png(ihdr(2, 2, 8, 0), {0, 4, 8, 4, 254, 1}), {4, 8, 2, 9}, 8},
      // Samples stay in file order: no conversion, 32 bits per pixel.
      {"16-bit grey and alpha, big-endian", make_png(ihdr(1, 1, 16, 4), {0, 0x12, 0x34, 0xAB, 0xCD}),
       {0x12, 0x34, 0xAB, 0xCD}, 32},
      // 10 pixels in 2 bytes a row, the first pixel in the top bit.
      {"1-bit grey keeps its packing", make_png(ihdr(10, 1, 1, 0), {0, 0xA5, 0xC0}), {0xA5, 0xC0}, 1},
      // 1 x 1: only the first of the seven passes has a pixel; 2 x 1: passes 1 and 6.
      {"interlaced 1 x 1", make_png(ihdr(1, 1, 8, 0, 1), {0, 77}), {77}, 8},
      {"interlaced 2 x 1", make_png(ihdr(2, 1, 4, 0, 1), {0, 0x50, 0, 0x90}), {0x59}, 4},
      {"data split over nine chunks", make_png(ihdr(20, 20, 8, 2), filter_rows(rows, 4, 3), {}, 9), join(rows), 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VX_BITMAP b;
    ASSERT_EQ(decode(c.png, &b), 1);
    EXPECT_EQ(b.bpp, c.bpp);
    EXPECT_EQ(Bytes(b.pixels, b.pixels + c.pixels.size()), c.pixels);
    vx_bit_free(&b);
  }
}

// ---------------------------------------------------------------- palettes

// ---------------------------------------------------------------- bad input

// ---------------------------------------------------------------- the loader
