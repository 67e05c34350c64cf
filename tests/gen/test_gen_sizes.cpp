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

}  // namespace
