// Sound effects: which WAV files load and which are refused with which message, the samples as they reach the output, volume, pan, replay, the effect table and the device's failures.
#include <cmath>

#include "tests/sound/sound_fixture.h"

using namespace snd_test;

namespace {

class SndEffects : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    params.debug = 1;  // every refusal is shown, so its message can be read
    ASSERT_EQ(start(), 1);
  }
  // Loads `path`; the boxes shown on the way.
  std::string load(const std::string& path, VX_SOUND** out) {
    return boxes_of([&] { *out = vx_snd_load(path.c_str()); });
  }
};

// ---------------------------------------------------------------- reading

TEST_F(SndEffects, FilesAreTakenOrRefusedWithTheirMessage) {
  const std::string corpus = std::string(PS_CORPUS) + "/wav/";
  Bytes fact, rifx = level_wav(1, 4);
  put_id(fact, "fact"), put(fact, 4, 4), put(fact, 2, 4);
  rifx[3] = 'X';
  write("fact.wav", wav(1, 16, 44100, pcm16({1, 2}), fact));
  write("rifx.wav", rifx);
  write("big_fmt.wav", wav(1, 16, 44100, pcm16({1, 2}), {}, 24));
  const char* const kTaken = "";
  const char* const kNotWave = "This file is not on WAVE format";
  const char* const kNotPcm = "This file is not in MicroSoft PCM format";
  const char* const kBadData = "This file contains an invalid data chunk";
  const char* const kNoBuffer = "Could not create secondary buffer";
  const struct {
    std::string file;
    const char* message;
  } cases[] = {
      {"missing.wav", "Could not open wave file"},
      {"rifx.wav", "This file is not in RIFF format"},
      {"fact.wav", kBadData},
      {"big_fmt.wav", kTaken},  // a 40-byte "fmt " is passed over
      // 8-bit mono at 8000, 11025 and 22050 Hz.
      {corpus + "allegro5/BOOM_SPL.wav", kTaken},
      {corpus + "allegro5/ENGINE_SPL.wav", kTaken},
      {corpus + "allegro5/SHOOT_SPL.wav", kTaken},
      {corpus + "allegro5/welcome.wav", kTaken},
      {corpus + "hound/pcmwaveformat-16bit-44100Hz-mono.wav", kTaken},
      {corpus + "hound/pcmwaveformat-8bit-44100Hz-mono.wav", kTaken},
      {corpus + "hound/waveformatex-16bit-44100Hz-mono.wav", kTaken},  // an 18-byte "fmt "
      {corpus + "hound/waveformatex-16bit-44100Hz-stereo.wav", kTaken},
      {corpus + "hound/waveformatex-8bit-11025Hz-mono.wav", kTaken},  // junk in the extra field
      {corpus + "hound/nonstandard-01.wav", kNotWave},                 // "JUNK" before "fmt "
      {corpus + "hound/nonstandard-02.wav", kNotPcm},                  // extensible
      {corpus + "hound/pop.wav", kNotPcm},
      {corpus + "hound/waveformatex-ieeefloat-44100Hz-mono.wav", kNotPcm},
      {corpus + "hound/waveformatextensible-24bit-192kHz-mono.wav", kNotPcm},
      {corpus + "hound/pcmwaveformat-16bit-44100Hz-mono-extra.wav", kBadData},  // LIST before "data"
      {corpus + "hound/waveformatex-16bit-44100Hz-mono-extra.wav", kBadData},
      // 24-bit samples in 4-byte blocks: no device takes that layout.
      {corpus + "hound/pcmwaveformat-24bit-4byte-48kHz-stereo.wav", kNoBuffer},
      {corpus + "hound/fuzz/crash-24728523ef4be15c838293b676f6853e73723bf4.wav", kNotPcm},
      {corpus + "hound/fuzz/crash-b8447179832529c48f9c6bf17feab6337bbc78ea.wav", kBadData},  // "fmt " of 4 GB
      {corpus + "hound/fuzz/oom-48ae4cd061ff8578ad3f23dc87624bd365cf5216.wav", kNotWave},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    VX_SOUND* s = nullptr;
    const std::string shown = load(c.file, &s);
    EXPECT_EQ(s != nullptr, c.message == kTaken) << shown;
    if (s) vx_snd_free(s);
    if (c.message == kTaken) continue;
    EXPECT_NE(shown.find(c.message), std::string::npos) << shown;
    if (c.message != kNoBuffer) {
      EXPECT_NE(shown.find(c.file), std::string::npos) << "the report names the file";
      EXPECT_NE(shown.find("Unable to load wave"), std::string::npos) << shown;
    }
  }
}

// ---------------------------------------------------------------- what is heard

TEST_F(SndEffects, SampleFormatsReachTheOutputConverted) {
  vx_snd_effects_volume_set(100);
  const struct {
    const char* name;
    Bytes file;
    int left, right, frames;  // the output's first frame and its length in frames
  } cases[] = {
      {"16-bit mono", wav(1, 16, 44100, pcm16({1000, 1000})), 1000, 1000, 2},
      {"16-bit stereo", wav(2, 16, 44100, pcm16({1000, -2000, 1000, -2000})), 1000, -2000, 2},
      {"8-bit at a quarter rate", wav(1, 8, 11025, Bytes(10, 0xC0)), 64 * 256, 64 * 256, 40},
      {"24-bit", wav(1, 24, 44100, {0x00, 0x34, 0x12}), 0x1234, 0x1234, 1},
      {"32-bit", wav(1, 32, 44100, {0, 0, 0x34, 0x12}), 0x1234, 0x1234, 1},
      // A size past the end of the file: what is there plays.
      {"cut short", wav(1, 16, 44100, pcm16({7, 7, 7}), {}, 0, 1000000), 7, 7, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write("f.wav", c.file);
    VX_SOUND* s = vx_snd_load("f.wav");
    ASSERT_NE(s, nullptr);
    vx_snd_play(s, 0);
    const std::vector<int16_t> out = render(100);
    EXPECT_EQ(nums(out[0], out[1]), nums(c.left, c.right));
    int frames = 0;
    while (frames < 100 && out[2 * frames] != 0) frames++;
    EXPECT_EQ(frames, c.frames);
    EXPECT_EQ(vx_snd_is_playing(s), 0) << "stopped at its end";
    vx_snd_free(s);
  }
}

TEST_F(SndEffects, VolumesAndPanAttenuateInDecibels) {
  write("level.wav", level_wav(16000, 2000));
  VX_SOUND* s = vx_snd_load("level.wav");
  ASSERT_NE(s, nullptr);
  auto heard = [&](int channel) {
    vx_snd_play(s, 0);
    return peak(render(10), channel);
  };
  // The default SoundVolume 80: 2000 x log10(0.8) = -193.
  EXPECT_NEAR(heard(0), 16000 * std::pow(10.0, -193 / 2000.0), 1);
  // SoundVolume 50 and the effect's own 50: 2000 x log10(0.25), about -1204.
  vx_snd_effects_volume_set(50);
  vx_snd_volume_set(s, 50);
  EXPECT_NEAR(heard(0), 16000 * std::pow(10.0, -1204 / 2000.0), 1);
  vx_snd_effects_toggle();
  EXPECT_EQ(heard(0), 0) << "effects off: -10000";
  vx_snd_effects_toggle();
  EXPECT_NEAR(heard(0), 4000, 1) << "back on, each with its own volume";
  vx_snd_effects_volume_set(100);
  vx_snd_volume_set(s, 100);
  const struct {
    int pan, left, right;
  } pans[] = {{0, 16000, 16000}, {-100, 16000, 0}, {100, 0, 16000}, {50, 8000, 16000}, {-50, 16000, 8000}};
  for (const auto& p : pans) {
    SCOPED_TRACE(p.pan);
    vx_snd_pan_set(s, p.pan);
    EXPECT_NEAR(heard(0), p.left, 2);
    EXPECT_NEAR(heard(1), p.right, 2);
  }
  vx_snd_free(s);
}

TEST_F(SndEffects, APlayedEffectRestartsAndALoopGoesOn) {
  std::vector<int16_t> ramp(300);
  for (size_t i = 0; i < ramp.size(); i++) ramp[i] = static_cast<int16_t>(10 * (i + 1));
  write("ramp.wav", wav(1, 16, 44100, pcm16(ramp)));
  vx_snd_effects_volume_set(100);
  VX_SOUND* s = vx_snd_load("ramp.wav");
  ASSERT_NE(s, nullptr);
  vx_snd_play(s, 0);
  render(100);
  EXPECT_EQ(render(1)[0], 1010);
  vx_snd_play(s, 0);
  EXPECT_EQ(render(1)[0], 10) << "from the start again";
  vx_snd_play(s, 1);
  render(300);
  EXPECT_EQ(render(1)[0], 10) << "the loop wraps";
  EXPECT_NE(vx_snd_is_playing(s), 0);
  vx_snd_stop(s);
  EXPECT_EQ(nums(vx_snd_is_playing(s), peak(render(10))), nums(0, 0));
  vx_snd_free(s);
}

TEST_F(SndEffects, TheTableGrowsAndTheVolumeReachesEveryEffect) {
  write("e.wav", level_wav(16000, 50));
  std::vector<VX_SOUND*> effects;
  for (int i = 0; i < 25; i++) effects.push_back(vx_snd_load("e.wav"));
  for (VX_SOUND* s : effects) ASSERT_NE(s, nullptr);
  EXPECT_EQ(nums(vx_snd_st.effect_count, vx_snd_st.effect_capacity), nums(25, 30));
  vx_snd_effects_volume_set(0);
  for (VX_SOUND* s : effects) vx_snd_play(s, 0);
  EXPECT_EQ(peak(render(100)), 0);
  vx_snd_effects_volume_set(100);
  vx_snd_play(effects[24], 0);
  EXPECT_EQ(peak(render(10)), 16000);
  for (VX_SOUND* s : effects) EXPECT_EQ(vx_snd_free(s), 1);
  EXPECT_EQ(nums(vx_snd_st.effect_count, plat_audio_null_buffers()), nums(0, 1)) << "only the stream is left";
}

TEST_F(SndEffects, DeviceFailuresGiveTheirMessage) {
  write("e.wav", level_wav(100, 50));
  const struct {
    PLAT_AUDIO_OP op;
    const char* message;
    std::function<int(VX_SOUND*)> call;
  } cases[] = {
      {PLAT_AUDIO_OP_STATIC, "Could not create secondary buffer", nullptr},
      {PLAT_AUDIO_OP_LOCK, "Sound not lock sound buffer", nullptr},
      {PLAT_AUDIO_OP_UNLOCK, "Could not unlock sound buffer", nullptr},
      {PLAT_AUDIO_OP_STATUS, "Could not get channel status", [](VX_SOUND* s) { return vx_snd_play(s, 0); }},
      {PLAT_AUDIO_OP_POSITION, "Unable to set current position", [](VX_SOUND* s) { return vx_snd_play(s, 0); }},
      {PLAT_AUDIO_OP_PLAY, "Play error", [](VX_SOUND* s) { return vx_snd_play(s, 0); }},
      {PLAT_AUDIO_OP_STOP, "Stop error", vx_snd_stop},
      {PLAT_AUDIO_OP_VOLUME, "Could not set volume", [](VX_SOUND* s) { return vx_snd_volume_set(s, 10); }},
      {PLAT_AUDIO_OP_PAN, "Could not set pan", [](VX_SOUND* s) { return vx_snd_pan_set(s, 10); }},
      {PLAT_AUDIO_OP_RELEASE, "Could not release sound buffer", vx_snd_free},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    VX_SOUND* s = nullptr;
    if (!c.call) plat_audio_null_fail(c.op, 1);
    std::string shown = load("e.wav", &s);
    if (c.call) {
      ASSERT_NE(s, nullptr);
      plat_audio_null_fail(c.op, 1);
      shown = boxes_of([&] { EXPECT_EQ(c.call(s), 0); });
    }
    plat_audio_null_fail(c.op, 0);
    EXPECT_NE(shown.find(c.message), std::string::npos) << shown;
    if (s && c.op != PLAT_AUDIO_OP_RELEASE) vx_snd_free(s);
    EXPECT_EQ(vx_snd_st.effect_count, 0);
  }
  // Memory lost on the way is restored and written again.
  plat_audio_null_lose_next_lock();
  VX_SOUND* s = vx_snd_load("e.wav");
  EXPECT_NE(s, nullptr);
  vx_snd_free(s);
}

}  // namespace
