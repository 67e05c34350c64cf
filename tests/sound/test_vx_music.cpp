// Music: the streamed output against a straight render, play and stop rules, the refill's time-out, volume and quality while a piece plays, bad files.
#include <chrono>
#include <cmath>
#include <thread>

#include "sound/vx_mp3.h"
#include "sound/vx_music.h"
#include "tests/sound/s3m_image.h"
#include "tests/sound/sound_fixture.h"

using namespace snd_test;
using Pcm = std::vector<int16_t>;

namespace {

// A new note every eight rows over a sawtooth: no two slices alike, and interpolation is heard.
Bytes song() {
  s3m_test::SONG s;
  s.samples = {s3m_test::constant_sample(0, 32)};
  for (int i = 0; i < 32; i++) s.samples[0].data[size_t(i)] = uint8_t(i * 8);
  for (int r = 0; r < 64; r += 8) s.patterns[0].push_back({r, 0, 0x40 + r * 5 % 12, 1});
  return s3m_test::build(s);
}

class Music : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    write("a.s3m", song());
    fs::copy_file(std::string(PS_CORPUS) + "/mp3/minimp3-vectors/l3-he_44khz.bit", root / "b.mp3");  // 44.1 kHz stereo
    music_volume = 100;
  }
  // At least `seconds` more output pulled `pull` frames at a time, two timer ticks after each pull.
  static Pcm run(int index, double seconds, int pull = 4410, Pcm out = {}) {
    for (const size_t end = out.size() + size_t(seconds * 44100) * 2; out.size() < end;) {
      const Pcm part = render(pull);
      out.insert(out.end(), part.begin(), part.end());
      vx_music_update(index), vx_music_update(index);
    }
    return out;
  }
  // Three seconds of `file` from a fresh start, `change` made after the first.
  Pcm played(const char* file, const std::function<void()>& change, int pull = 4410) {
    fs::remove(root / "Sound.ini");  // not the settings the last run saved
    quality = 4, music_volume = 100;
    EXPECT_EQ(start(), 1);
    const int index = vx_music_load(file);
    EXPECT_EQ(vx_music_play(index), 1);
    Pcm out = run(index, 1, pull);
    change();
    out = run(index, 2, pull, std::move(out));
    vx_snd_deinit();
    return out.resize(44100 * 3 * 2), out;
  }
  // The least-squares gain of `a` over `b` from `from` seconds on, and their largest difference at that gain.
  static std::pair<double, double> fit(const Pcm& a, const Pcm& b, double from) {
    double ab = 0, bb = 0, worst = 0;
    for (size_t i = size_t(from * 44100) * 2; i < a.size(); i++) ab += double(a[i]) * b[i], bb += double(b[i]) * b[i];
    for (size_t i = size_t(from * 44100) * 2; i < a.size(); i++) worst = std::max(worst, std::abs(a[i] - ab / bb * b[i]));
    return {ab / bb, worst};
  }
};

// Past several wraps of the ring, for every pull size, the device hears
// exactly the straight render: no slice skipped, repeated, misplaced or
// filled while it plays.
TEST_F(Music, StreamIsTheStraightRender) {
  Pcm module = s3m_test::PLAYER(song()).render(44100 * 3, 44100 * 3), mp3(module.size());
  const VX_MP3_FORMAT f{16, 2, 44100};
  VX_MP3* s = vx_mp3_open("b.mp3", VX_MP3_IN_MEMORY | VX_MP3_LOOP, &f);
  vx_mp3_decode(s, mp3.data(), long(mp3.size() * 2));
  vx_mp3_close(s);
  for (int pull : {300, 4410, 13000}) {
    for (auto [file, ref] : {std::pair{"a.s3m", &module}, {"b.mp3", &mp3}}) {
      const auto [gain, worst] = fit(played(file, [] {}, pull), *ref, 0);
      EXPECT_NEAR(gain, 1.0, 1e-4) << file << " pulled " << pull;
      EXPECT_LE(worst, 1.0) << file << " pulled " << pull;
    }
  }
}

TEST_F(Music, PlaysOnlyWhenOnAndFreeAndStopKeepsSilenceRunning) {
  music_on = 0;
  ASSERT_EQ(start(), 1);
  const int a = vx_music_load("A.S3M"), b = vx_music_load("b.mp3");  // any letter case
  EXPECT_EQ(vx_music_play(a), 0) << "music is off";
  EXPECT_EQ(peak(run(a, 0.2)), 0);
  send(PLAT_WM_KEYDOWN, PLAT_VK_F2);  // plays the piece asked for last
  EXPECT_GT(peak(run(a, 0.2)), 1000);
  EXPECT_EQ(vx_music_play(b), 0) << "a piece is current";
  EXPECT_EQ(vx_music_stop(a), 1);
  EXPECT_EQ(vx_music_stop(a), 0);
  EXPECT_EQ(peak(run(a, 2)), 0) << "silence, past all that was buffered";
  EXPECT_EQ(vx_music_play(b), 1);
  EXPECT_GT(peak(render(4410)), 1000) << "the buffer still runs: it starts at once";
  EXPECT_EQ(vx_music_unload(b), 1);
  EXPECT_EQ(peak(render(44100)), 0) << "unloading the current piece stops it";
}

TEST_F(Music, ATickThatCannotLockForFiveSecondsIsSkipped) {
  ASSERT_EQ(start(), 1);
  const int index = vx_music_load("a.s3m");
  vx_music_play(index);
  render(10000);
  std::unique_lock held(*vx_snd_st.mutex);
  const auto t0 = std::chrono::steady_clock::now();
  std::thread([&] { EXPECT_EQ(vx_music_update(index), 0); }).join();
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(4900));
  EXPECT_EQ(vx_snd_st.next_slice, 0) << "nothing filled";
}

// Heard once the buffered second has gone: volume on both kinds, interpolation on modules only.
TEST_F(Music, VolumeAndQualityWhileAPiecePlays) {
  const auto volume = [] { vx_snd_music_volume_set(35); };
  const auto high = [] { send(PLAT_WM_COMMAND, VX_CMD_QUALITY_HIGH); };
  const struct {
    const char* file;
    std::function<void()> change;
    double gain;  // of the last second against an unchanged run; 0: unlike it
  } cases[] = {{"a.s3m", volume, 0.35}, {"b.mp3", volume, 0.35}, {"a.s3m", high, 0}, {"b.mp3", high, 1}};
  for (const auto& c : cases) {
    const auto [gain, worst] = fit(played(c.file, c.change), played(c.file, [] {}), 2.1);
    EXPECT_NEAR(gain, c.gain > 0 ? c.gain : 1, c.gain > 0 ? 0.005 : 0.2) << c.file;
    EXPECT_EQ(worst > 100, c.gain == 0) << c.file;
  }
}

// The Sound popup's quality items reach the playing piece, heard by the
// share of high frequencies (difference energy over energy): the nearest
// sample keeps the steps, linear smooths most, quadratic lies in between.
TEST_F(Music, QualityItemsAreHeardAsTheirInterpolation) {
  const auto hf = [](const Pcm& p) {
    double d = 0, e = 0;
    for (size_t i = size_t(1.5 * 44100) * 2 + 2; i < p.size(); i++)
      d += std::pow(double(p[i]) - p[i - 2], 2), e += double(p[i]) * p[i];
    return d / e;
  };
  std::vector<double> share;
  for (uint32_t item : {VX_CMD_QUALITY_LOW, VX_CMD_QUALITY_MEDIUM, VX_CMD_QUALITY_HIGH})
    share.push_back(hf(played("a.s3m", [item] { send(PLAT_WM_COMMAND, item); })));
  EXPECT_GT(share[0], share[2] * 1.08) << share[0] << " " << share[1] << " " << share[2];
  EXPECT_GT(share[2], share[1] * 2) << share[0] << " " << share[1] << " " << share[2];
}

TEST_F(Music, BadFilesGiveTheirBoxAndNoPiece) {
  write("bad.s3m", Bytes(500, 7));
  write("bad.mp3", Bytes(500, 7));
  write("tune.wav", song());
  ASSERT_EQ(start(), 1);
  for (auto [name, box] : {std::pair{"snd\\none.s3m", "Error: File not found snd\\none.s3m\n"},
                           {"bad.s3m", "Error: Could not load bad.s3m\n"},
                           {"bad.mp3", "Error: Could not load bad.mp3\n"},
                           {"tune.wav", ""}})
    EXPECT_EQ(boxes_of([name = name] { EXPECT_EQ(vx_music_load(name), 0); }), box);
  // Past the list's first ten entries; a module left loaded at shutdown is reported, not touched.
  for (int i = 1; i <= 12; i++) EXPECT_EQ(vx_music_load("a.s3m"), i);
  EXPECT_EQ(boxes_of(vx_snd_deinit), "ERROR: Not all memory was freed.\n");
}

}  // namespace
