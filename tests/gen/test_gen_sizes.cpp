// The gen layer's arithmetic without a context: power-of-two enlargement, texture kinds, tile cutting, circle points, the hardware rule, texts and memory helpers.
#include <cstdarg>
#include <cstring>
#include <vector>

#include "gen_fixture.h"
#include "world/gen/gen_draw.h"
#include "world/gen/gen_mem.h"
#include "world/gen/gen_str.h"

namespace {

using gen_test::GenFileTest;

std::vector<int> cut(int size) {
  int16_t pieces[GEN_BIT_CUT_MAX];
  const int n = gen_bit_cut(size, pieces, GEN_BIT_CUT_MAX);
  return std::vector<int>(pieces, pieces + n);
}

TEST(GenSizes, EnlargementAndKind) {
  // Enlargement doubles the lowest set bit: 100 = 64 + 32 + 4 gives 104, 112, 128; 60 = 32 + 16 + 8 + 4 gives 64.
  // Powers of two stay; nothing below 1.
  const int pow2[][2] = {{100, 128}, {60, 64},      {257, 512}, {240, 256}, {1, 1},        {256, 256},
                         {16384, 16384}, {0, 0}, {-4, 0},    {32767, 32768}};
  for (const auto& c : pow2) EXPECT_EQ(gen_bit_pow2_up(c[0]), c[1]) << c[0];
  struct Kind {
    int w, h, kind;
  };
  const Kind kinds[] = {
      {256, 256, GEN_TEX_DIRECT}, {1, 128, GEN_TEX_DIRECT},  // powers of two up to 256 are drawn directly
      {240, 250, GEN_TEX_SINGLE},                             // padding within a tenth: 16 and 6 (limit 25.6)
      {231, 256, GEN_TEX_SINGLE},                             // 25 <= 25.6
      {230, 256, GEN_TEX_TILES},                              // 26 > 25.6
      {130, 64, GEN_TEX_TILES},                               // 130 pads by 126
      {100, 60, GEN_TEX_TILES},  {512, 512, GEN_TEX_TILES}, {257, 8, GEN_TEX_TILES},  // anything over 256
      {0, 10, GEN_TEX_NONE},     {10, -1, GEN_TEX_NONE},
  };
  for (const Kind& k : kinds) EXPECT_EQ(gen_bit_kind(k.w, k.h), k.kind) << k.w << " x " << k.h;
}

TEST(GenSizes, AxesAreCutGreedily) {
  EXPECT_EQ(cut(640), (std::vector<int>{256, 256, 128}));
  EXPECT_EQ(cut(480), (std::vector<int>{256, 128, 64, 32}));
  // A remainder below 8 becomes one piece of 8.
  EXPECT_EQ(cut(130), (std::vector<int>{128, 8}));
  EXPECT_EQ(cut(300), (std::vector<int>{256, 32, 8, 8}));
  EXPECT_EQ(cut(70), (std::vector<int>{64, 8}));
  EXPECT_EQ(cut(9), (std::vector<int>{8, 8}));
  EXPECT_EQ(cut(511), (std::vector<int>{256, 128, 64, 32, 16, 8, 8}));
  // Axes of 8 or less are one piece of their own size.
  EXPECT_EQ(cut(8), (std::vector<int>{8}));
  EXPECT_EQ(cut(5), (std::vector<int>{5}));
  EXPECT_EQ(cut(1), (std::vector<int>{1}));
  // The longest axis fits the bound; empty and cramped calls give nothing.
  EXPECT_EQ(cut(32767).size(), size_t(127 + 5 + 1));
  EXPECT_TRUE(cut(0).empty());
  int16_t two[2] = {-1, -1};
  EXPECT_EQ(gen_bit_cut(640, two, 2), 0);
  EXPECT_EQ(gen_bit_cut(640, nullptr, 8), 0);
  EXPECT_EQ(cut(640).size() * cut(480).size(), 12u) << "twelve pieces for 640 x 480";
}

TEST(GenSizes, CirclePointsStepByWholeDegrees) {
  int xy[720];
  // r = 4: 90-degree steps; the start is one pixel inside on the right.
  ASSERT_EQ(gen_draw_circle_points(10, 20, 4, xy, 360), 4);
  const int want[] = {13, 20, 10, 24, 6, 20, 10, 16};
  for (int i = 0; i < 8; i++) EXPECT_EQ(xy[i], want[i]) << i;
  // r = 7: 360 / 7 = 51 degrees, so a = 51 ... 357 and the start: 8 points.
  EXPECT_EQ(gen_draw_circle_points(0, 0, 7, xy, 360), 8);
  // r = 1: only the start point, at the centre.
  ASSERT_EQ(gen_draw_circle_points(3, 3, 1, xy, 360), 1);
  EXPECT_EQ(nums(xy[0], xy[1]), nums(3, 3));
  // r >= 360 steps by one degree.
  EXPECT_EQ(gen_draw_circle_points(0, 0, 360, xy, 360), 360);
  EXPECT_EQ(gen_draw_circle_points(0, 0, 1000, xy, 360), 360);
  // Nothing for r <= 0 or too little room.
  EXPECT_EQ(nums(gen_draw_circle_points(0, 0, 0, xy, 360), gen_draw_circle_points(0, 0, -3, xy, 360),
                 gen_draw_circle_points(0, 0, 400, xy, 100)),
            nums(0, 0, 0));
}

TEST(GenSizes, GenericRendererIsNotHardware) {
  EXPECT_EQ(gen_wrap_hardware_flag("GDI Generic"), 0);
  EXPECT_EQ(gen_wrap_hardware_flag("Generic"), 0);
  EXPECT_EQ(gen_wrap_hardware_flag("llvmpipe (LLVM 15.0.6, 256 bits)"), 8);
  EXPECT_EQ(gen_wrap_hardware_flag("generic"), 8);  // the test is case-sensitive
  EXPECT_EQ(gen_wrap_hardware_flag(""), 8);
}

// ---------------------------------------------------------------- with the tracker

using GenHelpers = GenFileTest;

int format(char** buffer, size_t* size, const char* f, ...) {
  va_list args;
  va_start(args, f);
  int n = gen_str_vformat(buffer, size, "test buffer", f, args);
  va_end(args);
  return n;
}

TEST_F(GenHelpers, FormatBufferStartsAt100AndDoubles) {
  char* buffer = nullptr;
  size_t size = 0;
  EXPECT_EQ(format(&buffer, &size, "%s", "short"), 5);
  EXPECT_EQ(size, 100u);
  EXPECT_STREQ(vx_mem_get_name(buffer), "test buffer");
  // 99 characters fit in 100 bytes; 100 need 200; 450 need 800.
  const std::string t99(99, 'x'), t100(100, 'y'), t450(450, 'z');
  EXPECT_EQ(format(&buffer, &size, "%s", t99.c_str()), 99);
  EXPECT_EQ(size, 100u);
  EXPECT_EQ(format(&buffer, &size, "%s", t100.c_str()), 100);
  EXPECT_EQ(size, 200u);
  EXPECT_EQ(format(&buffer, &size, "%s", t450.c_str()), 450);
  EXPECT_EQ(size, 800u);
  EXPECT_EQ(std::string(buffer), t450);
  // It never shrinks.
  EXPECT_EQ(format(&buffer, &size, "%d", 7), 1);
  EXPECT_EQ(size, 800u);
  vx_mem_free(buffer);
}

TEST_F(GenHelpers, ResizeZeroesNewElementsAndKeepsOldOnes) {
  void* block = nullptr;
  int count = 0;
  ASSERT_EQ(gen_mem_resize(__FILE__, __LINE__, &block, &count, 4, sizeof(int), "ints"), 1);
  EXPECT_EQ(count, 4);
  int* v = static_cast<int*>(block);
  for (int i = 0; i < 4; i++) EXPECT_EQ(v[i], 0);
  for (int i = 0; i < 4; i++) v[i] = i + 10;
  ASSERT_EQ(gen_mem_resize(__FILE__, __LINE__, &block, &count, 1000, sizeof(int), "ints"), 1);
  v = static_cast<int*>(block);
  EXPECT_EQ(count, 1000);
  for (int i = 0; i < 4; i++) EXPECT_EQ(v[i], i + 10);
  for (int i = 4; i < 1000; i++) ASSERT_EQ(v[i], 0) << i;
  EXPECT_STREQ(vx_mem_get_name(block), "ints");
  // Shrinking keeps the front; zero frees.
  ASSERT_EQ(gen_mem_resize(__FILE__, __LINE__, &block, &count, 2, sizeof(int), "ints"), 1);
  EXPECT_EQ(static_cast<int*>(block)[1], 11);
  ASSERT_EQ(gen_mem_resize(__FILE__, __LINE__, &block, &count, 0, sizeof(int), "ints"), 1);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(count, 0);
  // Bad calls change nothing.
  EXPECT_EQ(gen_mem_resize(__FILE__, __LINE__, &block, &count, -1, sizeof(int), "ints"), 0);
  EXPECT_EQ(gen_mem_resize(__FILE__, __LINE__, nullptr, &count, 3, sizeof(int), "ints"), 0);
  EXPECT_EQ(count, 0);
}

TEST_F(GenHelpers, MallocFailureEndsTheProgramThroughErrorTxt) {
  // The child starts the program again: no window or GL thread is shared.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(gen_mem_malloc("gen_bit.cpp", 77, size_t(1) << 62, "huge table"), testing::ExitedWithCode(0), "");
  EXPECT_NE(file("error.txt").find("gen_mem_malloc (gen_bit.cpp 77): cant allocate enough memory for huge table\n"),
            std::string::npos);
}

}  // namespace
