// The animation reader: the corpus against an independent decoder's frames, hand-made FLIC files, refusals and the clip hooks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "tests/support/engine_fixture.h"
#include "toolkit/vx_anim.h"

namespace {

using Bytes = std::vector<uint8_t>;

class AnimTest : public testing::Test {
 protected:
  VX_ANIM anim{};
  void SetUp() override {
    static const VX_ERROR_SETTINGS errors{0};
    vx_error_init(&errors);
    static const VX_MEM_SETTINGS mem = {0, 1 << 22};  // the tracker keeps a pointer to it
    vx_mem_init(&mem);
  }
  void TearDown() override {
    vx_anim_close(&anim);
    EXPECT_EQ(vx_mem_deinit(), 1) << "the reader left a block allocated";
    vx_error_deinit();
  }
  // The frame buffer as one digit per pixel, rows separated by '|'.
  std::string pixels() const {
    std::string s;
    for (int i = 0; i < anim.picture.width * anim.picture.height; i++)
      s += (i && i % anim.picture.width == 0 ? "|" : "") + std::to_string(anim.picture.pixels[i] % 10);
    return s;
  }
};

// Appends `v` as `bytes` little-endian bytes (zeros past its four).
Bytes& put(Bytes& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; i++) b.push_back(i < 4 ? uint8_t(v >> (8 * i)) : 0);
  return b;
}

// A FLIC file by the published layout: the header, then one frame chunk
// per entry, each a list of (sub-chunk type, body).
Bytes flic(uint16_t magic, int width, int height, int depth, int speed,
           const std::vector<std::vector<std::pair<int, Bytes>>>& frames) {
  Bytes out;
  put(put(put(put(put(put(out, 0, 4), magic, 2), uint32_t(frames.size()), 2), width, 2), height, 2), depth, 4);
  put(out, speed, 4).resize(128);
  for (const auto& frame : frames) {
    Bytes chunk;
    for (const auto& [type, body] : frame)
      put(put(chunk, uint32_t(6 + body.size()), 4), type, 2).insert(chunk.end(), body.begin(), body.end());
    put(put(put(out, uint32_t(16 + chunk.size()), 4), 0xF1FA, 2), uint32_t(frame.size()), 10);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

TEST_F(AnimTest, DecodesDeltasLoopsAndRewinds) {
  // Frame 1: two colours and one pixel; frame 2: the word delta on an odd
  // width (a line skip, a last-pixel word, a copy and a repeated word);
  // frame 3: the byte delta on the last line.
  const Bytes colours = {1, 0, 0, 2, 10, 20, 30, 40, 50, 60};
  const Bytes one_pixel = {0, 0, 1, 0, 1, 1, 1, 2};
  const Bytes words = {2, 0, 0xFF, 0xFF, 0x07, 0x80, 1, 0, 1, 1, 3, 4, 1, 0, 0, 0xFE, 5, 6};
  const Bytes bytes = {3, 0, 1, 0, 2, 1, 2, 8, 9, 0, 0xFE, 1};
  const Bytes file = flic(VX_ANIM_FLC, 5, 4, 8, 0, {{{4, colours}, {12, one_pixel}}, {{7, words}}, {{12, bytes}}});
  ASSERT_EQ(vx_anim_open_memory(&anim, file.data(), file.size(), "hand.flc"), 1) << vx_anim_refusal();
  EXPECT_EQ(nums(anim.frame_count, anim.speed, anim.frame), nums(3, 1, 0));
  vx_anim_step(&anim);
  EXPECT_EQ(pixels(), "02000|00000|00000|00000");
  EXPECT_EQ(nums(anim.palette_changed, anim.picture.palette->colours[4]), nums(1, 50));
  vx_anim_step(&anim);
  EXPECT_EQ(pixels(), "02000|03407|56560|00000");
  EXPECT_EQ(anim.palette_changed, 0);
  vx_anim_step(&anim);
  EXPECT_EQ(pixels(), "02000|03407|56560|08911");
  vx_anim_step(&anim);  // back to frame 1, from a cleared buffer
  EXPECT_EQ(nums(anim.frame, anim.palette_changed), nums(1, 1));
  EXPECT_EQ(pixels(), "02000|00000|00000|00000");
  vx_anim_step(&anim);
  vx_anim_rewind(&anim);
  EXPECT_EQ(nums(anim.frame, anim.palette_changed), nums(0, 0));
  EXPECT_EQ(pixels(), "00000|00000|00000|00000");
}

TEST_F(AnimTest, RefusesWhatItCannotRead) {
  const std::vector<std::pair<int, Bytes>> black = {{13, {}}};
  struct Case { const char* what; Bytes file; } cases[] = {
      {"short", Bytes(100, 0)},
      {"magic", flic(0x9119, 4, 4, 8, 0, {black})},
      {"no frames", flic(VX_ANIM_FLC, 4, 4, 8, 0, {})},
      {"over the limit", flic(VX_ANIM_FLC, 4097, 4096, 8, 0, {black})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vx_anim_open_memory(&anim, c.file.data(), c.file.size(), "x.flc"), 0);
    EXPECT_NE(std::string(vx_anim_refusal()), "");
    EXPECT_EQ(anim.data, nullptr);
  }
  // Clips need the clip player, which is not installed here; other kinds fail.
  EXPECT_EQ(vx_anim_open(&anim, "a.ogg", VX_ANIM_CLIP) + vx_anim_open(&anim, "a.flc", 4), 0);
  // FLI speeds count 1/70 s; depth 0 reads as 8.
  const Bytes fli = flic(VX_ANIM_FLI, 4, 4, 0, 7, {black});
  ASSERT_EQ(vx_anim_open_memory(&anim, fli.data(), fli.size(), "x.fli"), 1);
  EXPECT_EQ(nums(anim.format, anim.speed), nums(VX_ANIM_FLI, 100));
}

// Every FLIC file of the corpus decodes frame by frame to the pictures
// ffmpeg made of it (tests/fixtures/toolkit/make_flic_reference.py), or
// is refused: when ffmpeg refused it too, or its frames are taller or
// wider than a bitmap can be.
TEST_F(AnimTest, CorpusMatchesAnIndependentDecoder) {
  std::ifstream in(std::string(PS_TEST_DATA) + "/toolkit/flic_reference.txt");
  std::string line;
  int files = 0;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name;
    int count = 0;
    fields >> name >> count;
    SCOPED_TRACE(name);
    files++;
    const std::string path = std::string(PS_CORPUS) + "/fli/" + name;
    uint8_t h[12] = {};
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(h), 12);
    const int width = h[8] | h[9] << 8, height = h[10] | h[11] << 8;
    const int opened = vx_anim_open(&anim, path.c_str(), VX_ANIM_FLIC);
    if (count == 0 || width > 32767 || height > 32767) {
      EXPECT_EQ(opened, 0);
      EXPECT_NE(std::string(vx_anim_refusal()), "");
      continue;
    }
    ASSERT_EQ(opened, 1) << vx_anim_refusal();
    // The reference also holds the loop-back frame that closes most files.
    EXPECT_TRUE(count == anim.frame_count || count == anim.frame_count + 1) << anim.frame_count;
    Bytes rgb(size_t(width) * height * 3);
    for (int f = 0; f < anim.frame_count && f < count; f++) {
      vx_anim_step(&anim);
      for (size_t i = 0; i < size_t(width) * height; i++)
        std::memcpy(&rgb[i * 3], anim.picture.palette->colours + anim.picture.pixels[i] * 3, 3);
      std::string crc;
      fields >> crc;
      ASSERT_EQ(std::stoul(crc, nullptr, 16), crc32(0, rgb.data(), uInt(rgb.size()))) << "frame " << f;
    }
    vx_anim_close(&anim);
  }
  // One line per FLIC file of the corpus folder.
  int corpus = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(std::string(PS_CORPUS) + "/fli"))
    corpus += e.is_regular_file();
  EXPECT_EQ(files, corpus);
}

}  // namespace
