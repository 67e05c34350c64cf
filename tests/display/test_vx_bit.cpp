// Bitmap allocation and release, palettes and the depth conversion matrix.
#include "display_fixture.h"

#include <cstdio>
#include <unistd.h>

namespace {

using BitTest = DisplayTest;

// A 3D back end that only counts texture releases.
int g_freed = 0;
int count_free(VX_BITMAP* b) {
  g_freed++;
  b->texture = 0;
  return 1;
}

// ---------------------------------------------------------------- allocation
TEST_F(BitTest, AllocBytesPerDepth) {
  struct Case {
    int bpp, bytes, stored_bpp;
  };
  // 5 x 2 pixels; 4 bits round each row up to whole bytes (3 a row); an unknown depth warns and takes one byte.
  const Case cases[] = {{4, 6, 4}, {0, 10, 8}, {8, 10, 8}, {15, 20, 15}, {16, 20, 16}, {24, 30, 24}, {32, 40, 32}, {7, 10, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bpp);
    long long before = vx_mem_used();
    VX_BITMAP b;
    VX_RECT r = {7, 9, 5, 2};
    ASSERT_EQ(vx_bit_alloc(&b, &r, c.bpp), 1);
    EXPECT_EQ(vx_mem_used() - before, c.bytes + 12) << "plus the tracker's 12 bytes per record";
    EXPECT_EQ(nums(b.x, b.y, b.width, b.height, b.bpp), nums(7, 9, 5, 2, c.stored_bpp));
    EXPECT_STREQ(vx_mem_get_name(b.pixels), "VX_DSP bit_alloc bitmap buffer");
    for (int i = 0; i < c.bytes; i++) ASSERT_EQ(b.pixels[i], 0);
    EXPECT_EQ(boxes().find("Invalid options in parameter of vx_bit_alloc ()") != std::string::npos, c.bpp == 7);
    vx_bit_free(&b);
    EXPECT_EQ(b.pixels, nullptr);
  }
}

TEST_F(BitTest, FreeReleasesTextureAndPaletteReference) {
  VX_DSP_3D_INTERFACE t = {};
  t.vx_bit_3d_free = count_free;
  vx_dsp_3d_interface_set(&t);
  g_freed = 0;
  VX_BITMAP b = make_bitmap(2, 2, 8);
  VX_PALETTE* p = vx_pal_alloc(nullptr, 4, VX_PAL_OPT_RGB);
  b.palette = vx_pal_ref(p);
  b.texture = 77;
  vx_bit_free(&b);
  EXPECT_EQ(nums(g_freed, b.texture), nums(1, 0u));
  EXPECT_EQ(b.palette, nullptr);
  EXPECT_EQ(p->references, 1u);
  vx_pal_free(p);
  vx_bit_free(nullptr);  // nothing to do
}

// ---------------------------------------------------------------- palettes
TEST_F(BitTest, GreyPaletteIsSharedByCount) {
  VX_PALETTE* a = vx_pal_grayscale_get(16);
  VX_PALETTE* b = vx_pal_grayscale_get(16);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->references, 2u);
  EXPECT_EQ(a->type, VX_PALETTE_RGB);
  // 256 / 15 = 17: the steps are 0, 17, 34, ... 255.
  for (int i = 0; i < 16; i++) {
    EXPECT_EQ(a->colours[i * 3], 17 * i);
    EXPECT_EQ(a->colours[i * 3 + 2], 17 * i);
  }
  VX_PALETTE* c = vx_pal_grayscale_get(4);
  EXPECT_NE(c, a);
  vx_pal_free(c);
  vx_pal_free(b);
  vx_pal_free(a);
  // The last reference took it off the list: a new one is made.
  VX_PALETTE* d = vx_pal_grayscale_get(16);
  EXPECT_EQ(d->references, 1u);
  vx_pal_free(d);
}

// ---------------------------------------------------------------- conversion matrix
struct Cell {
  int from, to;
  const char* refusal;  // null: converts
};

constexpr const char* kInvalid = "Invalid BPP conversion parameter in function vx_bit_convert.";
constexpr const char* kFrom1 = "1->4, 8, 16, 24, 32 BPP conversion parameter in function vx_bit_convert isn't supported yet.";

const Cell kCells[] = {
    {1, 4, kFrom1},
    {1, 8, kFrom1},
    {1, 16, kFrom1},
    {1, 24, kFrom1},
    {1, 32, kFrom1},
    {4, 8, nullptr},
    {4, 16, "4->16 BPP conversion parameter in function vx_bit_convert isn't supported yet."},
    {4, 24, nullptr},
    {4, 32, nullptr},
    {4, 12, kInvalid},
    {8, 4, kInvalid},
    {8, 15, nullptr},
    {8, 16, nullptr},
    {8, 24, nullptr},
    {8, 32, nullptr},
    {15, 4, kInvalid},
    {15, 8, "15->8 BPP conversion parameter in function vx_bit_convert isn't supported yet."},
    {15, 16, nullptr},
    {15, 24, nullptr},
    {15, 32, nullptr},
    {16, 4, kInvalid},
    {16, 8, "15->8 BPP conversion parameter in function vx_bit_convert isn't supported yet."},
    {16, 24, nullptr},
    {16, 32, nullptr},
    {24, 4, kInvalid},
    {24, 8, "24->8 BPP conversion parameter in function vx_bit_convert isn't supported yet."},
    {24, 16, nullptr},
    {24, 32, nullptr},
    {24, 1, kInvalid},
    {32, 4, kInvalid},
    {32, 8, "32 -> 8 BPP conversion parameter in function vx_bit_convert isn't supported yet."},
    {32, 16, nullptr},
    {32, 24, nullptr},
    {7, 24, "Invalid conversion from 7 to 24 BPP in function vx_bit_convert."},
    {12, 16 + 64, "Invalid conversion from 12 to 16 BPP in function vx_bit_convert."},
};

// An 8-bit bitmap with a palette; other depths are written over it.
VX_BITMAP any_bitmap(int bpp) {
  VX_BITMAP b = make_bitmap(4, 3, 8, 3);
  b.bpp = int16_t(bpp);
  b.palette = vx_pal_grayscale_get(256);
  return b;
}

TEST_F(BitTest, EveryCellOfTheMatrix) {
  for (const Cell& c : kCells) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    VX_BITMAP b = any_bitmap(8);
    if (c.from != 8 && c.from != 1 && c.from != 7 && c.from != 12) {
      // Real pixels at the source depth.
      VX_PALETTE* keep = vx_pal_ref(b.palette);
      vx_bit_free(&b);
      b = make_bitmap(4, 3, c.from, 5);
      b.palette = keep;
    } else {
      b.bpp = int16_t(c.from);
    }
    VX_BITMAP before = b;
    // Unusual depths sit on an 8-bit block of 4 x 3 bytes.
    long bytes = vx_bit_size(4, 3, b.bpp);
    std::vector<uint8_t> px(b.pixels, b.pixels + (bytes ? bytes : 12));
    boxes();
    int result = vx_bit_convert(&b, c.to);
    std::string said = boxes();
    if (c.refusal) {
      EXPECT_EQ(result, 0);
      EXPECT_NE(said.find(c.refusal), std::string::npos) << said;
      EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0) << "record changed";
      EXPECT_EQ(std::memcmp(b.pixels, px.data(), px.size()), 0) << "pixels changed";
    } else {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(said, "");
      EXPECT_EQ(b.bpp, (c.to & 63) == 15 ? 16 : (c.to & 63));
    }
    vx_bit_free(&b);
  }
}

// ---------------------------------------------------------------- conversion values
VX_PALETTE* test_palette() {
  VX_PALETTE* p = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB);
  for (int i = 0; i < 256; i++) {
    p->colours[i * 3] = uint8_t(i);
    p->colours[i * 3 + 1] = uint8_t(255 - i);
    p->colours[i * 3 + 2] = uint8_t(i / 2);
  }
  // Entry 5 is magenta.
  p->colours[15] = 255, p->colours[16] = 0, p->colours[17] = 255;
  return p;
}

// Little-endian bytes of 16-bit words.
std::vector<uint8_t> words(std::initializer_list<uint16_t> w) {
  std::vector<uint8_t> out;
  for (uint16_t v : w) out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8));
  return out;
}

TEST_F(BitTest, ConversionValues) {
  const int K = VX_BIT_CONVERT_KEY;
  struct Case {
    const char* what;
    int from, width;
    std::vector<uint8_t> in;
    bool palette;             // test_palette (entry 5 magenta)
    int key;                  // -1: left as allocated
    int to;
    std::vector<uint8_t> want;
    int keyed;       // VX_BIT_KEYED afterwards; -1 not looked at
    int height = 1;  // rows of `in`
  };
  // With the key option the key index and magenta become transparent grey (127, 127, 127, 0).
  const Case cases[] = {
      {"8 -> 32 with key", 8, 4, {0, 5, 9, 0}, true, 0, 32 + K,
       {127, 127, 127, 0, 127, 127, 127, 0, 9, 246, 4, 255, 127, 127, 127, 0}, 1},
      {"8 -> 32 keeps every colour", 8, 2, {0, 5}, true, -1, 32, {0, 255, 0, 255, 255, 0, 255, 255}, 0},
      // Nibbles high first; rows of 2 bytes, the low nibble of each second byte is padding.
      {"4 -> 8", 4, 3, {0x12, 0x3F, 0x45, 0x6F}, false, 9, 8, {1, 2, 3, 4, 5, 6}, 0, 2},
      {"4 -> 8: a pixel equal to the key index sets the flag", 4, 2, {0x31}, false, 3, 8, {3, 1}, 1},
      {"4 -> 32 with key through the palette", 4, 2, {0x52}, true, 0xFF, 32 + K, {127, 127, 127, 0, 2, 253, 1, 255}, 1},
      // 16-bit sources read as 5-5-5: (31, 0, 31) is the key, (1, 2, 3) an ordinary colour.
      {"16 -> 24", 16, 2, words({(31 << 10) | 31, (1 << 10) | (2 << 5) | 3}), false, -1, 24, {255, 0, 255, 8, 16, 24}, -1},
      {"16 -> 32 with key", 16, 2, words({(31 << 10) | 31, (1 << 10) | (2 << 5) | 3}), false, -1, 32 + K,
       {127, 127, 127, 0, 8, 16, 24, 255}, 1},
      {"15 -> 16 repacks into the screen packing", 15, 1, words({(31 << 10) | (16 << 5) | 1}), false, -1, 16,
       words({vx_pal_pack16(248, 128, 8)}), -1},
      {"24 -> 32 with key", 24, 2, {255, 0, 255, 10, 200, 30}, false, -1, 32 + K, {127, 127, 127, 0, 10, 200, 30, 255}, -1},
      {"32 -> 24 drops alpha", 32, 2, {127, 127, 127, 0, 10, 200, 30, 255}, false, -1, 24, {127, 127, 127, 10, 200, 30}, -1},
      {"24 -> 16", 24, 2, {255, 0, 255, 10, 200, 30}, false, -1, 16, words({0xF81F, vx_pal_pack16(10, 200, 30)}), -1},
      {"32 -> 16", 32, 1, {80, 90, 100, 7}, false, -1, 16, words({vx_pal_pack16(80, 90, 100)}), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VX_BITMAP b = make_bitmap(c.width, c.height, c.from);
    std::memcpy(b.pixels, c.in.data(), c.in.size());
    if (c.palette) b.palette = test_palette();
    if (c.key >= 0) b.key = uint32_t(c.key);
    ASSERT_EQ(vx_bit_convert(&b, c.to), 1);
    EXPECT_EQ(b.bpp, c.to & 63);
    EXPECT_EQ(std::vector<uint8_t>(b.pixels, b.pixels + c.want.size()), c.want);
    if (c.keyed >= 0) {
      EXPECT_EQ((b.flags & VX_BIT_KEYED) != 0, c.keyed == 1);
    }
    if ((c.to & 63) == 32 && c.palette) {
      EXPECT_EQ(b.palette, nullptr) << "read and dropped";
    }
    vx_bit_free(&b);
  }
}

}  // namespace
