// The game's sound effects as sfxgen makes them: plain WAV files the engine's reader takes, short, clean at both ends, without DC, below clipping, and listed in line order in the sound list.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "tests/support/engine_fixture.h"
#include "tools/sfxgen/sfx_gen.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(SoundEffects, EachIsAShortCleanPlainWav) {
  const std::vector<SFX_FILE> files = sfx_generate_all();
  ASSERT_EQ(files.size(), static_cast<size_t>(SFX_EFFECTS + 1));
  for (int n = 1; n <= SFX_EFFECTS; n++) {
    const std::vector<uint8_t>& b = files[n - 1].bytes;
    SCOPED_TRACE(files[n - 1].name);
    // "data" right after a 16-byte "fmt " of 16-bit mono PCM at 44100 Hz.
    ASSERT_GE(b.size(), 44u);
    EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "fmt ");
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(le32(b, 20), 0x00010001u);
    EXPECT_EQ(le32(b, 24), 44100u);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(nums(le32(b, 40), le32(b, 4)), nums(b.size() - 44, b.size() - 8));
    const SFX_SAMPLES s = sfx_effect(n);
    EXPECT_LE(static_cast<double>(s.size()) / SFX_RATE, 1.0) << "an effect is short";
    // No click: the first and last milliseconds rise from and fall to silence.
    EXPECT_EQ(s.front(), 0.0f);
    EXPECT_LT(std::fabs(s.back()), 1e-3);
    double mean = 0;
    for (float x : s) mean += x;
    EXPECT_LT(std::fabs(mean / static_cast<double>(s.size())), 1e-3) << "DC";
    EXPECT_LE(sfx_peak(s), std::pow(10.0, SFX_PEAK_CEILING_DB / 20.0) + 1e-6);
    EXPECT_GT(sfx_loudness(s), std::pow(10.0, -30 / 20.0)) << "heard at the default volume";
  }
}

TEST(SoundEffects, TheListNamesTheFilesInEffectOrderAndTheBytesRepeat) {
  const std::vector<SFX_FILE> files = sfx_generate_all();
  const SFX_FILE& list = files.back();
  EXPECT_EQ(list.name, "data/sndlist.txt");
  std::string expected;
  for (int n = 1; n <= SFX_EFFECTS; n++) {
    std::string game_name = files[n - 1].name;
    for (char& c : game_name)
      if (c == '/') c = '\\';
    expected += game_name + "\r\n";
  }
  EXPECT_EQ(std::string(list.bytes.begin(), list.bytes.end()), expected);
  const std::vector<SFX_FILE> again = sfx_generate_all();
  for (size_t i = 0; i < files.size(); i++) EXPECT_EQ(files[i].bytes, again[i].bytes) << files[i].name;
}

}  // namespace
