// Plain and transparent copies per depth: clipping, centring, double size, scaling; resizing and the resize lists.
#include "display_fixture.h"

namespace {

using BlitTest = DisplayTest;

// Pixel (x, y) of any depth as an integer (bytes little end first).
uint32_t px(const VX_BITMAP& b, int x, int y) {
  int n = b.bpp == 15 ? 2 : b.bpp / 8;
  const uint8_t* p = b.pixels + (long(y) * b.width + x) * n;
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; i--) v = (v << 8) | p[i];
  return v;
}

void set_px(VX_BITMAP* b, int x, int y, uint32_t v) {
  int n = b->bpp == 15 ? 2 : b->bpp / 8;
  uint8_t* p = b->pixels + (long(y) * b->width + x) * n;
  for (int i = 0; i < n; i++, v >>= 8) p[i] = uint8_t(v);
}

// A source whose pixel (x, y) is 1 + x + 16 y (never 0, never a key).
VX_BITMAP numbered(int w, int h, int bpp) {
  VX_BITMAP b = make_bitmap(w, h, bpp);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) set_px(&b, x, y, uint32_t(1 + x + 16 * y));
  return b;
}

uint32_t number(int x, int y) { return uint32_t(1 + x + 16 * y); }

VX_BITMAP blank(int w, int h, int bpp) {
  VX_BITMAP b = make_bitmap(w, h, bpp);
  std::memset(b.pixels, 0, size_t(vx_bit_size(w, h, bpp)));
  return b;
}

class BlitDepth : public DisplayTest, public testing::WithParamInterface<int> {};

// ---------------------------------------------------------------- clipping
TEST_P(BlitDepth, EdgesCutTheColumnsOutsideAndScalingRepeatsPixels) {
  const int bpp = GetParam();
  VX_BITMAP dest = blank(20, 6, bpp);
  VX_BITMAP src = numbered(10, 4, bpp);
  VX_RECT left = {-5, 1, 10, 4}, right = {17, 1, 10, 4};
  ASSERT_EQ(vx_bit_copy(&dest, &src, &left, nullptr, 0), 1);  // the first five columns cut
  ASSERT_EQ(vx_bit_copy_transp(&dest, &src, &right, nullptr, 0), 1);  // three columns kept
  for (int y = 0; y < 4; y++) {
    for (int x = 0; x < 5; x++) EXPECT_EQ(px(dest, x, 1 + y), number(x + 5, y)) << x << "," << y;
    for (int x = 5; x < 17; x++) EXPECT_EQ(px(dest, x, 1 + y), 0u) << x << "," << y;
    for (int x = 0; x < 3; x++) EXPECT_EQ(px(dest, 17 + x, 1 + y), number(x, y)) << x << "," << y;
  }
  vx_bit_free(&dest);
  vx_bit_free(&src);
  for (bool transparent : {false, true}) {
    VX_BITMAP d = blank(6, 6, bpp);
    VX_BITMAP s = numbered(2, 2, bpp);
    VX_RECT at = {1, 1, 4, 4};
    ASSERT_EQ((transparent ? vx_bit_copy_transp : vx_bit_copy)(&d, &s, &at, nullptr, VX_BIT_SCALE), 1);
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 4; x++) EXPECT_EQ(px(d, 1 + x, 1 + y), number(x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(px(d, 0, 0), 0u);
    vx_bit_free(&d);
    vx_bit_free(&s);
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitDepth, testing::Values(8, 15, 16, 24, 32));

// ---------------------------------------------------------------- centring

TEST_F(BlitTest, SourceRectangleAndOutsideCopies) {
  VX_BITMAP dest = blank(8, 8, 8);
  VX_BITMAP src = numbered(6, 6, 8);
  VX_RECT part = {2, 3, 2, 2};
  VX_RECT at = {5, 6, 10, 10};
  ASSERT_EQ(vx_bit_copy(&dest, &src, &at, &part, 0), 1);
  EXPECT_EQ(px(dest, 5, 6), number(2, 3));
  EXPECT_EQ(px(dest, 6, 7), number(3, 4));
  EXPECT_EQ(px(dest, 7, 6), 0u);
  // Wholly outside, and a source rectangle reaching past its bitmap.
  std::vector<uint8_t> before = pixels_of(dest);
  VX_RECT away = {8, 0, 4, 4};
  EXPECT_EQ(vx_bit_copy(&dest, &src, &away, nullptr, 0), 1);
  VX_RECT above = {0, -6, 6, 6};
  EXPECT_EQ(vx_bit_copy(&dest, &src, &above, nullptr, 0), 1);
  VX_RECT empty = {0, 0, 0, 0};
  EXPECT_EQ(vx_bit_copy(&dest, &src, &empty, nullptr, VX_BIT_SCALE), 1);
  EXPECT_EQ(pixels_of(dest), before);
  VX_RECT wide = {4, 4, 50, 50};
  ASSERT_EQ(vx_bit_copy(&dest, &src, nullptr, &wide, 0), 1);
  EXPECT_EQ(px(dest, 1, 1), number(5, 5));
  EXPECT_EQ(px(dest, 2, 2), 0u);
  vx_bit_free(&dest);
  vx_bit_free(&src);
}

// ---------------------------------------------------------------- transparency

TEST_F(BlitTest, KeysPerDepth) {
  // 16 bits: the screen's packed magenta; 24: (255, 0, 255); 32: no key.
  struct Case {
    int bpp;
    uint32_t key;
    bool skipped;
  } cases[] = {{16, 0xF81F, true}, {24, 0xFF00FF, true}, {32, 0x00FF00FF, false}, {8, 0, true}};
  for (const Case& c : cases) {
    VX_BITMAP dest = blank(2, 1, c.bpp);
    set_px(&dest, 0, 0, 0x11);
    set_px(&dest, 1, 0, 0x11);
    VX_BITMAP src = blank(2, 1, c.bpp);
    set_px(&src, 0, 0, c.key);
    set_px(&src, 1, 0, 0x22);
    ASSERT_EQ(vx_bit_copy_transp(&dest, &src, nullptr, nullptr, 0), 1);
    EXPECT_EQ(px(dest, 0, 0), c.skipped ? 0x11u : c.key) << c.bpp;
    EXPECT_EQ(px(dest, 1, 0), 0x22u);
    // The plain copy writes the key too.
    ASSERT_EQ(vx_bit_copy(&dest, &src, nullptr, nullptr, 0), 1);
    EXPECT_EQ(px(dest, 0, 0), c.key);
    vx_bit_free(&dest);
    vx_bit_free(&src);
  }
}

// ---------------------------------------------------------------- scaling

// ---------------------------------------------------------------- dispatch

// The 3D back end's put, recorded.
struct Put {
  VX_BITMAP* bitmap;
  VX_RECT d, s;
  uint32_t flags;
  int calls;
} g_put;
int record_put(VX_BITMAP* b, const VX_RECT* d, const VX_RECT* s, uint32_t flags) {
  g_put.bitmap = b;
  g_put.d = *d;
  g_put.s = *s;
  g_put.flags = flags;
  g_put.calls++;
  return 1;
}

TEST_F(BlitTest, WhileAModeIsSetCopiesGoToThe3DPut) {
  VX_DSP_3D_INTERFACE t = {};
  t.vx_bit_3d_put = record_put;
  vx_dsp_3d_interface_set(&t);
  vx_screen_copy_set(vx_bit_copy_3d, vx_bit_copy_transp_3d);
  g_put = {};
  VX_BITMAP screen = make_bitmap(64, 48, 16);
  VX_BITMAP sprite = numbered(8, 4, 16);
  // No mode yet: the software copy runs.
  ASSERT_EQ(vx_bit_copy(&screen, &sprite, nullptr, nullptr, 0), 1);
  EXPECT_EQ(g_put.calls, 0);
  std::vector<uint8_t> before = pixels_of(screen);
  vx_screen_mode_set_flag(1);
  ASSERT_EQ(vx_bit_copy_transp(&screen, &sprite, nullptr, nullptr, VX_BIT_CENTER), 1);
  EXPECT_EQ(g_put.calls, 1);
  EXPECT_EQ(g_put.bitmap, &sprite);
  EXPECT_EQ(nums(g_put.d.width, g_put.s.width, g_put.flags), nums(64, 8, VX_BIT_CENTER));
  EXPECT_EQ(pixels_of(screen), before);
  // Flag 128 forces the software path.
  VX_RECT at = {10, 10, 8, 4};
  ASSERT_EQ(vx_bit_copy(&screen, &sprite, &at, nullptr, VX_BIT_SOFT), 1);
  EXPECT_EQ(g_put.calls, 1);
  EXPECT_EQ(px(screen, 10, 10), number(0, 0));
  vx_bit_free(&screen);
  vx_bit_free(&sprite);
}

// ---------------------------------------------------------------- resize
TEST_F(BlitTest, ResizeRescalesInPlaceAndSharesThePalette) {
  VX_BITMAP b = numbered(2, 2, 8);
  b.palette = vx_pal_alloc(nullptr, 4, VX_PAL_OPT_RGB);
  b.key = 3;
  VX_PALETTE* p = b.palette;
  VX_RECT to = {5, 6, 4, 4};
  ASSERT_EQ(vx_bit_resize(&b, &to, nullptr), 1);
  EXPECT_EQ(nums(b.width, b.x), nums(4, 5));
  EXPECT_EQ(b.palette, p);
  EXPECT_EQ(p->references, 1u);
  EXPECT_EQ(b.key, 3u);
  EXPECT_EQ(px(b, 3, 3), number(1, 1));
  EXPECT_EQ(px(b, 1, 2), number(0, 1));
  // A part of it, at its own size.
  VX_RECT part = {2, 0, 2, 2};
  ASSERT_EQ(vx_bit_resize(&b, nullptr, &part), 1);
  EXPECT_EQ(b.width, 2);
  EXPECT_EQ(px(b, 0, 0), number(1, 0));
  vx_bit_free(&b);
}

// ---------------------------------------------------------------- resize lists
TEST_F(BlitTest, RectangleFollowsTheVirtualScreen) {
  ASSERT_EQ(vx_screen_alloc(640, 480, 16), 1);
  VX_RECT r = {100, 100, 50, 50};
  VX_POINT_FLOAT p = {10.0f, 20.0f};
  ASSERT_EQ(vx_dsp_rect_add(&r), 1);
  ASSERT_EQ(vx_dsp_point_float_add(&p), 1);
  EXPECT_EQ(r.x, 100);
  ASSERT_EQ(vx_screen_resize(960, 720, 0, 0), 1);
  EXPECT_EQ(nums(r.x, r.y, r.width, r.height), nums(150, 150, 75, 75));
  EXPECT_FLOAT_EQ(p.x, 15.0f);
  EXPECT_FLOAT_EQ(p.y, 30.0f);
  EXPECT_EQ(vx_screen()->width, 960);
  // 700 / 640 = 1.09375: 50 x 1.09375 = 54.6875 truncates to 54.
  ASSERT_EQ(vx_screen_resize(700, 480, 0, 0), 1);
  EXPECT_EQ(nums(r.width, r.height), nums(54, 50));
  // Modified values become the base; removed ones stay as they are.
  r = {10, 10, 10, 10};
  ASSERT_EQ(vx_dsp_rect_modify(&r), 1);
  EXPECT_EQ(r.width, 10);  // 10.9375
  ASSERT_EQ(vx_dsp_rect_remove(&r), 1);
  ASSERT_EQ(vx_screen_resize(1280, 960, 0, 0), 1);
  EXPECT_EQ(r.width, 10);
  EXPECT_FLOAT_EQ(p.x, 20.0f);
  EXPECT_EQ(vx_dsp_rect_remove(&r), 0);
  EXPECT_EQ(vx_dsp_point_float_remove(&p), 1);
}

}  // namespace

namespace {

// Random rectangles, flags and depths against small bitmaps, without the
// tracker so that the standard allocator (and a sanitizer) watches every
// block: nothing may be read or written outside the bitmaps.
TEST(BlitRobustness, RandomRectanglesStayInsideTheBitmaps) {
  uint32_t seed = 12345;
  auto next = [&seed](int range) {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 8) % uint32_t(range));
  };
  const int depths[] = {8, 15, 16, 24, 32};
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3000; i++) {
    int bpp = depths[next(5)];
    VX_BITMAP dest, src;
    VX_RECT dr = {0, 0, int16_t(1 + next(40)), int16_t(1 + next(40))};
    VX_RECT sr = {0, 0, int16_t(1 + next(40)), int16_t(1 + next(40))};
    ASSERT_EQ(vx_bit_alloc(&dest, &dr, bpp), 1);
    ASSERT_EQ(vx_bit_alloc(&src, &sr, bpp), 1);
    VX_RECT d = {int16_t(next(120) - 60), int16_t(next(120) - 60), int16_t(next(120) - 20), int16_t(next(120) - 20)};
    VX_RECT s = {int16_t(next(120) - 60), int16_t(next(120) - 60), int16_t(next(120) - 20), int16_t(next(120) - 20)};
    uint32_t flags = uint32_t(next(32)) | VX_BIT_SOFT;
    vx_bit_copy(&dest, &src, next(4) ? &d : nullptr, next(4) ? &s : nullptr, flags);
    vx_bit_copy_transp(&dest, &src, &d, &s, flags);
    vx_bit_free(&dest);
    vx_bit_free(&src);
  }
  testing::internal::GetCapturedStderr();
  vx_bit_scale_buffer_free();
}

}  // namespace
