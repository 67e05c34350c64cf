// The player's time base: row starts on the frames the 8 ms steps give, whatever the buffer sizes, rates and run flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tests/sound/s3m_image.h"

using namespace s3m_test;

namespace {

// A song that keeps four channels busy with notes and effects, and changes
// speed and tempo on the way. With one channel it plays a single note that
// the effects keep changing, so that one voice sounds throughout.
SONG busy_song(int channels) {
  SONG s;
  s.samples = {constant_sample(0, 64), SAMPLE()};
  for (int i = 0; i < 64; i++) s.samples[0].data[size_t(i)] = uint8_t(i * 4);  // a saw
  for (uint32_t i = 0, x = 1; i < 3000; i++) s.samples[1].data.push_back(uint8_t((x = x * 1103515245u + 12345u) >> 24));
  s.orders = {1, 2, 255};
  const char fx[] = {'H', 'D', 'E', 'F', 'G', 'Q', 'J', 'R', 'I', 'K', 'L', 'S', 'O', 'U'};
  const int info[] = {0x44, 0x04, 0x03, 0x05, 0x10, 0x23, 0x37, 0x48, 0x21, 0x02, 0x20, 0xD2, 0x08, 0x58};
  for (int p = 0; p < 2; p++) {
    std::vector<CELL>& cells = s.patterns.emplace_back();
    for (int row = 0; row < 64; row += 2) {
      for (int ch = 0; ch < channels; ch++) {
        int k = (row / 2 + ch * 5 + p * 3) % 14;
        if (channels == 1 && (fx[k] == 'Q' || fx[k] == 'S' || fx[k] == 'O')) k = 0;
        bool note = channels > 1 || (p == 0 && row == 0);
        cells.push_back({row, ch, note ? 0x30 + (row / 2 + ch * 3) % 12 + ((row / 16) % 2) * 16 : 255,
                         note ? (channels > 1 && k % 3 == 0 ? 2 : 1) : 0, 255, fx[k], info[k]});
      }
    }
    cells.push_back({16, channels, 255, 0, 255, 'A', 3 + p});
    cells.push_back({40, channels, 255, 0, 255, 'T', 90 + 60 * p});
  }
  return s;
}

// The rate and run flag alone; every other setting kept.
int set_only(uint32_t rate, uint8_t run) {
  return vx_mod_set(VX_MOD_KEEP32, rate, VX_MOD_KEEP16, run, VX_MOD_KEEP8, VX_MOD_KEEP16, VX_MOD_KEEP16, VX_MOD_KEEP8);
}

TEST(ModTime, RowsStartOnTheFramesOfTheTimeBase) {
  struct Case { uint32_t rate; int speed, tempo; } const cases[] = {{44100, 6, 125}, {48000, 3, 33}, {22050, 1, 255},
                                                                    {8000, 31, 150}, {44100, 5, 97}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, speed " << c.speed << ", tempo " << c.tempo);
    SONG s;
    s.speed = uint8_t(c.speed), s.tempo = uint8_t(c.tempo);
    PLAYER player(s, c.rate);
    // The step's frames and sub-ticks (16.16) as the time base defines them.
    const uint64_t R = uint64_t(c.rate) * 8 * 65536 / 1000;
    const uint64_t T = uint64_t(8) * 65536 * 1440000 / (600000000u / uint32_t(c.tempo));
    int last = -1;
    for (int k = 0; k < 64;) {
      PLAYER::render(16, 16);
      const VX_MOD_STATUS st = PLAYER::status();
      if (st.row == last) continue;
      ASSERT_EQ(st.row, k) << "no row is skipped";
      // Row k starts with sub-tick k L + 1, which runs in step j = floor(k L 65536 / T) + 1,
      // after the whole frames of the steps before it.
      const uint64_t step = uint64_t(k) * c.speed * 6 * 65536 / T;  // L = speed x 6
      EXPECT_EQ(st.row_frame, step * R / 65536) << "row " << k;
      EXPECT_LE(std::fabs(double(st.row_frame) - k * c.speed * 2.5 / c.tempo * c.rate), double(R) / 65536 + 1)
          << "within one step of the ideal time";
      last = k++;
    }
  }
}

TEST(ModTime, OutputIsTheSameWhateverTheBufferSize) {
  // Quadratic interpolation starts its history over whenever the mixer turns
  // to another voice, so block limits show in it when several voices play
  // (a note that fades out under a new one is another voice too).
  struct Case {
    const char* what;
    uint16_t quality;
    int channels;
  } const cases[] = {{"nearest", 0, 4}, {"linear", VX_MOD_LINEAR, 4}, {"quadratic, one voice", VX_MOD_QUADRATIC, 1}};
  const size_t frames = 44100 * 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<int16_t> reference;
    for (size_t chunk : {size_t(4096), size_t(1), size_t(37), size_t(360)}) {
      PLAYER player(busy_song(c.channels), 44100, VX_MOD_16BIT | VX_MOD_STEREO | c.quality);
      std::vector<int16_t> out = PLAYER::render(frames, chunk);
      if (reference.empty()) {
        reference = out;
        double energy = 0;  // mean square
        for (int16_t v : out) energy += double(v) * v / double(out.size());
        ASSERT_GT(energy, 1e4) << "the song is heard";
      } else {
        size_t first = 0;
        while (first < out.size() && out[first] == reference[first]) first++;
        ASSERT_EQ(first, out.size()) << "buffers of " << chunk << " frames differ from frame " << first / 2;
      }
    }
  }
}

TEST(ModTime, RunFlagRateAndKeepValues) {
  SONG s;  // one note, rows of 0.12 s
  s.samples = {constant_sample(200)};
  s.patterns = {{{0, 0, 0x40, 1}}};
  PLAYER player(s);
  PLAYER::render(4410, 441);
  const VX_MOD_STATUS before = PLAYER::status();
  ASSERT_EQ(set_only(VX_MOD_KEEP32, VX_MOD_SILENT), 1);
  std::vector<int16_t> held = PLAYER::render(44100, 4096);
  VX_MOD_STATUS st = PLAYER::status();
  EXPECT_EQ(std::make_pair(st.order, st.row), std::make_pair(before.order, before.row)) << "the song stands";
  EXPECT_EQ(st.frames, before.frames + 44100) << "still 16-bit stereo at 44100 Hz";
  EXPECT_NE(held[held.size() - 2], 0) << "the voices sound on";
  ASSERT_EQ(set_only(VX_MOD_KEEP32, VX_MOD_RUNNING), 1);
  PLAYER::render(44100, 4096);
  EXPECT_NE(PLAYER::status().row, before.row);
  EXPECT_EQ(set_only(999, VX_MOD_KEEP8), 0) << "a rate out of range changes nothing";
  // At half the rate a row of 0.12 s takes half the frames.
  ASSERT_EQ(set_only(22050, VX_MOD_KEEP8), 1);
  for (uint64_t n = 0, last = 0; n < 6; n++) {
    for (int row = PLAYER::status().row; PLAYER::status().row == row;) PLAYER::render(8, 8);
    const uint64_t start = PLAYER::status().row_frame;
    EXPECT_TRUE(n == 0 || std::fabs(double(start - last) - 0.12 * 22050) <= 22050 * 0.008 + 1) << start - last;
    last = start;
  }
  vx_mod_stop();
  std::vector<int16_t> after = PLAYER::render(4410, 4410);
  EXPECT_EQ(after, std::vector<int16_t>(after.size(), 0));
}

// A loop finished on the last row, then one asked for in that row: the new
// loop starts no further on than the last row.
TEST(ModTime, ALoopAskedForAfterOneFinishedOnTheLastRowStaysInThePattern) {
  SONG s;
  s.samples = {constant_sample(200)};
  // The first time round channel 0 asks for a loop from row 0 and channel
  // 1 finishes it at once; the second time channel 0 asks again.
  s.patterns = {{{0, 0, 0x40, 1}, {63, 0, 255, 0, 255, 'S', 0xB1}, {63, 1, 255, 0, 255, 'S', 0xB1}}};
  s.speed = 1;  // rows of 20 ms
  PLAYER player(s);
  int highest = 0;
  for (int i = 0; i < 500; i++) {  // 5 s in steps of 10 ms: the pattern three times and more
    PLAYER::render(441, 441);
    highest = std::max(highest, PLAYER::status().row);
  }
  EXPECT_EQ(highest, 63);
}

}  // namespace
