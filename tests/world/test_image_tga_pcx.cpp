// TGA and PCX decoders: the corpus against ImageMagick, row order, run lengths, planes, palettes and the refusals.
#include "tests/world/test_image_util.h"
#include "world/image/img_pcx.h"
#include "world/image/img_png.h"
#include "world/image/img_tga.h"

using namespace img_test;

namespace {

class TgaPcx : public ImageTest {};

// ---------------------------------------------------------------- TGA files
Bytes tga(int type, int bits, int w, int h, int descriptor, const Bytes& body, const Bytes& cmap = {},
          int cmap_bits = 24, const std::string& id = "") {
  Bytes t(18, 0);
  t[0] = uint8_t(id.size());
  t[1] = cmap.empty() ? 0 : 1;
  t[2] = uint8_t(type);
  int entries = cmap.empty() ? 0 : int(cmap.size()) / ((cmap_bits + 7) / 8);
  t[5] = uint8_t(entries), t[6] = uint8_t(entries >> 8);
  t[7] = cmap.empty() ? 0 : uint8_t(cmap_bits);
  t[12] = uint8_t(w), t[13] = uint8_t(w >> 8), t[14] = uint8_t(h), t[15] = uint8_t(h >> 8);
  t[16] = uint8_t(bits);
  t[17] = uint8_t(descriptor);
  for (char c : id) t.push_back(uint8_t(c));
  for (uint8_t c : cmap) t.push_back(c);
  for (uint8_t c : body) t.push_back(c);
  return t;
}

int decode_tga(const Bytes& t, VX_BITMAP* b, int flags = 0, VX_IMG_INFO* info = nullptr) {
  return vx_img_tga_decode(b, t.data(), t.size(), flags, "mem.tga", info);
}

// ---------------------------------------------------------------- PCX files
// A version-5 PCX header followed by `data` (already run-length coded).
Bytes pcx(int bits, int planes, int w, int h, int line, const Bytes& data, const Bytes& ega = {}) {
  Bytes p(128, 0);
  p[0] = 10, p[1] = 5, p[2] = 1, p[3] = uint8_t(bits);
  p[8] = uint8_t(w - 1), p[9] = uint8_t((w - 1) >> 8), p[10] = uint8_t(h - 1), p[11] = uint8_t((h - 1) >> 8);
  for (size_t i = 0; i < ega.size() && i < 48; i++) p[16 + i] = ega[i];
  p[65] = uint8_t(planes);
  p[66] = uint8_t(line), p[67] = uint8_t(line >> 8);
  for (uint8_t c : data) p.push_back(c);
  return p;
}

// Appends the trailing 256-colour palette: entry i is (i, 255 - i, 7). The
// usual 0x0C marker before it is left out: it would count as image data.
Bytes with_palette(Bytes p) {
  for (int i = 0; i < 256; i++) p.push_back(uint8_t(i)), p.push_back(uint8_t(255 - i)), p.push_back(7);
  return p;
}

int decode_pcx(const Bytes& p, VX_BITMAP* b, int flags = 0, VX_IMG_INFO* info = nullptr) {
  return vx_img_pcx_decode(b, p.data(), p.size(), flags, "mem.pcx", info);
}

// Headers declaring 32767 x 32767 pixels over a few bytes of data: each is
// refused before a pixel block is made, however high the overall cap.
TEST_F(TgaPcx, PicturesLargerThanTheirDataAreRefusedUnmade) {
  const int big = 32767;
  struct Case {
    const char* what;
    Bytes data;
    int (*decode)(VX_BITMAP*, const uint8_t*, size_t, int, const char*, VX_IMG_INFO*);
  };
  const Case cases[] = {
      {"raw TGA", tga(2, 24, big, big, 0, {}), vx_img_tga_decode},
      {"run-length TGA", tga(10, 24, big, big, 0, Bytes(400, 0xFF)), vx_img_tga_decode},
      {"PCX", with_palette(pcx(8, 1, big, big, big, Bytes(400, 0xFF))), vx_img_pcx_decode},
      {"PNG", make_png(ihdr(big, big, 8, 2), Bytes(3000, 0)), vx_img_png_decode},
  };
  for (const Case& c : cases) {
    VX_BITMAP b;
    EXPECT_EQ(c.decode(&b, c.data.data(), c.data.size(), 0, "bomb", nullptr), 0) << c.what;
    EXPECT_LT(vx_mem_max_used(), 1 << 20) << c.what;
  }
}

}  // namespace

// ---------------------------------------------------------------- TGA: real files

// ---------------------------------------------------------------- TGA: made files
TEST_F(TgaPcx, TgaMadeFilesDecodeToTheirBytes) {
  // Blue, green, red in the file; red first in the bitmap. Top-down (bit 5): the first row stored is the top one.
  const Bytes top = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, bottom = {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6};
  const Bytes rgb = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
  // 3 x 2 at 32 bits: a run of 4 then 2 raw pixels; bottom-up the same packets fill the bottom row first.
  const Bytes body = {0x83, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12};
  const Bytes runs = {3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12};
  Bytes flipped(runs.begin() + 12, runs.end());
  flipped.insert(flipped.end(), runs.begin(), runs.begin() + 12);
  struct Case {
    const char* what;
    Bytes file, pixels;
    int bpp;
  };
  const Case cases[] = {
      {"top-down", tga(2, 24, 2, 2, 0x20, top), rgb, 24},
      {"bottom-up loads alike", tga(2, 24, 2, 2, 0x00, bottom), rgb, 24},
      {"a run crosses the row end", tga(10, 32, 3, 2, 0x28, body), runs, 32},
      {"bottom-up runs", tga(10, 32, 3, 2, 0x08, body), flipped, 32},
      {"a run longer than what is left stops at the last pixel", tga(10, 24, 2, 1, 0x20, {0xFF, 1, 2, 3}),
       {3, 2, 1, 3, 2, 1}, 24},
      {"colour map skipped without the flag: the pixels still land right",
       tga(1, 8, 2, 1, 0x20, {1, 0}, {10, 20, 30, 40, 50, 60}, 24, "an id"), {1, 0}, 8},
      {"16-bit pixels kept as 15-bit words", tga(2, 16, 1, 1, 0x20, {0x1F, 0xFC}), {0x1F, 0xFC}, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VX_BITMAP b;
    ASSERT_EQ(decode_tga(c.file, &b), 1);
    EXPECT_EQ(b.bpp, c.bpp);
    EXPECT_EQ(b.palette, nullptr);
    EXPECT_EQ(Bytes(b.pixels, b.pixels + c.pixels.size()), c.pixels);
    vx_bit_free(&b);
  }
  // With the flag the colour map (blue, green, red) becomes a palette of 256.
  VX_BITMAP b;
  VX_IMG_INFO info;
  ASSERT_EQ(decode_tga(tga(1, 8, 2, 1, 0x20, {1, 0}, {10, 20, 30, 40, 50, 60}, 24, "an id"), &b, VX_IMG_PALETTE), 1);
  ASSERT_NE(b.palette, nullptr);
  EXPECT_EQ(b.palette->count, 256);
  EXPECT_EQ(Bytes(b.palette->colours, b.palette->colours + 6), (Bytes{30, 20, 10, 60, 50, 40}));
  vx_bit_free(&b);
  ASSERT_EQ(decode_tga(tga(2, 16, 1, 1, 0x20, {0x1F, 0xFC}), &b, 0, &info), 1);
  EXPECT_EQ(info.sample_bits, 5);
  vx_bit_free(&b);
}

// ---------------------------------------------------------------- PCX: real files
TEST_F(TgaPcx, PcxCorpusMatchesImageMagick) {
  int compared = 0, refused = 0;
  for (const std::string& path : corpus_files("pcx", {".pcx", ".pcc"})) {
    SCOPED_TRACE(path);
    Bytes data = read_file(path);
    VX_BITMAP b;
    VX_IMG_INFO info;
    testing::internal::CaptureStderr();
    int ok = vx_img_pcx_decode(&b, data.data(), data.size(), VX_IMG_PALETTE, path.c_str(), &info);
    std::string box = testing::internal::GetCapturedStderr();
    bool v5 = data.size() >= 128 && data[0] == 10 && data[1] == 5;
    bool supported = v5 && ((data[3] == 8 && (data[65] == 1 || data[65] == 3)) || (data[3] == 1 && data[65] == 4));
    EXPECT_EQ(box.find("PCX format not supported yet. (File " + path + ")") != std::string::npos, v5 && !supported);
    if (!ok) {
      EXPECT_TRUE(cleared(b));
      refused++;
      continue;
    }
    EXPECT_TRUE(supported);
    Bytes ref = magick_rgba(path);
    ASSERT_FALSE(ref.empty());
    EXPECT_EQ(compare(expand(b, info), ref).max, 0);
    compared++;
    vx_bit_free(&b);
  }
  EXPECT_GE(compared, 9);
  EXPECT_GE(refused, 8);
}

// ---------------------------------------------------------------- PCX: made files
TEST_F(TgaPcx, PcxMadeFilesDecodeToTheirBytes) {
  // 4 bit planes, 3 x 1: plane p holds bit p. Pixels: 1 (plane 0), 10 (planes 1, 3), 15 (all).
  Bytes ega(48);
  for (int i = 0; i < 48; i++) ega[size_t(i)] = uint8_t(i);
  struct Case {
    const char* what;
    Bytes file, pixels;
    int bpp, palette;  // palette entries read with the flag, 0 none
  };
  const Case cases[] = {
      {"a run of 63 is one count byte", with_palette(pcx(8, 1, 63, 1, 64, {0xFF, 0x2A, 0x09})), Bytes(63, 0x2A), 8, 256},
      // 3 x 2, 4 bytes a line (one of padding): a run of 6 fills line 1 and
      // half of line 2, then literals; the padding bytes are dropped.
      {"runs cross line ends; literals need no count", with_palette(pcx(8, 1, 3, 2, 4, {0xC6, 5, 1, 2})),
       {5, 5, 5, 5, 5, 1}, 8, 256},
      {"data that end early leave zeros", with_palette(pcx(8, 1, 3, 2, 3, {0xC4, 9})), {9, 9, 9, 9, 0, 0}, 8, 256},
      {"24-bit planes interleave: red line, green line, blue line", pcx(8, 3, 2, 1, 2, {1, 2, 3, 4, 5, 6}),
       {1, 3, 5, 2, 4, 6}, 24, 0},
      {"4-bit planes combine", pcx(1, 4, 3, 1, 1, {0xA0, 0x60, 0x20, 0x60}, ega), {0x1A, 0xF0}, 4, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VX_BITMAP b;
    ASSERT_EQ(decode_pcx(c.file, &b, VX_IMG_PALETTE), 1);
    EXPECT_EQ(b.bpp, c.bpp);
    EXPECT_EQ(Bytes(b.pixels, b.pixels + c.pixels.size()), c.pixels);
    EXPECT_EQ(b.palette ? int(b.palette->count) : 0, c.palette);
    if (c.palette == 16) {
      EXPECT_EQ(Bytes(b.palette->colours, b.palette->colours + 48), ega);
    }
    // The trailing palette: entry i is (i, 255 - i, 7).
    if (c.palette == 256) {
      EXPECT_EQ(Bytes(b.palette->colours + 9, b.palette->colours + 12), (Bytes{3, 252, 7}));
    }
    vx_bit_free(&b);
    ASSERT_EQ(decode_pcx(c.file, &b, 0), 1);
    EXPECT_EQ(b.palette, nullptr) << "no palette without the flag";
    vx_bit_free(&b);
  }
}
