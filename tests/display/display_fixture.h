// Shared set-up of the display tests: memory tracker started, boxes captured, leaks checked.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "display/vx_blit.h"
#include "display/vx_dsp3d.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"
#include "tests/support/engine_fixture.h"

// Each test starts the tracker and ends with every block freed. Boxes go to
// standard error ("caption: text"), which the fixture captures.
class DisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    VX_ERROR_SETTINGS es = {0};
    vx_error_init(&es);
    static VX_MEM_SETTINGS ms;  // the tracker keeps a pointer to it
    ms = {0, 0};
    ASSERT_EQ(vx_mem_init(&ms), 1);
    base_used_ = vx_mem_used();
    vx_dsp_3d_interface_set(nullptr);
    vx_screen_masks_set(0xF800, 0x07E0, 0x001F);
    vx_screen_mode_set_flag(0);
    vx_screen_3d_active_set(0);
    vx_screen_copy_set(nullptr, nullptr);
    testing::internal::CaptureStderr();
    capturing_ = true;
  }
  void TearDown() override {
    if (capturing_) testing::internal::GetCapturedStderr();
    capturing_ = false;
    vx_bit_scale_buffer_free();
    vx_dsp_resize_lists_clear();
    vx_screen_free();
    EXPECT_EQ(vx_mem_used(), base_used_) << "blocks left allocated";
    EXPECT_EQ(vx_mem_heap_check(nullptr), 2) << "a write ran past its block";
    vx_mem_deinit();
    vx_error_deinit();
  }
  // Everything the boxes said since the last call.
  std::string boxes() {
    std::string out;
    if (capturing_) out = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    return out;
  }

  long long base_used_ = 0;
  bool capturing_ = false;
};

// A bitmap of `w` x `h` at `bpp` whose bytes are 0..255 repeating from `seed`.
inline VX_BITMAP make_bitmap(int w, int h, int bpp, int seed = 1) {
  VX_BITMAP b;
  VX_RECT r = {0, 0, int16_t(w), int16_t(h)};
  EXPECT_EQ(vx_bit_alloc(&b, &r, bpp), 1);
  long n = vx_bit_size(w, h, bpp);
  for (long i = 0; i < n; i++) b.pixels[i] = uint8_t(seed + i);
  return b;
}

inline std::vector<uint8_t> pixels_of(const VX_BITMAP& b) {
  return std::vector<uint8_t>(b.pixels, b.pixels + vx_bit_size(b.width, b.height, b.bpp));
}
