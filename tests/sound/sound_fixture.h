// Shared set-up of the sound tests: a private folder for the settings and WAV files, the engine core, a main window with the menu bar, the null audio device, and the manager's parameters as the game fills them.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_dsp.h"
#include "display/vx_dsp_menu.h"
#include "platform/null/plat_null_audio.h"
#include "platform/platform.h"
#include "sound/vx_snd.h"
#include "sound/vx_snd_internal.h"
#include "tests/support/engine_fixture.h"

namespace snd_test {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

inline void put(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; i++) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void put_id(Bytes& b, const char* id) {
  for (int i = 0; i < 4; i++) b.push_back(static_cast<uint8_t>(id[i]));
}

// A PCM WAV file: "RIFF", "WAVE", a "fmt " chunk of 16 + `fmt_extra`
// bytes, the bytes of `between`, then "data" (of `data_size` when given).
inline Bytes wav(int channels, int bits, int rate, const Bytes& data, const Bytes& between = {}, int fmt_extra = 0,
                 int64_t data_size = -1) {
  Bytes b;
  put_id(b, "RIFF");
  put(b, 0, 4);
  put_id(b, "WAVE");
  put_id(b, "fmt ");
  put(b, 16 + fmt_extra, 4);
  const int block = channels * bits / 8;
  put(b, 1, 2), put(b, channels, 2), put(b, rate, 4), put(b, rate * block, 4), put(b, block, 2), put(b, bits, 2);
  b.insert(b.end(), fmt_extra, 0);
  b.insert(b.end(), between.begin(), between.end());
  put_id(b, "data");
  put(b, data_size >= 0 ? static_cast<uint32_t>(data_size) : static_cast<uint32_t>(data.size()), 4);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// 16-bit samples as bytes.
inline Bytes pcm16(const std::vector<int16_t>& s) {
  Bytes b;
  for (int16_t v : s) put(b, static_cast<uint16_t>(v), 2);
  return b;
}

// A constant 16-bit mono tone of `frames` samples of `value` at 44100 Hz: its level is easy to read back.
inline Bytes level_wav(int16_t value, int frames) {
  return wav(1, 16, 44100, pcm16(std::vector<int16_t>(static_cast<size_t>(frames), value)));
}

class SoundTest : public testing::Test {
 protected:
  fs::path root, old_cwd;
  VX_IO_SETTINGS io = {0, nullptr, "Sound.ini"};
  VX_APP app = {};
  PLAT_WINDOW* window = nullptr;
  uint32_t active = 0, music_on = 1, effects_on = 1, quality = 4;
  int32_t music_volume = 70, effects_volume = 80;
  VX_SOUND_PARAMS params = {};
  long long base_used = 0;

  void SetUp() override {
    static int serial = 0;
    root = fs::temp_directory_path() / ("vx_snd_test_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
    fs::remove_all(root);
    fs::create_directories(root);
    old_cwd = fs::current_path();
    fs::current_path(root);
    static const VX_ERROR_SETTINGS es = {0};
    vx_error_init(&es);
    static const VX_MEM_SETTINGS ms = {0, 0};
    ASSERT_EQ(vx_mem_init(&ms), 1);
    base_used = vx_mem_used();
    vx_io_init(&io);
    plat_set_boxes(0);
    plat_audio_null_reset();
    window = plat_window_create("SoundTest", "Sound Test", 0, 0, 640, 480, PLAT_WS_HIDDEN, plat_def_window_proc);
    app.menu_name = "PONDSPRINT";
    vx_dsp_menu_load(&app);
    // The game's: not in debug, so that only the boxes of the start show;
    // tests of reported errors switch debug on.
    params = {0, &active, &music_on, &effects_on, &music_volume, &effects_volume, &quality, 2, 3};
  }

  void TearDown() override {
    vx_snd_deinit();
    vx_dsp_menu_free();
    plat_window_destroy(window);
    plat_audio_null_reset();
    vx_io_deinit();
    EXPECT_EQ(vx_mem_used(), base_used) << "blocks left allocated";
    vx_mem_deinit();
    vx_error_deinit();
    fs::current_path(old_cwd);
    fs::remove_all(root);
  }

  void write(const std::string& name, const Bytes& bytes) {
    std::ofstream(root / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  void write_settings(const std::string& t) { write("Sound.ini", Bytes(t.begin(), t.end())); }
  std::string settings_text() {
    std::ifstream in(root / "Sound.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  int start() { return vx_snd_init(&params); }
  // What `f` shows in boxes ("caption: text" lines, boxes being off).
  static std::string boxes_of(const std::function<void()>& f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
  }
  // `frames` of mixed output, 16-bit stereo as the manager opens the device.
  static std::vector<int16_t> render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0);
    plat_audio_null_render(out.data(), frames);
    return out;
  }
  static int peak(const std::vector<int16_t>& s, int channel = 0) {
    int p = 0;
    for (size_t i = static_cast<size_t>(channel); i < s.size(); i += 2) p = std::max(p, std::abs(static_cast<int>(s[i])));
    return p;
  }
  static void send(uint32_t message, uintptr_t wparam, intptr_t lparam = 0) {
    vx_snd_window_proc(nullptr, message, wparam, lparam);
  }
  static int checked(uint32_t id) { return vx_dsp_menu_is_checked(id); }
  static int sound_popup_enabled() { return !(vx_dsp_menu_item(vx_dsp_menu_bar(), 2)->flags & VX_MENU_GRAYED); }
};

}  // namespace snd_test
