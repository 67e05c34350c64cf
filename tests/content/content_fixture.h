// Helpers of the content tests: engine start for the picture loader, decoding of written PNGs, the generator's output by name.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "tools/artgen/ag_gen.h"
#include "world/image/img_load.h"

namespace content_test {

using Bytes = std::vector<uint8_t>;

// The error module and the memory tracker run for every test, and the
// engine's decoders must leave no block behind.
class ContentTest : public testing::Test {
 protected:
  void SetUp() override {
    VX_ERROR_SETTINGS quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;  // the tracker keeps a pointer to it
    mem = {0, 1 << 22};
    vx_mem_init(&mem);
  }
  void TearDown() override {
    EXPECT_EQ(vx_mem_deinit(), 1) << "a decoder leaked a block";
    vx_error_deinit();
  }
};

// A picture as the engine's loader reads it.
struct Decoded {
  bool ok = false;
  int width = 0, height = 0, bpp = 0;
  VX_IMG_INFO info = {};
  Bytes rgba;  // width x height x 4, through vx_img_expand_rgba
};

inline Decoded decode_png(const Bytes& file) {
  Decoded d;
  VX_BITMAP b = {};
  if (!vx_img_decode(VX_IMG_PNG, &b, file.data(), file.size(), VX_IMG_PALETTE, "test.png", &d.info)) return d;
  d.width = b.width;
  d.height = b.height;
  d.bpp = b.bpp;
  d.rgba.resize(size_t(b.width) * size_t(b.height) * 4);
  d.ok = vx_img_expand_rgba(&b, &d.info, d.rgba.data()) == 1;
  vx_bit_free(&b);
  return d;
}

// The generator's whole output, made once per test program and kept by name.
inline const std::map<std::string, Bytes>& generated() {
  static const std::map<std::string, Bytes> files = [] {
    AG_OUTPUT out;
    std::map<std::string, Bytes> m;
    if (!ag_generate_all(&out)) return m;
    for (const AG_FILE& f : out.files) m[f.name] = f.bytes;
    return m;
  }();
  return files;
}

// The colour type byte of a PNG's header (2 RGB, 3 palette, 6 RGBA...), -1 for a short file.
inline int png_colour_type(const Bytes& png) { return png.size() > 25 ? png[25] : -1; }

// Values side by side: EXPECT_EQ(nums(w, h), nums(64, 64)).
template <typename... T>
std::vector<double> nums(T... v) {
  return {double(v)...};
}

}  // namespace content_test
