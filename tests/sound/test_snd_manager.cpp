// The sound manager: the start on devices of every kind and its failures, the Sound settings, the switches through menu and keys, activation.
#include "tests/sound/sound_fixture.h"

using namespace snd_test;

namespace {

class SndManager : public SoundTest {};

// ---------------------------------------------------------------- start

TEST_F(SndManager, OutputFollowsWhatTheDeviceTakes) {
  struct Case {
    const char* name;
    int bits16, stereo, min_rate, max_rate;
    int bits, channels, rate;
  };
  const Case cases[] = {
      {"a 16-bit stereo device", 1, 1, 8000, 48000, 16, 2, 44100},
      {"no 16-bit output", 0, 1, 8000, 48000, 8, 2, 44100},
      {"no stereo output", 1, 0, 8000, 48000, 16, 1, 44100},
      {"44100 refused", 1, 1, 8000, 30000, 16, 2, 22050},
      {"only 11025", 1, 1, 11025, 11025, 16, 2, 11025},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat_audio_null_reset();
    plat_audio_null_caps(c.bits16, c.stereo);
    plat_audio_null_rates(c.min_rate, c.max_rate);
    ASSERT_EQ(start(), 1);
    int rate, bits, channels;
    plat_audio_null_format(&rate, &bits, &channels);
    EXPECT_EQ(rate, c.rate);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(channels, c.channels);
    // One second of output in ten slices.
    EXPECT_EQ(vx_snd_st.stream_size, static_cast<uint32_t>(c.bits / 8 * c.channels * c.rate));
    EXPECT_EQ(vx_snd_st.slice_size * 10, vx_snd_st.stream_size);
    EXPECT_TRUE(sound_popup_enabled());
    vx_snd_deinit();
  }
}

TEST_F(SndManager, AFailedStartLeavesTheGameSilent) {
  struct Case {
    PLAT_AUDIO_OP op;
    const char* box;  // "" for none
  };
  const Case cases[] = {
      {PLAT_AUDIO_OP_OPEN, ""},
      {PLAT_AUDIO_OP_COOPERATE, "Terminating: SetCooperativeLevel failed"},
      {PLAT_AUDIO_OP_CAPS, "Terminating: Get Sound Device description failed"},
      {PLAT_AUDIO_OP_OUTPUT, "Terminating: CreatePrimarySoundBuffer failed"},
      {PLAT_AUDIO_OP_STREAM, "Terminating: CreateSoundBuffer failed"},
      {PLAT_AUDIO_OP_COUNT, "Terminating: CreateSoundBuffer failed"},  // no rate taken
  };
  write("a.wav", level_wav(1000, 100));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    plat_audio_null_reset();
    if (c.op == PLAT_AUDIO_OP_COUNT)
      plat_audio_null_rates(50000, 60000);
    else
      plat_audio_null_fail(c.op, 1);
    music_volume = 70, effects_volume = 80;
    int result = -1;
    const std::string shown = boxes_of([&] { result = start(); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(shown.empty(), !c.box[0]) << shown;
    EXPECT_NE(shown.find(c.box), std::string::npos) << shown;
    EXPECT_EQ(music_volume, -1);
    EXPECT_EQ(effects_volume, -1);
    EXPECT_FALSE(sound_popup_enabled()) << "greyed for good";
    EXPECT_EQ(plat_audio_null_buffers(), 0);
    // Everything answers 0 and changes nothing.
    EXPECT_EQ(vx_snd_load("a.wav"), nullptr);
    send(PLAT_WM_KEYDOWN, PLAT_VK_F3);
    EXPECT_EQ(effects_on, 1u);
    EXPECT_EQ(vx_snd_effects_volume_set(50), 0);
    EXPECT_EQ(effects_volume, -1);
    vx_snd_deinit();
  }
}

// ---------------------------------------------------------------- settings

TEST_F(SndManager, SettingsAreReadWithTheGameDefaultsForMissingKeys) {
  struct Case {
    const char* file;
    uint32_t music_on, effects_on;
    int32_t music_volume, effects_volume;
    uint32_t quality;
    uint32_t checked_quality;  // the menu's mark
  };
  const Case cases[] = {
      {"", 1, 1, 70, 80, 4, VX_CMD_QUALITY_MEDIUM},
      {"[Sound]\r\nInterpolation=5\r\n", 1, 1, 70, 80, 0, VX_CMD_QUALITY_LOW},
      {"[Sound]\r\nInterpolation=8\r\nMusicVolume=130\r\nSoundVolume=-5\r\n", 1, 1, 100, 0, 8, VX_CMD_QUALITY_HIGH},
      {"[Sound]\r\nDigitalMusic=0\r\nSoundEffects=0\r\nSoundVolume=40\r\n", 0, 0, -2, -2, 4, VX_CMD_QUALITY_MEDIUM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    write_settings(c.file);
    music_on = effects_on = 1, music_volume = 70, effects_volume = 80, quality = 4;
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(music_on, c.music_on);
    EXPECT_EQ(effects_on, c.effects_on);
    EXPECT_EQ(music_volume, c.music_volume);
    EXPECT_EQ(effects_volume, c.effects_volume);
    EXPECT_EQ(quality, c.quality);
    EXPECT_EQ(checked(c.checked_quality), 1);
    EXPECT_EQ(checked(VX_CMD_DIGITAL_MUSIC), static_cast<int>(c.music_on));
    EXPECT_EQ(checked(VX_CMD_SOUND_EFFECTS), static_cast<int>(c.effects_on));
    vx_snd_deinit();
  }
}

TEST_F(SndManager, ShutdownSavesTheSwitchesAndTheVolumesKeptWhileOff) {
  write_settings("[Sound]\r\nSoundVolume=40\r\n");
  ASSERT_EQ(start(), 1);
  send(PLAT_WM_KEYDOWN, PLAT_VK_F3);
  EXPECT_EQ(effects_on, 0u);
  EXPECT_EQ(effects_volume, -2);
  vx_snd_music_volume_set(30);
  send(PLAT_WM_COMMAND, VX_CMD_QUALITY_HIGH);
  vx_snd_deinit();
  const std::string text = settings_text();
  for (const char* line : {"DigitalMusic=1", "SoundEffects=0", "MusicVolume=30", "SoundVolume=40", "Interpolation=8"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

// ---------------------------------------------------------------- switches

TEST_F(SndManager, MenuCommandsAndKeysFlipTheSwitchesAndTheirMarks) {
  send(PLAT_WM_KEYDOWN, PLAT_VK_F3);  // not started yet: the keys do nothing
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(effects_on, 1u);
  send(PLAT_WM_KEYDOWN, PLAT_VK_F3);
  EXPECT_EQ(nums(effects_on, effects_volume, checked(VX_CMD_SOUND_EFFECTS)), nums(0, -2, 0));
  send(PLAT_WM_KEYDOWN, PLAT_VK_F3, PLAT_KEY_LPARAM_REPEAT);  // the key held down
  EXPECT_EQ(effects_on, 0u);
  send(PLAT_WM_COMMAND, VX_CMD_SOUND_EFFECTS);
  EXPECT_EQ(nums(effects_on, effects_volume, checked(VX_CMD_SOUND_EFFECTS)), nums(1, 80, 1));
  send(PLAT_WM_KEYDOWN, PLAT_VK_F2);
  EXPECT_EQ(nums(music_on, music_volume, checked(VX_CMD_DIGITAL_MUSIC)), nums(0, -2, 0));
  send(PLAT_WM_COMMAND, VX_CMD_DIGITAL_MUSIC);
  EXPECT_EQ(nums(music_on, music_volume, checked(VX_CMD_DIGITAL_MUSIC)), nums(1, 70, 1));
  send(PLAT_WM_COMMAND, VX_CMD_QUALITY_LOW);
  EXPECT_EQ(nums(quality, checked(VX_CMD_QUALITY_LOW), checked(VX_CMD_QUALITY_MEDIUM)), nums(0, 1, 0));
}

TEST_F(SndManager, SettingAVolumeSwitchesItsSoundOn) {
  ASSERT_EQ(start(), 1);
  vx_snd_effects_toggle();
  vx_snd_music_toggle();
  EXPECT_EQ(vx_snd_effects_volume_set(50), 1);
  EXPECT_EQ(vx_snd_music_volume_set(120), 1);
  EXPECT_EQ(nums(effects_on, effects_volume, music_on, music_volume), nums(1, 50, 1, 100));
  EXPECT_EQ(nums(checked(VX_CMD_SOUND_EFFECTS), checked(VX_CMD_DIGITAL_MUSIC)), nums(1, 1));
}

// ---------------------------------------------------------------- activation

TEST_F(SndManager, DeactivationStopsTheStreamAndActivationResumesItWhereItWas) {
  ASSERT_EQ(start(), 1);
  // A ramp through the whole second of the stream.
  std::vector<int16_t> ramp(vx_snd_st.stream_size / 2);
  for (size_t i = 0; i < ramp.size(); i++) ramp[i] = static_cast<int16_t>(i / 2 % 20000 + 1);
  EXPECT_EQ(vx_snd_stream_write(0, ramp.data(), vx_snd_st.stream_size), 0u);
  EXPECT_EQ(peak(render(100)), 0) << "the stream waits for the program to be active";
  send(PLAT_WM_ACTIVATE, PLAT_WA_ACTIVE);
  EXPECT_EQ(active, 1u);
  EXPECT_EQ(render(100)[0], 1);
  send(PLAT_WM_ACTIVATE, PLAT_WA_INACTIVE);
  EXPECT_EQ(nums(active, peak(render(100))), nums(0, 0));
  send(PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE);
  EXPECT_EQ(nums(active, render(1)[0]), nums(1, 101)) << "on from frame 100";
  send(PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE);
  EXPECT_EQ(nums(active, peak(render(100))), nums(0, 0));
  send(PLAT_WM_SYSCOMMAND, PLAT_SC_MOVE | 2);  // dragged by the caption
  EXPECT_EQ(nums(active, render(1)[0]), nums(1, 102));
}

}  // namespace
