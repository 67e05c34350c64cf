// The PNG writer read back through the engine's decoder: every colour type, every palette depth, odd sizes, the layout choice and bad input.
#include <cstring>

#include "tests/content/content_fixture.h"
#include "tools/artgen/ag_png.h"

using namespace content_test;

namespace {

// Pixels with a pattern that exercises every filter: gradients, edges and noise.
Bytes pattern(int w, int h, int samples, int modulo = 256) {
  Bytes p(size_t(w) * size_t(h) * size_t(samples));
  for (size_t i = 0; i < p.size(); i++) {
    const size_t px = i / size_t(samples), x = px % size_t(w), y = px / size_t(w);
    p[i] = uint8_t(((x * 37 + y * 11 + (i % size_t(samples)) * 71) ^ (x * y)) % size_t(modulo));
  }
  return p;
}

class PngWriter : public ContentTest {};

TEST_F(PngWriter, DirectColourTypesRoundTripAtOddSizes) {
  struct Case {
    int colour, samples;
  };
  const Case types[] = {{AG_PNG_GREY, 1}, {AG_PNG_RGB, 3}, {AG_PNG_RGBA, 4}};
  const int sizes[][2] = {{1, 1}, {3, 5}, {17, 9}, {33, 1}, {1, 40}, {64, 64}};
  for (const Case& t : types)
    for (const auto& s : sizes) {
      const Bytes px = pattern(s[0], s[1], t.samples);
      const Bytes before = px;
      const AG_PNG_IMAGE im = {s[0], s[1], t.colour, px.data(), nullptr, 0};
      Bytes png;
      ASSERT_EQ(ag_png_encode(&im, &png), 1);
      EXPECT_EQ(px, before) << "the writer changed its input";
      const Decoded d = decode_png(png);
      ASSERT_TRUE(d.ok) << t.colour << " " << s[0] << "x" << s[1];
      EXPECT_EQ(nums(d.width, d.height, d.info.channels, d.info.sample_bits, d.info.indexed),
                nums(s[0], s[1], t.samples, 8, 0));
      for (size_t i = 0; i < size_t(s[0]) * size_t(s[1]); i++) {
        const uint8_t* o = &d.rgba[i * 4];
        const uint8_t* p = &px[i * size_t(t.samples)];
        if (t.samples == 1) {
          EXPECT_EQ(nums(o[0], o[1], o[2], o[3]), nums(p[0], p[0], p[0], 255)) << i;
        } else {
          EXPECT_EQ(nums(o[0], o[1], o[2], o[3]), nums(p[0], p[1], p[2], t.samples == 4 ? p[3] : 255)) << i;
        }
      }
    }
}

TEST_F(PngWriter, PalettesUseTheFewestBitsAndRoundTrip) {
  struct Case {
    int count, bits;
  };
  // The bit depth the file declares for each palette size.
  const Case cases[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {16, 4}, {17, 8}, {256, 8}};
  for (const Case& c : cases)
    for (const int w : {1, 7, 9, 30}) {
      const int h = 5;
      const Bytes idx = pattern(w, h, 1, c.count);
      Bytes pal(size_t(c.count) * 3);
      for (size_t i = 0; i < pal.size(); i++) pal[i] = uint8_t(i * 29 + 3);
      const AG_PNG_IMAGE im = {w, h, AG_PNG_PALETTE, idx.data(), pal.data(), c.count};
      Bytes png;
      ASSERT_EQ(ag_png_encode(&im, &png), 1);
      EXPECT_EQ(nums(png[24], png[25]), nums(c.bits, 3)) << c.count;
      const Decoded d = decode_png(png);
      ASSERT_TRUE(d.ok);
      EXPECT_EQ(nums(d.info.indexed, d.info.sample_bits), nums(1, c.bits));
      for (size_t i = 0; i < idx.size(); i++) {
        const uint8_t* e = &pal[size_t(idx[i]) * 3];
        EXPECT_EQ(nums(d.rgba[i * 4], d.rgba[i * 4 + 1], d.rgba[i * 4 + 2], d.rgba[i * 4 + 3]),
                  nums(e[0], e[1], e[2], 255))
            << c.count << " " << w << " " << i;
      }
    }
}

TEST_F(PngWriter, AutomaticLayoutIsTheSmallestExactOne) {
  // Opaque with few colours: palette; opaque with many: RGB; any alpha: RGBA.
  Bytes few(8 * 8 * 4, 255), many(32 * 32 * 4, 255);
  for (size_t i = 0; i < 64; i++) few[i * 4] = uint8_t(i % 3 * 100);
  for (size_t i = 0; i < 1024; i++) {
    many[i * 4] = uint8_t(i);
    many[i * 4 + 1] = uint8_t(i >> 8);
  }
  Bytes png;
  ASSERT_EQ(ag_png_encode_auto(8, 8, few.data(), 0, &png), 1);
  EXPECT_EQ(png_colour_type(png), 3);
  Decoded d = decode_png(png);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.rgba, few);
  ASSERT_EQ(ag_png_encode_auto(8, 8, few.data(), 1, &png), 1);
  EXPECT_EQ(png_colour_type(png), 6) << "sprites stay RGBA even when opaque";
  ASSERT_EQ(ag_png_encode_auto(32, 32, many.data(), 0, &png), 1);
  EXPECT_EQ(png_colour_type(png), 2);
  d = decode_png(png);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.rgba, many);
  Bytes clear = few;
  clear[3] = 0;
  ASSERT_EQ(ag_png_encode_auto(8, 8, clear.data(), 0, &png), 1);
  EXPECT_EQ(png_colour_type(png), 6);
  d = decode_png(png);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.rgba, clear);
}

TEST_F(PngWriter, ChunksCarryTheirCrc) {
  // The CRC of the IEND chunk's type, as every PNG file ends with it.
  const uint8_t iend[] = {'I', 'E', 'N', 'D'};
  EXPECT_EQ(ag_png_crc(iend, 4), 0xAE426082u);
  const Bytes px = pattern(5, 3, 3);
  const AG_PNG_IMAGE im = {5, 3, AG_PNG_RGB, px.data(), nullptr, 0};
  Bytes png;
  ASSERT_EQ(ag_png_encode(&im, &png), 1);
  // Walk the chunks: each CRC covers its type and data.
  size_t at = 8, chunks = 0;
  while (at + 12 <= png.size()) {
    const uint32_t len = uint32_t(png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
    ASSERT_LE(at + 12 + len, png.size());
    const uint8_t* c = &png[at + 8 + len];
    const uint32_t crc = uint32_t(c[0] << 24 | c[1] << 16 | c[2] << 8 | c[3]);
    EXPECT_EQ(ag_png_crc(&png[at + 4], len + 4), crc) << chunks;
    at += 12 + len;
    chunks++;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(chunks, 3u);  // IHDR, IDAT, IEND
}

TEST_F(PngWriter, SamePixelsGiveSameBytes) {
  const Bytes px = pattern(40, 30, 4);
  const AG_PNG_IMAGE im = {40, 30, AG_PNG_RGBA, px.data(), nullptr, 0};
  Bytes a, b;
  ASSERT_EQ(ag_png_encode(&im, &a), 1);
  ASSERT_EQ(ag_png_encode(&im, &b), 1);
  EXPECT_EQ(a, b);
}

TEST_F(PngWriter, BadInputIsRefusedAndLeavesNoBytes) {
  const Bytes px(16 * 4, 7), pal(6, 1);
  Bytes png = {1, 2, 3};
  const AG_PNG_IMAGE bad[] = {
      {0, 4, AG_PNG_RGBA, px.data(), nullptr, 0},       // no width
      {4, -1, AG_PNG_RGBA, px.data(), nullptr, 0},      // negative height
      {70000, 1, AG_PNG_GREY, px.data(), nullptr, 0},   // wider than a PNG may be here
      {4, 4, 5, px.data(), nullptr, 0},                 // no such colour type
      {4, 4, AG_PNG_RGB, nullptr, nullptr, 0},          // no pixels
      {4, 4, AG_PNG_PALETTE, px.data(), nullptr, 2},    // palette missing
      {4, 4, AG_PNG_PALETTE, px.data(), pal.data(), 0}, // empty palette
      {4, 4, AG_PNG_PALETTE, px.data(), pal.data(), 2}, // index 7 beyond two colours
  };
  for (const AG_PNG_IMAGE& im : bad) {
    EXPECT_EQ(ag_png_encode(&im, &png), 0) << im.width << " " << im.colour;
    EXPECT_TRUE(png.empty());
    png = {1, 2, 3};
  }
  EXPECT_EQ(ag_png_encode(nullptr, &png), 0);
  EXPECT_EQ(ag_png_encode_auto(0, 4, px.data(), 0, &png), 0);
  EXPECT_TRUE(png.empty());
}

}  // namespace
