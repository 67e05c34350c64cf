// The context and display side of the gen layer: init and its report, the snapshot at the display update, world textures, the system report, modes, failures.
#include <cstdio>

#include "gen_fixture.h"
#include "platform/plat_gl.h"
#include "platform/plat_internal.h"
#include "world/gen/gen_atlas.h"
#include "world/gen/gen_draw.h"

namespace {

using gen_test::colour_at;
using gen_test::fs::path;
using gen_test::GenFileTest;
using gen_test::GenGlTest;
using gen_test::pattern;
using GenWrap = GenGlTest;

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(GenWrap, InitReportsTheRendererAndSetsUpThe2DScreen) {
  EXPECT_EQ(hardware_, gen_wrap_hardware_flag(renderer_));
  ASSERT_NE(renderer_, nullptr);
  ASSERT_NE(vendor_, nullptr);
  EXPECT_STREQ(renderer_, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  EXPECT_STREQ(vendor_, reinterpret_cast<const char*>(glGetString(GL_VENDOR)));
  const std::string history = file("history.txt");
  EXPECT_EQ(history.rfind(std::string("gl info:\nvendor: ") + vendor_ + "\nrenderer: " + renderer_ + "\nversion: ", 0), 0u);
  EXPECT_NE(history.find("\nextensions: "), std::string::npos);
  EXPECT_NE(history.find("\nglu info:\nversion: "), std::string::npos);
  EXPECT_TRUE(ends_with(history, "gen_wrap_init!!!")) << history.substr(history.size() - 40);
  // The format asked: a depth buffer and a stencil.
  GLint depth = 0, stencil = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  EXPECT_GE(depth, 16);
  EXPECT_GE(stencil, 1);
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], gen_test::kScreenW);
  EXPECT_EQ(viewport[3], gen_test::kScreenH);
  // The screen starts black.
  EXPECT_EQ(read(0, 0), 0u);
}

// A full-screen mode takes the display at once: a window not shown yet is
// shown by the mode set (X applies the mode only to a shown window), so
// what is drawn after it, the splash first, is seen.
TEST_F(GenWrap, AFullScreenModeSetShowsAWindowNotShownYet) {
  plat_window_show(window_, 0);
  ASSERT_EQ(window_->shown, 0);
  ASSERT_EQ(plat_display_mode_set(window_, gen_test::kScreenW, gen_test::kScreenH, 32, 0, 1), PLAT_DISPLAY_OK);
  EXPECT_EQ(window_->shown, 1);
  EXPECT_EQ(plat_display_mode_set(window_, gen_test::kScreenW, gen_test::kScreenH, 32, 0, 0), PLAT_DISPLAY_OK);
}

TEST_F(GenWrap, SnapshotIsWrittenAtTheDisplayUpdate) {
  VX_BITMAP b = pattern(4, 3);
  ASSERT_EQ(table_.vx_bit_3d_put(&b, nullptr, nullptr, 0), 1);
  const VX_RECT rect = {1, 1, 3, 2};
  ASSERT_EQ(table_.vx_bit_3d_save(nullptr, "Snap0000.tga", &rect, 0), 1);
  EXPECT_EQ(gen_wrap_snapshot_pending(), 1);
  // A second request before the update is ignored.
  EXPECT_EQ(table_.vx_bit_3d_save(nullptr, "Snap0001.tga", nullptr, 0), 0);
  EXPECT_FALSE(gen_test::fs::exists(folder_ / "Snap0000.tga"));
  ASSERT_EQ(table_.vx_dsp_3d_display_update(), 1);
  EXPECT_EQ(gen_wrap_snapshot_pending(), 0);
  EXPECT_FALSE(gen_test::fs::exists(folder_ / "Snap0001.tga"));
  EXPECT_EQ(read(1, 1), 0u);  // the update clears to black

  // 24-bit TGA, bottom row first, blue-green-red.
  const std::string tga = file("Snap0000.tga");
  ASSERT_EQ(tga.size(), 18u + 3 * 2 * 3);
  EXPECT_EQ(nums(tga[2], tga[12], tga[14], tga[16]), nums(2, 3, 2, 24));
  for (int row = 0; row < 2; row++)
    for (int x = 0; x < 3; x++) {
      const uint8_t* p = reinterpret_cast<const uint8_t*>(tga.data()) + 18 + (row * 3 + x) * 3;
      const uint32_t c = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
      EXPECT_EQ(c, colour_at(1 + x, 2 - row)) << x << "," << row;
    }

  // ImageMagick, when there, reads the same picture top row first.
  if (std::system("command -v convert >/dev/null 2>&1") == 0) {
    ASSERT_EQ(std::system("convert Snap0000.tga -auto-orient -depth 8 rgb:snap.rgb"), 0);
    const std::string rgb = file("snap.rgb");
    ASSERT_EQ(rgb.size(), 3u * 2 * 3);
    for (int y = 0; y < 2; y++)
      for (int x = 0; x < 3; x++) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(rgb.data()) + (y * 3 + x) * 3;
        EXPECT_EQ((uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2], colour_at(1 + x, 1 + y));
      }
  }
  // A new request is taken once the old one is written.
  EXPECT_EQ(table_.vx_bit_3d_save(nullptr, "Snap0001.tga", nullptr, 0), 1);
  const VX_RECT outside = {400, 0, 5, 5};
  ASSERT_EQ(table_.vx_dsp_3d_display_update(), 1);
  EXPECT_EQ(file("Snap0001.tga").size(), 18u + gen_test::kScreenW * gen_test::kScreenH * 3);
  EXPECT_EQ(table_.vx_bit_3d_save(nullptr, "none.tga", &outside, 0), 0);
  vx_bit_free(&b);
}

TEST_F(GenWrap, WorldTextureIsEnlargedToPowersOfTwo) {
  gen_test::write_tga(folder_ / "pic.tga", 100, 60);
  GEN_TEXTURE_SIZES sizes = {};
  const uint32_t texture = gen_bit_texture_load("pic.tga", 1, &sizes);
  ASSERT_NE(texture, 0u);
  EXPECT_EQ(nums(sizes.image_width, sizes.image_height, sizes.texture_width, sizes.texture_height),
            nums(100, 60, 128, 64));
  GEN_ATLAS_PLACE place;
  ASSERT_EQ(gen_atlas_find(texture, &place), 1);
  glBindTexture(GL_TEXTURE_2D, place.page);
  GLint mag = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
  EXPECT_EQ(nums(place.width, place.height, mag, place.opaque), nums(128, 64, GL_LINEAR, 1));
  // The picture was rescaled, corner to corner, into RGBA bytes, and its
  // edge texels surround it on the page.
  const int side = place.page_size;
  std::vector<uint8_t> texels(size_t(side) * side * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  auto at = [&](int x, int y) {
    const uint8_t* p = &texels[(size_t(place.y + y) * side + place.x + x) * 4];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  };
  EXPECT_EQ(nums(at(0, 0), at(-1, -1), at(127, 63), at(128, 64)),
            nums(colour_at(0, 0), colour_at(0, 0), colour_at(99, 59), colour_at(99, 59)));
  // The texture memory counts the page, whole.
  const long long page = (long long)side * side * 4;
  EXPECT_EQ(gen_bit_ram_current(), page);

  // The `!` mark asks for nearest pixels (a page of its own); a
  // power-of-two picture keeps its size.
  gen_test::write_tga(folder_ / "square.tga", 32, 16);
  const uint32_t sharp = gen_bit_texture_load("square.tga!", 1, &sizes);
  GEN_ATLAS_PLACE sharp_place;
  ASSERT_EQ(gen_atlas_find(sharp, &sharp_place), 1);
  EXPECT_EQ(nums(sizes.texture_width, sizes.texture_height, gen_atlas_pages()), nums(32, 16, 2));
  glBindTexture(GL_TEXTURE_2D, sharp_place.page);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
  EXPECT_EQ(mag, GL_NEAREST);
  // A page goes with its last picture; a deleted handle names nothing.
  gen_bit_texture_delete(texture);
  gen_bit_texture_delete(sharp);
  EXPECT_EQ(nums(gen_atlas_find(texture, &place), gen_atlas_pages(), glIsTexture(place.page)), nums(0, 0, 0));
  EXPECT_EQ(nums(gen_bit_ram_current(), gen_bit_ram_max()), nums(0, 2 * page));
}

// ---------------------------------------------------------------- without a context

using GenNoContext = GenFileTest;

}  // namespace
