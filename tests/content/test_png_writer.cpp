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

}  // namespace
