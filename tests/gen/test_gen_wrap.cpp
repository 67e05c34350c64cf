// The context and display side of the gen layer: init and its report, the snapshot at the display update, world textures, the system report, modes, failures.
#include <cstdio>

#include "gen_fixture.h"
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
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint w = 0, h = 0, mag = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
  EXPECT_EQ(nums(w, h, mag), nums(128, 64, GL_LINEAR));
  // The picture was rescaled, corner to corner, into RGBA bytes.
  std::vector<uint8_t> texels(128 * 64 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  auto at = [&](int x, int y) {
    const uint8_t* p = &texels[(size_t(y) * 128 + x) * 4];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  };
  EXPECT_EQ(at(0, 0), colour_at(0, 0));
  EXPECT_EQ(at(127, 63), colour_at(99, 59));
  EXPECT_EQ(texels[3], 255);
  // World textures are the caller's, outside the bitmap texture memory.
  EXPECT_EQ(gen_bit_ram_current(), 0);
  gen_bit_texture_delete(texture);
  EXPECT_FALSE(glIsTexture(texture));

  // The `!` mark asks for nearest pixels; a power-of-two picture keeps its size.
  gen_test::write_tga(folder_ / "square.tga", 32, 16);
  const uint32_t sharp = gen_bit_texture_load("square.tga!", 1, &sizes);
  ASSERT_NE(sharp, 0u);
  EXPECT_EQ(nums(sizes.texture_width, sizes.texture_height), nums(32, 16));
  glBindTexture(GL_TEXTURE_2D, sharp);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
  EXPECT_EQ(mag, GL_NEAREST);
  gen_bit_texture_delete(sharp);
}

TEST_F(GenWrap, WorldTextureThatCannotLoadShowsItsBox) {
  testing::internal::CaptureStderr();
  GEN_TEXTURE_SIZES sizes = {1, 2, 3, 4};
  EXPECT_EQ(gen_bit_texture_load("missing.png", 1, &sizes), 0u);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Can't load bitmap!"), std::string::npos) << said;
  EXPECT_NE(said.find("missing.png"), std::string::npos) << said;
  EXPECT_EQ(sizes.texture_width, 3);  // untouched on failure
}

TEST_F(GenWrap, DeinitWritesTheSystemReportAndReleasesTextures) {
  setenv("XDG_DATA_HOME", folder_.c_str(), 1);
  ASSERT_EQ(vx_io_user_folder_prepare("settings.ini", "GenTest"), 1);
  VX_BITMAP b = pattern(240, 250);
  VX_BITMAP small = pattern(8, 8);
  ASSERT_EQ(table_.vx_bit_3d_put(&b, nullptr, nullptr, 0), 1);
  ASSERT_EQ(table_.vx_bit_3d_put(&small, nullptr, nullptr, 0), 1);
  vx_bit_free(&small);
  const std::string vendor = vendor_, renderer = renderer_;
  const long long most = gen_bit_ram_max();  // the highest of the whole run
  EXPECT_GE(most, 256 * 256 * 4 + 8 * 8 * 4);
  ASSERT_EQ(table_.vx_dsp_3d_deinit(), 1);
  EXPECT_EQ(gen_wrap_ready(), 0);
  EXPECT_EQ(gen_bit_ram_current(), 0);
  const std::string ini = gen_test::slurp(folder_ / "Harrowby" / "GenTest" / "settings.ini");
  EXPECT_NE(ini.find("[System]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Vendor=" + vendor + "\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Renderer=" + renderer + "\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("TextureRamMax=" + std::to_string(most) + "\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("TextureRamCurrent=" + std::to_string(256 * 256 * 4) + "\n"), std::string::npos) << ini;
  // The bitmap's handle went stale with the context: freeing it is harmless,
  // and nothing draws any more.
  EXPECT_EQ(table_.vx_bit_3d_put(&b, nullptr, nullptr, 0), 0);
  vx_bit_free(&b);
  EXPECT_EQ(table_.vx_dsp_3d_deinit(), 0);
  unsetenv("XDG_DATA_HOME");
}

TEST_F(GenWrap, DisplayModes) {
  EXPECT_EQ(table_.vx_dsp_3d_video_mode_set(gen_test::kScreenW, gen_test::kScreenH, 16, 0, 0), 1);
  EXPECT_EQ(table_.vx_dsp_3d_flush(), 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(table_.vx_dsp_3d_video_mode_set(0, 480, 16, 0, 1), 0);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("ChangeDisplaySettings Failed"), std::string::npos) << said;
  EXPECT_NE(said.find("The graphics mode is not supported."), std::string::npos) << said;
}

// ---------------------------------------------------------------- without a context

using GenNoContext = GenFileTest;

TEST_F(GenNoContext, EntriesFailCleanly) {
  VX_DSP_3D_INTERFACE t;
  gen_wrap_get_interface(&t);
  const void* const* entries = reinterpret_cast<const void* const*>(&t);
  for (int i = 0; i < 15; i++) EXPECT_NE(entries[i], nullptr) << "entry " << i;
  VX_BITMAP b = pattern(2, 2);
  const VX_RECT r = {0, 0, 2, 2};
  EXPECT_EQ(t.vx_bit_3d_put(&b, &r, &r, 0), 0);
  EXPECT_EQ(b.texture, 0u);
  EXPECT_EQ(t.vx_dsp_3d_resize(&r), 0);
  EXPECT_EQ(t.vx_dsp_3d_flush(), 0);
  EXPECT_EQ(t.vx_dsp_3d_screen_clear(), 0);
  EXPECT_EQ(t.vx_dsp_3d_display_update(), 0);
  EXPECT_EQ(t.vx_dsp_3d_deinit(), 0);
  EXPECT_EQ(t.vx_bit_3d_draw_pixel(&b, 0, 0, 0), 0);
  EXPECT_EQ(t.vx_bit_3d__draw_line(&b, 0, 0, 1, 1, 0), 0);
  EXPECT_EQ(t.vx_bit_3d_free(&b), 0);
  // Reading a bitmap's own pixels needs no context.
  EXPECT_EQ(t.vx_bit_3d_get_pixel(&b, 1, 0), colour_at(1, 0));
  vx_bit_free(&b);
}

TEST_F(GenNoContext, InitWithoutAWindowFailsWithItsBoxAndAQuitRequest) {
  testing::internal::CaptureStderr();
  const char* renderer = nullptr;
  const VX_RECT r = {0, 0, 64, 64};
  EXPECT_EQ(gen_wrap_init(nullptr, &r, &renderer, nullptr), 0);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Error: ChoosePixelFormat failed"), std::string::npos) << said;
  EXPECT_STREQ(renderer, "");
  EXPECT_EQ(gen_wrap_ready(), 0);
  PLAT_MSG msg;
  bool quit = false;
  while (plat_peek_message(&msg, 1)) quit |= msg.message == PLAT_WM_QUIT;
  EXPECT_TRUE(quit);
}

}  // namespace
