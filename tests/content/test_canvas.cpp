// The art generator's drawing primitives: blending, clipping, shapes by pixel centres, outlines, mirroring, scaling, edge bleeding, seamless noise.
#include "tests/content/content_fixture.h"
#include "tools/artgen/ag_canvas.h"

using namespace content_test;

namespace {

constexpr AG_RGBA kRed = {200, 0, 0, 255};
constexpr AG_RGBA kBlue = {0, 0, 200, 255};

int solid_count(const AG_CANVAS& c) {
  int n = 0;
  for (const AG_RGBA& p : c.px) n += p.a == 255;
  return n;
}

bool same(AG_RGBA a, AG_RGBA b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

TEST(Canvas, PutLaysTranslucentColoursOverAndClips) {
  AG_CANVAS c = ag_canvas(4, 4, kBlue);
  ag_put(&c, 1, 1, kRed);
  EXPECT_TRUE(same(ag_get(&c, 1, 1), kRed));
  ag_put(&c, 2, 2, {200, 0, 0, 0});  // alpha 0 changes nothing
  EXPECT_TRUE(same(ag_get(&c, 2, 2), kBlue));
  ag_put(&c, 2, 2, {200, 0, 0, 128});  // half over opaque blue: (200 x 128 + 0) / 255, (200 x 127) / 255
  const AG_RGBA p = ag_get(&c, 2, 2);
  EXPECT_EQ(nums(p.r, p.g, p.b, p.a), nums(100, 0, 99, 255));
  // Outside the canvas: nothing written, nothing read.
  const AG_CANVAS before = c;
  for (const int xy : {-1, 4, 100}) {
    ag_put(&c, xy, 0, kRed);
    ag_set(&c, 0, xy, kRed);
    EXPECT_TRUE(same(ag_get(&c, xy, 1), AG_CLEAR));
  }
  for (size_t i = 0; i < c.px.size(); i++) EXPECT_TRUE(same(c.px[i], before.px[i])) << i;
}

TEST(Canvas, RectanglesAndPolygonsCoverPixelCentres) {
  AG_CANVAS c = ag_canvas(8, 8);
  ag_rect(&c, -2, 6, 5, 5, kRed);  // partly outside: columns 0-2, rows 6-7
  EXPECT_EQ(solid_count(c), 6);
  c = ag_canvas(8, 8);
  const double box[] = {0, 0, 4, 0, 4, 3, 0, 3};  // covers the centres of columns 0-3, rows 0-2
  ag_polygon(&c, box, 4, kRed);
  EXPECT_EQ(solid_count(c), 12);
  EXPECT_TRUE(same(ag_get(&c, 3, 2), kRed));
  EXPECT_TRUE(same(ag_get(&c, 4, 2), AG_CLEAR));
  c = ag_canvas(8, 8);
  ag_polygon(&c, box, 2, kRed);  // fewer than three points: nothing
  ag_ellipse(&c, 4, 4, 0, 3, kRed);  // no radius: nothing
  EXPECT_EQ(solid_count(c), 0);
  ag_round_rect(&c, 0, 0, 4, 3, kRed);  // a box without its four corners
  EXPECT_EQ(solid_count(c), 8);
}

TEST(Canvas, EllipsesAreSymmetricAboutTheirCentre) {
  AG_CANVAS c = ag_canvas(21, 15);
  ag_ellipse(&c, 10.5, 7.5, 8, 5, kRed);
  const AG_CANVAS m = ag_mirror(&c);
  for (int y = 0; y < 15; y++)
    for (int x = 0; x < 21; x++) {
      EXPECT_EQ(ag_get(&c, x, y).a, ag_get(&m, x, y).a) << x << "," << y;
      EXPECT_EQ(ag_get(&c, x, y).a, ag_get(&c, x, 14 - y).a) << x << "," << y;
    }
  EXPECT_TRUE(same(ag_get(&c, 10, 7), kRed));
  EXPECT_TRUE(same(ag_get(&c, 1, 7), AG_CLEAR));
}

TEST(Canvas, OutlinesSurroundWithoutCovering) {
  AG_CANVAS c = ag_canvas(5, 5);
  ag_set(&c, 2, 2, kRed);
  AG_CANVAS edges = c, corners = c;
  ag_outline(&edges, kBlue);
  ag_outline(&corners, kBlue, true);
  EXPECT_EQ(solid_count(edges), 5);
  EXPECT_EQ(solid_count(corners), 9);
  EXPECT_TRUE(same(ag_get(&edges, 2, 2), kRed));
  EXPECT_TRUE(same(ag_get(&edges, 1, 1), AG_CLEAR));
  // A translucent pixel (a shadow) gets no outline.
  AG_CANVAS faint = ag_canvas(5, 5);
  ag_set(&faint, 2, 2, {0, 0, 0, 90});
  ag_outline(&faint, kBlue);
  EXPECT_EQ(solid_count(faint), 0);
}

TEST(Canvas, MirrorScaleAndRecolour) {
  AG_CANVAS c = ag_canvas(3, 2);
  ag_set(&c, 0, 0, kRed);
  ag_set(&c, 2, 1, {1, 2, 3, 77});
  const AG_CANVAS m = ag_mirror(&c);
  EXPECT_TRUE(same(ag_get(&m, 2, 0), kRed));
  const AG_CANVAS back = ag_mirror(&m);
  for (size_t i = 0; i < c.px.size(); i++) EXPECT_TRUE(same(back.px[i], c.px[i]));
  const AG_CANVAS s = ag_scale(&c, 2);
  EXPECT_EQ(nums(s.width, s.height), nums(6, 4));
  for (const int xy : {0, 1}) EXPECT_TRUE(same(ag_get(&s, xy, 1 - xy), kRed));
  EXPECT_TRUE(same(ag_get(&s, 2, 0), AG_CLEAR));
  EXPECT_EQ(ag_get(&s, 5, 3).a, 77);
  AG_CANVAS r = c;
  ag_recolour(&r, {1, 2, 3, 255}, kBlue);  // alpha is not compared, and kept
  const AG_RGBA p = ag_get(&r, 2, 1);
  EXPECT_EQ(nums(p.r, p.g, p.b, p.a), nums(0, 0, 200, 77));
  EXPECT_TRUE(same(ag_get(&r, 0, 0), kRed));
}

TEST(Canvas, BleedingColoursClearPixelsNearOpaqueOnes) {
  AG_CANVAS c = ag_canvas(12, 1);
  ag_set(&c, 0, 0, kRed);
  ag_bleed(&c, 3);
  for (int x = 1; x <= 3; x++) {
    const AG_RGBA p = ag_get(&c, x, 0);
    EXPECT_EQ(nums(p.r, p.g, p.b, p.a), nums(200, 0, 0, 0)) << x;
  }
  // Beyond the passes the pixel stays black; the opaque pixel is untouched.
  EXPECT_TRUE(same(ag_get(&c, 4, 0), AG_CLEAR));
  EXPECT_TRUE(same(ag_get(&c, 0, 0), kRed));
  AG_CANVAS empty = ag_canvas(3, 3);
  ag_bleed(&empty);
  EXPECT_EQ(solid_count(empty), 0);
  EXPECT_TRUE(same(ag_get(&empty, 1, 1), AG_CLEAR));
}

TEST(Canvas, NoiseIsRepeatableBoundedAndWraps) {
  EXPECT_EQ(ag_hash(3, 4, 5), ag_hash(3, 4, 5));
  EXPECT_NE(ag_hash(3, 4, 5), ag_hash(3, 4, 6));
  EXPECT_NE(ag_hash(3, 4, 5), ag_hash(4, 3, 5));
  for (int y = 0; y < 40; y += 3)
    for (int x = 0; x < 40; x += 3) {
      const double n = ag_noise(x, y, 8, 9, 4);
      EXPECT_GE(n, 0.0);
      EXPECT_LT(n, 1.0);
      // Four lattice cells of 8 pixels: a 32-pixel tile joins its copies.
      EXPECT_DOUBLE_EQ(n, ag_noise(x + 32, y, 8, 9, 4));
      EXPECT_DOUBLE_EQ(n, ag_noise(x, y - 32, 8, 9, 4));
    }
  const AG_RGBA m = ag_mix(kRed, kBlue, 0.5), lo = ag_mix(kRed, kBlue, -1), hi = ag_mix(kRed, kBlue, 7);
  EXPECT_EQ(nums(m.r, m.b, m.a), nums(100, 100, 255));
  EXPECT_TRUE(same(lo, kRed));
  EXPECT_TRUE(same(hi, kBlue));
}

}  // namespace
