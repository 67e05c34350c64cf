// The art generator's drawing primitives: blending, clipping, shapes by pixel centres, outlines, mirroring, scaling, edge bleeding, seamless noise.
#include "tests/content/content_fixture.h"
#include "tools/artgen/ag_canvas.h"

using namespace content_test;

namespace {

constexpr AG_RGBA kRed = {200, 0, 0, 255};
constexpr AG_RGBA kBlue = {0, 0, 200, 255};

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

}  // namespace
