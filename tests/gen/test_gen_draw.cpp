// Drawing on the off-screen GL context, read back from the frame buffer: bitmaps as direct textures, padded textures and tile sets, primitives, clear.
#include "gen_fixture.h"
#include "display/vx_pal.h"
#include "world/gen/gen_atlas.h"
#include "world/gen/gen_draw.h"
#include "world/gen/render_gl.h"

namespace {

using gen_test::colour_at;
using gen_test::GenGlTest;
using gen_test::pattern;
using GenDraw = GenGlTest;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlack = 0;

TEST(RenderGl, VerticesGoOutWithTheirDepthWeight) {
  // Pixel (80, 150) of a 320 x 200 viewport at depth 100: w = 2.56.
  double c[4];
  Render_GL_Clip_Coordinates(RENDER_VERTEX{80, 150, 100.0f, 0, 0}, 320, 200, c);
  EXPECT_DOUBLE_EQ(c[3], 100 * 0.0256);
  EXPECT_NEAR(c[0] / c[3], 80 * 2.0 / 320 - 1, 1e-12);
  EXPECT_NEAR(c[1] / c[3], -(150 * 2.0 / 200 - 1), 1e-12);
  EXPECT_NEAR(c[2] / c[3], 100 / 2560.0 - 1, 1e-12);
}

// A screen rectangle of the world's output at depth 100, its picture whole.
RENDER_POLYGON world_quad(int x0, int y0, int x1, int y1, uint32_t texture, float alpha = 1.0f) {
  RENDER_POLYGON p = {};
  p.count = 4;
  p.texture = texture;
  p.colour[0] = p.colour[1] = p.colour[2] = 1.0f;
  p.colour[3] = alpha;
  p.v[0] = {x0, y0, 100, 0, 0}, p.v[1] = {x1, y0, 100, 1, 0}, p.v[2] = {x1, y1, 100, 1, 1}, p.v[3] = {x0, y1, 100, 0, 1};
  return p;
}

// Polygons of pictures on one page go out together, later ones over
// earlier ones; a line goes between the polygons around it; keyed texels
// and translucent polygons still blend over what lies beneath.
TEST_F(GenDraw, WorldPolygonsGoOutTogetherInPaintersOrder) {
  std::vector<uint8_t> red(16 * 4, 255), green(16 * 4, 255);
  for (int i = 0; i < 16; i++) red[i * 4 + 1] = red[i * 4 + 2] = 0, green[i * 4] = green[i * 4 + 2] = 0;
  green[3] = 0;  // the top-left texel is keyed out
  const uint32_t r = gen_atlas_add(red.data(), 4, 4, 1), g = gen_atlas_add(green.data(), 4, 4, 1);
  ASSERT_TRUE(r && g);
  const RENDER_GL_STATS before = Render_GL_Stats();
  Render_GL_Frame_Begin(gen_test::kScreenW, gen_test::kScreenH);
  for (int i = 0; i < 100; i++) {  // alternating pictures, each over the last
    const RENDER_POLYGON p = world_quad(i, 0, i + 40, 40, i % 2 ? g : r);
    Render_GL_Polygon(&p);
  }
  const RENDER_GL_STATS mid = Render_GL_Stats();
  EXPECT_EQ(nums(mid.draws - before.draws, mid.binds - before.binds), nums(0, 0)) << "nothing before it must be";
  Render_GL_Line(0, 20, 319, 20, 0xFFFFFF);
  const RENDER_POLYGON over_line = world_quad(0, 0, 40, 40, r), see_through = world_quad(200, 0, 240, 40, r, 0.5f);
  Render_GL_Polygon(&over_line);
  Render_GL_Polygon(&see_through);
  // Beyond the depth range: clipped away whole, as OpenGL clips it.
  RENDER_POLYGON too_far = world_quad(260, 0, 300, 40, r);
  for (int i = 0; i < 4; i++) too_far.v[i].depth = 6000;
  Render_GL_Polygon(&too_far);
  Render_GL_Frame_End();
  const RENDER_GL_STATS after = Render_GL_Stats();
  // Per batch one draw of the opaque and one of the keyed polygons (the
  // 100, then the last two), the line between them, the far one alone.
  EXPECT_EQ(nums(after.draws - before.draws, after.binds - before.binds), nums(6, 1));
  EXPECT_EQ(nums(read(138, 30), read(99, 1), read(120, 20), read(20, 20), read(220, 20) >> 16, read(280, 30)),
            nums(0x00FF00, 0xFF0000, 0xFFFFFF, 0xFF0000, 0xFF, 0));
  EXPECT_NEAR(int(read(220, 20) & 0xFF), 0x80, 2);  // half red over the white line
}

TEST_F(GenDraw, TwoByTwoBitmapLandsPixelForPixel) {
  VX_BITMAP b = pattern(2, 2);
  const VX_RECT dest = {10, 20, 2, 2};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &dest, nullptr, 0), 1);
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 2; x++) EXPECT_EQ(read(10 + x, 20 + y), colour_at(x, y)) << x << "," << y;
  // Around it nothing was drawn.
  EXPECT_EQ(read(9, 20), kBlack);
  EXPECT_EQ(read(12, 21), kBlack);
  EXPECT_EQ(read(10, 22), kBlack);
  // A direct texture: the bitmap's own size, counted in the texture memory.
  GEN_TEXTURE_INFO info;
  ASSERT_EQ(gen_bit_texture_info(&b, &info), 1);
  EXPECT_EQ(info.kind, GEN_TEX_DIRECT);
  EXPECT_EQ(gen_bit_ram_current(), 2 * 2 * 4);
  EXPECT_EQ(b.flags & GEN_BIT_OBJECT, 0);
  EXPECT_NE(b.pixels, nullptr);
  // Reading the screen (a bitmap without pixels or texture) goes to the frame buffer.
  VX_BITMAP screen = {};
  screen.width = gen_test::kScreenW;
  screen.height = gen_test::kScreenH;
  EXPECT_EQ(gen_get_pixel(&screen, 11, 21), colour_at(1, 1));
  vx_bit_free(&b);  // releases the texture through the installed table
  EXPECT_EQ(gen_bit_ram_current(), 0);
  EXPECT_EQ(gen_bit_ram_max(), 16);
}

TEST_F(GenDraw, DirectTexturesFillTheDestinationAndMirror) {
  VX_BITMAP b = pattern(2, 2);
  const VX_RECT big = {0, 0, 4, 4};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &big, nullptr, 0), 1);
  EXPECT_EQ(read(0, 0), colour_at(0, 0));
  EXPECT_EQ(read(1, 1), colour_at(0, 0));
  EXPECT_EQ(read(3, 3), colour_at(1, 1));
  // 0x400 mirrors left to right, 0x200 top to bottom.
  const VX_RECT at = {40, 40, 2, 2};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &at, nullptr, GEN_DRAW_MIRROR_H), 1);
  EXPECT_EQ(read(40, 40), colour_at(1, 0));
  EXPECT_EQ(read(41, 41), colour_at(0, 1));
  const VX_RECT at2 = {50, 50, 2, 2};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &at2, nullptr, GEN_DRAW_MIRROR_H | GEN_DRAW_MIRROR_V), 1);
  EXPECT_EQ(read(50, 50), colour_at(1, 1));
  EXPECT_EQ(read(51, 51), colour_at(0, 0));
  // Changed pixels go up again before the next draw, and the mark is cleared.
  b.pixels[0] = 0xFF, b.pixels[1] = b.pixels[2] = 0;
  b.flags |= GEN_BIT_CHANGED;
  const VX_RECT at3 = {60, 60, 2, 2};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &at3, nullptr, 0), 1);
  EXPECT_EQ(read(60, 60), kRed);
  EXPECT_EQ(b.flags & GEN_BIT_CHANGED, 0);
  vx_bit_free(&b);
}

TEST_F(GenDraw, TranslucencyAndAlphaTest) {
  VX_BITMAP b = pattern(1, 1);
  b.pixels[0] = 255, b.pixels[1] = b.pixels[2] = 0;
  const VX_RECT at = {5, 5, 1, 1};
  gen_bit_translucency_set(75);  // alpha 0.25 over black
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &at, nullptr, GEN_DRAW_TRANSLUCENT), 1);
  const uint32_t red = read(5, 5) >> 16;
  EXPECT_GE(red, 62u);
  EXPECT_LE(red, 66u);
  gen_bit_translucency_set(0);  // p < 1: drawn opaque
  const VX_RECT at2 = {6, 5, 1, 1};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &at2, nullptr, GEN_DRAW_TRANSLUCENT), 1);
  EXPECT_EQ(read(6, 5), kRed);
  // Alpha 0 is not drawn with the alpha test.
  b.pixels[3] = 0;
  b.flags |= GEN_BIT_CHANGED;
  const VX_RECT at3 = {7, 5, 1, 1};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &at3, nullptr, GEN_DRAW_ALPHA_TEST), 1);
  EXPECT_EQ(read(7, 5), kBlack);
  vx_bit_free(&b);
}

// Pictures wait in a batch: one texture in one state is one draw call, and
// what was drawn in between (another picture's state, a line) keeps its place.
TEST_F(GenDraw, PicturesInABatchKeepTheirOrderAndStates) {
  VX_BITMAP b = pattern(1, 1);
  b.pixels[0] = 255, b.pixels[1] = b.pixels[2] = 0, b.pixels[3] = 0;  // red, alpha 0
  const long long draws = gen_bit_draws();
  for (int x : {10, 11, 12}) {  // plain: alpha 0 blends to nothing
    const VX_RECT at = {int16_t(x), 5, 1, 1};
    ASSERT_EQ(table_.vx_bit_3d_put(&b, &at, nullptr, 0), 1);
  }
  EXPECT_EQ(gen_bit_draws(), draws) << "nothing goes before it must";
  b.pixels[3] = 255;
  b.flags |= GEN_BIT_CHANGED;
  const VX_RECT red_at = {13, 5, 1, 1}, half_at = {14, 5, 1, 1}, over_line = {15, 5, 1, 1};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &red_at, nullptr, GEN_DRAW_ALPHA_TEST), 1);
  gen_bit_translucency_set(50);
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &half_at, nullptr, GEN_DRAW_TRANSLUCENT), 1);
  gen_bit_translucency_set(0);
  ASSERT_EQ(table_.vx_bit_3d__draw_line(&surface_, 14, 5, 16, 5, kGreen), 1);  // over the half red one
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &over_line, nullptr, 0), 1);
  EXPECT_EQ(nums(read(11, 5), read(13, 5), read(14, 5), read(15, 5), read(16, 5)),
            nums(kBlack, kRed, kGreen, kRed, kGreen));
  // The three plain ones, the refilled texture's alpha-tested and translucent
  // ones, then the last one after the line.
  EXPECT_EQ(gen_bit_draws() - draws, 4);
  vx_bit_free(&b);
}

TEST_F(GenDraw, AKeyedEightBitBitmapLeavesItsKeyPixelsClear) {
  // Index 0 red, index 1 green, pixels 0 1 0 0: keyed (row 8) the reds are not drawn, else (row 9) they are.
  for (int keyed = 1; keyed >= 0; keyed--) {
    VX_BITMAP b = {};
    const VX_RECT size = {0, 0, 4, 1}, at = {8, int16_t(9 - keyed), 4, 1};
    ASSERT_EQ(vx_bit_alloc(&b, &size, VX_BIT_BPP8), 1);
    b.palette = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB);
    b.palette->colours[0] = b.palette->colours[4] = 255, b.pixels[1] = 1;
    b.flags = keyed ? VX_BIT_KEYED : 0;
    ASSERT_EQ(table_.vx_bit_3d_put(&b, &at, nullptr, 0), 1);
    EXPECT_EQ(nums(read(8, at.y), read(9, at.y)), nums(keyed ? kBlack : kRed, kGreen)) << keyed;
    vx_bit_free(&b);
  }
}

TEST_F(GenDraw, PaddedTextureFor240By250) {
  VX_BITMAP b = pattern(240, 250);
  ASSERT_EQ(table_.vx_bit_3d_put(&b, nullptr, nullptr, 0), 1);
  GEN_TEXTURE_INFO info;
  ASSERT_EQ(gen_bit_texture_info(&b, &info), 1);
  EXPECT_EQ(nums(info.kind, info.width, info.height), nums(GEN_TEX_SINGLE, 256, 256));
  EXPECT_EQ(gen_bit_ram_current(), 256 * 256 * 4);
  EXPECT_NE(b.flags & GEN_BIT_OBJECT, 0);
  EXPECT_NE(b.pixels, nullptr);  // a single texture keeps the picture
  EXPECT_EQ(gen_bit_piece(&b, 0, nullptr), nullptr);
  // The picture in the top-left corner of the texture, drawn at its size.
  EXPECT_EQ(read(0, 0), colour_at(0, 0));
  EXPECT_EQ(read(239, 239), colour_at(239, 239));
  EXPECT_EQ(read(240, 10), kBlack);
  EXPECT_EQ(gen_bit_free(&b), 1);
  EXPECT_EQ(nums(b.texture, b.flags & GEN_BIT_OBJECT, gen_bit_ram_current()), nums(0u, 0, 0));
  EXPECT_EQ(gen_bit_free(&b), 0);
  vx_bit_free(&b);
}

TEST_F(GenDraw, TileSetFor130By64) {
  VX_BITMAP b = pattern(130, 64);
  const VX_RECT dest = {3, 4, 130, 64};
  ASSERT_EQ(table_.vx_bit_3d_put(&b, &dest, nullptr, 0), 1);
  GEN_TEXTURE_INFO info;
  ASSERT_EQ(gen_bit_texture_info(&b, &info), 1);
  EXPECT_EQ(nums(info.kind, info.columns, info.rows), nums(GEN_TEX_TILES, 2, 1));
  VX_RECT place;
  VX_BITMAP* piece = gen_bit_piece(&b, 0, &place);
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece->width, 128);
  EXPECT_EQ(nums(place.x, place.width), nums(0, 128));
  piece = gen_bit_piece(&b, 1, &place);
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece->width, 8);
  EXPECT_EQ(piece->height, 64);
  EXPECT_EQ(nums(place.x, place.width), nums(128, 2));
  EXPECT_EQ(gen_bit_piece(&b, 2, nullptr), nullptr);
  EXPECT_EQ(gen_bit_ram_current(), (128 * 64 + 8 * 64) * 4);
  // The pieces hold the picture now; reads go to them.
  EXPECT_EQ(b.pixels, nullptr);
  EXPECT_EQ(gen_get_pixel(&b, 129, 63), colour_at(129, 63));
  // Across the seam the frame buffer shows the picture unchanged.
  for (int x : {0, 127, 128, 129})
    for (int y : {0, 63}) EXPECT_EQ(read(3 + x, 4 + y), colour_at(x, y)) << x << "," << y;
  EXPECT_EQ(read(3 + 130, 4), kBlack);
  vx_bit_free(&b);
  EXPECT_EQ(gen_bit_ram_current(), 0);
}

TEST_F(GenDraw, PrimitivesLightTheirPixels) {
  ASSERT_EQ(table_.vx_bit_3d_draw_pixel(&surface_, 5, 6, kRed), 1);
  EXPECT_EQ(read(5, 6), kRed);
  EXPECT_EQ(read(6, 6), kBlack);
  // Outside the bitmap, or on a bitmap without pixels: no point.
  EXPECT_EQ(table_.vx_bit_3d_draw_pixel(&surface_, -1, 6, kRed), 0);
  VX_BITMAP bare = {};
  bare.width = bare.height = 10;
  EXPECT_EQ(table_.vx_bit_3d_draw_pixel(&bare, 7, 7, kRed), 0);
  EXPECT_EQ(read(7, 7), kBlack);

  ASSERT_EQ(table_.vx_bit_3d__draw_line(&surface_, 10, 30, 20, 30, kGreen), 1);
  EXPECT_EQ(read(10, 30), kGreen);
  EXPECT_EQ(read(15, 30), kGreen);
  EXPECT_EQ(read(20, 30), kGreen);  // both ends
  EXPECT_EQ(read(21, 30), kBlack);
  EXPECT_EQ(read(15, 31), kBlack);

  const VX_RECT r = {40, 40, 10, 5};
  ASSERT_EQ(table_.vx_bit_3d__draw_rectangle(&surface_, &r, kRed), 1);
  for (auto [x, y] : {std::pair{40, 40}, {49, 40}, {49, 44}, {40, 44}, {45, 40}, {40, 42}, {49, 42}, {45, 44}})
    EXPECT_EQ(read(x, y), kRed) << x << "," << y;
  EXPECT_EQ(read(45, 42), kBlack);
  EXPECT_EQ(read(50, 40), kBlack);
  EXPECT_EQ(read(40, 45), kBlack);
  const VX_RECT away = {-100, -100, 10, 10};
  EXPECT_EQ(table_.vx_bit_3d__draw_rectangle(&surface_, &away, kRed), 1);

  ASSERT_EQ(table_.vx_bit_3d__draw_circle(&surface_, 100, 100, 10, kGreen), 1);
  EXPECT_EQ(read(109, 100), kGreen);  // the start point
  EXPECT_EQ(read(108, 105), kGreen);  // a = 36: steps of 360 / 10 degrees
  EXPECT_EQ(read(90, 100), kGreen);   // a = 180
  EXPECT_EQ(read(100, 100), kBlack);
  EXPECT_EQ(table_.vx_bit_3d__draw_circle(&surface_, 100, 100, 0, kGreen), 1);
  EXPECT_EQ(table_.vx_bit_3d__draw_circle(&surface_, -50, -50, 10, kGreen), 1);
}

}  // namespace
