// Shared set-up of the gen layer tests: a scratch folder with the file layer started there, and a window with a GL context.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "display/vx_blit.h"
#include "display/vx_dsp3d.h"
#include "platform/platform.h"
#include "world/gen/gen_bit.h"
#include "world/gen/gen_info.h"
#include "world/gen/gen_wrap.h"
#include "tests/support/engine_fixture.h"

namespace gen_test {

namespace fs = std::filesystem;

inline std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every test runs in a folder of its own with the error module, the memory
// tracker and the file layer started, and ends with every block freed.
class GenFileTest : public testing::Test {
 protected:
  void SetUp() override {
    // One folder per test, named after the test and the first process, so
    // that a death test's child (the program started again) finds it too.
    if (!getenv("GEN_TEST_PID")) setenv("GEN_TEST_PID", std::to_string(getpid()).c_str(), 1);
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("gen_test_") + getenv("GEN_TEST_PID") + "_" +
                                           test->test_suite_name() + "." + test->name());
    fs::create_directories(folder_);
    old_folder_ = fs::current_path();
    fs::current_path(folder_);
    VX_ERROR_SETTINGS es = {0};
    vx_error_init(&es);
    static VX_MEM_SETTINGS ms;  // the tracker keeps a pointer to it
    ms = {0, 1 << 23};
    ASSERT_EQ(vx_mem_init(&ms), 1);
    static VX_IO_SETTINGS io = {0, nullptr, nullptr};
    vx_io_init(&io);
    gen_info_history_set(1);
    base_used_ = vx_mem_used();
  }
  void TearDown() override {
    gen_info_deinit();
    vx_bit_scale_buffer_free();  // the rescaling of world textures grows it
    EXPECT_EQ(vx_mem_used(), base_used_) << "blocks left allocated";
    vx_io_deinit();
    vx_mem_deinit();
    vx_error_deinit();
    fs::current_path(old_folder_);
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  std::string file(const char* name) { return slurp(folder_ / name); }

  fs::path folder_, old_folder_;
  long long base_used_ = 0;
};

constexpr int kScreenW = 320;
constexpr int kScreenH = 240;

// A shown window of 320 x 240 with the gen layer's table installed and
// initialised over the whole window. Without a GL context (no display on
// this machine) the test is skipped.
class GenGlTest : public GenFileTest {
 protected:
  void SetUp() override {
    // The off-screen driver (Mesa through EGL) needs no display server.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    GenFileTest::SetUp();
    gen_wrap_get_interface(&table_);
    vx_dsp_3d_interface_set(&table_);
    window_ = plat_window_create("GenTest", "gen test", 0, 0, kScreenW, kScreenH, PLAT_WS_OPENGL, nullptr);
    if (!window_) GTEST_SKIP() << "no window can be made here (no SDL video driver)";
    const VX_RECT screen = {0, 0, kScreenW, kScreenH};
    hardware_ = table_.vx_dsp_3d_init(window_, &screen, &renderer_, &vendor_);
    if (!gen_wrap_ready()) GTEST_SKIP() << "no GL context can be made here";
    // A stand-in for the virtual screen: the surface the primitives draw on.
    VX_RECT whole = screen;
    ASSERT_EQ(vx_bit_alloc(&surface_, &whole, VX_BIT_BPP8), 1);
  }
  void TearDown() override {
    vx_bit_free(&surface_);
    if (gen_wrap_ready()) table_.vx_dsp_3d_deinit();
    if (window_) plat_window_destroy(window_);
    vx_dsp_3d_interface_set(nullptr);
    GenFileTest::TearDown();
  }

  // The frame-buffer pixel at screen (x, y) as 0xRRGGBB.
  static uint32_t read(int x, int y) {
    gen_bit_flush();  // pictures still waiting in their batch
    GLubyte px[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kScreenH - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
    return (uint32_t(px[0]) << 16) | (uint32_t(px[1]) << 8) | px[2];
  }

  VX_DSP_3D_INTERFACE table_ = {};
  PLAT_WINDOW* window_ = nullptr;
  VX_BITMAP surface_ = {};
  const char* renderer_ = nullptr;
  const char* vendor_ = nullptr;
  int hardware_ = -1;
};

// A 32-bit bitmap whose pixel (x, y) is colour_at(x, y) (0xRRGGBB, alpha 255).
inline uint32_t colour_at(int x, int y) { return (uint32_t(x * 7 % 256) << 16) | (uint32_t(y * 5 % 256) << 8) | 0x40; }

inline VX_BITMAP pattern(int w, int h) {
  VX_BITMAP b = {};
  VX_RECT r = {0, 0, int16_t(w), int16_t(h)};
  EXPECT_EQ(vx_bit_alloc(&b, &r, VX_BIT_BPP32), 1);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      uint8_t* p = b.pixels + (size_t(y) * w + x) * 4;
      const uint32_t c = colour_at(x, y);
      p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c), p[3] = 255;
    }
  return b;
}

// An uncompressed 24-bit TGA file of a w x h picture of colour_at, bottom row first.
inline void write_tga(const fs::path& path, int w, int h) {
  std::vector<uint8_t> out(18, 0);
  out[2] = 2;
  out[12] = uint8_t(w), out[13] = uint8_t(w >> 8);
  out[14] = uint8_t(h), out[15] = uint8_t(h >> 8);
  out[16] = 24;
  for (int y = h - 1; y >= 0; y--)
    for (int x = 0; x < w; x++) {
      const uint32_t c = colour_at(x, y);
      out.push_back(uint8_t(c)), out.push_back(uint8_t(c >> 8)), out.push_back(uint8_t(c >> 16));
    }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
}

}  // namespace gen_test
