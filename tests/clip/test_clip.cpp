// Clip player tests: frames and their times against libtheora driven directly, conversion edges, end, looping, files without video.
#include <gtest/gtest.h>
#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "world/clip/clip.h"

namespace {

const std::string kFixtures = std::string(PS_TEST_DATA) + "/clip/", kCorpus = std::string(PS_CORPUS) + "/ogv/ogv.js/";
uint32_t fake_tick;  // starts near the 32-bit wrap so that every clock test crosses it
uint32_t fake_ticks() { return fake_tick; }

// The reference: the whole file through libogg and libtheora, the Theora stream picked by its
// header magic; each frame converted in double precision and handed to `frame` with its time (s).
template <typename F>
void reference(const std::string& path, F frame) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  ogg_sync_state sync;
  ogg_stream_state stream;
  ogg_page page;
  ogg_packet packet;
  th_info info;
  th_comment comment;
  th_setup_info* setup = nullptr;
  ogg_sync_init(&sync);
  std::memcpy(ogg_sync_buffer(&sync, long(bytes.size())), bytes.data(), bytes.size());
  ogg_sync_wrote(&sync, long(bytes.size()));
  th_info_init(&info);
  th_comment_init(&comment);
  ogg_stream_init(&stream, 0);
  while (ogg_sync_pageout(&sync, &page) > 0) {
    if (ogg_page_bos(&page) && page.body_len > 7 && !std::memcmp(page.body, "\x80theora", 7))
      ogg_stream_reset_serialno(&stream, ogg_page_serialno(&page));
    ogg_stream_pagein(&stream, &page);
  }
  for (int i = 0; i < 3 && ogg_stream_packetout(&stream, &packet) > 0; i++) th_decode_headerin(&info, &comment, &setup, &packet);
  th_dec_ctx* dec = th_decode_alloc(&info, setup);
  auto level = [](double v) { return uint8_t(std::fmin(255, std::fmax(0, std::trunc(v)))); };
  for (ogg_int64_t granule; ogg_stream_packetout(&stream, &packet) > 0;) {
    if (int r = th_decode_packetin(dec, &packet, &granule); r != 0 && r != TH_DUPFRAME) continue;
    th_ycbcr_buffer p;
    th_decode_ycbcr_out(dec, p);
    std::vector<uint8_t> rgba;
    for (uint32_t y = 0; y < info.pic_height; y++)
      for (uint32_t x = 0; x < info.pic_width; x++) {
        double l = 1.164 * (p[0].data[y * p[0].stride + x] - 16);
        double u = p[1].data[y / 2 * p[1].stride + x / 2] - 128, v = p[2].data[y / 2 * p[2].stride + x / 2] - 128;
        rgba.insert(rgba.end(), {level(l + 1.596 * v), level(l - 0.813 * v - 0.391 * u), level(l + 2.018 * u), 255});
      }
    frame(th_granule_time(dec, granule), rgba);
  }
  th_setup_free(setup);
  th_decode_free(dec);
  th_info_clear(&info);
  th_comment_clear(&comment);
  ogg_stream_clear(&stream);
  ogg_sync_clear(&sync);
}

// Calls Clip_Update every `every` ms until it returns 0 or `limit` ms have passed: the
// frame numbers shown, each with the ms after the first call.
std::vector<std::pair<uint32_t, int>> play(CLIP* c, uint32_t every, uint32_t limit) {
  std::vector<std::pair<uint32_t, int>> out;
  for (uint32_t start = fake_tick, shown = c->frames_shown; fake_tick - start <= limit && Clip_Update(c); fake_tick += every)
    if (c->frames_shown != int(shown)) out.push_back({fake_tick - start, c->frame}), shown = c->frames_shown;
  return out;
}

class ClipTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    vx_error_init(nullptr);
    vx_mem_init(nullptr);
    fake_tick = 0xFFFFFF00u;
    Clip_Set_Ticks(fake_ticks);
  }
  void TearDown() override {
    Clip_Close(&clip);
    EXPECT_EQ(vx_io_open_count(), 0);
    EXPECT_EQ(vx_mem_deinit(), 1) << "the player left a block";
    vx_error_deinit();
  }
  CLIP clip = {};
};

// Played by a clock that moves 1 ms per update: every frame within one level of the
// reference, frame k shown when the clock reaches frame k - 1's time (the wait is truncated).
TEST_P(ClipTest, FramesMatchTheReferenceAndComeOnTime) {
  ASSERT_EQ(Clip_Open(&clip, GetParam().c_str()), 1);
  const uint32_t start = fake_tick;
  double due = 0;
  reference(GetParam(), [&](double t, const std::vector<uint8_t>& want) {
    const int k = clip.frames_shown;
    for (; clip.frames_shown == k && fake_tick - start < 100000; fake_tick++) ASSERT_EQ(Clip_Update(&clip), 1);
    EXPECT_NEAR(fake_tick - 1 - start, due, 1.01);
    ASSERT_EQ(clip.frame, k);
    ASSERT_EQ(want.size(), size_t(clip.picture.width) * clip.picture.height * 4);
    for (size_t i = 0; i < want.size(); i++) ASSERT_NEAR(want[i], clip.picture.pixels[i], 1) << "frame " << k;
    due = t * 1000;
  });
  EXPECT_EQ(play(&clip, 1, 100000).size() + Clip_Update(&clip), 0u);
}
INSTANTIATE_TEST_SUITE_P(Clips, ClipTest,
                         testing::Values(kFixtures + "c25.ogv", kFixtures + "c30k.ogv", kFixtures + "still.ogv",
                                         kCorpus + "1frame.ogv", kCorpus + "1second.ogv", kCorpus + "320x240.ogv",
                                         kCorpus + "3frames.ogv", kCorpus + "3seconds-noskeleton.ogv",
                                         kCorpus + "3seconds.ogv", kCorpus + "aspect.ogv",
                                         kCorpus + "pixel_aspect_ratio.ogg"));

// Y, U, V -> R, G, B worked out by hand: black; 1.164 x 219 = 254.916 truncated; 278.2 and -18.6
// clamped; V alone: R 333.06 clamped, G 130.368 - 103.251; U alone: G 130.368 + 50.048, B -127.9 clamped.
TEST(ClipConvert, EdgeLevels) {
  const uint8_t cases[][6] = {{16, 128, 128, 0, 0, 0},       {235, 128, 128, 254, 254, 254}, {255, 128, 128, 255, 255, 255},
                              {0, 128, 128, 0, 0, 0},        {128, 128, 255, 255, 27, 130},  {128, 0, 128, 130, 180, 0}};
  for (const uint8_t* c : cases) {
    const uint8_t y[4] = {c[0], c[0], c[0], c[0]};
    const CLIP_PLANE planes[3] = {{y, 2, 2, 2}, {c + 1, 1, 1, 1}, {c + 2, 1, 1, 1}};
    uint8_t out[16];
    Clip_Convert(planes, 2, 2, out);
    for (int i = 0; i < 16; i += 4) EXPECT_EQ(std::vector<int>(out + i, out + i + 4), std::vector<int>({c[3], c[4], c[5], 255}));
  }
}

// 25 frames a second: frame k ends at (k + 1) x 40 ms.
TEST_F(ClipTest, LateFramesAreDroppedUnlessASecondWentByWithoutOne) {
  ASSERT_EQ(Clip_Open(&clip, (kCorpus + "aspect.ogv").c_str()), 1);
  EXPECT_EQ(clip.frame_ms, 40u);
  play(&clip, 1, 0);
  fake_tick += 499;  // the clock at 0.5 s: frames 1 to 11 (ending by 0.48 s) are late
  EXPECT_EQ(play(&clip, 1, 0)[0].second, 12);
  auto rare = play(&clip, 2000, 8000);  // late every time, but each 2 s after the last shown
  EXPECT_EQ(rare, (std::vector<std::pair<uint32_t, int>>{{2000, 13}, {4000, 14}, {6000, 15}, {8000, 16}}));
  // The clock is shared: a clip opened now is 10.5 s behind; its first frame is shown, the rest dropped.
  CLIP other = {};
  ASSERT_EQ(Clip_Open(&other, (kFixtures + "c30k.ogv").c_str()), 1);
  EXPECT_EQ(std::vector<int>({int(other.frame_ms), Clip_Update(&other), other.frame, (fake_tick++, Clip_Update(&other))}),
            std::vector<int>({33, 1, 0, 0}));
  Clip_Close(&other);
}

TEST_F(ClipTest, EndsOrLoopsOnTheClipsTimeLine) {
  ASSERT_EQ(Clip_Open(&clip, (kFixtures + "c25.ogv").c_str()), 1);
  for (int k = 0; k < 6; k++) EXPECT_EQ(Clip_Step(&clip) * 10 + clip.frame, 10 + k);  // no clock: at once
  EXPECT_EQ(Clip_Step(&clip) + Clip_Update(&clip), 0);
  Clip_Close(&clip);
  ASSERT_EQ(Clip_Open(&clip, (kFixtures + "c25.ogv").c_str()), 1);
  clip.loop = 1;
  auto looped = play(&clip, 1, 480);
  ASSERT_EQ(looped.size(), 13u);  // two passes, and the first frame of the third at 480 ms
  for (int k = 0; k < int(looped.size()); k++)
    EXPECT_TRUE(looped[k].second == k % 6 && std::abs(int(looped[k].first) - 40 * k) <= 1) << k;
  // 100 s later: the next frame (a second went by), the rest of the pass dropped, the next starts now.
  fake_tick += 100000;
  EXPECT_EQ(play(&clip, 1, 1), (std::vector<std::pair<uint32_t, int>>{{0, 1}, {1, 0}}));
  EXPECT_EQ(clip.passes, 3);
}

TEST_F(ClipTest, FilesWithoutAPlayableTheoraStream) {
  ASSERT_EQ(Clip_Open(&clip, (kFixtures + "audio.ogg").c_str()), 1);  // Ogg without Theora opens, shows nothing
  EXPECT_EQ(clip.kind + Clip_Step(&clip) + int(play(&clip, 1, 100).size()) + Clip_Update(&clip), 0);
  Clip_Close(&clip);
  const CLIP zero = {};  // damaged headers: the fuzz target
  EXPECT_TRUE(!Clip_Open(&clip, (kFixtures + "missing.ogv").c_str()) && !std::memcmp(&clip, &zero, sizeof clip));
}

}  // namespace
